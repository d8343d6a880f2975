#pragma once

#include "can/canhandlerfactory.h"

#include <QThread>

#include <atomic>
#include <functional>
#include <mutex>

class AbstractCanHandler;
class AbstractCanMessageDispatcher;

// The bus thread: creates the dispatcher and the chosen handler inside itself and runs the event
// loop in which all adapter work happens. The object itself belongs to the GUI thread.
class CanThread : public QThread
{
    Q_OBJECT

public:
    // What the bus thread needs from the floors above it, given by whoever starts the bus (each
    // bus thread has its own).
    struct Hooks
    {
        // In the bus thread as it starts: the dispatcher the handler routes frames to.
        std::function<AbstractCanMessageDispatcher *()> createDispatcher;
        // In the bus thread once its event loop has ended: the dispatcher and what it holds go.
        std::function<void(AbstractCanMessageDispatcher *)> destroyDispatcher;
    };

    // handlerType 0 asks the user with the adapter-choice dialog. Without hooks the bus has no
    // dispatcher: its frames only reach the window's queue.
    explicit CanThread(int handlerType = 0, QObject *parent = nullptr);
    CanThread(int handlerType, const CanHandlerFactory::AdapterOptions &options,
              const Hooks &hooks = Hooks(), QObject *parent = nullptr);
    ~CanThread() override;

    AbstractCanHandler *canHandler() const { return m_handler.load(); }
    AbstractCanMessageDispatcher *dispatcher() const { return m_dispatcher.load(); }
    int handlerType() const { return m_handlerType; }
    bool isInitDone() const { return m_initDone.load(); }
    // Why the chosen handler could not be created (its library failed, say); empty otherwise.
    // Valid once waitInit() returned.
    QString initError() const;
    void waitInit();

    bool setCanHandler(AbstractCanHandler *handler);

protected:
    void run() override;

private slots:
    bool setCanHandlerImpl(QObject *handler);

private:
    void destroyDispatcher(AbstractCanMessageDispatcher *dispatcher);

    std::atomic<bool> m_initDone{false};
    std::atomic<AbstractCanHandler *> m_handler{nullptr};
    std::atomic<AbstractCanMessageDispatcher *> m_dispatcher{nullptr};
    const Hooks m_hooks; // read only
    int m_handlerType = 0;
    CanHandlerFactory::AdapterOptions m_options;
    QString m_initError; // written by run() before m_initDone is set, read after
    // Receives the queued calls that must run inside the bus thread.
    std::atomic<QObject *> m_inThread{nullptr};
    // Held by run() from start to end. Taken after the thread has ended, it orders everything
    // the thread did before what follows, also for tools that cannot see inside QThread::wait().
    std::mutex m_running;
};
