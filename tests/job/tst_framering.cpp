#include "job/framering.h"

#include "framestext.h"

#include <QtTest>

class tst_FrameRing : public QObject
{
    Q_OBJECT

private slots:
    void boundsUnderLoad_data();
    void boundsUnderLoad();
    void framesAtTheEdges_data();
    void framesAtTheEdges();
    void keepsOnlyTheFrame();
};

void tst_FrameRing::boundsUnderLoad_data()
{
    QTest::addColumn<qint64>("spanUs");
    QTest::addColumn<int>("maxFrames");
    QTest::addColumn<int>("framesPerSecond");
    QTest::addColumn<int>("seconds");
    // 1 Mbit/s at full load carries some 8,000 extended frames a second.
    QTest::newRow("1 Mbit/s, 15 s span, room for it") << qint64(15000000) << 400000 << 8000 << 60;
    QTest::newRow("1 Mbit/s, 15 s span, room for 2 s") << qint64(15000000) << 16000 << 8000 << 60;
    QTest::newRow("250 kbit/s, 1 s span, room for more") << qint64(1000000) << 50000 << 2000 << 20;
    QTest::newRow("one frame of room") << qint64(1000000) << 1 << 100 << 3;
}

// The ring never holds more than its count and, where the count allows, the whole span; what
// the count pushes out of the span is counted. Checked against the stamps the test made.
void tst_FrameRing::boundsUnderLoad()
{
    QFETCH(qint64, spanUs);
    QFETCH(int, maxFrames);
    QFETCH(int, framesPerSecond);
    QFETCH(int, seconds);
    FrameRing ring(spanUs, maxFrames);
    const qint64 stepUs = 1000000 / framesPerSecond;
    const int total = framesPerSecond * seconds;
    qint64 tooMany = 0;
    for (int i = 0; i < total; ++i) {
        ring.append(numberedFrame(i * stepUs, 0x18FEF100, quint32(i)));
        if (ring.size() > maxFrames)
            ++tooMany;
    }
    QCOMPARE(tooMany, qint64(0));
    const qint64 newestUs = qint64(total - 1) * stepUs;
    // Frames the span asks for at the end: those stamped within it of the newest.
    const int inSpan = int(std::min<qint64>(total, spanUs / stepUs + 1));
    const int held = std::min(inSpan, maxFrames);
    QCOMPARE(ring.size(), held);
    const QVector<TimedFrame> all = ring.frames(newestUs - spanUs, newestUs);
    QCOMPARE(all.size(), held);
    // The newest frames, in order, without a gap.
    for (int i = 0; i < all.size(); ++i)
        QCOMPARE(all.at(i).timeUs, newestUs - qint64(held - 1 - i) * stepUs);
    // Every frame that left while the span still wanted it left for the count.
    const qint64 everInSpanButGone = maxFrames < inSpan ? qint64(total) - maxFrames : 0;
    QCOMPARE(ring.droppedForCount(), everInSpanButGone);
    QCOMPARE(ring.holdsSince(newestUs - spanUs), everInSpanButGone == 0);
    QVERIFY(ring.holdsSince(newestUs));
}

void tst_FrameRing::framesAtTheEdges_data()
{
    QTest::addColumn<qint64>("fromUs");
    QTest::addColumn<qint64>("toUs");
    QTest::addColumn<QList<int>>("indexes");
    // Frames stamped 0, 1000, ..., 9000 µs.
    QTest::newRow("both edges included") << qint64(1000) << qint64(3000) << QList<int>{1, 2, 3};
    QTest::newRow("just inside both") << qint64(999) << qint64(3001) << QList<int>{1, 2, 3};
    QTest::newRow("just past both") << qint64(1001) << qint64(2999) << QList<int>{2};
    QTest::newRow("one instant") << qint64(4000) << qint64(4000) << QList<int>{4};
    QTest::newRow("between frames") << qint64(4001) << qint64(4999) << QList<int>{};
    QTest::newRow("before the first") << qint64(-5000) << qint64(0) << QList<int>{0};
    QTest::newRow("after the last") << qint64(9000) << qint64(20000) << QList<int>{9};
    QTest::newRow("reversed") << qint64(3000) << qint64(1000) << QList<int>{};
}

void tst_FrameRing::framesAtTheEdges()
{
    QFETCH(qint64, fromUs);
    QFETCH(qint64, toUs);
    QFETCH(QList<int>, indexes);
    // The ring has wrapped round: the storage's start lies inside the frames asked for.
    FrameRing ring(1000000, 10);
    for (int i = -7; i < 10; ++i)
        ring.append(numberedFrame(qint64(i) * 1000, 0x0CF00400, quint32(i)));
    QCOMPARE(ring.size(), 10);
    const QVector<TimedFrame> got = ring.frames(fromUs, toUs);
    QList<int> gotIndexes;
    for (const TimedFrame &f : got) {
        QCOMPARE(f.timeUs, qint64(f.message.data[0]) * 1000);
        gotIndexes << f.message.data[0];
    }
    QCOMPARE(gotIndexes, indexes);
}

// A frame keeps its bus, identifier, length and data; the text and sending item of the moment
// stay behind, and a slot used again holds nothing of the frame before.
void tst_FrameRing::keepsOnlyTheFrame()
{
    FrameRing ring(1000000, 2);
    TimedFrame withText = numberedFrame(100, 0x18FECA00, 7);
    withText.message.text = QStringLiteral("decoded");
    withText.message.sender = reinterpret_cast<AbstractDisplayableItem *>(0x1234);
    ring.append(withText);
    const quint8 three[3] = {1, 2, 3};
    TimedFrame standard{200, CanMessage(0x123, three, 3)};
    standard.message.extended = false;
    standard.bus = 2;
    ring.append(standard);
    ring.append(numberedFrame(300, 0x18FEF100, 9));
    const QVector<TimedFrame> got = ring.frames(0, 1000);
    QCOMPARE(got.size(), 2);
    QCOMPARE(got.at(0).message.toString(), standard.message.toString());
    QCOMPARE(got.at(0).message.extended, false);
    QCOMPARE(int(got.at(0).message.length), 3);
    QCOMPARE(int(got.at(0).bus), 2);
    QCOMPARE(got.at(1).message.id, quint32(0x18FEF100));
    QCOMPARE(int(got.at(1).bus), 0);
    for (const TimedFrame &f : got) {
        QVERIFY(f.message.text.isEmpty());
        QVERIFY(!f.message.sender);
    }
    ring.append(withText); // into the slot of the frame on bus 2
    QCOMPARE(ring.frames(100, 100).constFirst().message.text, QString());
    QCOMPARE(int(ring.frames(100, 100).constFirst().bus), 0);
}

QTEST_GUILESS_MAIN(tst_FrameRing)
#include "tst_framering.moc"
