#include "model/j1939devicefunction.h"

J1939DeviceFunction::J1939DeviceFunction(QObject *parent)
    : AbstractDisplayableItem(parent)
{}

quint8 J1939DeviceFunction::j1939DeviceAddress() const
{
    const AbstractDisplayableItem *device = parentItem();
    return device ? quint8(device->address().value) : quint8(0xFE);
}
