#include "job/framering.h"

#include "framestext.h"

#include <QtTest>

class tst_FrameRing : public QObject
{
    Q_OBJECT

private slots:
    void keepsOnlyTheFrame();
    void spanBeforeCount();
};

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
    // The count pushed out the oldest frame, though the span wanted it.
    QCOMPARE(ring.size(), 2);
    QCOMPARE(ring.droppedForCount(), qint64(1));
    QVERIFY(!ring.holdsSince(100));
    QVERIFY(ring.holdsSince(101));
    // Both edges belong to the window.
    QCOMPARE(ring.frames(200, 300).size(), 2);
    QCOMPARE(ring.frames(201, 299).size(), 0);
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

// Frames more than the span older than the newest go, not counted as pushed out by the count;
// the one right at the span's edge stays.
void tst_FrameRing::spanBeforeCount()
{
    FrameRing ring(100, 10);
    for (const qint64 t : {0, 50, 100, 150, 250})
        ring.append(numberedFrame(t, 0x18FEF100, quint32(t)));
    QCOMPARE(ring.size(), 2);
    QCOMPARE(ring.frames(0, 1000).constFirst().timeUs, qint64(150));
    QCOMPARE(ring.droppedForCount(), qint64(0));
}

QTEST_GUILESS_MAIN(tst_FrameRing)
#include "tst_framering.moc"
