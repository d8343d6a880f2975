// The bus side of the main window: the first bus it follows and the settings every bus of the
// window gets.
#include "ui/mainwindow.h"

#include "can/abstractcanhandler.h"
#include "can/guimessagenotifier.h"
#include "can/replaycanhandler.h"
#include "can/trafficcalculator.h"
#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/devicedispatcher.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "ui/buscheckactions.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/rawdataview.h"
#include "ui/rawdatamodel.h"
#include "ui/recordingplayer.h"
#include "ui/servicejobactions.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QDockWidget>
#include <QIcon>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace {

const char *const TransceiverIcons[] = {
    ":/icons/transstate/closed.png",
    ":/icons/transstate/error.png",
    ":/icons/transstate/ok.png",
};

} // namespace

void MainWindow::attachBus(AbstractCanHandler *handler, GuiMessageNotifier *notifier)
{
    // The adapter whose clock, bit rate and packs the window follows: the handler given, else
    // the one the notifier takes packs from.
    AbstractCanHandler *bus = handler ? handler : notifier ? notifier->handler() : nullptr;
    if (bus) {
        m_traffic->setHandler(bus);
        m_rawModel->setHandler(bus);
    }
    if (notifier) {
        m_notifier = notifier;
        notifier->setHandler(bus);
        applyNotifyInterval();
        connect(notifier, &GuiMessageNotifier::notifyPack, m_rawModel,
                &RawDataModel::slotNotifyPack);
        connect(notifier, &GuiMessageNotifier::notifyPack, m_traffic,
                &TrafficCalculator::slotNotifyPack);
        connect(notifier, &GuiMessageNotifier::notifyPack, m_schemeModel,
                &SchemeTreeModel::checkForUpdates);
        connect(notifier, &GuiMessageNotifier::notifyPack, m_plotDocks, &PlotDocks::slotNotifyPack);
        m_busCheck->attach(notifier, bus);
        slotAutoAddChanged(findChild<QAction *>(QStringLiteral("actionAutoAdd"))->isChecked());
    }
    if (handler) {
        if (auto *d = dynamic_cast<DeviceDispatcher *>(handler->dispatcher()))
            setDispatcher(d);
        connect(handler, &AbstractCanHandler::stateChanged, this,
                &MainWindow::slotTransceiverStateChanged, Qt::QueuedConnection);
        slotTransceiverStateChanged(handler->state());
        m_player->attach(handler);
        m_jobActions->setBus(handler, m_connection);
        // A job left open when the program last ended is offered once the bus is there.
        QTimer::singleShot(0, m_jobActions, &ServiceJobActions::offerJobLeftOpen);
    }
}

void MainWindow::applyNotifyInterval()
{
    if (!m_notifier || m_notifyInterval <= 0)
        return;
    qDebug("Adjusting GuiMessageNotifierInterval to %d", m_notifyInterval);
    m_notifier->setNotifyInterval(m_notifyInterval);
}

void MainWindow::setDispatcher(DeviceDispatcher *dispatcher)
{
    m_schemeController->setDispatcher(dispatcher);
    configureBus(dispatcher);
    // Units are made from the bus's catalogue, by hand or by auto-detection.
    m_constructorModel->setUnitCatalogue(catalogue());
    m_autoDetector->setCatalogue(catalogue());
}

void MainWindow::showConnection(const TranslatableText &adapter, const QString &port)
{
    const char *const onPort = QT_TRANSLATE_NOOP("MainWindow", "%1 on %2");
    m_connection = port.isEmpty() ? adapter
                                  : TranslatableText::catalogue("MainWindow", onPort)
                                        .arg(adapter)
                                        .arg(ReplayCanHandler::portText(port));
    m_connectionLabel->setText(m_connection.toString());
    m_jobActions->setConnection(m_connection);
    m_schemeController->setBusDescription(dispatcher(), m_connection.toString());
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

void MainWindow::configureBus(DeviceDispatcher *bus)
{
    if (!bus)
        return;
    // The raw view's "Decode frames" says whether the bus's units describe their frames.
    bus->setDescribeFrames(m_rawDataView->decodeAction()->isChecked());
    bus->setTransportTiming(m_transportTiming);
    bus->toolAddress().setPreferred(m_toolPreferred);
    bus->toolAddress().setIdentityNumber(m_toolIdentity);
}

bool MainWindow::addBus(int type, const CanHandlerFactory::AdapterOptions &options,
                        const QString &port, unsigned bitRate)
{
    return m_buses->add(type, options, port, bitRate) != nullptr;
}

DeviceDispatcher *MainWindow::currentBus() const
{
    return m_schemeController->busOf(currentNode());
}
