#pragma once

class CanMessage;
class DispatchResult;

// What the CAN handler needs of the object that routes received frames: one per bus, held by
// whoever started the bus.
class AbstractCanMessageDispatcher
{
public:
    AbstractCanMessageDispatcher() = default;
    virtual ~AbstractCanMessageDispatcher() = default;

    virtual void dispatchMessage(const CanMessage &msg, DispatchResult *result) = 0;
    virtual void checkDropNewData() = 0;
    virtual bool isLowLatencyEnabled() const = 0;

private:
    AbstractCanMessageDispatcher(const AbstractCanMessageDispatcher &) = delete;
    AbstractCanMessageDispatcher &operator=(const AbstractCanMessageDispatcher &) = delete;
};
