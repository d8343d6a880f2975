#pragma once

#include "can/simulatedbus.h"
#include "support/testcanhandler.h"

// The test adapter with simulated units at the far end: what the program sends reaches the
// units, their answers come back through the normal receive path in later polls.
class SimulatedBusHandler : public TestCanHandler
{
    Q_OBJECT

public:
    using TestCanHandler::TestCanHandler;

    SimulatedBus *bus() { return &m_bus; }

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;

private:
    SimulatedBus m_bus;
};
