#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "support/recordingbytes.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace RecordingBytes;

namespace {

// Runs a program to its end; false when it is missing or failed.
bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning() << program << process.readAllStandardError();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

bool pythonCanAvailable()
{
    return run(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"), QStringLiteral("import can")});
}

// Runs a python-can script with its arguments; false when it failed.
bool runPython(const QString &script, const QStringList &arguments, QByteArray *output = nullptr)
{
    return run(QStringLiteral("/usr/bin/python3"),
               QStringList{QStringLiteral("-c"), script} + arguments, output);
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
    void interfaceNames_data();
    void interfaceNames();
    void formatNames_data();
    void formatNames();
    void writerReplacesOnlyOnCommit();
    void pythonCanWrites_data();
    void pythonCanWrites();
    void pythonCanReads_data();
    void pythonCanReads();
    void canUtilsConvertChannels();
    void wiresharkReads_data();
    void wiresharkReads();

private:
    TestFolder m_dir;
};

Q_DECLARE_METATYPE(Format)
using Buses = QVector<quint8>;
Q_DECLARE_METATYPE(Buses)

void tst_RecordingFormats::roundTrip_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<bool>("nanoseconds");
    QTest::addColumn<qint64>("startUs");
    QTest::addColumn<int>("count");
    QTest::addColumn<Buses>("buses");
    const Buses first{0};
    for (const Format format : RecordingWriter::formats()) {
        const QByteArray key = RecordingWriter::formatKey(format).toLatin1();
        QTest::newRow(key + " absolute")
            << format << false << qint64(1622547830123456) << 40 << first;
        QTest::newRow(key + " relative") << format << false << qint64(1500) << 40 << first;
        QTest::newRow(key + " buses 0, 1 and 3")
            << format << false << qint64(1622547830123456) << 40 << Buses{0, 1, 0, 3};
        QTest::newRow(key + " only bus 2") << format << false << qint64(1500) << 9 << Buses{2};
        QTest::newRow(key + " last bus") << format << false << qint64(1500) << 9 << Buses{255, 0};
    }
    QTest::newRow("pcap nanoseconds")
        << RecordingReader::Pcap << true << qint64(1622547830123456) << 40 << first;
    QTest::newRow("pcap nanoseconds on buses")
        << RecordingReader::Pcap << true << qint64(1622547830123456) << 40 << Buses{1, 0};
    QTest::newRow("pcapng nanoseconds")
        << RecordingReader::Pcapng << true << qint64(1622547830123456) << 40 << first;
    // 48 bytes a frame: a dozen containers of 128 KiB, and more frames than one batch.
    QTest::newRow("blf many containers")
        << RecordingReader::Blf << false << qint64(1622547830123456) << 30000 << Buses{0, 1};
    QTest::newRow("empty blf") << RecordingReader::Blf << false << qint64(0) << 0 << first;
    QTest::newRow("empty pcapng") << RecordingReader::Pcapng << false << qint64(0) << 0 << first;
}

void tst_RecordingFormats::roundTrip()
{
    QFETCH(Format, format);
    QFETCH(bool, nanoseconds);
    QFETCH(qint64, startUs);
    QFETCH(int, count);
    QFETCH(Buses, buses);
    const Frames frames = onBuses(sampleFrames(startUs, count), buses);
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
    QTest::addColumn<QString>("recording");
    QTest::addColumn<Format>("from");
    QTest::addColumn<Format>("to");
    QList<Format> sources = RecordingWriter::formats();
    sources.append(RecordingReader::Mf4); // the logger's own file
    for (const char *name : {"css_FCBF0606_j1939_truck_bam", "css_2F6913DB_newer_logger"}) {
        for (const Format from : sources) {
            for (const Format to : RecordingWriter::formats()) {
                const QString key = from == RecordingReader::Mf4 ? QStringLiteral("mf4")
                                                                 : RecordingWriter::formatKey(from);
                QTest::newRow(qPrintable(QString::fromLatin1(name).left(12) + QLatin1Char(' ') + key
                                         + QStringLiteral(" to ") + RecordingWriter::formatKey(to)))
                    << QString::fromLatin1(name) << from << to;
            }
        }
    }
}

// The real two-bus logger recordings written in one format (or as the logger wrote them),
// streamed into another as the console's conversion does, and read back: the same frames on the
// same buses whatever the path.
void tst_RecordingFormats::conversionMatrix()
{
    QFETCH(QString, recording);
    QFETCH(Format, from);
    QFETCH(Format, to);
    const Frames original = readRecording(TestEnvironment::dataFile(recording + ".log"));
    QVERIFY(original.size() > 1000);
    const int onBus1 = int(std::count_if(original.cbegin(), original.cend(),
                                         [](const TimedFrame &f) { return f.bus == 1; }));
    QVERIFY(onBus1 > 400 && onBus1 < original.size());
    QString in = m_dir.filePath(QStringLiteral("in.") + RecordingWriter::extension(from));
    if (from == RecordingReader::Mf4)
        in = TestEnvironment::dataFile(recording + ".MF4");
    else
        QVERIFY(writeRecording(in, from, original));
    const QString out = m_dir.filePath(QStringLiteral("out.") + RecordingWriter::extension(to));
    RecordingWriter writer;
    writer.setPcapBusIndex(true);
    QVERIFY(writer.open(out, to));
    RecordingReader reader;
    QVERIFY(reader.streamFile(in, [&](const Frames &frames) { return writer.write(frames); }));
    QVERIFY(writer.commit());
    QCOMPARE(writer.frameCount(), qint64(original.size()));
    QCOMPARE(writer.clampedFrames(), qint64(0));
    QCOMPARE(describe(readRecording(out)), describe(original));
}

void tst_RecordingFormats::interfaceNames_data()
{
    QTest::addColumn<Format>("via");
    QTest::addColumn<QStringList>("names");
    const QStringList own{"vcan1", "vcan0", "can7", "vcan1"};
    const QStringList numbered{"can1", "can0", "can7", "can1"};
    QTest::newRow("candump keeps the names") << RecordingReader::Candump << own;
    QTest::newRow("pcapng keeps the names") << RecordingReader::Pcapng << own;
    QTest::newRow("asc keeps the channels") << RecordingReader::Asc << numbered;
    QTest::newRow("trc keeps the buses") << RecordingReader::Trc << numbered;
    QTest::newRow("blf keeps the channels") << RecordingReader::Blf << numbered;
    QTest::newRow("pcap keeps the interface indexes") << RecordingReader::Pcap << numbered;
}

// A candump log of named interfaces, the first frame not on the first bus, through one format and
// back to candump: the interface names where the format keeps names, else canN of the same bus.
void tst_RecordingFormats::interfaceNames()
{
    QFETCH(Format, via);
    QFETCH(QStringList, names);
    QByteArray text;
    const QStringList given{"vcan1", "vcan0", "can7", "vcan1"};
    for (int i = 0; i < given.size(); ++i)
        text += QStringLiteral("(1622547830.%1) %2 18FEF1%3#0102\n")
                    .arg(100000 + i * 1000)
                    .arg(given[i])
                    .arg(i, 2, 10, QLatin1Char('0'))
                    .toLatin1();
    RecordingReader reader;
    reader.parse(text, QStringLiteral("in.log"));
    QCOMPARE(reader.frames().size(), given.size());
    const QString middle
        = m_dir.filePath(QStringLiteral("named.") + RecordingWriter::extension(via));
    QVERIFY(writeRecording(middle, via, reader.frames(), false, reader.busNames()));
    RecordingReader again;
    QVERIFY2(again.readFile(middle), qPrintable(again.errorString()));
    const QString back = m_dir.filePath(QStringLiteral("named-back.log"));
    QVERIFY(
        writeRecording(back, RecordingReader::Candump, again.frames(), false, again.busNames()));
    QStringList written;
    for (const QByteArray &line : readAll(back).split('\n')) {
        if (!line.isEmpty())
            written.append(QString::fromLatin1(line.split(' ').value(1)));
    }
    QCOMPARE(written, names);
    QCOMPARE(describe(again.frames()), describe(reader.frames()));
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

// python-can's writer for the file's extension, fed "time-us id-hex extended channel data-hex"
// lines, adding an error, a remote and a CAN FD frame at the end.
const char PythonWriter[] = R"(
import can, sys
writer = can.Logger(sys.argv[2])
last = 0
for line in open(sys.argv[1]):
    f = line.split()
    last = int(f[0]) / 1e6
    writer.on_message_received(can.Message(timestamp=last, arbitration_id=int(f[1], 16),
        is_extended_id=f[2] == '1', channel=int(f[3]),
        data=bytes.fromhex(f[4] if len(f) > 4 else '')))
writer.on_message_received(can.Message(timestamp=last, is_error_frame=True, channel=0))
writer.on_message_received(can.Message(timestamp=last, arbitration_id=5, is_remote_frame=True,
    is_extended_id=False, channel=0))
writer.on_message_received(can.Message(timestamp=last, arbitration_id=6, is_fd=True,
    is_extended_id=False, data=bytes(12), channel=0))
writer.stop()
)";

// python-can's reader for the file's extension, printing "time-us id-hex extended channel
// data-hex" for every data frame; the channel is a number, or an interface name in candump logs.
const char PythonReader[] = R"(
import can, sys
for m in can.LogReader(sys.argv[1]):
    if not m.is_error_frame and not m.is_remote_frame:
        print(round(m.timestamp * 1e6), format(m.arbitration_id, 'x'), int(m.is_extended_id),
              m.channel, m.data.hex())
)";

// The frame as the python scripts write it; the bus as a number or as its canN name.
QString lineOf(const TimedFrame &f, bool busByName = false)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(f.timeUs)
        .arg(f.message.id, 0, 16)
        .arg(int(f.message.extended))
        .arg(busByName ? BusNames::defaultName(f.bus) : QString::number(f.bus))
        .arg(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(f.message.data), f.message.length).toHex()))
        .trimmed();
}

// Times may miss a microsecond either way (Python's float seconds) or, with `relative`, differ by
// one offset throughout; everything else must match.
void compareTimes(const QStringList &actual, const QStringList &expected, bool relative = false)
{
    QCOMPARE(actual.size(), expected.size());
    const auto time
        = [](const QString &line) { return line.section(QLatin1Char(' '), 0, 0).toLongLong(); };
    const qint64 shift = relative && !actual.isEmpty() ? time(actual[0]) - time(expected[0]) : 0;
    for (int i = 0; i < actual.size(); ++i) {
        QVERIFY2(qAbs(time(actual[i]) - shift - time(expected[i])) <= 1,
                 qPrintable(actual[i] + QLatin1String(" vs ") + expected[i]));
        QCOMPARE(actual[i].trimmed().section(QLatin1Char(' '), 1),
                 expected[i].trimmed().section(QLatin1Char(' '), 1));
    }
}

QStringList linesOf(const Frames &frames, bool busByName = false)
{
    QStringList lines;
    for (const TimedFrame &f : frames)
        lines.append(lineOf(f, busByName));
    return lines;
}

} // namespace

void tst_RecordingFormats::pythonCanWrites_data()
{
    QTest::addColumn<Format>("format");
    QTest::newRow("blf") << RecordingReader::Blf;
    QTest::newRow("asc") << RecordingReader::Asc;
}

// python-can writes channels counted from 0, and its files count them from 1: our buses.
void tst_RecordingFormats::pythonCanWrites()
{
    QFETCH(Format, format);
    if (!pythonCanAvailable())
        QSKIP("/usr/bin/python3 cannot import can (scripts/install-deps.sh --test installs it)");
    // python-can keeps the start time to the millisecond but counts from the exact first time:
    // the first frame falls on a whole millisecond.
    const Frames frames = onBuses(sampleFrames(1622547830123000, 200), {0, 1, 1, 4});
    const QString input = m_dir.write(QStringLiteral("frames.txt"),
                                      linesOf(frames).join(QLatin1Char('\n')).toLatin1() + '\n');
    const QString path
        = m_dir.filePath(QStringLiteral("python.") + RecordingWriter::extension(format));
    QVERIFY(runPython(QLatin1String(PythonWriter), {input, path}));
    RecordingReader reader;
    QVERIFY2(reader.readFile(path), qPrintable(reader.errorString()));
    QCOMPARE(reader.format(), format);
    // ASC keeps the start date to the second in local time: compare the times as offsets.
    compareTimes(linesOf(reader.frames()), linesOf(frames), format == RecordingReader::Asc);
    QCOMPARE(reader.skippedLines(), 3); // error, remote and CAN FD frame
}

void tst_RecordingFormats::pythonCanReads_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("count");
    QTest::newRow("blf, three containers") << RecordingReader::Blf << 8000;
    QTest::newRow("asc") << RecordingReader::Asc << 300;
    QTest::newRow("candump") << RecordingReader::Candump << 300;
}

void tst_RecordingFormats::pythonCanReads()
{
    QFETCH(Format, format);
    QFETCH(int, count);
    if (!pythonCanAvailable())
        QSKIP("/usr/bin/python3 cannot import can (scripts/install-deps.sh --test installs it)");
    const Frames frames = onBuses(sampleFrames(1622547830123456, count), {0, 1, 0, 2});
    const QString path
        = m_dir.filePath(QStringLiteral("ours.") + RecordingWriter::extension(format));
    QVERIFY(writeRecording(path, format, frames));
    QByteArray output;
    QVERIFY(runPython(QLatin1String(PythonReader), {path}, &output));
    // python-can counts ASC times from the first frame.
    compareTimes(QString::fromLatin1(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 linesOf(frames, format == RecordingReader::Candump),
                 format == RecordingReader::Asc);
}

// can-utils' log2asc numbers the interfaces it is given from channel 1, asc2log names channel N
// canN-1: the two convert the real logger recording with our files at both ends, bus for bus.
void tst_RecordingFormats::canUtilsConvertChannels()
{
    if (QStandardPaths::findExecutable(QStringLiteral("log2asc")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("asc2log")).isEmpty())
        QSKIP("can-utils is not installed (scripts/install-deps.sh --test installs it)");
    const Frames original = readRecording(
        TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log")));
    const QString ourLog = m_dir.filePath(QStringLiteral("ours-for-log2asc.log"));
    const QString theirAsc = m_dir.filePath(QStringLiteral("log2asc.asc"));
    QVERIFY(writeRecording(ourLog, RecordingReader::Candump, original));
    QVERIFY(run(QStandardPaths::findExecutable(QStringLiteral("log2asc")),
                {QStringLiteral("-I"), ourLog, QStringLiteral("-O"), theirAsc,
                 QStringLiteral("can0"), QStringLiteral("can1")}));
    compareTimes(linesOf(readRecording(theirAsc)), linesOf(original), true);

    const QString ourAsc = m_dir.filePath(QStringLiteral("ours-for-asc2log.asc"));
    const QString theirLog = m_dir.filePath(QStringLiteral("asc2log.log"));
    QVERIFY(writeRecording(ourAsc, RecordingReader::Asc, original));
    QVERIFY(run(QStandardPaths::findExecutable(QStringLiteral("asc2log")),
                {QStringLiteral("-I"), ourAsc, QStringLiteral("-O"), theirLog}));
    compareTimes(linesOf(readRecording(theirLog)), linesOf(original), true);
}

void tst_RecordingFormats::wiresharkReads_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<bool>("nanoseconds");
    QTest::addColumn<QString>("busField");
    QTest::newRow("pcapng microsecond stamps")
        << RecordingReader::Pcapng << false << QStringLiteral("frame.interface_name");
    QTest::newRow("pcapng nanosecond stamps")
        << RecordingReader::Pcapng << true << QStringLiteral("frame.interface_name");
    QTest::newRow("pcap SLL2 interface index")
        << RecordingReader::Pcap << false << QStringLiteral("sll.ifindex");
}

// Wireshark's SocketCAN dissector reads our files to the same frames, times and buses: pcapng
// interfaces by the names given, pcap by the cooked header's interface index.
void tst_RecordingFormats::wiresharkReads()
{
    QFETCH(Format, format);
    QFETCH(bool, nanoseconds);
    QFETCH(QString, busField);
    const QString tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
    if (tshark.isEmpty())
        QSKIP("tshark is not installed");
    const Frames frames = onBuses(sampleFrames(1622547830123456, 60), {3, 0, 1, 0});
    BusNames names;
    for (const quint8 bus : {0, 1, 3})
        names.setName(bus, QStringLiteral("vcan%1").arg(bus));
    const QString path
        = m_dir.filePath(QStringLiteral("ours.") + RecordingWriter::extension(format));
    QVERIFY(writeRecording(path, format, frames, nanoseconds, names));
    QStringList arguments{QStringLiteral("-r"), path, QStringLiteral("-T"),
                          QStringLiteral("fields")};
    for (const QString &field :
         {QStringLiteral("frame.time_epoch"), QStringLiteral("can.id"),
          QStringLiteral("can.flags.xtd"), busField, QStringLiteral("data.data")})
        arguments << QStringLiteral("-e") << field;
    QByteArray output;
    QVERIFY(run(tshark, arguments, &output));
    QStringList seen;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() < 4)
            continue;
        const QList<QByteArray> seconds = f.at(0).split('.');
        const qint64 us = seconds.at(0).toLongLong() * 1000000
                          + seconds.value(1).leftJustified(6, '0').left(6).toLongLong();
        const bool extended = f.at(2) == "1" || f.at(2) == "True";
        seen.append(QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(us)
                        .arg(f.at(1).toUInt(nullptr, 0), 0, 16)
                        .arg(int(extended))
                        .arg(QString::fromLatin1(f.at(3)))
                        .arg(QString::fromLatin1(f.value(4).trimmed()))
                        .trimmed());
    }
    QStringList expected;
    for (const TimedFrame &f : frames) {
        expected.append(
            lineOf(f).replace(QRegularExpression(QStringLiteral("^(\\S+ \\S+ \\S+) \\d+")),
                              QStringLiteral("\\1 ")
                                  + (format == RecordingReader::Pcapng ? names.name(f.bus)
                                                                       : QString::number(f.bus))));
    }
    QCOMPARE(seen, expected);
}

QTEST_GUILESS_MAIN(tst_RecordingFormats)
#include "tst_recordingformats.moc"
