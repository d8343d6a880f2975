#include "diagnostics/machinestatevariable.h"

#include "model/staticpgnj1939devicefunction.h"

MachineStateVariable::MachineStateVariable(QObject *parent)
    : AbstractNamedVariable(parent)
{
    setObjectName(QStringLiteral("MachineStateVariable"));
    setDeviceType(Continuous, 100);
}

QString MachineStateVariable::textDataImpl() const
{
    return QStringLiteral("%1 = %2").arg(name(), valueText());
}

void MachineStateVariable::transmitState()
{
    auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(parentItem());
    if (!function)
        return;
    CanMessage m;
    m.id = function->canMessageId();
    m.length = 8;
    m.data[0] = 0;
    encode(m.data);
    sendMessage(m);
}
