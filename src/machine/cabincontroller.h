#pragma once

#include "model/j1939device.h"

// The cabin controller; its auxiliary I/O function is built in.
class CabinController : public J1939Device
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit CabinController(QObject *parent = nullptr);
};
