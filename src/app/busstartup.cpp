#include "app/busstartup.h"

#include "can/abstractcanhandler.h"
#include "can/canthread.h"
#include "can/replaycanhandler.h"
#include "demo/demounits.h"
#include "descriptions/candevicefactory.h"
#include "model/devicedispatcher.h"

#include <QCoreApplication>
#include <QDebug>

BusStartup::Result BusStartup::run(AbstractCanHandler *handler, const QString &requestedPort,
                                   unsigned bitRate, const PortChooser &choosePort)
{
    Result result;
    // The demo bus answers with its simulated units, in the window and the console alike.
    if (auto *replay = qobject_cast<ReplayCanHandler *>(handler))
        replay->setDemoUnits(&DemoUnits::addTo);
    const auto list = handler->transceivers();
    QStringList names;
    for (const auto &entry : list) {
        qDebug("Transceiver: %d - %s", entry.first, entry.second.toLocal8Bit().constData());
        names << entry.second;
    }

    int index = -1;
    if (!requestedPort.isEmpty()) {
        index = handler->transceiverIndexForName(requestedPort);
        if (index < 0) {
            result.exitCode = 1;
            result.errorTitle
                = QCoreApplication::translate("Main", "CAN handler transceiver set error");
            result.errorText = QCoreApplication::translate("Main", "Port %1 is not available")
                                   .arg(requestedPort);
            return result;
        }
    } else if (names.isEmpty()) {
        qDebug("No transceivers found");
        result.exitCode = 1;
        return result;
    } else if (names.size() == 1) {
        index = 0;
    } else {
        index = choosePort ? choosePort(names) : -1;
        if (index < 0 || index >= names.size()) {
            result.exitCode = 1;
            return result;
        }
    }

    if (!handler->setTransceiver(index)) {
        result.exitCode = 1;
        result.errorTitle
            = QCoreApplication::translate("Main", "CAN handler transceiver set error");
        result.errorText = handler->lastError();
        return result;
    }
    if (!handler->setBaudRate(bitRate))
        qWarning("Bit rate %u is not supported by this adapter", bitRate);
    if (!handler->start()) {
        result.exitCode = 1;
        result.errorTitle = QCoreApplication::translate("Main", "CAN handler start error");
        result.errorText = handler->lastError();
        return result;
    }
    result.port = index < names.size() ? names.at(index) : requestedPort;
    return result;
}

CanThread::Hooks BusStartup::busThreadHooks(CanDeviceFactory *catalogue)
{
    CanThread::Hooks hooks;
    hooks.createDispatcher = [catalogue]() -> AbstractCanMessageDispatcher * {
        auto *dispatcher = new DeviceDispatcher;
        dispatcher->setCatalogue(catalogue);
        return dispatcher;
    };
    hooks.destroyDispatcher = [](AbstractCanMessageDispatcher *dispatcher) {
        // What createDispatcher made.
        auto *devices = static_cast<DeviceDispatcher *>(dispatcher);
        devices->clearScheme();
        delete devices;
    };
    return hooks;
}
