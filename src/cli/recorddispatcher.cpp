#include "cli/recorddispatcher.h"

#include "can/canmessage.h"
#include "cli/framelogwriter.h"

#include <chrono>

RecordDispatcher::RecordDispatcher(FrameLogWriter *writer)
    : m_writer(writer)
{}

int RecordDispatcher::frameBits(bool extended, int length)
{
    // Start of frame to end of frame: 44 bits around an 11-bit identifier, 64 around a 29-bit
    // one, then 3 bits of interframe space.
    return (extended ? 67 : 47) + 8 * length;
}

void RecordDispatcher::dispatchMessage(const CanMessage &msg, DispatchResult *)
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const qint64 timeUs = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    m_writer->append(timeUs, msg);
    m_frames.fetch_add(1, std::memory_order_relaxed);
    m_bits.fetch_add(quint64(frameBits(msg.extended, msg.length)), std::memory_order_relaxed);
}
