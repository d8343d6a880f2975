#include "can/busclock.h"
#include "can/editors/canloadbar.h"
#include "can/eventcounter.h"
#include "can/guimessagenotifier.h"
#include "can/trafficcalculator.h"
#include "model/devicedispatcher.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <thread>

class tst_TrafficAccounting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void counterPeriod_data();
    void counterPeriod();
    void counterWindowSlides();
    void counterTimerStopsAfterSilence();
    void counterSetDepthKeepsNewest();
    void counterCountsFromAnotherThread();
    void capacity_data();
    void capacity();
    void loadBar_data();
    void loadBar();
    void trafficTextDescribesPreviousWindow_data();
    void trafficTextDescribesPreviousWindow();
    void notifierMergesPacksInOrder();
    void notifierSilentWhenQueueEmpty();
    void notifierInterval();
};

void tst_TrafficAccounting::counterPeriod_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("events");
    QTest::addColumn<int>("period");
    QTest::newRow("depth 10, 20 events: 250 ms") << 10 << 20 << 250;
    QTest::newRow("depth 2, 1000 events: 1 ms") << 2 << 1000 << 1;
    QTest::newRow("no events: 0") << 10 << 0 << 0;
    QTest::newRow("depth 10, 3 events truncates") << 10 << 3 << 1666;
}

void tst_TrafficAccounting::counterPeriod()
{
    QFETCH(int, depth);
    QFETCH(int, events);
    QFETCH(int, period);
    EventCounter counter(depth);
    QSignalSpy spy(&counter, &EventCounter::periodChanged);
    if (events)
        counter.inc(events);
    counter.shift();
    QCOMPARE(counter.get(), events);
    QCOMPARE(counter.period(), period);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toInt(), period);
}

void tst_TrafficAccounting::counterWindowSlides()
{
    // Windows of three buckets: [0 0 5], [0 5 2], [5 2 0], [2 0 0] (the 5 left), [0 0 0].
    EventCounter counter(3);
    const int added[] = {5, 2, 0, 0, 0};
    const int inWindow[] = {5, 7, 7, 2, 0};
    for (int i = 0; i < 5; ++i) {
        if (added[i])
            counter.inc(added[i]);
        counter.shift();
        QCOMPARE(counter.get(), inWindow[i]);
    }
    QCOMPARE(counter.totalEvents(), qint64(7));
}

void tst_TrafficAccounting::counterTimerStopsAfterSilence()
{
    EventCounter counter(2);
    counter.setInterval(10);
    QVERIFY(!counter.isTimerActive());
    counter.inc();
    QVERIFY(counter.isTimerActive());
    QTRY_VERIFY_WITH_TIMEOUT(!counter.isTimerActive(), 5000);
    // The last figure stays until traffic returns.
    QCOMPARE(counter.get(), 0);
    counter.setInterval(200); // long enough for the check below to see the window
    counter.inc(4);
    QVERIFY(counter.isTimerActive());
    QTRY_COMPARE_WITH_TIMEOUT(counter.get(), 4, 5000);
}

void tst_TrafficAccounting::counterSetDepthKeepsNewest()
{
    EventCounter counter(4);
    counter.inc(1);
    counter.shift();
    counter.inc(10);
    counter.shift();
    counter.setDepth(1); // keeps only the current bucket, dropping both filled ones
    counter.shift();
    QCOMPARE(counter.get(), 0);
    QCOMPARE(counter.depth(), 1);
    counter.setDepth(3);
    counter.inc(6);
    counter.shift();
    QCOMPARE(counter.get(), 6);
}

void tst_TrafficAccounting::counterCountsFromAnotherThread()
{
    EventCounter counter(2);
    counter.setInterval(20);
    std::thread writer([&counter] {
        for (int i = 0; i < 10000; ++i)
            counter.inc();
    });
    writer.join();
    QCOMPARE(counter.totalEvents(), qint64(10000));
    // The timer was started from the other thread through the counter's own thread.
    QTRY_COMPARE_WITH_TIMEOUT(counter.get(), 10000, 5000);
}

void tst_TrafficAccounting::capacity_data()
{
    QTest::addColumn<unsigned>("rate");
    QTest::addColumn<int>("capacity");
    QTest::newRow("250 kbit/s") << 250000u << 1953;
    QTest::newRow("500 kbit/s") << 500000u << 3906;
    QTest::newRow("1 Mbit/s") << 1000000u << 7812;
    QTest::newRow("125 kbit/s") << 125000u << 976;
}

void tst_TrafficAccounting::capacity()
{
    QFETCH(unsigned, rate);
    QFETCH(int, capacity);
    TestCanHandler handler;
    QVERIFY(handler.setBaudRate(rate));
    TrafficCalculator calculator;
    calculator.setHandler(&handler);
    QCOMPARE(calculator.netMessageCapacityPerInterval(), capacity);
}

void tst_TrafficAccounting::loadBar_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("full load") << 1953 << 100 << "100.0 %";
    QTest::newRow("13 % load reads 13 % of the scale") << 256 << 13 << "13.1 %";
    QTest::newRow("10 % load fills a tenth") << 196 << 10 << "10.0 %";
    QTest::newRow("just below 10 % rounds up in the text only") << 195 << 9 << "10.0 %";
    QTest::newRow("one frame") << 1 << 0 << "0.1 %";
    QTest::newRow("half the capacity") << 977 << 50 << "50.0 %";
    QTest::newRow("idle") << 0 << 0 << "0.0 %";
    QTest::newRow("overload: bar clamps, text tells") << 4000 << 100 << "204.8 %";
}

void tst_TrafficAccounting::loadBar()
{
    QFETCH(int, frames);
    QFETCH(int, value);
    QFETCH(QString, text);
    TestCanHandler handler; // 250000 bit/s
    TrafficCalculator calculator;
    CanLoadBar bar(&calculator);
    bar.setLoad(1); // a stale value must be replaced, also by 0
    bar.setLoad(frames);
    QCOMPARE(bar.value(), value);
    QCOMPARE(bar.text(), text);
    QCOMPARE(bar.maximumWidth(), 200);
}

void tst_TrafficAccounting::trafficTextDescribesPreviousWindow_data()
{
    QTest::addColumn<double>("speed"); // 0: a live bus
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("perSecond");
    QTest::addColumn<bool>("otherBus"); // the recording plays on another bus of the window
    QTest::newRow("live bus") << 0.0 << 7 << 7 << false;
    // A played recording counts per second of its own time.
    QTest::newRow("recording at 20x") << 20.0 << 140 << 7 << false;
    QTest::newRow("recording at a quarter") << 0.25 << 2 << 8 << false;
    QTest::newRow("live bus beside a recording at 20x") << 20.0 << 140 << 140 << true;
}

void tst_TrafficAccounting::trafficTextDescribesPreviousWindow()
{
    QFETCH(double, speed);
    QFETCH(int, frames);
    QFETCH(int, perSecond);
    QFETCH(bool, otherBus);
    TestCanHandler handler;
    TestCanHandler other;
    if (speed > 0)
        (otherBus ? other : handler).bus()->clock().followRecording(0, speed);
    TrafficCalculator calculator;
    calculator.setHandler(&handler);
    QSignalSpy texts(&calculator, qOverload<const QString &>(&TrafficCalculator::trafficChanged));
    QSignalSpy counts(&calculator, qOverload<int>(&TrafficCalculator::trafficChanged));
    AbstractCanHandler::MessagePack pack(frames);
    calculator.slotNotifyPack(pack);
    calculator.shift();
    QCOMPARE(counts.last().first().toInt(), 0);
    calculator.shift();
    QCOMPARE(counts.last().first().toInt(), perSecond);
    QCOMPARE(texts.last().first().toString(), TrafficCalculator::trafficText(perSecond, 1));
    QVERIFY(texts.last().first().toString().contains(QString::number(perSecond)));
    QCOMPARE(calculator.totalEvents(), qint64(frames));
}

void tst_TrafficAccounting::notifierMergesPacksInOrder()
{
    TestCanHandler handler;
    GuiMessageNotifier notifier(&handler);
    QSignalSpy spy(&notifier, &GuiMessageNotifier::notifyPack);
    for (int p = 0; p < 3; ++p) {
        AbstractCanHandler::MessagePack pack;
        for (int i = 0; i < p + 1; ++i)
            pack.append(qMakePair(makeFrame(0x18FEF100, {quint8(p), quint8(i)}),
                                  DispatchResult(DispatchResult::Received, p)));
        handler.enqueueMessagePack(pack);
    }
    notifier.slotCheckQueue();
    QCOMPARE(spy.count(), 1);
    const auto merged = spy.first().first().value<AbstractCanHandler::MessagePack>();
    QCOMPARE(merged.size(), 6);
    const int expected[6][2] = {{0, 0}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {2, 2}};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(int(merged.at(i).first.data[0]), expected[i][0]);
        QCOMPARE(int(merged.at(i).first.data[1]), expected[i][1]);
    }
    QVERIFY(handler.isMessageQueueEmpty());
}

void tst_TrafficAccounting::notifierSilentWhenQueueEmpty()
{
    TestCanHandler handler;
    GuiMessageNotifier notifier(&handler);
    QSignalSpy spy(&notifier, &GuiMessageNotifier::notifyPack);
    notifier.slotCheckQueue();
    QCOMPARE(spy.count(), 0);
    // The timer drains the queue by itself.
    notifier.setNotifyInterval(5);
    handler.enqueueMessagePack({qMakePair(makeFrame(1, {}), DispatchResult())});
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
}

void tst_TrafficAccounting::notifierInterval()
{
    GuiMessageNotifier notifier;
    QCOMPARE(notifier.notifyInterval(), 50);
    QSignalSpy spy(&notifier, &GuiMessageNotifier::notifyIntervalChanged);
    notifier.setNotifyInterval(20);
    QCOMPARE(notifier.notifyInterval(), 20);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toInt(), 20);
}

QTEST_MAIN(tst_TrafficAccounting)
#include "tst_trafficaccounting.moc"
