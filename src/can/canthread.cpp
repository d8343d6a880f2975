#include "can/canthread.h"

#include "can/abstractcanhandler.h"
#include "can/canhandlerfactory.h"
#include "can/editors/adapterchoicedialog.h"
#include "descriptions/candevicefactory.h"
#include "model/devicedispatcher.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>

namespace {
std::atomic<CanThread *> s_instance{nullptr};
}

CanThread::CanThread(int handlerType, QObject *parent)
    : CanThread(handlerType, {}, parent)
{}

CanThread::CanThread(int handlerType, const CanHandlerFactory::AdapterOptions &options,
                     QObject *parent)
    : QThread(parent)
    , m_handlerType(handlerType)
    , m_options(options)
{
    s_instance.store(this);
    // The catalogue of device kinds; it stays in the GUI thread, where all its users are.
    if (!CanDeviceFactory::instance())
        CanDeviceFactory::init();
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
    CanThread *self = this;
    s_instance.compare_exchange_strong(self, nullptr);
}

CanThread *CanThread::instance()
{
    return s_instance.load();
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
    // Created here, so it lives in the bus thread; it lives as long as the thread.
    auto *dispatcher = new DeviceDispatcher;
    m_dispatcher.store(dispatcher);
    m_deviceDispatcher.store(dispatcher);
    QString error;
    AbstractCanHandler *handler
        = CanHandlerFactory::create(m_handlerType, dispatcher, m_options, &error);
    if (!handler) {
        m_dispatcher.store(nullptr);
        m_deviceDispatcher.store(nullptr);
        delete dispatcher;
        qDebug("Not set CAN handler");
        // A chosen adapter that cannot work is a failure the user is told about (exit 1); no
        // choice at all is a plain exit.
        m_initError = m_handlerType == CanHandlerFactory::None ? QString() : error;
        QCoreApplication::exit(m_initError.isEmpty() ? 0 : 1);
        m_initDone.store(true);
        return;
    }
    QObject inThread;
    m_inThread.store(&inThread);
    m_handler.store(handler);
    m_initDone.store(true);
    exec();
    delete m_handler.exchange(nullptr);
    // Devices still registered go with the dispatcher, in the thread they live in.
    dispatcher->clearScheme();
    m_dispatcher.store(nullptr);
    m_deviceDispatcher.store(nullptr);
    delete dispatcher;
    m_inThread.store(nullptr);
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
