#pragma once

class ZBusMessage;

// What a sensor needs of the controller function that carries its messages.
class ZBusBridge
{
public:
    virtual ~ZBusBridge() = default;
    virtual void sendMessage(const ZBusMessage &message) = 0;
};
