#include "app/builtins.h"

#include "devicetests/devicetestsregistry.h"
#include "diagnostics/diagnosticsregistry.h"
#include "machine/machineregistry.h"

void registerBuiltIns()
{
    registerDiagnosticsFunctions();
    registerMachineFunctions();
    // After the machine's units: it gives them their acceptance tests.
    registerDeviceTests();
}
