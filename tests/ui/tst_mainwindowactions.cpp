#include "can/guimessagenotifier.h"
#include "can/recordingreader.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"
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
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include <memory>


namespace {

QStringList menuActions(QMenuBar *bar, const QString &title)
{
    for (QAction *m : bar->actions()) {
        if (m->text() != title || !m->menu())
            continue;
        QStringList names;
        for (QAction *a : m->menu()->actions())
            names << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
        return names;
    }
    return {};
}

AbstractCanHandler::MessagePack pack(std::initializer_list<QPair<CanMessage, qint64>> frames,
                                     DispatchResult::Status status = DispatchResult::Received)
{
    AbstractCanHandler::MessagePack out;
    for (const auto &f : frames)
        out.append({f.first, DispatchResult(status, f.second)});
    return out;
}

} // namespace

class tst_MainWindowActions : public WindowTestCase
{
    Q_OBJECT

public:
    tst_MainWindowActions()
        : WindowTestCase(QStringLiteral("TarvikMainWindowActionsTest"))
    {}

private slots:
    void actions_data();
    void actions();
    void menusAndToolBar();
    void windowsMenuShortcuts_data();
    void windowsMenuShortcuts();
    void contextMenus();
    void settingsRoundTrip();
    void initialStateIsForOneItem_data();
    void answerToARequestIsEventDriven_data();
    void answerToARequestIsEventDriven();
    void initialStateIsForOneItem();
    void otherUiVersionRestoresNothing();
    void notifierInterval_data();
    void notifierInterval();
    void rawSelectionStatusText();
    void periodDialogStartsAtThePeriodKept_data();
    void periodDialogStartsAtThePeriodKept();
    void detailsDocks();
    void detailsPanelFollowsCurrentRow();
    void filterMarksAndStates();
    void saveLogFormats_data();
    void saveLogFormats();
    void saveLogFailureIsShown();

};

void tst_MainWindowActions::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("checkable");
    const struct
    {
        const char *name, *text, *shortcut;
        bool checkable;
    } rows[] = {
        {"actionOpen", "Open…", "Ctrl+O", false},
        {"actionSave", "Save", "Ctrl+S", false},
        {"actionSaveAs", "Save As…", "Ctrl+Shift+S", false},
        {"actionExit", "Exit", "Ctrl+Q", false},
        {"actionAutoAdd", "Auto add", "Ctrl+G", true},
        {"actionConnectionTimeouts", "Connection Options…", "", false},
        {"actionToolAddress", "Tool Address…", "", false},
        {"actionParameter_Log_Period", "Parameter Log Period…", "", false},
        {"actionParameter_Log_Directory", "Parameter Log Directory…", "", false},
        {"actionLiveParameterLog", "Live Parameter Log", "", true},
        {"actionDetails", "Details", "", false},
        {"actionFilterOn", "Filter On", "", false},
        {"actionFilterOff", "Filter Off", "", false},
        {"actionSetTransmissionInterval", "Period…", "", false},
        {"actionRename", "Rename…", "", false},
        {"actionTest", "Test", "", false},
        {"actionDeleteDevice", "Delete", "", false},
        {"actionClearScheme", "Clear Scheme", "", false},
        {"actionSend", "Send", "", false},
        {"actionReceive", "Receive", "", false},
        {"actionAddFlasher", "Add flasher", "Ctrl+Shift+T", false},
        {"actionRawEnable", "Raw enable", "Ctrl+Shift+R", true},
        {"actionRawClear", "Raw clear", "Ctrl+Shift+E", false},
        {"actionSaveLog", "Save log", "", false},
        {"actionStartParameterLog", "Start Parameter Log", "", true},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.name << r.text << r.shortcut << r.checkable;
}

void tst_MainWindowActions::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(bool, checkable);
    QAction *a = action(qPrintable(name));
    QVERIFY(a);
    QCOMPARE(a->text(), text);
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
    QCOMPARE(a->isCheckable(), checkable);
}

void tst_MainWindowActions::menusAndToolBar()
{
    QMenuBar *bar = m_window->menuBar();
    QStringList titles;
    for (QAction *m : bar->actions())
        titles << m->text();
    QCOMPARE(titles, (QStringList{"File", "Options", "Windows", "Device", "Bus check"}));
    QCOMPARE(menuActions(bar, QStringLiteral("Bus check")),
             (QStringList{"actionBusCheckLearn", "actionBusCheckRun", "actionBusCheckSaveReport",
                          "|", "actionBusCheckDock"}));
    QCOMPARE(menuActions(bar, QStringLiteral("File")),
             (QStringList{"actionOpen", "actionSave", "actionSaveAs", "menuRecentSchemes", "|",
                          "actionNewServiceJob", "actionOpenServiceJob", "actionFinishServiceJob",
                          "|", "actionAddBus", "actionRemoveBus", "actionOpenRecording",
                          "actionOpenParameterLog", "|", "actionExit"}));
    QCOMPARE(menuActions(bar, QStringLiteral("Options")),
             (QStringList{"actionAutoAdd", "actionDatabases", "actionConnectionTimeouts",
                          "actionToolAddress", "actionParameter_Log_Period",
                          "actionParameter_Log_Directory", "actionLiveParameterLog",
                          "actionPlotWindow", "menuLanguage"}));
    const QStringList device = menuActions(bar, QStringLiteral("Device"));
    const int flasher = int(device.indexOf(QStringLiteral("actionAddFlasher")));
    QVERIFY(flasher > 0);
    QCOMPARE(device.at(flasher - 1), QStringLiteral("|"));
    // DM13 for a quiet bus last, apart.
    QCOMPARE(device.mid(flasher + 1),
             (QStringList{"|", "actionSuspendBroadcasts", "actionResumeBroadcasts"}));
    for (const char *name : {"actionDetails", "actionPlot", "actionFilterOn", "actionFilterOff",
                             "actionSetTransmissionInterval", "actionRename", "actionTest",
                             "actionDeleteDevice", "actionClearScheme", "actionSend", "actionReceive"})
        QVERIFY2(device.contains(QLatin1String(name)), name);

    auto *toolBar = m_window->findChild<QToolBar *>(QStringLiteral("mainToolBar"));
    QVERIFY(toolBar);
    QCOMPARE(toolBar->windowTitle(), QStringLiteral("Toolbar"));
    QStringList order;
    for (QAction *a : toolBar->actions())
        order << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    QCOMPARE(order, (QStringList{"actionRawEnable", "actionRawClear", "actionSaveLog",
                                 "actionStartParameterLog", "|", "actionAutoAdd", "actionTest"}));
    for (const char *name : {"actionRawEnable", "actionRawClear", "actionSaveLog",
                             "actionStartParameterLog", "actionAutoAdd", "actionTest"})
        QVERIFY2(!action(name)->icon().isNull(), name);
    QVERIFY(!action("actionTest")->isEnabled());
}

void tst_MainWindowActions::windowsMenuShortcuts_data()
{
    QTest::addColumn<QString>("dock");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("toggles"); // or only brings the dock up
    QTest::newRow("filters") << "FilterDockWidget" << "Ctrl+F" << true;
    QTest::newRow("details") << "detailsWindow" << "Ctrl+D" << false;
    QTest::newRow("raw data") << "rawDataWindow" << "Ctrl+R" << true;
    QTest::newRow("devices") << "constructorWindow" << "Ctrl+B" << true;
}

void tst_MainWindowActions::windowsMenuShortcuts()
{
    QFETCH(QString, dock);
    QFETCH(QString, shortcut);
    QFETCH(bool, toggles);
    auto *d = m_window->findChild<QDockWidget *>(dock);
    QVERIFY(d);
    bool listed = false;
    for (QAction *m : m_window->menuBar()->actions()) {
        if (m->text() == QLatin1String("Windows"))
            listed = m->menu()->actions().contains(d->toggleViewAction());
    }
    QVERIFY(listed);
    // Pressed twice: a toggle shows and hides its dock; Details stays up.
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    d->hide();
    QTest::keySequence(m_window.get(), QKeySequence(shortcut));
    QVERIFY(d->isVisible());
    QTest::keySequence(m_window.get(), QKeySequence(shortcut));
    QCOMPARE(d->isVisible(), !toggles);
}

void tst_MainWindowActions::contextMenus()
{
    QStringList scheme;
    for (QAction *a : m_window->mainView()->actions())
        scheme << a->objectName();
    // The unit's service functions follow a separator.
    QCOMPARE(scheme, (QStringList{"actionDetails", "actionPlot", "actionFilterOn",
                                  "actionFilterOff", "actionSetTransmissionInterval",
                                  "actionRename", "actionDeleteDevice", "actionSend",
                                  "actionReceive", "", "actionUnitTest",
                                  "actionUnitMemoryAccess", "actionUnitFlashing",
                                  "actionUnitIdentification", "actionUnitTroubleCodes",
                                  "actionUnitFreezeFrames",
                                  "actionUnitClearCodes"}));
    auto *constructor = m_window->findChild<QTableView *>(QStringLiteral("constructorView"));
    QCOMPARE(constructor->actions(), QList<QAction *>{action("actionTest")});
    auto *raw = m_window->findChild<QTableView *>(QStringLiteral("rawDataView"));
    QCOMPARE(raw->actions().size(), 6);
    QVERIFY(raw->actions().at(2)->isSeparator());
    QCOMPARE(raw->actions().at(3)->objectName(), QStringLiteral("actionRawFollow"));
    QCOMPARE(raw->actions().at(4)->objectName(), QStringLiteral("actionRawDecode"));
    // The bus filter shows once the window has several buses.
    QCOMPARE(raw->actions().at(5)->objectName(), QStringLiteral("actionRawBusFilter"));
    QVERIFY(!raw->actions().at(5)->isVisible());
    QCOMPARE(raw->font().family(), QStringLiteral("DejaVu Sans Mono"));
}

void tst_MainWindowActions::settingsRoundTrip()
{
    action("actionRawEnable")->setChecked(false);
    action("actionAutoAdd")->setChecked(true);
    m_window->findChild<QRadioButton *>(QStringLiteral("addModeSendButton"))->setChecked(true);
    m_window->findChild<QGroupBox *>(QStringLiteral("idFilterGroupBox"))->setChecked(true);
    m_window.reset(); // saves
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("WindowState/UiVersion")).toInt(), 4);
    // "Initial state" is chosen for one item: it is not kept for the next session.
    QVERIFY(!settings.contains(QStringLiteral("Misc/DefaultState")));
    QVERIFY(settings.contains(QStringLiteral("WindowState/deviceViewHeader")));

    m_window = std::make_unique<ScriptedMainWindow>();

    m_window->setDispatcher(m_dispatcher.get());
    QVERIFY(!action("actionRawEnable")->isChecked());
    QVERIFY(!m_window->rawDataModel()->isFlowEnabled());
    QVERIFY(action("actionAutoAdd")->isChecked());
    QVERIFY(
        m_window->findChild<QRadioButton *>(QStringLiteral("addModeReceiveButton"))->isChecked());
    QVERIFY(m_window->findChild<QGroupBox *>(QStringLiteral("idFilterGroupBox"))->isChecked());
    QCOMPARE(QSettings().value(QStringLiteral("Filters/IdFilter/Enabled")).toBool(), true);
}

void tst_MainWindowActions::initialStateIsForOneItem_data()
{
    QTest::addColumn<QString>("unitState"); // "traffic": made by Auto add; else the button
    QTest::addColumn<QString>("functionButton");
    QTest::addColumn<int>("functionState");
    const int send = AbstractDisplayableItem::Send;
    const int observed = AbstractDisplayableItem::ReceiveOk;
    QTest::newRow("Send for the Stub, its function sends") << "addModeSendButton"
                                                           << "" << send;
    QTest::newRow("Send for the Stub, the next Stub observed") << "addModeSendButton"
                                                               << "next unit" << observed;
    QTest::newRow("Send under an observed unit: observed") << "traffic"
                                                           << "addModeSendButton" << observed;
    QTest::newRow("Auto under an observed unit: observed") << "traffic"
                                                           << "addModeAutoButton" << observed;
    QTest::newRow("Receive under a Stub that sends: sends") << "addModeSendButton"
                                                            << "addModeReceiveButton" << send;
}

void tst_MainWindowActions::initialStateIsForOneItem()
{
    QFETCH(QString, unitState);
    QFETCH(QString, functionButton);
    QFETCH(int, functionState);
    GuiMessageNotifier notifier;
    m_window->attachBus(nullptr, &notifier);
    auto *view = m_window->findChild<QTableView *>(QStringLiteral("constructorView"));
    auto choose = [&](const QString &button) {
        if (auto *radio = m_window->findChild<QRadioButton *>(button))
            radio->click();
    };
    // Double-clicks the catalogue row of that name; the item added.
    auto add = [&](const QString &name) -> AbstractDisplayableItem * {
        const int before = m_dispatcher->devices().size();
        const QAbstractItemModel *model = view->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->index(r, 1).data().toString() != name)
                continue;
            AbstractSchemeTreeItem *current
                = m_window->schemeModel()->item(m_window->mainView()->currentIndex());
            const int children = current ? current->displayable()->children().size() : 0;
            emit view->activated(model->index(r, 1));
            if (current)
                return current->displayable()->children().size() > children
                           ? current->displayable()->children().last()
                           : nullptr;
            return m_dispatcher->devices().size() > before ? m_dispatcher->devices().last()
                                                           : nullptr;
        }
        return nullptr;
    };
    AbstractDisplayableItem *unit = nullptr;
    if (unitState == QLatin1String("traffic")) {
        action("actionAutoAdd")->setChecked(true);
        emit notifier.notifyPack(pack({{makeFrame(0x18FEF133, {1}), 5}}));
        QCOMPARE(m_window->schemeModel()->rowCount(), 1);
        unit = m_window->schemeModel()->topLevelItems().at(0)->displayable();
    } else {
        choose(unitState);
        m_window->intAnswer = 0x42;
        unit = add(QStringLiteral("Stub"));
    }
    QVERIFY(unit);
    // Whatever was chosen, the next choice starts at Receive.
    QVERIFY(
        m_window->findChild<QRadioButton *>(QStringLiteral("addModeReceiveButton"))->isChecked());
    AbstractDisplayableItem *added = nullptr;
    if (functionButton == QLatin1String("next unit")) {
        m_window->mainView()->setCurrentIndex(QModelIndex());
        m_window->mainView()->clearSelection();
        m_window->intAnswer = 0x43;
        added = add(QStringLiteral("Stub"));
    } else {
        m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(unit->treeItem(), 1));
        QTRY_COMPARE(
            static_cast<void *>(qobject_cast<DeviceConstructorModel *>(view->model())->factory()),
            static_cast<void *>(unit->subFactory()));
        choose(functionButton);
        added = add(QStringLiteral("EEC1 - Electronic Engine Controller 1"));
        QVERIFY(added);
        QCOMPARE(added->parentItem(), unit);
    }
    QVERIFY(added);
    // A unit's own state: a Stub has no functions to add one up from.
    QCOMPARE(added->ownState(), functionState);
}

void tst_MainWindowActions::answerToARequestIsEventDriven_data()
{
    QTest::addColumn<quint32>("requestId"); // 0: no request
    QTest::addColumn<bool>("sentByUs");
    QTest::addColumn<qint64>("answerAfterMs");
    QTest::addColumn<bool>("eventDriven");
    QTest::newRow("DM1 answering the inventory's global request")
        << 0x18EAFFF9u << true << qint64(40) << true;
    QTest::newRow("DM1 answering another tool's request to the unit")
        << 0x18EA33F1u << false << qint64(200) << true;
    QTest::newRow("DM1 long after the request") << 0x18EAFFF9u << true << qint64(5000) << false;
    QTest::newRow("DM1 unasked") << 0u << false << qint64(40) << false;
}

void tst_MainWindowActions::answerToARequestIsEventDriven()
{
    QFETCH(quint32, requestId);
    QFETCH(bool, sentByUs);
    QFETCH(qint64, answerAfterMs);
    QFETCH(bool, eventDriven);
    GuiMessageNotifier notifier;
    m_window->attachBus(nullptr, &notifier);
    action("actionAutoAdd")->setChecked(true);
    emit notifier.notifyPack(pack({{makeFrame(0x18FEF133, {1}), 5}}));
    QCOMPARE(m_window->schemeModel()->rowCount(), 1);
    AbstractDisplayableItem *unit = m_window->schemeModel()->topLevelItems().at(0)->displayable();
    const int functions = unit->children().size();
    AbstractCanHandler::MessagePack frames;
    const qint64 requestAt = 1000;
    if (requestId)
        frames.append(
            {makeFrame(requestId, {0xCA, 0xFE, 0x00}),
             DispatchResult(sentByUs ? DispatchResult::Dispatched : DispatchResult::Received,
                            requestAt)});
    // The unit's answer: no function of the unit took it yet.
    DispatchResult answer(DispatchResult::Received, requestAt + answerAfterMs);
    answer.item = unit;
    frames.append({makeFrame(0x18FECA33, {0x00, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF}), answer});
    emit notifier.notifyPack(frames);
    QCOMPARE(unit->children().size(), functions + 1);
    AbstractDisplayableItem *dm1 = unit->children().last();
    QCOMPARE(dm1->address().value, 0xFECAu);
    // An event-driven function is watched for activity only: no period, never late.
    QCOMPARE(!(dm1->deviceType() & AbstractDisplayableItem::Continuous), eventDriven);
    QCOMPARE(dm1->isLearningPeriod(), !eventDriven);
    QCOMPARE(dm1->state(), int(AbstractDisplayableItem::ReceiveOk));
}

void tst_MainWindowActions::otherUiVersionRestoresNothing()
{
    m_window.reset();
    QSettings settings;
    settings.setValue(QStringLiteral("WindowState/UiVersion"), 3);
    settings.setValue(QStringLiteral("RawState/Enabled"), false);
    settings.setValue(QStringLiteral("Misc/AutoAdd"), true);
    settings.setValue(QStringLiteral("ConnectionTiming/WindowSize"), 9);
    settings.sync();
    const TestEnvironment::DeveloperMessages heard;
    QTest::ignoreMessage(QtDebugMsg, "UiVersion changed from 3 to 4, won't restore ui state");
    m_window = std::make_unique<ScriptedMainWindow>();
    m_window->setDispatcher(m_dispatcher.get());
    QVERIFY(action("actionRawEnable")->isChecked());
    QVERIFY(!action("actionAutoAdd")->isChecked());
    QCOMPARE(m_dispatcher->transportTiming().windowSize, TPConnection::defaultTiming().windowSize);
}

void tst_MainWindowActions::notifierInterval_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("applied");
    QTest::newRow("0 ignored") << 0 << 50;
    QTest::newRow("101 ignored") << 101 << 50;
    QTest::newRow("100 applied") << 100 << 100;
    QTest::newRow("1 applied") << 1 << 1;
}

void tst_MainWindowActions::notifierInterval()
{
    QFETCH(int, stored);
    QFETCH(int, applied);
    m_window.reset();
    QSettings settings;
    settings.setValue(QStringLiteral("WindowState/UiVersion"), 4);
    settings.setValue(QStringLiteral("Misc/GuiMessageNotifierInterval"), stored);
    settings.sync();
    GuiMessageNotifier notifier;
    const TestEnvironment::DeveloperMessages heard;
    if (stored == applied)
        QTest::ignoreMessage(QtDebugMsg,
                             qPrintable(QStringLiteral("Adjusting GuiMessageNotifierInterval to %1")
                                            .arg(stored)));
    m_window = std::make_unique<ScriptedMainWindow>();
    m_window->setDispatcher(m_dispatcher.get());
    // The window applies the interval to the notifier of the bus it is attached to.
    m_window->attachBus(nullptr, &notifier);
    QCOMPARE(notifier.notifyInterval(), applied);
}

void tst_MainWindowActions::rawSelectionStatusText()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    GuiMessageNotifier notifier;
    m_window->attachBus(nullptr, &notifier);
    emit notifier.notifyPack(pack({{makeFrame(0x100, {}, false), 10},
                                   {makeFrame(0x101, {}, false), 25},
                                   {makeFrame(0x102, {}, false), 40},
                                   {makeFrame(0x103, {}, false), 90}}));
    auto *view = m_window->findChild<QTableView *>(QStringLiteral("rawDataView"));
    QCOMPARE(view->model()->rowCount(), 4);
    // Rows are newest first: timings 90, 40, 25, 10.
    view->selectionModel()->select(view->model()->index(3, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(m_window->statusBar()->currentMessage(), QString());
    view->selectionModel()->select(view->model()->index(1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->selectionModel()->select(view->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("3 messages, interval 30 ms"));
    view->clearSelection();
    QCOMPARE(m_window->statusBar()->currentMessage(), QString());
}

void tst_MainWindowActions::periodDialogStartsAtThePeriodKept_data()
{
    // Periods of a unit's functions (-1: a function watched only for activity), the period the
    // dialog starts at, and whether the unit's functions take the answer.
    QTest::addColumn<QList<int>>("functions");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("unit");
    QTest::addColumn<bool>("selectFunction");
    QTest::newRow("one period for all") << QList<int>{100, 100} << 100 << true << false;
    QTest::newRow("the period most keep") << QList<int>{50, 200, 200} << 200 << true << false;
    QTest::newRow("a tie: the shorter") << QList<int>{500, 100} << 100 << true << false;
    QTest::newRow("functions without a period") << QList<int>{0, 0} << 0 << true << false;
    QTest::newRow("no periodic function: the unit's own") << QList<int>{-1} << 0 << false << false;
    QTest::newRow("a function watched for activity becomes periodic")
        << QList<int>{-1} << 0 << false << true;
}

void tst_MainWindowActions::periodDialogStartsAtThePeriodKept()
{
    QFETCH(QList<int>, functions);
    QFETCH(int, shown);
    QFETCH(bool, unit);
    QFETCH(bool, selectFunction);
    auto *device = new J1939Device(0x23);
    m_window->addDisplayable(device);
    QList<AbstractDisplayableItem *> children;
    for (int i = 0; i < functions.size(); ++i) {
        auto *f = new BindingFunction(0xFF, quint8(i), device);
        if (functions.at(i) >= 0)
            f->setDeviceType(AbstractDisplayableItem::Continuous, functions.at(i));
        else
            f->setDeviceType(AbstractDisplayableItem::Spontaneous, 5000);
        m_window->addDisplayable(f);
        children << f;
    }
    AbstractDisplayableItem *selected = selectFunction ? children.first() : device;
    m_window->mainView()->setCurrentIndex(
        m_window->schemeModel()->index(selected->existingTreeItem(), 1));
    m_window->intAnswer = 250;
    action("actionSetTransmissionInterval")->trigger();
    const QStringList asked = m_window->asked.last().split(QLatin1Char('|'));
    QCOMPARE(asked.value(2).toInt(), shown);
    QCOMPARE(asked.value(3).toInt(), 0);
    if (selectFunction) {
        QCOMPARE(selected->transmissionInterval(), 250);
        QCOMPARE(m_window->schemeModel()->index(selected->existingTreeItem(), 4).data().toInt(), 250);
        return;
    }
    for (int i = 0; i < children.size(); ++i) {
        const bool takes = unit && functions.at(i) >= 0;
        QCOMPARE(children.at(i)->transmissionInterval(), takes ? 250 : functions.at(i) >= 0 ? functions.at(i) : 5000);
        // The Period column shows what the function keeps.
        if (takes)
            QCOMPARE(m_window->schemeModel()->index(children.at(i)->existingTreeItem(), 4).data().toInt(), 250);
    }
    QCOMPARE(device->transmissionInterval(), unit ? -1 : 250);
}

void tst_MainWindowActions::detailsDocks()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto owned = deviceWithParameters(0x22, 2);
    J1939Device *device = owned.release();
    m_window->addDisplayable(device);
    AbstractSchemeTreeItem *node = device->existingTreeItem();
    QVERIFY(!m_window->getDetailsWidgetForPath(QStringLiteral("nothing")));
    QDockWidget *first = m_window->getDetailsWidgetForPath(node->uniqueKey());
    QVERIFY(first);
    QCOMPARE(first->objectName(), node->uniqueKey() + QStringLiteral("DetailsDockWidget"));
    QCOMPARE(first->windowTitle(), node->uniqueName());
    QCOMPARE(m_window->dockWidgetArea(first), Qt::LeftDockWidgetArea);
    m_window->addDockWidget(Qt::RightDockWidgetArea, first);
    m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(node, 1));
    action("actionDetails")->trigger();
    const auto docks = m_window->findChildren<QDockWidget *>(QRegularExpression(QStringLiteral("DetailsDockWidget$")));
    QCOMPARE(docks.size(), 2);
    // A new dock goes where the last one is.
    QCOMPARE(m_window->lastDetailsDockArea(), Qt::RightDockWidgetArea);
    m_window.reset();
    QCOMPARE(QSettings().value(QStringLiteral("Misc/LastDetailsArea")).toInt(), int(Qt::RightDockWidgetArea));
    m_window = std::make_unique<ScriptedMainWindow>();
    m_window->setDispatcher(m_dispatcher.get());
    QCOMPARE(m_window->lastDetailsDockArea(), Qt::RightDockWidgetArea);
}

void tst_MainWindowActions::detailsPanelFollowsCurrentRow()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    J1939Device *a = deviceWithParameters(0x23, 2).release();
    J1939Device *b = deviceWithParameters(0x24, 3).release();
    m_window->addDisplayable(a);
    m_window->addDisplayable(b);
    auto *panel = m_window->findChild<QScrollArea *>(QStringLiteral("detailsScrollArea"));
    QVERIFY(panel);
    m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(a->existingTreeItem(), 1));
    QPointer<QWidget> editorA = a->existingTreeItem()->getWidget();
    QVERIFY(editorA->isVisible());
    QVERIFY(panel->widget()->isAncestorOf(editorA));
    // Another row: the first editor leaves the panel but lives on with its node.
    m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(b->existingTreeItem(), 1));
    QVERIFY(editorA);
    QVERIFY(!panel->widget()->isAncestorOf(editorA));
    QVERIFY(panel->widget()->isAncestorOf(b->existingTreeItem()->getWidget()));
    // Deleting the shown item takes its editor away.
    QPointer<QWidget> editorB = b->existingTreeItem()->getWidget();
    m_window->mainView()->setFocus();
    QTest::keyClick(m_window->mainView(), Qt::Key_Delete);
    QVERIFY(!editorB);
    QCOMPARE(m_window->schemeModel()->rowCount(), 1);
    // A form with long labels widens the panel instead of hiding its fields behind a scroll bar.
    m_window->resize(1400, 800);
    J1939Device *wide = deviceWithParameters(0x25, 1).release();
    wide->parameters().first()->setName(QString(20, QLatin1Char('W')));
    m_window->addDisplayable(wide);
    auto *dock = m_window->findChild<QDockWidget *>(QStringLiteral("detailsWindow"));
    const int before = dock->width();
    m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(wide->existingTreeItem(), 1));
    QTRY_VERIFY(dock->width() > before);
    QTRY_COMPARE(panel->horizontalScrollBar()->maximum(), 0);
}

void tst_MainWindowActions::filterMarksAndStates()
{
    auto a = deviceWithParameters(0x30, 1);
    auto b = deviceWithParameters(0x31, 1);
    J1939Device *ra = a.get();
    J1939Device *rb = b.get();
    m_window->addDisplayable(a.release());
    m_window->addDisplayable(b.release());
    QItemSelectionModel *selection = m_window->mainView()->selectionModel();
    selection->select(m_window->schemeModel()->index(0, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(m_window->schemeModel()->index(1, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    action("actionFilterOn")->trigger();
    QVERIFY(ra->isFiltered() && rb->isFiltered());
    selection->select(m_window->schemeModel()->index(1, 0),
                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    action("actionFilterOff")->trigger();
    QVERIFY(!ra->isFiltered());
    QVERIFY(rb->isFiltered());
    m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(1, 1));
    action("actionSend")->trigger();
    QCOMPARE(rb->AbstractDisplayableItem::state(), int(AbstractDisplayableItem::Send));
    action("actionReceive")->trigger();
    QCOMPARE(rb->AbstractDisplayableItem::state(), int(AbstractDisplayableItem::ReceiveOk));
    action("actionClearScheme")->trigger();
    QCOMPARE(m_window->schemeModel()->rowCount(), 0);
}

void tst_MainWindowActions::saveLogFormats_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter"); // the type chosen in the dialog
    QTest::addColumn<QString>("firstLine"); // of a text log; empty for a recording
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<bool>("cancel"); // Cancel pressed while it saves: the old file stays
    const char *text = "0 I 6 fef100 01 02 \t10\t";
    const struct
    {
        const char *row, *name, *filter, *firstLine, *savedAs;
        bool cancel;
    } rows[] = {
        {"raw view text", "raw.txt", "", text, "raw.txt", false},
        {"candump by extension", "raw.log", "", "can0 18FEF100#0102", "raw.log", false},
        {"no extension: the text type's", "raw", "", text, "raw.txt", false},
        {"ASC by extension", "raw.asc", "", "", "raw.asc", false},
        {"TRC by extension", "raw.trc", "", "", "raw.trc", false},
        {"BLF by extension", "raw.blf", "", "", "raw.blf", false},
        {"pcapng by extension", "raw.pcapng", "", "", "raw.pcapng", false},
        {"BLF chosen, extension added", "chosen", "Vector BLF log (*.blf)", "", "chosen.blf",
         false},
        {"pcapng chosen, extension added", "chosen", "pcapng for Wireshark (*.pcapng)", "",
         "chosen.pcapng", false},
        {"the chosen type decides over the extension", "typed.log", "Vector ASC log (*.asc)", "",
         "typed.log", false},
        {"candump cancelled", "kept.log", "", "", "kept.log", true},
        {"BLF cancelled", "kept.blf", "", "", "kept.blf", true},
    };
    for (const auto &r : rows)
        QTest::newRow(r.row) << r.name << r.filter << r.firstLine << r.savedAs << r.cancel;
}

void tst_MainWindowActions::saveLogFormats()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(QString, firstLine);
    QFETCH(QString, savedAs);
    QFETCH(bool, cancel);
    GuiMessageNotifier notifier;
    m_window->attachBus(nullptr, &notifier);
    const CanMessage first = makeFrame(0x18FEF100, {1, 2});
    const CanMessage second = makeFrame(0x0CF00401, {3, 4, 5});
    emit notifier.notifyPack(pack({{first, 10}, {second, 50}}));
    const QString path = m_dir.filePath(savedAs);
    const QByteArray old("the log saved before\n");
    if (cancel) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    m_window->fileAnswer = m_dir.filePath(name);
    m_window->filterAnswer = filter;
    QAction *save = action("actionSaveLog");
    save->trigger();
    m_window->filterAnswer.clear();
    QCOMPARE(m_window->asked.last(),
             QStringLiteral("Log Filename|Raw view text (*.txt);;candump log (*.log);;"
                            "Vector ASC log (*.asc);;PEAK trace (*.trc);;Vector BLF log (*.blf);;"
                            "pcapng for Wireshark (*.pcapng)"));
    QVERIFY(m_window->errors.isEmpty());
    // The log is written while the window goes on: the status bar says so, with Cancel.
    auto *cancelButton = m_window->statusBar()->findChild<QPushButton *>("saveLogCancel");
    QVERIFY(cancelButton && !cancelButton->isHidden());
    QVERIFY(!save->isEnabled());
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Saving %1…").arg(QFileInfo(path).fileName()));
    if (cancel) {
        QTest::mouseClick(cancelButton, Qt::LeftButton);
        QVERIFY(cancelButton->isHidden());
        QVERIFY(save->isEnabled());
        QCOMPARE(m_window->statusBar()->currentMessage(),
                 QStringLiteral("Saving %1 cancelled; the file is as it was").arg(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        // Nor is the new file's temporary left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList({savedAs + QLatin1String("*")}, QDir::Files),
                 QStringList{savedAs});
        return;
    }
    QTRY_VERIFY(cancelButton->isHidden());
    QVERIFY(save->isEnabled());
    QVERIFY(m_window->errors.isEmpty());
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("2 messages saved to %1").arg(path));
    if (firstLine.isEmpty()) {
        // Oldest first, the times keeping their spacing.
        RecordingReader reader;
        QVERIFY2(reader.readFile(path), qPrintable(reader.errorString()));
        const QVector<TimedFrame> &frames = reader.frames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames.at(0).message.toString(), first.toString());
        QCOMPARE(frames.at(1).message.toString(), second.toString());
        QCOMPARE(frames.at(1).timeUs - frames.at(0).timeUs, 40000);
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(file.readAll());
    QVERIFY2(content.section(QLatin1Char('\n'), 0, 0).contains(firstLine), qPrintable(content));
    QCOMPARE(content.count(QLatin1Char('\n')), 2);
}

void tst_MainWindowActions::saveLogFailureIsShown()
{
    GuiMessageNotifier notifier;
    m_window->attachBus(nullptr, &notifier);
    emit notifier.notifyPack(pack({{makeFrame(0x18FEF100, {1, 2}), 10}}));
    for (const char *name : {"no/such/dir/x.blf", "no/such/dir/x.txt"}) {
        m_window->errors.clear();
        m_window->fileAnswer = m_dir.filePath(QLatin1String(name));
        action("actionSaveLog")->trigger();
        QCOMPARE(m_window->errors.size(), 1);
        QVERIFY2(m_window->errors.first().contains(QLatin1String("Unable to save")),
                 qPrintable(m_window->errors.first()));
    }
}

QTEST_MAIN(tst_MainWindowActions)
#include "tst_mainwindowactions.moc"
