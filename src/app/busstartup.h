#pragma once

#include "can/canthread.h"

#include <QString>
#include <QStringList>

#include <functional>

class AbstractCanHandler;
class CanDeviceFactory;

// Connects the handler the bus thread created: port choice, bit rate, start; a replay handler
// gets the demo bus's simulated units first. Dialog-free so the same path runs in tests; the
// caller shows what failed.
class BusStartup
{
public:
    // Returns the chosen position in the port names, or -1 when the user cancelled.
    using PortChooser = std::function<int(const QStringList &names)>;

    struct Result
    {
        int exitCode = 0;   // 0: the handler runs
        QString errorTitle; // a box title of the start-up sequence, or empty
        QString errorText;
        QString port; // the port in use once the handler runs
    };

    static Result run(AbstractCanHandler *handler, const QString &requestedPort, unsigned bitRate,
                      const PortChooser &choosePort);
    // What a bus thread takes from above can/: the device dispatcher, made and cleared in the
    // bus thread, with `catalogue` as its bus's unit catalogue (made in the GUI thread, kept
    // until the bus thread has ended).
    static CanThread::Hooks busThreadHooks(CanDeviceFactory *catalogue);
};
