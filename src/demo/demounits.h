#pragma once

class SimulatedBus;

// The simulated far end of the built-in demo bus: the machine controller at 0xA0 answering
// memory access from the example memory access file, tune reads and writes, and broadcasting
// machine-state variables.
namespace DemoUnits {
constexpr unsigned char ControllerAddress = 0xA0;
extern const char *const MemoryAccessFile;
void addTo(SimulatedBus *bus);
} // namespace DemoUnits
