#pragma once

#include "model/zbusdevice.h"

// A sensor of no known model: its seven data bytes as they come.
class UnknownZBusDevice : public ZBusDevice
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit UnknownZBusDevice(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new UnknownZBusDevice; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
};
