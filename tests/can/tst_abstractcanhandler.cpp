#include "can/abstractcanhandler.h"
#include "can/abstractcanmessagedispatcher.h"
#include "support/adapterharness.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QtTest>

namespace {

// Records what the handler dispatches; takes frames from one source address.
class RecordingDispatcher : public AbstractCanMessageDispatcher
{
public:
    void dispatchMessage(const CanMessage &msg, DispatchResult *result) override
    {
        ids.append(msg.id);
        if (msg.address() == takenAddress)
            result->status |= DispatchResult::Dispatched;
    }
    void checkDropNewData() override { ++housekeeping; }
    bool isLowLatencyEnabled() const override { return lowLatency; }

    QVector<quint32> ids;
    quint8 takenAddress = 0x00;
    int housekeeping = 0;
    bool lowLatency = false;
};

} // namespace

class tst_AbstractCanHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void pollReadsAgainOnlyAfterFullBatch_data();
    void pollReadsAgainOnlyAfterFullBatch();
    void receivedFramesAreDispatchedAndPacked();
    void notOpenDoesNotRead();
    void sendWhileAdapterBusyJoinsOneTimestampedPack();
    void batchesOfSixtyFour_data();
    void batchesOfSixtyFour();
    void immediateSendStatus_data();
    void immediateSendStatus();
    void failedBatchSendEntersError();
    void stateTransitionsEmitOnce();
    void errorTimeoutKeepsErrorWhenStopFails();
    void setTransceiverChecksIndex_data();
    void setTransceiverChecksIndex();
    void setBaudRate_data();
    void setBaudRate();
    void fastMode();
    void lowLatencyFollowsDispatcher();
    void housekeepingEveryThousandPolls();
    void timestampsRestartWithStart();
    void sentFramesCarryTheirSender();
};

void tst_AbstractCanHandler::pollReadsAgainOnlyAfterFullBatch_data()
{
    QTest::addColumn<int>("firstBatch");
    QTest::addColumn<int>("readsInCycle");
    QTest::newRow("127 frames: one read") << 127 << 1;
    QTest::newRow("128 frames: read again") << 128 << 2;
    QTest::newRow("empty read") << 0 << 1;
}

void tst_AbstractCanHandler::pollReadsAgainOnlyAfterFullBatch()
{
    QFETCH(int, firstBatch);
    QFETCH(int, readsInCycle);
    TestCanHandler handler;
    QVERIFY(handler.start());
    handler.queueBatch(someFrames(firstBatch));
    handler.queueBatch(someFrames(5));
    handler.receiveMessages();
    QCOMPARE(handler.receiveCalls(), readsInCycle);
    int delivered = 0;
    for (const auto &pack : drainPacks(handler))
        delivered += pack.size();
    QCOMPARE(delivered, firstBatch + (readsInCycle == 2 ? 5 : 0));
}

void tst_AbstractCanHandler::receivedFramesAreDispatchedAndPacked()
{
    RecordingDispatcher dispatcher;
    dispatcher.takenAddress = 0x01;
    TestCanHandler handler(&dispatcher);
    QVERIFY(handler.start());
    handler.queueBatch(
        {makeFrame(0x18FEF100, {1}), makeFrame(0x18FEF101, {2}), makeFrame(0x0CF00400, {3})});
    handler.receiveMessages();
    QCOMPARE(dispatcher.ids, (QVector<quint32>{0x18FEF100, 0x18FEF101, 0x0CF00400}));
    const auto packs = drainPacks(handler);
    QCOMPARE(packs.size(), 1);
    const auto &pack = packs.first();
    QCOMPARE(pack.size(), 3);
    for (const auto &pair : pack) {
        QVERIFY(pair.second.status.testFlag(DispatchResult::Received));
        QCOMPARE(pair.second.timestamp, pack.first().second.timestamp);
    }
    QVERIFY(!pack.at(0).second.status.testFlag(DispatchResult::Dispatched));
    QVERIFY(pack.at(1).second.status.testFlag(DispatchResult::Dispatched));
    QCOMPARE(int(pack.at(2).first.data[0]), 3);
}

void tst_AbstractCanHandler::notOpenDoesNotRead()
{
    TestCanHandler handler;
    handler.queueBatch(someFrames(3));
    handler.receiveMessages();
    QCOMPARE(handler.receiveCalls(), 0);
    QVERIFY(handler.isMessageQueueEmpty());
}

void tst_AbstractCanHandler::sendWhileAdapterBusyJoinsOneTimestampedPack()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    const CanMessage a = makeFrame(0x18EA0021, {0xF1, 0xFE, 0x00});
    const CanMessage b = makeFrame(0x18EA0121, {0xF1, 0xFE, 0x00});
    handler.setDuringReceive([&] {
        handler.sendMessage(a);
        handler.sendMessage(b);
    });
    handler.queueBatch(someFrames(2));
    handler.receiveMessages();
    handler.setDuringReceive({});

    // Both frames went out in one write after the read, not while the adapter was held.
    QCOMPARE(handler.writtenBatchSizes(), QVector<int>{2});
    const auto packs = drainPacks(handler);
    QCOMPARE(packs.size(), 2);
    const auto &sent = packs.at(1);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0).first.id, a.id);
    QCOMPARE(sent.at(1).first.id, b.id);
    QCOMPARE(sent.at(0).second.timestamp, sent.at(1).second.timestamp);
    for (const auto &pair : sent) {
        QCOMPARE(pair.second.status, DispatchResult::Status(DispatchResult::Dispatched));
        QVERIFY(!pair.second.isReceived());
    }
}

void tst_AbstractCanHandler::batchesOfSixtyFour_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QVector<int>>("writes");
    QTest::newRow("130 frames") << 130 << QVector<int>{64, 64, 2};
    QTest::newRow("64 frames") << 64 << QVector<int>{64};
    QTest::newRow("65 frames") << 65 << QVector<int>{64, 1};
    QTest::newRow("one frame") << 1 << QVector<int>{1};
}

void tst_AbstractCanHandler::batchesOfSixtyFour()
{
    QFETCH(int, count);
    QFETCH(QVector<int>, writes);
    TestCanHandler handler;
    QVERIFY(handler.start());
    const QVector<CanMessage> list = someFrames(count);
    handler.sendMessages(list.constData(), list.size());
    QCOMPARE(handler.writtenBatchSizes(), writes);
    const auto written = handler.writtenFrames();
    QCOMPARE(written.size(), count);
    for (int i = 0; i < count; ++i)
        QCOMPARE(written.at(i).id, list.at(i).id);
    int packed = 0;
    for (const auto &pack : drainPacks(handler))
        packed += pack.size();
    QCOMPARE(packed, count);
}

void tst_AbstractCanHandler::immediateSendStatus_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("adapterAccepts");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("written");
    QTest::newRow("open, written") << true << true << int(DispatchResult::Dispatched) << 1;
    QTest::newRow("open, adapter refuses")
        << true << false << int(DispatchResult::Dispatched | DispatchResult::TransmitError) << 0;
    QTest::newRow("closed") << false << true
                            << int(DispatchResult::Dispatched | DispatchResult::TransmitError) << 0;
}

void tst_AbstractCanHandler::immediateSendStatus()
{
    QFETCH(bool, open);
    QFETCH(bool, adapterAccepts);
    QFETCH(int, status);
    QFETCH(int, written);
    TestCanHandler handler;
    if (open)
        QVERIFY(handler.start());
    handler.setSendOk(adapterAccepts);
    handler.sendMessage(makeFrame(0x18FEF100, {1}));
    QCOMPARE(handler.writtenFrames().size(), written);
    const auto packs = drainPacks(handler);
    QCOMPARE(packs.size(), 1);
    QCOMPARE(int(packs.first().first().second.status), status);
    // A failed immediate send leaves the connection state alone.
    QCOMPARE(handler.state(), open ? AbstractCanHandler::Open : AbstractCanHandler::Closed);
}

void tst_AbstractCanHandler::failedBatchSendEntersError()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    QSignalSpy spy(&handler, &AbstractCanHandler::stateChanged);
    handler.setSendOk(false);
    const QVector<CanMessage> list = someFrames(3);
    handler.sendMessages(list.constData(), list.size());
    QCOMPARE(handler.state(), AbstractCanHandler::Error);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toInt(), int(AbstractCanHandler::Error));
    const auto packs = drainPacks(handler);
    QCOMPARE(packs.size(), 1);
    for (const auto &pair : packs.first())
        QVERIFY(pair.second.status.testFlag(DispatchResult::TransmitError));
}

void tst_AbstractCanHandler::stateTransitionsEmitOnce()
{
    TestCanHandler handler;
    QSignalSpy spy(&handler, &AbstractCanHandler::stateChanged);
    QVERIFY(handler.start());
    QVERIFY(handler.start());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).first().toInt(), int(AbstractCanHandler::Open));
    QVERIFY(handler.isOpen());

    handler.setStartOk(false);
    QVERIFY(!handler.start());
    QCOMPARE(handler.state(), AbstractCanHandler::Closed);
    QCOMPARE(spy.count(), 2);

    handler.setStartOk(true);
    QVERIFY(handler.start());
    QVERIFY(handler.stop());
    QVERIFY(handler.stop());
    QCOMPARE(spy.count(), 4);
    QCOMPARE(spy.last().first().toInt(), int(AbstractCanHandler::Closed));

    // A poll that returns frames reopens an errored connection.
    QVERIFY(handler.start());
    handler.setTransmissionState(AbstractCanHandler::Error);
    handler.setTransmissionState(AbstractCanHandler::Open);
    QCOMPARE(spy.count(), 7);
}

void tst_AbstractCanHandler::errorTimeoutKeepsErrorWhenStopFails()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    handler.setTransmissionState(AbstractCanHandler::Error);
    handler.setStopOk(false);
    handler.errorTimeout();
    QCOMPARE(handler.state(), AbstractCanHandler::Error);
    handler.setStopOk(true);
    handler.errorTimeout();
    QCOMPARE(handler.state(), AbstractCanHandler::Closed);
}

void tst_AbstractCanHandler::setTransceiverChecksIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error");
    QTest::newRow("negative") << -1 << false << "Incorrect transceiver index";
    QTest::newRow("one past the end") << 3 << false << "Tranceiver 3 unavailable";
    QTest::newRow("far past the end") << 42 << false << "Tranceiver 42 unavailable";
    QTest::newRow("last") << 2 << true << "";
    QTest::newRow("first") << 0 << true << "";
}

void tst_AbstractCanHandler::setTransceiverChecksIndex()
{
    QFETCH(int, index);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    TestCanHandler handler;
    handler.setPorts({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    QVERIFY(handler.start());
    QCOMPARE(handler.setTransceiver(index), ok);
    // Selecting always closes the adapter first.
    QCOMPARE(handler.state(), AbstractCanHandler::Closed);
    QCOMPARE(handler.selectedTransceiver(), ok ? index : -1);
    if (!ok)
        QCOMPARE(handler.lastError(), error);
}

void tst_AbstractCanHandler::setBaudRate_data()
{
    QTest::addColumn<unsigned>("rate");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("fromAnotherThread");
    for (const bool other : {false, true}) {
        const char *where = other ? ", from another thread" : "";
        QTest::addRow("500k%s", where) << 500000u << true << other;
        QTest::addRow("800k refused%s", where) << 800000u << false << other;
    }
}

void tst_AbstractCanHandler::setBaudRate()
{
    QFETCH(unsigned, rate);
    QFETCH(bool, accepted);
    QFETCH(bool, fromAnotherThread);
    QThread bus;
    auto *handler = new TestCanHandler;
    if (fromAnotherThread) {
        handler->moveToThread(&bus);
        bus.start();
    }
    QCOMPARE(handler->baudRate(), 250000u);
    QCOMPARE(handler->setBaudRate(rate), accepted);
    QCOMPARE(handler->baudRate(), accepted ? rate : 250000u);
    bus.quit();
    QVERIFY(bus.wait(5000));
    delete handler; // its thread has finished
}

void tst_AbstractCanHandler::fastMode()
{
    TestCanHandler handler;
    QVERIFY(handler.pollTimer()->isSingleShot());
    handler.setFastMode(true);
    QVERIFY(!handler.pollTimer()->isSingleShot());
    QVERIFY(handler.pollTimer()->isActive());
    handler.setFastMode(false);
    QVERIFY(handler.pollTimer()->isSingleShot());
}

void tst_AbstractCanHandler::lowLatencyFollowsDispatcher()
{
    RecordingDispatcher dispatcher;
    TestCanHandler handler(&dispatcher);
    QVERIFY(handler.start());
    dispatcher.lowLatency = true;
    handler.updateLowLatencyMode();
    QVERIFY(handler.isLowLatency());
    handler.receiveMessages();
    QVERIFY(!handler.pollTimer()->isSingleShot());
    dispatcher.lowLatency = false;
    handler.updateLowLatencyMode();
    handler.receiveMessages();
    QVERIFY(handler.pollTimer()->isSingleShot());
}

void tst_AbstractCanHandler::housekeepingEveryThousandPolls()
{
    RecordingDispatcher dispatcher;
    TestCanHandler handler(&dispatcher);
    QVERIFY(handler.start());
    for (int i = 0; i < 999; ++i)
        handler.receiveMessages();
    QCOMPARE(dispatcher.housekeeping, 0);
    handler.receiveMessages();
    QCOMPARE(dispatcher.housekeeping, 1);
    QCOMPARE(handler.pollCount(), 1000u);
}

void tst_AbstractCanHandler::timestampsRestartWithStart()
{
    TestCanHandler handler;
    QTest::qWait(30);
    QVERIFY(handler.messageElapsedTimer() >= 25);
    QVERIFY(handler.start());
    QVERIFY(handler.messageElapsedTimer() < 25);
    const qint64 before = handler.messageElapsedTimer();
    QTest::qWait(10);
    QVERIFY(handler.messageElapsedTimer() >= before);
}

void tst_AbstractCanHandler::sentFramesCarryTheirSender()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    BindingFunction marked(0xFE, 0xF1);
    marked.setFiltered(true);
    BindingFunction plain(0xFE, 0xF2);
    handler.adopt(&marked);
    handler.adopt(&plain);
    CanMessage a = makeFrame(0x18FEF100, {1});
    marked.sendMessage(a);
    CanMessage b = makeFrame(0x18FEF200, {2});
    plain.sendMessage(b);
    const auto packs = drainPacks(handler);
    QCOMPARE(packs.size(), 2);
    const DispatchResult &first = packs.at(0).first().second;
    QCOMPARE(first.item, static_cast<AbstractDisplayableItem *>(&marked));
    QCOMPARE(first.status, DispatchResult::Dispatched | DispatchResult::Target);
    const DispatchResult &second = packs.at(1).first().second;
    QCOMPARE(second.item, static_cast<AbstractDisplayableItem *>(&plain));
    QCOMPARE(second.status, DispatchResult::Status(DispatchResult::Dispatched));
    QCOMPARE(marked.totalEvents(), qint64(1));
}

QTEST_MAIN(tst_AbstractCanHandler)
#include "tst_abstractcanhandler.moc"
