#include "ui/mainwindow.h"

#include "can/abstractcanhandler.h"
#include "can/canloadbar.h"
#include "can/guimessagenotifier.h"
#include "can/trafficcalculator.h"

#include "ui/filterdockwidget.h"
#include "ui/rawdatamodel.h"

#include <QAction>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#ifndef TARVIK_VERSION
#define TARVIK_VERSION "0.0.0"
#endif

namespace {
MainWindow *s_instance = nullptr;

const char *const StateIcons[] = {
    ":/icons/transstate/closed.png",
    ":/icons/transstate/error.png",
    ":/icons/transstate/ok.png",
};
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    s_instance = this;
    setObjectName(QStringLiteral("MainWindow"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabWidget"));
    m_mainView = new QTreeView(m_tabs);
    m_mainView->setObjectName(QStringLiteral("mainView"));
    m_mainView->setSortingEnabled(true);
    m_mainView->header()->setSortIndicatorShown(false);
    m_tabs->addTab(m_mainView, tr("Tree Scheme"));
    setCentralWidget(m_tabs);
    buildStatusBar();
    buildRawView();
    resize(1024, 700);
}

MainWindow::~MainWindow()
{
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

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));

    m_parameterLogCounter = new QLabel(QStringLiteral("0"), bar);
    m_parameterLogCounter->setObjectName(QStringLiteral("parameterLogCounterLabel"));
    bar->addPermanentWidget(m_parameterLogCounter);

    m_traffic = new TrafficCalculator(this);
    m_loadBar = new CanLoadBar(m_traffic, bar);
    m_loadBar->setObjectName(QStringLiteral("canLoadBar"));
    bar->addPermanentWidget(m_loadBar);

    m_trafficLabel = new QLabel(bar);
    m_trafficLabel->setObjectName(QStringLiteral("trafficLabel"));
    m_trafficLabel->setToolTip(tr("Net capacity %n messages per second", nullptr,
                                  m_traffic->netMessageCapacityPerInterval()));
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

void MainWindow::buildRawView()
{
    m_rawModel = new RawDataModel(this);
    m_filterDock = new FilterDockWidget(this);
    m_rawModel->setFilters(m_filterDock->filters());
    addDockWidget(Qt::RightDockWidgetArea, m_filterDock);

    m_rawDock = new QDockWidget(tr("Raw data"), this);
    m_rawDock->setObjectName(QStringLiteral("rawDataWindow"));
    m_rawView = new QTableView(m_rawDock);
    m_rawView->setObjectName(QStringLiteral("rawDataView"));
    m_rawView->setModel(m_rawModel);
    m_rawView->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    m_rawView->setAlternatingRowColors(true);
    m_rawView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rawView->horizontalHeader()->setStretchLastSection(true);
    m_rawView->verticalHeader()->setDefaultSectionSize(m_rawView->fontMetrics().height() + 4);
    m_rawView->setColumnWidth(0, 360);
    m_rawView->setColumnWidth(1, 260);
    m_rawDock->setWidget(m_rawView);
    addDockWidget(Qt::BottomDockWidgetArea, m_rawDock);

    m_rawEnable = new QAction(tr("Raw enable"), this);
    m_rawEnable->setObjectName(QStringLiteral("actionRawEnable"));
    m_rawEnable->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+R")));
    m_rawEnable->setCheckable(true);
    m_rawEnable->setIcon(QIcon(QStringLiteral(":/icons/media-playback-start.png")));
    m_rawClear = new QAction(tr("Raw clear"), this);
    m_rawClear->setObjectName(QStringLiteral("actionRawClear"));
    m_rawClear->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    m_rawClear->setIcon(QIcon(QStringLiteral(":/icons/edit-clear.png")));
    connect(m_rawEnable, &QAction::toggled, m_rawModel, &RawDataModel::setFlowEnabled);
    connect(m_rawClear, &QAction::triggered, m_rawModel, &RawDataModel::clearModel);
    m_rawEnable->setChecked(true);
    auto *bar = addToolBar(tr("Toolbar"));
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->addAction(m_rawEnable);
    bar->addAction(m_rawClear);
    m_rawView->addAction(m_rawEnable);
    m_rawView->addAction(m_rawClear);
    m_rawView->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::attachBus(AbstractCanHandler *handler, GuiMessageNotifier *notifier)
{
    if (notifier) {
        connect(notifier, &GuiMessageNotifier::notifyPack, m_rawModel,
                &RawDataModel::slotNotifyPack);
        connect(notifier, &GuiMessageNotifier::notifyPack, m_traffic,
                &TrafficCalculator::slotNotifyPack);
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
    m_transceiverState->setIcon(QIcon(QLatin1String(StateIcons[state])));
    m_transceiverState->setProperty("transceiverState", state);
    // The traffic capacity follows the bit rate, which is set before the adapter opens.
    m_trafficLabel->setToolTip(tr("Net capacity %n messages per second", nullptr,
                                  m_traffic->netMessageCapacityPerInterval()));
}
