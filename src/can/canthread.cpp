#include "can/canthread.h"

#include "can/abstractcanhandler.h"
#include "can/abstractcanmessagedispatcher.h"
#include "can/canhandlerfactory.h"
#include "can/editors/adapterchoicedialog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>

#include <mutex>

CanThread::CanThread(int handlerType, QObject *parent)
    : CanThread(handlerType, {}, Hooks(), parent)
{}

CanThread::CanThread(int handlerType, const CanHandlerFactory::AdapterOptions &options,
                     const Hooks &hooks, QObject *parent)
    : QThread(parent)
    , m_hooks(hooks)
    , m_handlerType(handlerType)
    , m_options(options)
{
    if (m_handlerType == CanHandlerFactory::None) {
        AdapterChoiceDialog dialog(options);
        m_handlerType = dialog.exec();
        if (m_handlerType == 0)
            QCoreApplication::exit(0);
    }
}

CanThread::~CanThread()
{
    if (isRunning()) {
        quit();
        wait();
    }
    // The thread has ended or never ran: this only orders its work before the members go.
    {
        std::lock_guard ended(m_running);
    }
}

QString CanThread::initError() const
{
    return m_initDone.load() ? m_initError : QString();
}

void CanThread::waitInit()
{
    while (!m_initDone.load())
        msleep(50);
}

void CanThread::run()
{
    std::lock_guard running(m_running);
    // Created here, so it lives in the bus thread; it lives as long as the thread.
    AbstractCanMessageDispatcher *dispatcher
        = m_hooks.createDispatcher ? m_hooks.createDispatcher() : nullptr;
    if (!dispatcher)
        qWarning("Bus thread: no dispatcher, received frames go nowhere");
    m_dispatcher.store(dispatcher);
    QString error;
    AbstractCanHandler *handler
        = CanHandlerFactory::create(m_handlerType, dispatcher, m_options, &error);
    if (!handler) {
        m_dispatcher.store(nullptr);
        destroyDispatcher(dispatcher);
        qDebug("Not set CAN handler");
        // A chosen adapter that cannot work is a failure the user is told about; no choice at
        // all is none. Whoever started the thread decides what follows: the program ends when
        // its first bus cannot start, a bus added later is only not added.
        m_initError = m_handlerType == CanHandlerFactory::None ? QString() : error;
        m_initDone.store(true);
        return;
    }
    QObject inThread;
    m_inThread.store(&inThread);
    m_handler.store(handler);
    m_initDone.store(true);
    exec();
    delete m_handler.exchange(nullptr);
    m_dispatcher.store(nullptr);
    destroyDispatcher(dispatcher);
    m_inThread.store(nullptr);
}

void CanThread::destroyDispatcher(AbstractCanMessageDispatcher *dispatcher)
{
    if (!dispatcher)
        return;
    // Devices still registered go with the dispatcher, in the thread they live in.
    if (m_hooks.destroyDispatcher)
        m_hooks.destroyDispatcher(dispatcher);
    else
        delete dispatcher;
}

bool CanThread::setCanHandler(AbstractCanHandler *handler)
{
    QObject *inThread = m_inThread.load();
    if (!handler || !inThread)
        return false;
    handler->moveToThread(this);
    std::atomic<bool> ok{false};
    QMetaObject::invokeMethod(
        inThread, [&] { ok.store(setCanHandlerImpl(handler)); }, Qt::BlockingQueuedConnection);
    return ok.load();
}

bool CanThread::setCanHandlerImpl(QObject *object)
{
    auto *handler = qobject_cast<AbstractCanHandler *>(object);
    if (!handler)
        return false;
    if (AbstractCanHandler *old = m_handler.load()) {
        old->stop();
        old->deleteLater();
    }
    handler->setDispatcher(m_dispatcher.load());
    const bool ok = handler->start();
    m_handler.store(handler);
    return ok;
}
