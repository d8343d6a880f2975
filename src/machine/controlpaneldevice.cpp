#include "machine/controlpaneldevice.h"

#include "diagnostics/tunefunction.h"
#include "machine/controlpanelstatefunction.h"

ControlPanelDevice::ControlPanelDevice(QObject *parent)
    : J1939Device(0x9D, parent)
{
    new ControlPanelStateFunction(this);
    new TuneFunction(this);
}
