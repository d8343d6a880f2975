#include "job/framering.h"

#include <algorithm>
#include <cstring>

FrameRing::FrameRing(qint64 spanUs, int maxFrames)
    : m_spanUs(spanUs)
{
    reset(maxFrames);
}

void FrameRing::reset(int maxFrames)
{
    m_slots.assign(size_t(std::max(1, maxFrames)), TimedFrame());
    m_first = 0;
    m_size = 0;
    m_droppedForCount = 0;
    m_newestDroppedUs = std::numeric_limits<qint64>::min();
}

void FrameRing::dropOldest()
{
    m_newestDroppedUs = std::max(m_newestDroppedUs, at(0).timeUs);
    m_first = (m_first + 1) % maxFrames();
    --m_size;
}

void FrameRing::append(const TimedFrame &frame)
{
    // Frames older than the span go first; only then does the count bound push out frames the
    // span still wanted.
    const qint64 horizonUs = frame.timeUs - m_spanUs;
    while (m_size > 0 && at(0).timeUs < horizonUs)
        dropOldest();
    if (m_size == maxFrames()) {
        ++m_droppedForCount;
        dropOldest();
    }
    TimedFrame &slot = m_slots[size_t((m_first + m_size) % maxFrames())];
    slot.timeUs = frame.timeUs;
    slot.bus = frame.bus;
    CanMessage &m = slot.message;
    m.id = frame.message.id;
    m.length = frame.message.length;
    m.extended = frame.message.extended;
    std::memcpy(m.data, frame.message.data, sizeof m.data);
    ++m_size;
}

QVector<TimedFrame> FrameRing::frames(qint64 fromUs, qint64 toUs) const
{
    QVector<TimedFrame> out;
    // Stamps may step back now and then (another clock, a late frame): every frame is looked at.
    for (int i = 0; i < m_size; ++i) {
        const TimedFrame &f = at(i);
        if (f.timeUs >= fromUs && f.timeUs <= toUs)
            out.append(f);
    }
    return out;
}
