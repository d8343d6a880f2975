#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "support/recordingbytes.h"
#include "support/testenvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace RecordingBytes;

namespace {

bool pythonCanAvailable()
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral("import can")});
    return python.waitForFinished(30000) && python.exitStatus() == QProcess::NormalExit
           && python.exitCode() == 0;
}

// Runs a python-can script with its arguments; false when it failed.
bool runPython(const QString &script, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), script} + arguments);
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit
        || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return false;
    }
    if (output)
        *output = python.readAllStandardOutput();
    return true;
}

} // namespace

// Every writer read back by our readers, conversions between every pair of formats, and the
// files checked by python-can and Wireshark.
class tst_RecordingFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void roundTrip_data();
    void roundTrip();
    void conversionMatrix_data();
    void conversionMatrix();
    void formatNames_data();
    void formatNames();
    void writerReplacesOnlyOnCommit();
    void pythonCanWritesBlf();
    void pythonCanReadsOurBlf();
    void wiresharkReadsOurPcapng_data();
    void wiresharkReadsOurPcapng();

private:
    QTemporaryDir m_dir;
};

Q_DECLARE_METATYPE(Format)

void tst_RecordingFormats::roundTrip_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<bool>("nanoseconds");
    QTest::addColumn<qint64>("startUs");
    QTest::addColumn<int>("count");
    for (const Format format : RecordingWriter::formats()) {
        const QByteArray key = RecordingWriter::formatKey(format).toLatin1();
        QTest::newRow(key + " absolute") << format << false << qint64(1622547830123456) << 40;
        QTest::newRow(key + " relative") << format << false << qint64(1500) << 40;
    }
    QTest::newRow("pcap nanoseconds")
        << RecordingReader::Pcap << true << qint64(1622547830123456) << 40;
    QTest::newRow("pcapng nanoseconds")
        << RecordingReader::Pcapng << true << qint64(1622547830123456) << 40;
    // 48 bytes a frame: a dozen containers of 128 KiB, and more frames than one batch.
    QTest::newRow("blf many containers")
        << RecordingReader::Blf << false << qint64(1622547830123456) << 30000;
    QTest::newRow("empty blf") << RecordingReader::Blf << false << qint64(0) << 0;
    QTest::newRow("empty pcapng") << RecordingReader::Pcapng << false << qint64(0) << 0;
}

void tst_RecordingFormats::roundTrip()
{
    QFETCH(Format, format);
    QFETCH(bool, nanoseconds);
    QFETCH(qint64, startUs);
    QFETCH(int, count);
    const Frames frames = sampleFrames(startUs, count);
    const QString path
        = m_dir.filePath(QStringLiteral("round.") + RecordingWriter::extension(format));
    QVERIFY(writeRecording(path, format, frames, nanoseconds));
    Format read = RecordingReader::Unknown;
    QString error;
    const Frames back = readRecording(path, &read, &error);
    QCOMPARE(error, QString());
    QCOMPARE(read, format);
    QCOMPARE(describe(back), describe(frames));
}

void tst_RecordingFormats::conversionMatrix_data()
{
    QTest::addColumn<Format>("from");
    QTest::addColumn<Format>("to");
    for (const Format from : RecordingWriter::formats()) {
        for (const Format to : RecordingWriter::formats()) {
            QTest::newRow(qPrintable(RecordingWriter::formatKey(from) + QStringLiteral(" to ")
                                     + RecordingWriter::formatKey(to)))
                << from << to;
        }
    }
}

// The real truck recording written in one format, streamed into another as the console's
// conversion does, and read back: the same frames whatever the path.
void tst_RecordingFormats::conversionMatrix()
{
    QFETCH(Format, from);
    QFETCH(Format, to);
    const Frames original = readRecording(
        TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log")));
    QCOMPARE(original.size(), 1815);
    const QString in = m_dir.filePath(QStringLiteral("in.") + RecordingWriter::extension(from));
    const QString out = m_dir.filePath(QStringLiteral("out.") + RecordingWriter::extension(to));
    QVERIFY(writeRecording(in, from, original));
    RecordingWriter writer;
    QVERIFY(writer.open(out, to));
    RecordingReader reader;
    QVERIFY(reader.streamFile(in, [&](const Frames &frames) { return writer.write(frames); }));
    QVERIFY(writer.commit());
    QCOMPARE(writer.frameCount(), qint64(original.size()));
    QCOMPARE(writer.clampedFrames(), qint64(0));
    QCOMPARE(describe(readRecording(out)), describe(original));
}

void tst_RecordingFormats::formatNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Format>("byPath");
    QTest::addColumn<Format>("byName");
    QTest::newRow("log") << QStringLiteral("a/b.log") << RecordingReader::Candump
                         << RecordingReader::Unknown;
    QTest::newRow("candump") << QStringLiteral("candump") << RecordingReader::Unknown
                             << RecordingReader::Candump;
    QTest::newRow("ASC upper case")
        << QStringLiteral("TRIP.ASC") << RecordingReader::Asc << RecordingReader::Unknown;
    QTest::newRow("trc") << QStringLiteral("trc") << RecordingReader::Unknown
                         << RecordingReader::Trc;
    QTest::newRow("blf") << QStringLiteral("x.blf") << RecordingReader::Blf
                         << RecordingReader::Unknown;
    QTest::newRow("pcapng") << QStringLiteral("pcapng") << RecordingReader::Unknown
                            << RecordingReader::Pcapng;
    QTest::newRow("pcap") << QStringLiteral("x.pcap") << RecordingReader::Pcap
                          << RecordingReader::Unknown;
    QTest::newRow("mf4 is read, not written")
        << QStringLiteral("x.mf4") << RecordingReader::Unknown << RecordingReader::Unknown;
    QTest::newRow("no extension") << QStringLiteral("x") << RecordingReader::Unknown
                                  << RecordingReader::Unknown;
}

void tst_RecordingFormats::formatNames()
{
    QFETCH(QString, text);
    QFETCH(Format, byPath);
    QFETCH(Format, byName);
    QCOMPARE(RecordingWriter::formatForPath(text), byPath);
    QCOMPARE(RecordingWriter::formatForName(text), byName);
}

void tst_RecordingFormats::writerReplacesOnlyOnCommit()
{
    const QString path = m_dir.filePath(QStringLiteral("kept.blf"));
    QVERIFY(writeRecording(path, RecordingReader::Blf, sampleFrames(0, 3)));
    const QByteArray before = readAll(path);
    {
        RecordingWriter writer;
        QVERIFY(writer.open(path, RecordingReader::Blf));
        QVERIFY(writer.write(sampleFrames(0, 30000)));
        QCOMPARE(readAll(path), before);
        writer.cancel();
    }
    QCOMPARE(readAll(path), before);
    RecordingWriter writer;
    QVERIFY(!writer.open(path, RecordingReader::Mf4));
    QVERIFY(!writer.errorString().isEmpty());
    QVERIFY(
        !writer.open(m_dir.filePath(QStringLiteral("no/such/folder/x.blf")), RecordingReader::Blf));
    QVERIFY(!writer.errorString().isEmpty());
}

namespace {

// python-can's BLF writer, fed "time-us id-hex extended data-hex" lines, adding an error, a
// remote and a CAN FD frame at the end.
const char PythonBlfWriter[] = R"(
import can, sys
writer = can.BLFWriter(sys.argv[2])
last = 0
for line in open(sys.argv[1]):
    f = line.split()
    last = int(f[0]) / 1e6
    writer.on_message_received(can.Message(timestamp=last, arbitration_id=int(f[1], 16),
        is_extended_id=f[2] == '1', data=bytes.fromhex(f[3] if len(f) > 3 else '')))
writer.on_message_received(can.Message(timestamp=last, is_error_frame=True))
writer.on_message_received(can.Message(timestamp=last, arbitration_id=5, is_remote_frame=True,
    is_extended_id=False))
writer.on_message_received(can.Message(timestamp=last, arbitration_id=6, is_fd=True,
    is_extended_id=False, data=bytes(12)))
writer.stop()
)";

// python-can's BLF reader, printing "time-us id-hex extended data-hex" for every data frame.
const char PythonBlfReader[] = R"(
import can, sys
for m in can.BLFReader(sys.argv[1]):
    if not m.is_error_frame and not m.is_remote_frame:
        print(round(m.timestamp * 1e6), format(m.arbitration_id, 'x'), int(m.is_extended_id),
              m.data.hex())
)";

QString lineOf(const TimedFrame &f)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(f.timeUs)
        .arg(f.message.id, 0, 16)
        .arg(int(f.message.extended))
        .arg(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(f.message.data), f.message.length).toHex()))
        .trimmed();
}

// Python's float seconds may miss a microsecond either way; everything else must match.
void compareWithin1us(const QStringList &actual, const QStringList &expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        const QStringList a = actual[i].trimmed().split(QLatin1Char(' '));
        const QStringList e = expected[i].trimmed().split(QLatin1Char(' '));
        QVERIFY2(qAbs(a.first().toLongLong() - e.first().toLongLong()) <= 1,
                 qPrintable(actual[i] + QLatin1String(" vs ") + expected[i]));
        QCOMPARE(a.mid(1), e.mid(1));
    }
}

} // namespace
void tst_RecordingFormats::pythonCanWritesBlf()
{
    if (!pythonCanAvailable())
        QSKIP("/usr/bin/python3 cannot import can (scripts/install-deps.sh --test installs it)");
    // python-can keeps the start time to the millisecond but counts from the exact first time:
    // the first frame falls on a whole millisecond.
    const Frames frames = sampleFrames(1622547830123000, 200);
    QStringList lines;
    for (const TimedFrame &f : frames)
        lines.append(lineOf(f));
    const QString input = m_dir.filePath(QStringLiteral("frames.txt"));
    const QString blf = m_dir.filePath(QStringLiteral("python.blf"));
    QFile text(input);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(lines.join(QLatin1Char('\n')).toLatin1() + '\n');
    text.close();
    QVERIFY(runPython(QLatin1String(PythonBlfWriter), {input, blf}));
    RecordingReader reader;
    QVERIFY2(reader.readFile(blf), qPrintable(reader.errorString()));
    QCOMPARE(reader.format(), RecordingReader::Blf);
    QStringList read;
    for (const TimedFrame &f : reader.frames())
        read.append(lineOf(f));
    compareWithin1us(read, lines);
    QCOMPARE(reader.skippedLines(), 3); // error, remote and CAN FD frame
}

void tst_RecordingFormats::pythonCanReadsOurBlf()
{
    if (!pythonCanAvailable())
        QSKIP("/usr/bin/python3 cannot import can (scripts/install-deps.sh --test installs it)");
    const Frames frames = sampleFrames(1622547830123456, 8000); // three containers
    const QString blf = m_dir.filePath(QStringLiteral("ours.blf"));
    QVERIFY(writeRecording(blf, RecordingReader::Blf, frames));
    QByteArray output;
    QVERIFY(runPython(QLatin1String(PythonBlfReader), {blf}, &output));
    QStringList expected;
    for (const TimedFrame &f : frames)
        expected.append(lineOf(f));
    compareWithin1us(QString::fromLatin1(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                     expected);
}

void tst_RecordingFormats::wiresharkReadsOurPcapng_data()
{
    QTest::addColumn<bool>("nanoseconds");
    QTest::newRow("microsecond stamps") << false;
    QTest::newRow("nanosecond stamps") << true;
}

// Wireshark's SocketCAN dissector reads our pcapng to the same frames and times.
void tst_RecordingFormats::wiresharkReadsOurPcapng()
{
    QFETCH(bool, nanoseconds);
    const QString tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
    if (tshark.isEmpty())
        QSKIP("tshark is not installed");
    const Frames frames = sampleFrames(1622547830123456, 60);
    const QString path = m_dir.filePath(QStringLiteral("ours.pcapng"));
    QVERIFY(writeRecording(path, RecordingReader::Pcapng, frames, nanoseconds));
    QProcess process;
    process.start(tshark,
                  {QStringLiteral("-r"), path, QStringLiteral("-T"), QStringLiteral("fields"),
                   QStringLiteral("-e"), QStringLiteral("frame.time_epoch"), QStringLiteral("-e"),
                   QStringLiteral("can.id"), QStringLiteral("-e"), QStringLiteral("can.flags.xtd"),
                   QStringLiteral("-e"), QStringLiteral("data.data")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QStringList seen;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() < 3)
            continue;
        const QList<QByteArray> seconds = f.at(0).split('.');
        const qint64 us = seconds.at(0).toLongLong() * 1000000
                          + seconds.value(1).leftJustified(6, '0').left(6).toLongLong();
        const bool extended = f.at(2) == "1" || f.at(2) == "True";
        seen.append(QStringLiteral("%1 %2 %3 %4")
                        .arg(us)
                        .arg(f.at(1).toUInt(nullptr, 0), 0, 16)
                        .arg(int(extended))
                        .arg(QString::fromLatin1(f.value(3).trimmed()))
                        .trimmed());
    }
    QStringList expected;
    for (const TimedFrame &f : frames)
        expected.append(lineOf(f));
    QCOMPARE(seen, expected);
}

QTEST_GUILESS_MAIN(tst_RecordingFormats)
#include "tst_recordingformats.moc"
