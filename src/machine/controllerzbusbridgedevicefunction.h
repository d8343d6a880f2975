#pragma once

#include "model/staticpgnj1939devicefunction.h"
#include "model/zbusbridge.h"

class ZBusDeviceFactory;

// The controller's sensor-bus bridge (PGN 0xFF34): each frame carries one sensor's message
// (address and seven data bytes). The sensors are its children, made by its own factory.
// Bus thread once registered; the factory lives in the GUI thread.
class ControllerZBusBridgeDeviceFunction : public StaticPgnJ1939DeviceFunction, public ZBusBridge
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ControllerZBusBridgeDeviceFunction(QObject *parent = nullptr);
    ~ControllerZBusBridgeDeviceFunction() override;

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void sendMessage(const ZBusMessage &message) override;
    using AbstractDisplayableItem::sendMessage;
    bool setState(int s) override;
    AbstractDeviceFactory *subFactory() override;
    bool hasSubFactory() const override { return true; }

private:
    ZBusDeviceFactory *m_factory;
};
