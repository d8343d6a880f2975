#pragma once

class CanMessage;
class DispatchResult;

// What the CAN handler needs of the object that routes received frames; one exists at a time.
class AbstractCanMessageDispatcher
{
public:
    AbstractCanMessageDispatcher();
    virtual ~AbstractCanMessageDispatcher();

    virtual void dispatchMessage(const CanMessage &msg, DispatchResult *result) = 0;
    virtual void checkDropNewData() = 0;
    virtual bool isLowLatencyEnabled() const = 0;

    static AbstractCanMessageDispatcher *instance();

private:
    AbstractCanMessageDispatcher(const AbstractCanMessageDispatcher &) = delete;
    AbstractCanMessageDispatcher &operator=(const AbstractCanMessageDispatcher &) = delete;
};
