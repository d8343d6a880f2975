#include "demo/simulatedtransport.h"

namespace {

constexpr quint8 PfConnection = 0xEC;
constexpr quint8 PfData = 0xEB;
constexpr quint8 TpPriority = 7;
constexpr quint8 Rts = 0x10;
constexpr quint8 Cts = 0x11;
constexpr quint8 EndOfMsgAck = 0x13;
constexpr quint8 Bam = 0x20;
constexpr quint8 Abort = 0xFF;
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

void SimulatedTransport::send(quint32 pgn, const QByteArray &data, quint8 destination,
                              QVector<SimulatedReply> *replies)
{
    if (data.size() <= CanMessage::MaxLength) {
        replies->append({frame(6, pgn, destination, m_source, data), 1});
        return;
    }
    if (data.size() > MaxSize)
        return;
    if (m_open) {
        const quint8 abort[5] = {Abort, 0xFF, 0xFF, 0xFF, 0xFF};
        replies->append({control(m_peer, abort), 0});
        m_open = false;
        ++m_aborted;
    }
    m_pgn = pgn;
    m_data = data;
    const int packets = packetsFor(data.size());
    const quint8 size0 = quint8(data.size());
    const quint8 size1 = quint8(data.size() >> 8);
    if (destination == CanMessage::GlobalAddress) {
        const quint8 bam[5] = {Bam, size0, size1, quint8(packets), 0xFF};
        replies->append({control(CanMessage::GlobalAddress, bam), 1});
        for (int sequence = 1; sequence <= packets; ++sequence)
            replies->append({dataPacket(CanMessage::GlobalAddress, sequence),
                             1 + sequence * BamSpacingMs});
        ++m_completed;
        return;
    }
    m_peer = destination;
    m_open = true;
    const quint8 rts[5] = {Rts, size0, size1, quint8(packets), 0xFF};
    replies->append({control(destination, rts), 1});
}

bool SimulatedTransport::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (!m_open || !frame.extended || frame.pduFormat() != PfConnection
        || frame.pduSpecific() != m_source || frame.address() != m_peer || frame.length < 8)
        return false;
    const quint32 pgn = quint32(frame.data[5]) | quint32(frame.data[6]) << 8
                        | quint32(frame.data[7]) << 16;
    if (pgn != m_pgn)
        return false;
    switch (frame.data[0]) {
    case Cts: {
        // A CTS for 0 packets holds the connection; the peer sends another CTS later.
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
        return true;
    case Abort:
        m_open = false;
        ++m_aborted;
        return true;
    default:
        return false;
    }
}
