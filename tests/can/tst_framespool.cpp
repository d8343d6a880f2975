#include "can/framespool.h"

#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(TimedFrame)

namespace {

TimedFrame frame(qint64 timeUs, quint32 id, quint8 bus = 0, int length = 8, bool extended = true)
{
    TimedFrame f;
    f.timeUs = timeUs;
    f.bus = bus;
    const quint8 bytes[8] = {quint8(id), quint8(timeUs), 0xFF, 0, 0x80, 0x7F, 1, 2};
    f.message = CanMessage(id, bytes, length);
    f.message.extended = extended;
    return f;
}

bool same(const TimedFrame &a, const TimedFrame &b)
{
    return a.timeUs == b.timeUs && a.bus == b.bus && a.message.id == b.message.id
           && a.message.length == b.message.length && a.message.extended == b.message.extended
           && std::memcmp(a.message.data, b.message.data, CanMessage::MaxLength) == 0;
}

} // namespace

class tst_FrameSpool : public QObject
{
    Q_OBJECT

private slots:
    void blockRoundTrip_data();
    void blockRoundTrip();
    void damagedBlockRefused_data();
    void damagedBlockRefused();
    void blocksAndIndex();
};

void tst_FrameSpool::blockRoundTrip_data()
{
    QTest::addColumn<QVector<TimedFrame>>("frames");
    QTest::newRow("one frame at an absolute time")
        << QVector<TimedFrame>{frame(1600000000123456, 0x18FEF100)};
    QTest::newRow("standard, short and empty frames") << QVector<TimedFrame>{
        frame(0, 0x1A0, 0, 3, false), frame(10, 0x7FF, 0, 0, false), frame(20, 0x1FFFFFFF, 0, 8)};
    // Buses merged by time may step back; times before the epoch's start come from offsets.
    QTest::newRow("time steps back, several buses")
        << QVector<TimedFrame>{frame(5000, 0x0CF00400, 1), frame(4000, 0x0CF00400, 2),
                               frame(-7, 0x18EAFF00, 255), frame(INT64_C(1) << 52, 0x1, 0)};
    QVector<TimedFrame> many;
    for (int i = 0; i < 5000; ++i)
        many << frame(i * 997, 0x18FEF100 + quint32(i % 7), quint8(i % 3));
    QTest::newRow("a full block") << many;
}

void tst_FrameSpool::blockRoundTrip()
{
    QFETCH(QVector<TimedFrame>, frames);
    QVector<TimedFrame> back;
    QVERIFY(FrameSpool::decode(FrameSpool::encode(frames), &back));
    QCOMPARE(back.size(), frames.size());
    for (int i = 0; i < frames.size(); ++i)
        QVERIFY2(same(back.at(i), frames.at(i)), qPrintable(QString::number(i)));
}

void tst_FrameSpool::damagedBlockRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good
        = FrameSpool::encode({frame(0, 0x18FEF100), frame(1000, 0x18FEF100), frame(2000, 1)});
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut short") << good.left(good.size() / 2);
    QTest::newRow("not compressed") << QByteArray("TVSB and then some more bytes");
    // A length in front that would ask for gigabytes before anything is checked.
    QTest::newRow("huge length") << QByteArray::fromHex("7fffffff789c030000000001");
    QByteArray raw = qUncompress(good);
    raw[4] = char(0x10); // more frames than the columns hold
    QTest::newRow("count beyond the data") << qCompress(raw);
    raw = qUncompress(good);
    raw.chop(1);
    QTest::newRow("a column short") << qCompress(raw);
}

void tst_FrameSpool::damagedBlockRefused()
{
    QFETCH(QByteArray, bytes);
    QVector<TimedFrame> frames;
    QVERIFY(!FrameSpool::decode(bytes, &frames));
}

void tst_FrameSpool::blocksAndIndex()
{
    FrameSpool spool(100);
    QVERIFY(spool.open());
    QVector<TimedFrame> piece;
    for (int i = 0; i < 250; ++i)
        piece << frame(1000 + i * 10, 0x18FEF100, quint8(i < 200 ? 0 : 3));
    QVERIFY(spool.append(piece));
    // Only whole blocks are read while the writer goes on.
    QCOMPARE(spool.blockCount(), 2);
    QCOMPARE(spool.frameCount(), qint64(200));
    QCOMPARE(spool.lastTimeUs(), qint64(1000 + 199 * 10));
    QCOMPARE(spool.buses(), QVector<quint8>{0});
    QVERIFY(spool.finish());
    QCOMPARE(spool.blockCount(), 3);
    QCOMPARE(spool.frameCount(), qint64(250));
    QCOMPARE(spool.buses(), (QVector<quint8>{0, 3}));
    QCOMPARE(spool.firstTimeUs(), qint64(1000));
    const QVector<TimedFrame> last = spool.block(2);
    QCOMPARE(last.size(), 50);
    QVERIFY(same(last.first(), piece.at(200)));
    QVERIFY(same(last.last(), piece.last()));
    QVERIFY(spool.block(3).isEmpty());
    QVERIFY(spool.block(-1).isEmpty());

    QCOMPARE(spool.blockReaching(0), 0);
    QCOMPARE(spool.blockReaching(1000 + 99 * 10), 0);
    QCOMPARE(spool.blockReaching(1000 + 100 * 10), 1);
    QCOMPARE(spool.blockReaching(1000 + 249 * 10), 2);
    QCOMPARE(spool.blockReaching(1000 + 250 * 10), 3);
    // The frames take far less on disk than in memory.
    QVERIFY2(spool.diskBytes() < 250 * qint64(sizeof(TimedFrame)) / 4,
             qPrintable(QString::number(spool.diskBytes())));
}

QTEST_MAIN(tst_FrameSpool)
#include "tst_framespool.moc"
