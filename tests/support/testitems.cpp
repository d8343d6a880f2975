#include "support/testitems.h"

#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"

BindingFunction::BindingFunction(quint8 pf, quint8 ps, QObject *parent)
    : StaticPgnJ1939DeviceFunction(pf, ps, parent)
{}

ZxParameter *BindingFunction::addField(const QString &name, unsigned startByte, int startBit,
                                       int bitLength, float multiplier, float adder)
{
    ZxParameter *p = addFloatParameter(name);
    ParameterBinding b;
    b.startByte = startByte;
    b.startBit = startBit;
    b.bitLength = bitLength;
    b.multiplier = multiplier;
    b.adder = adder;
    setBinding(p, b);
    return p;
}

bool BindingFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    return xmlDispatchMessageImpl(message, result);
}

void BindingFunction::transmitState()
{
    ++m_transmits;
    xmlTransmitState();
}

bool TestZBusSensor::dispatchMessage(const ZBusMessage &)
{
    ++received;
    return true;
}

std::unique_ptr<J1939Device> deviceWithParameters(quint8 address, int count)
{
    auto device = std::make_unique<J1939Device>(address);
    device->setName(QStringLiteral("D%1").arg(address));
    device->setObjectName(device->name());
    for (int i = 0; i < count; ++i)
        device->addIntParameter(QStringLiteral("p%1").arg(i))->setVariantValue(i * 10 + address);
    return device;
}
