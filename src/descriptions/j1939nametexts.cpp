#include "descriptions/j1939nametexts.h"

#include <iterator>

namespace {

const char *const IndustryGroups[] = {
    QT_TRANSLATE_NOOP("J1939NameTexts", "global"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "on-highway equipment"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "agricultural and forestry equipment"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "construction equipment"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "marine"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "industrial, process control, stationary"),
};

// Functions 0-81, the same in every industry group.
const char *const Functions[] = {
    QT_TRANSLATE_NOOP("J1939NameTexts", "engine"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "auxiliary power unit"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "electric propulsion control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "transmission"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "battery pack monitor"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "shift control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "power take-off, main or rear"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "steering axle"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "drive axle"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "brakes, system controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "brakes, steer axle"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "brakes, drive axle"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "engine retarder"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "driveline retarder"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "cruise control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "fuel system"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "steering controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "suspension, steer axle"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "suspension, drive axle"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "instrument cluster"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "trip recorder"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "cab climate control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "aerodynamic control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "vehicle navigation"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "vehicle security"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "network interconnect unit"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "body controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "power take-off, front or secondary"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "off-vehicle gateway"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "virtual terminal"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "management computer"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "propulsion battery charger"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "headway controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "system monitor"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "hydraulic pump controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "suspension, system controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "pneumatic system controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "cab controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "tire pressure control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "ignition control module"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "seat control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "lighting, operator controls"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "water pump control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "transmission display"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "exhaust emission control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "vehicle dynamic stability control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "oil sensor unit"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "information system controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "ramp control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "clutch, converter control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "auxiliary heater"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "forward-looking collision warning"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "chassis controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "alternator, charging system"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "communications unit, cellular"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "communications unit, satellite"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "communications unit, radio"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "steering column unit"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "fan drive control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "starter"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "cab display"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "file server, printer"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "on-board diagnostic unit"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "engine valve controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "endurance braking"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "gas flow measurement"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "input/output controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "electrical system controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "aftertreatment gas measurement"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "engine emission aftertreatment"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "auxiliary regeneration device"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "transfer case control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "coolant valve controller"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "rollover detection control"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "lubrication system"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "supplemental fan"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "temperature sensor"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "fuel properties sensor"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "fire suppression system"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "power systems manager"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "electric powertrain"),
    QT_TRANSLATE_NOOP("J1939NameTexts", "hydraulic powertrain"),
};

// NMEA 2000 device classes, which marine units carry in the vehicle system field.
struct DeviceClass
{
    int code;
    const char *name;
};
const DeviceClass MarineClasses[] = {
    {10, QT_TRANSLATE_NOOP("J1939NameTexts", "system tool")},
    {20, QT_TRANSLATE_NOOP("J1939NameTexts", "safety system")},
    {25, QT_TRANSLATE_NOOP("J1939NameTexts", "internetwork device")},
    {30, QT_TRANSLATE_NOOP("J1939NameTexts", "electrical distribution")},
    {35, QT_TRANSLATE_NOOP("J1939NameTexts", "electrical generation")},
    {40, QT_TRANSLATE_NOOP("J1939NameTexts", "steering and control surfaces")},
    {50, QT_TRANSLATE_NOOP("J1939NameTexts", "propulsion")},
    {60, QT_TRANSLATE_NOOP("J1939NameTexts", "navigation device")},
    {70, QT_TRANSLATE_NOOP("J1939NameTexts", "communication device")},
    {75, QT_TRANSLATE_NOOP("J1939NameTexts", "sensor interface")},
    {80, QT_TRANSLATE_NOOP("J1939NameTexts", "instrumentation")},
    {85, QT_TRANSLATE_NOOP("J1939NameTexts", "external environment")},
    {90, QT_TRANSLATE_NOOP("J1939NameTexts", "internal environment")},
    {100, QT_TRANSLATE_NOOP("J1939NameTexts", "deck, cargo and fishing equipment")},
    {120, QT_TRANSLATE_NOOP("J1939NameTexts", "display")},
    {125, QT_TRANSLATE_NOOP("J1939NameTexts", "entertainment")},
};

constexpr int IndustryIndependentFunctions = 128;
constexpr int ServiceToolFunction = 129;

} // namespace

QString J1939NameTexts::industryGroup(int group)
{
    if (group >= 0 && group < int(std::size(IndustryGroups)))
        return tr(IndustryGroups[group]);
    return tr("reserved");
}

QString J1939NameTexts::function(int function, int industryGroup, int vehicleSystem)
{
    if (function >= 0 && function < int(std::size(Functions)))
        return tr(Functions[function]);
    if (function < IndustryIndependentFunctions)
        return QString();
    if (industryGroup == Marine) {
        for (const DeviceClass &c : MarineClasses) {
            if (c.code == vehicleSystem)
                return tr(c.name);
        }
        return QString();
    }
    // The service tool keeps its function in the global group and on highways alike.
    if (function == ServiceToolFunction && (industryGroup == Global || industryGroup == OnHighway))
        return tr("off-board service tool");
    return QString();
}

QString J1939NameTexts::functionText(int function, int industryGroup, int vehicleSystem)
{
    const QString words = J1939NameTexts::function(function, industryGroup, vehicleSystem);
    if (words.isEmpty())
        return tr("function %1").arg(function);
    return tr("%1 (function %2)").arg(words).arg(function);
}
