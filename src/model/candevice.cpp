#include "model/candevice.h"

CanDevice::CanDevice(QObject *parent)
    : AbstractDisplayableItem(parent)
{}

QString CanDevice::decodeMessage(const CanMessage &)
{
    return tr("TODO:Not implemented");
}
