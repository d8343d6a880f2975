#include "demo/simulatedtunecontroller.h"
#include "descriptions/abstractdevicefactory.h"
#include "devicetests/devicetest.h"
#include "devicetests/framtestsequence.h"
#include "diagnostics/tunefunction.h"
#include "diagnostics/tunevariable.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "support/simulatedbushandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QtTest>

#include <cstring>
#include <memory>

namespace {

constexpr quint8 Tool = 0x9E;
constexpr quint8 Controller = 0xA0;

quint32 floatBits(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The lower control panel the tool stands in for, with its L0 tune variable; the controller at
// the far end of a simulated bus; and the tool's view of the controller, whose one continuously
// received function the test switches to play the power cycle.
struct Rig
{
    Rig()
    {
        panel = new J1939Device(Tool);
        auto *function = new TuneFunction;
        panel->registerChild(function);
        CanMessage frame = makeFrame(0x18EF00A0, {0, 'L', '0', 4, 0, 0, 0, 0});
        variable = qobject_cast<TuneVariable *>(function->subFactory()->createDevice(frame));
        function->registerChild(variable);
        dispatcher.registerDisplayable(panel);
        panel->setState(AbstractDisplayableItem::Send);
        simulated = std::make_shared<SimulatedTuneController>(Controller);
        handler.bus()->addUnit(simulated);
        controller.setName(QStringLiteral("Controller"));
        controller.setAddress(ItemAddress{ItemAddress::J1939, Controller});
        ioState = new TestContainerItem(&controller);
        ioState->setDeviceType(AbstractDisplayableItem::Continuous, 1000);
        ioState->setState(AbstractDisplayableItem::ReceiveOk);
    }
    ~Rig()
    {
        handler.stop();
        dispatcher.clearScheme();
    }

    DeviceDispatcher dispatcher;
    SimulatedBusHandler handler{&dispatcher};
    J1939Device *panel = nullptr;
    TuneVariable *variable = nullptr;
    std::shared_ptr<SimulatedTuneController> simulated;
    TestContainerItem controller;
    TestContainerItem *ioState = nullptr;
};

struct Row
{
    quint8 size = 4;
    float initial = 9.5f;
    SimulatedTuneController::Fault fault = SimulatedTuneController::NoFault;
    quint8 acknowledgement = 0;
    bool volatileMemory = false;
    bool unavailableAfterPowerCycle = false;
    int stuckAt = -1; // -1: the sequence completes
    QString fault_text;
    int writes = 0;
    float finalValue = 9.5f;
};

} // namespace

Q_DECLARE_METATYPE(Row)

class tst_FramTestSequence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void changedValue_data();
    void changedValue();
    void sequence_data();
    void sequence();
    void steps();
};

void tst_FramTestSequence::changedValue_data()
{
    QTest::addColumn<float>("old");
    QTest::addColumn<float>("expected");
    QTest::newRow("9.5 goes up") << 9.5f << 10.5f;
    QTest::newRow("10 goes down") << 10.0f << 9.0f;
    QTest::newRow("-3 goes up") << -3.0f << -2.0f;
    QTest::newRow("NaN takes 1") << std::nanf("") << 1.0f;
    QTest::newRow("infinity takes 1") << std::numeric_limits<float>::infinity() << 1.0f;
    QTest::newRow("2^30 is unchanged by 1: takes 1") << 1073741824.0f << 1.0f;
}

void tst_FramTestSequence::changedValue()
{
    QFETCH(float, old);
    QFETCH(float, expected);
    QCOMPARE(floatBits(FramTestSequence::changedValue(old)), floatBits(expected));
}

void tst_FramTestSequence::sequence_data()
{
    QTest::addColumn<Row>("row");
    Row keeps;
    QTest::newRow("keeps the value and puts the original back") << keeps;
    Row ten = keeps;
    ten.initial = 10.0f;
    ten.finalValue = 10.0f;
    QTest::newRow("10 is written as 9") << ten;
    Row silent;
    silent.fault = SimulatedTuneController::Silent;
    silent.stuckAt = 1;
    silent.fault_text = QStringLiteral("Controller doesn't respond with tune variable value");
    QTest::newRow("silent controller: own request is no reply") << silent;
    Row unavailable = silent;
    unavailable.fault = SimulatedTuneController::NotAvailable;
    QTest::newRow("not available: nothing written") << unavailable;
    Row size = silent;
    size.fault = SimulatedTuneController::NoFault;
    size.size = 2;
    size.fault_text = QStringLiteral("Invalid variant type");
    QTest::newRow("not a float: nothing written") << size;
    Row refuses;
    refuses.acknowledgement = 1;
    refuses.stuckAt = 3;
    refuses.writes = 1;
    refuses.fault_text = QStringLiteral("Controller didn't accept new tune variable value");
    QTest::newRow("refused write") << refuses;
    Row lost;
    lost.volatileMemory = true;
    lost.stuckAt = 7;
    lost.writes = 1;
    lost.fault_text = QStringLiteral("FRAM failure, values mismatch 9.5 instead of 10.5");
    QTest::newRow("volatile memory") << lost;
    Row gone = lost;
    gone.volatileMemory = false;
    gone.unavailableAfterPowerCycle = true;
    gone.fault_text = QStringLiteral("Controller doesn't respond with variable value");
    QTest::newRow("not available after the power cycle") << gone;
}

void tst_FramTestSequence::sequence()
{
    QFETCH(Row, row);
    Rig rig;
    const quint16 l0 = SimulatedTuneController::name("L0");
    const quint32 initialBits = row.size == 4 ? floatBits(row.initial) : 0x0102;
    rig.simulated->setValue(l0, {row.size, initialBits});
    rig.simulated->setFault(row.fault);
    rig.simulated->setAcknowledgement(row.acknowledgement);
    QVERIFY(rig.handler.start());

    DeviceTest test(&rig.controller);
    auto *fram = new FramTestSequence(&test, rig.variable);
    for (TestAction *step : fram->steps())
        test.addTest(step);
    QCOMPARE(test.count(), 10);
    QString lastFault;
    connect(&test, &DeviceTest::showFaultMessage, this, [&](const QString &t) { lastFault = t; });
    connect(&test, &DeviceTest::currentTestChanged, this, [&](int index) {
        if (index == 4) { // power off
            rig.ioState->setState(AbstractDisplayableItem::ReceiveError);
        } else if (index == 5) { // power on
            if (row.volatileMemory)
                rig.simulated->setValue(l0, {row.size, initialBits});
            if (row.unavailableAfterPowerCycle)
                rig.simulated->setFault(SimulatedTuneController::NotAvailable);
            rig.ioState->setState(AbstractDisplayableItem::ReceiveOk);
        }
    });
    test.start();
    // Tick with the bus running in between; a stuck step stays put well past the reply time-out.
    int lastIndex = 0;
    int still = 0;
    while (test.isRunning() && still < 4 * FramTestSequence::ReplyTimeoutTicks) {
        test.slotRefreshTimeout();
        QTest::qWait(2);
        still = test.currentIndex() == lastIndex ? still + 1 : 0;
        lastIndex = test.currentIndex();
    }
    if (row.stuckAt < 0) {
        QCOMPARE(int(test.runState()), int(DeviceTest::Complete));
        for (const DeviceTest::StepRecord &record : test.records())
            QCOMPARE(record.result, DeviceTest::Passed);
        QCOMPARE(rig.simulated->writeCount(), 2);
    } else {
        QCOMPARE(test.currentIndex(), row.stuckAt);
        QCOMPARE(lastFault, row.fault_text);
        QCOMPARE(rig.simulated->writeCount(), row.writes);
        // Abandoning the read: the write step refuses to write what was not read.
        if (row.stuckAt == 1) {
            test.skipTest();
            test.slotRefreshTimeout();
            QCOMPARE(lastFault, QStringLiteral("No valid value read, nothing written"));
            // Nor do the waits for the write and for the value after the power cycle blame
            // the controller for a write that never happened.
            for (int index : {3, 7}) {
                lastFault.clear();
                while (test.currentIndex() < index)
                    test.skipTest();
                test.slotRefreshTimeout();
                QCOMPARE(test.currentIndex(), index);
                QCOMPARE(lastFault, QStringLiteral("No valid value read, nothing written"));
            }
        }
        test.stop();
        QTRY_COMPARE(rig.simulated->writeCount(), row.writes + (row.writes > 0 ? 1 : 0));
    }
    if (row.size == 4 && row.acknowledgement == 0)
        QTRY_COMPARE(rig.simulated->value(l0).raw, floatBits(row.finalValue));
}

void tst_FramTestSequence::steps()
{
    DeviceTest test(nullptr);
    FramTestSequence missing(&test);
    QCOMPARE(missing.steps().size(), 0);
    QCOMPARE(test.unresolved(), QStringList{QStringLiteral("control_panel_low/TuneVariablesState/L0")});
    TuneVariable variable;
    FramTestSequence fram(&test, &variable);
    QStringList names;
    for (TestAction *step : fram.steps())
        names << step->name();
    QCOMPARE(names, (QStringList{"get tune value from controller", "wait for reply",
                                 "set new tune variable value", "Wait for reply from controller",
                                 " power off test", " power on test",
                                 "get tune value from controller", "Wait for reply / match values",
                                 "restore tune variable value", "wait for reply"}));
}

QTEST_MAIN(tst_FramTestSequence)
#include "tst_framtestsequence.moc"
