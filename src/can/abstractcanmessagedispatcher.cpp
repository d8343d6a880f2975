#include "can/abstractcanmessagedispatcher.h"

#include <atomic>

namespace {
std::atomic<AbstractCanMessageDispatcher *> s_instance{nullptr};
}

AbstractCanMessageDispatcher::AbstractCanMessageDispatcher()
{
    s_instance.store(this);
}

AbstractCanMessageDispatcher::~AbstractCanMessageDispatcher()
{
    AbstractCanMessageDispatcher *self = this;
    s_instance.compare_exchange_strong(self, nullptr);
}

AbstractCanMessageDispatcher *AbstractCanMessageDispatcher::instance()
{
    return s_instance.load();
}
