#include "model/candevice.h"

#include <QDomElement>

CanDevice::CanDevice(QObject *parent)
    : AbstractDisplayableItem(parent)
{}

QString CanDevice::decodeMessage(const CanMessage &)
{
    return tr("Not decoded");
}

void CanDevice::saveItemToXmlNodeImpl(QDomElement &element)
{
    element.setTagName(schemeTag());
    // The loader reads the address kind from "type": without it a SID device would come back
    // as a J1939 one.
    const QString type = ItemAddress::keyword(address().kind);
    if (!type.isEmpty())
        element.setAttribute(QStringLiteral("type"), type);
}
