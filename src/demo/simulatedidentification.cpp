#include "demo/simulatedidentification.h"

namespace {
constexpr quint8 PfRequest = 0xEA;
} // namespace

SimulatedIdentification::SimulatedIdentification(quint8 address, const QByteArray &ecuid,
                                                 const QByteArray &soft)
    : m_address(address)
    , m_ecuid(ecuid)
    , m_soft(soft)
    , m_transport(address)
{}

qint64 SimulatedIdentification::requestedPgn(const CanMessage &frame, quint8 address)
{
    if (!frame.extended || frame.pduFormat() != PfRequest || frame.length < 3)
        return -1;
    if (frame.pduSpecific() != address && frame.pduSpecific() != CanMessage::GlobalAddress)
        return -1;
    return qint64(frame.data[0]) | qint64(frame.data[1]) << 8 | qint64(frame.data[2]) << 16;
}

void SimulatedIdentification::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (m_transport.frameSent(frame, replies))
        return;
    const qint64 pgn = requestedPgn(frame, m_address);
    if (pgn != PgnEcuid && pgn != PgnSoft)
        return;
    ++m_requests;
    // A global request, or one from a node without an address, is answered to everyone.
    const bool global = frame.pduSpecific() == CanMessage::GlobalAddress
                        || frame.address() >= 0xFE;
    m_transport.send(quint32(pgn), pgn == PgnEcuid ? m_ecuid : m_soft,
                     global ? CanMessage::GlobalAddress : frame.address(), replies);
}
