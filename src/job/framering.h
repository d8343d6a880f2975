#pragma once

#include "can/candumpreader.h"

#include <QVector>

#include <limits>
#include <vector>

// The latest frames of the bus, bounded by time (at least `spanUs` back from the newest frame)
// and by count (`maxFrames`), in storage allocated once: appending never allocates. Frames are
// kept without their text and sending item, which belong to the moment they were seen. Not
// thread-safe: one thread appends and reads (the bus thread's tap, or a console command).
class FrameRing
{
public:
    static constexpr qint64 DefaultSpanUs = 16 * 1000 * 1000;
    // About 15 s of a 1 Mbit/s bus at full load (some 8,000 frames/s), with a margin.
    static constexpr int DefaultMaxFrames = 400000;

    explicit FrameRing(qint64 spanUs = DefaultSpanUs, int maxFrames = DefaultMaxFrames);

    void append(const TimedFrame &frame);
    // Copies out the frames stamped fromUs <= t <= toUs, in arrival order.
    QVector<TimedFrame> frames(qint64 fromUs, qint64 toUs) const;
    // Whether every frame stamped at or after `fromUs` is still held: none was pushed out.
    bool holdsSince(qint64 fromUs) const { return m_newestDroppedUs < fromUs; }

    int size() const { return m_size; }
    int maxFrames() const { return int(m_slots.size()); }
    qint64 spanUs() const { return m_spanUs; }
    // Frames the count bound pushed out while still inside the span.
    qint64 droppedForCount() const { return m_droppedForCount; }
    // Takes effect with the next frame; the frames held stay.
    void setSpan(qint64 spanUs) { m_spanUs = spanUs; }
    // Empties the ring and sizes its storage anew.
    void reset(int maxFrames);
    // Forgets the frames held (a clock that started again makes their stamps meaningless).
    void clear()
    {
        m_first = 0;
        m_size = 0;
        m_newestDroppedUs = std::numeric_limits<qint64>::min();
    }

private:
    const TimedFrame &at(int index) const
    {
        return m_slots[size_t((m_first + index) % maxFrames())];
    }
    void dropOldest();

    std::vector<TimedFrame> m_slots;
    int m_first = 0;
    int m_size = 0;
    qint64 m_spanUs;
    qint64 m_droppedForCount = 0;
    qint64 m_newestDroppedUs = std::numeric_limits<qint64>::min();
};
