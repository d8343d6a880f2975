// The bus check of real recordings: parts of them learned and the rest checked, and copies
// with one fault each put in.
#include "app/builtins.h"
#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include "clirun.h"
#include "expecteddeviation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

class tst_RealBusCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void realRecordings_data();
    void realRecordings();
    void learnsDbcGroups();

private:
    // A copy of a real recording with one fault put in.
    QString faultyCopy(const QString &source, const QString &fault);

    TestFolder m_dir;
};

void tst_RealBusCheck::initTestCase()
{
    TestEnvironment::init();
    registerBuiltIns();
    QVERIFY(m_dir.isValid());
}

QString tst_RealBusCheck::faultyCopy(const QString &source, const QString &fault)
{
    RecordingReader reader;
    if (!reader.readFile(source) || reader.frames().isEmpty())
        return QString();
    const qint64 startUs = reader.frames().constFirst().timeUs;
    // Whether the frame lies from `fromS` to before `toS` after the recording's first one.
    const auto between = [startUs](const TimedFrame &f, double fromS, double toS) {
        return f.timeUs - startUs >= qint64(fromS * 1e6) && f.timeUs - startUs < qint64(toS * 1e6);
    };
    QVector<TimedFrame> out;
    // A frame sent every `periodS` from `fromS` to before `toS`.
    const auto addEvery = [&](double fromS, double toS, double periodS, quint32 id,
                              const char *hexData) {
        const QByteArray data = QByteArray::fromHex(hexData);
        for (double t = fromS; t < toS - 1e-9; t += periodS)
            out.append({startUs + qRound64(t * 1e6),
                        CanMessage(id, reinterpret_cast<const quint8 *>(data.constData()), 8)});
    };
    int eec1 = 0;
    for (TimedFrame f : reader.frames()) {
        const quint8 sa = f.message.id & 0xFF;
        // The truck's can0 twice: the same units at the same addresses on can0 and can1.
        if (fault.startsWith(QLatin1String("twin"))) {
            if (f.bus != 0)
                continue;
            out.append(f);
            f.bus = 1;
            if (fault != "twin, 0x47 silent on can1" || sa != 0x47 || !between(f, 60, 65))
                out.append(f);
            continue;
        }
        if (fault == "silent" && sa == 0x47 && between(f, 60, 65))
            continue; // the unit at 0x47 says nothing for 5 s
        if (fault == "switched off" && sa == 0x47 && between(f, 60, 130))
            continue; // ... or for 70 s
        if (fault == "half rate" && f.message.id == 0x0CF00400 && between(f, 10, 30) && eec1++ % 2)
            continue; // every second EEC1 of the engine dropped
        if (fault == "error indicator" && f.message.id == 0x0CF00400 && between(f, 20, 25))
            f.message.data[4] = 0xFE; // engine speed at its error indicator
        if (fault == "not available" && f.message.id == 0x18FEF147 && between(f, 70, 80))
            f.message.data[1] = f.message.data[2] = 0xFF; // vehicle speed not available
        if (fault == "moved" && sa == 0x23 && between(f, 30, 1e6))
            f.message.id = (f.message.id & ~0xFFu) | 0x24; // 0x23 goes on at 0x24
        out.append(f);
    }
    if (fault == "moved") // it claims the new address first, with its NAME
        addEvery(29.999, 30, 1, 0x18EEFF24, "0795E01003B4A0C2");
    if (fault == "unexpected unit")
        addEvery(50, 60, 0.1, 0x18FF2042, "0102030405060708");
    if (fault == "active code") {
        addEvery(20.5, 25, 1, 0x18FECA00, "04FF6E001003FFFF");
        addEvery(25.5, 26, 1, 0x18FECA00, "00FF00000000FFFF");
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const TimedFrame &a, const TimedFrame &b) { return a.timeUs < b.timeUs; });
    const QString path
        = m_dir.filePath(QString(fault).remove(QLatin1Char(',')).replace(' ', '-') + ".log");
    RecordingWriter writer;
    const bool written
        = writer.open(path, RecordingReader::Candump) && writer.write(out) && writer.commit();
    return written ? path : QString();
}

void tst_RealBusCheck::realRecordings_data()
{
    QTest::addColumn<QStringList>("learn");
    QTest::addColumn<QStringList>("check");
    QTest::addColumn<QVector<ExpectedDeviation>>("expected"); // start < 0: times not compared

    const QString truck = TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    const QString nmea = TestEnvironment::dataFile("css_94C49784_nmea2000_addrclaim_request.log");
    const QString logger = TestEnvironment::dataFile("css_2F6913DB_newer_logger.log");
    const QString expected = m_dir.filePath(QStringLiteral("real.tvsx"));
    // Healthy recordings learned on a part and checked on the rest show nothing, at any split.
    // The truck's engine falls silent at 41 s and comes back at 169 s: switched off, no
    // dropout, though its silence is noted when the learning did not see it.
    const struct
    {
        const char *name;
        QString path;
        double lengthS;
    } healthy[]
        = {{"truck", truck, 186.1}, {"NMEA 2000", nmea, 60.0}, {"newer logger", logger, 170.6}};
    for (const auto &h : healthy) {
        const QString third = QString::number(h.lengthS / 3, 'f', 1);
        const QString half = QString::number(h.lengthS / 2, 'f', 1);
        const QList<QPair<QString, QString>> splits{
            {"first third learned, the rest matches", third},
            {"first half learned, the second half matches", half},
            {"first 40 s learned, the rest matches", "40"}};
        for (const auto &split : splits) {
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(h.name, split.first)))
                << QStringList{"learn", h.path, "--to", split.second, "-o", expected}
                << QStringList{"check", "--scheme", expected, h.path, "--from", split.second}
                << (h.path == truck && split.second == "40"
                        ? QVector<ExpectedDeviation>{{"switched-off", 0x00, -1, 0}}
                        : QVector<ExpectedDeviation>{});
        }
    }
    // Faults put into copies of a healthy recording are each found once, with their times.
    // A unit's silence starts five of its periods (1 s + 24 ms) after its last frame (0x47's
    // before the cut: 59.225 s) and ends with its next one. The engine's EEC1 (every 100 ms,
    // learned tolerance 20 %) is late once the mean of eight gaps passes 120 ms and again on
    // time after seven gaps at full rate. A value's deviation runs from its first frame at
    // fault to the first one without.
    const QStringList learnTruck{"learn", truck, "-o", expected};
    const QStringList learnNmea{"learn", nmea, "-o", expected};
    const struct
    {
        const char *name;
        QStringList learn;
        QString source;
        ExpectedDeviation found;
    } faults[] = {
        {"silent", learnTruck, truck, {"silent", 0x47, 59.225 + 5.12, 65.035}},
        {"switched off", learnTruck, truck, {"switched-off", 0x47, 59.225 + 5.12, 130.064}},
        {"half rate", learnTruck, truck, {"late", 0x00, 10.421, 30.773}},
        {"error indicator", learnTruck, truck, {"error-indicator", 0x00, 20.0, 25.0}},
        {"not available", learnTruck, truck, {"out-of-range", 0x47, 70.227, 80.328}},
        {"moved", learnNmea, nmea, {"moved", 0x23, 30.0, 60.0}},
        {"unexpected unit", learnTruck, truck, {"unexpected-unit", 0x42, 50.0, 59.9}},
        {"active code", learnTruck, truck, {"trouble-code", 0x00, 20.5, 25.5}},
    };
    for (const auto &f : faults) {
        QTest::newRow(qPrintable(QStringLiteral("fault: %1").arg(f.name)))
            << f.learn << QStringList{"check", "--scheme", expected, faultyCopy(f.source, f.name)}
            << QVector<ExpectedDeviation>{f.found};
    }
    // A code seen while learning is allowed: its coming and going is no deviation.
    const QString coded = faultyCopy(truck, "active code");
    QTest::newRow("allowed code comes and goes")
        << QStringList{"learn", coded, "-o", expected}
        << QStringList{"check", "--scheme", expected, coded} << QVector<ExpectedDeviation>{};
    // Two buses with the same units: a unit is its bus and address, so the silence of can1's
    // 0x47 is found while can0's goes on sending (a check of one address space would not).
    const QStringList learnTwin{"learn", faultyCopy(truck, "twin"), "-o", expected};
    const QString twinFault = faultyCopy(truck, "twin, 0x47 silent on can1");
    const ExpectedDeviation can1Silent{"silent", 0x47, 59.225 + 5.12, 65.035, "can1"};
    QTest::newRow("two buses: one unit silent on can1")
        << learnTwin << QStringList{"check", "--scheme", expected, twinFault}
        << QVector<ExpectedDeviation>{can1Silent};
    QTest::newRow("two buses: --bus can1")
        << learnTwin << QStringList{"check", "--scheme", expected, twinFault, "--bus", "can1"}
        << QVector<ExpectedDeviation>{can1Silent};
    QTest::newRow("two buses: --bus 0 matches")
        << learnTwin << QStringList{"check", "--scheme", expected, twinFault, "--bus", "0"}
        << QVector<ExpectedDeviation>{};
    // Learning one bus on a base scheme of two keeps the other bus's units as they were.
    const QString twinBase = m_dir.filePath(QStringLiteral("twin-base.tvsx"));
    CliRun::run({"learn", learnTwin.at(1), "-o", twinBase});
    QTest::newRow("two buses: can0 learned again on their scheme")
        << QStringList{"learn", learnTwin.at(1), "--scheme", twinBase, "--bus", "0", "-o", expected}
        << QStringList{"check", "--scheme", expected, twinFault}
        << QVector<ExpectedDeviation>{can1Silent};
    // A scheme of one bus is the first bus's, also when the recording starts on another: the
    // NMEA 2000 units are missing on the newer logger's can0, though its first frame is can1's.
    QVector<ExpectedDeviation> missingOnCan0;
    for (const int address : {0x00, 0x01, 0x02, 0x03, 0x05, 0x23, 0x8E, 0x8F})
        missingOnCan0.append({"missing", address, -1, 0, "can0"});
    QTest::newRow("a scheme of one bus on a recording starting on can1")
        << learnNmea << QStringList{"check", "--scheme", expected, logger} << missingOnCan0;
    QVector<ExpectedDeviation> truckUnits;
    for (const int address : {0, 163, 71, 81, 82})
        truckUnits.append({"missing", address, -1, 0});
    for (const int address : {1, 142, 143, 2, 3, 35, 5})
        truckUnits.append({"unexpected-unit", address, -1, 0});
    QTest::newRow("NMEA 2000 against the truck")
        << QStringList{"learn", truck, "--to", "93", "-o", expected}
        << QStringList{"check", "--scheme", expected, nmea} << truckUnits;
    QTest::newRow("demo recording against the example scheme")
        << QStringList{}
        << QStringList{"check", "--scheme", ":/demo/demo.tvsx", ":/demo/demo-bus.log"}
        << QVector<ExpectedDeviation>{{"out-of-range", 160, -1, 0},
                                      {"out-of-range", 160, -1, 0},
                                      {"trouble-code", 0, -1, 0},
                                      {"trouble-code", 0, -1, 0}};
}

void tst_RealBusCheck::realRecordings()
{
    QFETCH(QStringList, learn);
    QFETCH(QStringList, check);
    QFETCH(QVector<ExpectedDeviation>, expected);
    if (!learn.isEmpty()) {
        const CliRun r = CliRun::run(learn);
        QVERIFY2(r.code == 0, qPrintable(r.err));
    }
    const QString json = m_dir.filePath(QStringLiteral("real.json"));
    const CliRun r = CliRun::run(check + QStringList{"--json", json});
    const bool faults
        = std::any_of(expected.cbegin(), expected.cend(),
                      [](const ExpectedDeviation &e) { return e.kind != "switched-off"; });
    QVERIFY2(r.code == (faults ? 1 : 0), qPrintable(r.out + r.err));
    // The report is the same in every run, whatever order the process's hashes keep.
    for (int seed = 1; seed <= 2; ++seed) {
        qSetGlobalQHashSeed(seed);
        const CliRun again = CliRun::run(check);
        qSetGlobalQHashSeed(-1);
        QCOMPARE(again.out, r.out);
    }
    // Units switched off are listed apart: they are no deviation.
    const QJsonObject report = QJsonDocument::fromJson(TestEnvironment::readFile(json)).object();
    QJsonArray found = report.value("deviations").toArray();
    for (const QJsonValue &v : report.value("switchedOff").toArray()) {
        QJsonObject o = v.toObject();
        QCOMPARE(o.value("kind").toString(), QStringLiteral("silent"));
        o["kind"] = QStringLiteral("switched-off");
        found.append(o);
    }
    QVERIFY2(found.size() == expected.size(), qPrintable(r.out));
    const bool withBus = std::any_of(expected.cbegin(), expected.cend(),
                                     [](const ExpectedDeviation &e) { return !e.bus.isEmpty(); });
    auto order = [withBus](const QString &kind, int address, const QString &bus) {
        return kind + QLatin1Char(' ') + QString::number(address)
               + (withBus ? QLatin1Char(' ') + bus : QString());
    };
    QStringList kinds;
    for (const ExpectedDeviation &e : expected)
        kinds << order(e.kind, e.address, e.bus);
    QStringList got;
    for (const QJsonValue &v : found)
        got << order(v["kind"].toString(), v["address"].toInt(-1), v["bus"].toString());
    std::sort(kinds.begin(), kinds.end());
    std::sort(got.begin(), got.end());
    QCOMPARE(got, kinds);
    for (int i = 0; i < expected.size(); ++i) {
        if (expected.at(i).start < 0)
            continue;
        const QJsonObject d = found.at(i).toObject();
        QVERIFY2(std::abs(d.value("start").toDouble() - expected.at(i).start) <= 0.15,
                 qPrintable(r.out));
        QVERIFY2(std::abs(d.value("end").toDouble() - expected.at(i).end) <= 0.15,
                 qPrintable(r.out));
    }
}

// With the engineer's database before the library, the learned scheme holds the engine's EEC1
// as the database's function.
void tst_RealBusCheck::learnsDbcGroups()
{
    const QString scheme = m_dir.filePath(QStringLiteral("dbc.tvsx"));
    const CliRun r = CliRun::run(
        {"learn", TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log"), "--to", "20", "-o",
         scheme, "--dbc", TestEnvironment::dataFile("css_j1939_demo.dbc"), "--dbc-wins"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QByteArray text = TestEnvironment::readFile(scheme);
    QVERIFY(text.contains(" key=\"dbc_EEC1\""));
    QVERIFY(!text.contains(" key=\"eec1\""));
    // The library's other groups stay the library's.
    QVERIFY(text.contains(" key=\"eec2\""));
    // The scheme's database functions come back for the check and the decoder: the bus is the
    // one learned, and EEC1's signal is the database's again.
    const QStringList database
        = {"--dbc", TestEnvironment::dataFile("css_j1939_demo.dbc"), "--dbc-wins"};
    const QString truck = TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    const CliRun check
        = CliRun::run(QStringList{"check", truck, "--to", "20", "--scheme", scheme} + database);
    QVERIFY2(check.code == 0, qPrintable(check.out + check.err));
    QVERIFY2(check.out.contains("matches the expected scheme"), qPrintable(check.out));
    const QString csv = m_dir.filePath(QStringLiteral("dbc.csv"));
    const CliRun decode
        = CliRun::run(QStringList{"decode", truck, "--scheme", scheme, "-o", csv} + database);
    QVERIFY2(decode.code == 0, qPrintable(decode.err));
    QVERIFY2(TestEnvironment::readFile(csv).split('\n').first().contains("EngineSpeed"),
             qPrintable(csv));
}

QTEST_GUILESS_MAIN(tst_RealBusCheck)
#include "tst_realbuscheck.moc"
