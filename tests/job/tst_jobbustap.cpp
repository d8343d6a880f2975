#include "can/recordingreader.h"
#include "job/jobbustap.h"
#include "job/rawrecorder.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

constexpr qint64 Second = 1000000;
const qint64 StartUs
    = QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch() * 1000;

// DM1 of `source` with one code (SPN 110 FMI 16, `oc` occurrences) or none.
CanMessage dm1(quint8 source, int oc)
{
    if (oc == 0)
        return makeFrame(0x18FECA00u | source, {0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF});
    return makeFrame(0x18FECA00u | source, {0x04, 0xFF, 110, 0x00, 16, quint8(oc), 0xFF, 0xFF});
}

QVector<TimedFrame> readParts(const QString &rawDir)
{
    QVector<TimedFrame> frames;
    for (int part : RawRecorder::partNumbers(rawDir)) {
        RecordingReader reader;
        if (reader.readFile(QDir(rawDir).filePath(RawRecorder::partFileName(part))))
            frames += reader.frames();
    }
    return frames;
}

} // namespace

// The job's bus side: every frame into the raw recording and the snapshots' ring, the inventory
// only while one is taken, the load and the broken transport sessions counted.
class tst_JobBusTap : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void recordsSnapshotsAndInventory();
    void countsLoadAndAborts_data();
    void countsLoadAndAborts();
    void framesFromTwoThreads();
};

void tst_JobBusTap::recordsSnapshotsAndInventory()
{
    QTemporaryDir dir;
    JobBusTap tap(dir.filePath(QStringLiteral("raw")), 4096);
    qint64 now = StartUs;
    tap.setClock([&now] { return now; });
    tap.setSnapshotWindow(2 * Second, 1 * Second);
    QSignalSpy ready(&tap, &JobBusTap::snapshotsReady);
    // Ten seconds of a unit at 0x21 sending its speed every 100 ms and DM1 every second; its
    // code's count goes up at 5 s. An address claim comes at 2.5 s, while no inventory is
    // taken, and one at 7 s, while one is.
    int sent = 0;
    for (int tick = 0; tick <= 100; ++tick) {
        now = StartUs + tick * Second / 10;
        QVector<CanMessage> batch{makeFrame(0x0CF00421, {1, 2, 3, 4, 5, 6, 7, 8})};
        if (tick % 10 == 0)
            batch << dm1(0x21, tick >= 50 ? 2 : 1);
        if (tick == 25 || tick == 70)
            batch << makeFrame(0x18EEFF21, {1, 2, 3, 4, 5, 6, 7, 8});
        if (tick == 60)
            tap.startInventory();
        tap.take(batch);
        sent += batch.size();
    }
    const Inventory inventory = tap.takeInventory();
    QVERIFY(inventory.units().contains(0x21));
    QVERIFY(inventory.units().value(0x21).hasName);
    QCOMPARE(inventory.units().value(0x21).name, Q_UINT64_C(0x0807060504030201));
    QVERIFY(!tap.isTakingInventory());

    // The change at 5 s: its snapshot completed once the frames passed 6 s.
    QVERIFY(ready.count() >= 1);
    const QVector<Snapshot> snapshots = tap.takeSnapshots();
    QCOMPARE(snapshots.size(), 1);
    const Snapshot &s = snapshots.first();
    QCOMPARE(s.source, quint8(0x21));
    QCOMPARE(s.timeUs, StartUs + 5 * Second);
    // 3 s of ticks (30 intervals: 31 ticks) with their DM1s and no claim.
    QCOMPARE(s.frames.size(), 31 + 4);
    QCOMPARE(s.frames.first().timeUs, StartUs + 3 * Second);
    QCOMPARE(s.frames.last().timeUs, StartUs + 6 * Second);

    // Everything went into the raw recording, in parts of the bound, in order.
    tap.flush();
    const QVector<TimedFrame> raw = readParts(dir.filePath(QStringLiteral("raw")));
    QCOMPARE(raw.size(), sent);
    QVERIFY(RawRecorder::partNumbers(dir.filePath(QStringLiteral("raw"))).size() > 1);
    QCOMPARE(raw.first().timeUs, StartUs);
    QCOMPARE(raw.last().timeUs, StartUs + 10 * Second);
    QCOMPARE(tap.health().frames, qint64(sent));
    QCOMPARE(tap.health().lastSeenUs.value(0x21), StartUs + 10 * Second);
}

void tst_JobBusTap::countsLoadAndAborts_data()
{
    QTest::addColumn<int>("framesPerSecond");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("abort");
    // 8-byte extended frames: 131 bits each; 250 kbit/s.
    QTest::newRow("quiet") << 0 << 3 << false;
    QTest::newRow("a tenth") << 191 << 4 << false;
    QTest::newRow("full") << 1908 << 2 << true;
}

void tst_JobBusTap::countsLoadAndAborts()
{
    QFETCH(int, framesPerSecond);
    QFETCH(int, seconds);
    QFETCH(bool, abort);
    JobBusTap tap{QString()};
    qint64 now = StartUs;
    tap.setClock([&now] { return now; });
    for (int second = 0; second < seconds; ++second) {
        now = StartUs + second * Second;
        tap.take(
            QVector<CanMessage>(framesPerSecond, makeFrame(0x18FEF100, {0, 0, 0, 0, 0, 0, 0, 0})));
    }
    if (abort) {
        // A connection announced by 0x00 to 0xF9 and aborted by the receiver.
        tap.take({makeFrame(0x1CECF900, {0x10, 20, 0, 3, 0xFF, 0xE3, 0xFE, 0x00})});
        tap.take({makeFrame(0x1CEC00F9, {0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xE3, 0xFE, 0x00})});
    }
    now = StartUs + seconds * Second;
    tap.take({});
    const JobBusTap::Health h = tap.health();
    const double expected = 100.0 * framesPerSecond * 131 / 250000;
    QVERIFY2(qAbs(h.loadMaxPercent - expected) < 0.01 + (abort ? 0.2 : 0),
             qPrintable(QString::number(h.loadMaxPercent)));
    QVERIFY2(qAbs(h.loadMeanPercent - expected) < 0.01 + expected / seconds,
             qPrintable(QString::number(h.loadMeanPercent)));
    QCOMPARE(h.transportAborts, abort ? qint64(1) : qint64(0));
}

void tst_JobBusTap::framesFromTwoThreads()
{
    // Received frames come on the bus thread, sent ones on whichever thread sends.
    QTemporaryDir dir;
    JobBusTap tap(dir.filePath(QStringLiteral("raw")));
    std::atomic<int> started{0};
    auto feed = [&](quint8 source) {
        ++started;
        while (started < 2) {
        }
        for (int i = 0; i < 2000; ++i)
            tap.take({makeFrame(0x18FF0000u | source, {quint8(i), quint8(i >> 8)})});
    };
    std::thread a(feed, 0x10);
    std::thread b(feed, 0x20);
    a.join();
    b.join();
    tap.flush();
    const QVector<TimedFrame> raw = readParts(dir.filePath(QStringLiteral("raw")));
    QCOMPARE(raw.size(), 4000);
    QCOMPARE(tap.health().frames, qint64(4000));
    // Each thread's frames kept their order.
    int next[2] = {0, 0};
    for (const TimedFrame &f : raw) {
        const int t = f.message.address() == 0x10 ? 0 : 1;
        QCOMPARE(int(f.message.data[0]) | int(f.message.data[1]) << 8, next[t]++);
    }
}

QTEST_GUILESS_MAIN(tst_JobBusTap)
#include "tst_jobbustap.moc"
