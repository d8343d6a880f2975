#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "support/recordingbytes.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace RecordingBytes;

// The binary readers on files built by hand: every structure they take, and broken ones.
class tst_BinaryRecordings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void handWritten_data();
    void handWritten();
    void hostile_data();
    void hostile();
    void truncatedEverywhere_data();
    void truncatedEverywhere();

private:
    TestFolder m_dir;
};

Q_DECLARE_METATYPE(Format)

void tst_BinaryRecordings::handWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<int>("skipped");
    const auto row = [](const char *name, const QByteArray &bytes, const QStringList &frames,
                        int skipped) { QTest::newRow(name) << bytes << frames << skipped; };
    const QByteArray standard = socketCan(0x123, QByteArray::fromHex("0102"));
    const QByteArray extended = socketCan(0x98FEF100, QByteArray::fromHex("aabbccddeeff0011"));
    const QStringList both{QStringLiteral("1622547830123456 123 [2] 0102"),
                           QStringLiteral("1622547831000001 18fef100x [8] aabbccddeeff0011")};
    const QList<QPair<qint64, QByteArray>> packets{{1622547830123456, standard},
                                                   {1622547831000001, extended}};
    for (const bool big : {false, true}) {
        for (const bool ns : {false, true}) {
            row(qPrintable(QStringLiteral("pcap %1-endian %2")
                               .arg(big ? "big" : "little", ns ? "ns" : "us")),
                pcapFile(big, ns, 227, packets), both, 0);
        }
    }
    row("pcap remote, error, FD and XL frames skipped",
        pcapFile(false, false, 227,
                 {{1, socketCan(0x40000123, {})},
                  {2, socketCan(0x20000004, QByteArray(8, '\0'))},
                  {3, socketCan(0x123, QByteArray(12, '\x55'), 72)},
                  {4, QByteArray::fromHex("00000123") + char(0x80) + QByteArray(11, '\0')},
                  {1622547830123456, standard}}),
        QStringList{both.first()}, 4);
    row("pcap FD frame by its flag",
        pcapFile(false, false, 227,
                 {{1,
                   [] {
                       QByteArray fd = socketCan(0x123, "ab");
                       fd[5] = 0x04;
                       return fd;
                   }()}}),
        QStringList(), 1);
    const QByteArray sll = QByteArray(14, '\0') + QByteArray::fromHex("000c");
    const QByteArray sll2 = QByteArray::fromHex("000c") + QByteArray(18, '\0');
    // Under a cooked header the identifier is in the file's byte order.
    const QByteArray hostStandard = le32(0x123) + standard.mid(4);
    const QByteArray sll2OnIndex5
        = QByteArray::fromHex("000c0000000000050118") + QByteArray(10, '\0');
    row("pcap Linux cooked capture",
        pcapFile(false, false, 113, {{1622547830123456, sll + hostStandard}}),
        QStringList{both.first()}, 0);
    row("pcap Linux cooked capture v2",
        pcapFile(false, false, 276, {{1622547830123456, sll2 + hostStandard}}),
        QStringList{both.first()}, 0);
    row("pcap cooked v2 big-endian on interface 5",
        pcapFile(true, false, 276, {{1622547830123456, sll2OnIndex5 + standard}}),
        QStringList{both.first() + " bus 5"}, 0);
    row("pcap cooked capture of another protocol",
        pcapFile(false, false, 113,
                 {{1, QByteArray(14, '\0') + QByteArray::fromHex("0800") + standard}}),
        QStringList(), 1);
    row("pcap Ethernet skipped, not failed", pcapFile(false, false, 1, packets), QStringList(), 2);
    row("pcap packet shorter than its frame", pcapFile(false, false, 227, {{1, standard.left(9)}}),
        QStringList(), 1);

    const Pcapng little;
    const Pcapng big{true};
    row("pcapng sections of both byte orders",
        little.section() + little.iface(227) + little.packet(1622547830123456, standard)
            + big.section() + big.iface(113, 6) + big.packet(1622547831000001, sll + extended),
        both, 0);
    row("pcapng buses by interface name, else by number",
        little.section() + little.iface(227, -1, 0, "vcan2") + little.iface(227)
            + little.packet(1622547830123456, standard, 1)
            + little.packet(1622547831000001, extended, 0),
        QStringList{both.first() + " bus 1", both.last() + " bus 2"}, 0);
    row("pcapng nanoseconds and an offset",
        little.section() + little.iface(227, 9, 1000)
            + little.packet(quint64(1622547830123456789) - 1000000000000ull, standard),
        QStringList{both.first()}, 0);
    row("pcapng power-of-two resolution",
        little.section() + little.iface(227, 0x80 | 10) + little.packet(1024 * 3 + 512, standard),
        QStringList{QStringLiteral("3500000 123 [2] 0102")}, 0);
    row("pcapng simple packet keeps the time before",
        little.section() + little.iface(227) + little.packet(1622547830123456, standard)
            + little.simplePacket(extended),
        QStringList{both.first(),
                    QStringLiteral("1622547830123456 18fef100x [8] aabbccddeeff0011")},
        0);
    row("pcapng packet of an undeclared interface",
        little.section() + little.iface(227) + little.packet(5, standard, 1), QStringList(), 1);
    row("pcapng interfaces numbered per section",
        little.section() + little.iface(1) + little.section() + little.iface(227)
            + little.packet(1622547830123456, standard),
        QStringList{both.first()}, 0);
    row("pcapng unknown blocks ignored",
        little.section() + little.block(0x0BAD, "xyz") + little.iface(227)
            + little.packet(1622547830123456, standard),
        QStringList{both.first()}, 0);

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
    row("blf objects of every CAN kind, plain container", blfFile(objects, false), blfFrames, 5);
    row("blf objects of every CAN kind, zlib container", blfFile(objects, true), blfFrames, 5);
    // An object continues from one container into the next.
    const QByteArray split = blfFile(objects.left(40), false);
    const QByteArray second = blfFile(objects.mid(40), false).mid(144);
    row("blf object split across containers", split + second, blfFrames, 5);
    row("blf object outside any container", blfFile({}, false) + objects.left(48),
        QStringList{blfFrames.first()}, 0);
    QByteArray tenMicro = blfObject(1, 7, blfCanMessage(0x100, 0, {}));
    tenMicro[16] = 1; // time stamps in 10 us
    row("blf time stamp beyond a century skipped",
        blfFile(blfObject(1, quint64(1) << 63, blfCanMessage(0x100, 0, {})) + objects.left(48),
                false),
        QStringList{blfFrames.first()}, 1);
    row("blf ten-microsecond stamps", blfFile(tenMicro, true),
        QStringList{QStringLiteral("70 100 [0] ")}, 0);
    QByteArray dated = blfFile(objects.left(48), false);
    const quint16 start[8] = {1990, 1, 1, 2, 0, 0, 0, 0}; // 2 January 1990, local midnight
    for (int i = 0; i < 8; ++i)
        qToLittleEndian(start[i], dated.data() + 40 + 2 * i);
    const qint64 startUs
        = QDateTime(QDate(1990, 1, 2), QTime(0, 0), Qt::LocalTime).toMSecsSinceEpoch() * 1000;
    row("blf start time in local time", dated,
        QStringList{QStringLiteral("%1 100x [3] 010203").arg(startUs + 1)}, 0);
}

void tst_BinaryRecordings::handWritten()
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

void tst_BinaryRecordings::hostile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("frames");
    const auto row = [](const char *name, const QByteArray &bytes, const QString &error,
                        int frames) { QTest::newRow(name) << bytes << error << frames; };
    const auto offset = [](int at) { return QStringLiteral("offset %1:").arg(at); };
    const QByteArray one = blfObject(1, 1000, blfCanMessage(0x100, 0, "a"));
    const QByteArray header = blfFile({}, false).left(144);
    const auto withSize
        = [](const QByteArray &object, quint32 size) { return withLe32(object, 8, size); };
    row("blf magic only", QByteArray("LOGG"), "offset 0:", 0);
    row("blf header size beyond the file", "LOGG" + le32(1 << 30) + QByteArray(80, '\0'),
        "offset 4:", 0);
    row("blf object size 0", header + withSize(one, 0), "offset 144: bad BLF object size 0", 0);
    row("blf object beyond the file", header + withSize(one, 4000), "offset 144:", 0);
    row("blf absurd object", header + withSize(one, 0xFFFFFFF0), "offset 144:", 0);
    row("blf no object signature", header + QByteArray(32, 'x'), "offset 144:", 0);
    row("blf object size 0 inside a container", blfFile(one + withSize(one, 0), false),
        "offset 144:", 1);
    row("blf object cut off at the end", blfFile(one + one.left(40), false), offset(144 + 32 + 88),
        1);
    // A kilobyte that inflates to 16 MiB, in a container that declares 100 bytes.
    const QByteArray bomb = qCompress(QByteArray(16 << 20, '\0'), 9).mid(4);
    QByteArray bombFile = blfFile({}, false).left(144);
    bombFile += "LOBJ" + le16(16) + le16(1) + le32(32 + quint32(bomb.size())) + le32(10) + le16(2)
                + QByteArray(6, '\0') + le32(100) + le32(0) + bomb;
    row("blf zlib bomb", bombFile, "offset 144:", 0);
    row("blf container declaring a gigabyte", blfFile(one, true, 1 << 30), "offset 144:", 0);
    row("blf broken zlib data",
        blfFile(one, true).left(144 + 32) + QByteArray(40, 'z') + QByteArray(8, '\0'),
        "offset 144:", 0);
    row("blf unknown compression", blfFile(one, false, -1, 7),
        "offset 144: unknown BLF compression method 7", 0);

    const QByteArray frame = socketCan(0x123, "ab");
    const QByteArray pcap = pcapFile(false, false, 227, {{1, frame}});
    row("pcap header cut off", pcap.left(10), "offset 0:", 0);
    QByteArray version = pcap;
    version[4] = 9;
    row("pcap unknown version", version, "offset 4:", 0);
    row("pcap packet header cut off", pcap + pcap.mid(24, 10), "offset 56:", 1);
    row("pcap packet beyond the file", pcap.left(pcap.size() - 1), "offset 24:", 0);
    row("pcap absurd packet", withLe32(pcap, 24 + 8, 0xFFFFFFF0), "offset 24:", 0);

    const Pcapng ng;
    const QByteArray start = ng.section() + ng.iface(227);
    const QByteArray packet = ng.packet(1, frame);
    const int at = start.size();
    const auto withLength
        = [](const QByteArray &block, quint32 length) { return withLe32(block, 4, length); };
    row("pcapng section header cut off", ng.section().left(20), "offset 0:", 0);
    QByteArray order = ng.section();
    order[8] = 0x55;
    row("pcapng bad byte-order magic", order, "offset 8:", 0);
    QByteArray pcapngVersion = ng.section();
    pcapngVersion[12] = 2;
    row("pcapng unknown version", pcapngVersion, "offset 12:", 0);
    row("pcapng block length 0", start + packet + withLength(packet, 0), offset(at + 48), 1);
    row("pcapng block length not a multiple of four", start + withLength(packet, 45), offset(at),
        0);
    row("pcapng block beyond the file", start + withLength(packet, 4000), offset(at), 0);
    row("pcapng absurd block", start + withLength(packet, 0xFFFFFFF0), offset(at), 0);
    row("pcapng block lengths differ", start + withLe32(packet, packet.size() - 4, 52), offset(at),
        0);
    row("pcapng packet longer than its block", start + withLe32(packet, 20, 400), offset(at), 0);
    row("pcapng unknown time resolution", ng.section() + ng.iface(227, 40), "offset 44:", 0);
    row("pcapng cut in a block", start + packet + packet.left(30), offset(at + 48), 1);
}

// Bad structures end the reading with their offset; the frames before them are kept.
void tst_BinaryRecordings::hostile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(int, frames);
    RecordingReader reader;
    reader.parse(bytes);
    QVERIFY2(reader.errorString().startsWith(error), qPrintable(reader.errorString()));
    QCOMPARE(reader.frames().size(), frames);
    // The same from a file, streamed.
    const QString path = m_dir.write(QStringLiteral("hostile.bin"), bytes);
    qint64 streamed = 0;
    QVERIFY(!reader.streamFile(path, [&](const Frames &f) {
        streamed += f.size();
        return true;
    }));
    QVERIFY2(reader.errorString().startsWith(error), qPrintable(reader.errorString()));
    QCOMPARE(streamed, qint64(frames));
}

void tst_BinaryRecordings::truncatedEverywhere_data()
{
    QTest::addColumn<Format>("format");
    QTest::newRow("blf") << RecordingReader::Blf;
    QTest::newRow("pcap") << RecordingReader::Pcap;
    QTest::newRow("pcapng") << RecordingReader::Pcapng;
}

// A file cut at any byte: no crash, the frames read are the first ones of the whole file, and
// a cut inside a structure is named with an offset.
void tst_BinaryRecordings::truncatedEverywhere()
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

QTEST_GUILESS_MAIN(tst_BinaryRecordings)
#include "tst_binaryrecordings.moc"
