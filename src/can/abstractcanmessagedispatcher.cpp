#include "can/abstractcanmessagedispatcher.h"

#include "can/abstractcanhandler.h"

AbstractCanMessageDispatcher::~AbstractCanMessageDispatcher()
{
    // A handler that outlives its bus routes nowhere.
    if (AbstractCanHandler *handler = m_handler.load()) {
        AbstractCanMessageDispatcher *self = this;
        handler->m_dispatcher.compare_exchange_strong(self, nullptr);
    }
}
