#pragma once

#include "model/j1939device.h"

// A control panel with two joysticks and buttons; its state function is built in.
class ControlPanelDevice : public J1939Device
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ControlPanelDevice(QObject *parent = nullptr);
};
