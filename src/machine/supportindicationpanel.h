#pragma once

#include "model/j1939device.h"

// The support indication panel; its state function is built in.
class SupportIndicationPanel : public J1939Device
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit SupportIndicationPanel(QObject *parent = nullptr);
};
