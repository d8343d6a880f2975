#include "machine/controllerdevice.h"

#include "diagnostics/controllermachinestatedevicefunction.h"
#include "diagnostics/tunefunction.h"
#include "machine/controllerblockstatedevicefunction.h"
#include "machine/controlleriostatedevicefunction.h"
#include "machine/controllerzbusbridgedevicefunction.h"

ControllerDevice::ControllerDevice(QObject *parent)
    : J1939Device(0xA0, parent)
{
    new ControllerIOStateDeviceFunction(this);
    new ControllerBlockStateDeviceFunction(this);
    new ControllerZBusBridgeDeviceFunction(this);
    new ControllerMachineStateDeviceFunction(this);
    new TuneFunction(this);
}
