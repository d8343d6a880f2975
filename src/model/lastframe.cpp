#include "model/lastframe.h"

#include <QDateTime>

#include <cstring>

LastFrame::Change LastFrame::take(const CanMessage &message, bool stampChange)
{
    Change change = Same;
    if (message.id != m_id)
        change = OtherFrame;
    else if (message.length != m_length || std::memcmp(message.data, m_data, sizeof m_data) != 0)
        change = Changed;
    if (change == Changed && stampChange)
        m_changeTime.store(QDateTime::currentMSecsSinceEpoch());
    m_id = message.id;
    m_length = message.length;
    std::memcpy(m_data, message.data, sizeof m_data);
    m_message.store(message);
    return change;
}
