#include "machine/machineregistry.h"

#include "descriptions/pgnfunctionregistry.h"
#include "descriptions/unitregistry.h"
#include "diagnostics/controllermachinestatedevicefunction.h"
#include "diagnostics/diagnosticsregistry.h"
#include "machine/basicjoystickmessagefunction.h"
#include "machine/cabincontroller.h"
#include "machine/controllerdevice.h"
#include "machine/controllerzbusbridgedevicefunction.h"
#include "machine/controlpaneldevice.h"
#include "machine/supportcontroller.h"
#include "machine/supportindicationpanel.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"

namespace {

void registerJoystickMessages()
{
    const char *const names[] = {QT_TRANSLATE_NOOP("J1939", "Basic Joystick Message 1"),
                                 QT_TRANSLATE_NOOP("J1939", "Basic Joystick Message 2"),
                                 QT_TRANSLATE_NOOP("J1939", "Basic Joystick Message 3")};
    for (int n = 1; n <= 3; ++n) {
        J1939Reg::registerClass(
            [n](J1939Device *device) { return new BasicJoystickMessageFunction(n, device); },
            quint32(0xFDD4 + 2 * n), QStringLiteral("bjm%1").arg(n),
            QString::fromLatin1(names[n - 1]));
    }
}

// The controller's proprietary groups, offered after the tool's functions.
void registerControllerFunctions()
{
    PgnFunctionRegistry::registerFunction(DeviceFactoryEntry(
        "zbus", {ItemAddress::Pgn, 0xFF34},
        QString::fromLatin1(QT_TRANSLATE_NOOP("UnknownPgnFactory", "Z-Bus data")),
        QStringLiteral("ZBUS_BRIDGE_DESC_PH"), QStringLiteral("ZBUS_BRIDGE_FDESC_PH"),
        [] { return new ControllerZBusBridgeDeviceFunction; }));
    PgnFunctionRegistry::registerFunction(DeviceFactoryEntry(
        "prop_machine_state", {ItemAddress::Pgn, 0xFF35},
        QString::fromLatin1(QT_TRANSLATE_NOOP("UnknownPgnFactory", "Machine State")),
        QStringLiteral("MACHINE_STATE_DESC_PH"), QStringLiteral("MACHINE_STATE_FDESC_PH"),
        [] { return new ControllerMachineStateDeviceFunction; }));
}

// The machine's own units, at their fixed addresses.
void registerUnits()
{
    UnitRegistry::registerUnit(DeviceFactoryEntry(
        "cabin_controller", {ItemAddress::J1939, 0x0A},
        QString::fromLatin1(QT_TRANSLATE_NOOP("CanDeviceFactory", "Cabin controller")),
        QStringLiteral("CABIN_CONTROLLER_DESC_PH"), QStringLiteral("CABIN_CONTROLLER_FULL_DESC_PH"),
        [] { return new CabinController; }));
    UnitRegistry::registerUnit(DeviceFactoryEntry(
        "hydro_support_controller", {ItemAddress::J1939, 0x80},
        QString::fromLatin1(QT_TRANSLATE_NOOP("CanDeviceFactory", "Support controller")),
        QStringLiteral("SUPPORT_CONTROLLER_DESC_PH"),
        QStringLiteral("SUPPORT_CONTROLLER_FULL_DESC_PH"), [] { return new SupportController; }));
    UnitRegistry::registerUnit(DeviceFactoryEntry(
        "support_indication_panel", {ItemAddress::J1939, 0x9C},
        QString::fromLatin1(QT_TRANSLATE_NOOP("CanDeviceFactory", "Support indication panel")),
        QStringLiteral("SUPPORT_INDICATION_PANEL_DESC_PH"),
        QStringLiteral("SUPPORT_INDICATION_PANEL_FULL_DESC_PH"),
        [] { return new SupportIndicationPanel; }));
    const struct
    {
        const char *key;
        quint32 address;
        const char *name;
    } panels[] = {
        {"control_panel_ext", 0x9D,
         QT_TRANSLATE_NOOP("CanDeviceFactory", "External control panel")},
        {"control_panel_low", 0x9E, QT_TRANSLATE_NOOP("CanDeviceFactory", "Lower control panel")},
        {"control_panel_upper", 0x9F, QT_TRANSLATE_NOOP("CanDeviceFactory", "Upper control panel")},
    };
    for (const auto &panel : panels) {
        UnitRegistry::registerUnit(DeviceFactoryEntry(
            panel.key, {ItemAddress::J1939, panel.address}, QString::fromLatin1(panel.name),
            QStringLiteral("CONTROL_PANEL_DESC_PH"), QStringLiteral("CONTROL_PANEL_FULL_DESC_PH"),
            [] { return new ControlPanelDevice; }));
    }
    UnitRegistry::registerUnit(DeviceFactoryEntry(
        "controller", {ItemAddress::J1939, 0xA0},
        QString::fromLatin1(QT_TRANSLATE_NOOP("CanDeviceFactory", "Controller")),
        QStringLiteral("CONTROLLER_DESC_PH"), QStringLiteral("CONTROLLER_FULL_DESC_PH"),
        [] { return new ControllerDevice; }));
}

} // namespace

void registerMachineFunctions()
{
    // The machine's units carry the diagnostic functions, and the catalogues list the tool's
    // kinds before the machine's.
    registerDiagnosticsFunctions();
    registerJoystickMessages();
    registerControllerFunctions();
    registerUnits();
}
