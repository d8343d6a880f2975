#include "descriptions/unknownj1939device.h"

UnknownJ1939Device::UnknownJ1939Device(QObject *parent)
    : J1939Device(0xFF, parent)
{
}
