#pragma once

#include <QString>

// Names of suspect parameter numbers as the function library gives them: a parameter whose short
// name is "SPN<number>" names that SPN. Read once, on first use; any thread.
class SpnNames
{
public:
    // The library's name of the SPN; empty when no parameter of the library carries it.
    static QString name(quint32 spn);
    // The same in the interface language, where the catalogue has it.
    static QString translatedName(quint32 spn);
    // Forgets what was read: the next look-up reads the library again.
    static void reset();
};
