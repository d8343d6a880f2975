#include "can/dispatchresult.h"
#include "can/tooladdress.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "devicetests/devicetest.h"
#include "devicetests/editors/devicetestdialog.h"
#include "devicetests/framtestsequence.h"
#include "devicetests/statetestactions.h"
#include "diagnostics/addressclaimfunction.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/memoryaccessfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/toolrequest.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "ui/cataloguebar.h"
#include "ui/unitactions.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"

#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <algorithm>

// The README's acceptance test and the unit context menu, followed on the demo bus through the
// window: Devices, the tool bar, the catalogue's and the tree's context menus, the test dialog
// and its report.
class tst_TestWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testFromDevices_data();
    void testFromDevices();
    void catalogueComesBack();
    void testFromTheTree();
    void runOnTheDemoBus();
    void unitMenuAppliesOrSaysWhy_data();
    void unitMenuAppliesOrSaysWhy();
    void memoryAccessFromTheUnit();
    void flashingFromTheUnit();
    void toolAddressChosenAndLost();

private:
    static bool chooseInDevices(DemoBusWindow &demo, const QString &name);
    static DeviceTestDialog *testDialog(DemoBusWindow &demo);
};

void tst_TestWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikTestWalkthrough"));
}

// Devices (Ctrl+B), then a click on the row of that name.
bool tst_TestWalkthrough::chooseInDevices(DemoBusWindow &demo, const QString &name)
{
    auto *view = demo.window()->findChild<QTableView *>(QStringLiteral("constructorView"));
    const QModelIndex cell = demo.catalogueRow(name);
    if (!demo.showDock("constructorWindow") || !cell.isValid())
        return false;
    view->scrollTo(cell);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
    return view->currentIndex().row() == cell.row();
}

DeviceTestDialog *tst_TestWalkthrough::testDialog(DemoBusWindow &demo)
{
    DeviceTestDialog *dialog = nullptr;
    DemoBusWindow::waitFor([&] {
        dialog = demo.window()->findChild<DeviceTestDialog *>();
        return dialog && dialog->isVisible();
    });
    return dialog;
}

void tst_TestWalkthrough::testFromDevices_data()
{
    QTest::addColumn<bool>("toolBar");
    QTest::addColumn<QString>("selectedBefore");
    QTest::newRow("tool bar, right after start") << true << QString();
    QTest::newRow("catalogue menu, right after start") << false << QString();
    QTest::newRow("tool bar, after a unit was selected") << true << QStringLiteral("Engine #1");
    QTest::newRow("catalogue menu, after the controller was selected")
        << false << QStringLiteral("Controller");
}

void tst_TestWalkthrough::testFromDevices()
{
    QFETCH(bool, toolBar);
    QFETCH(QString, selectedBefore);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    auto *units = demo.window()->findChild<QToolButton *>(QStringLiteral("showUnitsButton"));
    QVERIFY(units);
    if (!selectedBefore.isEmpty()) {
        demo.select(demo.row(selectedBefore));
        // The unit's function catalogue is shown, and says whose it is.
        auto *own = demo.window()->findChild<QToolButton *>(
            QStringLiteral("showItemCatalogueButton"));
        QVERIFY(!own->isHidden());
        QVERIFY(own->isChecked());
        QCOMPARE(own->text(), selectedBefore);
        QVERIFY(!chooseInDevices(demo, QStringLiteral("Controller")));
        QTest::mouseClick(units, Qt::LeftButton);
        QVERIFY(units->isChecked());
    }
    QVERIFY(chooseInDevices(demo, QStringLiteral("Controller")));
    QAction *test = demo.action("actionTest");
    QVERIFY(test->isEnabled());
    if (toolBar) {
        auto *bar = demo.window()->findChild<QToolBar *>(QStringLiteral("mainToolBar"));
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(test));
        QVERIFY(button && button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        QVERIFY(demo.window()
                    ->findChild<QTableView *>(QStringLiteral("constructorView"))
                    ->actions()
                    .contains(test));
        test->trigger();
    }
    DeviceTestDialog *dialog = testDialog(demo);
    QVERIFY(dialog);
    QCOMPARE(dialog->test()->device()->name(), QStringLiteral("Controller"));
    // The example scheme has all the test needs: nothing is reported missing.
    QCOMPARE(dialog->test()->unresolved(), QStringList());
    QVERIFY(!dialog->findChild<QLabel *>(QStringLiteral("statusLabel"))->text().contains(
        QStringLiteral("Not found")));
    dialog->reject();
}

void tst_TestWalkthrough::catalogueComesBack()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    DeviceConstructorModel *model = demo.window()->constructorModel();
    CanDeviceFactory *units = demo.window()->catalogue();
    QCOMPARE(model->factory(), units);
    auto *own = demo.window()->findChild<QToolButton *>(QStringLiteral("showItemCatalogueButton"));
    auto *unitsButton = demo.window()->findChild<QToolButton *>(QStringLiteral("showUnitsButton"));
    QVERIFY(unitsButton->isChecked());

    const QModelIndex engine = demo.row(QStringLiteral("Engine #1"));
    demo.select(engine);
    QVERIFY(model->factory() != units);
    QVERIFY(!own->isHidden());
    // "Units" brings the units back while the engine stays selected; the engine's own button
    // shows its functions again.
    QTest::mouseClick(unitsButton, Qt::LeftButton);
    QCOMPARE(model->factory(), units);
    QCOMPARE(demo.window()->mainView()->currentIndex().row(), engine.row());
    QTest::mouseClick(own, Qt::LeftButton);
    QVERIFY(model->factory() != units);
    QVERIFY(own->isChecked());
    // A function shows the catalogue of its unit, where it was added from.
    const QModelIndex function = demo.window()->schemeModel()->index(0, 0, engine);
    QVERIFY(function.isValid());
    demo.select(function);
    QCOMPARE(own->text(), QStringLiteral("Engine #1"));
    QVERIFY(model->factory() != units);
    // Nothing selected: the units.
    demo.window()->mainView()->selectionModel()->clearSelection();
    QCOMPARE(model->factory(), units);
    QVERIFY(unitsButton->isChecked());
}

void tst_TestWalkthrough::testFromTheTree()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QAction *test = demo.action("actionTest");
    QVERIFY(!test->isEnabled());
    demo.select(demo.row(QStringLiteral("Engine #1")));
    QVERIFY(!test->isEnabled());
    QVERIFY(!test->statusTip().isEmpty());
    // Device ▸ Test follows the unit selected in the tree, whatever Devices lists.
    demo.select(demo.row(QStringLiteral("Controller")));
    QVERIFY(test->isEnabled());
    QAction *unitTest = demo.treeAction("actionUnitTest");
    QVERIFY(unitTest && unitTest->isEnabled());
    unitTest->trigger();
    DeviceTestDialog *dialog = testDialog(demo);
    QVERIFY(dialog);
    QCOMPARE(dialog->test()->device()->name(), QStringLiteral("Controller"));
    // One test at a time: Test again brings it forward.
    test->trigger();
    QCOMPARE(demo.window()->findChildren<DeviceTestDialog *>().size(), 1);
    dialog->reject();
}

// The README's run: the tool stands in for the lower panel, the outputs' "Off, Ok" and "On, Ok"
// steps pass by themselves, faults and inputs are skipped, the FRAM steps read, write and read
// back the demo controller's L0, the joysticks are skipped; the report is saved where asked.
void tst_TestWalkthrough::runOnTheDemoBus()
{
    QTemporaryDir logs;
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"), logs.path());
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QVERIFY(chooseInDevices(demo, QStringLiteral("Controller")));
    demo.action("actionTest")->trigger();
    DeviceTestDialog *dialog = testDialog(demo);
    QVERIFY(dialog);
    DeviceTest *test = dialog->test();
    test->setRefreshInterval(10);
    auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    auto *skip = dialog->findChild<QPushButton *>(QStringLiteral("skipButton"));
    const QList<TestAction *> steps = test->tests();
    QCOMPARE(table->rowCount(), steps.size());
    auto resultOf = [table](int row) { return table->item(row, 1)->data(Qt::UserRole).toInt(); };
    auto iconOf = [table](int row) { return table->item(row, 1)->icon().pixmap(16).toImage(); };

    // Steps the demo cannot satisfy: the inputs, the provoked output faults, the power cut, the
    // engineer's joystick moves.
    auto mustSkip = [test](TestAction *step) {
        // An input step counts only while the rest of the state holds (its precondition).
        if (test->currentTestItem().precondition)
            return true;
        if (auto *clause = dynamic_cast<ListParameterTestClause *>(step))
            return clause->expected() > 1;
        if (auto *power = qobject_cast<PowerTestClause *>(step))
            return !power->isOn();
        return dynamic_cast<JoystickTestClause *>(step) != nullptr;
    };
    QList<int> skipped;
    int passedOutputs = 0;
    bool sawNeutral = false;
    bool sawSteadyInput = false;
    while (test->isRunning()) {
        const int index = test->currentIndex();
        if (index + 1 < steps.size() && !sawNeutral) {
            // Not run yet: no verdict, and a mark unlike every verdict's.
            QCOMPARE(resultOf(index + 1), int(DeviceTest::NotRun));
            QVERIFY(table->item(index + 1, 1)->text().isEmpty());
            sawNeutral = true;
        }
        if (test->currentTestItem().precondition) {
            // The tool holds the machine still: an input step passes for the state the input
            // rests in and otherwise waits for the engineer, never stalling on a mismatch.
            if (DemoBusWindow::waitFor([&] { return test->currentIndex() != index; }, 400)) {
                QCOMPARE(resultOf(index), int(DeviceTest::Passed));
                continue;
            }
            QCOMPARE(test->errorString(), QString());
            QVERIFY(!dialog->findChild<QLabel *>(QStringLiteral("iconLabel"))->isVisible());
            sawSteadyInput = true;
        }
        if (mustSkip(steps.at(index))) {
            skipped << index;
            QTest::mouseClick(skip, Qt::LeftButton);
            QCOMPARE(resultOf(index), int(DeviceTest::Skipped));
            continue;
        }
        QVERIFY2(DemoBusWindow::waitFor([&] { return test->currentIndex() != index; }, 4000),
                 qPrintable(QStringLiteral("stuck at %1: %2")
                                .arg(steps.at(index)->name(), test->errorString())));
        QCOMPARE(resultOf(index), int(DeviceTest::Passed));
        passedOutputs += dynamic_cast<ListParameterTestClause *>(steps.at(index)) != nullptr;
    }
    QCOMPARE(test->runState(), DeviceTest::Complete);
    // Every output's "Off, Ok" and "On, Ok" passed, the FRAM kept the written value, the
    // joysticks were reached.
    for (int i = 0; i < steps.size(); ++i) {
        QCOMPARE(test->records().at(i).result,
                 skipped.contains(i) ? DeviceTest::Skipped : DeviceTest::Passed);
    }
    QCOMPARE(passedOutputs, 10 * 2);
    QVERIFY(sawSteadyInput);
    QVERIFY(std::any_of(steps.cbegin(), steps.cend(),
                        [](TestAction *s) { return qobject_cast<WaitGetMatchTestAction *>(s); }));
    QVERIFY(dynamic_cast<JoystickTestClause *>(steps.last()));
    QVERIFY(iconOf(skipped.first()) != iconOf(0));

    // Save report… asks where, starting beside the parameter logs.
    QTemporaryDir reports;
    const QString chosen = reports.filePath(QStringLiteral("controller-report.csv"));
    QString startedIn;
    ModalAnswerer answer([&](QWidget *w) {
        auto *files = qobject_cast<QFileDialog *>(w);
        QVERIFY(files);
        startedIn = files->directory().absolutePath();
        ModalAnswerer::chooseFile(chosen)(w);
    });
    QVERIFY(DemoBusWindow::click(dialog, "saveReportButton"));
    QVERIFY(answer.answered());
    QCOMPARE(startedIn, QDir(logs.path()).absolutePath());
    QCOMPARE(dialog->savedReports(),
             QStringList({chosen, reports.filePath(QStringLiteral("controller-report.txt"))}));
    QFile csv(chosen);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(csv.readAll());
    QVERIFY(!content.contains(QStringLiteral("Not found")));
    QVERIFY(!content.contains(QStringLiteral(",Failed,")));
    QVERIFY(content.contains(QStringLiteral(",Skipped,")));
    QVERIFY(QDir(logs.path()).entryList(QDir::Files).isEmpty());
    QVERIFY(QDir(QDir::currentPath()).entryList({QStringLiteral("test-controller-*")}).isEmpty());

    // Finish puts the lower panel back as the scheme had it.
    QVERIFY(DemoBusWindow::click(dialog, "cancelButton"));
    AbstractDisplayableItem *panel
        = demo.window()->catalogue()->getDeviceByPath(QStringLiteral("control_panel_low"));
    // The state goes back in the bus thread.
    QTRY_COMPARE(panel->state(), int(AbstractDisplayableItem::ReceiveOk));
}

void tst_TestWalkthrough::unitMenuAppliesOrSaysWhy_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("flasherFirst");
    QTest::addColumn<QStringList>("enabled");
    const QStringList services{"actionUnitMemoryAccess", "actionUnitFlashing",
                               "actionUnitIdentification", "actionUnitTroubleCodes"};
    QTest::newRow("controller") << "Controller" << false
                                << (QStringList("actionUnitTest") + services);
    QTest::newRow("engine: no test") << "Engine #1" << false << services;
    QTest::newRow("a function's row") << "ControllerIOState" << false << QStringList();
    QTest::newRow("the tool unit added first: every service through it")
        << "Controller" << true << (QStringList("actionUnitTest") + services);
    QTest::newRow("the tool itself") << "Off-board diagnostic unit" << true << QStringList();
    QTest::newRow("no row") << QString() << false << QStringList();
}

void tst_TestWalkthrough::unitMenuAppliesOrSaysWhy()
{
    QFETCH(QString, row);
    QFETCH(bool, flasherFirst);
    QFETCH(QStringList, enabled);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    if (flasherFirst)
        demo.action("actionAddFlasher")->trigger();
    // A function is found by its object name among the controller's.
    QModelIndex index = row.isEmpty() ? QModelIndex() : demo.row(row);
    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    for (int r = 0; !row.isEmpty() && !index.isValid()
                    && r < demo.window()->schemeModel()->rowCount(controller);
         ++r) {
        const QModelIndex child = demo.window()->schemeModel()->index(r, 0, controller);
        if (demo.item(child)->objectName() == row)
            index = child;
    }
    QCOMPARE(index.isValid(), !row.isEmpty());
    if (index.isValid())
        demo.select(index);
    else
        demo.window()->mainView()->setCurrentIndex(QModelIndex());
    for (const char *name : {"actionUnitTest", "actionUnitMemoryAccess", "actionUnitFlashing",
                             "actionUnitIdentification", "actionUnitTroubleCodes"}) {
        QAction *a = demo.treeAction(name);
        QVERIFY2(a, name);
        const bool applies = enabled.contains(QLatin1String(name));
        QCOMPARE(a->isEnabled(), applies);
        // Where it does not apply, it says why.
        QCOMPARE(a->statusTip().isEmpty(), applies);
    }
}

void tst_TestWalkthrough::memoryAccessFromTheUnit()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    for (int round = 0; round < 2; ++round) {
        demo.select(demo.row(QStringLiteral("Controller")));
        demo.treeAction("actionUnitMemoryAccess")->trigger();
        // The tool unit itself, the flasher's, hears the answers in any state.
        AbstractDisplayableItem *tool = demo.window()->unitActions()->toolUnit();
        QVERIFY(qobject_cast<OffBoardDiagnosticDevice *>(tool));
        QCOMPARE(tool, demo.toolUnit());
        // The function's Details are open: its row is current.
        AbstractSchemeTreeItem *node
            = demo.window()->schemeModel()->item(demo.window()->mainView()->currentIndex());
        auto *function = qobject_cast<MemoryAccessFunction *>(demo.currentItem());
        QVERIFY(node && function);
        QCOMPARE(function->parentItem(), tool);
        QCOMPARE(function->target(), 0xA0);
        QVERIFY(demo.window()->findChild<QDockWidget *>(QStringLiteral("detailsWindow"))
                    ->windowTitle()
                    .contains(node->uniqueName()));
        // The second time the tool unit and its function are reused.
        QCOMPARE(tool->findChildren<MemoryAccessFunction *>().size(), 1);
    }
    QCOMPARE(demo.unitsAtToolAddress(), 1);
}

void tst_TestWalkthrough::flashingFromTheUnit()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QVERIFY(!demo.toolUnit());
    demo.select(demo.row(QStringLiteral("Engine #1")));
    demo.treeAction("actionUnitFlashing")->trigger();
    OffBoardDiagnosticDevice *tool = demo.toolUnit();
    QVERIFY(tool);
    QCOMPARE(tool->flasher()->target(), 0x00);
    demo.select(demo.row(QStringLiteral("Controller")));
    demo.treeAction("actionUnitFlashing")->trigger();
    QCOMPARE(tool->flasher()->target(), 0xA0);
    QCOMPARE(demo.currentItem(), tool->flasher());
    QVERIFY(demo.window()->findChild<QDockWidget *>(QStringLiteral("detailsWindow"))->isVisible());
}

void tst_TestWalkthrough::toolAddressChosenAndLost()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    // Options ▸ Tool Address…: fa.
    demo.window()->intAnswer = 0xFA;
    demo.action("actionToolAddress")->trigger();
    demo.action("actionAddFlasher")->trigger();
    OffBoardDiagnosticDevice *tool = demo.toolUnit();
    QVERIFY(tool);
    QTRY_COMPARE(tool->address().value, 0xFAu);
    QTRY_COMPARE(tool->claimText(), QStringLiteral("Address 0xfa claimed"));
    // A telematics unit claims 0xfa with a NAME of higher priority: the tool gives way, to the
    // other address of the tools' range, and the window says so.
    const CanMessage claim = AddressClaimFunction::claimFrame(0x0000123400A5F00Dull, 0xFA);
    DeviceDispatcher *dispatcher = demo.dispatcher();
    QMetaObject::invokeMethod(
        dispatcher,
        [dispatcher, claim] {
            DispatchResult r(DispatchResult::Received, 0);
            dispatcher->dispatchMessage(claim, &r);
        },
        Qt::BlockingQueuedConnection);
    QTRY_COMPARE(tool->address().value, 0xF9u);
    QTRY_VERIFY(!demo.window()->statusBar()->currentMessage().isEmpty()
                && demo.window()->statusBar()->currentMessage().contains(QLatin1String("lost")));
    const QString said = demo.window()->statusBar()->currentMessage();
    QVERIFY2(said.startsWith(QLatin1String("Address 0xfa lost to a unit of higher priority")),
             qPrintable(said));
    QVERIFY2(said.endsWith(QLatin1String("the tool moved to 0xf9")), qPrintable(said));
    // Requests leave from 0xf9 now; 0xfa is never sent from again.
    QCOMPARE(demo.window()->toolAddress().current(), quint8(0xF9));
    QVERIFY(!demo.window()->toolAddress().maySend(ToolRequest::frame(0xFECA, 0xFF, 0xFA)));
    // Back to the default for the tests that follow.
    demo.window()->intAnswer = 0xF9;
    demo.action("actionToolAddress")->trigger();
    QCOMPARE(QSettings().value(QStringLiteral("Misc/ToolAddress")).toUInt(), 0xF9u);
    QVERIFY(demo.window()->toolAddress().maySend(ToolRequest::frame(0xFECA, 0xFF, 0xFA)));
}

QTEST_MAIN(tst_TestWalkthrough)
#include "tst_testwalkthrough.moc"
