#include "app/builtins.h"

#include "devicetests/devicetestsregistry.h"
#include "diagnostics/diagnosticsregistry.h"
#include "machine/machineregistry.h"

#include <QScriptEngine>

void registerBuiltIns()
{
    // The first script engine registers QList<int> and QObjectList, with their converters, in the
    // script library's own copy of the type ids. Engines first made at once in threads of their
    // own (decode -j, several buses) would race to do it, and Qt complains on standard error; one
    // engine made here first settles it.
    { QScriptEngine settlesTypes; }
    registerDiagnosticsFunctions();
    registerMachineFunctions();
    // After the machine's units: it gives them their acceptance tests.
    registerDeviceTests();
}
