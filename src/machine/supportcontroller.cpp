#include "machine/supportcontroller.h"

#include "machine/supportcontrollerauxiofunction.h"

SupportController::SupportController(QObject *parent)
    : J1939Device(0x80, parent)
{
    new SupportControllerAuxIoFunction(this);
}
