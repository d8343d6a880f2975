#include "demo/demounits.h"

#include "can/simulatedbus.h"
#include "demo/simulatedbootloader.h"
#include "demo/simulatedbroadcastcontrol.h"
#include "demo/simulatedcontrolleroutputs.h"
#include "demo/simulateddiagnostics.h"
#include "demo/simulatedengine.h"
#include "demo/simulatedidentification.h"
#include "demo/simulatedmemoryunit.h"
#include "demo/simulatedtunecontroller.h"
#include "diagnostics/memoryaccessfile.h"

#include <QFile>

#include <cstring>

namespace DemoUnits {

const char *const MemoryAccessFile = ":/demo/controller.ma";
const char *const ExampleProgram = ":/demo/example.prg";

namespace {

using Code = SimulatedTroubleCode;

quint32 floatBits(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

// What the engine recorded when a code occurred: torque mode, boost (kPa), speed (rpm), load
// (%), coolant (degC), oil pressure (kPa), pedal (%), vehicle speed (km/h), battery (V).
QHash<quint32, double> engineFrame(double boost, double rpm, double load, double coolant,
                                   double oil, double pedal, double speed, double battery)
{
    QHash<quint32, double> values{{899, 0},   {190, rpm},  {92, load},  {110, coolant},
                                  {100, oil}, {91, pedal}, {84, speed}, {168, battery}};
    if (boost >= 0) // a boost sensor fault records no boost pressure
        values.insert(102, boost);
    return values;
}

void addEngineDiagnostics(SimulatedDiagnostics *diagnostics, const Timing &timing)
{
    SimulatedTroubleCodes &codes = diagnostics->codes();
    codes.setHealMs(timing.healMs);
    codes.setReturnMs(timing.returnMs);
    // Coolant temperature high: a sticking thermostat, it comes back after clearing.
    codes.addActive({110, 16, 3, Code::AmberWarningLamp, Code::Persists,
                     engineFrame(182, 2150, 78, 108, 380, 82, 6.5, 27.9)});
    // Oil pressure low at idle.
    codes.addActive({100, 18, 1, Code::AmberWarningLamp, Code::Steady,
                     engineFrame(112, 1020, 35, 96, 96, 12, 0, 27.6)});
    // Boost pressure sensor voltage below normal: a loose connector, it heals.
    codes.addActive({102, 4, 2, Code::MalfunctionLamp, Code::Heals,
                     engineFrame(-1, 1780, 64, 88, 420, 60, 4.2, 28.1)});
    // Battery potential low when cranking in the cold; accelerator pedal sensor voltage high
    // long ago (its freeze frame overwritten since).
    codes.addPreviouslyActive({168, 1, 4, Code::AmberWarningLamp, Code::Steady,
                               engineFrame(96, 190, 0, 12, 0, 0, 0, 18.6)});
    codes.addPreviouslyActive({91, 3, 2, Code::AmberWarningLamp, Code::Steady, {}});
    diagnostics->setFreezeSpns(SimulatedDiagnostics::engineFreezeSpns());
    SimulatedDiagnostics::Readiness readiness;
    readiness.obdCompliance = 5;             // not OBD compliant: an off-road engine
    readiness.continuous = 0x06 | 0x40;      // fuel system, comprehensive component (not complete)
    readiness.nonContinuousSupport = 0x0680; // EGR; boost pressure control, particulate filter
    readiness.nonContinuousStatus = 0x0400;  // the particulate filter's not complete
    diagnostics->setReadiness(readiness);
}

void addEngine(SimulatedBus *bus, const Timing &timing)
{
    auto link = std::make_shared<SimulatedTransport>(EngineAddress);
    auto control = std::make_shared<SimulatedBroadcastControl>(EngineAddress);
    control->setHoldTimeoutMs(timing.holdTimeoutMs);
    bus->addUnit(link);
    bus->addUnit(control);
    bus->addUnit(std::make_shared<SimulatedEngine>(EngineAddress, link, control));

    auto identification = std::make_shared<SimulatedIdentification>(
        EngineAddress, QByteArray("EMR2-0211*4.2*Engine*Deutz*"),
        QByteArray("\x01"
                   "EMR2 0211 04 20*"),
        link);
    identification->setComponent("Deutz*TCD 2.9 L4*11934527*E01*");
    identification->setVehicle("X89TVK290R0000417*");
    identification->setCalibrations(
        {{0x5A3C9E71, "EMR4TCD29L4V0312"}, {0x0B71D2C4, "DPF-RGN 2.1"}});
    bus->addUnit(identification);

    auto diagnostics = std::make_shared<SimulatedDiagnostics>(EngineAddress, link, control);
    addEngineDiagnostics(diagnostics.get(), timing);
    bus->addUnit(diagnostics);
}

void addControllerDiagnostics(SimulatedBus *bus)
{
    auto link = std::make_shared<SimulatedTransport>(ControllerAddress);
    bus->addUnit(link);
    auto identification = std::make_shared<SimulatedIdentification>(
        ControllerAddress, QByteArray("TVK-MC2*A0-0417*Boom*Tarvik*"),
        QByteArray("\x02MC2 4.1.7*BOOT 1.3*"), link);
    identification->setComponent("Zentrax*MC2*A0-0417*1*");
    identification->setCalibrations(
        {{0x1F2E3D4C, "MC2-BOOM-0417"}, {0x6A0B33E5, "MC2-SAFETY-0203"}});
    bus->addUnit(identification);

    // The controller logs platform overloads; the log is the maker's to clear, so it refuses
    // DM3. It keeps no active codes (DM11 has nothing to do) and sends DM1 on request only.
    auto diagnostics = std::make_shared<SimulatedDiagnostics>(ControllerAddress, link);
    diagnostics->setDm1PeriodMs(0);
    diagnostics->codes().addPreviouslyActive({521025, 16, 2, Code::RedStopLamp, Code::Steady, {}});
    diagnostics->setRefusesClear(SimulatedDiagnostics::PgnDm3, true);
    bus->addUnit(diagnostics);
}

} // namespace

Timing defaultTiming()
{
    return {SimulatedTroubleCodes::DefaultHealMs, SimulatedTroubleCodes::DefaultReturnMs,
            SimulatedBroadcastControl::DefaultHoldTimeoutMs};
}

void addTo(SimulatedBus *bus)
{
    addTimed(bus, defaultTiming());
}

void addTimed(SimulatedBus *bus, const Timing &timing)
{
    auto memory = std::make_shared<SimulatedMemoryUnit>(ControllerAddress);
    QFile file(QString::fromLatin1(MemoryAccessFile));
    MemoryAccessTable table;
    QString error;
    if (file.open(QIODevice::ReadOnly) && MemoryAccessFile::parse(file.readAll(), &table, &error))
        memory->loadMap(table);
    else
        qWarning("Demo memory map not loaded: %s", qUtf8Printable(error));
    bus->addUnit(memory);

    auto tune = std::make_shared<SimulatedTuneController>(ControllerAddress);
    using T = SimulatedTuneController;
    tune->setValue(T::name("L0"), {4, floatBits(12.5f)});
    tune->setValue(T::name("A1"), {1, 30});
    tune->setValue(T::name("R1"), {2, 300});
    tune->setMachineState(T::name("St"), {1, 2});
    tune->setMachineState(T::name("Hr"), {4, floatBits(1234.5f)});
    tune->setMachineStatePeriod(1000);
    bus->addUnit(tune);
    bus->addUnit(std::make_shared<SimulatedBootLoader>(ControllerAddress));
    bus->addUnit(
        std::make_shared<SimulatedControllerOutputs>(ControllerAddress, LowerPanelAddress));
    addControllerDiagnostics(bus);
    addEngine(bus, timing);
}

} // namespace DemoUnits
