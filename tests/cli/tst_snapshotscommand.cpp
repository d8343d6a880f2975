#include "app/builtins.h"
#include "can/candumpreader.h"
#include "can/recordingreader.h"
#include "job/snapshotplot.h"
#include "support/candumptext.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include "clirun.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The truck recording starts at 1622547830.084 and ends at 1622548016.205; it has no DM1.
// The console prints times from the recording's first frame.
constexpr double TruckStart = 1622547830.0;

using TestEnvironment::readFile;

QByteArray line(double seconds, const char *rest, const char *bus = "can0")
{
    return QByteArray::number(TruckStart + seconds, 'f', 6).prepend('(') + ") " + bus + ' ' + rest
           + '\n';
}

// DM1 traffic added to the truck recording, in time order with it:
//   unit 0x00, single frames: no code at +1 s; SPN 110 FMI 0 at +20 s; gone at +22 s (the same
//     window: joins the snapshot); SPN 110 FMI 0 again at +182 s (the recording ends 4.2 s
//     later: cut short).
//   unit 0x47, broadcasts: SPN 100 FMI 3 already in its first at +2 s (a baseline, no
//     snapshot); at +60 s SPN 111 FMI 2 joins and SPN 100's count goes to 2.
// So: three snapshots, units 0x00, 0x47, 0x00.
// The truck's units 0x00 and 0x47 are on can0; on can1 the same traffic makes two more units.
QByteArray addedDm1(const char *bus = "can0")
{
    return line(1.0, "18FECA00#00FF00000000FFFF", bus)
           + line(20.0, "18FECA00#04FF6E000001FFFF", bus)
           + line(22.0, "18FECA00#00FF00000000FFFF", bus)
           + line(2.0, "1CECFF47#200A0002FFCAFE00", bus)
           + line(2.05, "1CEBFF47#0140FF64000301FF", bus)
           + line(2.1, "1CEBFF47#02FFFFFFFFFFFFFF", bus)
           + line(60.0, "1CECFF47#200A0002FFCAFE00", bus)
           + line(60.05, "1CEBFF47#0140FF640003026F", bus)
           + line(60.1, "1CEBFF47#02000201FFFFFFFF", bus)
           + line(182.0, "18FECA00#04FF6E000001FFFF", bus);
}

QJsonArray indexOf(const QString &dir)
{
    const QByteArray json = readFile(dir + QStringLiteral("/snapshots/index.json"));
    return QJsonDocument::fromJson(json).object().value(QStringLiteral("snapshots")).toArray();
}

} // namespace

class tst_SnapshotsCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordings_data();
    void recordings();
    void snapshotFiles();

private:
    TestFolder m_dir;
    QString m_spliced;
};

void tst_SnapshotsCommand::initTestCase()
{
    TestEnvironment::init();
    registerBuiltIns();
    QVERIFY(m_dir.isValid());
    const QByteArray truck
        = readFile(TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log")));
    m_spliced = m_dir.write(QStringLiteral("truck-dm1.log"), sortedByTime(truck + addedDm1()));
    QVERIFY(!m_dir
                 .write(QStringLiteral("truck-dm1-both.log"),
                        sortedByTime(truck + addedDm1() + addedDm1("can1")))
                 .isEmpty());
}

void tst_SnapshotsCommand::recordings_data()
{
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("dirs");
    QTest::addColumn<QStringList>("present");
    // The demo recording: only unit 0x00 sends DM1 (by BAM, every second), always the same two
    // codes (SPN 110 FMI 16 OC 3, SPN 100 FMI 18 OC 1), counted by reassembling its broadcasts
    // from the candump text with a short script: a baseline, never a change.
    QTest::newRow("demo recording: codes from the start, no change")
        << QStringLiteral(":/demo/demo-bus.log") << QStringList{} << QStringList{}
        << QStringList{"Engine #1 had active codes from its first DM1: SPN 110 FMI 16",
                       "0 snapshots written to"};
    // The truck recording holds no DM1 at all (no PGN FECA in single frames or broadcasts).
    QTest::newRow("truck: no DM1")
        << TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"))
        << QStringList{} << QStringList{} << QStringList{"0 snapshots written to"};
    // The truck has two buses: each snapshot names its unit's.
    QTest::newRow("truck with DM1 traffic added")
        << m_dir.filePath(QStringLiteral("truck-dm1.log")) << QStringList{}
        << QStringList{"001-0x00-spn110", "002-0x47-spn111", "003-0x00-spn110"}
        << QStringList{"001-0x00-spn110  19.916 s  Engine #1 on can0: SPN 110 FMI 0 appeared; "
                       "SPN 110 FMI 0 gone (",
                       "002-0x47-spn111  60.016 s",
                       "SPN 111 FMI 2 appeared; SPN 100 FMI 3 occurrence count 2",
                       "frames, incomplete)",
                       "on can0 had active codes from its first DM1: SPN 100 FMI 3",
                       "3 snapshots written to"};
    // The same DM1 on can1 comes from two more units: their snapshots follow can0's.
    const QString both = m_dir.filePath(QStringLiteral("truck-dm1-both.log"));
    QTest::newRow("the same units' DM1 on both buses")
        << both << QStringList{}
        << QStringList{"001-0x00-spn110", "002-0x47-spn111", "003-0x00-spn110",
                       "004-0x00-spn110", "005-0x47-spn111", "006-0x00-spn110"}
        << QStringList{"003-0x00-spn110  181.916 s  Engine #1 on can0: SPN 110 FMI 0 appeared (",
                       "004-0x00-spn110  19.916 s  Engine #1 on can1: SPN 110 FMI 0 appeared; ",
                       "Chassis controller #1 on can0 had active codes from its first DM1",
                       "Chassis controller #1 on can1 had active codes from its first DM1",
                       "6 snapshots written to"};
    QTest::newRow("the same units' DM1 on both buses, --bus 1")
        << both << QStringList{"--bus", "1"}
        << QStringList{"001-0x00-spn110", "002-0x47-spn111", "003-0x00-spn110"}
        << QStringList{"001-0x00-spn110  19.916 s  Engine #1 on can1: SPN 110 FMI 0 appeared; ",
                       "Chassis controller #1 on can1 had active codes from its first DM1",
                       "3 snapshots written to"};
}

void tst_SnapshotsCommand::recordings()
{
    QFETCH(QString, recording);
    QFETCH(QStringList, options);
    QFETCH(QStringList, dirs);
    QFETCH(QStringList, present);
    QTemporaryDir out;
    const CliRun r = CliRun::run(QStringList{"snapshots", recording, "-o", out.path()} + options);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    for (const QString &text : present)
        QVERIFY2(r.out.contains(text), qPrintable(text + QStringLiteral("\n---\n") + r.out));
    QStringList written;
    for (const QJsonValue &e : indexOf(out.path())) {
        const QJsonObject entry = e.toObject();
        written << entry.value(QStringLiteral("dir")).toString();
        // Each snapshot's frames are its unit's bus's, as the index says.
        const QString folder = out.path() + QStringLiteral("/snapshots/") + written.last();
        RecordingReader reader;
        QVERIFY(reader.readFile(folder + QStringLiteral("/frames.log")));
        const QString bus = entry.value(QStringLiteral("bus")).toString(QStringLiteral("can0"));
        for (const TimedFrame &f : reader.frames())
            QCOMPARE(reader.busNames().name(f.bus), bus);
    }
    QCOMPARE(written, dirs);
}

// A snapshot's frames are exactly the recording's in its window; its table has the unit's
// decoded parameters every 100 ms around the change.
void tst_SnapshotsCommand::snapshotFiles()
{
    QTemporaryDir out;
    const CliRun r = CliRun::run(
        {"snapshots", m_spliced, "-o", out.path(), "--before", "2.5", "--after", "1"});
    QCOMPARE(r.code, 0);
    const QJsonArray index = indexOf(out.path());
    // The shorter window leaves the change at +22 s out of the first: four snapshots.
    QCOMPARE(index.size(), 4);
    const QJsonObject first = index.at(0).toObject();
    const qint64 changeUs = qint64(TruckStart + 20.0) * 1000000;
    QCOMPARE(qint64(first.value(QStringLiteral("timeUs")).toDouble()), changeUs);
    QCOMPARE(qint64(first.value(QStringLiteral("fromUs")).toDouble()), changeUs - 2500000);
    QCOMPARE(qint64(first.value(QStringLiteral("toUs")).toDouble()), changeUs + 1000000);
    QCOMPARE(first.value(QStringLiteral("unitName")).toString(), QStringLiteral("Engine #1"));
    QCOMPARE(first.value(QStringLiteral("change")).toString(),
             QStringLiteral("SPN 110 FMI 0 appeared"));

    CandumpReader all;
    all.parse(readFile(m_spliced));
    QStringList expected;
    // The engine is on can0; the truck's can1 frames of that time are not its snapshot's.
    QCOMPARE(first.value(QStringLiteral("bus")).toString(), QStringLiteral("can0"));
    for (const TimedFrame &f : all.frames()) {
        if (f.bus == 0 && f.timeUs >= changeUs - 2500000 && f.timeUs <= changeUs + 1000000)
            expected << QString::number(f.timeUs) + f.message.toString();
    }
    const QString folder = out.path() + QStringLiteral("/snapshots/")
                           + first.value(QStringLiteral("dir")).toString();
    RecordingReader reader;
    QVERIFY(reader.readFile(folder + QStringLiteral("/frames.log")));
    QStringList got;
    for (const TimedFrame &f : reader.frames())
        got << QString::number(f.timeUs) + f.message.toString();
    QCOMPARE(got, expected);
    QCOMPARE(first.value(QStringLiteral("frames")).toInt(), expected.size());

    const QList<QByteArray> csv = readFile(folder + QStringLiteral("/parameters.csv")).split('\n');
    QVERIFY2(csv.constFirst().startsWith("time_s,"), csv.constFirst().constData());
    QVERIFY2(csv.constFirst().contains("[rpm]"), csv.constFirst().constData());
    // 100 ms samples from -2.5 s to +1 s: 36 rows and the header (and the last line break).
    QCOMPARE(csv.size(), 38);
    QVERIFY(csv.at(1).startsWith("-2.500,"));
    QVERIFY(csv.at(36).startsWith("1.000,"));
    QCOMPARE(QImage(folder + QStringLiteral("/plot.png")).size(), SnapshotPlot::defaultSize());

    // With the engineer's database before the library, the engine's EEC1 is the database's:
    // its signal is the table's column.
    QTemporaryDir withDbc;
    const CliRun d = CliRun::run({"snapshots", m_spliced, "-o", withDbc.path(), "--before", "2.5",
                                  "--after", "1", "--dbc",
                                  TestEnvironment::dataFile("css_j1939_demo.dbc"), "--dbc-wins"});
    QCOMPARE(d.code, 0);
    const QList<QByteArray> table = readFile(withDbc.path() + QStringLiteral("/snapshots/")
                                             + first.value(QStringLiteral("dir")).toString()
                                             + QStringLiteral("/parameters.csv"))
                                        .split('\n');
    QVERIFY2(table.constFirst().contains(",EngineSpeed [rpm]"), table.constFirst().constData());
    QVERIFY2(!table.constFirst().contains("Engine Speed [rpm]"), table.constFirst().constData());
    QCOMPARE(table.size(), csv.size());
}

QTEST_MAIN(tst_SnapshotsCommand)
#include "tst_snapshotscommand.moc"
