#include "descriptions/j1939preferredaddresses.h"

namespace {

struct Preferred
{
    quint8 address;
    const char *name;
};

// A subset of the table: the units a service engineer meets on a machine's bus. 0x0A (drive
// axle #2 in the table) is left out: this machine's cabin controller sits there.
const Preferred Table[] = {
    {0x00, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Engine #1")},
    {0x01, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Engine #2")},
    {0x02, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Turbocharger")},
    {0x03, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Transmission #1")},
    {0x04, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Transmission #2")},
    {0x05, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Shift console, primary")},
    {0x07, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Power take-off, main or rear")},
    {0x08, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Axle, steering")},
    {0x09, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Axle, drive #1")},
    {0x0B, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Brakes, system controller")},
    {0x0F, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Retarder, engine")},
    {0x10, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Retarder, driveline")},
    {0x11, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cruise control")},
    {0x12, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Fuel system")},
    {0x13, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Steering controller")},
    {0x17, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Instrument cluster #1")},
    {0x19, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Climate control #1")},
    {0x1E, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Electrical system")},
    {0x1F, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Starter system")},
    {0x21, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Body controller")},
    {0x25, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Off-vehicle gateway")},
    {0x26, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Virtual terminal")},
    {0x27, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Management computer #1")},
    {0x28, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cab display #1")},
    {0x2E, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Hydraulic pump controller")},
    {0x31, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cab controller, primary")},
    {0x32, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cab controller, secondary")},
    {0x33, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Tire pressure controller")},
    {0xF9, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Off-board service tool #1")},
    {0xFA, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Off-board service tool #2")},
    {0xFB, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "On-board data logger")},
};

} // namespace

QString J1939PreferredAddresses::name(quint8 address)
{
    for (const Preferred &p : Table) {
        if (p.address == address)
            return tr(p.name);
    }
    return QString();
}

QString J1939PreferredAddresses::deviceName(quint8 address)
{
    const QString n = name(address);
    if (n.isEmpty())
        return n;
    const QString hex = QString::number(address, 16).rightJustified(2, QLatin1Char('0')).toUpper();
    return QStringLiteral("%1 (0x%2)").arg(n, hex);
}
