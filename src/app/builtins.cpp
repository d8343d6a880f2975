#include "app/builtins.h"

#include "devicetests/devicetestsregistry.h"
#include "diagnostics/diagnosticsregistry.h"
#include "machine/machineregistry.h"

#include <QList>
#include <QMetaType>

void registerBuiltIns()
{
    // Script engines register QList<int> (and its converter) at their first use; decoders in
    // threads of their own (decode -j) would race to do it, and Qt complains on standard error.
    qRegisterMetaType<QList<int>>();
    registerDiagnosticsFunctions();
    registerMachineFunctions();
    // After the machine's units: it gives them their acceptance tests.
    registerDeviceTests();
}
