#include "demo/simulatedcontrolleroutputs.h"
#include "descriptions/abstractdevicefactory.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "devicetests/controllerdevicetest.h"
#include "devicetests/controlpaneldevicetest.h"
#include "devicetests/framtestsequence.h"
#include "devicetests/statetestactions.h"
#include "devicetests/supportpaneldevicetest.h"
#include "diagnostics/tunevariable.h"
#include "machine/bitfieldfunction.h"
#include "machine/machineregistry.h"
#include "model/devicedispatcher.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QtTest>

#include <memory>

// The three machine tests built against the machine's own unit classes from the catalogue, and
// the controller test driven tick by tick with the tool's view of the units playing the machine.
class tst_MachineTests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controllerSteps();
    void controllerRunsTickByTick();
    void controlPanelSteps();
    void supportPanelSteps();
    void missingPanelIsListed();
    void demoControllerFollowsPanel_data();
    void demoControllerFollowsPanel();

private:
    // A unit of the catalogue on the test's bus, where the tests find the units they drive.
    AbstractDisplayableItem *create(const char *key);
    QList<AbstractDisplayableItem *> m_devices;
    std::unique_ptr<CanDeviceFactory> m_catalogue;
    DeviceDispatcher m_bus;
};

void tst_MachineTests::initTestCase()
{
    TestEnvironment::init();
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    registerMachineFunctions();
}

void tst_MachineTests::init()
{
    m_catalogue = CanDeviceFactory::create();
    m_bus.setCatalogue(m_catalogue.get());
}

void tst_MachineTests::cleanup()
{
    qDeleteAll(m_devices);
    m_devices.clear();
    m_bus.setCatalogue(nullptr);
    m_catalogue.reset();
}

AbstractDisplayableItem *tst_MachineTests::create(const char *key)
{
    AbstractDisplayableItem *item = m_catalogue->createDevice(QByteArray(key));
    if (item) {
        m_bus.registerDisplayable(item);
        m_devices << item;
    }
    return item;
}

static TuneVariable *addL0(AbstractDisplayableItem *panel)
{
    auto *function = panel->findChild<AbstractDisplayableItem *>(QStringLiteral("TuneVariablesState"));
    if (!function)
        return nullptr;
    CanMessage frame = makeFrame(0x18EF00A0, {0, 'L', '0', 4, 0, 0, 0, 0});
    auto *v = qobject_cast<TuneVariable *>(function->subFactory()->createDevice(frame));
    if (v)
        function->registerChild(v);
    return v;
}

void tst_MachineTests::controllerSteps()
{
    AbstractDisplayableItem *controller = create("controller");
    AbstractDisplayableItem *panel = create("control_panel_low");
    QVERIFY(controller && panel);
    QVERIFY(addL0(panel));
    ControllerDeviceTest test(controller);
    QCOMPARE(test.unresolved(), QStringList());
    // The tool takes the panel over, two inputs (save + three states), ten outputs of nine
    // steps, the FRAM sequence, the panel handed back and nine joystick positions.
    QCOMPARE(test.count(), 1 + 2 * 4 + 10 * 9 + 10 + 1 + 9);
    const QList<TestAction *> steps = test.tests();
    auto *takeOver = qobject_cast<StandInTestAction *>(steps.at(0));
    QVERIFY(takeOver && takeOver->takesOver());
    QVERIFY(steps.at(2)->name().startsWith(QStringLiteral("BoomArmIn - ")));
    QVERIFY(qobject_cast<SaveStateTestAction *>(steps.at(5)));
    QVERIFY(steps.at(9)->name().startsWith(QStringLiteral("Setting output UP off")));
    QCOMPARE(steps.at(9 + 7 * 9)->name(), QStringLiteral("Setting output RPM1 off"));
    QVERIFY(qobject_cast<PowerTestClause *>(steps.at(99 + 4)));
    auto *handBack = qobject_cast<StandInTestAction *>(steps.at(109));
    QVERIFY(handBack && !handBack->takesOver());
    for (int i = 110; i < steps.size(); ++i)
        QVERIFY(dynamic_cast<JoystickTestClause *>(steps.at(i)));
    const JoystickValue up{0, JoystickValue::AxisLimit, 0};
    QCOMPARE(steps.at(110)->name(), QStringLiteral("Left - ") + up.toString());
}

void tst_MachineTests::controllerRunsTickByTick()
{
    AbstractDisplayableItem *controller = create("controller");
    AbstractDisplayableItem *panel = create("control_panel_low");
    QVERIFY(controller && panel && addL0(panel));
    auto *io = controller->findChild<AbstractDisplayableItem *>(QStringLiteral("ControllerIOState"));
    QVERIFY(io);
    io->setState(AbstractDisplayableItem::ReceiveOk);
    const int panelState = panel->state();
    QVERIFY(panelState != AbstractDisplayableItem::Send);
    ControllerDeviceTest test(controller);
    test.start();
    int ticks = 0;
    int firstFram = 1 + 2 * 4 + 10 * 9;
    // Play the controller: each clause's expected state is what it reports next.
    while (test.isRunning() && test.currentIndex() < firstFram && ++ticks < 5000) {
        if (auto *clause = dynamic_cast<ListParameterTestClause *>(test.currentTest())) {
            static_cast<ZxListParameter *>(clause->parameter())->setValue(clause->expected());
            clause->parameter()->setValid(true);
        }
        test.slotRefreshTimeout();
    }
    QCOMPARE(test.currentIndex(), firstFram);
    // The tool stood in for the panel that drove the outputs.
    QCOMPARE(panel->state(), int(AbstractDisplayableItem::Send));
    for (int i = 0; i < firstFram; ++i)
        QCOMPARE(test.records().at(i).result, DeviceTest::Passed);
    // The panel's joystick and buttons were driven; the engine button is back where it was.
    ZxParameter *engine
        = m_catalogue->getParameter(QStringLiteral("control_panel_low/state/B3-Engine"));
    QVERIFY(engine);
    // No controller answers here: the FRAM read is skipped, and shows so.
    test.slotRefreshTimeout();
    test.skipTest();
    test.stop();
    QCOMPARE(test.records().at(firstFram + 1).result, DeviceTest::Skipped);
    QCOMPARE(test.records().at(firstFram + 2).result, DeviceTest::NotRun);
    QCOMPARE(engine->variantValue().toBool(), false);
    // The panel is back in the state it had before the test.
    QCOMPARE(panel->state(), panelState);
}

void tst_MachineTests::controlPanelSteps()
{
    AbstractDisplayableItem *panel = create("control_panel_low");
    QVERIFY(panel);
    ControlPanelDeviceTest test(panel);
    QCOMPARE(test.unresolved(), QStringList());
    QCOMPARE(test.count(), 6 + 5 * 2);
    QVERIFY(dynamic_cast<JoystickTestClause *>(test.tests().at(0)));
    QCOMPARE(test.tests().at(6)->name(), QStringLiteral("B1-Control - released"));
    QCOMPARE(test.tests().at(15)->name(), QStringLiteral("B5-Setup - pressed"));
}

void tst_MachineTests::supportPanelSteps()
{
    AbstractDisplayableItem *panel = create("support_indication_panel");
    QVERIFY(panel);
    SupportPanelDeviceTest test(panel);
    QCOMPARE(test.count(), 4);
    QVERIFY(test.unresolved().isEmpty());
}

void tst_MachineTests::missingPanelIsListed()
{
    AbstractDisplayableItem *controller = create("controller");
    QVERIFY(controller);
    ControllerDeviceTest test(controller);
    // Only the inputs remain; every panel path is listed.
    QCOMPARE(test.count(), 2 * 4);
    QVERIFY(test.unresolved().contains(QStringLiteral("control_panel_low/state")));
    QVERIFY(test.unresolved().contains(QStringLiteral("control_panel_low/state/B3-Engine")));
    QVERIFY(test.unresolved().contains(QStringLiteral("control_panel_low/TuneVariablesState/L0")));
}

void tst_MachineTests::demoControllerFollowsPanel_data()
{
    QTest::addColumn<int>("drive");
    const QList<ControllerDeviceTest::OutputDrive> &drives = ControllerDeviceTest::outputDrives();
    for (int i = 0; i < drives.size(); ++i)
        QTest::newRow(drives.at(i).output) << i;
}

void tst_MachineTests::demoControllerFollowsPanel()
{
    QFETCH(int, drive);
    const ControllerDeviceTest::OutputDrive &d = ControllerDeviceTest::outputDrives().at(drive);
    auto *panel = qobject_cast<BitFieldFunction *>(
        create("control_panel_low")->findChild<AbstractDisplayableItem *>(QStringLiteral("state")));
    QVERIFY(panel);
    ZxParameter *control = m_catalogue->getParameter(QString::fromLatin1(d.panelPath));
    QVERIFY(control);
    // The tool's view of the controller reads what the simulated one reports.
    auto *io = qobject_cast<BitFieldFunction *>(create("controller")->findChild<AbstractDisplayableItem *>(
        QStringLiteral("ControllerIOState")));
    QVERIFY(io);
    auto reported = [io](const CanMessage &frame, const char *output) {
        io->decode(QByteArray(reinterpret_cast<const char *>(frame.data), frame.length));
        return int(BitFieldTable::fieldValue(io->parameter(QString::fromLatin1(output))));
    };
    SimulatedControllerOutputs controller(0xA0, 0x9E);
    const CanMessage recorded = makeFrame(0x18FF30A0, {0x28, 0, 0, 0xC0, 0x01, 0x10, 0, 0});
    QVector<SimulatedReply> replies;
    qint64 now = 0;
    // The panel frame as the tool sends it for the value the test's action writes.
    auto panelSends = [&](const char *value) {
        QVERIFY(control->setVariantValue(QString::fromLatin1(value)));
        const QByteArray payload = panel->encode();
        controller.frameSent(CanMessage(0x10FF329E, reinterpret_cast<const quint8 *>(payload.constData()),
                                        payload.size()),
                             &replies);
        replies.clear();
        now += SimulatedControllerOutputs::ReportPeriodMs;
        controller.tick(now, &replies);
    };
    // Every other control rests where the test's off actions put it.
    for (const ControllerDeviceTest::OutputDrive &other : ControllerDeviceTest::outputDrives()) {
        m_catalogue->getParameter(QString::fromLatin1(other.panelPath))
            ->setVariantValue(QString::fromLatin1(other.offValue));
    }
    // Before the tool stands in for the panel the recording speaks for the controller.
    controller.tick(now, &replies);
    QVERIFY(replies.isEmpty());
    QVERIFY(!controller.replacesRecorded(recorded));
    // A frame from another panel address drives nothing.
    controller.frameSent(makeFrame(0x10FF329D, {0, 0x7F, 0, 0, 0x7F, 0xFF, 0, 0}), &replies);
    controller.tick(now += 10, &replies);
    QVERIFY(!controller.isActive());

    panelSends(d.onValue);
    QVERIFY(controller.isActive());
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().frame.id, 0x18FF30A0u);
    QCOMPARE(reported(replies.first().frame, d.output), 1);
    QCOMPARE(controller.outputState(d.output), 1);
    for (const ControllerDeviceTest::OutputDrive &other : ControllerDeviceTest::outputDrives()) {
        if (qstrcmp(other.output, d.output) != 0)
            QCOMPARE(reported(replies.first().frame, other.output), 0);
    }
    QCOMPARE(reported(replies.first().frame, "IN2"), 1); // the recorded inputs stay
    // The recorded inputs stay in the report, and hold still while the panel drives.
    QCOMPARE(int(replies.first().frame.data[0]), 0x28);
    QVERIFY(controller.replacesRecorded(makeFrame(0x18FF30A0, {0x15, 0, 0, 0xC9, 0, 0, 0, 0})));
    QVERIFY(!controller.replacesRecorded(makeFrame(0x18FF31A0, {0, 0, 0, 0, 0, 0, 0, 0})));
    QCOMPARE(int(controller.report().at(0)), 0x28);
    QCOMPARE(controller.outputState("WPLEFT"), 0);

    panelSends(d.offValue);
    QCOMPARE(reported(replies.first().frame, d.output), 0);
    QCOMPARE(controller.outputState(d.output), 0);

    // A panel that falls silent hands the controller back to the recording.
    replies.clear();
    controller.tick(now + SimulatedControllerOutputs::PanelSilenceMs + 1, &replies);
    QVERIFY(replies.isEmpty());
    QVERIFY(!controller.replacesRecorded(recorded));
}

QTEST_MAIN(tst_MachineTests)
#include "tst_machinetests.moc"
