#pragma once

#include "model/j1939device.h"

// A J1939 device found on the bus without a description; its functions come from its factory.
class UnknownJ1939Device : public J1939Device
{
    Q_OBJECT

public:
    explicit UnknownJ1939Device(QObject *parent = nullptr);
};
