#pragma once

#include "descriptions/devicefactoryentry.h"

#include <QList>

// The built-in units of the device catalogue, entered at start-up by the folders that own their
// classes (and their acceptance tests). Read by both threads: every access is locked.
class UnitRegistry
{
public:
    // Enters a unit. Its name is the untranslated text; the catalogue translates it. A key
    // entered again replaces the earlier entry, so registering twice changes nothing.
    static void registerUnit(const DeviceFactoryEntry &entry);
    // Gives the unit `key` its acceptance test and the scheme the test opens, whether the unit
    // is entered before or after.
    static void registerTest(const QByteArray &key, const DeviceFactoryEntry::TestCreator &create,
                             const QString &scheme);
    // The units by ascending address (equal addresses in the order entered), each with its test.
    static QList<DeviceFactoryEntry> units();
};
