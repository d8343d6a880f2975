#include "machine/cabincontroller.h"

#include "machine/cabincontrollerauxiofunction.h"

CabinController::CabinController(QObject *parent)
    : J1939Device(0x0A, parent)
{
    new CabinControllerAuxIoFunction(this);
}
