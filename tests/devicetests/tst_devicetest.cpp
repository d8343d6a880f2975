#include "descriptions/candevicefactory.h"
#include "devicetests/devicetest.h"
#include "devicetests/devicetestreport.h"
#include "devicetests/devicetestrig.h"
#include "devicetests/devicetestsregistry.h"
#include "devicetests/statetestactions.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/softfunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "support/testenvironment.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_DeviceTest : public QObject
{
    Q_OBJECT

private slots:
    void stability_data();
    void stability();
    void preconditionHoldsStep();
    void preconditionFaultShowsItsMessage();
    void outputBuilder_data();
    void outputBuilder();
    void wrongParametersAddNothing_data();
    void wrongParametersAddNothing();
    void inputTest();
    void clauseNeedsReceivedData();
    void skipRecordsSkippedOrFailed_data();
    void skipRecordsSkippedOrFailed();
    void zeroStepsDoNotStart();
    void writesRestoredOnStop();
    void deletedUnitFaultsWithoutCrash();
    void power_data();
    void power();
    void report();
    void reportIdentification_data();
    void reportIdentification();
};

// Runs `count` ticks of the test's refresh timer.
static void tick(DeviceTest &test, int count)
{
    for (int i = 0; i < count; ++i)
        test.slotRefreshTimeout();
}

// Ticks until the step at index 0 passes (index changes), at most `limit`; returns the tick.
static int ticksUntilPass(DeviceTest *test, int limit)
{
    for (int tick = 1; tick <= limit; ++tick) {
        test->slotRefreshTimeout();
        if (test->currentIndex() != 0)
            return tick;
    }
    return -1;
}

void tst_DeviceTest::stability_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<int>("passTick");
    QTest::addColumn<int>("faults");
    QTest::addColumn<int>("warnings");
    QTest::newRow("five met pass on the fifth") << QList<int>{3} << 5 << 0 << 0;
    QTest::newRow("four met, a miss, then five more")
        << QList<int>{3, 3, 3, 3, 2, 3} << 10 << 0 << 0;
    QTest::newRow("an action passes at once") << QList<int>{4} << 1 << 0 << 0;
    QTest::newRow("fault then pass") << QList<int>{0, 4} << 2 << 1 << 0;
    QTest::newRow("warning breaks the count") << QList<int>{3, 3, 1, 3} << 8 << 0 << 1;
    QTest::newRow("waiting never passes") << QList<int>{2} << -1 << 0 << 0;
}

void tst_DeviceTest::stability()
{
    QFETCH(QList<int>, codes);
    QFETCH(int, passTick);
    QFETCH(int, faults);
    QFETCH(int, warnings);
    DeviceTest test(nullptr);
    auto *step = new ScriptedAction(codes, &test);
    test.addTest(step);
    test.addTest(new ScriptedAction({2}, &test));
    QSignalSpy progress(&test, &DeviceTest::progressChanged);
    QSignalSpy faultSpy(&test, &DeviceTest::showFaultMessage);
    QSignalSpy warningSpy(&test, &DeviceTest::showWarningMessage);
    test.start();
    QCOMPARE(ticksUntilPass(&test, 20), passTick);
    QCOMPARE(faultSpy.count(), faults);
    QCOMPARE(warningSpy.count(), warnings);
    if (passTick > 0) {
        QCOMPARE(progress.last().at(0).toInt(), codes.first() == 3 ? 5 : 0);
        QCOMPARE(test.records().at(0).result, DeviceTest::Passed);
    }
    if (codes.contains(2) && passTick > 0) {
        // The progress bar drops to 0 at the interruption.
        QList<int> values;
        for (const QList<QVariant> &args : progress)
            values << args.at(0).toInt();
        QCOMPARE(values, (QList<int>{1, 2, 3, 4, 0, 1, 2, 3, 4, 5}));
    }
}

void tst_DeviceTest::preconditionHoldsStep()
{
    DeviceTest test(nullptr);
    auto *step = new ScriptedAction({3}, &test);
    auto *pre = new ScriptedAction({2}, &test);
    test.addTest(step, pre);
    QSignalSpy progress(&test, &DeviceTest::progressChanged);
    QSignalSpy hidden(&test, &DeviceTest::hideMessage);
    test.start();
    tick(test, 20);
    QCOMPARE(test.currentIndex(), 0);
    QCOMPARE(step->calls, 0);
    QCOMPARE(hidden.count(), 20);
    for (const QList<QVariant> &args : progress)
        QCOMPARE(args.at(0).toInt(), 0);
}

void tst_DeviceTest::preconditionFaultShowsItsMessage()
{
    DeviceTest test(nullptr);
    auto *step = new ScriptedAction({3}, &test);
    auto *pre = new ScriptedAction({4, 4, 4, 0, 4}, &test);
    pre->setMessage(QStringLiteral("State mismatch in parameter IN2"));
    test.addTest(step, pre);
    QSignalSpy faults(&test, &DeviceTest::showFaultMessage);
    test.start();
    tick(test, 3);
    QCOMPARE(step->stability(), 3);
    test.slotRefreshTimeout();
    QCOMPARE(faults.count(), 1);
    QCOMPARE(faults.first().at(0).toString(), QStringLiteral("State mismatch in parameter IN2"));
    // The interruption restarts the count: five more ticks are needed.
    QCOMPARE(step->stability(), 0);
    tick(test, 4);
    QCOMPARE(test.currentIndex(), 0);
    test.slotRefreshTimeout();
    QCOMPARE(test.currentIndex(), 1);
    QCOMPARE(test.records().at(0).lastMessage, QStringLiteral("State mismatch in parameter IN2"));
}

void tst_DeviceTest::outputBuilder_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("return off ends with the off action") << int(DeviceTest::ReturnOff);
    QTest::newRow("return on ends with the on action") << int(DeviceTest::ReturnOn);
}

void tst_DeviceTest::outputBuilder()
{
    QFETCH(int, mode);
    MiniMachine machine;
    DeviceTest test(&machine.controller);
    test.addRelatedItem(&machine.panel);
    auto *off = new ParameterInitTestAction(&machine.panel, machine.panelButton, false, &test);
    auto *on = new ParameterInitTestAction(&machine.panel, machine.panelButton, true, &test);
    test.createOutputTest(off, on, machine.out1, DeviceTest::ReturnTestAction(mode));
    const QList<TestAction *> steps = test.tests();
    QCOMPARE(steps.size(), 9);
    QCOMPARE(steps.at(0), static_cast<TestAction *>(off));
    QCOMPARE(steps.at(3), static_cast<TestAction *>(on));
    QCOMPARE(steps.at(8), static_cast<TestAction *>(mode == DeviceTest::ReturnOff ? off : on));
    QCOMPARE(off->name(), QStringLiteral("Setting output OUT1 off"));
    QCOMPARE(on->name(), QStringLiteral("Setting output OUT1 on"));
    const QList<int> expected{-1, 0, 2, -1, 1, 3, 5, 6, -1};
    for (int i = 0; i < steps.size(); ++i) {
        if (expected.at(i) < 0)
            continue;
        auto *clause = dynamic_cast<ListParameterTestClause *>(steps.at(i));
        QVERIFY(clause);
        QCOMPARE(clause->expected(), expected.at(i));
        QCOMPARE(clause->name(),
                 QStringLiteral("OUT1 - ") + machine.out1->items().at(expected.at(i)));
        QCOMPARE(clause->description(), clause->name());
    }
    QVERIFY(test.unresolved().isEmpty());
}

void tst_DeviceTest::wrongParametersAddNothing_data()
{
    QTest::addColumn<QString>("builder");
    QTest::addColumn<QString>("parameter");
    QTest::newRow("button test on a list") << "button" << "IN1";
    QTest::newRow("button test on nothing") << "button" << "";
    QTest::newRow("input test on a bool") << "input" << "B1";
    QTest::newRow("output test on a bool") << "output" << "B1";
    QTest::newRow("input test on a unit outside the test") << "input" << "foreign";
}

void tst_DeviceTest::wrongParametersAddNothing()
{
    QFETCH(QString, builder);
    QFETCH(QString, parameter);
    MiniMachine machine;
    ZxListParameter foreign;
    DeviceTest test(&machine.controller);
    ZxParameter *p = parameter == QLatin1String("foreign") ? &foreign
                                                          : machine.state->parameter(parameter);
    if (builder == QLatin1String("button"))
        test.createButtonTest(p);
    else if (builder == QLatin1String("input"))
        test.createInputTest(p);
    else
        test.createOutputTest(new ParameterInitTestAction(nullptr, nullptr, QVariant(0), &test),
                              new ParameterInitTestAction(nullptr, nullptr, QVariant(1), &test), p,
                              DeviceTest::ReturnOff);
    QCOMPARE(test.count(), 0);
    QCOMPARE(test.unresolved().size(), 1);
}

void tst_DeviceTest::inputTest()
{
    MiniMachine machine;
    machine.receive();
    DeviceTest test(&machine.controller);
    test.createInputTest(machine.in1);
    QCOMPARE(test.count(), 4);
    QVERIFY(qobject_cast<SaveStateTestAction *>(test.tests().at(0)));
    test.start();
    QSignalSpy faults(&test, &DeviceTest::showFaultMessage);
    test.slotRefreshTimeout(); // saves the state
    QCOMPARE(test.currentIndex(), 1);
    QVERIFY(qobject_cast<StateCheckTestAction *>(test.currentTestItem().precondition));
    // IN1 at 0 from the start: the excluded input may change, the rest may not.
    tick(test, 5);
    QCOMPARE(test.currentIndex(), 2);
    machine.in1->setValue(1);
    machine.in2->setValue(2);
    tick(test, 10);
    QCOMPARE(test.currentIndex(), 2);
    QVERIFY(faults.count() >= 10);
    QCOMPARE(faults.last().at(0).toString(), QStringLiteral("State mismatch in parameter IN2"));
    machine.in2->setValue(0);
    tick(test, 5);
    QCOMPARE(test.currentIndex(), 3);
}

void tst_DeviceTest::clauseNeedsReceivedData()
{
    MiniMachine machine;
    DeviceTest test(&machine.controller);
    test.createButtonTest(machine.button);
    QCOMPARE(test.count(), 2);
    QSignalSpy warnings(&test, &DeviceTest::showWarningMessage);
    test.start();
    // B1 is false by default, but nothing was received: the released step must not pass.
    tick(test, 10);
    QCOMPARE(test.currentIndex(), 0);
    QCOMPARE(warnings.last().at(0).toString(), QStringLiteral("No data from state"));
    machine.receive();
    machine.button->setValid(false);
    tick(test, 10);
    QCOMPARE(test.currentIndex(), 0);
    machine.button->setValid(true);
    tick(test, 5);
    QCOMPARE(test.currentIndex(), 1);
}

void tst_DeviceTest::skipRecordsSkippedOrFailed_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QList<int>>("preconditionCodes"); // empty: no precondition
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");
    const int skipped = DeviceTest::Skipped;
    QTest::newRow("waiting") << QList<int>{2} << QList<int>() << 1 << skipped << QString();
    QTest::newRow("never evaluated") << QList<int>{2} << QList<int>() << 0 << skipped << QString();
    QTest::newRow("own fault") << QList<int>{0} << QList<int>() << 1 << int(DeviceTest::Failed)
                               << QStringLiteral("step trouble");
    QTest::newRow("warning") << QList<int>{1} << QList<int>() << 1 << skipped
                             << QStringLiteral("step trouble");
    QTest::newRow("fault, then waiting again")
        << QList<int>{0, 2} << QList<int>() << 2 << skipped << QStringLiteral("step trouble");
    QTest::newRow("held by its precondition's fault")
        << QList<int>{3} << QList<int>{0} << 3 << skipped << QStringLiteral("state changed");
    QTest::newRow("precondition fault, then the step's own")
        << QList<int>{0} << QList<int>{0, 4} << 2 << int(DeviceTest::Failed)
        << QStringLiteral("step trouble");
}

void tst_DeviceTest::skipRecordsSkippedOrFailed()
{
    QFETCH(QList<int>, codes);
    QFETCH(QList<int>, preconditionCodes);
    QFETCH(int, ticks);
    QFETCH(int, result);
    QFETCH(QString, message);
    DeviceTest test(nullptr);
    auto *step = new ScriptedAction(codes, &test);
    step->setMessage(QStringLiteral("step trouble"));
    ScriptedAction *precondition = nullptr;
    if (!preconditionCodes.isEmpty()) {
        precondition = new ScriptedAction(preconditionCodes, &test);
        precondition->setMessage(QStringLiteral("state changed"));
    }
    test.addTest(step, precondition);
    test.addTest(new ScriptedAction({2}, &test));
    QSignalSpy changed(&test, &DeviceTest::currentTestChanged);
    test.start();
    for (int i = 0; i < ticks; ++i)
        test.slotRefreshTimeout();
    test.skipTest();
    QCOMPARE(int(test.records().at(0).result), result);
    QCOMPARE(test.records().at(0).lastMessage, message);
    QCOMPARE(test.records().at(1).result, DeviceTest::NotRun);
    test.skipTest();
    QCOMPARE(test.runState(), DeviceTest::Complete);
    QVERIFY(test.endTime().isValid());
    QCOMPARE(test.records().at(1).result, DeviceTest::Skipped);
    QCOMPARE(changed.count(), 3);
    // Nothing happens after the end.
    test.skipTest();
    test.slotRefreshTimeout();
    QCOMPARE(changed.count(), 3);
    QCOMPARE(test.currentIndex(), 2);
    QCOMPARE(test.currentTest(), nullptr);
    QCOMPARE(DeviceTestReport::summary(&test),
             result == DeviceTest::Failed
                 ? QStringLiteral("0 passed, 1 skipped, 1 failed, 0 not run")
                 : QStringLiteral("0 passed, 2 skipped, 0 failed, 0 not run"));
}

void tst_DeviceTest::zeroStepsDoNotStart()
{
    DeviceTest test(nullptr);
    QSignalSpy changed(&test, &DeviceTest::currentTestChanged);
    test.start();
    QCOMPARE(test.runState(), DeviceTest::NotStarted);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(test.currentIndex(), -1);
}

void tst_DeviceTest::writesRestoredOnStop()
{
    MiniMachine machine;
    machine.panelButton->setValue(false);
    DeviceTest test(&machine.controller);
    test.addTest(new ParameterInitTestAction(&machine.panel, machine.panelButton, true, &test));
    test.addTest(new ButtonOutputInitTestAction(&machine.panel, machine.panelButton, false, &test));
    test.addTest(new ParameterInitTestAction(&machine.panel, machine.panelButton, true, &test));
    test.addTest(new ScriptedAction({2}, &test));
    test.start();
    for (const bool written : {true, false, true}) {
        test.slotRefreshTimeout();
        QCOMPARE(machine.panelButton->value(), written);
    }
    test.stop();
    QCOMPARE(test.runState(), DeviceTest::Cancelled);
    QCOMPARE(machine.panelButton->value(), false);
    QCOMPARE(test.records().at(3).result, DeviceTest::NotRun);
}

void tst_DeviceTest::deletedUnitFaultsWithoutCrash()
{
    auto *machine = new MiniMachine;
    machine->receive();
    DeviceTest test(&machine->controller);
    test.addRelatedItem(&machine->panel);
    test.createButtonTest(machine->button);
    test.addTest(new ParameterInitTestAction(&machine->panel, machine->panelButton, true, &test));
    QSignalSpy faults(&test, &DeviceTest::showFaultMessage);
    test.start();
    test.slotRefreshTimeout();
    delete machine;
    test.slotRefreshTimeout();
    QCOMPARE(faults.count(), 1);
    test.skipTest();
    test.skipTest();
    test.slotRefreshTimeout();
    QCOMPARE(faults.count(), 2);
    test.stop();
    QCOMPARE(test.records().at(0).result, DeviceTest::Failed);
}

void tst_DeviceTest::power_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<int>("result");
    QTest::newRow("on: one function in time") << true << QList<int>{3, 5} << 3;
    QTest::newRow("on: all silent") << true << QList<int>{5, 4} << 2;
    QTest::newRow("off: all late or silent") << false << QList<int>{5, 4} << 3;
    QTest::newRow("off: one still in time") << false << QList<int>{5, 3} << 2;
    QTest::newRow("off: never received proves nothing") << false << QList<int>{0, 0} << 1;
    QTest::newRow("on: only sending functions") << true << QList<int>{2, 2} << 1;
}

void tst_DeviceTest::power()
{
    QFETCH(bool, on);
    QFETCH(QList<int>, states);
    QFETCH(int, result);
    TestContainerItem device;
    device.setName(QStringLiteral("Controller"));
    for (int state : states) {
        auto *function = new TestContainerItem(&device);
        function->setDeviceType(AbstractDisplayableItem::Continuous, 1000);
        function->setState(state);
    }
    DeviceTest test(&device);
    PowerTestClause clause(on, &test);
    QCOMPARE(clause.doMatch(), result);
    QCOMPARE(clause.name(), on ? QStringLiteral("Controller power on test")
                               : QStringLiteral("Controller power off test"));
    if (result == TestAction::Warning)
        QCOMPARE(clause.message(), QStringLiteral("Device Controller is not being received"));
}

void tst_DeviceTest::report()
{
    MiniMachine machine;
    DeviceTest test(&machine.controller);
    auto *first = new ScriptedAction({4}, &test);
    first->setName(QStringLiteral("First, with a comma"));
    test.addTest(first);
    auto *second = new ScriptedAction({0}, &test);
    second->setName(QStringLiteral("Second"));
    second->setMessage(QStringLiteral("Output shorted"));
    test.addTest(second);
    auto *third = new ScriptedAction({2}, &test);
    third->setName(QStringLiteral("Third"));
    test.addTest(third);
    test.addUnresolved(QStringLiteral("control_panel_low/state/B9"));
    test.start();
    test.slotRefreshTimeout();
    test.slotRefreshTimeout();
    test.skipTest();
    test.stop();

    const QString csv = QString::fromUtf8(DeviceTestReport::toCsv(&test));
    for (const char *line :
         {"1,\"First, with a comma\",Passed,", ",Failed,", "Output shorted", "3,Third,Not run,,",
          "# Run: cancelled", "# Device: Controller", "Not found: control_panel_low/state/B9",
          "1 passed, 0 skipped, 1 failed, 1 not run"})
        QVERIFY2(csv.contains(QLatin1String(line)), line);
    const QString text = QString::fromUtf8(DeviceTestReport::toText(&test));
    QVERIFY(text.contains(QStringLiteral("2. Second: Failed")));

    QTemporaryDir dir;
    QStringList paths;
    QString error;
    QVERIFY(DeviceTestReport::save(&test, dir.path(), &paths, &error));
    QCOMPARE(paths.size(), 2);
    QVERIFY(QFileInfo(paths.at(0)).fileName().startsWith(QStringLiteral("test-controller-")));
    QCOMPARE(TestEnvironment::readFile(paths.at(0)), DeviceTestReport::toCsv(&test));
    QVERIFY(!DeviceTestReport::save(&test, dir.filePath(QStringLiteral("missing/dir")), &paths,
                                    &error));
    QVERIFY(!error.isEmpty());
}

void tst_DeviceTest::reportIdentification_data()
{
    QTest::addColumn<bool>("ownFunctions");
    QTest::addColumn<int>("flasherTarget"); // -1: no flasher in the scheme
    QTest::addColumn<QString>("ecu");
    QTest::addColumn<QString>("soft");
    const QString unknown = QStringLiteral("unknown");
    QTest::newRow("nothing received") << false << -1 << unknown << unknown;
    QTest::newRow("the unit's own functions")
        << true << -1 << QStringLiteral("MC2*A0*") << QStringLiteral("V1*");
    QTest::newRow("the flasher's target is the unit")
        << false << 0xA0 << QStringLiteral("FL*A0*") << QStringLiteral("FL1*");
    QTest::newRow("the flasher's target is another unit") << false << 0x21 << unknown << unknown;
    QTest::newRow("own functions before the flasher")
        << true << 0xA0 << QStringLiteral("MC2*A0*") << QStringLiteral("V1*");
}

void tst_DeviceTest::reportIdentification()
{
    QFETCH(bool, ownFunctions);
    QFETCH(int, flasherTarget);
    QFETCH(QString, ecu);
    QFETCH(QString, soft);
    registerDeviceTests();
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    DeviceDispatcher bus;
    bus.setCatalogue(catalogue.get());
    J1939Device unit(0xA0);
    bus.registerDisplayable(&unit);
    unit.setName(QStringLiteral("Controller"));
    if (ownFunctions) {
        (new EcuidFunction(&unit))->decode(QByteArray("MC2*A0*\0\xFF", 9));
        (new SoftFunction(&unit))->decode(QByteArray("\x01V1*"));
    }
    std::unique_ptr<AbstractDisplayableItem> tool;
    if (flasherTarget >= 0) {
        tool.reset(catalogue->createDevice(QByteArray("offboarddiagunit")));
        auto *flasher = qobject_cast<OffBoardDiagnosticDevice *>(tool.get())->flasher();
        flasher->setTarget(flasherTarget);
        flasher->takeIdentification(0xFDC5, QByteArray("FL*A0*"));
        flasher->takeIdentification(0xFEDA, QByteArray("\x01""FL1*"));
    }
    DeviceTest test(&unit);
    const QString csv = QString::fromUtf8(DeviceTestReport::toCsv(&test));
    QVERIFY2(csv.contains(QStringLiteral("# ECU identification: ") + ecu + QLatin1Char('\n')),
             qPrintable(csv));
    QVERIFY(csv.contains(QStringLiteral("# Software identification: ") + soft + QLatin1Char('\n')));
    QVERIFY(QString::fromUtf8(DeviceTestReport::toText(&test))
                .contains(QStringLiteral("ECU identification: ") + ecu));
    tool.reset();
}

QTEST_MAIN(tst_DeviceTest)
#include "tst_devicetest.moc"
