#include "ui/mainwindow.h"

#include "app/language.h"
#include "app/parameterlog.h"
#include "can/abstractcanhandler.h"
#include "can/editors/canloadbar.h"
#include "can/guimessagenotifier.h"
#include "can/replaycanhandler.h"
#include "can/trafficcalculator.h"
#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/editors/headerviewhidermenu.h"
#include "scheme/editors/stateicondelegate.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "ui/buscheckactions.h"
#include "ui/cataloguebar.h"
#include "ui/clearingactions.h"
#include "ui/codeactions.h"
#include "ui/detailsdocks.h"
#include "ui/dialogquestions.h"
#include "ui/dockcontent.h"
#include "ui/editors/filterdockwidget.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/rawdataview.h"
#include "ui/firststartlayout.h"
#include "ui/freezeframeactions.h"
#include "ui/logsaver.h"
#include "ui/parameterlogrecorder.h"
#include "ui/rawdatamodel.h"
#include "ui/recordingplayer.h"
#include "ui/servicejobactions.h"
#include "ui/unitactions.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#ifndef TARVIK_VERSION
#define TARVIK_VERSION "0.0.0"
#endif

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_dialogs(std::make_unique<DialogQuestions>(this))
    , m_questions(m_dialogs.get())
{
    setObjectName(QStringLiteral("MainWindow"));
    buildForm();
    buildActions();
    buildMenus();
    buildDocks();

    m_parameterLog = new ParameterLogRecorder(this);

    m_rawModel = new RawDataModel(this);
    m_constructorModel = new DeviceConstructorModel(this);
    m_schemeModel = new SchemeTreeModel(this);
    m_details->setModel(m_schemeModel);
    m_plotDocks = new PlotDocks(this, m_schemeModel);
    m_plotDocks->setNeighbour(m_rawDataWindow);
    // Plots and the parameter log keep to the first bus's time: a recording played there its own.
    const auto firstBusClock = [this]() -> const BusClock & { return BusClock::of(dispatcher()); };
    m_plotDocks->setClock(firstBusClock);
    m_parameterLog->setClock(firstBusClock);
    m_schemeController = new SchemeController(m_schemeModel, this, this);
    connect(m_schemeController, &SchemeController::schemeUpdated, m_constructorModel,
            &DeviceConstructorModel::refresh);
    // A loaded scheme opens down to the units' functions, so their data show at once.
    connect(m_schemeController, &SchemeController::schemeUpdated, this,
            [this] { m_mainView->expandToDepth(m_schemeController->hasSeveralBuses() ? 1 : 0); });
    m_autoDetector = new AutoDetector(this);
    buildSchemeDocument();
    wireViews();
    m_unitActions = new UnitActions(this);
    new CodeActions(this);
    new FreezeFrameActions(this);
    connect(m_mainView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MainWindow::updateTestAction);
    buildStatusBar();
    m_logSaver = new LogSaver(statusBar(), this);
    connect(m_logSaver, &LogSaver::finished, this, &MainWindow::logSaved);
    new ClearingActions(this);
    m_busCheck = new BusCheckActions(this);
    m_player = new RecordingPlayer(this);
    m_jobActions = new ServiceJobActions(this);
    m_buses = new WindowBuses(this);
    // The bus check offers every bus of the window and lets go of one that ends.
    connect(m_buses, &WindowBuses::busesChanged, m_busCheck, &BusCheckActions::updateBuses);
    connect(m_buses, &WindowBuses::busAboutToBeRemoved, m_busCheck,
            &BusCheckActions::busAboutToBeRemoved);
    // A service job's raw recording keeps the frames of every bus, each with its bus.
    const auto jobBuses = [this](const DeviceDispatcher *leaving) {
        QList<AbstractCanHandler *> handlers;
        for (const DeviceDispatcher *bus : m_buses->added()) {
            if (bus != leaving && bus->handler())
                handlers << bus->handler();
        }
        m_jobActions->setOtherBuses(handlers);
    };
    connect(m_buses, &WindowBuses::busesChanged, m_jobActions, [jobBuses] { jobBuses(nullptr); });
    connect(m_buses, &WindowBuses::busAboutToBeRemoved, m_jobActions, jobBuses);

    m_updateTimer = new QTimer(this);
    m_updateTimer->setInterval(1000);
    connect(m_updateTimer, &QTimer::timeout, m_schemeModel, &SchemeTreeModel::checkForUpdates);
    m_updateTimer->start();

    QMetaObject::connectSlotsByName(this);
    resize(FirstStartLayout::windowSize(screen() ? screen()->availableGeometry() : QRect()));
    // Name and data give way first, so that every column of the tree shows on a first start.
    if (!restoreUiState())
        FirstStartLayout::fitColumnsWhenShown(m_mainView, {3, 2});
}

MainWindow::~MainWindow()
{
    saveUiState();
    m_parameterLog->stop();
    // The buses added here end first, while the scheme and the views they feed are there.
    delete m_buses;
    m_buses = nullptr;
    // The nodes read their items: they go before the scheme does.
    m_schemeModel->clear();
}

void MainWindow::setQuestions(UserQuestions *questions)
{
    m_questions = questions ? questions : m_dialogs.get();
}

ParameterLog *MainWindow::parameterLog() const
{
    return m_parameterLog->log();
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
    action("actionOpen", tr("Open…"), "Ctrl+O");
    action("actionSave", tr("Save"), "Ctrl+S");
    action("actionSaveAs", tr("Save As…"), "Ctrl+Shift+S");
    action("actionExit", tr("Exit"), "Ctrl+Q");
    action("actionAutoAdd", tr("Auto add"), "Ctrl+G")->setCheckable(true);
    action("actionConnectionTimeouts", tr("Connection Options…"));
    action("actionDatabases", tr("Databases…"));
    action("actionParameter_Log_Period", tr("Parameter Log Period…"));
    action("actionParameter_Log_Directory", tr("Parameter Log Directory…"));
    action("actionToolAddress", tr("Tool Address…"));
    action("actionLiveParameterLog", tr("Live Parameter Log"))->setCheckable(true);
    action("actionDetails", tr("Details"));
    action("actionPlot", tr("Plot"));
    action("actionOpenParameterLog", tr("Open parameter log…"));
    action("actionPlotWindow", tr("Plot History…"));
    action("actionFilterOn", tr("Filter On"));
    action("actionFilterOff", tr("Filter Off"));
    action("actionSetTransmissionInterval", tr("Period…"));
    action("actionRename", tr("Rename…"));
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
    m_menuFile->addAction(a("actionSaveAs"));
    m_menuFile->addAction(a("actionOpenParameterLog"));
    m_menuFile->addSeparator();
    m_menuFile->addAction(a("actionExit"));
    // Exit ends the program once the window agrees to close, whatever other window is open.
    connect(a("actionExit"), &QAction::triggered, this, [this] {
        if (close())
            QCoreApplication::quit();
    });

    m_menuOptions = bar->addMenu(tr("Options"));
    m_menuOptions->setObjectName(QStringLiteral("menuOptions"));
    for (const char *name :
         {"actionAutoAdd", "actionDatabases", "actionConnectionTimeouts", "actionToolAddress",
          "actionParameter_Log_Period", "actionParameter_Log_Directory", "actionLiveParameterLog",
          "actionPlotWindow"})
        m_menuOptions->addAction(a(name));
    buildLanguageMenu();

    m_menuWindows = bar->addMenu(tr("Windows"));
    m_menuWindows->setObjectName(QStringLiteral("menuWindows"));

    m_menuDevice = bar->addMenu(tr("Device"));
    m_menuDevice->setObjectName(QStringLiteral("menuDevice"));
    for (const char *name :
         {"actionDetails", "actionPlot", "actionFilterOn", "actionFilterOff",
          "actionSetTransmissionInterval", "actionRename", "actionTest", "actionDeleteDevice",
          "actionClearScheme", "actionSend", "actionReceive"})
        m_menuDevice->addAction(a(name));
    m_menuDevice->addSeparator();
    m_menuDevice->addAction(a("actionAddFlasher"));

    m_mainToolBar = addToolBar(tr("Toolbar"));
    m_mainToolBar->setObjectName(QStringLiteral("mainToolBar"));
    for (const char *name :
         {"actionRawEnable", "actionRawClear", "actionSaveLog", "actionStartParameterLog"})
        m_mainToolBar->addAction(a(name));
    m_mainToolBar->addSeparator();
    m_mainToolBar->addAction(a("actionAutoAdd"));
    m_mainToolBar->addAction(a("actionTest"));
}

void MainWindow::buildLanguageMenu()
{
    QMenu *menu = m_menuOptions->addMenu(tr("Language"));
    menu->setObjectName(QStringLiteral("menuLanguage"));
    menu->menuAction()->setObjectName(QStringLiteral("menuLanguage"));
    auto *group = new QActionGroup(this);
    const QString stored = Language::storedChoice();
    const QString current = stored.isEmpty() ? QString() : Language::codeFor(stored);
    // Each language is named in itself, so it is found whatever the current one.
    const struct
    {
        const char *name;
        QString text;
        QString code;
    } choices[] = {{"actionLanguageSystem", tr("System language"), QString()},
                   {"actionLanguageEnglish", QStringLiteral("English"), QStringLiteral("en")},
                   {"actionLanguageRussian", QString::fromUtf8("Русский"), QStringLiteral("ru")}};
    for (const auto &c : choices) {
        QAction *choice = menu->addAction(c.text);
        choice->setObjectName(QLatin1String(c.name));
        choice->setCheckable(true);
        choice->setChecked(c.code == current);
        group->addAction(choice);
        const QString code = c.code;
        connect(choice, &QAction::triggered, this, [this, code] {
            Language::setStoredChoice(code);
            statusBar()->showMessage(tr("The language changes at the next start"));
        });
    }
}

void MainWindow::buildDocks()
{
    m_filterDock = new FilterDockWidget(this);
    addDockWidget(Qt::RightDockWidgetArea, m_filterDock);
    buildConstructorDock();
    buildRawDataDock();
    m_details = new DetailsDocks(this);

    const struct
    {
        QDockWidget *dock;
        const char *shortcut;
    } toggles[] = {{m_filterDock, "Ctrl+F"},
                   {m_details->panel(), nullptr},
                   {m_rawDataWindow, "Ctrl+R"},
                   {m_constructorWindow, "Ctrl+B"}};
    for (const auto &t : toggles) {
        QAction *toggle = t.dock->toggleViewAction();
        if (t.shortcut)
            toggle->setShortcut(QKeySequence(QLatin1String(t.shortcut)));
        m_menuWindows->addAction(toggle);
    }
    // Ctrl+D brings the Details of the selected item to the front, whether the panel was
    // hidden, behind another tab or open already; the Windows menu's entry hides it.
    auto *showDetails = new QAction(tr("Show Details"), this);
    showDetails->setObjectName(QStringLiteral("actionShowDetailsPanel"));
    showDetails->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    addAction(showDetails);
    connect(showDetails, &QAction::triggered, this, [this] {
        QDockWidget *panel = m_details->panel();
        panel->show();
        panel->raise();
    });
}

void MainWindow::buildConstructorDock()
{
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
    } modes[]
        = {{"addModeAutoButton", QT_TR_NOOP("Auto"), AbstractDisplayableItem::Auto},
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
    setScrolledDockContent(m_constructorWindow, constructorPanel);
    addDockWidget(Qt::RightDockWidgetArea, m_constructorWindow);
}

void MainWindow::buildRawDataDock()
{
    m_rawDataWindow = new QDockWidget(tr("Raw data"), this);
    m_rawDataWindow->setObjectName(QStringLiteral("rawDataWindow"));
    m_rawDataView = new RawDataView(m_rawDataWindow);
    m_rawDataView->setObjectName(QStringLiteral("rawDataView"));
    m_rawDataView->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    m_rawDataView->setAlternatingRowColors(true);
    m_rawDataView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rawDataView->verticalHeader()->hide();
    m_rawDataView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_rawDataView->verticalHeader()->setDefaultSectionSize(m_rawDataView->fontMetrics().height()
                                                           + 4);
    m_rawDataWindow->setWidget(m_rawDataView);
    addDockWidget(Qt::BottomDockWidgetArea, m_rawDataWindow);
}

void MainWindow::wireViews()
{
    auto a = [this](const char *name) { return findChild<QAction *>(QLatin1String(name)); };
    m_mainView->setModel(m_schemeModel);
    const int widths[] = {72, 90, 230, 420, 60, 90};
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_mainView->setColumnWidth(column, widths[column]);
    m_constructorView->setModel(m_constructorModel);
    connect(m_rawDataView->decodeAction(), &QAction::toggled, this, [this](bool on) {
        if (DeviceDispatcher *bus = dispatcher())
            bus->setDescribeFrames(on);
    });
    QWidget *constructorPanel = dockContent(m_constructorWindow);
    m_catalogueBar = new CatalogueBar(m_constructorModel, constructorPanel);
    if (auto *box = qobject_cast<QVBoxLayout *>(constructorPanel->layout()))
        box->insertWidget(0, m_catalogueBar);
    connect(m_catalogueBar, &CatalogueBar::catalogueChanged, this, &MainWindow::updateTestAction);
    connect(m_constructorModel, &QAbstractItemModel::modelReset, this,
            &MainWindow::updateTestAction);
    // Each catalogue has addresses of its own kind; the name takes the rest of the dock.
    connect(m_constructorModel, &QAbstractItemModel::modelReset, m_constructorView,
            [this] { m_constructorView->resizeColumnToContents(0); });
    m_rawDataView->setModel(m_rawModel);
    m_rawDataView->fitColumns();
    // Titles name the address and the name: other columns change with every frame.
    connect(m_schemeModel, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                if (topLeft.column() <= 2 && bottomRight.column() >= 1)
                    slotRefreshDetailsTitles();
            });
    connect(m_schemeModel, &SchemeTreeModel::refreshed, m_constructorModel,
            &DeviceConstructorModel::slotRefreshNames);

    m_mainView->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const char *name : {"actionDetails", "actionPlot", "actionFilterOn", "actionFilterOff",
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
    m_rawDataView->addAction(m_rawDataView->followAction());
    m_rawDataView->addAction(m_rawDataView->decodeAction());

    connect(a("actionRawEnable"), &QAction::toggled, m_rawModel, &RawDataModel::setFlowEnabled);
    m_rawModel->setFlowEnabled(a("actionRawEnable")->isChecked());
    connect(a("actionRawClear"), &QAction::triggered, m_rawModel, &RawDataModel::clearModel);
    connect(a("actionAutoAdd"), &QAction::toggled, this, &MainWindow::slotAutoAddChanged);
    // Switched by the engineer: their choice, kept for the next start.
    QAction *autoAdd = a("actionAutoAdd");
    connect(autoAdd, &QAction::triggered, this,
            [autoAdd] { autoAdd->setProperty(RecordingPlayer::TurnedOnForRecording, false); });
    // Delete in the tree deletes the selected item, as the menu's Delete does.
    auto *deleteKey = new QShortcut(QKeySequence::Delete, m_mainView);
    deleteKey->setObjectName(QStringLiteral("deleteKey"));
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, a("actionDeleteDevice"), &QAction::trigger);
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
    auto updateFlasher = [this, a] {
        const CanDeviceFactory *factory = catalogue();
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

    m_parameterLog->addStatusWidgets(bar);
    // Like the log's counter, the load bar has its caption, so the number says what it counts.
    auto *loadCaption = new QLabel(tr("Bus load:"), bar);
    loadCaption->setObjectName(QStringLiteral("loadCaption"));
    bar->addPermanentWidget(loadCaption);
    m_traffic = new TrafficCalculator(this);
    m_loadBar = new CanLoadBar(m_traffic, bar);
    m_loadBar->setObjectName(QStringLiteral("canLoadBar"));
    bar->addPermanentWidget(m_loadBar);

    m_trafficLabel = new QLabel(bar);
    m_trafficLabel->setObjectName(QStringLiteral("trafficLabel"));
    bar->addPermanentWidget(m_trafficLabel);
    // The loads of the window's further buses, beside the first's.
    auto *otherLoads = new QWidget(bar);
    otherLoads->setObjectName(QStringLiteral("otherBusLoads"));
    auto *otherLoadsRow = new QHBoxLayout(otherLoads);
    otherLoadsRow->setContentsMargins(0, 0, 0, 0);
    bar->addPermanentWidget(otherLoads);
    otherLoads->hide();
    connect(m_traffic, qOverload<const QString &>(&TrafficCalculator::trafficChanged),
            m_trafficLabel, &QLabel::setText);
    connect(m_traffic, qOverload<int>(&TrafficCalculator::trafficChanged), m_loadBar,
            &CanLoadBar::setLoad);

    m_connection
        = TranslatableText::catalogue("MainWindow", QT_TRANSLATE_NOOP("MainWindow", "No adapter"));
    m_connectionLabel = new QLabel(m_connection.toString(), bar);
    m_connectionLabel->setObjectName(QStringLiteral("connectionLabel"));
    bar->addPermanentWidget(m_connectionLabel);

    m_transceiverState = new QToolButton(bar);
    m_transceiverState->setObjectName(QStringLiteral("transceiverStateButton"));
    m_transceiverState->setAutoRaise(true);
    m_transceiverState->setMaximumHeight(16);
    m_transceiverState->setIconSize(QSize(16, 16));
    bar->addPermanentWidget(m_transceiverState);
    slotTransceiverStateChanged(AbstractCanHandler::Closed);
}
