#include "can/zentraxv1codec.h"
#include "support/adapterbytes.h"
#include "support/hex.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

namespace {

QByteArray encoded(const CanMessage &m)
{
    QByteArray out;
    ZentraxV1Codec::encodeFrame(m, &out);
    return out;
}

struct Decoded
{
    QVector<CanMessage> frames;
    QList<QByteArray> log;
    int buffered = 0;
};

Decoded decodeAll(const QList<QByteArray> &chunks, int maxPerCall = 1000)
{
    Decoded result;
    ZentraxV1Codec codec;
    codec.setLogSink([&](const QByteArray &text) { result.log << text; });
    for (const QByteArray &chunk : chunks) {
        codec.feed(chunk.constData(), int(chunk.size()));
        while (codec.decode(&result.frames, maxPerCall) > 0) {
        }
    }
    result.buffered = codec.buffered();
    return result;
}

} // namespace

class tst_ZentraxV1Codec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void encodeFrame_data();
    void encodeFrame();
    void bitRate_data();
    void bitRate();
    void tooLongPacketRefused();
    void decodeStream_data();
    void decodeStream();
    void singleMarkerInBodyDropped();
    void splitAtEveryPosition();
    void batchLimitLeavesRestBuffered();
    void overflowDropsBuffer();
};

void tst_ZentraxV1Codec::encodeFrame_data()
{
    QTest::addColumn<CanMessage>("message");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("extended, no marker: L 15")
        << makeFrame(0x18FEF100, {1, 2, 3}) << hex("f00f02 00f1fe18 d3 0102030000000000");
    QTest::newRow("marker in identifier: L 16")
        << makeFrame(0x0CF00400, {1}) << hex("f01002 0004f0f00c d1 0100000000000000");
    QTest::newRow("markers in data: L grows per byte")
        << makeFrame(0x18FEF100, {0xF0, 0xF0, 3}) << hex("f01102 00f1fe18 d3 f0f0f0f0030000000000");
    QTest::newRow("standard frame")
        << makeFrame(0x1A0, {0xAB, 0x01}, false) << hex("f00f02 a0010000 c2 ab01000000000000");
    QTest::newRow("empty payload still sends 8 bytes")
        << makeFrame(0x18EA0021, {}) << hex("f00f02 2100ea18 d0 0000000000000000");
}

void tst_ZentraxV1Codec::encodeFrame()
{
    QFETCH(CanMessage, message);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encoded(message).toHex(), bytes.toHex());
    QCOMPARE(int(quint8(bytes.at(1))), bytes.size() - 1);
}

void tst_ZentraxV1Codec::bitRate_data()
{
    QTest::addColumn<unsigned>("rate");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("125k") << 125000u << hex("f00303f8f00283");
    QTest::newRow("250k") << 250000u << hex("f00303faf00283");
    QTest::newRow("500k") << 500000u << hex("f00303fcf00283");
    QTest::newRow("1M") << 1000000u << hex("f00303fef00283");
    QTest::newRow("800k unsupported") << 800000u << QByteArray();
    QTest::newRow("zero") << 0u << QByteArray();
}

void tst_ZentraxV1Codec::bitRate()
{
    QFETCH(unsigned, rate);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ZentraxV1Codec::encodeBitRate(rate).toHex(), bytes.toHex());
}

void tst_ZentraxV1Codec::tooLongPacketRefused()
{
    QByteArray body(238, '\x01');
    QByteArray out;
    QVERIFY(ZentraxV1Codec::encodePacket(0x10, reinterpret_cast<const quint8 *>(body.constData()),
                                         237, &out));
    QCOMPARE(int(quint8(out.at(1))), 0xEF);
    out.clear();
    body[0] = char(0xF0); // stuffing pushes L to 0xF0
    QVERIFY(!ZentraxV1Codec::encodePacket(0x10, reinterpret_cast<const quint8 *>(body.constData()),
                                          237, &out));
    QVERIFY(out.isEmpty());
}

void tst_ZentraxV1Codec::decodeStream_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("buffered");
    QTest::addColumn<QString>("logged");
    const auto row = [](const char *name, const QByteArray &stream, int frames, int buffered,
                        const char *logged) {
        QTest::newRow(name) << stream << frames << buffered << QString::fromLatin1(logged);
    };

    const QByteArray frame = zentraxFramePacket(0x18FEF100, true, hex("0102"));
    row("one frame", frame, 1, 0, "");
    row("stray bytes before marker", hex("0102") + frame, 1, 0, "Stray data: 01 02");
    row("buffer ending in lone F0 keeps it", frame + hex("f0"), 1, 1, "");
    row("garbage then lone F0", hex("0102f0"), 0, 1, "Removing stray data upto marker");
    row("garbage without marker", hex("010203"), 0, 0, "Removing stray data without marker");
    row("length 0x01 drops the marker only", hex("f001") + frame, 1, 0, "Inalivd packet length 1");
    row("length 0xF1 drops the marker only", hex("f0f1") + frame, 1, 0,
        "Inalivd packet length 241");
    row("length byte 0xF0 is a stuffed pair, skipped", hex("f0f0") + frame, 1, 0,
        "Stray data: f0 f0");
    row("unknown packet id", hex("f0032033") + frame, 1, 0, "Unknown packet Id 0x20");
    row("ignored packet ids are silent", hex("f00301aa") + hex("f00317bb") + frame, 1, 0, "");
    row("settings report", hex("f00303fa") + frame, 1, 0, "Got CanSettings?");
    row("short frame body", hex("f00502010203") + frame, 1, 0, "Invalid can packet data: 01 02 03");
    row("more than 8 data bytes dropped",
        zentraxFramePacket(0x100, false, QByteArray(9, 'x')) + frame, 1, 0,
        "Dropping CAN packet with 9 data bytes");
    row("incomplete packet waits", frame.left(8), 0, 8, "");
}

void tst_ZentraxV1Codec::decodeStream()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, frames);
    QFETCH(int, buffered);
    QFETCH(QString, logged);
    const Decoded d = decodeAll({stream});
    QCOMPARE(d.frames.size(), frames);
    QCOMPARE(d.buffered, buffered);
    if (logged.isEmpty())
        QVERIFY2(d.log.isEmpty(), d.log.isEmpty() ? "" : d.log.first().constData());
    else
        QVERIFY2(d.log.contains(logged.toLatin1()),
                 d.log.isEmpty() ? "nothing logged" : d.log.join(" | ").constData());
}

void tst_ZentraxV1Codec::singleMarkerInBodyDropped()
{
    // Body 00 01 00 00 | 00 | F0 AA: the lone F0 is not data.
    const Decoded d = decodeAll({hex("f009020001000000f0aa")});
    QVERIFY(d.log.isEmpty());
    QCOMPARE(d.frames.size(), 1);
    QCOMPARE(d.frames.first().id, 0x100u);
    QVERIFY(!d.frames.first().extended);
    QCOMPARE(int(d.frames.first().length), 1);
    QCOMPARE(int(d.frames.first().data[0]), 0xAA);
}

void tst_ZentraxV1Codec::splitAtEveryPosition()
{
    const QVector<CanMessage> sent{
        makeFrame(0x0CF00400, {0xF0, 0x7D, 0x7D, 0xF0, 0x20, 0x00, 0xF0, 0x7D}),
        makeFrame(0x18FEF1F0, {}), makeFrame(0x7F0, {0xF0}, false),
        makeFrame(0x18EAFF00, {0xE5, 0xFE, 0x00})};
    const QByteArray stream = serialAdapterBytes(true, sent);
    for (int split = 0; split <= stream.size(); ++split) {
        const Decoded d = decodeAll({stream.left(split), stream.mid(split)});
        QCOMPARE(d.frames.size(), sent.size());
        QVERIFY2(d.log.isEmpty(), qPrintable(QStringLiteral("split %1: %2")
                                                 .arg(split)
                                                 .arg(QString::fromLatin1(d.log.join(" | ")))));
        for (int i = 0; i < sent.size(); ++i)
            QCOMPARE(d.frames.at(i).toString(), sent.at(i).toString()); // id, kind and data
    }
}

void tst_ZentraxV1Codec::batchLimitLeavesRestBuffered()
{
    QByteArray stream;
    for (int i = 0; i < 200; ++i)
        stream += zentraxFramePacket(0x18FEF100 + quint32(i % 200), true, QByteArray(8, char(i)));
    ZentraxV1Codec codec;
    QVector<CanMessage> frames;
    // 200 packets are more than one read may hold: feed what fits, as the handler does.
    int offset = 0;
    while (offset < stream.size() && frames.size() < 128) {
        const int n = std::min(codec.room(), int(stream.size()) - offset);
        QVERIFY(codec.feed(stream.constData() + offset, n));
        offset += n;
        codec.decode(&frames, 128 - frames.size());
    }
    QCOMPARE(frames.size(), 128);
    codec.feed(stream.constData() + offset, int(stream.size()) - offset);
    QCOMPARE(codec.decode(&frames, 128), 72);
    for (int i = 0; i < 200; ++i)
        QCOMPARE(int(frames.at(i).data[0]), i & 0xFF);
}

void tst_ZentraxV1Codec::overflowDropsBuffer()
{
    ZentraxV1Codec codec;
    QList<QByteArray> log;
    codec.setLogSink([&](const QByteArray &text) { log << text; });
    const QByteArray partial = hex("f00f02");
    QVERIFY(codec.feed(partial.constData(), 3));
    const QByteArray big(4092, '\x01');
    QVERIFY(!codec.feed(big.constData(), int(big.size())));
    QCOMPARE(codec.buffered(), 0);
    QCOMPARE(log, QList<QByteArray>{"Clearing buffer cause >= 4095"});
    QCOMPARE(codec.room(), 4094);
}

QTEST_GUILESS_MAIN(tst_ZentraxV1Codec)
#include "tst_zentraxv1codec.moc"
