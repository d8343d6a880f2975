#include "demo/simulatedtransport.h"

namespace {

constexpr quint8 PfConnection = 0xEC;
constexpr quint8 PfData = 0xEB;
constexpr quint32 PgnAcknowledgement = 0xE800;
constexpr quint8 TpPriority = 7;
constexpr quint8 AckPriority = 6;
constexpr quint8 SinglePriority = 6;
constexpr quint8 Rts = 0x10;
constexpr quint8 Cts = 0x11;
constexpr quint8 EndOfMsgAck = 0x13;
constexpr quint8 Bam = 0x20;
constexpr quint8 Abort = 0xFF;
constexpr quint8 AbortTimeout = 3;
constexpr int BytesPerPacket = 7;
constexpr int MaxSize = 255 * BytesPerPacket;

int packetsFor(int size)
{
    return (size + BytesPerPacket - 1) / BytesPerPacket;
}

} // namespace

SimulatedTransport::SimulatedTransport(quint8 source)
    : m_source(source)
{}

CanMessage SimulatedTransport::frame(quint8 priority, quint32 pgn, quint8 destination,
                                     quint8 source, const QByteArray &payload)
{
    CanMessage m;
    const quint8 pf = quint8(pgn >> 8);
    const quint8 ps = CanMessage::isPdu1(pf) ? destination : quint8(pgn);
    m.id = quint32(priority) << 26 | (pgn & 0x30000) << 8 | quint32(pf) << 16 | quint32(ps) << 8
           | source;
    m.length = quint8(qMin(payload.size(), int(CanMessage::MaxLength)));
    for (int i = 0; i < m.length; ++i)
        m.data[i] = quint8(payload.at(i));
    return m;
}

CanMessage SimulatedTransport::acknowledgement(quint8 source, Acknowledgement control,
                                               quint8 requester, quint32 pgn, quint8 destination)
{
    QByteArray payload(8, char(0xFF)); // group function and bytes 2-3 not available
    payload[0] = char(control);
    payload[4] = char(requester);
    payload[5] = char(pgn);
    payload[6] = char(pgn >> 8);
    payload[7] = char(pgn >> 16);
    return frame(AckPriority, PgnAcknowledgement, destination, source, payload);
}

CanMessage SimulatedTransport::control(quint8 destination, const quint8 (&bytes)[5]) const
{
    QByteArray payload(reinterpret_cast<const char *>(bytes), 5);
    payload.append(char(m_pgn));
    payload.append(char(m_pgn >> 8));
    payload.append(char(m_pgn >> 16));
    return frame(TpPriority, quint32(PfConnection) << 8, destination, m_source, payload);
}

CanMessage SimulatedTransport::dataPacket(quint8 destination, int sequence) const
{
    // Bytes past the end of the message are 0xFF.
    QByteArray payload(8, char(0xFF));
    payload[0] = char(sequence);
    const int start = (sequence - 1) * BytesPerPacket;
    for (int i = 0; i < BytesPerPacket && start + i < m_data.size(); ++i)
        payload[1 + i] = m_data.at(start + i);
    return frame(TpPriority, quint32(PfData) << 8, destination, m_source, payload);
}

bool SimulatedTransport::isBusy() const
{
    return m_open || m_nowMs < m_broadcastEndMs;
}

void SimulatedTransport::send(quint32 pgn, const QByteArray &data, quint8 destination,
                              QVector<SimulatedReply> *replies)
{
    if (data.size() <= CanMessage::MaxLength) {
        replies->append({frame(SinglePriority, pgn, destination, m_source, data), 1});
        return;
    }
    if (data.size() > MaxSize)
        return;
    if (isBusy()) {
        if (int(m_queue.size()) < MaxQueued)
            m_queue.push_back({pgn, data, destination});
        else
            ++m_dropped;
        return;
    }
    start({pgn, data, destination}, replies);
}

void SimulatedTransport::start(const Outgoing &message, QVector<SimulatedReply> *replies)
{
    m_pgn = message.pgn;
    m_data = message.data;
    const int packets = packetsFor(m_data.size());
    const quint8 size0 = quint8(m_data.size());
    const quint8 size1 = quint8(m_data.size() >> 8);
    if (message.destination == CanMessage::GlobalAddress) {
        const quint8 bam[5] = {Bam, size0, size1, quint8(packets), 0xFF};
        replies->append({control(CanMessage::GlobalAddress, bam), 1});
        for (int sequence = 1; sequence <= packets; ++sequence)
            replies->append(
                {dataPacket(CanMessage::GlobalAddress, sequence), 1 + sequence * BamSpacingMs});
        // One spacing more after the last packet, so the next announcement follows it.
        m_broadcastEndMs = m_nowMs + 1 + (packets + 1) * BamSpacingMs;
        ++m_completed;
        return;
    }
    m_peer = message.destination;
    m_open = true;
    m_lastActivityMs = m_nowMs;
    const quint8 rts[5] = {Rts, size0, size1, quint8(packets), 0xFF};
    replies->append({control(m_peer, rts), 1});
}

void SimulatedTransport::startWaiting(QVector<SimulatedReply> *replies)
{
    while (!isBusy() && !m_queue.empty()) {
        const Outgoing next = m_queue.front();
        m_queue.pop_front();
        start(next, replies);
    }
}

bool SimulatedTransport::takeControlFrame(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (!m_open || !frame.extended || frame.pduFormat() != PfConnection
        || frame.pduSpecific() != m_source || frame.address() != m_peer || frame.length < 8)
        return false;
    const quint32 pgn
        = quint32(frame.data[5]) | quint32(frame.data[6]) << 8 | quint32(frame.data[7]) << 16;
    if (pgn != m_pgn)
        return false;
    switch (frame.data[0]) {
    case Cts: {
        // A CTS for 0 packets holds the connection; the peer sends another CTS later.
        m_lastActivityMs = m_nowMs;
        const int count = frame.data[1];
        const int next = frame.data[2];
        const int packets = packetsFor(m_data.size());
        for (int i = 0; i < count && next + i <= packets; ++i) {
            if (next + i >= 1)
                replies->append({dataPacket(m_peer, next + i), 1 + i});
        }
        return true;
    }
    case EndOfMsgAck:
        m_open = false;
        ++m_completed;
        startWaiting(replies);
        return true;
    case Abort:
        m_open = false;
        ++m_aborted;
        startWaiting(replies);
        return true;
    default:
        return false;
    }
}

void SimulatedTransport::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    takeControlFrame(frame, replies);
}

void SimulatedTransport::tick(qint64 nowMs, QVector<SimulatedReply> *replies)
{
    m_nowMs = nowMs;
    if (m_open && nowMs - m_lastActivityMs > ResponseTimeoutMs) {
        // Nobody sends the CTS (no unit at the requester's address takes the message).
        const quint8 abort[5] = {Abort, AbortTimeout, 0xFF, 0xFF, 0xFF};
        replies->append({control(m_peer, abort), 0});
        m_open = false;
        ++m_aborted;
    }
    startWaiting(replies);
}
