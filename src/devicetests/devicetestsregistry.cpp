#include "devicetests/devicetestsregistry.h"

#include "descriptions/unitregistry.h"
#include "devicetests/controllerdevicetest.h"
#include "machine/machineregistry.h"

void registerDeviceTests()
{
    registerMachineFunctions();
    UnitRegistry::registerTest("controller", &ControllerDeviceTest::create,
                               QStringLiteral(":/tests/schemes/controller_test.tvsc"));
}
