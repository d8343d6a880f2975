#include "descriptions/j1939preferredaddresses.h"

#include "descriptions/j1939nametexts.h"

namespace {

struct Preferred
{
    quint8 address;
    const char *name;
};

// The addresses every industry group shares.
const Preferred Shared[] = {
    {0, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Engine #1")},
    {1, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Engine #2")},
    {2, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Turbocharger")},
    {3, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Transmission #1")},
    {4, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Transmission #2")},
    {5, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Shift console, primary")},
    {6, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Shift console, secondary")},
    {7, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Power take-off, main or rear")},
    {8, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Axle, steering")},
    {9, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Axle, drive #1")},
    {10, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Axle, drive #2")},
    {11, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Brakes, system controller")},
    {12, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Brakes, steer axle")},
    {13, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Brakes, drive axle #1")},
    {14, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Brakes, drive axle #2")},
    {15, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Retarder, engine")},
    {16, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Retarder, driveline")},
    {17, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cruise control")},
    {18, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Fuel system")},
    {19, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Steering controller")},
    {20, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Suspension, steer axle")},
    {21, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Suspension, drive axle #1")},
    {22, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Suspension, drive axle #2")},
    {23, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Instrument cluster #1")},
    {24, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Trip recorder")},
    {25, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Climate control #1")},
    {26, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Alternator, charging system")},
    {27, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Aerodynamic control")},
    {28, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Vehicle navigation")},
    {29, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Vehicle security")},
    {30, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Electrical system")},
    {31, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Starter system")},
    {32, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Tractor-trailer bridge #1")},
    {33, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Body controller")},
    {34, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Auxiliary valve control")},
    {35, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Hitch control")},
    {36, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Power take-off, front or secondary")},
    {37, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Off-vehicle gateway")},
    {38, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Virtual terminal")},
    {39, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Management computer #1")},
    {40, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cab display #1")},
    {41, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Retarder, exhaust, engine #1")},
    {42, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Headway controller")},
    {43, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "On-board diagnostic unit")},
    {44, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Retarder, exhaust, engine #2")},
    {45, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Endurance braking system")},
    {46, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Hydraulic pump controller")},
    {47, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Suspension, system controller #1")},
    {48, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Pneumatic system controller")},
    {49, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cab controller, primary")},
    {50, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cab controller, secondary")},
    {51, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Tire pressure controller")},
    {52, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Ignition control module #1")},
    {53, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Ignition control module #2")},
    {54, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Seat control #1")},
    {55, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Lighting, operator controls")},
    {56, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Rear axle steering controller #1")},
    {57, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Water pump controller")},
    {58, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Climate control #2")},
    {59, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Transmission display, primary")},
    {60, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Transmission display, secondary")},
    {61, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Exhaust emission controller")},
    {62, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Vehicle dynamic stability controller")},
    {63, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Oil sensor")},
    {64, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Suspension, system controller #2")},
    {65, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Information system controller #1")},
    {66, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Ramp control")},
    {67, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Clutch, converter unit")},
    {68, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Auxiliary heater #1")},
    {69, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Auxiliary heater #2")},
    {70, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Engine valve controller")},
    {71, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Chassis controller #1")},
    {72, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Chassis controller #2")},
    {73, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Propulsion battery charger")},
    {74, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Communications unit, cellular")},
    {75, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Communications unit, satellite")},
    {76, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Communications unit, radio")},
    {77, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Steering column unit")},
    {78, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Fan drive controller")},
    {79, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Seat control #2")},
    {80, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Parking brake controller")},
    {81, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Aftertreatment #1, gas intake")},
    {82, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Aftertreatment #1, gas outlet")},
    {83, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Safety restraint system")},
    {84, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Cab display #2")},
    {85, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Diesel particulate filter controller")},
    {86, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Aftertreatment #2, gas intake")},
    {87, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Aftertreatment #2, gas outlet")},
    {88, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Safety restraint system #2")},
    {89, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Atmospheric sensor")},
    {90, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Powertrain control module")},
    {91, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Power systems manager")},
    {248, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "File server, printer")},
    {249, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Off-board service tool #1")},
    {250, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Off-board service tool #2")},
    {251, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "On-board data logger")},
    {252, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Experimental use")},
    {253, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Reserved for the vehicle maker")},
};

// Addresses 128-247 of on-highway equipment; the trailers' blocks of eight are made below.
const Preferred OnHighway[] = {
    {159, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Roadway information system")},
    {160, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Advanced emergency braking system")},
    {161, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Fifth wheel smart system")},
    {162, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Slope sensor")},
    {163, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Catalyst fluid sensor")},
    {164, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "On-board diagnostic unit #2")},
    {165, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Rear steering axle controller #2")},
    {166, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Rear steering axle controller #3")},
    {167, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Instrument cluster #2")},
    {228, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Steering input unit")},
    {229, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Body controller #2")},
    {230, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Body-to-vehicle interface control")},
    {231, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Articulation turntable control")},
    {232, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Forward road image processor")},
    {233, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Door controller #3")},
    {234, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Door controller #4")},
    {235, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Tractor-trailer bridge #2")},
    {236, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Door controller #1")},
    {237, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Door controller #2")},
    {238, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Tachograph")},
    {239, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Electric propulsion control #1")},
    {240, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Electric propulsion control #2")},
    {241, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Electric propulsion control #3")},
    {242, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Electric propulsion control #4")},
    {243, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Battery pack monitor #1")},
    {244, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Battery pack monitor #2")},
    {245, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Battery pack monitor #3")},
    {246, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Battery pack monitor #4")},
    {247, QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Auxiliary power unit #1")},
};

// Trailer #5 sits at 168-175, trailer #1 at 200-207: each holds these eight units in order.
constexpr int FirstTrailerAddress = 168;
constexpr int TrailerCount = 5;
const char *const TrailerUnits[8] = {
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Trailer #%1 bridge"),
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Trailer #%1 lighting"),
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Trailer #%1 brakes"),
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Trailer #%1 reefer"),
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Trailer #%1 cargo"),
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Trailer #%1 chassis, suspension"),
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Other trailer #%1 unit"),
    QT_TRANSLATE_NOOP("J1939PreferredAddresses", "Other trailer #%1 unit"),
};

template<size_t N>
const char *find(const Preferred (&table)[N], quint8 address)
{
    for (const Preferred &p : table) {
        if (p.address == address)
            return p.name;
    }
    return nullptr;
}

bool isIndustrySpecific(quint8 address)
{
    return address >= 128 && address <= 247;
}

} // namespace

QString J1939PreferredAddresses::name(quint8 address, int industryGroup)
{
    if (industryGroup == J1939NameTexts::Marine)
        return QString();
    if (!isIndustrySpecific(address)) {
        const char *shared = find(Shared, address);
        return shared ? tr(shared) : QString();
    }
    // Without a NAME, a unit in the industry-specific range is most likely a truck's.
    if (industryGroup != UnknownIndustryGroup && industryGroup != J1939NameTexts::OnHighway)
        return QString();
    const int trailerBlock = (address - FirstTrailerAddress) / 8;
    if (address >= FirstTrailerAddress && trailerBlock < TrailerCount)
        return tr(TrailerUnits[(address - FirstTrailerAddress) % 8])
            .arg(TrailerCount - trailerBlock);
    const char *onHighway = find(OnHighway, address);
    return onHighway ? tr(onHighway) : QString();
}

QString J1939PreferredAddresses::deviceName(quint8 address, int industryGroup)
{
    const QString n = name(address, industryGroup);
    return n.isEmpty() ? n : withAddress(n, address);
}

QString J1939PreferredAddresses::withAddress(const QString &name, quint8 address)
{
    const QString hex = QString::number(address, 16).rightJustified(2, QLatin1Char('0')).toUpper();
    return QStringLiteral("%1 (0x%2)").arg(name, hex);
}
