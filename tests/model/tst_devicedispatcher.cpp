#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxparameter.h"
#include "support/recordingfunction.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QtTest>

#include <utility>

namespace {

// The devices' names in the order the receive walk reached them.
QStringList s_visits;

// A device that records both walks and answers with a fixed decision.
class ProbeDevice : public J1939Device
{
public:
    ProbeDevice(quint8 address, bool accept)
        : J1939Device(address)
        , m_accept(accept)
    {}
    bool dispatchMessageImpl(const CanMessage &, DispatchResult *result) override
    {
        result->item = this;
        ++dispatched;
        s_visits << objectName();
        return m_accept;
    }
    bool matchTargetMessage(const CanMessage &message) override
    {
        ++targetChecks;
        return message.pduSpecific() == address().value;
    }
    bool dispatchTargetMessageImpl(const CanMessage &, DispatchResult *result) override
    {
        result->targetItem = this;
        ++targeted;
        return true;
    }
    QString decodeMessage(const CanMessage &) override
    {
        return QStringLiteral("probe %1").arg(address().value);
    }

    int dispatched = 0;
    int targetChecks = 0;
    int targeted = 0;

private:
    bool m_accept;
};

// A device that brings another unit onto its bus with its first frame, as auto-detection does.
class BringingDevice : public ProbeDevice
{
public:
    BringingDevice(quint8 address, DeviceDispatcher *bus, CanDevice *newcomer)
        : ProbeDevice(address, true)
        , m_bus(bus)
        , m_newcomer(newcomer)
    {}
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override
    {
        if (m_newcomer)
            m_bus->registerDisplayable(std::exchange(m_newcomer, nullptr));
        return ProbeDevice::dispatchMessageImpl(message, result);
    }

private:
    DeviceDispatcher *m_bus;
    CanDevice *m_newcomer;
};

// A device bound to no address: it sees every frame, standard ones too.
class AnyFrameDevice : public CanDevice
{
public:
    bool matchMessage(const CanMessage &) override { return true; }
    bool applyXmlData(QDomElement &) override { return false; }
    bool dispatchMessageImpl(const CanMessage &, DispatchResult *result) override
    {
        result->item = this;
        s_visits << objectName();
        return true;
    }
};

// A dispatcher living in a bus thread of its own, both gone at the end of the scope.
struct BusThread
{
    QThread bus;
    DeviceDispatcher *dispatcher = new DeviceDispatcher;

    BusThread()
    {
        dispatcher->moveToThread(&bus);
        bus.start();
    }
    ~BusThread()
    {
        QMetaObject::invokeMethod(dispatcher, "deleteLater", Qt::BlockingQueuedConnection);
        bus.quit();
        bus.wait(5000);
    }
};

template<typename Device>
Device *named(Device *device, const char *name)
{
    device->setObjectName(QString::fromLatin1(name));
    return device;
}

} // namespace

class tst_DeviceDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void twoMatchingDevices_data();
    void twoMatchingDevices();
    void rawDecode();
    void receiveOrder_data();
    void receiveOrder();
    void registrationDuringDispatch();
    void broadcastNeverReachesTargetWalk();
    void unicastReachesTarget();
    void pdu1GroupReachesItsFunction_data();
    void pdu1GroupReachesItsFunction();
    void nonDeviceRegistration();
    void unregisterFromAnotherThread();
    void clearSchemeDeletes();
    void lowLatencyAndHousekeeping();
    void unitsKnowTheirBus();
    void eachBusDecodesItsOwnWay();
};

void tst_DeviceDispatcher::twoMatchingDevices_data()
{
    QTest::addColumn<bool>("firstAccepts");
    QTest::addColumn<bool>("lastAccepts");
    QTest::newRow("last accepts") << false << true;
    QTest::newRow("last refuses") << true << false;
}

void tst_DeviceDispatcher::twoMatchingDevices()
{
    QFETCH(bool, firstAccepts);
    QFETCH(bool, lastAccepts);
    DeviceDispatcher dispatcher;
    auto *a = new ProbeDevice(0x21, firstAccepts);
    auto *b = new ProbeDevice(0x21, lastAccepts);
    auto *other = new ProbeDevice(0x22, true);
    dispatcher.registerDisplayable(a);
    dispatcher.registerDisplayable(b);
    dispatcher.registerDisplayable(other);
    DispatchResult r(DispatchResult::Received, 0);
    dispatcher.dispatchMessage(makeFrame(0x18FEF121, {}), &r);
    QCOMPARE(a->dispatched, 1);
    QCOMPARE(b->dispatched, 1);
    QCOMPARE(other->dispatched, 0);
    // The flag tells the outcome of the last matching device.
    QCOMPARE(r.status.testFlag(DispatchResult::Dispatched), lastAccepts);
    QVERIFY(r.status.testFlag(DispatchResult::Received));
    QCOMPARE(r.item, static_cast<AbstractDisplayableItem *>(b));
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::rawDecode()
{
    DeviceDispatcher dispatcher;
    dispatcher.registerDisplayable(new ProbeDevice(0x21, true));
    DispatchResult off;
    dispatcher.dispatchMessage(makeFrame(0x18FEF121, {}), &off);
    QVERIFY(off.description.isEmpty());
    QVERIFY(!off.status.testFlag(DispatchResult::Described));
    dispatcher.setRawDataDecodeEnabled(true);
    QVERIFY(dispatcher.isRawDataDecodeEnabled());
    DispatchResult on;
    dispatcher.dispatchMessage(makeFrame(0x18FEF121, {}), &on);
    QCOMPARE(on.description, QStringLiteral("probe 33"));
    QVERIFY(on.status.testFlag(DispatchResult::Described));
    DispatchResult nobody;
    dispatcher.dispatchMessage(makeFrame(0x18FEF199, {}), &nobody);
    QVERIFY(!nobody.status.testFlag(DispatchResult::Described));
    QVERIFY(!nobody.status.testFlag(DispatchResult::Dispatched));
    QVERIFY(!nobody.item);
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::receiveOrder_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QStringList>("visits");
    const QStringList unbound{"any1", "any2"};
    QTest::newRow("source's devices among the unbound, in registration order")
        << 0x18FEF121u << true << QStringList{"any1", "a21", "any2", "c21", "moved"};
    QTest::newRow("another source") << 0x18FEF122u << true << QStringList{"any1", "b22", "any2"};
    QTest::newRow("a source without a device") << 0x18FEF199u << true << unbound;
    QTest::newRow("standard frame with a device's address as identifier")
        << 0x21u << false << unbound;
    QTest::newRow("old address of a moved device") << 0x18FEF140u << true << unbound;
}

void tst_DeviceDispatcher::receiveOrder()
{
    QFETCH(quint32, id);
    QFETCH(bool, extended);
    QFETCH(QStringList, visits);
    DeviceDispatcher dispatcher;
    dispatcher.registerDisplayable(named(new AnyFrameDevice, "any1"));
    dispatcher.registerDisplayable(named(new ProbeDevice(0x21, true), "a21"));
    dispatcher.registerDisplayable(named(new ProbeDevice(0x22, true), "b22"));
    dispatcher.registerDisplayable(named(new AnyFrameDevice, "any2"));
    dispatcher.registerDisplayable(named(new ProbeDevice(0x21, true), "c21"));
    auto *moved = named(new ProbeDevice(0x40, true), "moved");
    dispatcher.registerDisplayable(moved);
    DispatchResult before;
    dispatcher.dispatchMessage(makeFrame(0x18FEF140, {}), &before);
    QCOMPARE(before.item, static_cast<AbstractDisplayableItem *>(moved));
    // Renumbered after frames have passed: from now on it takes its new source's frames.
    moved->setAddress({ItemAddress::J1939, 0x21});
    s_visits.clear();
    DispatchResult r;
    dispatcher.dispatchMessage(makeFrame(id, {1, 2}, extended), &r);
    QCOMPARE(s_visits, visits);
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::registrationDuringDispatch()
{
    // The newcomer changes the devices while the frame's walk is under way: the walk goes on
    // as it began, and the next frame reaches the newcomer too.
    DeviceDispatcher dispatcher;
    auto *newcomer = named(new ProbeDevice(0x21, true), "c21");
    dispatcher.registerDisplayable(named(new BringingDevice(0x21, &dispatcher, newcomer), "a21"));
    dispatcher.registerDisplayable(named(new ProbeDevice(0x21, true), "b21"));
    for (const QStringList &visits :
         {QStringList{"a21", "b21"}, QStringList{"a21", "b21", "c21"}}) {
        s_visits.clear();
        DispatchResult r;
        dispatcher.dispatchMessage(makeFrame(0x18FEF121, {}), &r);
        QCOMPARE(s_visits, visits);
    }
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::broadcastNeverReachesTargetWalk()
{
    DeviceDispatcher dispatcher;
    auto *d = new ProbeDevice(0x30, true);
    dispatcher.registerDisplayable(d);
    DispatchResult r;
    dispatcher.dispatchMessage(makeFrame(0x18FE30F9, {}), &r); // PDU2, PS happens to be 0x30
    dispatcher.dispatchMessage(makeFrame(0x18EFFFF9, {}), &r); // PDU1 to global
    QCOMPARE(d->targetChecks, 0);
    QVERIFY(!r.targetItem);
    // A request to everyone is the exception: each unit is asked whether it answers.
    dispatcher.dispatchMessage(makeFrame(0x18EAFFF9, {0xE3, 0xFE, 0x00}), &r);
    QCOMPARE(d->targetChecks, 1);
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::pdu1GroupReachesItsFunction_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("reaches");
    QTest::newRow("to one unit") << 0x18EF30F9u << true;
    QTest::newRow("to the global address") << 0x18EFFFF9u << true;
    QTest::newRow("to the function's own PS") << 0x18EF00F9u << true;
    QTest::newRow("another PDU1 format to global") << 0x18EEFFF9u << false;
}

void tst_DeviceDispatcher::pdu1GroupReachesItsFunction()
{
    QFETCH(quint32, id);
    QFETCH(bool, reaches);
    DeviceDispatcher dispatcher;
    auto *device = new J1939Device(0xF9);
    auto *function = new RecordingFunction(0xEF, 0x00, device);
    dispatcher.registerDisplayable(device);
    DispatchResult r(DispatchResult::Received, 0);
    dispatcher.dispatchMessage(makeFrame(id, {1, 2, 3}), &r);
    QCOMPARE(r.item == function, reaches);
    QCOMPARE(function->totalEvents(), qint64(reaches ? 1 : 0));
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::unicastReachesTarget()
{
    DeviceDispatcher dispatcher;
    auto *d = new ProbeDevice(0x30, true);
    auto *e = new ProbeDevice(0x31, true);
    dispatcher.registerDisplayable(d);
    dispatcher.registerDisplayable(e);
    DispatchResult r;
    dispatcher.dispatchMessage(makeFrame(0x18EA30F9, {0xF1, 0xFE, 0x00}), &r);
    QCOMPARE(d->targeted, 1);
    QCOMPARE(e->targeted, 0);
    QCOMPARE(e->targetChecks, 1);
    QCOMPARE(r.targetItem, static_cast<AbstractDisplayableItem *>(d));
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::nonDeviceRegistration()
{
    BusThread thread;
    DeviceDispatcher *dispatcher = thread.dispatcher;
    auto *function = new BindingFunction(0xFE, 0xF1);
    QSignalSpy registered(function, &AbstractDisplayableItem::registered);
    dispatcher->registerDisplayable(function);
    QCOMPARE(registered.count(), 1);
    QCOMPARE(function->thread(), &thread.bus); // moved, but not listed
    QVERIFY(dispatcher->devices().isEmpty());
    DispatchResult r;
    dispatcher->dispatchMessage(makeFrame(0x18FEF100, {}), &r);
    QCOMPARE(function->totalEvents(), qint64(0));
    QVERIFY(dispatcher->unregisterDisplayable(function));
    QMetaObject::invokeMethod(function, "deleteLater", Qt::BlockingQueuedConnection);
}

void tst_DeviceDispatcher::unregisterFromAnotherThread()
{
    BusThread thread;
    DeviceDispatcher *dispatcher = thread.dispatcher;
    auto *device = new ProbeDevice(0x21, true);
    dispatcher->registerDisplayable(device);
    QCOMPARE(dispatcher->devices().size(), 1);
    // Blocks until the bus thread has removed it: deleting afterwards is safe.
    QVERIFY(dispatcher->unregisterDisplayable(device));
    QVERIFY(dispatcher->devices().isEmpty());
    QMetaObject::invokeMethod(device, "deleteLater", Qt::BlockingQueuedConnection);
    QTRY_VERIFY(!AbstractDisplayableItem::isValid(device));
}

void tst_DeviceDispatcher::clearSchemeDeletes()
{
    BusThread thread;
    DeviceDispatcher *dispatcher = thread.dispatcher;
    QList<AbstractDisplayableItem *> devices;
    for (quint8 a = 1; a <= 3; ++a) {
        auto *d = new J1939Device(a);
        new BindingFunction(0xFE, 0xF1, d);
        devices << d << d->children().first();
        dispatcher->registerDisplayable(d);
    }
    QVERIFY(dispatcher->clearScheme());
    QVERIFY(dispatcher->devices().isEmpty());
    for (AbstractDisplayableItem *item : qAsConst(devices))
        QVERIFY(!AbstractDisplayableItem::isValid(item)); // functions went with their devices
}

void tst_DeviceDispatcher::lowLatencyAndHousekeeping()
{
    DeviceDispatcher dispatcher;
    dispatcher.setChangedHoldMs(0);
    auto *d = new J1939Device(0x21);
    auto *f = new BindingFunction(0xFE, 0xF1, d);
    dispatcher.registerDisplayable(d);
    QVERIFY(!dispatcher.isLowLatencyEnabled());
    f->setLowLatencyMode(true);
    QVERIFY(dispatcher.isLowLatencyEnabled()); // a descendant's wish counts
    DispatchResult r;
    dispatcher.dispatchMessage(makeFrame(0x18FEF121, {1}), &r);
    dispatcher.dispatchMessage(makeFrame(0x18FEF121, {2}), &r);
    QVERIFY(f->hasFlag(AbstractDisplayableItem::ChangedFlag));
    dispatcher.checkDropNewData();
    QVERIFY(!f->hasFlag(AbstractDisplayableItem::ChangedFlag));
    dispatcher.clearScheme();
}

void tst_DeviceDispatcher::unitsKnowTheirBus()
{
    // Two buses in one process, a unit at the same address on each.
    auto first = std::make_unique<DeviceDispatcher>();
    DeviceDispatcher second;
    auto *a = new ProbeDevice(0x21, true);
    auto *b = new ProbeDevice(0x21, true);
    auto *function = new RecordingFunction(0xFE, 0xF1, b);
    first->registerDisplayable(a);
    second.registerDisplayable(b);
    QCOMPARE(a->dispatcher(), first.get());
    QCOMPARE(b->dispatcher(), &second);
    QCOMPARE(function->dispatcher(), &second); // a function is on its unit's bus
    DispatchResult r(DispatchResult::Received, 0);
    first->dispatchMessage(makeFrame(0x18FEF121, {}), &r);
    QCOMPARE(a->dispatched, 1);
    QCOMPARE(b->dispatched, 0);
    QCOMPARE(second.devices(), QList<CanDevice *>{b});

    QVERIFY(second.unregisterDisplayable(b));
    QVERIFY(!b->dispatcher());
    QVERIFY(!function->dispatcher());
    delete b;
    // A unit deleted while on its bus leaves it.
    auto *gone = new ProbeDevice(0x21, true);
    first->registerDisplayable(gone);
    delete gone;
    QCOMPARE(first->devices(), QList<CanDevice *>{a});
    // Items that outlive their bus, a unit and a function registered on its own, are on none.
    auto *loose = new RecordingFunction(0xFE, 0xF2);
    first->registerDisplayable(loose);
    QCOMPARE(loose->dispatcher(), first.get());
    first.reset();
    QVERIFY(!a->dispatcher());
    QVERIFY(!loose->dispatcher());
    delete loose;
    delete a;
}

void tst_DeviceDispatcher::eachBusDecodesItsOwnWay()
{
    // A console decoder's bus (offline, frames not described) beside a live one.
    DeviceDispatcher live;
    DeviceDispatcher offline;
    offline.setOfflineDecoding(true);
    offline.setDescribeFrames(false);
    QList<BindingFunction *> functions;
    QStringList texts;
    for (DeviceDispatcher *bus : {&live, &offline}) {
        auto *unit = new J1939Device(0x21);
        auto *f = new BindingFunction(0xFE, 0xF1, unit);
        f->addField(QStringLiteral("a"), 0, 0, 8);
        bus->registerDisplayable(unit);
        functions << f;
        for (quint8 value : {1, 2}) {
            DispatchResult r(DispatchResult::Received, 0);
            bus->dispatchMessage(makeFrame(0x18FEF121, {value}), &r);
            texts << r.description;
        }
    }
    QVERIFY(functions.at(0)->hasFlag(AbstractDisplayableItem::ChangedFlag));
    QVERIFY(!functions.at(1)->hasFlag(AbstractDisplayableItem::ChangedFlag));
    QCOMPARE(functions.at(1)->parameters().first()->toString(), QStringLiteral("2"));
    QVERIFY(!texts.at(1).isEmpty());
    QVERIFY(texts.at(3).isEmpty());
    live.clearScheme();
    offline.clearScheme();
}

QTEST_MAIN(tst_DeviceDispatcher)
#include "tst_devicedispatcher.moc"
