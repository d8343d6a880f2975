#pragma once

#include "descriptions/devicefactoryentry.h"

#include <QList>

// The tool's and the machine's own function kinds that a device's function catalogue offers
// after its function library, entered at start-up by the folders that own their classes. Read
// by both threads: every access is locked.
class PgnFunctionRegistry
{
public:
    enum Offer {
        FromTraffic, // made when a frame of its group arrives
        ByHandOnly,  // added by the engineer only: its group is shared or it has none
    };

    // Enters a function kind. Its name is the untranslated text; the catalogue translates it.
    // A key entered again replaces the earlier entry in place, so registering twice changes
    // nothing.
    static void registerFunction(const DeviceFactoryEntry &entry, Offer offer = FromTraffic);
    // The kinds in the order entered.
    static QList<DeviceFactoryEntry> functions();
    static bool isByHandOnly(const QByteArray &key);
};
