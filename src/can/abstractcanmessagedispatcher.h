#pragma once

#include "can/busclock.h"
#include "can/tooladdress.h"

#include <atomic>

class AbstractCanHandler;
class CanMessage;
class DispatchResult;

// What the CAN handler needs of the object that routes received frames: one per bus, held by
// whoever started the bus. It also names the bus's adapter, the handler that routes here, for
// everything on the bus that sends (the units and the window's service actions).
class AbstractCanMessageDispatcher
{
public:
    AbstractCanMessageDispatcher() = default;
    virtual ~AbstractCanMessageDispatcher();

    virtual void dispatchMessage(const CanMessage &msg, DispatchResult *result) = 0;
    virtual void checkDropNewData() = 0;
    virtual bool isLowLatencyEnabled() const = 0;

    // The handler whose frames come here; null while none does. Any thread.
    AbstractCanHandler *handler() const { return m_handler.load(); }

    // The address the tool holds on this bus. Any thread.
    ToolAddress &toolAddress() { return m_toolAddress; }
    const ToolAddress &toolAddress() const { return m_toolAddress; }
    // The bus's number among several (0 for the first, the channel of a recording's bus): a
    // scheme keeps it with every unit of the bus. Any thread.
    int busNumber() const { return m_busNumber.load(); }
    void setBusNumber(int number) { m_busNumber.store(number); }
    // The time of the bus's frames: a recording played on the bus sets it. Any thread.
    BusClock &clock() { return m_clock; }
    const BusClock &clock() const { return m_clock; }

private:
    AbstractCanMessageDispatcher(const AbstractCanMessageDispatcher &) = delete;
    AbstractCanMessageDispatcher &operator=(const AbstractCanMessageDispatcher &) = delete;

    friend class AbstractCanHandler;
    std::atomic<AbstractCanHandler *> m_handler{nullptr};
    ToolAddress m_toolAddress;
    std::atomic<int> m_busNumber{0};
    BusClock m_clock;
};
