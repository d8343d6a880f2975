#include "ui/messagefilter.h"

MessageFilter::MessageFilter(QObject *parent)
    : QObject(parent)
{}

void MessageFilter::setEnabled(bool enabled)
{
    m_enabled = enabled;
}

bool DispatchMessageFilter::filter(const QPair<CanMessage, DispatchResult> &pair) const
{
    const bool dispatched = pair.second.status.testFlag(DispatchResult::Dispatched);
    return m_state == 0 ? dispatched : !dispatched;
}

bool PriorityMessageFilter::filter(const QPair<CanMessage, DispatchResult> &pair) const
{
    return pair.first.priority() <= m_priority;
}

bool AddressMaskMessageFilter::filter(const QPair<CanMessage, DispatchResult> &pair) const
{
    return ((pair.first.id ^ m_value) & m_mask) == 0;
}

bool TargetMessageFilter::filter(const QPair<CanMessage, DispatchResult> &pair) const
{
    return pair.second.status.testFlag(DispatchResult::Target);
}
