#include "job/snapshotcollector.h"

#include "framestext.h"

#include <QtTest>

#include <algorithm>

namespace {

constexpr qint64 Second = 1000000;

// DM1 single frames of unit `source`: no code, or SPN 100 FMI 3 with an occurrence count.
TimedFrame dm1(qint64 timeUs, quint8 source, int occurrences)
{
    const quint8 none[8] = {0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF};
    const quint8 code[8] = {0x04, 0xFF, 0x64, 0x00, 0x03, quint8(occurrences), 0xFF, 0xFF};
    return TimedFrame{timeUs, CanMessage(0x18FECA00 | source, occurrences ? code : none, 8)};
}

// Background traffic every `stepUs` from `fromUs` up to `toUs`, with the DM1 frames merged in
// by time.
QVector<TimedFrame> traffic(qint64 fromUs, qint64 toUs, qint64 stepUs,
                            const QVector<TimedFrame> &dm1s)
{
    QVector<TimedFrame> frames;
    quint32 n = 0;
    for (qint64 t = fromUs; t <= toUs; t += stepUs)
        frames.append(numberedFrame(t, 0x0CF00400, n++));
    frames += dm1s;
    std::stable_sort(frames.begin(), frames.end(),
                     [](const TimedFrame &a, const TimedFrame &b) { return a.timeUs < b.timeUs; });
    return frames;
}

// The input frames a window should hold, as text to compare.
QStringList framesIn(const QVector<TimedFrame> &frames, qint64 fromUs, qint64 toUs)
{
    QStringList out;
    for (const TimedFrame &f : frames) {
        if (f.timeUs >= fromUs && f.timeUs <= toUs)
            out << QString::number(f.timeUs) + QLatin1Char(' ') + f.message.toString();
    }
    return out;
}

QStringList texts(const QVector<TimedFrame> &frames)
{
    return framesIn(frames, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
}

} // namespace

class tst_SnapshotCollector : public QObject
{
    Q_OBJECT

private slots:
    void windowHoldsItsFrames_data();
    void windowHoldsItsFrames();
    void changesOfAUnitJoin();
    void limitSkips();
    void quietBusCompletesOnTheClock();
    void finishCutsShort();
    void countBoundMarksIncomplete();
    void clockStartsAgain();
};

void tst_SnapshotCollector::windowHoldsItsFrames_data()
{
    QTest::addColumn<qint64>("changeUs");
    QTest::addColumn<qint64>("beforeUs");
    QTest::addColumn<qint64>("afterUs");
    QTest::addColumn<qint64>("stepUs");
    // Traffic runs from 0 to 60 s; the change is a DM1 of unit 0x05 after a first one without
    // codes at 0.5 s.
    QTest::newRow("default window mid-way")
        << 30 * Second << 10 * Second << 5 * Second << qint64(1000);
    QTest::newRow("edges on frame stamps")
        << 30 * Second + 500 << 2 * Second << Second << qint64(500);
    QTest::newRow("window starts before the traffic")
        << 3 * Second << 10 * Second << 5 * Second << qint64(2000);
    QTest::newRow("nothing after the change")
        << 20 * Second << 4 * Second << qint64(0) << qint64(250);
    QTest::newRow("busy bus") << 40 * Second << 10 * Second << 5 * Second << qint64(125);
}

void tst_SnapshotCollector::windowHoldsItsFrames()
{
    QFETCH(qint64, changeUs);
    QFETCH(qint64, beforeUs);
    QFETCH(qint64, afterUs);
    QFETCH(qint64, stepUs);
    const QVector<TimedFrame> input
        = traffic(0, 60 * Second, stepUs, {dm1(Second / 2, 0x05, 0), dm1(changeUs, 0x05, 1)});
    SnapshotCollector collector;
    collector.setWindow(beforeUs, afterUs);
    collector.take(input);
    const QVector<Snapshot> got = collector.takeCompleted();
    QCOMPARE(got.size(), 1);
    const Snapshot &s = got.constFirst();
    QCOMPARE(s.timeUs, changeUs);
    QCOMPARE(int(s.source), 0x05);
    QCOMPARE(s.fromUs, changeUs - beforeUs);
    QCOMPARE(s.toUs, changeUs + afterUs);
    QCOMPARE(texts(s.frames), framesIn(input, changeUs - beforeUs, changeUs + afterUs));
    QVERIFY(s.complete);
    QVERIFY(!s.cutShort);
    QCOMPARE(s.change, QStringLiteral("SPN 100 FMI 3 appeared"));
    QCOMPARE(s.appeared.size(), 1);
    QCOMPARE(s.codesAfter.size(), 1);
    QCOMPARE(collector.collecting(), 0);
}

// Changes of a unit within its window join its snapshot; another unit gets its own, and the
// unit's next change after the window opens a new one.
void tst_SnapshotCollector::changesOfAUnitJoin()
{
    const QVector<TimedFrame> input
        = traffic(0, 60 * Second, 10000,
                  {dm1(Second, 0x05, 0), dm1(Second, 0x07, 0), dm1(20 * Second, 0x05, 1),
                   dm1(21 * Second, 0x05, 0), dm1(21 * Second + 500000, 0x07, 1),
                   dm1(22 * Second, 0x05, 1), dm1(26 * Second, 0x05, 2)});
    SnapshotCollector collector;
    collector.take(input);
    collector.finish();
    const QVector<Snapshot> got = collector.takeCompleted();
    QCOMPARE(got.size(), 3);
    QCOMPARE(int(got.at(0).source), 0x05);
    QCOMPARE(got.at(0).timeUs, 20 * Second);
    QCOMPARE(got.at(0).change, QStringLiteral("SPN 100 FMI 3 appeared; SPN 100 FMI 3 gone; "
                                              "SPN 100 FMI 3 appeared"));
    QCOMPARE(got.at(0).appeared.size(), 2);
    QCOMPARE(got.at(0).gone.size(), 1);
    QCOMPARE(got.at(0).toUs, 25 * Second);
    QCOMPARE(int(got.at(1).source), 0x07);
    QCOMPARE(got.at(1).fromUs, 11 * Second + 500000);
    QCOMPARE(int(got.at(2).source), 0x05);
    QCOMPARE(got.at(2).timeUs, 26 * Second);
    QCOMPARE(got.at(2).change, QStringLiteral("SPN 100 FMI 3 occurrence count 2"));
    for (int i = 0; i < got.size(); ++i) {
        QCOMPARE(got.at(i).id, i + 1);
        QVERIFY(got.at(i).complete);
    }
}

void tst_SnapshotCollector::limitSkips()
{
    QVector<TimedFrame> dm1s{dm1(0, 0x05, 0)};
    for (int i = 1; i <= 5; ++i)
        dm1s << dm1(i * 20 * Second, 0x05, i);
    SnapshotCollector collector;
    collector.setLimit(2);
    collector.take(traffic(0, 130 * Second, 100000, dm1s));
    const QVector<Snapshot> got = collector.takeCompleted();
    QCOMPARE(got.size(), 2);
    QCOMPARE(got.at(1).timeUs, 40 * Second);
    QCOMPARE(collector.skipped(), 3);
}

// The bus goes quiet after the change: the clock completes the window, whole, once it passed.
void tst_SnapshotCollector::quietBusCompletesOnTheClock()
{
    const QVector<TimedFrame> input
        = traffic(0, 21 * Second, 100000, {dm1(0, 0x05, 0), dm1(20 * Second, 0x05, 1)});
    SnapshotCollector collector;
    collector.take(input);
    collector.advance(25 * Second);
    QVERIFY(!collector.hasCompleted());
    QCOMPARE(collector.collecting(), 1);
    collector.advance(25 * Second + 1);
    const QVector<Snapshot> got = collector.takeCompleted();
    QCOMPARE(got.size(), 1);
    QVERIFY(got.constFirst().complete);
    QCOMPARE(texts(got.constFirst().frames), framesIn(input, 10 * Second, 25 * Second));
}

// At the end, a window the last frame reached is whole; one it did not reach is cut short.
void tst_SnapshotCollector::finishCutsShort()
{
    const QVector<TimedFrame> input = traffic(
        0, 22 * Second, 100000,
        {dm1(0, 0x05, 0), dm1(0, 0x06, 0), dm1(17 * Second, 0x06, 1), dm1(20 * Second, 0x05, 1)});
    SnapshotCollector collector;
    collector.take(input);
    QCOMPARE(collector.takeCompleted().size(), 0);
    collector.finish();
    const QVector<Snapshot> got = collector.takeCompleted();
    QCOMPARE(got.size(), 2);
    QCOMPARE(int(got.at(0).source), 0x06);
    QVERIFY(!got.at(0).cutShort);
    QVERIFY(got.at(0).complete);
    QCOMPARE(int(got.at(1).source), 0x05);
    QVERIFY(got.at(1).cutShort);
    QVERIFY(!got.at(1).complete);
    for (const Snapshot &s : got)
        QCOMPARE(texts(s.frames), framesIn(input, s.fromUs, s.toUs));
    QCOMPARE(collector.collecting(), 0);
}

// A window longer than the ring's count holds: the snapshot keeps what there is and says so.
void tst_SnapshotCollector::countBoundMarksIncomplete()
{
    const QVector<TimedFrame> input
        = traffic(0, 40 * Second, 10000, {dm1(0, 0x05, 0), dm1(20 * Second, 0x05, 1)});
    SnapshotCollector collector(500);
    collector.take(input);
    const QVector<Snapshot> got = collector.takeCompleted();
    QCOMPARE(got.size(), 1);
    const Snapshot &s = got.constFirst();
    QVERIFY(!s.complete);
    QVERIFY(!s.cutShort);
    QCOMPARE(s.frames.size(), 500);
    // The newest frames of the window, up to its end.
    const QStringList all = framesIn(input, s.fromUs, s.toUs);
    QCOMPARE(texts(s.frames), all.mid(all.size() - 500));
    QVERIFY(collector.ring().droppedForCount() > 0);
}

// The adapter reopened and its clock starts from zero again: the window open ends with the old
// clock's frames, and a later window holds none of them, though their stamps fall inside it.
void tst_SnapshotCollector::clockStartsAgain()
{
    const QVector<TimedFrame> before
        = traffic(0, 30 * Second, 100000, {dm1(0, 0x05, 0), dm1(28 * Second, 0x05, 1)});
    const QVector<TimedFrame> after
        = traffic(0, 40 * Second, 100000, {dm1(Second, 0x05, 1), dm1(12 * Second, 0x05, 2)});
    SnapshotCollector collector;
    collector.take(before);
    QCOMPARE(collector.collecting(), 1);
    collector.take(after);
    const QVector<Snapshot> got = collector.takeCompleted();
    QCOMPARE(got.size(), 2);
    QCOMPARE(got.at(0).timeUs, 28 * Second);
    QVERIFY(got.at(0).cutShort);
    QCOMPARE(texts(got.at(0).frames), framesIn(before, 18 * Second, 33 * Second));
    QCOMPARE(got.at(1).timeUs, 12 * Second);
    QCOMPARE(got.at(1).change, QStringLiteral("SPN 100 FMI 3 occurrence count 2"));
    QVERIFY(got.at(1).complete);
    QCOMPARE(texts(got.at(1).frames), framesIn(after, 2 * Second, 17 * Second));
}

QTEST_GUILESS_MAIN(tst_SnapshotCollector)
#include "tst_snapshotcollector.moc"
