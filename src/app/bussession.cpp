#include "app/bussession.h"

#include "can/abstractcanhandler.h"
#include "can/canthread.h"
#include "can/guimessagenotifier.h"
#include "descriptions/candevicefactory.h"
#include "model/devicedispatcher.h"

BusSession::BusSession()
    : m_catalogue(CanDeviceFactory::create())
{}

BusSession::~BusSession()
{
    stop();
}

bool BusSession::create(int type, const CanHandlerFactory::AdapterOptions &options, QString *error)
{
    m_thread
        = std::make_unique<CanThread>(type, options, BusStartup::busThreadHooks(m_catalogue.get()));
    m_thread->setObjectName(QStringLiteral("CanThread"));
    m_thread->start(QThread::InheritPriority);
    m_thread->setPriority(QThread::TimeCriticalPriority);
    m_thread->waitInit();
    if (AbstractCanHandler *bus = m_thread->canHandler()) {
        m_notifier = std::make_unique<GuiMessageNotifier>(bus);
        return true;
    }
    // No handler: the choice was cancelled, or the chosen adapter cannot work.
    if (error)
        *error = m_thread->initError();
    m_thread->wait();
    m_thread.reset();
    return false;
}

BusStartup::Result BusSession::start(const QString &port, unsigned bitRate,
                                     const BusStartup::PortChooser &choosePort,
                                     const Prepare &prepare)
{
    AbstractCanHandler *bus = handler();
    if (!bus) {
        BusStartup::Result none;
        none.exitCode = 1;
        return none;
    }
    if (prepare)
        prepare(bus);
    const BusStartup::Result result = BusStartup::run(bus, port, bitRate, choosePort);
    if (result.exitCode == 0)
        m_port = result.port;
    return result;
}

void BusSession::stop()
{
    // The notifier takes packs from the handler, which goes with the thread.
    if (m_notifier)
        m_notifier->setHandler(nullptr);
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
    m_thread.reset();
}

AbstractCanHandler *BusSession::handler() const
{
    return m_thread ? m_thread->canHandler() : nullptr;
}

DeviceDispatcher *BusSession::dispatcher() const
{
    return m_thread ? dynamic_cast<DeviceDispatcher *>(m_thread->dispatcher()) : nullptr;
}

int BusSession::handlerType() const
{
    return m_thread ? m_thread->handlerType() : CanHandlerFactory::None;
}
