#pragma once

#include "model/j1939device.h"

// The machine controller: IO state, block state and the sensor-bus bridge are built in.
class ControllerDevice : public J1939Device
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ControllerDevice(QObject *parent = nullptr);
};
