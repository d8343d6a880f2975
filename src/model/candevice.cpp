#include "model/candevice.h"

#include <QDomElement>

CanDevice::CanDevice(QObject *parent)
    : AbstractDisplayableItem(parent)
{}

QString CanDevice::decodeMessage(const CanMessage &)
{
    return tr("TODO:Not implemented");
}

void CanDevice::saveItemToXmlNodeImpl(QDomElement &element)
{
    element.setTagName(schemeTag());
}
