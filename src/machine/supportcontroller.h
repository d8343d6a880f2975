#pragma once

#include "model/j1939device.h"

// The support (outrigger) controller; its auxiliary I/O function is built in.
class SupportController : public J1939Device
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit SupportController(QObject *parent = nullptr);
};
