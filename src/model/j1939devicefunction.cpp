#include "model/j1939devicefunction.h"

#include <QDomElement>

J1939DeviceFunction::J1939DeviceFunction(QObject *parent)
    : AbstractDisplayableItem(parent)
{}

quint8 J1939DeviceFunction::j1939DeviceAddress() const
{
    const AbstractDisplayableItem *device = parentItem();
    return device ? quint8(device->address().value) : quint8(0xFE);
}

void J1939DeviceFunction::saveItemToXmlNodeImpl(QDomElement &element)
{
    element.setTagName(schemeTag());
}
