#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "support/testenvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

using Format = RecordingReader::Format;
using Frames = QVector<TimedFrame>;

TimedFrame frame(qint64 timeUs, quint32 id, bool extended, const QByteArray &data)
{
    TimedFrame f;
    f.timeUs = timeUs;
    f.message = CanMessage(id, reinterpret_cast<const quint8 *>(data.constData()), data.size());
    f.message.extended = extended;
    return f;
}

// Standard and extended identifiers at their limits, every length from 0 to 8, times with
// microsecond parts; from `startUs` on.
Frames sampleFrames(qint64 startUs, int count = 40)
{
    Frames frames;
    for (int i = 0; i < count; ++i) {
        const int length = i % 9;
        QByteArray data;
        for (int b = 0; b < length; ++b)
            data.append(char(0x11 * b + i));
        const bool extended = i % 3 != 0;
        const quint32 id = extended ? (i == 1 ? 0x1FFFFFFFu : 0x18FEF100u + quint32(i))
                                    : (i == 3 ? 0x7FFu : quint32(i * 7) & 0x7FFu);
        frames.append(frame(startUs + qint64(i) * 1234567 + (i * 37) % 1000, id, extended, data));
    }
    return frames;
}

QString describe(const TimedFrame &f)
{
    return QStringLiteral("%1 %2%3 [%4] %5")
        .arg(f.timeUs)
        .arg(f.message.id, 0, 16)
        .arg(f.message.extended ? QStringLiteral("x") : QString())
        .arg(f.message.length)
        .arg(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(f.message.data), f.message.length).toHex()));
}

QStringList describe(const Frames &frames)
{
    QStringList lines;
    for (const TimedFrame &f : frames)
        lines.append(describe(f));
    return lines;
}

bool writeRecording(const QString &path, Format format, const Frames &frames,
                    bool nanoseconds = false)
{
    RecordingWriter writer;
    writer.setNanosecondStamps(nanoseconds);
    if (!writer.open(path, format) || !writer.write(frames) || !writer.commit()) {
        qWarning() << "writing" << path << writer.errorString();
        return false;
    }
    return true;
}

Frames readRecording(const QString &path, Format *format = nullptr, QString *error = nullptr)
{
    RecordingReader reader;
    reader.readFile(path);
    if (format)
        *format = reader.format();
    if (error)
        *error = reader.errorString();
    return reader.frames();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// The bytes with a little-endian number put at `at`.
QByteArray withLe32(QByteArray bytes, int at, quint32 v)
{
    return bytes.replace(at, 4, le32(v));
}

QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

// A SocketCAN frame as capture files hold it: identifier big-endian with its flags.
QByteArray socketCan(quint32 canId, const QByteArray &data, int size = 16)
{
    QByteArray b = be32(canId) + char(data.size()) + QByteArray(3, '\0') + data;
    b.append(QByteArray(size - b.size(), '\0'));
    return b;
}

// A classic pcap file, by hand, in either byte order.
QByteArray pcapFile(bool bigEndian, bool nanoseconds, quint32 linkType,
                    const QList<QPair<qint64, QByteArray>> &packets)
{
    const auto u32 = [bigEndian](quint32 v) { return bigEndian ? be32(v) : le32(v); };
    const auto u16 = [bigEndian](quint16 v) {
        QByteArray b(2, '\0');
        if (bigEndian)
            qToBigEndian(v, b.data());
        else
            qToLittleEndian(v, b.data());
        return b;
    };
    QByteArray file = u32(nanoseconds ? 0xA1B23C4D : 0xA1B2C3D4) + u16(2) + u16(4) + u32(0) + u32(0)
                      + u32(262144) + u32(linkType);
    for (const auto &p : packets) {
        const qint64 fraction = nanoseconds ? p.first % 1000000 * 1000 : p.first % 1000000;
        file += u32(quint32(p.first / 1000000)) + u32(quint32(fraction))
                + u32(quint32(p.second.size())) + u32(quint32(p.second.size())) + p.second;
    }
    return file;
}

// A BLF file with one log container around `objects`, compressed or not; `declared` replaces
// the container's uncompressed size when not negative.
QByteArray blfFile(const QByteArray &objects, bool zlib, qint64 declared = -1,
                   quint16 method = 0xFFFF)
{
    QByteArray header = "LOGG" + le32(144);
    header.append(QByteArray(144 - header.size(), '\0'));
    QByteArray data = objects;
    if (zlib) {
        data = qCompress(objects).mid(4); // without Qt's size prefix: a plain zlib stream
    }
    const quint32 size = 32 + quint32(data.size());
    QByteArray container = "LOBJ" + le16(16) + le16(1) + le32(size) + le32(10)
                           + le16(method != 0xFFFF ? method
                                  : zlib           ? 2
                                                   : 0)
                           + QByteArray(6, '\0')
                           + le32(declared >= 0 ? quint32(declared) : quint32(objects.size()))
                           + le32(0) + data + QByteArray(int(size % 4), '\0');
    return header + container;
}

// A BLF object with a version 1 header stamped in nanoseconds.
QByteArray blfObject(quint32 type, quint64 stampNs, const QByteArray &body)
{
    QByteArray stamp(8, '\0');
    qToLittleEndian(stampNs, stamp.data());
    return "LOBJ" + le16(32) + le16(1) + le32(32 + quint32(body.size())) + le32(type) + le32(2)
           + le16(0) + le16(0) + stamp + body;
}

QByteArray blfCanMessage(quint32 rawId, quint8 flags, const QByteArray &data)
{
    return le16(1) + char(flags) + char(data.size()) + le32(rawId) + data
           + QByteArray(8 - data.size(), '\0');
}

// pcapng blocks by hand, in the byte order of their section.
struct Pcapng
{
    bool bigEndian = false;

    QByteArray u16(quint16 v) const
    {
        QByteArray b(2, '\0');
        if (bigEndian)
            qToBigEndian(v, b.data());
        else
            qToLittleEndian(v, b.data());
        return b;
    }
    QByteArray u32(quint32 v) const { return bigEndian ? be32(v) : le32(v); }
    QByteArray block(quint32 type, const QByteArray &body) const
    {
        QByteArray padded = body;
        padded.append(QByteArray((4 - body.size() % 4) % 4, '\0'));
        const quint32 length = 12 + quint32(padded.size());
        return u32(type) + u32(length) + padded + u32(length);
    }
    QByteArray section() const
    {
        return block(0x0A0D0D0A, u32(0x1A2B3C4D) + u16(1) + u16(0) + QByteArray(8, '\xff'));
    }
    // An interface with its time resolution (if_tsresol) and offset in seconds when given.
    QByteArray iface(quint16 linkType, int resolution = -1, qint64 offsetSeconds = 0) const
    {
        QByteArray options;
        if (resolution >= 0)
            options += u16(9) + u16(1) + char(resolution) + QByteArray(3, '\0');
        if (offsetSeconds != 0) {
            QByteArray value(8, '\0');
            if (bigEndian)
                qToBigEndian(quint64(offsetSeconds), value.data());
            else
                qToLittleEndian(quint64(offsetSeconds), value.data());
            options += u16(14) + u16(8) + value;
        }
        if (!options.isEmpty())
            options += u32(0);
        return block(1, u16(linkType) + u16(0) + u32(0) + options);
    }
    QByteArray packet(quint64 stamp, const QByteArray &data, quint32 interfaceId = 0) const
    {
        return block(6, u32(interfaceId) + u32(quint32(stamp >> 32)) + u32(quint32(stamp))
                            + u32(quint32(data.size())) + u32(quint32(data.size())) + data);
    }
    QByteArray simplePacket(const QByteArray &data) const
    {
        return block(3, u32(quint32(data.size())) + data);
    }
};

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

class tst_RecordingFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void roundTrip_data();
    void roundTrip();
    void conversionMatrix_data();
    void conversionMatrix();
    void handWritten_data();
    void handWritten();
    void hostile_data();
    void hostile();
    void truncatedEverywhere_data();
    void truncatedEverywhere();
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

void tst_RecordingFormats::handWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<int>("skipped");
    const QByteArray standard = socketCan(0x123, QByteArray::fromHex("0102"));
    const QByteArray extended = socketCan(0x98FEF100, QByteArray::fromHex("aabbccddeeff0011"));
    const QStringList both{QStringLiteral("1622547830123456 123 [2] 0102"),
                           QStringLiteral("1622547831000001 18fef100x [8] aabbccddeeff0011")};
    const QList<QPair<qint64, QByteArray>> packets{{1622547830123456, standard},
                                                   {1622547831000001, extended}};
    for (const bool big : {false, true}) {
        for (const bool ns : {false, true}) {
            QTest::newRow(qPrintable(
                QStringLiteral("pcap %1-endian %2").arg(big ? "big" : "little", ns ? "ns" : "us")))
                << pcapFile(big, ns, 227, packets) << both << 0;
        }
    }
    QTest::newRow("pcap remote, error, FD and XL frames skipped")
        << pcapFile(false, false, 227,
                    {{1, socketCan(0x40000123, {})},
                     {2, socketCan(0x20000004, QByteArray(8, '\0'))},
                     {3, socketCan(0x123, QByteArray(12, '\x55'), 72)},
                     {4, QByteArray::fromHex("00000123") + char(0x80) + QByteArray(11, '\0')},
                     {1622547830123456, standard}})
        << QStringList{both.first()} << 4;
    QTest::newRow("pcap FD frame by its flag") << pcapFile(
        false, false, 227,
        {{1, [] {
              QByteArray fd = socketCan(0x123, "ab");
              fd[5] = 0x04;
              return fd;
          }()}}) << QStringList() << 1;
    const QByteArray sll = QByteArray(14, '\0') + QByteArray::fromHex("000c");
    const QByteArray sll2 = QByteArray::fromHex("000c") + QByteArray(18, '\0');
    QTest::newRow("pcap Linux cooked capture")
        << pcapFile(false, false, 113, {{1622547830123456, sll + standard}})
        << QStringList{both.first()} << 0;
    QTest::newRow("pcap Linux cooked capture v2")
        << pcapFile(false, false, 276, {{1622547830123456, sll2 + standard}})
        << QStringList{both.first()} << 0;
    QTest::newRow("pcap cooked capture of another protocol") << pcapFile(
        false, false, 113, {{1, QByteArray(14, '\0') + QByteArray::fromHex("0800") + standard}})
                                                             << QStringList() << 1;
    QTest::newRow("pcap Ethernet skipped, not failed")
        << pcapFile(false, false, 1, packets) << QStringList() << 2;
    QTest::newRow("pcap packet shorter than its frame")
        << pcapFile(false, false, 227, {{1, standard.left(9)}}) << QStringList() << 1;

    const Pcapng little;
    const Pcapng big{true};
    QTest::newRow("pcapng sections of both byte orders")
        << little.section() + little.iface(227) + little.packet(1622547830123456, standard)
               + big.section() + big.iface(113, 6) + big.packet(1622547831000001, sll + extended)
        << both << 0;
    QTest::newRow("pcapng nanoseconds and an offset")
        << little.section() + little.iface(227, 9, 1000)
               + little.packet(quint64(1622547830123456789) - 1000000000000ull, standard)
        << QStringList{both.first()} << 0;
    QTest::newRow("pcapng power-of-two resolution")
        << little.section() + little.iface(227, 0x80 | 10) + little.packet(1024 * 3 + 512, standard)
        << QStringList{QStringLiteral("3500000 123 [2] 0102")} << 0;
    QTest::newRow("pcapng simple packet keeps the time before")
        << little.section() + little.iface(227) + little.packet(1622547830123456, standard)
               + little.simplePacket(extended)
        << QStringList{both.first(),
                       QStringLiteral("1622547830123456 18fef100x [8] aabbccddeeff0011")}
        << 0;
    QTest::newRow("pcapng packet of an undeclared interface")
        << little.section() + little.iface(227) + little.packet(5, standard, 1) << QStringList()
        << 1;
    QTest::newRow("pcapng interfaces numbered per section")
        << little.section() + little.iface(1) + little.section() + little.iface(227)
               + little.packet(1622547830123456, standard)
        << QStringList{both.first()} << 0;
    QTest::newRow("pcapng unknown blocks ignored")
        << little.section() + little.block(0x0BAD, "xyz") + little.iface(227)
               + little.packet(1622547830123456, standard)
        << QStringList{both.first()} << 0;

    const QByteArray data = QByteArray::fromHex("0102030405060708");
    const QByteArray objects
        = blfObject(1, 1000, blfCanMessage(0x80000100, 0, data.left(3)))
          + blfObject(86, 2000, blfCanMessage(0x7FF, 0, data) + QByteArray(8, '\0'))
          + blfObject(1, 3000, blfCanMessage(0x100, 0x80, {})) // remote
          + blfObject(73, 4000, QByteArray(32, '\0'))          // error frame
          + blfObject(2, 4500, QByteArray(8, '\0'))            // error frame
          + blfObject(100, 5000,
                      le16(1) + char(0) + char(2) + le32(0x101) + le32(0) + char(0) + char(0)
                          + char(2) + QByteArray(5, '\0') + "ab"
                          + QByteArray(62, '\0')) // classic in FD object
          + blfObject(100, 6000,
                      le16(1) + char(0) + char(9) + le32(0x101) + le32(0) + char(0) + char(1)
                          + char(12) + QByteArray(5, '\0') + QByteArray(64, 'x')) // FD
          + blfObject(101, 7000,
                      QByteArray::fromHex("01010100") + le32(0x80000102) + le32(0) + le32(0)
                          + QByteArray(24, '\0') + "z" + QByteArray(3, '\0')) // classic in FD 64
          + blfObject(101, 8000,
                      QByteArray::fromHex("01090c00") + le32(0x102) + le32(0) + le32(0x1000)
                          + QByteArray(24, '\0') + QByteArray(12, 'y'))
          + blfObject(65, 9000, QByteArray(20, '\0')); // another bus: ignored
    const QStringList blfFrames{QStringLiteral("1 100x [3] 010203"),
                                QStringLiteral("2 7ff [8] 0102030405060708"),
                                QStringLiteral("5 101 [2] 6162"), QStringLiteral("7 102x [1] 7a")};
    QTest::newRow("blf objects of every CAN kind, plain container")
        << blfFile(objects, false) << blfFrames << 5;
    QTest::newRow("blf objects of every CAN kind, zlib container")
        << blfFile(objects, true) << blfFrames << 5;
    // An object continues from one container into the next.
    const QByteArray split = blfFile(objects.left(40), false);
    const QByteArray second = blfFile(objects.mid(40), false).mid(144);
    QTest::newRow("blf object split across containers") << split + second << blfFrames << 5;
    QTest::newRow("blf object outside any container")
        << blfFile({}, false) + objects.left(48) << QStringList{blfFrames.first()} << 0;
    QByteArray tenMicro = blfObject(1, 7, blfCanMessage(0x100, 0, {}));
    tenMicro[16] = 1; // time stamps in 10 us
    QTest::newRow("blf ten-microsecond stamps")
        << blfFile(tenMicro, true) << QStringList{QStringLiteral("70 100 [0] ")} << 0;
    QByteArray dated = blfFile(objects.left(48), false);
    const quint16 start[8] = {1990, 1, 1, 2, 0, 0, 0, 0}; // 2 January 1990, local midnight
    for (int i = 0; i < 8; ++i)
        qToLittleEndian(start[i], dated.data() + 40 + 2 * i);
    const qint64 startUs
        = QDateTime(QDate(1990, 1, 2), QTime(0, 0), Qt::LocalTime).toMSecsSinceEpoch() * 1000;
    QTest::newRow("blf start time in local time")
        << dated << QStringList{QStringLiteral("%1 100x [3] 010203").arg(startUs + 1)} << 0;
}

void tst_RecordingFormats::handWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, frames);
    QFETCH(int, skipped);
    RecordingReader reader;
    reader.parse(bytes);
    QCOMPARE(reader.errorString(), QString());
    QCOMPARE(describe(reader.frames()), frames);
    QCOMPARE(reader.skippedLines(), skipped);
    QCOMPARE(reader.problems().size(), skipped);
    for (const QString &problem : reader.problems())
        QVERIFY2(problem.startsWith(QLatin1String("offset ")), qPrintable(problem));
}

void tst_RecordingFormats::hostile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("frames");
    const QByteArray one = blfObject(1, 1000, blfCanMessage(0x100, 0, "a"));
    const QByteArray header = blfFile({}, false).left(144);
    const auto withSize
        = [](const QByteArray &object, quint32 size) { return withLe32(object, 8, size); };
    QTest::newRow("blf magic only") << QByteArray("LOGG") << QStringLiteral("offset 0:") << 0;
    QTest::newRow("blf header size beyond the file")
        << "LOGG" + le32(1 << 30) + QByteArray(80, '\0') << QStringLiteral("offset 4:") << 0;
    QTest::newRow("blf object size 0")
        << header + withSize(one, 0) << QStringLiteral("offset 144: bad BLF object size 0") << 0;
    QTest::newRow("blf object beyond the file")
        << header + withSize(one, 4000) << QStringLiteral("offset 144:") << 0;
    QTest::newRow("blf absurd object")
        << header + withSize(one, 0xFFFFFFF0) << QStringLiteral("offset 144:") << 0;
    QTest::newRow("blf no object signature")
        << header + QByteArray(32, 'x') << QStringLiteral("offset 144:") << 0;
    QTest::newRow("blf object size 0 inside a container")
        << blfFile(one + withSize(one, 0), false) << QStringLiteral("offset 144:") << 1;
    QTest::newRow("blf object cut off at the end")
        << blfFile(one + one.left(40), false) << QStringLiteral("offset %1:").arg(144 + 32 + 88)
        << 1;
    // A kilobyte that inflates to 16 MiB, in a container that declares 100 bytes.
    const QByteArray bomb = qCompress(QByteArray(16 << 20, '\0'), 9).mid(4);
    QByteArray bombFile = blfFile({}, false).left(144);
    bombFile += "LOBJ" + le16(16) + le16(1) + le32(32 + quint32(bomb.size())) + le32(10) + le16(2)
                + QByteArray(6, '\0') + le32(100) + le32(0) + bomb;
    QTest::newRow("blf zlib bomb") << bombFile << QStringLiteral("offset 144:") << 0;
    QTest::newRow("blf container declaring a gigabyte")
        << blfFile(one, true, 1 << 30) << QStringLiteral("offset 144:") << 0;
    QTest::newRow("blf broken zlib data")
        << blfFile(one, true).left(144 + 32) + QByteArray(40, 'z') + QByteArray(8, '\0')
        << QStringLiteral("offset 144:") << 0;
    QTest::newRow("blf unknown compression")
        << blfFile(one, false, -1, 7)
        << QStringLiteral("offset 144: unknown BLF compression method 7") << 0;

    const QByteArray frame = socketCan(0x123, "ab");
    const QByteArray pcap = pcapFile(false, false, 227, {{1, frame}});
    QTest::newRow("pcap header cut off") << pcap.left(10) << QStringLiteral("offset 0:") << 0;
    QByteArray version = pcap;
    version[4] = 9;
    QTest::newRow("pcap unknown version") << version << QStringLiteral("offset 4:") << 0;
    QTest::newRow("pcap packet header cut off")
        << pcap + pcap.mid(24, 10) << QStringLiteral("offset 56:") << 1;
    QTest::newRow("pcap packet beyond the file")
        << pcap.left(pcap.size() - 1) << QStringLiteral("offset 24:") << 0;
    QTest::newRow("pcap absurd packet")
        << withLe32(pcap, 24 + 8, 0xFFFFFFF0) << QStringLiteral("offset 24:") << 0;

    const Pcapng ng;
    const QByteArray start = ng.section() + ng.iface(227);
    const QByteArray packet = ng.packet(1, frame);
    const int at = start.size();
    const auto withLength
        = [](const QByteArray &block, quint32 length) { return withLe32(block, 4, length); };
    QTest::newRow("pcapng section header cut off")
        << ng.section().left(20) << QStringLiteral("offset 0:") << 0;
    QByteArray order = ng.section();
    order[8] = 0x55;
    QTest::newRow("pcapng bad byte-order magic") << order << QStringLiteral("offset 8:") << 0;
    QByteArray pcapngVersion = ng.section();
    pcapngVersion[12] = 2;
    QTest::newRow("pcapng unknown version") << pcapngVersion << QStringLiteral("offset 12:") << 0;
    QTest::newRow("pcapng block length 0")
        << start + packet + withLength(packet, 0) << QStringLiteral("offset %1:").arg(at + 48) << 1;
    QTest::newRow("pcapng block length not a multiple of four")
        << start + withLength(packet, 45) << QStringLiteral("offset %1:").arg(at) << 0;
    QTest::newRow("pcapng block beyond the file")
        << start + withLength(packet, 4000) << QStringLiteral("offset %1:").arg(at) << 0;
    QTest::newRow("pcapng absurd block")
        << start + withLength(packet, 0xFFFFFFF0) << QStringLiteral("offset %1:").arg(at) << 0;
    QTest::newRow("pcapng block lengths differ") << start + withLe32(packet, packet.size() - 4, 52)
                                                 << QStringLiteral("offset %1:").arg(at) << 0;
    QTest::newRow("pcapng packet longer than its block")
        << start + withLe32(packet, 20, 400) << QStringLiteral("offset %1:").arg(at) << 0;
    QTest::newRow("pcapng unknown time resolution")
        << ng.section() + ng.iface(227, 40) << QStringLiteral("offset 44:") << 0;
    QTest::newRow("pcapng cut in a block")
        << start + packet + packet.left(30) << QStringLiteral("offset %1:").arg(at + 48) << 1;
}

// Bad structures end the reading with their offset; the frames before them are kept.
void tst_RecordingFormats::hostile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(int, frames);
    RecordingReader reader;
    reader.parse(bytes);
    QVERIFY2(reader.errorString().startsWith(error), qPrintable(reader.errorString()));
    QCOMPARE(reader.frames().size(), frames);
    // The same from a file, streamed.
    const QString path = m_dir.filePath(QStringLiteral("hostile.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    qint64 streamed = 0;
    QVERIFY(!reader.streamFile(path, [&](const Frames &f) {
        streamed += f.size();
        return true;
    }));
    QVERIFY2(reader.errorString().startsWith(error), qPrintable(reader.errorString()));
    QCOMPARE(streamed, qint64(frames));
}

void tst_RecordingFormats::truncatedEverywhere_data()
{
    QTest::addColumn<Format>("format");
    QTest::newRow("blf") << RecordingReader::Blf;
    QTest::newRow("pcap") << RecordingReader::Pcap;
    QTest::newRow("pcapng") << RecordingReader::Pcapng;
}

// A file cut at any byte: no crash, the frames read are the first ones of the whole file, and
// a cut inside a structure is named with an offset.
void tst_RecordingFormats::truncatedEverywhere()
{
    QFETCH(Format, format);
    const Frames frames = sampleFrames(1622547830123456, 12);
    const QString path
        = m_dir.filePath(QStringLiteral("whole.") + RecordingWriter::extension(format));
    QVERIFY(writeRecording(path, format, frames));
    const QByteArray whole = readAll(path);
    const QStringList all = describe(frames);
    int failures = 0;
    for (int cut = 0; cut < whole.size(); ++cut) {
        RecordingReader reader;
        reader.parse(whole.left(cut));
        const QStringList read = describe(reader.frames());
        QCOMPARE(read, all.mid(0, read.size()));
        if (!reader.errorString().isEmpty()) {
            ++failures;
            QVERIFY2(reader.errorString().startsWith(QLatin1String("offset ")) || cut < 4,
                     qPrintable(reader.errorString()));
        }
    }
    // Most cuts fall inside a structure.
    QVERIFY(failures > whole.size() / 2);
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
