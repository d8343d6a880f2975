#include "ui/buscheckactions.h"

#include "app/livebuscheck.h"
#include "can/guimessagenotifier.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "ui/buscheckdock.h"
#include "ui/editors/learndialog.h"
#include "ui/mainwindow.h"
#include "ui/statusprogress.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTreeView>

namespace {

AbstractSchemeTreeItem *nodeWithKey(const QList<AbstractSchemeTreeItem *> &nodes,
                                    const QString &key)
{
    for (AbstractSchemeTreeItem *node : nodes) {
        if (node->uniqueKey() == key)
            return node;
        if (AbstractSchemeTreeItem *found = nodeWithKey(node->childNodes(), key))
            return found;
    }
    return nullptr;
}

} // namespace

BusCheckActions::BusCheckActions(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_check(new LiveBusCheck(this))
    , m_dock(new BusCheckDock(m_check, window))
    , m_learn(new QAction(tr("Learn from the last minutes…"), window))
    , m_run(new QAction(tr("Check the bus"), window))
    , m_save(new QAction(tr("Save check report…"), window))
    , m_learning(new StatusProgress(window->statusBar(), QStringLiteral("learningCancel"), this))
{
    setObjectName(QStringLiteral("busCheckActions"));
    m_check->setObjectName(QStringLiteral("liveBusCheck"));
    m_learn->setObjectName(QStringLiteral("actionBusCheckLearn"));
    m_learn->setStatusTip(tr("The scheme learns the healthy bus from the last minutes of traffic "
                             "and the check starts"));
    m_run->setObjectName(QStringLiteral("actionBusCheckRun"));
    m_run->setCheckable(true);
    m_run->setStatusTip(tr("Checks the bus against what the scheme expects and shows every "
                           "deviation on the timeline of the Bus check dock"));
    m_save->setObjectName(QStringLiteral("actionBusCheckSaveReport"));
    m_save->setStatusTip(tr("Saves the check's deviations as JSON or as JUnit XML (.xml)"));

    QMenu *menu = window->menuBar()->addMenu(tr("Bus check"));
    menu->setObjectName(QStringLiteral("menuBusCheck"));
    menu->menuAction()->setObjectName(QStringLiteral("menuBusCheck"));
    menu->addAction(m_learn);
    menu->addAction(m_run);
    menu->addAction(m_save);
    menu->addSeparator();
    menu->addAction(m_dock->toggleViewAction());

    m_dock->toggleViewAction()->setObjectName(QStringLiteral("actionBusCheckDock"));
    // A tab beside the raw traffic: at hand, and out of the way until a check starts.
    window->addDockWidget(Qt::BottomDockWidgetArea, m_dock);
    if (auto *raw = window->findChild<QDockWidget *>(QStringLiteral("rawDataWindow"))) {
        window->tabifyDockWidget(raw, m_dock);
        raw->raise();
    }
    if (auto *windows = window->findChild<QMenu *>(QStringLiteral("menuWindows")))
        windows->addAction(m_dock->toggleViewAction());

    connect(m_learn, &QAction::triggered, this, &BusCheckActions::learn);
    connect(m_run, &QAction::toggled, this, &BusCheckActions::setChecking);
    connect(m_save, &QAction::triggered, this, &BusCheckActions::saveReport);
    connect(m_dock, &BusCheckDock::itemChosen, this, &BusCheckActions::selectItem);
    connect(m_dock, &BusCheckDock::busChosen, this, &BusCheckActions::chooseBus);
    // The scheme cleared or replaced: what was learned and checked belongs to items that are
    // gone (and whose addresses new items may take).
    connect(window->schemeModel(), &QAbstractItemModel::modelReset, this, [this] {
        m_run->setChecked(false);
        m_check->forgetLearned();
    });
    connect(m_check, &LiveBusCheck::learningProgress, m_learning, &StatusProgress::setPercent);
    connect(m_check, &LiveBusCheck::learningEnded, this, &BusCheckActions::learningEnded);
    connect(m_learning, &StatusProgress::cancelRequested, m_check, &LiveBusCheck::cancelLearning);
    connect(m_check, &LiveBusCheck::started, this, &BusCheckActions::updateActions);
    connect(m_check, &LiveBusCheck::stopped, this, &BusCheckActions::updateActions);
    updateActions();
}

void BusCheckActions::attach(GuiMessageNotifier *notifier, const AbstractCanHandler *handler)
{
    m_firstNotifier = notifier;
    m_firstHandler = handler;
    if (m_bus)
        return;
    m_check->setHandler(handler);
    feedFrom(notifier);
}

DeviceDispatcher *BusCheckActions::bus() const
{
    return m_bus ? m_bus : m_window->dispatcher();
}

void BusCheckActions::feedFrom(GuiMessageNotifier *notifier)
{
    disconnect(m_feed);
    m_feed = notifier ? connect(notifier, &GuiMessageNotifier::notifyPack, m_check,
                                &LiveBusCheck::slotNotifyPack)
                      : QMetaObject::Connection();
}

void BusCheckActions::updateBuses()
{
    const QList<DeviceDispatcher *> buses = m_window->schemeController()->buses();
    if (m_bus && !buses.contains(m_bus))
        watch(nullptr);
    QStringList names;
    for (const DeviceDispatcher *b : buses)
        names << WindowBuses::nameOf(b);
    m_dock->setBuses(names, qMax(0, buses.indexOf(bus())));
}

void BusCheckActions::busAboutToBeRemoved(DeviceDispatcher *bus)
{
    // Its units and notifier are about to go: the check lets go of them first.
    if (bus && bus == m_bus)
        watch(nullptr);
}

void BusCheckActions::chooseBus(int index)
{
    const QList<DeviceDispatcher *> buses = m_window->schemeController()->buses();
    if (index >= 0 && index < buses.size())
        watch(buses.at(index));
}

void BusCheckActions::watch(DeviceDispatcher *bus)
{
    if (bus == m_window->dispatcher())
        bus = nullptr;
    if (bus == m_bus)
        return;
    WindowBuses *buses = m_window->buses();
    if (bus && (!buses || !buses->added().contains(bus)))
        return;
    const bool wasRunning = m_check->isRunning();
    m_bus = bus;
    // Another adapter's frames and clock: a running check ends, and the traffic kept for
    // learning belongs to the bus left (its items' expectations stay with them).
    m_check->switchBus(bus ? bus->handler() : m_firstHandler);
    feedFrom(bus ? buses->notifierOf(bus) : m_firstNotifier.data());
    const QString name = WindowBuses::nameOf(this->bus());
    message(wasRunning ? tr("The bus check watches %1 now; the running check stopped and "
                            "learning starts over")
                             .arg(name)
                       : tr("The bus check watches %1 now; learning starts over").arg(name));
    updateBuses();
}

QList<AbstractDisplayableItem *> BusCheckActions::devices() const
{
    QList<AbstractDisplayableItem *> devices;
    const DeviceDispatcher *watched = bus();
    for (const AbstractSchemeTreeItem *node : m_window->schemeModel()->unitNodes()) {
        if (node->displayable() && node->displayable()->dispatcher() == watched)
            devices << node->displayable();
    }
    return devices;
}

void BusCheckActions::message(const QString &text)
{
    m_window->statusBar()->showMessage(text, 10000);
}

void BusCheckActions::updateActions()
{
    m_save->setEnabled(m_check->checker() != nullptr);
    // Follows the check without starting or stopping it again.
    const QSignalBlocker blocker(m_run);
    m_run->setChecked(m_check->isRunning());
}

void BusCheckActions::learn()
{
    if (m_check->isLearning())
        return;
    LearnDialog dialog(m_check->stretchCount(), m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_learnMinutes = dialog.minutes();
    if (!m_check->startLearning(m_learnMinutes, dialog.marginPercent())) {
        message(tr("Nothing to learn from: no traffic came since the bus opened"));
        return;
    }
    m_learn->setEnabled(false);
    m_learning->begin(tr("Learning from the last %1 min…").arg(m_learnMinutes));
}

void BusCheckActions::learningEnded(bool completed)
{
    m_learning->end();
    m_learn->setEnabled(true);
    if (!completed) {
        message(tr("Learning cancelled; the expectations are as they were"));
        return;
    }
    const int items = m_check->applyLearned(devices());
    if (items < 0) {
        message(tr("Nothing to learn from: no traffic came since the bus opened"));
        return;
    }
    // The expectations are part of the scheme: Save keeps them.
    m_window->schemeDocument()->check();
    QString text
        = tr("%n item(s) learned from the last %1 min", nullptr, items).arg(m_learnMinutes);
    // A unit on the bus that the scheme lacks cannot be expected: the check will call it
    // unexpected until it is added.
    QStringList outside;
    for (quint8 address : m_check->sourcesOutsideScheme())
        outside << QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
    if (!outside.isEmpty())
        text += QStringLiteral("; ")
                + tr("not in the scheme: %1").arg(outside.join(QStringLiteral(", ")));
    message(text);
    if (m_run->isChecked())
        setChecking(true); // again, with what was just learned
    else
        m_run->setChecked(true);
}

void BusCheckActions::setChecking(bool on)
{
    if (!on) {
        m_check->stop();
        return;
    }
    // With several buses the report and the dock say which bus was checked.
    const bool several = m_window->schemeController()->hasSeveralBuses();
    m_check->start(devices(), several ? WindowBuses::nameOf(bus()) : QString());
    m_dock->show();
    m_dock->raise();
}

void BusCheckActions::saveReport()
{
    QString filter;
    QString path = m_window->questions()->askSaveFileName(
        tr("Save check report"), tr("JSON report (*.json);;JUnit XML report (*.xml)"),
        QFileInfo(m_window->schemeDocument()->filePath()).absolutePath(), &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.contains(QLatin1String("*.xml")) ? QStringLiteral(".xml")
                                                        : QStringLiteral(".json");
    QString error;
    if (!m_check->saveReport(path, m_window->schemeDocument()->filePath(), &error)) {
        m_window->questions()->showError(tr("Save check report"),
                                         tr("Cannot write %1: %2").arg(path, error));
        return;
    }
    message(tr("Check report saved to %1").arg(path));
}

void BusCheckActions::selectItem(const QString &itemKey)
{
    AbstractSchemeTreeItem *node = nodeWithKey(m_window->schemeModel()->unitNodes(), itemKey);
    if (!node)
        return;
    // Column 0 of an idle item is disabled, and a view will not make it current.
    const QModelIndex index = m_window->schemeModel()->index(node, 1);
    if (!index.isValid())
        return;
    QTreeView *view = m_window->mainView();
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        view->expand(parent);
    view->setCurrentIndex(index);
    view->scrollTo(index);
}
