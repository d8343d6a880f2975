#pragma once

#include "can/candumpreader.h"
#include "job/inventory.h"
#include "job/inventoryrecord.h"

#include <QByteArray>
#include <QDateTime>

// Shared by the job tests: inventories from candump text, and a pair of inventories as found
// and as left that differ in the ways a service visit changes a machine.
namespace JobFixtures {

inline Inventory inventoryOf(const QByteArray &candump)
{
    CandumpReader reader;
    reader.parse(candump);
    Inventory inventory;
    qint64 last = 0;
    for (const TimedFrame &f : reader.frames()) {
        inventory.take(f.message, f.timeUs);
        last = f.timeUs;
    }
    inventory.finish(last);
    return inventory;
}

inline QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toUTC();
}

inline InventoryRecord::Unit engine()
{
    InventoryRecord::Unit u;
    u.address = 0x00;
    u.label = QStringLiteral("Engine #1 (0x00)");
    u.name = QStringLiteral("0807060504030201");
    u.ecu = QStringLiteral("ECU-7*Bosch*");
    u.software = QStringLiteral("SW 4.1");
    u.component = QStringLiteral("make ZTX, model MC2, serial number SN0417, unit number A0");
    u.componentFields = QStringList{QStringLiteral("ZTX"), QStringLiteral("MC2"),
                                    QStringLiteral("SN0417"), QStringLiteral("A0")};
    u.vin = QStringLiteral("1L06130RELP969468");
    u.calibrations = {{QStringLiteral("CAL-ENGINE-01"), QStringLiteral("0x1234ABCD")},
                      {QStringLiteral("BOOT"), QStringLiteral("n/a")}};
    u.active = {{110, 0, 1}, {100, 18, 3}};
    u.previous = {{190, 2, 5}};
    u.activeKnown = true;
    u.previousKnown = true;
    u.values = {{QStringLiteral("Idle speed"), QStringLiteral("800")}};
    return u;
}

inline InventoryRecord::Unit controller()
{
    InventoryRecord::Unit u;
    u.address = 0xA0;
    u.label = QStringLiteral("Boom controller «Стрела» (0xA0)");
    u.software = QStringLiteral("BC 2.0");
    u.activeKnown = true;
    return u;
}

inline InventoryRecord record(const QVector<InventoryRecord::Unit> &units)
{
    InventoryRecord r;
    r.taken = utc("2026-12-07T14:12:03Z");
    r.requested = true;
    r.units = units;
    return r;
}

} // namespace JobFixtures
