#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "cli/clirun.h"
#include "support/candumptext.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestEnvironment::readFile;

// Frames on three named interfaces, the first not on bus 0.
const QByteArray ThreeBuses
    = candumpText({"1 vcan1 123#01", "2 can0 18FEF100#02", "3 can3 123#03", "4 vcan1 123#04"});

} // namespace

// tarvik-cli convert keeps every bus, picks buses with --bus and renames them with --map.
class tst_ConvertBuses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void options_data();
    void options();
    void loggerFilesKeepTheirBuses_data();
    void loggerFilesKeepTheirBuses();
    void oneBusPcapStaysSocketCan();
    void convert_data();
    void convert();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    TestFolder m_dir;
};

void tst_ConvertBuses::options_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("written"); // the candump log written; empty for none
    const auto row = [](const char *name, const QStringList &options, int code,
                        const QString &message, const QByteArray &written = QByteArray()) {
        QTest::newRow(name) << options << code << message << written;
    };
    row("every bus kept with its name", {}, 0, "Wrote 4 frames", ThreeBuses);
    const QByteArray vcan1 = candumpText({"1 vcan1 123#01", "4 vcan1 123#04"});
    row("--bus by number", {"--bus", "1"}, 0, "Wrote 2 frames", vcan1);
    row("--bus by the recording's name", {"--bus", "vcan1"}, 0, "Wrote 2 frames", vcan1);
    row("--bus canN of a bus with its own name matches nothing", {"--bus", "can1"}, 1,
        "holds no frames on bus can1");
    row("--bus twice", {"--bus", "0", "--bus", "can3"}, 0, "Wrote 2 frames",
        candumpText({"2 can0 18FEF100#02", "3 can3 123#03"}));
    row("--map swaps buses", {"--map", "0=1", "--map", "vcan1=0"}, 0, "Wrote 4 frames",
        candumpText({"1 can0 123#01", "2 can1 18FEF100#02", "3 can3 123#03", "4 can0 123#04"}));
    row("--map to a name", {"--map", "can3=slcan7"}, 0, "Wrote 4 frames",
        candumpText({"1 vcan1 123#01", "2 can0 18FEF100#02", "3 slcan7 123#03", "4 vcan1 123#04"}));
    row("--map merges buses", {"--map", "3=0", "--map", "1=0"}, 0, "Wrote 4 frames",
        candumpText({"1 can0 123#01", "2 can0 18FEF100#02", "3 can0 123#03", "4 can0 123#04"}));
    row("--bus with --map", {"--bus", "3", "--map", "3=2"}, 0, "Wrote 1 frames",
        candumpText({"3 can2 123#03"}));
    row("bus number too large", {"--bus", "256"}, 2, "--bus: bus 256 is out of range (0 to 255)");
    row("bus empty", {"--bus", ""}, 2, "--bus: a bus is missing");
    row("bus name with a blank", {"--bus", "can 1"}, 2,
        "--bus: \"can 1\" is neither a bus number nor an interface name");
    row("map without =", {"--map", "can1"}, 2,
        "--map: \"can1\" is not FROM=TO (for example can1=0)");
    row("map without target", {"--map", "can1="}, 2, "--map: a bus is missing");
    row("map twice from one bus", {"--map", "1=2", "--map", "1=3"}, 2,
        "--map: bus 1 is mapped twice");
    row("map to a negative number", {"--map", "1=-1"}, 2,
        "--map: \"-1\" is neither a bus number nor an interface name");
}

void tst_ConvertBuses::options()
{
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(QByteArray, written);
    const QString in = path(QStringLiteral("three.log"));
    QVERIFY(TestEnvironment::writeFile(in, ThreeBuses));
    const QString out = path(QStringLiteral("picked.log"));
    QFile::remove(out);
    const CliRun r = CliRun::run(QStringList{"convert", in, "-o", out} + options);
    QCOMPARE(r.code, code);
    QVERIFY2((code == 0 ? r.out : r.err).contains(message), qPrintable(r.out + r.err));
    QCOMPARE(QFile::exists(out), !written.isEmpty());
    QCOMPARE(readFile(out), written);
}

void tst_ConvertBuses::loggerFilesKeepTheirBuses_data()
{
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("extension");
    for (const char *name : {"css_FCBF0606_j1939_truck_bam", "css_2F6913DB_newer_logger"}) {
        for (const char *source : {".log", ".MF4"}) {
            for (const RecordingReader::Format format : RecordingWriter::formats()) {
                const QString extension = RecordingWriter::extension(format);
                QTest::newRow(qPrintable(QString::fromLatin1(name).left(12) + source
                                         + QStringLiteral(" via ") + extension))
                    << QString::fromLatin1(name) << QString::fromLatin1(source) << extension;
            }
        }
    }
}

// The logger's two-bus recordings, as it wrote them, converted to every format and back to
// candump: the very file the logger's own candump export is, can0 and can1 line for line.
void tst_ConvertBuses::loggerFilesKeepTheirBuses()
{
    QFETCH(QString, recording);
    QFETCH(QString, source);
    QFETCH(QString, extension);
    const QByteArray expected = readFile(TestEnvironment::dataFile(recording + ".log"));
    QVERIFY(expected.contains(" can1 "));
    const QString middle = path(QStringLiteral("logger.") + extension);
    const QString back = path(QStringLiteral("logger-back.log"));
    QCOMPARE(
        CliRun::run({"convert", TestEnvironment::dataFile(recording + source), "-o", middle}).code,
        0);
    const CliRun r = CliRun::run({"convert", middle, "-o", back});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(readFile(back), expected);
}

// A recording of one bus writes pcap as before: the SocketCAN link type, no cooked header.
void tst_ConvertBuses::oneBusPcapStaysSocketCan()
{
    const QString out = path(QStringLiteral("one.pcap"));
    const QString truck
        = TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"));
    QCOMPARE(CliRun::run({"convert", truck, "--bus", "can1", "--map", "1=0", "-o", out}).code, 0);
    QCOMPARE(readFile(out).mid(20, 4), QByteArray::fromHex("e3000000")); // 227
    QCOMPARE(CliRun::run({"convert", truck, "--bus", "can1", "-o", out}).code, 0);
    QCOMPARE(readFile(out).mid(20, 4), QByteArray::fromHex("14010000")); // 276, SLL2
}

// Whole recordings converted by extension or --format: the frames read back as written.
void tst_ConvertBuses::convert_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("frames"); // in the output; -1 for no file, -2 for some but not all
    const QString truck
        = TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"));
    QTest::newRow("truck to BLF by the extension")
        << truck << QStringList() << "truck.blf" << 0
        << "Wrote 1815 frames to " + m_dir.filePath(QStringLiteral("truck.blf"))
               + " (Vector BLF); 0 records skipped"
        << 1815;
    QTest::newRow("truck to pcapng by --format")
        << truck << QStringList{"--format", "pcapng"} << "truck.out" << 0 << "(pcapng)" << 1815;
    QTest::newRow("truck to pcap in nanoseconds")
        << truck << QStringList{"--nanoseconds"} << "truck.pcap" << 0 << "(pcap)" << 1815;
    QTest::newRow("bad lines counted")
        << m_dir.write(QStringLiteral("mixed2.log"),
                       "(1622547830.100000) can0 18FEF100#01\njunk\n(1622547830.2) can0 123#\n")
        << QStringList() << "mixed.asc" << 0 << "Wrote 2 frames to" << 2;
    QTest::newRow("no frames leave no file")
        << m_dir.write(QStringLiteral("junk2.log"), "nothing\n") << QStringList() << "junk.trc" << 1
        << "holds no CAN frames" << -1;
    // A BLF cut part way, as a logger leaves it when its power fails: the truck five times over
    // fills several log containers.
    RecordingReader reader;
    reader.readFile(truck);
    const QString whole = m_dir.filePath(QStringLiteral("whole.blf"));
    RecordingWriter writer;
    writer.open(whole, RecordingReader::Blf);
    for (int round = 0; round < 5; ++round) {
        for (TimedFrame frame : reader.frames()) {
            frame.timeUs += round * qint64(200000000);
            writer.write(frame);
        }
    }
    if (!writer.commit())
        QFAIL("cannot write the BLF");
    const QByteArray blf = TestEnvironment::readFile(whole);
    QTest::newRow("BLF cut part way: the frames before the cut")
        << m_dir.write(QStringLiteral("cut.blf"), blf.left(blf.size() * 2 / 3)) << QStringList()
        << "cut.log" << 1 << "offset " << -2;
}

void tst_ConvertBuses::convert()
{
    QFETCH(QString, input);
    QFETCH(QStringList, options);
    QFETCH(QString, output);
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(int, frames);
    const QString path = m_dir.filePath(output);
    QFile::remove(path);
    const CliRun r = CliRun::run(QStringList{"convert", input, "-o", path} + options);
    QCOMPARE(r.code, code);
    QVERIFY2((code == 0 ? r.out : r.err).contains(message), qPrintable(r.out + r.err));
    if (frames == -1) {
        QVERIFY(!QFile::exists(path));
        return;
    }
    RecordingReader original;
    original.readFile(input);
    RecordingReader converted;
    QVERIFY2(converted.readFile(path), qPrintable(converted.errorString()));
    const QVector<TimedFrame> &read = converted.frames();
    const QVector<TimedFrame> &all = original.frames();
    if (frames == -2) {
        QVERIFY(!original.errorString().isEmpty());
        QVERIFY(read.size() > 1815);
        QCOMPARE(read.size(), all.size());
    } else {
        QCOMPARE(read.size(), frames);
    }
    for (int i = 0; i < read.size() && i < all.size(); ++i) {
        QCOMPARE(read[i].timeUs, all[i].timeUs);
        QCOMPARE(read[i].message.toString(), all[i].message.toString());
    }
}

QTEST_GUILESS_MAIN(tst_ConvertBuses)
#include "tst_convertbuses.moc"
