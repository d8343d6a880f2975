#pragma once

#include "app/busstartup.h"
#include "can/canhandlerfactory.h"

#include <QString>

#include <functional>
#include <memory>

class AbstractCanHandler;
class CanDeviceFactory;
class CanThread;
class DeviceDispatcher;
class GuiMessageNotifier;

// One bus of the program: its unit catalogue, its bus thread with the adapter and dispatcher,
// and the notifier that brings its frames to the GUI thread. Made and ended in the GUI thread;
// the catalogue outlives the thread, whose dispatcher deletes the units as it ends.
class BusSession
{
public:
    // Called in the GUI thread with the handler made, before its port is chosen.
    using Prepare = std::function<void(AbstractCanHandler *handler)>;

    BusSession();
    ~BusSession();
    BusSession(const BusSession &) = delete;
    BusSession &operator=(const BusSession &) = delete;

    // Starts the bus thread with an adapter of `type`; false with the reason when the adapter
    // cannot be made (`error` empty when the user chose none).
    bool create(int type, const CanHandlerFactory::AdapterOptions &options, QString *error);
    // Chooses the port and opens the adapter; the result says what failed.
    BusStartup::Result start(const QString &port, unsigned bitRate,
                             const BusStartup::PortChooser &choosePort,
                             const Prepare &prepare = Prepare());
    // Ends the bus thread (its units go with it); the catalogue stays until the session goes.
    void stop();

    CanThread *thread() const { return m_thread.get(); }
    AbstractCanHandler *handler() const;
    DeviceDispatcher *dispatcher() const;
    CanDeviceFactory *catalogue() const { return m_catalogue.get(); }
    GuiMessageNotifier *notifier() const { return m_notifier.get(); }
    int handlerType() const;
    // The port in use once started.
    const QString &port() const { return m_port; }

private:
    std::unique_ptr<CanDeviceFactory> m_catalogue;
    std::unique_ptr<CanThread> m_thread;
    std::unique_ptr<GuiMessageNotifier> m_notifier;
    QString m_port;
};
