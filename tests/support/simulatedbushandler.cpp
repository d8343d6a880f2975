#include "support/simulatedbushandler.h"

bool SimulatedBusHandler::receiveMessagesImpl(unsigned *count)
{
    const QVector<CanMessage> due = m_bus.takeDue();
    if (!due.isEmpty())
        queueBatch(due);
    return TestCanHandler::receiveMessagesImpl(count);
}

void SimulatedBusHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    TestCanHandler::sendMessagesImpl(messages, count, ok);
    if (*ok)
        m_bus.framesSent(messages, count);
}
