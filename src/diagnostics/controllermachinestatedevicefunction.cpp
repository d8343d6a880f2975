#include "diagnostics/controllermachinestatedevicefunction.h"

#include "descriptions/variablefactory.h"
#include "diagnostics/machinestatevariable.h"

#include <QThread>

ControllerMachineStateDeviceFunction::ControllerMachineStateDeviceFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFF, 0x35, parent)
{
    setObjectName(QStringLiteral("ControllerMachineState"));
    setName(tr("Machine state"));
    setDeviceType(Spontaneous, 5000);
    // No name table is known for these frames: every printable name makes a variable.
    m_factory = new VariableFactory(this, {}, "MachineStateVariable",
                                    [] { return new MachineStateVariable; });
    m_factory->setAcceptsAnyName(true);
}

ControllerMachineStateDeviceFunction::~ControllerMachineStateDeviceFunction()
{
    if (m_factory->thread() == QThread::currentThread())
        delete m_factory;
    else
        m_factory->deleteLater();
}

AbstractDeviceFactory *ControllerMachineStateDeviceFunction::subFactory()
{
    return m_factory;
}

bool ControllerMachineStateDeviceFunction::setState(int v)
{
    const bool changed = StaticPgnJ1939DeviceFunction::setState(v);
    if (changed) {
        for (AbstractDisplayableItem *variable : children())
            variable->setState(v);
    }
    return changed;
}
