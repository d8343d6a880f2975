#pragma once

#include "job/inventoryrecord.h"

#include <QCoreApplication>
#include <QString>
#include <QVector>

// As found against as left: one row per unit and field, with both texts and what became of it.
// The window's table and the report show the same rows. Plain functions, any thread.
class InventoryComparison
{
    Q_DECLARE_TR_FUNCTIONS(InventoryComparison)

public:
    enum class Kind { Same, Changed, Added, Removed };
    enum class Field {
        Unit, // the unit is in one inventory only
        Name,
        Ecu,
        Software,
        Component,
        Vin,
        Calibration, // key: the CAL ID; texts: the CVNs
        ActiveCode,  // key: "SPN n FMI m"; one row per code, or one for all when unknown
        PreviousCode,
        Value // key: what was read or written
    };
    // What became of one trouble code between the two inventories. Active codes (DM1) are
    // cleared, still active or new; previously active ones (DM2, the unit's memory) are cleared,
    // still stored, stored since the job (an active code that went out, by clearing or by
    // itself) or new there without having been active.
    enum class CodeFate { None, Cleared, StillActive, New, StillStored, NowStored };

    struct Row
    {
        int address = 0;
        QString bus;  // empty: the job's own bus
        QString unit; // the unit's label
        Field field = Field::Name;
        QString key;
        QString before;
        QString after;
        Kind kind = Kind::Same;
        CodeFate fate = CodeFate::None;
        InventoryRecord::Code code; // of a code's row: as left, else as found
    };

    static QVector<Row> compare(const InventoryRecord &found, const InventoryRecord &left);

    // "Changed", "Added", ...; "cleared", "still active", "new", "still stored" ...;
    // "Software", "CAL ID X" ...
    static QString kindText(Kind kind);
    static QString fateText(CodeFate fate);
    static QString fieldText(const Row &row);
    // "SPN 110 FMI 0 (Engine coolant temperature; Data valid but above normal range) OC 1"
    static QString codeText(const InventoryRecord::Code &code);
};
