#include "ui/windowbuses.h"

#include "can/abstractcanhandler.h"
#include "can/busnames.h"
#include "can/canthread.h"
#include "can/editors/canloadbar.h"
#include "can/guimessagenotifier.h"
#include "can/replaycanhandler.h"
#include "can/trafficcalculator.h"
#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/devicedispatcher.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "ui/editors/plotdocks.h"
#include "ui/mainwindow.h"
#include "ui/rawdatamodel.h"
#include "ui/recordingplayer.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTreeView>

#include <algorithm>

struct WindowBuses::Bus
{
    std::unique_ptr<BusSession> session;
    // The status bar's caption and load of the bus; gone with it.
    std::unique_ptr<QLabel> caption;
    std::unique_ptr<CanLoadBar> load;
    std::unique_ptr<TrafficCalculator> traffic;
    std::unique_ptr<AutoDetector> detector;
    // The first bus's clock minus this one's when it started: its frames' stamps in the raw
    // view on the first bus's time.
    qint64 clockOffsetMs = 0;
};

WindowBuses::WindowBuses(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_add(new QAction(tr("Add Bus…"), window))
    , m_remove(new QAction(tr("Remove Bus"), window))
    , m_filter(new QAction(tr("Show Bus"), window))
    , m_filterMenu(new QMenu(window))
    , m_filterGroup(new QActionGroup(this))
{
    m_add->setObjectName(QStringLiteral("actionAddBus"));
    m_add->setStatusTip(tr("Opens a further adapter or recording as a bus of its own: its units "
                           "are listed under it"));
    m_remove->setObjectName(QStringLiteral("actionRemoveBus"));
    m_remove->setStatusTip(tr("Closes the bus of the selected row; the scheme file keeps its "
                              "units"));
    if (auto *file = window->findChild<QMenu *>(QStringLiteral("menuFile"))) {
        QAction *before = window->findChild<QAction *>(QStringLiteral("actionOpenRecording"));
        file->insertAction(before, m_add);
        file->insertAction(before, m_remove);
    }
    connect(m_add, &QAction::triggered, this, &WindowBuses::addFromUser);
    connect(m_remove, &QAction::triggered, this, &WindowBuses::removeCurrent);
    connect(window->mainView()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &WindowBuses::updateActions);

    // The raw view's bus filter, in its context menu once there are several buses.
    m_filter->setObjectName(QStringLiteral("actionRawBusFilter"));
    m_filterMenu->setObjectName(QStringLiteral("menuRawBusFilter"));
    m_filter->setMenu(m_filterMenu);
    m_filter->setVisible(false);
    if (auto *raw = window->findChild<QTableView *>(QStringLiteral("rawDataView")))
        raw->addAction(m_filter);
    connect(m_filterGroup, &QActionGroup::triggered, this, [this](QAction *chosen) {
        m_window->rawDataModel()->setBusFilter(chosen->data().toInt());
    });
    showBuses();
}

WindowBuses::~WindowBuses()
{
    // The rows read the units, which end with their buses' threads.
    while (!m_buses.empty())
        remove(m_buses.back()->session->dispatcher());
}

QString WindowBuses::nameOf(const DeviceDispatcher *bus)
{
    return BusNames::defaultName(quint8(bus ? bus->busNumber() : 0));
}

QList<DeviceDispatcher *> WindowBuses::added() const
{
    QList<DeviceDispatcher *> list;
    for (const auto &bus : m_buses)
        list << bus->session->dispatcher();
    return list;
}

GuiMessageNotifier *WindowBuses::notifierOf(const DeviceDispatcher *bus) const
{
    for (const auto &entry : m_buses) {
        if (entry->session->dispatcher() == bus)
            return entry->session->notifier();
    }
    return nullptr;
}

DeviceDispatcher *WindowBuses::add(int type, const CanHandlerFactory::AdapterOptions &options,
                                   const QString &port, unsigned bitRate,
                                   const BusSession::Prepare &prepare)
{
    const QString title = tr("Add bus");
    auto bus = std::make_unique<Bus>();
    bus->session = std::make_unique<BusSession>();
    QString error;
    if (!bus->session->create(type, options, &error)) {
        if (!error.isEmpty())
            m_window->questions()->showError(title, error);
        return nullptr;
    }
    DeviceDispatcher *dispatcher = bus->session->dispatcher();
    // A new bus takes the lowest number no bus of the window has; a recording's bus its own.
    QList<int> taken;
    for (DeviceDispatcher *d : m_window->schemeController()->buses())
        taken << d->busNumber();
    int number = 0;
    while (taken.contains(number))
        ++number;
    dispatcher->setBusNumber(number);
    auto choose = [this, title](const QStringList &names) {
        return m_window->questions()->askChoice(title, tr("Port"), names);
    };
    const BusStartup::Result started = bus->session->start(port, bitRate, choose, prepare);
    if (started.exitCode != 0) {
        if (!started.errorText.isEmpty())
            m_window->questions()->showError(started.errorTitle, started.errorText);
        return nullptr;
    }
    if (taken.contains(dispatcher->busNumber())) {
        // A recording's bus whose number another bus of the window has.
        m_window->questions()->showError(
            title, tr("The window has a bus %1 already").arg(nameOf(dispatcher)));
        return nullptr;
    }
    m_window->configureBus(dispatcher);
    const char *const onPort = QT_TRANSLATE_NOOP("MainWindow", "%1 on %2");
    const QString busPort = port.isEmpty() ? started.port : port;
    const QString description
        = QCoreApplication::translate("MainWindow", onPort)
              .arg(CanHandlerFactory::connectionSource(type, busPort).toString(),
                   ReplayCanHandler::portText(busPort).toString());
    SchemeController *scheme = m_window->schemeController();
    scheme->setBusDescription(dispatcher, description);
    scheme->setBusDescription(m_window->dispatcher(), m_window->connectionText());
    Bus *added = bus.get();
    m_buses.push_back(std::move(bus));
    wire(added);
    scheme->addBus(dispatcher);
    m_window->mainView()->expandToDepth(1);
    showBuses();
    emit busesChanged();
    return dispatcher;
}

void WindowBuses::wire(Bus *bus)
{
    GuiMessageNotifier *notifier = bus->session->notifier();
    AbstractCanHandler *handler = bus->session->handler();
    DeviceDispatcher *dispatcher = bus->session->dispatcher();
    // The packs come as often as the first bus's.
    if (GuiMessageNotifier *first = m_window->notifier()) {
        notifier->setNotifyInterval(first->notifyInterval());
        connect(first, &GuiMessageNotifier::notifyIntervalChanged, notifier,
                &GuiMessageNotifier::setNotifyInterval);
    }
    if (AbstractCanHandler *first = m_window->handler())
        bus->clockOffsetMs = first->messageElapsedTimer() - handler->messageElapsedTimer();

    bus->traffic = std::make_unique<TrafficCalculator>();
    bus->traffic->setHandler(handler);
    auto *loads = m_window->statusBar()->findChild<QWidget *>(QStringLiteral("otherBusLoads"));
    bus->caption = std::make_unique<QLabel>(nameOf(dispatcher), loads);
    bus->caption->setObjectName(QStringLiteral("loadCaption_") + nameOf(dispatcher));
    bus->load = std::make_unique<CanLoadBar>(bus->traffic.get(), loads);
    bus->load->setObjectName(QStringLiteral("canLoadBar_") + nameOf(dispatcher));
    if (loads) {
        loads->layout()->addWidget(bus->caption.get());
        loads->layout()->addWidget(bus->load.get());
    }
    connect(bus->traffic.get(), qOverload<int>(&TrafficCalculator::trafficChanged), bus->load.get(),
            &CanLoadBar::setLoad);
    connect(bus->traffic.get(), qOverload<const QString &>(&TrafficCalculator::trafficChanged),
            bus->load.get(), &QWidget::setToolTip);

    bus->detector = std::make_unique<AutoDetector>();
    bus->detector->setCatalogue(bus->session->catalogue());
    auto *autoAdd = m_window->findChild<QAction *>(QStringLiteral("actionAutoAdd"));
    const qint64 offset = bus->clockOffsetMs;
    QObject *context = bus->traffic.get();
    AutoDetector *detector = bus->detector.get();
    connect(
        notifier, &GuiMessageNotifier::notifyPack, context,
        [this, dispatcher, offset, detector, autoAdd](const AbstractCanHandler::MessagePack &pack) {
            m_window->rawDataModel()->addPack(pack, dispatcher->busNumber(), offset);
            if (!autoAdd || !autoAdd->isChecked())
                return;
            const QList<AbstractDisplayableItem *> created = detector->process(pack);
            for (AbstractDisplayableItem *item : created) {
                m_window->schemeDocument()->addedFromTraffic(item);
                m_window->addDisplayable(item, dispatcher);
            }
            if (!created.isEmpty())
                m_window->constructorModel()->refresh();
        });
    connect(notifier, &GuiMessageNotifier::notifyPack, bus->traffic.get(),
            &TrafficCalculator::slotNotifyPack);
    connect(notifier, &GuiMessageNotifier::notifyPack, m_window->schemeModel(),
            &SchemeTreeModel::checkForUpdates);
    connect(notifier, &GuiMessageNotifier::notifyPack, m_window->plotDocks(),
            &PlotDocks::slotNotifyPack);
}

void WindowBuses::remove(DeviceDispatcher *dispatcher)
{
    auto it = std::find_if(m_buses.begin(), m_buses.end(), [dispatcher](const auto &bus) {
        return bus->session->dispatcher() == dispatcher;
    });
    if (it == m_buses.end())
        return;
    emit busAboutToBeRemoved(dispatcher);
    // The rows go first: they read the units, which the bus thread deletes as it ends.
    m_window->schemeController()->removeBus(dispatcher);
    std::unique_ptr<Bus> bus = std::move(*it);
    m_buses.erase(it);
    if (m_window->rawDataModel()->busFilter() == dispatcher->busNumber())
        m_window->rawDataModel()->setBusFilter(-1);
    bus->session->stop();
    bus.reset();
    showBuses();
    emit busesChanged();
}

void WindowBuses::addFromUser()
{
    const QString title = tr("Add bus");
    const int type = m_window->questions()->askAdapterType();
    if (type == CanHandlerFactory::None)
        return;
    QString port;
    if (type == CanHandlerFactory::Replay) {
        // The replay adapter plays the demo bus or a recording of the engineer's.
        const QString demo = QCoreApplication::translate("ReplayCanHandler", "Demo bus (built in)");
        const int source
            = m_window->questions()->askChoice(title, tr("Play"), {demo, tr("A recording…")});
        if (source < 0)
            return;
        if (source == 1) {
            port = m_window->questions()->askOpenFileName(
                QCoreApplication::translate("RecordingPlayer", "Open recording"),
                QCoreApplication::translate("RecordingPlayer", RecordingPlayer::RecordingFilter),
                QString());
            if (port.isEmpty())
                return;
        } else {
            port = demo;
        }
    }
    const DeviceDispatcher *bus = add(type, {}, port, 250000);
    if (!bus)
        return;
    // Its units come by Auto add or from a scheme.
    auto *autoAdd = m_window->findChild<QAction *>(QStringLiteral("actionAutoAdd"));
    m_window->statusBar()->showMessage(
        autoAdd && !autoAdd->isChecked()
            ? tr("Bus %1 added; Auto add (Ctrl+G) lists its units").arg(nameOf(bus))
            : tr("Bus %1 added").arg(nameOf(bus)),
        10000);
}

void WindowBuses::removeCurrent()
{
    DeviceDispatcher *bus = m_window->currentBus();
    if (!added().contains(bus))
        return;
    if (!m_window->confirmAbandonTransfers() || m_window->runningTest())
        return;
    if (!m_window->questions()->askConfirm(
            tr("Remove bus"),
            tr("Close bus %1? The scheme file keeps its units.").arg(nameOf(bus))))
        return;
    remove(bus);
}

void WindowBuses::updateActions()
{
    m_remove->setEnabled(added().contains(m_window->currentBus()));
}

void WindowBuses::showBuses()
{
    const bool several = count() > 1;
    m_window->rawDataModel()->setShowsBus(several);
    m_filter->setVisible(several);
    // The filter lists every bus of the window.
    for (QAction *action : m_filterGroup->actions())
        delete action;
    auto addChoice = [this](const QString &text, int bus, const QString &name) {
        auto *choice = new QAction(text, m_filterGroup);
        choice->setObjectName(name);
        choice->setCheckable(true);
        choice->setData(bus);
        choice->setChecked(m_window->rawDataModel()->busFilter() == bus);
        m_filterMenu->addAction(choice);
    };
    addChoice(tr("All buses"), -1, QStringLiteral("actionRawBusAll"));
    for (const DeviceDispatcher *bus : m_window->schemeController()->buses()) {
        addChoice(nameOf(bus), bus->busNumber(), QStringLiteral("actionRawBus_") + nameOf(bus));
    }
    if (auto *loads = m_window->statusBar()->findChild<QWidget *>(QStringLiteral("otherBusLoads")))
        loads->setVisible(several);
    // The bus rows push every unit and function a level right: the state column makes room for
    // a function's state icon and a unit's two after their indentation (the root's included). A
    // wider column stays.
    QTreeView *view = m_window->mainView();
    if (several) {
        const int icon = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
        const int indent = view->indentation();
        const int room = std::max(3 * indent + icon, 2 * indent + 2 * icon) + 4;
        if (view->columnWidth(0) < room)
            view->setColumnWidth(0, room);
    }
    if (auto *caption = m_window->findChild<QLabel *>(QStringLiteral("loadCaption"))) {
        caption->setText(several ? tr("Bus load: %1").arg(nameOf(m_window->dispatcher()))
                                 : tr("Bus load:"));
    }
    updateActions();
}
