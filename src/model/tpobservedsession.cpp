#include "model/tpobservedsession.h"

#include "can/canmessage.h"

#include <cstring>

namespace {
constexpr int BytesPerPacket = 7;
} // namespace

TPObservedSession::TPObservedSession(quint32 pgn, quint16 size, quint8 packets, qint64 startMs)
    : m_pgn(pgn)
    , m_size(size)
    , m_packets(packets)
    , m_lastMs(startMs)
    , m_data(packets * BytesPerPacket, '\xff')
{}

TPObservedSession::TakeResult TPObservedSession::take(const CanMessage &data, qint64 timeMs)
{
    const int sequence = data.data[0];
    if (sequence == 0 || sequence > m_packets || data.length < 1)
        return Invalid;
    m_lastMs = timeMs;
    std::memcpy(m_data.data() + (sequence - 1) * BytesPerPacket, data.data + 1, BytesPerPacket);
    if (!m_have.test(size_t(sequence))) {
        m_have.set(size_t(sequence));
        ++m_received;
    }
    return m_received == m_packets ? Complete : Taken;
}
