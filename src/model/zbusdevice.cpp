#include "model/zbusdevice.h"

#include "model/zbusbridge.h"
#include "model/zxboolparameter.h"

#include <QDebug>
#include <QDomElement>

ZBusDevice::ZBusDevice(quint8 address, QObject *parent)
    : AbstractDisplayableItem(parent)
{
    setAddress({ItemAddress::ZBus, address});
    setDeviceType(Continuous, 100);
    m_fault = addBoolParameter(tr("Sensor Fault"), QStringLiteral("FAULT"));
}

bool ZBusDevice::matchMessage(const CanMessage &message)
{
    return message.data[0] == address().value;
}

bool ZBusDevice::matchMessage(const ZBusMessage &message) const
{
    return message.address() == address().value;
}

void ZBusDevice::transmitState()
{
    qDebug("ZBusDevice::transmitState not implemented in %s", metaObject()->className());
}

void ZBusDevice::saveItemToXmlNodeImpl(QDomElement &element)
{
    element.setTagName(schemeTag());
}

bool ZBusDevice::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    bool allFF = true;
    for (int i = 1; i < CanMessage::MaxLength; ++i)
        allFF = allFF && message.data[i] == 0xFF;
    m_fault->setValue(allFF);
    m_fault->setValid(true);
    return dispatchMessage(ZBusMessage(message));
}

QString ZBusDevice::decodeMessage(const ZBusMessage &)
{
    return tr("Not implemented");
}

void ZBusDevice::sendMessage(const unsigned char *data, unsigned int length)
{
    quint8 payload[ZBusMessage::DataSize];
    std::memset(payload, 0xFF, sizeof payload);
    if (!m_fault->value())
        std::memcpy(payload, data, std::min<size_t>(length, sizeof payload));
    sendMessage(ZBusMessage(quint8(address().value), payload));
}

void ZBusDevice::sendMessage(const ZBusMessage &message)
{
    counterInc();
    if (auto *bridge = dynamic_cast<ZBusBridge *>(parent()))
        bridge->sendMessage(message);
}
