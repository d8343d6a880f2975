#include "demo/simulatedtunecontroller.h"
#include "descriptions/unknownpgnfactory.h"
#include "descriptions/variablefactory.h"
#include "diagnostics/controllermachinestatedevicefunction.h"
#include "diagnostics/machinestatevariable.h"
#include "diagnostics/tunefunction.h"
#include "diagnostics/tunevariable.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxlistparameter.h"
#include "model/zxvariantparameter.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QDomDocument>
#include <QtTest>

#include <memory>

namespace {

constexpr quint8 Tool = 0xF9;
constexpr quint8 Controller = 0xA0;

QByteArray hex(const CanMessage &m)
{
    return payloadOf(m).toHex(' ');
}

// A device that owns a tune function from its constructor, as the machine's units do.
class TunedDevice : public J1939Device
{
public:
    explicit TunedDevice(quint8 address)
        : J1939Device(address)
    {
        function = new TuneFunction;
        registerChild(function);
    }
    TuneFunction *function;
};

TuneVariable *createVariable(TuneFunction *function, const char *name)
{
    CanMessage frame = makeFrame(0x18EF00A0, {0, quint8(name[0]), quint8(name[1]), 4, 0, 0, 0, 0});
    auto *v = qobject_cast<TuneVariable *>(function->subFactory()->createDevice(frame));
    if (v)
        function->registerChild(v);
    return v;
}

// A unit with a tune function and its L0 variable aimed at the controller, simulated at 0xA0; by
// default the tool at 0xF9, simulated by the program (else only watched).
struct Rig : SimulatedBusRig
{
    explicit Rig(quint8 address = Tool, bool simulated = true)
    {
        device = new TunedDevice(address);
        variable = createVariable(device->function, "L0");
        variable->setTarget(Controller);
        dispatcher.registerDisplayable(device);
        device->setState(simulated ? AbstractDisplayableItem::Send
                                   : AbstractDisplayableItem::ReceiveOk);
        controller = std::make_shared<SimulatedTuneController>(Controller);
        handler.bus()->addUnit(controller);
        QVERIFY(handler.start());
    }
    QVector<CanMessage> sent() const { return handler.writtenFrames(); }

    TunedDevice *device = nullptr;
    TuneVariable *variable = nullptr;
    std::shared_ptr<SimulatedTuneController> controller;
};

} // namespace

// Tune and machine-state variables: frames, the variable factories, exchanges with a simulated
// controller through the real handler, and scheme round trips.
class tst_TuneVariables : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void names_data();
    void names();
    void readReply_data();
    void readReply();
    void writeAcknowledged_data();
    void writeAcknowledged();
    void writeRefused_data();
    void writeRefused();
    void shortFrames();
    void firstWalkTakesTargetFromPs();
    void simulatedVariableAnswers();
    void machineStateFromTraffic();
    void machineStateTexts_data();
    void machineStateTexts();
    void machineStateSends();
    void catalogueEntry();
    void schemeRoundTrip();
    void requester_data();
    void requester();
    void outcomeText_data();
    void outcomeText();
};

void tst_TuneVariables::names_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty: the catalogue has no such variable
    QTest::newRow("L0") << QByteArray("L0") << QByteArray("4c 30");
    QTest::newRow("l0 is another variable") << QByteArray("l0") << QByteArray("6c 30");
    QTest::newRow("Dl") << QByteArray("Dl") << QByteArray("44 6c");
    QTest::newRow("H2") << QByteArray("H2") << QByteArray("48 32");
    QTest::newRow("unknown name") << QByteArray("ZZ") << QByteArray();
    QTest::newRow("case matters: h2 unknown") << QByteArray("h2") << QByteArray();
}

void tst_TuneVariables::names()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, bytes);
    TuneFunction function;
    QCOMPARE(function.subFactory()->count(), 36);
    TuneVariable *v = createVariable(&function, name.constData());
    QCOMPARE(v != nullptr, !bytes.isEmpty());
    // One variable per name: a second frame makes none; two bytes carry no name.
    QVERIFY(!createVariable(&function, name.constData()));
    QVERIFY(!function.subFactory()->createDevice(makeFrame(0x18EF00A0, {0, 'L'})));
    if (!v)
        return;
    QCOMPARE(v->objectName(), QString::fromLatin1(name));
    QCOMPARE(v->address().kind, int(ItemAddress::Variable));
    quint8 data[8] = {};
    v->encode(data);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(data + 1), 2).toHex(' '), bytes);
}

void tst_TuneVariables::readReply_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("known");
    QTest::addColumn<quint32>("raw");
    QTest::addColumn<int>("size");
    QTest::newRow("value") << int(SimulatedTuneController::NoFault) << true << 0x41200000u << 4;
    QTest::newRow("not available")
        << int(SimulatedTuneController::NotAvailable) << true << 0xFFFFFFFFu << 4;
    QTest::newRow("unknown to the controller")
        << int(SimulatedTuneController::NoFault) << false << 0xFFFFFFFFu << 4;
    QTest::newRow("wrong size kept as sent")
        << int(SimulatedTuneController::WrongSize) << true << 0x41200000u << 3;
}

void tst_TuneVariables::readReply()
{
    QFETCH(int, fault);
    QFETCH(bool, known);
    QFETCH(quint32, raw);
    QFETCH(int, size);
    Rig rig;
    rig.variable->valueParameter()->setValue(ZxVariant::fromFloat(0));
    if (known)
        rig.controller->setValue(SimulatedTuneController::name("L0"), {4, 0x41200000});
    rig.controller->setFault(SimulatedTuneController::Fault(fault));
    rig.variable->setTarget(0x33); // the reply names the unit: it comes from 0xA0
    rig.variable->setTarget(Controller);
    const qint64 before = rig.variable->totalEvents();
    rig.variable->requestGetValue();
    QTRY_VERIFY(!rig.variable->isRequestPending());
    QCOMPARE(quint32(rig.variable->valueParameter()->value().rawBits()), raw);
    QCOMPARE(rig.variable->valueParameter()->value().type, size);
    QCOMPARE(rig.variable->target(), int(Controller));
    QVERIFY(rig.variable->totalEvents() > before);
}

void tst_TuneVariables::writeAcknowledged_data()
{
    QTest::addColumn<int>("control");
    QTest::newRow("yes") << 0;
    QTest::newRow("no") << 1;
    QTest::newRow("restricted") << 2;
    QTest::newRow("unavailable") << 3;
}

void tst_TuneVariables::writeAcknowledged()
{
    QFETCH(int, control);
    Rig rig;
    rig.controller->setAcknowledgement(quint8(control));
    rig.variable->listParameter(TuneVariable::Confirm)->setValue(-1);
    rig.variable->valueParameter()->setValue(ZxVariant::fromInt(ZxVariant::Int16, 1234));
    QVERIFY(rig.variable->requestSetValue());
    QCOMPARE(hex(rig.sent().first()), QByteArray("00 4c 30 02 d2 04 00 00"));
    QTRY_VERIFY(!rig.variable->isRequestPending());
    QCOMPARE(rig.variable->confirm(), control);
    QCOMPARE(rig.variable->valueParameter()->value().toInt(), 1234);
    QCOMPARE(rig.controller->hasValue(SimulatedTuneController::name("L0")), control == 0);
}

void tst_TuneVariables::writeRefused_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<qint32>("bits");
    QTest::newRow("size 3 (32-bit integer)") << int(ZxVariant::Int32) << 5;
    QTest::newRow("no type") << int(ZxVariant::None) << 5;
    QTest::newRow("all ones, 4 bytes") << int(ZxVariant::Float) << qint32(0xFFFFFFFF);
    QTest::newRow("all ones, 1 byte") << int(ZxVariant::UInt8) << 0xFF;
}

void tst_TuneVariables::writeRefused()
{
    QFETCH(int, type);
    QFETCH(qint32, bits);
    Rig rig;
    ZxVariant v;
    v.type = type;
    v.setRawBits(bits);
    rig.variable->valueParameter()->setValue(v);
    QVERIFY(!rig.variable->requestSetValue());
    QVERIFY(rig.sent().isEmpty());
    QVERIFY(!rig.variable->isRequestPending());
}

void tst_TuneVariables::shortFrames()
{
    TuneFunction function;
    TuneVariable *v = createVariable(&function, "L0");
    QVERIFY(!v->matchMessage(makeFrame(0x18EFF9A0, {0, 'L'})));
    // A name but no value: matched, the value untouched.
    v->valueParameter()->setValue(ZxVariant::fromInt(ZxVariant::UInt8, 7));
    CanMessage named = makeFrame(0x18EFF9A0, {0, 'L', '0', 4});
    QVERIFY(v->matchMessage(named));
    DispatchResult result;
    v->dispatchMessageImpl(named, &result);
    QCOMPARE(v->valueParameter()->value(), ZxVariant::fromInt(ZxVariant::UInt8, 7));
}

void tst_TuneVariables::firstWalkTakesTargetFromPs()
{
    TuneFunction function;
    TuneVariable *v = createVariable(&function, "A1");
    DispatchResult result;
    v->dispatchMessageImpl(makeFrame(0x18E89D0A, {2, 'A', '1', 1, 9, 0, 0, 0}), &result);
    QCOMPARE(v->target(), 0x9D);
    QCOMPARE(v->confirm(), 2);
    QCOMPARE(v->valueParameter()->value(), ZxVariant::fromInt(ZxVariant::UInt8, 9));
}

void tst_TuneVariables::simulatedVariableAnswers()
{
    // The program simulates the controller at 0xA0; a panel at 0x9D asks it.
    SimulatedBusRig bus;
    SimulatedBusHandler &handler = bus.handler;
    auto *device = new TunedDevice(Controller);
    TuneVariable *v = createVariable(device->function, "R1");
    v->valueParameter()->setValue(ZxVariant::fromInt(ZxVariant::Int16, 300));
    bus.dispatcher.registerDisplayable(device);
    device->setState(AbstractDisplayableItem::Send);
    QVERIFY(handler.start());
    handler.queueBatch({makeFrame(0x18EFA09D, {0, 'R', '1', 2, 0xFF, 0xFF, 0xFF, 0xFF})});
    QTRY_COMPARE(handler.writtenFrames().size(), 1);
    QCOMPARE(handler.writtenFrames().at(0).id, 0x18EF9DA0u);
    QCOMPARE(hex(handler.writtenFrames().at(0)), QByteArray("00 52 31 02 2c 01 00 00"));
    handler.queueBatch({makeFrame(0x18EFA09D, {0, 'R', '1', 2, 0x10, 0, 0, 0})});
    QTRY_COMPARE(handler.writtenFrames().size(), 2);
    QCOMPARE(handler.writtenFrames().at(1).id, 0x18E89DA0u);
    QCOMPARE(hex(handler.writtenFrames().at(1)), QByteArray("00 52 31 02 10 00 00 00"));
    QCOMPARE(v->valueParameter()->value().toInt(), 16);
}

void tst_TuneVariables::machineStateFromTraffic()
{
    ControllerMachineStateDeviceFunction function;
    QCOMPARE(function.pgnValue(), 0xFF35u);
    AbstractDeviceFactory *factory = function.subFactory();
    const CanMessage frame = makeFrame(0x18FF35A0, {0, 'S', 't', 1, 3, 0, 0, 0});
    auto *v = qobject_cast<MachineStateVariable *>(factory->createDevice(frame));
    QVERIFY(v);
    function.registerChild(v);
    QCOMPARE(v->nameNumber(), 0x5374u);
    QVERIFY(!factory->createDevice(frame)); // one per name
    QVERIFY(!factory->createDevice(makeFrame(0x18FF35A0, {0, 0x01, 't', 1, 3, 0, 0, 0})));
    const std::unique_ptr<AbstractDisplayableItem> other(
        factory->createDevice(makeFrame(0x18FF35A0, {0, 'X', 'y', 1, 3, 0, 0, 0})));
    QVERIFY(other);
    DispatchResult result;
    QVERIFY(function.dispatchMessage(frame, &result));
    QCOMPARE(v->valueParameter()->value(), ZxVariant::fromInt(ZxVariant::UInt8, 3));
}

void tst_TuneVariables::machineStateTexts_data()
{
    QTest::addColumn<QByteArray>("frame"); // bytes 1-7 of the machine-state frame; empty: none
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::newRow("before any frame") << QByteArray() << "\"Hr\""
                                      << "no data yet";
    QTest::newRow("byte") << hex("487201ff000000") << "\"Hr\""
                          << "Hr = 255";
    QTest::newRow("16 bits, negative") << hex("487202fbff0000") << "\"Hr\""
                                       << "Hr = -5";
    QTest::newRow("32 bits") << hex("48720340420f00") << "\"Hr\""
                             << "Hr = 1000000";
    // 1234.5 as an IEEE float, least significant byte first.
    QTest::newRow("float") << hex("48720400509a44") << "\"Hr\""
                           << "Hr = 1234.5";
    QTest::newRow("no type") << hex("48720000000000") << "\"Hr\""
                             << "Hr = no value";
}

// The tree row of a machine-state variable: the name in quotes as its address, and the value as a
// number rather than the stream's "F1234.5".
void tst_TuneVariables::machineStateTexts()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, address);
    QFETCH(QString, text);
    ControllerMachineStateDeviceFunction function;
    auto *v = qobject_cast<MachineStateVariable *>(
        function.subFactory()->createDevice(frameOf(0x18FF35A0, hex("00487201ff000000"))));
    QVERIFY(v);
    function.registerChild(v);
    if (!frame.isEmpty()) {
        DispatchResult result;
        QVERIFY(function.dispatchMessage(frameOf(0x18FF35A0, QByteArray(1, 0) + frame), &result));
    }
    QCOMPARE(v->userReadableAddress(), address);
    QCOMPARE(v->summaryText(), text);
}

void tst_TuneVariables::machineStateSends()
{
    SimulatedBusRig bus;
    SimulatedBusHandler &handler = bus.handler;
    auto *device = new J1939Device(Tool);
    auto *function = new ControllerMachineStateDeviceFunction;
    device->registerChild(function);
    auto *v = qobject_cast<MachineStateVariable *>(
        function->subFactory()->createDevice(makeFrame(0x18FF35A0, {0, 'M', 'S', 2, 1, 2, 0, 0})));
    function->registerChild(v);
    v->valueParameter()->setValue(ZxVariant::fromInt(ZxVariant::Int16, 0x0201));
    bus.dispatcher.registerDisplayable(device);
    QVERIFY(handler.start());
    device->setState(AbstractDisplayableItem::Send);
    QTRY_VERIFY_WITH_TIMEOUT(handler.writtenFrames().size() >= 2, 2000);
    for (const CanMessage &m : handler.writtenFrames()) {
        QCOMPARE(m.id, 0x18FF35F9u);
        QCOMPARE(hex(m), QByteArray("00 4d 53 02 01 02 00 00"));
    }
}

void tst_TuneVariables::catalogueEntry()
{
    J1939Device device(0x0A);
    const AbstractDeviceFactory::Entry e = device.subFactory()->getEntry("prop_machine_state");
    QVERIFY(e);
    QCOMPARE(e->address.value, 0xFF35u);
    QCOMPARE(e->description, QStringLiteral("MACHINE_STATE_DESC_PH"));
    AbstractDisplayableItem *made = device.factoryCreateChild("prop_machine_state");
    QVERIFY(qobject_cast<ControllerMachineStateDeviceFunction *>(made));
}

void tst_TuneVariables::schemeRoundTrip()
{
    TunedDevice saved(Controller);
    TuneVariable *l0 = createVariable(saved.function, "L0");
    TuneVariable *r1 = createVariable(saved.function, "R1");
    l0->valueParameter()->setValue(ZxVariant::fromFloat(10.1f));
    l0->setTarget(0x9D);
    r1->valueParameter()->setValue(ZxVariant::fromInt(ZxVariant::UInt8, 200));
    const QDomDocument doc = savedItem(saved);
    QDomElement element = doc.documentElement();
    TunedDevice restored(Controller);
    QVERIFY(restored.applyXmlData(element));
    const auto variables = restored.function->children();
    QCOMPARE(variables.size(), 2);
    auto *rl0 = qobject_cast<TuneVariable *>(variables.at(0));
    auto *rr1 = qobject_cast<TuneVariable *>(variables.at(1));
    QVERIFY(rl0 && rr1);
    QCOMPARE(rl0->valueParameter()->value(), ZxVariant::fromFloat(10.1f));
    QCOMPARE(rl0->target(), 0x9D);
    QCOMPARE(rr1->valueParameter()->value(), ZxVariant::fromInt(ZxVariant::UInt8, 200));
}

void tst_TuneVariables::requester_data()
{
    QTest::addColumn<quint8>("unit");
    QTest::addColumn<bool>("simulated");
    QTest::addColumn<quint32>("id");
    // A panel the program stands in for asks the controller as itself.
    QTest::newRow("simulated panel asks as itself") << quint8(0x9D) << true << 0x18EFA09Du;
    // The controller's own variable, watched: the tool asks, never posing as the controller.
    QTest::newRow("watched controller: the tool asks") << Controller << false << 0x18EFA0F9u;
}

void tst_TuneVariables::requester()
{
    QFETCH(quint8, unit);
    QFETCH(bool, simulated);
    QFETCH(quint32, id);
    Rig rig(unit, simulated);
    TuneVariable *v = rig.variable;
    // Put in Send by the engineer: the answer still reaches it.
    v->setState(AbstractDisplayableItem::Send);
    rig.controller->setValue(SimulatedTuneController::name("L0"), {4, 0x41200000});
    v->valueParameter()->setValue(ZxVariant::fromFloat(1.5f)); // the request names its type
    v->requestGetValue();
    QCOMPARE(rig.sent().size(), 1);
    QCOMPARE(rig.sent().first().id, id);
    QCOMPARE(hex(rig.sent().first()), QByteArray("00 4c 30 04 ff ff ff ff"));
    QVERIFY(v->isRequestPending());
    QTRY_COMPARE(v->outcome(), TuneVariable::Answered);
    QCOMPARE(v->valueParameter()->value(), ZxVariant::fromFloat(10));
    QCOMPARE(v->target(), int(Controller));
    QCOMPARE(v->replyCount(), 1u);
}

void tst_TuneVariables::outcomeText_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("acknowledgement");
    QTest::addColumn<QString>("text");
    QTest::newRow("read, not available") << false << int(SimulatedTuneController::NotAvailable) << 0
                                         << "Unit 0xa0 has no value for it";
    QTest::newRow("read, silence")
        << false << int(SimulatedTuneController::Silent) << 0 << "No answer from unit 0xa0";
    QTest::newRow("write restricted") << true << int(SimulatedTuneController::NoFault) << 2
                                      << "Unit 0xa0 refused the write: Restricted";
    QTest::newRow("write, silence")
        << true << int(SimulatedTuneController::Silent) << 0 << "No answer from unit 0xa0";
}

void tst_TuneVariables::outcomeText()
{
    QFETCH(bool, write);
    QFETCH(int, fault);
    QFETCH(int, acknowledgement);
    QFETCH(QString, text);
    TuneVariable::setReplyTimeoutMs(100);
    Rig rig;
    rig.controller->setValue(SimulatedTuneController::name("L0"), {4, 0x41200000});
    rig.controller->setFault(SimulatedTuneController::Fault(fault));
    rig.controller->setAcknowledgement(quint8(acknowledgement));
    if (write) {
        rig.variable->valueParameter()->setValue(ZxVariant::fromInt(ZxVariant::Int16, 1234));
        QVERIFY(rig.variable->requestSetValue());
    } else {
        rig.variable->requestGetValue();
    }
    // Only a silent unit leaves the wait open long enough to look at it.
    if (fault == SimulatedTuneController::Silent)
        QCOMPARE(rig.variable->summaryText(), QStringLiteral("Waiting for unit 0xa0"));
    QTRY_COMPARE(rig.variable->summaryText(), text);
    QVERIFY(!rig.variable->isRequestPending());
    // The whole path is marked: the tree reaches the row through the function and the device.
    QVERIFY(rig.device->isUpdateNeeded());
    TuneVariable::setReplyTimeoutMs(TuneVariable::DefaultReplyTimeoutMs);
}

QTEST_MAIN(tst_TuneVariables)
#include "tst_tunevariables.moc"
