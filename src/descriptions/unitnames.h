#pragma once

#include <QCoreApplication>
#include <QString>

// The names of units in the interface language. A unit's name comes from the example scheme,
// the catalogue of built-in units or the table of preferred addresses, in the language it was
// made in ("Engine #2 (0x01)", "Cabin controller"); a name the catalogue knows is said in the
// current language, with its address kept, and anything else (a name the user gave) as written.
// Any thread.
class UnitNames
{
    Q_DECLARE_TR_FUNCTIONS(UnitNames)

public:
    static QString translated(const QString &label);
    // "Unit 0x1C": a unit without a name.
    static QString unnamed(int address);
};
