#include "model/siddevice.h"

#include <QDomElement>

SidDevice::SidDevice(quint32 sid, QObject *parent)
    : CanDevice(parent)
{
    setAddress({ItemAddress::Sid, sid});
}

bool SidDevice::matchMessage(const CanMessage &message)
{
    return !message.extended && message.id == address().value;
}

void SidDevice::updateUserReadableAddress()
{
    setUserReadableAddress(QStringLiteral("SID:%1").arg(address().value, 3, 16, QLatin1Char('0')));
}

void SidDevice::transmitData(const unsigned char *data, unsigned int length)
{
    if (length > CanMessage::MaxLength)
        return;
    CanMessage message(address().value & 0x7FF, data, int(length));
    message.extended = false;
    sendMessage(message);
}

bool SidDevice::applyXmlData(QDomElement &element)
{
    applyXmlAttributes(element);
    return true;
}
