#include "job/snapshotwriter.h"

#include "can/recordingreader.h"
#include "job/snapshotplot.h"
#include "support/testenvironment.h"

#include "framestext.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 Second = 1000000;
// 2021-06-01T11:43:50Z in µs since 1970.
constexpr qint64 EpochUs = Q_INT64_C(1622547830) * Second;

// A snapshot of unit 0x05 at `timeUs`: SPN 100 FMI 3 appeared, frames every 100 ms.
Snapshot snapshotAt(qint64 timeUs)
{
    Snapshot s;
    s.timeUs = timeUs;
    s.source = 0x05;
    s.change = QStringLiteral("SPN 100 FMI 3 appeared");
    const CodeWatcher::Code c{100, 3, 1};
    s.appeared = {c};
    s.codesAfter = {c};
    s.fromUs = timeUs - 2 * Second;
    s.toUs = timeUs + Second;
    for (qint64 t = s.fromUs; t <= s.toUs; t += 100000)
        s.frames.append(numberedFrame(t, 0x18FEF105, quint32(t / 1000)));
    return s;
}

ParameterSamples samplesAround(qint64 timeUs)
{
    ParameterSamples p;
    p.names = QStringList{"Engine speed", "Oil, pressure", "Gear", "Coolant"};
    p.units = QStringList{"rpm", "kPa", "", "°C"};
    for (int i = -2; i <= 1; ++i) {
        p.timesUs << timeUs + i * Second;
        p.values << 1500 + 10 * i << (i == 0 ? std::numeric_limits<double>::quiet_NaN() : 250.5)
                 << 3
                 << (i < 0    ? double(219.2f)
                     : i == 0 ? 0.1
                              : -40.03125);
    }
    return p;
}

QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(TestEnvironment::readFile(path)).object();
}

} // namespace

class tst_SnapshotWriter : public QObject
{
    Q_OBJECT

private slots:
    void writesTheFolder();
    void idsContinueAcrossWriters();
    void damagedIndexKept_data();
    void damagedIndexKept();
    void timeOfTheEntry_data();
    void timeOfTheEntry();
    void plotWithoutParameters();
    void plottedColumns();
};

void tst_SnapshotWriter::writesTheFolder()
{
    QTemporaryDir dir;
    const QString snapshots = dir.filePath(QStringLiteral("snapshots"));
    SnapshotWriter writer(snapshots);
    const Snapshot s = snapshotAt(EpochUs + 30 * Second);
    SnapshotWriter::Written w;
    QVERIFY2(writer.write(s, QString(), samplesAround(s.timeUs), &w),
             qPrintable(writer.errorString()));
    QCOMPARE(w.id, 1);
    QCOMPARE(w.dir, QStringLiteral("001-0x05-spn100"));
    const QDir folder(QDir(snapshots).filePath(w.dir));

    RecordingReader reader;
    QVERIFY(reader.readFile(folder.filePath(QStringLiteral("frames.log"))));
    QCOMPARE(reader.format(), RecordingReader::Candump);
    QCOMPARE(reader.frames().size(), s.frames.size());
    for (int i = 0; i < s.frames.size(); ++i) {
        QCOMPARE(reader.frames().at(i).timeUs, s.frames.at(i).timeUs);
        QCOMPARE(reader.frames().at(i).message.toString(), s.frames.at(i).message.toString());
    }

    QCOMPARE(
        TestEnvironment::readFile(folder.filePath(QStringLiteral("parameters.csv"))),
        QString::fromUtf8("time_s,Engine speed [rpm],\"Oil, pressure [kPa]\",Gear,Coolant [°C]\n"
                          "-2.000,1480,250.5,3,219.2\n"
                          "-1.000,1490,250.5,3,219.2\n"
                          "0.000,1500,,3,0.1\n"
                          "1.000,1510,250.5,3,-40.03125\n")
            .toUtf8());
    // Read again (the report draws the plot anew in its language): the same columns and
    // values, the times from the change; a text of another shape is none.
    ParameterSamples back;
    QVERIFY(SnapshotWriter::samplesFromCsv(
        TestEnvironment::readFile(folder.filePath(QStringLiteral("parameters.csv"))), &back));
    const ParameterSamples sent = samplesAround(s.timeUs);
    QCOMPARE(back.names, sent.names);
    QCOMPARE(back.units, sent.units);
    QCOMPARE(back.rowCount(), sent.rowCount());
    for (int r = 0; r < sent.rowCount(); ++r) {
        QCOMPARE(back.timesUs.at(r), sent.timesUs.at(r) - s.timeUs);
        for (int c = 0; c < sent.columnCount(); ++c) {
            QCOMPARE(std::isnan(back.value(r, c)), std::isnan(sent.value(r, c)));
            if (!std::isnan(sent.value(r, c)))
                QCOMPARE(float(back.value(r, c)), float(sent.value(r, c)));
        }
    }
    QVERIFY(!SnapshotWriter::samplesFromCsv("time_s,a\n1,2,3\n", &back));
    QVERIFY(!SnapshotWriter::samplesFromCsv("seconds,a\n1,2\n", &back));
    QVERIFY(!SnapshotWriter::samplesFromCsv("time_s,a\nsoon,2\n", &back));

    const QImage plot(folder.filePath(QStringLiteral("plot.png")));
    QCOMPARE(plot.size(), SnapshotPlot::defaultSize());
    // The lines are drawn: the plot differs from the one of the same window without them.
    const QImage bare = SnapshotPlot::render(ParameterSamples(), s.timeUs, s.fromUs, s.toUs);
    QVERIFY(plot.convertToFormat(bare.format()) != bare);

    const QJsonObject index = readJson(QDir(snapshots).filePath(QStringLiteral("index.json")));
    QCOMPARE(index.value("version").toInt(), 1);
    const QJsonArray list = index.value("snapshots").toArray();
    QCOMPARE(list.size(), 1);
    const QJsonObject e = list.at(0).toObject();
    QCOMPARE(e.value("id").toInt(), 1);
    QCOMPARE(e.value("time").toString(), QStringLiteral("2021-06-01T11:44:20Z"));
    QCOMPARE(qint64(e.value("timeUs").toDouble()), s.timeUs);
    QCOMPARE(e.value("unit").toInt(), 5);
    QCOMPARE(e.value("unitName").toString(), QStringLiteral("Unit 0x05"));
    QCOMPARE(e.value("change").toString(), s.change);
    QCOMPARE(QJsonDocument(e.value("appeared").toArray()).toJson(QJsonDocument::Compact),
             QByteArray("[{\"fmi\":3,\"oc\":1,\"spn\":100}]"));
    QCOMPARE(e.value("gone").toArray().size(), 0);
    QCOMPARE(e.value("countChanged").toArray().size(), 0);
    QCOMPARE(e.value("codes").toArray().size(), 1);
    QCOMPARE(qint64(e.value("fromUs").toDouble()), s.fromUs);
    QCOMPARE(qint64(e.value("toUs").toDouble()), s.toUs);
    QCOMPARE(e.value("frames").toInt(), s.frames.size());
    QCOMPARE(e.value("dir").toString(), w.dir);
    QCOMPARE(e.value("complete").toBool(), true);
}

// Each write reads the index first: a second writer (the job reopened) goes on numbering.
void tst_SnapshotWriter::idsContinueAcrossWriters()
{
    QTemporaryDir dir;
    QStringList dirs;
    {
        SnapshotWriter first(dir.path());
        for (int i = 0; i < 2; ++i) {
            SnapshotWriter::Written w;
            QVERIFY(first.write(snapshotAt(i * 20 * Second), QStringLiteral("Engine #1"),
                                ParameterSamples(), &w));
            dirs << w.dir;
        }
    }
    SnapshotWriter second(dir.path());
    Snapshot other = snapshotAt(60 * Second);
    other.source = 0xA0;
    other.appeared.clear();
    other.gone = {CodeWatcher::Code{520200, 31}};
    SnapshotWriter::Written w;
    QVERIFY(second.write(other, QString(), ParameterSamples(), &w));
    dirs << w.dir;
    QCOMPARE(dirs, (QStringList{"001-0x05-spn100", "002-0x05-spn100", "003-0xA0-spn520200"}));
    const QJsonArray list
        = readJson(dir.filePath(QStringLiteral("index.json"))).value("snapshots").toArray();
    QCOMPARE(list.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(list.at(i).toObject().value("id").toInt(), i + 1);
        QCOMPARE(list.at(i).toObject().value("dir").toString(), dirs.at(i));
        QVERIFY(QFileInfo::exists(dir.filePath(dirs.at(i) + QStringLiteral("/frames.log"))));
    }
    QCOMPARE(list.at(0).toObject().value("unitName").toString(), QStringLiteral("Engine #1"));
    QCOMPARE(list.at(2).toObject().value("unitName").toString(), QStringLiteral("Unit 0xA0"));
    // Time stamps before 1990 count from an adapter's start: no date to give.
    QCOMPARE(list.at(2).toObject().value("time").toString(), QString());
}

void tst_SnapshotWriter::damagedIndexKept_data()
{
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<QString>("error");
    QTest::newRow("not JSON") << QByteArray("{\"version\":1,\"snaps") << "index.json is damaged";
    QTest::newRow("no list") << QByteArray("{\"version\":1}") << "index.json is damaged";
    QTest::newRow("a list, not an object") << QByteArray("[1,2]") << "index.json is damaged";
    QTest::newRow("newer format") << QByteArray("{\"version\":2,\"snapshots\":[]}")
                                  << "This job was written by a newer Tarvik (format 2)";
}

// An index the writer cannot read is never replaced: the snapshots it lists stay listed.
void tst_SnapshotWriter::damagedIndexKept()
{
    QFETCH(QByteArray, index);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("index.json"));
    QVERIFY(TestEnvironment::writeFile(path, index));
    SnapshotWriter writer(dir.path());
    QVERIFY(!writer.write(snapshotAt(0), QString(), ParameterSamples()));
    QVERIFY2(writer.errorString().contains(error), qPrintable(writer.errorString()));
    QCOMPARE(TestEnvironment::readFile(path), index);
}

void tst_SnapshotWriter::timeOfTheEntry_data()
{
    QTest::addColumn<qint64>("timeUs");
    QTest::addColumn<bool>("clockSet");
    QTest::addColumn<QString>("time");
    QTest::newRow("recording stamps since 1970") << EpochUs << false << "2021-06-01T11:43:50Z";
    QTest::newRow("adapter clock, no reference") << 5 * Second << false << "";
    QTest::newRow("adapter clock with a reference") << 5 * Second << true << "2026-12-07T14:12:08Z";
}

void tst_SnapshotWriter::timeOfTheEntry()
{
    QFETCH(qint64, timeUs);
    QFETCH(bool, clockSet);
    QFETCH(QString, time);
    QTemporaryDir dir;
    SnapshotWriter writer(dir.path());
    // The adapter's clock read 1 s at 14:12:04 UTC.
    if (clockSet)
        writer.setClock(Second, QDateTime(QDate(2026, 12, 7), QTime(14, 12, 4), Qt::UTC));
    QVERIFY(writer.write(snapshotAt(timeUs), QString(), ParameterSamples()));
    const QJsonArray list
        = readJson(dir.filePath(QStringLiteral("index.json"))).value("snapshots").toArray();
    QCOMPARE(list.at(0).toObject().value("time").toString(), time);
}

// No parameters: the table has its time column only, the plot still its axis and change line.
void tst_SnapshotWriter::plotWithoutParameters()
{
    QTemporaryDir dir;
    SnapshotWriter writer(dir.path());
    SnapshotWriter::Written w;
    QVERIFY(writer.write(snapshotAt(EpochUs), QString(), ParameterSamples(), &w));
    QCOMPARE(TestEnvironment::readFile(dir.filePath(w.dir + QStringLiteral("/parameters.csv"))),
             QByteArray("time_s\n"));
    const QImage plot(dir.filePath(w.dir + QStringLiteral("/plot.png")));
    QCOMPARE(plot.size(), SnapshotPlot::defaultSize());
    QCOMPARE(SnapshotPlot::plottedColumns(ParameterSamples()).size(), 0);
}

// Columns with a value are drawn, those that vary first, at most eight.
void tst_SnapshotWriter::plottedColumns()
{
    ParameterSamples p;
    const double none = std::numeric_limits<double>::quiet_NaN();
    for (int c = 0; c < 12; ++c) {
        p.names << QStringLiteral("P%1").arg(c);
        p.units << QString();
    }
    // Columns 0-3 constant, 4 never available, 5-11 varying.
    for (int row = 0; row < 3; ++row) {
        p.timesUs << row * Second;
        for (int c = 0; c < 12; ++c)
            p.values << (c < 4 ? 1.0 : c == 4 ? none : double(row * c));
    }
    QCOMPARE(SnapshotPlot::plottedColumns(p), (QVector<int>{5, 6, 7, 8, 9, 10, 11, 0}));
    QCOMPARE(SnapshotPlot::plottedColumns(samplesAround(0)), (QVector<int>{0, 3, 1, 2}));
}

QTEST_MAIN(tst_SnapshotWriter)
#include "tst_snapshotwriter.moc"
