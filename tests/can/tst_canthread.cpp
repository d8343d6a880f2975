#include "app/busstartup.h"
#include "can/abstractcanhandler.h"
#include "can/abstractcanmessagedispatcher.h"
#include "can/canhandlerfactory.h"
#include "can/canthread.h"
#include "can/replaycanhandler.h"
#include "support/adapterharness.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <mutex>

class tst_CanThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void unknownPortFails();
    void unusableAdapterEndsThread();
    void handlerSwap();
    void startupChoosesPort_data();
    void startupChoosesPort();
    void startupReportsStartFailure();
    void startupBitRate();
    void startupGivesTheDemoBusItsUnits();
    void dispatcherComesFromTheStarter();
};

void tst_CanThread::unknownPortFails()
{
    CanThread thread(CanHandlerFactory::Replay);
    thread.start();
    thread.waitInit();
    const BusStartup::Result result = BusStartup::run(
        thread.canHandler(), QStringLiteral("/no/such/recording.log"), 250000, {});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.errorTitle, QStringLiteral("CAN handler transceiver set error"));
    QVERIFY(result.errorText.contains(QLatin1String("/no/such/recording.log")));
    QVERIFY(!thread.canHandler()->isOpen());
    thread.quit();
    QVERIFY(thread.wait(5000));
}

void tst_CanThread::unusableAdapterEndsThread()
{
    // The library of the chosen adapter cannot be loaded: no handler, and the reason is kept for
    // the start-up to show (exit code 1 there).
    CanHandlerFactory::AdapterOptions options;
    options.libraryPath = QStringLiteral("/no/such/libslcan.so");
    QTest::ignoreMessage(QtDebugMsg, "Not set CAN handler");
    CanThread thread(CanHandlerFactory::Slcan, options);
    thread.start();
    thread.waitInit();
    QVERIFY(thread.wait(1000));
    QVERIFY(!thread.canHandler());
    QVERIFY2(thread.initError().startsWith(QLatin1String("Unable to load slcan.dll\n"
                                                         "/no/such/libslcan.so")),
             qPrintable(thread.initError()));
}

void tst_CanThread::handlerSwap()
{
    CanThread thread(CanHandlerFactory::Replay);
    thread.start();
    thread.waitInit();
    QPointer<AbstractCanHandler> old = thread.canHandler();
    auto *replacement = new TestCanHandler;
    QVERIFY(thread.setCanHandler(replacement));
    QCOMPARE(thread.canHandler(), replacement);
    QCOMPARE(replacement->thread(), static_cast<QThread *>(&thread));
    QVERIFY(replacement->isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(old.isNull(), 5000);
    thread.quit();
    QVERIFY(thread.wait(5000));
}

void tst_CanThread::startupChoosesPort_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("asked");
    QTest::newRow("one port, not asked") << QStringList{"a"} << 5 << 0 << 0 << false;
    QTest::newRow("three ports, second chosen")
        << QStringList{"a", "b", "c"} << 1 << 0 << 1 << true;
    QTest::newRow("cancelled") << QStringList{"a", "b"} << -1 << 1 << -1 << true;
    QTest::newRow("choice outside the list") << QStringList{"a", "b"} << 2 << 1 << -1 << true;
    QTest::newRow("no ports") << QStringList{} << 0 << 1 << -1 << false;
}

void tst_CanThread::startupChoosesPort()
{
    QFETCH(QStringList, ports);
    QFETCH(int, choice);
    QFETCH(int, exitCode);
    QFETCH(int, selected);
    QFETCH(bool, asked);
    TestCanHandler handler;
    handler.setPorts(ports);
    bool wasAsked = false;
    const auto result = BusStartup::run(&handler, QString(), 250000, [&](const QStringList &names) {
        wasAsked = true;
        return names == ports ? choice : -1;
    });
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(wasAsked, asked);
    QCOMPARE(handler.selectedTransceiver(), selected);
    QCOMPARE(handler.isOpen(), exitCode == 0);
    // The status bar names the port in use.
    QCOMPARE(result.port, exitCode == 0 ? ports.at(selected) : QString());
}

void tst_CanThread::startupReportsStartFailure()
{
    TestCanHandler handler;
    handler.setStartOk(false);
    const auto result = BusStartup::run(&handler, QStringLiteral("test0"), 250000, {});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.errorTitle, QStringLiteral("CAN handler start error"));
    QCOMPARE(handler.state(), AbstractCanHandler::Closed);
}

void tst_CanThread::startupBitRate()
{
    TestCanHandler handler;
    handler.setSupportedRates({250000});
    // An unsupported rate is reported, and the adapter still starts at its current rate.
    const auto result = BusStartup::run(&handler, QString(), 800000, {});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(handler.baudRate(), 250000u);
}

void tst_CanThread::startupGivesTheDemoBusItsUnits()
{
    ReplayCanHandler handler(nullptr);
    QVERIFY(handler.setTransceiver(0));
    QVERIFY(!handler.simulatedBus()->hasUnits()); // the handler alone only plays
    QCOMPARE(BusStartup::run(&handler, QString(), 250000, {}).exitCode, 0);
    QVERIFY(handler.simulatedBus()->hasUnits());
    QVERIFY(handler.stop());

    // A recording of the user's has no simulated units.
    QTemporaryDir dir;
    const QString path = TestEnvironment::writeFile(dir, QStringLiteral("bus.log"),
                                                    "(5.000) can0 18FEF1AB#0102\n");
    QCOMPARE(BusStartup::run(&handler, path, 500000, {}).exitCode, 0);
    QVERIFY(!handler.simulatedBus()->hasUnits());
    QCOMPARE(handler.baudRate(), 500000u);
    // The requested recording is what plays.
    AbstractCanHandler::MessagePack got;
    QTRY_VERIFY_WITH_TIMEOUT(!(got += drainAll(handler)).isEmpty(), 5000);
    QCOMPARE(got.first().first.id, 0x18FEF1ABu);
    QVERIFY(got.first().second.isReceived());
}

namespace {

class CountingDispatcher : public AbstractCanMessageDispatcher
{
public:
    void dispatchMessage(const CanMessage &, DispatchResult *) override { ++dispatched; }
    void checkDropNewData() override {}
    bool isLowLatencyEnabled() const override { return false; }
    std::atomic<int> dispatched{0};
};

} // namespace

void tst_CanThread::dispatcherComesFromTheStarter()
{
    QThread *created = nullptr;
    QThread *destroyed = nullptr;
    CountingDispatcher *made = nullptr;
    CanThread::Hooks hooks;
    hooks.createDispatcher = [&]() -> AbstractCanMessageDispatcher * {
        created = QThread::currentThread();
        return made = new CountingDispatcher;
    };
    AbstractCanMessageDispatcher *disposedOf = nullptr;
    AbstractCanHandler *adapterAtEnd = reinterpret_cast<AbstractCanHandler *>(1);
    // What the bus thread's end leaves for this thread, read under the lock: QThread::wait's
    // ordering is invisible to ThreadSanitizer.
    std::mutex ended;
    hooks.destroyDispatcher = [&](AbstractCanMessageDispatcher *dispatcher) {
        std::lock_guard locker(ended);
        destroyed = QThread::currentThread();
        adapterAtEnd = dispatcher->handler();
        disposedOf = dispatcher;
        delete dispatcher;
    };
    {
        CanThread thread(CanHandlerFactory::Replay, {}, hooks);
        thread.start();
        thread.waitInit();
        QVERIFY(!thread.wait(50));
        QCOMPARE(created, static_cast<QThread *>(&thread));
        QCOMPARE(thread.dispatcher(), static_cast<AbstractCanMessageDispatcher *>(made));
        AbstractCanHandler *handler = thread.canHandler();
        QVERIFY(handler);
        QCOMPARE(handler->thread(), static_cast<QThread *>(&thread));
        // The bus's dispatcher knows its adapter.
        QCOMPARE(made->handler(), handler);
        QCOMPARE(BusStartup::run(handler, QString(), 250000, {}).exitCode, 0);
        QVERIFY(handler->isOpen());
        QCOMPARE(handler->baudRate(), 250000u);
        // The handler routes the demo bus's frames, from the bus thread's poll loop, to the
        // starter's dispatcher and on to the window's queue.
        QTRY_VERIFY_WITH_TIMEOUT(made->dispatched.load() > 20, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!handler->isMessageQueueEmpty(), 5000);
        {
            std::lock_guard locker(ended);
            QVERIFY(!destroyed);
        }
        thread.quit();
        QVERIFY(thread.wait(5000));
        QVERIFY(!thread.canHandler());
        std::lock_guard locker(ended);
        // The handler went first: the dispatcher was left without an adapter.
        QVERIFY(!adapterAtEnd);
        QCOMPARE(destroyed, static_cast<QThread *>(&thread));
        QCOMPARE(disposedOf, static_cast<AbstractCanMessageDispatcher *>(made));
        QVERIFY(!thread.dispatcher());
    }
}

QTEST_MAIN(tst_CanThread)
#include "tst_canthread.moc"
