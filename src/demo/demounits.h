#pragma once

class SimulatedBus;

// The simulated far end of the built-in demo bus: the machine controller at 0xA0 answering
// memory access from the example memory access file, tune reads and writes, and broadcasting
// machine-state variables, its boot loader taking an example program, its identification,
// calibrations and trouble code memory, and its outputs following the lower control panel the
// program stands in for; and a second engine at 0x01 (the recording's engine is at 0x00 and
// answers nothing) with its identification, trouble codes, freeze frames and readiness, which
// honours DM13.
namespace DemoUnits {
constexpr unsigned char ControllerAddress = 0xA0;
constexpr unsigned char EngineAddress = 0x01;
constexpr unsigned char LowerPanelAddress = 0x9E;
extern const char *const MemoryAccessFile;
extern const char *const ExampleProgram;

// How fast the demo's trouble codes and broadcasts change (tests shorten them).
struct Timing
{
    int healMs;        // an intermittent active code becomes previously active
    int returnMs;      // a cleared code whose cause persists is active again
    int holdTimeoutMs; // DM13's suspension ends without stop or hold messages
};
Timing defaultTiming();

void addTo(SimulatedBus *bus);
void addTimed(SimulatedBus *bus, const Timing &timing);
} // namespace DemoUnits
