#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "demo/simulatedbootloader.h"
#include "descriptions/deviceconstructormodel.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "devicetests/devicetest.h"
#include "devicetests/editors/devicetestdialog.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/simulatedbushandler.h"
#include "support/testenvironment.h"
#include "support/windowtestcase.h"
#include "ui/mainwindow.h"
#include "ui/rawdatamodel.h"
#include <QAction>
#include <QButtonGroup>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

// What the window offers for a unit: its acceptance test in one dialog, the tool unit added once,
// and the questions before a running test or transfer is abandoned.
class tst_UnitActions : public WindowTestCase
{
    Q_OBJECT

public:
    tst_UnitActions()
        : WindowTestCase(QStringLiteral("TarvikUnitActionsTest"))
    {}

private slots:
    void testActionOpensOneDialog();
    void closingARunningTest_data();
    void closingARunningTest();
    void abandoningTransferAsks_data();
    void abandoningTransferAsks();
};

void tst_UnitActions::testActionOpensOneDialog()
{
    DeviceConstructorModel *model = m_window->constructorModel();
    int row = -1;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 1).data().toString() == QLatin1String("Controller"))
            row = r;
    }
    QVERIFY(row >= 0);
    auto *view = m_window->findChild<QTableView *>(QStringLiteral("constructorView"));
    view->setCurrentIndex(model->index(row, 1));
    QAction *test = action("actionTest");
    QVERIFY(test->isEnabled());
    // An engineer's scheme is replaced only when he agrees.
    m_window->on_constructorView_activated(model->index(0, 0));
    const int engineersDevices = m_window->schemeModel()->rowCount();
    QCOMPARE(engineersDevices, 1);
    view->setCurrentIndex(model->index(row, 1));
    m_window->confirm = false;
    test->trigger();
    QVERIFY(!m_window->findChild<DeviceTestDialog *>());
    QCOMPARE(m_window->schemeModel()->rowCount(), engineersDevices);
    // The test scheme: the controller received, the lower panel simulated, every path found.
    m_window->confirm = true;
    test->trigger();
    QCOMPARE(m_window->schemeModel()->rowCount(), 2);
    QCOMPARE(m_window->findChildren<DeviceTestDialog *>().size(), 1);
    DeviceTestDialog *dialog = m_window->findChild<DeviceTestDialog *>();
    // Panel taken over, inputs, outputs, FRAM, panel handed back, joysticks.
    QCOMPARE(dialog->test()->count(), 1 + 2 * 4 + 10 * 9 + 10 + 1 + 9);
    QCOMPARE(dialog->test()->runState(), DeviceTest::Running);
    // Clearing the scheme under a running test: the steps find their units gone and say so.
    QSignalSpy faults(dialog->test(), &DeviceTest::showFaultMessage);
    m_window->schemeController()->clearScheme();
    for (int i = 0; i < 3; ++i)
        dialog->test()->slotRefreshTimeout();
    QVERIFY(faults.count() > 0);
    QPointer<DeviceTestDialog> guard(dialog);
    dialog->close();
    QTRY_VERIFY(guard.isNull());
}

void tst_UnitActions::closingARunningTest_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<int>("selected"); // the address of the unit to delete
    QTest::addColumn<bool>("agree");
    QTest::addColumn<int>("rowsAfter");
    QTest::newRow("clear scheme, kept") << "actionClearScheme" << -1 << false << 2;
    QTest::newRow("clear scheme, closed") << "actionClearScheme" << -1 << true << 0;
    QTest::newRow("delete the controller, kept") << "actionDeleteDevice" << 0xA0 << false << 2;
    QTest::newRow("delete the controller, closed") << "actionDeleteDevice" << 0xA0 << true << 1;
    QTest::newRow("delete the panel, closed") << "actionDeleteDevice" << 0x9E << true << 1;
    QTest::newRow("open another scheme, kept") << "actionOpen" << -1 << false << 2;
    QTest::newRow("open another scheme, closed, file not chosen") << "actionOpen" << -1 << true << 2;
}

void tst_UnitActions::closingARunningTest()
{
    QFETCH(QString, actionName);
    QFETCH(int, selected);
    QFETCH(bool, agree);
    QFETCH(int, rowsAfter);
    DeviceConstructorModel *model = m_window->constructorModel();
    auto *view = m_window->findChild<QTableView *>(QStringLiteral("constructorView"));
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 1).data().toString() == QLatin1String("Controller"))
            view->setCurrentIndex(model->index(r, 1));
    }
    m_window->confirm = true;
    action("actionTest")->trigger();
    QPointer<DeviceTestDialog> dialog = m_window->findChild<DeviceTestDialog *>();
    QVERIFY(dialog);
    QPointer<DeviceTest> test = dialog->test();
    // Up to the step that turns the first output on: the panel's joystick is deflected.
    ZxParameter *joystick
        = m_window->catalogue()->getParameter(QStringLiteral("control_panel_low/state/LJ"));
    QVERIFY(joystick);
    QPointer<AbstractDisplayableItem> panel
        = m_window->catalogue()->getDeviceByPath(QStringLiteral("control_panel_low"));
    const QString rest = joystick->toString();
    while (test->currentIndex() < 12)
        test->skipTest();
    QVERIFY(test->currentTest()->name().startsWith(QStringLiteral("Setting output UP on")));
    test->slotRefreshTimeout();
    QVERIFY(joystick->toString() != rest);
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->topLevelItems()) {
        if (int(node->displayable()->address().value) == selected)
            m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(node, 1));
    }
    m_window->asked.clear();
    m_window->confirm = agree;
    m_window->fileAnswer.clear();
    action(qPrintable(actionName))->trigger();
    QVERIFY2(m_window->asked.value(0).startsWith(
                 QLatin1String("Test|The test of Controller is running")),
             qPrintable(m_window->asked.join(QLatin1Char('\n'))));
    QCOMPARE(m_window->schemeModel()->rowCount(), rowsAfter);
    if (!agree) {
        QCOMPARE(m_window->asked.size(), 1);
        QVERIFY(dialog && test && test->isRunning());
        dialog->test()->stop();
        dialog->close();
    } else {
        QVERIFY(!test || !test->isRunning());
        // What the test wrote is back wherever the panel is still there.
        if (panel)
            QCOMPARE(joystick->toString(), rest);
    }
    QTRY_VERIFY(dialog.isNull());
    // No test runs any more: the next action asks nothing about it.
    QVERIFY(!m_window->runningTest());
}

void tst_UnitActions::abandoningTransferAsks_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<bool>("agree");
    QTest::newRow("clear scheme, kept") << "actionClearScheme" << false;
    QTest::newRow("clear scheme, abandoned") << "actionClearScheme" << true;
    QTest::newRow("delete the tool, kept") << "actionDeleteDevice" << false;
    QTest::newRow("delete the tool, abandoned") << "actionDeleteDevice" << true;
    QTest::newRow("open another scheme, kept") << "actionOpen" << false;
}

void tst_UnitActions::abandoningTransferAsks()
{
    QFETCH(QString, actionName);
    QFETCH(bool, agree);
    // A unit that enters its boot loader and then goes silent: the transfer stays under way.
    SimulatedBusHandler handler(m_dispatcher.get());
    auto unit = std::make_shared<SimulatedBootLoader>(0xA0);
    unit->setFault(SimulatedBootLoader::SilentFrom, 1);
    handler.bus()->addUnit(unit);
    QVERIFY(handler.start());
    action("actionAddFlasher")->trigger();
    auto *tool = qobject_cast<OffBoardDiagnosticDevice *>(
        m_window->catalogue()->getDevice(QByteArray("offboarddiagunit")));
    QVERIFY(tool && tool->flasher());
    CanFlashingFunctionV1 *flasher = tool->flasher();
    flasher->setTarget(0xA0);
    QVERIFY(flasher->setProgram(QByteArray(64, '\x5a'), QStringLiteral("test.prg")));
    flasher->slotStart();
    QTRY_VERIFY(flasher->isFlashing());
    m_window->asked.clear();
    m_window->confirm = agree;
    m_window->fileAnswer.clear();
    action(qPrintable(actionName))->trigger();
    QVERIFY2(m_window->asked.value(0).startsWith(
                 QLatin1String("Boot loading|The program of unit 0xa0 is being replaced")),
             qPrintable(m_window->asked.join(QLatin1Char('\n'))));
    QCOMPARE(m_window->schemeModel()->rowCount(), agree ? 0 : 1);
    if (!agree) {
        QCOMPARE(m_window->asked.size(), 1); // nothing else was asked, nothing else happened
        QVERIFY(flasher->isFlashing());
        flasher->slotStop();
    }
    // Nothing runs any more: no question.
    const int questions = m_window->asked.size();
    QVERIFY(m_window->confirmAbandonTransfers());
    QCOMPARE(m_window->asked.size(), questions);
    handler.stop();
}

QTEST_MAIN(tst_UnitActions)
#include "tst_unitactions.moc"
