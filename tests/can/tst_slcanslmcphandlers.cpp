// slcan.dll and slmcp.dll handlers on their fake libraries.
#include "can/slcancanhandler.h"
#include "can/slmcpcanhandler.h"
#include "can/threadhandover.h"
#include "support/adapterharness.h"
#include "support/fakelibrary.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <QRegularExpression>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace {

using SlcanHandler = Exposed<SlcanCanHandler>;
using SlmcpHandler = Exposed<SlmcpCanHandler>;

QStringList withoutSerialScan(const QStringList &calls)
{
    QStringList kept;
    for (const QString &line : calls) {
        if (!line.startsWith(QLatin1String("CnGetSerialNumber")))
            kept << line;
    }
    return kept;
}

} // namespace

class tst_SlcanSlmcpHandlers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init() { FakeLibrary::clearLog(); }

    void slcanLifecycle();
    void slcanWithoutSetMode();
    void slcanUnterminatedInfo();
    void slcanListShifted();
    void slcanUnusableLibrary_data();
    void slcanUnusableLibrary();
    void slcanHotPlugFromLibraryThread();

    void slmcpScanAndLifecycle();
    void slmcpLibrarySharedBetweenHandlers();

};

void tst_SlcanSlmcpHandlers::slcanLifecycle()
{
    FakeLibrary fake(FakeLibrary::Slcan);
    fake.setValue("devices", 2);
    auto handler = std::make_unique<SlcanHandler>(nullptr, fake.path());
    QVERIFY2(handler->isReady(), qPrintable(handler->lastError()));
    QCOMPARE(FakeLibrary::calls(), QStringList{"SlCan_LoadEx dev=set list=set"});
    FakeLibrary::clearLog();
    const auto list = handler->transceivers();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(1), qMakePair(1, QStringLiteral("FAKE-1")));
    QVERIFY(handler->setTransceiver(1));
    QVERIFY(!handler->setBaudRate(500000));
    QVERIFY(handler->setBaudRate(250000));
    FakeLibrary::clearLog();
    QVERIFY(handler->start());
    QCOMPARE(FakeLibrary::calls(),
             (QStringList{"SlCan_DeviceOpen dev=1", "SlCan_DeviceSetBitRate dev=1 word=0x8003",
                          "SlCan_DeviceSetTXTimeOut dev=1 ms=10",
                          "SlCan_DeviceSetMode dev=1 mode=1", "SlCan_DeviceEnaRec dev=1 on=1"}));
    const QVector<CanMessage> frames{makeFrame(0x18FEF100, {1, 2}), makeFrame(0x1A0, {}, false),
                                     makeFrame(0x0CF00400, {1, 2, 3, 4, 5, 6, 7, 8})};
    FakeLibrary::clearLog();
    bool ok = false;
    handler->sendMessagesImpl(frames.constData(), 3, &ok);
    QVERIFY(ok);
    QCOMPARE(FakeLibrary::calls(),
             (QStringList{"SlCan_DeviceWriteMessages dev=1 n=3",
                          "  rec 0100F1FE18020102000000000000", "  rec 00A0010000000000000000000000",
                          "  rec 010004F00C080102030405060708"}));
    QVERIFY(handler->stop());
    QVERIFY(handler->stop());
    QCOMPARE(FakeLibrary::calls("SlCan_DeviceClose").size(), 1);
    FakeLibrary::clearLog();
    fake.release();
    handler.reset();
    QCOMPARE(FakeLibrary::calls(), (QStringList{"SlCan_Free", "unload"}));
}

void tst_SlcanSlmcpHandlers::slcanWithoutSetMode()
{
    // SlCan_DeviceSetMode is optional: without it the start skips that step.
    FakeLibrary fake(FakeLibrary::Slcan, "nomode");
    SlcanHandler handler(nullptr, fake.path());
    QVERIFY2(handler.isReady(), qPrintable(handler.lastError()));
    handler.transceivers();
    QVERIFY(handler.setTransceiver(0));
    FakeLibrary::clearLog();
    QVERIFY(handler.start());
    QCOMPARE(FakeLibrary::calls(),
             (QStringList{"SlCan_DeviceOpen dev=0", "SlCan_DeviceSetBitRate dev=0 word=0x8003",
                          "SlCan_DeviceSetTXTimeOut dev=0 ms=10", "SlCan_DeviceEnaRec dev=0 on=1"}));
}

void tst_SlcanSlmcpHandlers::slcanUnterminatedInfo()
{
    FakeLibrary fake(FakeLibrary::Slcan);
    fake.setValue("infoWithoutEnd", 1);
    SlcanHandler handler(nullptr, fake.path());
    const auto list = handler.transceivers();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.first().second, QString(255, QLatin1Char('A')));
    QCOMPARE(FakeLibrary::calls("SlCan_DeviceGetInfo").first(),
             QStringLiteral("SlCan_DeviceGetInfo dev=0 code=0x12 size=255"));
}

void tst_SlcanSlmcpHandlers::slcanListShifted()
{
    FakeLibrary fake(FakeLibrary::Slcan);
    SlcanHandler handler(nullptr, fake.path());
    QCOMPARE(handler.transceivers().first().second, QStringLiteral("FAKE-0"));
    fake.setValue("nameShift", 1); // another adapter now sits at position 0
    QVERIFY(!handler.setTransceiver(0));
    QCOMPARE(handler.lastError(), QStringLiteral("Tranceiver 0 unavailable"));
    fake.setValue("devices", 0);
    QVERIFY(!handler.setTransceiver(0));
}

void tst_SlcanSlmcpHandlers::slcanUnusableLibrary_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("refuseLoadEx");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing file") << "/no/such/libslcan.so" << false
                                  << "Unable to load slcan.dll\n/no/such/libslcan.so: ";
    QTest::newRow("required function missing")
        << FakeLibrary::pathOf(FakeLibrary::Slcan, "noclose") << false
        << "Corrupted slcan.dll: missing function\n";
    QTest::newRow("LoadEx refused") << FakeLibrary::pathOf(FakeLibrary::Slcan) << true
                                    << "Unable to use slcan.dll: rejected LoadEx\n";
}

void tst_SlcanSlmcpHandlers::slcanUnusableLibrary()
{
    QFETCH(QString, path);
    QFETCH(bool, refuseLoadEx);
    QFETCH(QString, error);
    FakeLibrary fake(FakeLibrary::Slcan);
    if (refuseLoadEx)
        fake.failNext("SlCan_LoadEx");
    SlcanHandler handler(nullptr, path);
    QVERIFY(!handler.isReady());
    QVERIFY2(handler.lastError().startsWith(error), qPrintable(handler.lastError()));
    QVERIFY(handler.transceivers().isEmpty());
    QVERIFY(!handler.start());
    QCOMPARE(FakeLibrary::calls().filter(QStringLiteral("SlCan_Device")), QStringList());
}

void tst_SlcanSlmcpHandlers::slcanHotPlugFromLibraryThread()
{
    FakeLibrary fake(FakeLibrary::Slcan);
    {
        // Without enumeration the list is empty and says why.
        SlcanHandler noEnumeration(nullptr, FakeLibrary::pathOf(FakeLibrary::Slcan, "noenum"));
        QVERIFY(noEnumeration.isReady());
        QVERIFY(noEnumeration.transceivers().isEmpty());
        QCOMPARE(noEnumeration.lastError(), QStringLiteral("slcan.dll has no device enumeration"));
    }
    QThread bus;
    bus.start();
    // Made in the bus thread through a marked hand-over, and signals counted through queued
    // connections, so that thread checkers see every hand-over between the two threads.
    SlcanCanHandler *handler = nullptr;
    QObject inBus;
    inBus.moveToThread(&bus);
    QVERIFY(runInThreadOf(&inBus, [&] { handler = new SlcanCanHandler(nullptr, fake.path()); }));
    QVERIFY(handler->isReady());
    fake.setValue("callDelayUs", 200);
    handler->transceivers();
    QVERIFY(handler->setTransceiver(0));
    QVERIFY(handler->start());
    QObject receiver;
    QVector<int> states;
    int devices = 0;
    connect(
        handler, &AbstractCanHandler::stateChanged, &receiver, [&](int s) { states << s; },
        Qt::QueuedConnection);
    connect(
        handler, &AbstractCanHandler::devicesChanged, &receiver, [&] { ++devices; },
        Qt::QueuedConnection);
    // The bus thread polls while the GUI thread sends and the library reports events.
    for (int i = 0; i < 50; ++i)
        handler->sendMessage(makeFrame(0x18FEF100, {quint8(i)}));
    fake.fireDeviceEvent(0, 1);
    fake.fireListEvent();
    QTRY_COMPARE(devices, 2);
    QCOMPARE(handler->state(), AbstractCanHandler::Open);
    fake.fireDeviceEvent(0, SlcanApi::EventDeviceRemoved);
    QTRY_COMPARE(devices, 3);
    QTRY_COMPARE(handler->state(), AbstractCanHandler::Closed);
    QTRY_COMPARE(states, QVector<int>{int(AbstractCanHandler::Closed)});
    QCOMPARE(FakeLibrary::calls("SlCan_DeviceClose").size(), 1);
    QCOMPARE(fake.maxInFlight(), 1);
    // The callback only posted the event: the device was closed by the bus thread.
    std::atomic<quint64> busThread{0};
    QMetaObject::invokeMethod(
        &inBus,
        [&] { busThread.store(std::hash<std::thread::id>()(std::this_thread::get_id())); },
        Qt::BlockingQueuedConnection);
    const QStringList calls = FakeLibrary::calls();
    const QList<quint64> threads = FakeLibrary::threads();
    const int close = calls.indexOf(QRegularExpression(QStringLiteral("^SlCan_DeviceClose.*")));
    QVERIFY(close >= 0);
    QCOMPARE(threads.at(close), busThread.load());
    QMetaObject::invokeMethod(handler, "deleteLater", Qt::BlockingQueuedConnection);
    bus.quit();
    QVERIFY(bus.wait(5000));
    // After the handler is gone an event reaches no one.
    fake.fireDeviceEvent(0, SlcanApi::EventDeviceRemoved);
}

void tst_SlcanSlmcpHandlers::slmcpScanAndLifecycle()
{
    FakeLibrary fake(FakeLibrary::Slmcp);
    fake.setValue("device0", 3);
    fake.setValue("device1", 9);
    fake.setValue("noSerial", 9);
    QTest::ignoreMessage(QtDebugMsg, "Can't get serial number for 9 dev");
    auto handler = std::make_unique<SlmcpHandler>(nullptr, fake.path());
    QVERIFY2(handler->isReady(), qPrintable(handler->lastError()));
    QCOMPARE(handler->transceivers(), (QList<QPair<int, QString>>{{3, "SN0003"}}));
    QCOMPARE(withoutSerialScan(FakeLibrary::calls()),
             (QStringList{"CnOpen 3", "CnClose 3", "CnOpen 9", "CnClose 9"}));
    QVERIFY(FakeLibrary::calls("CnGetSerialNumber").first().endsWith(QLatin1String("size=127")));
    FakeLibrary::clearLog();
    QVERIFY(!handler->setTransceiver(1));
    QVERIFY(handler->setTransceiver(0));
    QVERIFY(!handler->setBaudRate(100000));
    QVERIFY(handler->setBaudRate(500000));
    QVERIFY(handler->start());
    QCOMPARE(FakeLibrary::calls(), (QStringList{"CnOpen 3", "CnInit 3 mode=0",
                                                "CnSetBaudRate 3 code=2", "CnRecieveEnable 3"}));
    FakeLibrary::clearLog();
    const QVector<CanMessage> frames{makeFrame(0x18FEF100, {1, 2})};
    bool ok = false;
    handler->sendMessagesImpl(frames.constData(), 1, &ok);
    QVERIFY(ok);
    QCOMPARE(FakeLibrary::calls(), (QStringList{"CnSendPackets 3 n=1 tailZero=1",
                                                "  rec 00F1EAC7020102000000000000000000"}));
    FakeLibrary::clearLog();
    fake.release();
    handler.reset();
    QCOMPARE(FakeLibrary::calls(), (QStringList{"CnRecieveDisable 3", "CnClose 3", "unload"}));
}

void tst_SlcanSlmcpHandlers::slmcpLibrarySharedBetweenHandlers()
{
    FakeLibrary fake(FakeLibrary::Slmcp);
    auto first = std::make_unique<SlmcpHandler>(nullptr, fake.path());
    auto second = std::make_unique<SlmcpHandler>(nullptr, fake.path());
    QCOMPARE(SlmcpLibrary::openCount(), 2);
    fake.release();
    // The replaced handler goes first, as when the bus thread swaps handlers.
    first.reset();
    QCOMPARE(SlmcpLibrary::openCount(), 1);
    QVERIFY(FakeLibrary::calls("unload").isEmpty());
    QVERIFY(second->setTransceiver(0));
    QVERIFY(second->start());
    unsigned count = 0;
    QVERIFY(second->receiveMessagesImpl(&count));
    second.reset();
    QCOMPARE(SlmcpLibrary::openCount(), 0);
    QCOMPARE(FakeLibrary::calls("unload").size(), 1);
}

QTEST_MAIN(tst_SlcanSlmcpHandlers)
#include "tst_slcanslmcphandlers.moc"
