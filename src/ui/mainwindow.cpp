#include "ui/mainwindow.h"

#include "can/abstractcanhandler.h"
#include "can/canloadbar.h"
#include "can/guimessagenotifier.h"
#include "can/trafficcalculator.h"
#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/abstractcanmessagedispatcher.h"
#include "model/abstractdisplayableitem.h"
#include "model/connectiontimeoutsdialog.h"
#include "model/devicedispatcher.h"
#include "model/tpconnection.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/headerviewhidermenu.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "scheme/stateicondelegate.h"
#include "ui/filterdockwidget.h"
#include "ui/parameterlog.h"
#include "ui/rawdatamodel.h"
#include "ui/savefile.h"

#include <QAction>
#include <QButtonGroup>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QDockWidget>
#include <QDomElement>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextStream>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#ifndef TARVIK_VERSION
#define TARVIK_VERSION "0.0.0"
#endif

namespace {

MainWindow *s_instance = nullptr;

const char *const TransceiverIcons[] = {
    ":/icons/transstate/closed.png",
    ":/icons/transstate/error.png",
    ":/icons/transstate/ok.png",
};

const char *const FlasherKey = "offboarddiagunit";
const QString DetailsSuffix = QStringLiteral("DetailsDockWidget");
const QString SchemeFilter = QT_TRANSLATE_NOOP("MainWindow", "Tarvik scheme XML (*.tvsx)");

DeviceDispatcher *dispatcher()
{
    return dynamic_cast<DeviceDispatcher *>(AbstractCanMessageDispatcher::instance());
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    s_instance = this;
    setObjectName(QStringLiteral("MainWindow"));
    buildForm();
    buildActions();
    buildMenus();
    buildDocks();

    m_parameterLog = std::make_unique<ParameterLog>();
    m_parameterLogTimer = new QTimer(this);
    m_parameterLogTimer->setObjectName(QStringLiteral("parameterLogTimer"));
    connect(m_parameterLogTimer, &QTimer::timeout, this, &MainWindow::slotParameterLogTick);

    m_rawModel = new RawDataModel(this);
    m_constructorModel = new DeviceConstructorModel(this);
    m_schemeModel = new SchemeTreeModel(this);
    m_schemeController = new SchemeController(m_schemeModel, this, this);
    connect(m_schemeController, &SchemeController::schemeUpdated, m_constructorModel,
            &DeviceConstructorModel::refresh);
    // A loaded scheme opens one level deep, so the functions and their data show at once.
    connect(m_schemeController, &SchemeController::schemeUpdated, this,
            [this] { m_mainView->expandToDepth(0); });
    m_autoDetector = new AutoDetector(this);
    wireViews();
    buildStatusBar();

    m_updateTimer = new QTimer(this);
    m_updateTimer->setInterval(1000);
    connect(m_updateTimer, &QTimer::timeout, m_schemeModel, &SchemeTreeModel::checkForUpdates);
    m_updateTimer->start();

    QMetaObject::connectSlotsByName(this);
    resize(1180, 760);
    restoreUiState();
}

MainWindow::~MainWindow()
{
    saveUiState();
    stopParameterLog();
    // The nodes read their items: they go before the scheme does.
    m_schemeModel->clear();
    if (s_instance == this)
        s_instance = nullptr;
}

MainWindow *MainWindow::instance()
{
    return s_instance;
}

QString MainWindow::defaultTitle()
{
    return QStringLiteral("Tarvik - v%1 %2 %3")
        .arg(QLatin1String(TARVIK_VERSION), QLatin1String(__DATE__), QLatin1String(__TIME__));
}

QAction *MainWindow::action(const char *objectName, const QString &text, const char *shortcut)
{
    auto *a = new QAction(text, this);
    a->setObjectName(QLatin1String(objectName));
    if (shortcut)
        a->setShortcut(QKeySequence(QLatin1String(shortcut)));
    return a;
}

void MainWindow::buildForm()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabWidget"));
    m_mainView = new QTreeView(m_tabs);
    m_mainView->setObjectName(QStringLiteral("mainView"));
    m_mainView->setSortingEnabled(true);
    m_mainView->header()->setSortIndicatorShown(false);
    m_mainView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_mainView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_mainView->setUniformRowHeights(true);
    m_mainView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_mainView->setItemDelegateForColumn(0, new StateIconDelegate(m_mainView));
    m_tabs->addTab(m_mainView, tr("Tree Scheme"));
    setCentralWidget(m_tabs);
}

void MainWindow::buildActions()
{
    action("actionOpen", tr("Open.."), "Ctrl+O");
    action("actionSave", tr("Save.."), "Ctrl+S");
    action("actionExit", tr("Exit"), "Ctrl+Q");
    action("actionAutoAdd", tr("Auto add"), "Ctrl+G")->setCheckable(true);
    action("actionConnectionTimeouts", tr("Connection Options.."));
    action("actionParameter_Log_Period", tr("Parameter Log Period.."));
    action("actionParameter_Log_Directory", tr("Parameter Log Directory.."));
    action("actionLiveParameterLog", tr("Live Parameter Log"))->setCheckable(true);
    action("actionDetails", tr("Details"));
    action("actionFilterOn", tr("Filter On"));
    action("actionFilterOff", tr("Filter Off"));
    action("actionSetTransmissionInterval", tr("Period.."));
    action("actionRename", tr("Rename.."));
    QAction *test = action("actionTest", tr("Test"));
    test->setIcon(QIcon(QStringLiteral(":/icons/test.png")));
    test->setEnabled(false);
    action("actionDeleteDevice", tr("Delete"));
    action("actionClearScheme", tr("Clear Scheme"));
    action("actionSend", tr("Send"));
    action("actionReceive", tr("Receive"));
    action("actionAddFlasher", tr("Add flasher"), "Ctrl+Shift+T");
    QAction *rawEnable = action("actionRawEnable", tr("Raw enable"), "Ctrl+Shift+R");
    rawEnable->setCheckable(true);
    rawEnable->setChecked(true);
    rawEnable->setIcon(QIcon(QStringLiteral(":/icons/media-playback-start.png")));
    action("actionRawClear", tr("Raw clear"), "Ctrl+Shift+E")
        ->setIcon(QIcon(QStringLiteral(":/icons/edit-clear.png")));
    action("actionSaveLog", tr("Save log"))->setIcon(QIcon(QStringLiteral(":/icons/save_log.png")));
    QAction *log = action("actionStartParameterLog", tr("Start Parameter Log"));
    log->setCheckable(true);
    log->setIcon(QIcon(QStringLiteral(":/icons/parameter_log.png")));
    findChild<QAction *>(QStringLiteral("actionAutoAdd"))
        ->setIcon(QIcon(QStringLiteral(":/icons/auto_add.png")));
}

void MainWindow::buildMenus()
{
    auto a = [this](const char *name) { return findChild<QAction *>(QLatin1String(name)); };
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    m_menuFile = bar->addMenu(tr("File"));
    m_menuFile->setObjectName(QStringLiteral("menuFile"));
    m_menuFile->addAction(a("actionOpen"));
    m_menuFile->addAction(a("actionSave"));
    m_menuFile->addSeparator();
    m_menuFile->addAction(a("actionExit"));
    connect(a("actionExit"), &QAction::triggered, this, &QWidget::close);

    m_menuOptions = bar->addMenu(tr("Options"));
    m_menuOptions->setObjectName(QStringLiteral("menuOptions"));
    for (const char *name : {"actionAutoAdd", "actionConnectionTimeouts",
                             "actionParameter_Log_Period", "actionParameter_Log_Directory",
                             "actionLiveParameterLog"})
        m_menuOptions->addAction(a(name));

    m_menuWindows = bar->addMenu(tr("Windows"));
    m_menuWindows->setObjectName(QStringLiteral("menuWindows"));

    m_menuDevice = bar->addMenu(tr("Device"));
    m_menuDevice->setObjectName(QStringLiteral("menuDevice"));
    for (const char *name : {"actionDetails", "actionFilterOn", "actionFilterOff",
                             "actionSetTransmissionInterval", "actionRename", "actionTest",
                             "actionDeleteDevice", "actionClearScheme", "actionSend",
                             "actionReceive"})
        m_menuDevice->addAction(a(name));
    m_menuDevice->addSeparator();
    m_menuDevice->addAction(a("actionAddFlasher"));

    m_mainToolBar = addToolBar(tr("Toolbar"));
    m_mainToolBar->setObjectName(QStringLiteral("mainToolBar"));
    for (const char *name : {"actionRawEnable", "actionRawClear", "actionSaveLog",
                             "actionStartParameterLog"})
        m_mainToolBar->addAction(a(name));
    m_mainToolBar->addSeparator();
    m_mainToolBar->addAction(a("actionAutoAdd"));
    m_mainToolBar->addAction(a("actionTest"));
}

void MainWindow::buildDocks()
{
    m_filterDock = new FilterDockWidget(this);
    addDockWidget(Qt::RightDockWidgetArea, m_filterDock);

    m_constructorWindow = new QDockWidget(tr("Devices"), this);
    m_constructorWindow->setObjectName(QStringLiteral("constructorWindow"));
    auto *constructorPanel = new QWidget(m_constructorWindow);
    auto *constructorBox = new QVBoxLayout(constructorPanel);
    constructorBox->setContentsMargins(2, 2, 2, 2);
    m_constructorView = new QTableView(constructorPanel);
    m_constructorView->setObjectName(QStringLiteral("constructorView"));
    m_constructorView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_constructorView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_constructorView->setSortingEnabled(true);
    m_constructorView->verticalHeader()->hide();
    m_constructorView->horizontalHeader()->setStretchLastSection(true);
    constructorBox->addWidget(m_constructorView);
    auto *stateBox = new QGroupBox(tr("Initial state"), constructorPanel);
    auto *stateRow = new QHBoxLayout(stateBox);
    m_initialStateGroup = new QButtonGroup(this);
    m_initialStateGroup->setObjectName(QStringLiteral("deviceInitialStateSelection"));
    const struct
    {
        const char *name;
        const char *text;
        int id;
    } modes[] = {{"addModeAutoButton", QT_TR_NOOP("Auto"), AbstractDisplayableItem::Auto},
                 {"addModeSendButton", QT_TR_NOOP("Send"), AbstractDisplayableItem::Send},
                 {"addModeReceiveButton", QT_TR_NOOP("Receive"), AbstractDisplayableItem::ReceiveOk}};
    for (const auto &m : modes) {
        auto *button = new QRadioButton(tr(m.text), stateBox);
        button->setObjectName(QLatin1String(m.name));
        m_initialStateGroup->addButton(button, m.id);
        stateRow->addWidget(button);
    }
    m_initialStateGroup->button(AbstractDisplayableItem::ReceiveOk)->setChecked(true);
    constructorBox->addWidget(stateBox);
    m_constructorWindow->setWidget(constructorPanel);
    addDockWidget(Qt::RightDockWidgetArea, m_constructorWindow);

    m_rawDataWindow = new QDockWidget(tr("Raw data"), this);
    m_rawDataWindow->setObjectName(QStringLiteral("rawDataWindow"));
    m_rawDataView = new QTableView(m_rawDataWindow);
    m_rawDataView->setObjectName(QStringLiteral("rawDataView"));
    m_rawDataView->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    m_rawDataView->setAlternatingRowColors(true);
    m_rawDataView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rawDataView->horizontalHeader()->setStretchLastSection(true);
    m_rawDataView->verticalHeader()->hide();
    m_rawDataView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_rawDataView->verticalHeader()->setDefaultSectionSize(m_rawDataView->fontMetrics().height() + 4);
    m_rawDataWindow->setWidget(m_rawDataView);
    addDockWidget(Qt::BottomDockWidgetArea, m_rawDataWindow);

    m_detailsWindow = new QDockWidget(tr("Details"), this);
    m_detailsWindow->setObjectName(QStringLiteral("detailsWindow"));
    m_detailsArea = new QScrollArea(m_detailsWindow);
    m_detailsArea->setObjectName(QStringLiteral("detailsScrollArea"));
    m_detailsArea->setWidgetResizable(true);
    // The editor sits on top of a stretch, so short editors keep their natural height.
    auto *detailsPanel = new QWidget(m_detailsArea);
    m_detailsBox = new QVBoxLayout(detailsPanel);
    m_detailsBox->addStretch(1);
    m_detailsArea->setWidget(detailsPanel);
    m_detailsWindow->setWidget(m_detailsArea);
    addDockWidget(Qt::LeftDockWidgetArea, m_detailsWindow);
    resizeDocks({m_detailsWindow}, {320}, Qt::Horizontal);

    const struct
    {
        QDockWidget *dock;
        const char *shortcut;
    } toggles[] = {{m_filterDock, "Ctrl+F"},
                   {m_detailsWindow, "Ctrl+D"},
                   {m_rawDataWindow, "Ctrl+R"},
                   {m_constructorWindow, "Ctrl+B"}};
    for (const auto &t : toggles) {
        QAction *toggle = t.dock->toggleViewAction();
        toggle->setShortcut(QKeySequence(QLatin1String(t.shortcut)));
        m_menuWindows->addAction(toggle);
    }
}

void MainWindow::wireViews()
{
    auto a = [this](const char *name) { return findChild<QAction *>(QLatin1String(name)); };
    m_mainView->setModel(m_schemeModel);
    const int widths[] = {72, 90, 230, 420, 60, 90};
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_mainView->setColumnWidth(column, widths[column]);
    m_constructorView->setModel(m_constructorModel);
    m_rawDataView->setModel(m_rawModel);
    m_rawDataView->setColumnWidth(0, 360);
    m_rawDataView->setColumnWidth(1, 300);

    m_mainView->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const char *name : {"actionDetails", "actionFilterOn", "actionFilterOff",
                             "actionSetTransmissionInterval", "actionRename", "actionDeleteDevice",
                             "actionSend", "actionReceive"})
        m_mainView->addAction(a(name));
    m_constructorView->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_constructorView->addAction(a("actionTest"));
    m_rawDataView->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_rawDataView->addAction(a("actionRawEnable"));
    m_rawDataView->addAction(a("actionRawClear"));
    auto *separator = new QAction(m_rawDataView);
    separator->setSeparator(true);
    m_rawDataView->addAction(separator);

    connect(a("actionClearScheme"), &QAction::triggered, m_schemeController,
            &SchemeController::clearScheme);
    connect(a("actionClearScheme"), &QAction::triggered, m_constructorModel,
            &DeviceConstructorModel::refresh);
    connect(a("actionRawEnable"), &QAction::toggled, m_rawModel, &RawDataModel::setFlowEnabled);
    m_rawModel->setFlowEnabled(a("actionRawEnable")->isChecked());
    connect(a("actionRawClear"), &QAction::triggered, m_rawModel, &RawDataModel::clearModel);
    connect(a("actionAutoAdd"), &QAction::toggled, this, &MainWindow::slotAutoAddChanged);
    m_rawModel->setFilters(m_filterDock->filters());

    connect(m_mainView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MainWindow::slotOnMainViewRowChanged);
    connect(m_mainView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::slotOnMainViewSelectionChanged);
    connect(m_rawDataView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::slotOnRawDataViewSelectionChanged);
    connect(m_constructorView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MainWindow::slotOnConstructorViewCurrentRowChanged);
    // A factory that learns its flasher entry later enables the action then.
    auto updateFlasher = [a] {
        const CanDeviceFactory *factory = CanDeviceFactory::instance();
        a("actionAddFlasher")->setEnabled(factory && factory->getEntry(FlasherKey));
    };
    updateFlasher();
    connect(m_constructorModel, &QAbstractItemModel::modelReset, this, updateFlasher);

    HeaderViewHiderMenu::install(m_mainView->header());
    HeaderViewHiderMenu::install(m_rawDataView->horizontalHeader());
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));

    m_parameterLogCounter = new QLabel(QStringLiteral("0"), bar);
    m_parameterLogCounter->setObjectName(QStringLiteral("parameterLogCounterLabel"));
    m_parameterLogCounter->setToolTip(tr("Parameter log records"));
    bar->addPermanentWidget(m_parameterLogCounter);

    m_traffic = new TrafficCalculator(this);
    m_loadBar = new CanLoadBar(m_traffic, bar);
    m_loadBar->setObjectName(QStringLiteral("canLoadBar"));
    bar->addPermanentWidget(m_loadBar);

    m_trafficLabel = new QLabel(bar);
    m_trafficLabel->setObjectName(QStringLiteral("trafficLabel"));
    bar->addPermanentWidget(m_trafficLabel);
    connect(m_traffic, qOverload<const QString &>(&TrafficCalculator::trafficChanged),
            m_trafficLabel, &QLabel::setText);
    connect(m_traffic, qOverload<int>(&TrafficCalculator::trafficChanged), m_loadBar,
            &CanLoadBar::setLoad);

    m_transceiverState = new QToolButton(bar);
    m_transceiverState->setObjectName(QStringLiteral("transceiverStateButton"));
    m_transceiverState->setAutoRaise(true);
    m_transceiverState->setMaximumHeight(16);
    m_transceiverState->setIconSize(QSize(16, 16));
    bar->addPermanentWidget(m_transceiverState);
    slotTransceiverStateChanged(AbstractCanHandler::Closed);
}

void MainWindow::attachBus(AbstractCanHandler *handler, GuiMessageNotifier *notifier)
{
    if (notifier) {
        m_notifier = notifier;
        connect(notifier, &GuiMessageNotifier::notifyPack, m_rawModel,
                &RawDataModel::slotNotifyPack);
        connect(notifier, &GuiMessageNotifier::notifyPack, m_traffic,
                &TrafficCalculator::slotNotifyPack);
        connect(notifier, &GuiMessageNotifier::notifyPack, m_schemeModel,
                &SchemeTreeModel::checkForUpdates);
        slotAutoAddChanged(findChild<QAction *>(QStringLiteral("actionAutoAdd"))->isChecked());
    }
    if (handler) {
        connect(handler, &AbstractCanHandler::stateChanged, this,
                &MainWindow::slotTransceiverStateChanged, Qt::QueuedConnection);
        slotTransceiverStateChanged(handler->state());
    }
}

void MainWindow::slotTransceiverStateChanged(int state)
{
    if (state < 0 || state > 2)
        return;
    m_transceiverState->setIcon(QIcon(QLatin1String(TransceiverIcons[state])));
    m_transceiverState->setProperty("transceiverState", state);
    // The traffic capacity follows the bit rate, which is set before the adapter opens.
    m_trafficLabel->setToolTip(tr("Net capacity %n messages per second", nullptr,
                                  m_traffic->netMessageCapacityPerInterval()));
}

// --- Scheme items -------------------------------------------------------------------------------

void MainWindow::slotAutoAddChanged(bool on)
{
    if (!m_notifier)
        return;
    if (on)
        connect(m_notifier, &GuiMessageNotifier::notifyPack, this,
                &MainWindow::slotCheckForNewDevices, Qt::UniqueConnection);
    else
        disconnect(m_notifier, &GuiMessageNotifier::notifyPack, this,
                   &MainWindow::slotCheckForNewDevices);
}

void MainWindow::slotCheckForNewDevices(const AbstractCanHandler::MessagePack &pack)
{
    const QList<AbstractDisplayableItem *> created = m_autoDetector->process(pack);
    for (AbstractDisplayableItem *item : created)
        addDisplayable(item);
    if (!created.isEmpty())
        m_constructorModel->refresh();
}

void MainWindow::addDisplayable(AbstractDisplayableItem *item)
{
    if (!item)
        return;
    // Registration also makes a function a child of its device (in the bus thread).
    if (DeviceDispatcher *d = dispatcher())
        d->registerDisplayable(item);
    AbstractDisplayableItem *parentItem = item->parentItem();
    AbstractSchemeTreeItem *parentNode = parentItem ? parentItem->existingTreeItem() : nullptr;
    if (parentItem && !parentNode)
        return; // the parent's node lists it when the parent joins the scheme
    AbstractSchemeTreeItem *node = item->treeItem();
    if (node->parentNode() || m_schemeModel->topLevelItems().contains(node))
        return;
    m_schemeModel->addItem(node, parentNode);
}

AbstractSchemeTreeItem *MainWindow::currentNode() const
{
    return m_schemeModel->item(m_mainView->currentIndex());
}

QList<AbstractSchemeTreeItem *> MainWindow::selectedNodes() const
{
    QList<AbstractSchemeTreeItem *> nodes;
    for (const QModelIndex &index : m_mainView->selectionModel()->selectedRows()) {
        if (AbstractSchemeTreeItem *node = m_schemeModel->item(index))
            nodes << node;
    }
    return nodes;
}

void MainWindow::selectNode(AbstractSchemeTreeItem *node)
{
    // Column 0 of an idle item is disabled, and a view will not make it current.
    const QModelIndex index = m_schemeModel->index(node, 1);
    if (!index.isValid())
        return;
    m_mainView->setCurrentIndex(index);
    m_mainView->scrollTo(index);
}

void MainWindow::slotOnMainViewRowChanged(const QModelIndex &current)
{
    AbstractSchemeTreeItem *node = m_schemeModel->item(current);
    // The editor belongs to its node: it leaves the panel (unparented) before another one is
    // shown, and dies with its node.
    if (m_detailsEditor) {
        m_detailsBox->removeWidget(m_detailsEditor);
        m_detailsEditor->hide();
        m_detailsEditor->setParent(nullptr);
    }
    m_detailsEditor = nullptr;
    if (!node)
        return;
    if (QWidget *editor = node->getWidget()) {
        m_detailsBox->insertWidget(0, editor);
        editor->show();
        m_detailsEditor = editor;
    }
    m_detailsWindow->setWindowTitle(tr("Details") + QStringLiteral(" - ") + node->uniqueName());
    if (node->displayable()) {
        if (AbstractDeviceFactory *factory = node->displayable()->subFactory())
            m_constructorModel->setFactory(factory);
    }
}

void MainWindow::slotOnMainViewSelectionChanged()
{
    QList<AbstractDisplayableItem *> items;
    for (AbstractSchemeTreeItem *node : selectedNodes()) {
        if (node->displayable())
            items << node->displayable();
    }
    m_rawModel->setActiveDisplayables(items);
}

void MainWindow::slotOnRawDataViewSelectionChanged()
{
    QModelIndexList rows = m_rawDataView->selectionModel()->selectedRows();
    if (rows.size() < 2) {
        statusBar()->clearMessage();
        return;
    }
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &x, const QModelIndex &y) { return x.row() < y.row(); });
    const qint64 first = m_rawModel->timing(rows.first().row());
    const qint64 last = m_rawModel->timing(rows.last().row());
    statusBar()->showMessage(tr("%n messages, interval %1 ms", nullptr, rows.size())
                                 .arg(qAbs(last - first)));
}

void MainWindow::slotOnConstructorViewCurrentRowChanged(const QModelIndex &current)
{
    findChild<QAction *>(QStringLiteral("actionTest"))
        ->setEnabled(m_constructorModel->hasTest(current));
}

void MainWindow::on_constructorView_activated(const QModelIndex &index)
{
    const int state = m_initialStateGroup->checkedId();
    if (!m_constructorModel->isAvailable(index))
        return;
    quint32 address = ItemAddress::Unassigned;
    if (m_constructorModel->isDynamicAddress(index)) {
        bool ok = false;
        address = quint32(askInt(tr("Address"), tr("Device address"), 0, 0, 255, &ok));
        if (!ok)
            return;
    }
    AbstractDisplayableItem *item = m_constructorModel->getDevice(index, address);
    if (!item)
        return;
    item->setState(state);
    addDisplayable(item);
    m_constructorModel->refresh();
}

void MainWindow::on_actionTest_triggered()
{
    const QModelIndex index = m_constructorView->currentIndex();
    if (!m_constructorModel->hasTest(index))
        return;
    // Device tests run in their own dialog, which this build does not have yet.
    statusBar()->showMessage(tr("Device tests are not available in this build"), 5000);
}

void MainWindow::on_actionAddFlasher_triggered()
{
    CanDeviceFactory *factory = CanDeviceFactory::instance();
    if (!factory)
        return;
    if (AbstractDisplayableItem *existing = factory->getDevice(FlasherKey)) {
        selectNode(existing->existingTreeItem());
        return;
    }
    AbstractDisplayableItem *item = factory->createDevice(QByteArray(FlasherKey));
    if (!item)
        return;
    addDisplayable(item);
    m_constructorModel->refresh();
    selectNode(item->existingTreeItem());
}

void MainWindow::on_actionSetTransmissionInterval_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (!node || !node->displayable())
        return;
    bool ok = false;
    const int value = askInt(tr("Period"), tr("Transmission period"),
                             node->displayable()->transmissionInterval(), -1, 2147483647, &ok);
    if (ok)
        m_schemeModel->setData(m_schemeModel->index(node, 4), value, Qt::EditRole);
}

void MainWindow::on_actionRename_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (!node || !node->displayable())
        return;
    bool ok = false;
    const QString name = askText(tr("Rename"), tr("Device Name"), node->displayable()->name(), &ok);
    if (ok)
        m_schemeModel->setData(m_schemeModel->index(node, 2), name, Qt::EditRole);
}

void MainWindow::on_actionDeleteDevice_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (!node)
        return;
    AbstractDisplayableItem *item = node->displayable();
    m_schemeModel->takeItem(m_schemeModel->index(node, 0));
    delete node;
    if (item) {
        if (DeviceDispatcher *d = dispatcher())
            d->unregisterDisplayable(item);
        item->deleteLater();
    }
    m_constructorModel->refresh();
}

void MainWindow::setSelectedFiltered(bool on)
{
    for (AbstractSchemeTreeItem *node : selectedNodes()) {
        if (node->displayable())
            node->displayable()->setFiltered(on);
    }
    m_mainView->viewport()->update();
}

void MainWindow::on_actionFilterOn_triggered()
{
    setSelectedFiltered(true);
}

void MainWindow::on_actionFilterOff_triggered()
{
    setSelectedFiltered(false);
}

void MainWindow::on_actionSend_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (node && node->displayable())
        node->displayable()->setState(AbstractDisplayableItem::Send);
}

void MainWindow::on_actionReceive_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (node && node->displayable())
        node->displayable()->setState(AbstractDisplayableItem::ReceiveOk);
}

Qt::DockWidgetArea MainWindow::lastDetailsDockArea() const
{
    if (m_lastDetailsDock)
        return dockWidgetArea(m_lastDetailsDock);
    QSettings settings;
    const int area = settings.value(QStringLiteral("Misc/LastDetailsArea"), 1).toInt();
    switch (area) {
    case Qt::LeftDockWidgetArea:
    case Qt::RightDockWidgetArea:
    case Qt::TopDockWidgetArea:
    case Qt::BottomDockWidgetArea:
        return Qt::DockWidgetArea(area);
    default:
        return Qt::LeftDockWidgetArea;
    }
}

QDockWidget *MainWindow::getDetailsWidgetForPath(const QString &path)
{
    AbstractSchemeTreeItem *node = m_schemeModel->getItemForPath(path);
    if (!node)
        return nullptr;
    auto *dock = new QDockWidget(node->uniqueName(), this);
    dock->setObjectName(node->uniqueKey() + DetailsSuffix);
    dock->setAttribute(Qt::WA_DeleteOnClose);
    auto *area = new QScrollArea(dock);
    area->setWidgetResizable(true);
    if (QWidget *editor = node->getNewWidget()) {
        area->setWidget(editor);
        // The editor dies with its node; the dock goes with it.
        connect(editor, &QObject::destroyed, dock, &QObject::deleteLater);
    }
    dock->setWidget(area);
    addDockWidget(lastDetailsDockArea(), dock);
    m_lastDetailsDock = dock;
    return dock;
}

void MainWindow::on_actionDetails_triggered()
{
    if (AbstractSchemeTreeItem *node = currentNode())
        getDetailsWidgetForPath(node->uniqueKey());
}

void MainWindow::addTab(QDomElement &element)
{
    // Multi-item panels are not part of this build: the tab is left out.
    qDebug("Tab \"%s\" skipped: multi-item panels are not available",
           qUtf8Printable(element.attribute(QStringLiteral("name"))));
}

// --- Files and the parameter log ----------------------------------------------------------------

bool MainWindow::openScheme(const QString &path)
{
    const bool ok = m_schemeController->deserialize(path);
    if (!ok) {
        const QString reason = m_schemeController->lastError();
        showError(tr("Open scheme"), tr("Unable to open scheme %1: %2").arg(path, reason));
    }
    m_constructorModel->refresh();
    return ok;
}

void MainWindow::on_actionOpen_triggered()
{
    const QString path = askOpenFileName(tr("Open scheme"), tr(qPrintable(SchemeFilter)));
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    openScheme(path);
}

void MainWindow::on_actionSave_triggered()
{
    QString path = askSaveFileName(tr("Save scheme"), tr(qPrintable(SchemeFilter)));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".tvsx");
    if (m_schemeController->serialize(path))
        statusBar()->showMessage(tr("Scheme saved to %1").arg(path), 5000);
}

void MainWindow::on_actionSaveLog_triggered()
{
    const QString path = askSaveFileName(tr("Log Filename"), QString());
    if (path.isEmpty())
        return;
    QString text;
    QTextStream stream(&text);
    m_rawModel->save(stream);
    stream.flush();
    if (SaveFile::write(path, text.toUtf8()))
        statusBar()->showMessage(tr("%n messages saved to %1", nullptr, m_rawModel->rowCount())
                                     .arg(path),
                                 5000);
}

void MainWindow::on_actionStartParameterLog_toggled(bool on)
{
    if (!on) {
        stopParameterLog();
        return;
    }
    QSettings settings;
    int period = settings.value(QStringLiteral("ParameterLog/Period"), 1000).toInt();
    if (period < 1)
        period = 1000;
    const QString directory
        = settings.value(QStringLiteral("ParameterLog/Directory"), QDir::currentPath()).toString();
    const QDateTime start = QDateTime::currentDateTime();
    const QString path = ParameterLog::fileName(directory, start);
    if (!m_parameterLog->start(path, ParameterLog::collectColumns(m_schemeModel),
                               start.toMSecsSinceEpoch())) {
        findChild<QAction *>(QStringLiteral("actionStartParameterLog"))->setChecked(false);
        return;
    }
    m_parameterLogStart = start.toMSecsSinceEpoch();
    m_parameterLogRecords = 0;
    m_parameterLogCounter->setText(QStringLiteral("0"));
    m_parameterLogTimer->setInterval(period);
    m_parameterLogTimer->start();
    statusBar()->showMessage(tr("Parameter log: %1").arg(QDir::toNativeSeparators(path)), 5000);
}

void MainWindow::stopParameterLog()
{
    m_parameterLogTimer->stop();
    m_parameterLog->stop();
}

void MainWindow::slotParameterLogTick()
{
    if (!m_parameterLog->isRunning()) {
        m_parameterLogTimer->stop();
        return;
    }
    const bool live = findChild<QAction *>(QStringLiteral("actionLiveParameterLog"))->isChecked();
    m_parameterLog->writeRecord(QDateTime::currentMSecsSinceEpoch(), live);
    ++m_parameterLogRecords;
    m_parameterLogCounter->setText(QString::number(m_parameterLogRecords));
}

void MainWindow::on_actionParameter_Log_Period_triggered()
{
    QSettings settings;
    bool ok = false;
    const int period
        = askInt(tr("Parameter Log Period"), tr("Period, ms"),
                 settings.value(QStringLiteral("ParameterLog/Period"), 1000).toInt(), 10, 99999,
                 &ok);
    if (ok)
        settings.setValue(QStringLiteral("ParameterLog/Period"), period);
}

void MainWindow::on_actionParameter_Log_Directory_triggered()
{
    QSettings settings;
    const QString directory = askDirectory(
        tr("Parameter Log Directory"),
        settings.value(QStringLiteral("ParameterLog/Directory"), QDir::currentPath()).toString());
    if (!directory.isEmpty())
        settings.setValue(QStringLiteral("ParameterLog/Directory"), directory);
}

void MainWindow::on_actionConnectionTimeouts_triggered()
{
    if (runConnectionTimeoutsDialog())
        refreshConnectionTimeouts();
}

void MainWindow::refreshConnectionTimeouts()
{
    QSettings settings;
    TPConnection::readTiming(settings);
}

// --- Settings -----------------------------------------------------------------------------------

bool MainWindow::restoreUiState()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("WindowState"));
    const int stored = settings.value(QStringLiteral("UiVersion"), -1).toInt();
    if (stored != UiVersion) {
        qDebug("UiVersion changed from %d to %d, won't restore ui state", stored, UiVersion);
        return false;
    }
    restoreGeometry(settings.value(QStringLiteral("mainWindowGeometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("mainWindowState")).toByteArray(), UiVersion);
    m_constructorView->horizontalHeader()->restoreState(
        settings.value(QStringLiteral("constructorViewHeader")).toByteArray());
    m_rawDataView->horizontalHeader()->restoreState(
        settings.value(QStringLiteral("rawViewHeader")).toByteArray());
    m_mainView->header()->restoreState(
        settings.value(QStringLiteral("deviceViewHeader")).toByteArray());
    settings.endGroup();

    if (settings.contains(QStringLiteral("RawState/Enabled")))
        findChild<QAction *>(QStringLiteral("actionRawEnable"))
            ->setChecked(settings.value(QStringLiteral("RawState/Enabled")).toBool());
    if (settings.contains(QStringLiteral("Misc/AutoAdd")))
        findChild<QAction *>(QStringLiteral("actionAutoAdd"))
            ->setChecked(settings.value(QStringLiteral("Misc/AutoAdd")).toBool());
    settings.beginGroup(QStringLiteral("Filters"));
    m_filterDock->restoreSettings(settings);
    settings.endGroup();
    if (settings.contains(QStringLiteral("Misc/DefaultState"))) {
        const int id = settings.value(QStringLiteral("Misc/DefaultState")).toInt();
        if (QAbstractButton *button = m_initialStateGroup->button(id))
            button->setChecked(true);
    }
    bool ok = false;
    const int interval
        = settings.value(QStringLiteral("Misc/GuiMessageNotifierInterval")).toInt(&ok);
    GuiMessageNotifier *notifier = GuiMessageNotifier::instance();
    if (ok && interval >= 1 && interval <= 100 && notifier) {
        qDebug("Adjusting GuiMessageNotifierInterval to %d", interval);
        notifier->setNotifyInterval(interval);
    }
    refreshConnectionTimeouts();
    return true;
}

void MainWindow::saveUiState()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("WindowState"));
    settings.setValue(QStringLiteral("UiVersion"), UiVersion);
    settings.setValue(QStringLiteral("mainWindowGeometry"), saveGeometry());
    settings.setValue(QStringLiteral("mainWindowState"), saveState(UiVersion));
    settings.setValue(QStringLiteral("constructorViewHeader"),
                      m_constructorView->horizontalHeader()->saveState());
    settings.setValue(QStringLiteral("rawViewHeader"), m_rawDataView->horizontalHeader()->saveState());
    settings.setValue(QStringLiteral("deviceViewHeader"), m_mainView->header()->saveState());
    settings.endGroup();
    settings.setValue(QStringLiteral("RawState/Enabled"),
                      findChild<QAction *>(QStringLiteral("actionRawEnable"))->isChecked());
    settings.beginGroup(QStringLiteral("Filters"));
    m_filterDock->saveSettings(settings);
    settings.endGroup();
    settings.setValue(QStringLiteral("Misc/AutoAdd"),
                      findChild<QAction *>(QStringLiteral("actionAutoAdd"))->isChecked());
    settings.setValue(QStringLiteral("Misc/DefaultState"), m_initialStateGroup->checkedId());
    if (m_lastDetailsDock)
        settings.setValue(QStringLiteral("Misc/LastDetailsArea"),
                          int(dockWidgetArea(m_lastDetailsDock)));
}

// --- Questions to the user ----------------------------------------------------------------------

int MainWindow::askInt(const QString &title, const QString &label, int value, int min, int max,
                       bool *ok)
{
    return QInputDialog::getInt(this, title, label, value, min, max, 1, ok);
}

QString MainWindow::askText(const QString &title, const QString &label, const QString &text,
                            bool *ok)
{
    return QInputDialog::getText(this, title, label, QLineEdit::Normal, text, ok);
}

QString MainWindow::askOpenFileName(const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(this, title, QString(), filter);
}

QString MainWindow::askSaveFileName(const QString &title, const QString &filter)
{
    return QFileDialog::getSaveFileName(this, title, QString(), filter);
}

QString MainWindow::askDirectory(const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
}

bool MainWindow::runConnectionTimeoutsDialog()
{
    ConnectionTimeoutsDialog dialog(this);
    return dialog.exec() == QDialog::Accepted;
}

void MainWindow::showError(const QString &title, const QString &text)
{
    QMessageBox::warning(this, title, text);
}
