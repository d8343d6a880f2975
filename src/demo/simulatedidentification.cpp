#include "demo/simulatedidentification.h"

namespace {
constexpr quint8 PfRequest = 0xEA;
constexpr quint8 NullAddress = 0xFE;
constexpr int CalIdLength = 16;
} // namespace

SimulatedIdentification::SimulatedIdentification(quint8 address, const QByteArray &ecuid,
                                                 const QByteArray &soft,
                                                 std::shared_ptr<SimulatedTransport> link)
    : m_address(address)
    , m_ecuid(ecuid)
    , m_soft(soft)
    , m_ownsLink(!link)
    , m_link(link ? std::move(link) : std::make_shared<SimulatedTransport>(address))
{}

qint64 SimulatedIdentification::requestedPgn(const CanMessage &frame, quint8 address)
{
    if (!frame.extended || frame.pduFormat() != PfRequest || frame.length < 3)
        return -1;
    if (frame.pduSpecific() != address && frame.pduSpecific() != CanMessage::GlobalAddress)
        return -1;
    return qint64(frame.data[0]) | qint64(frame.data[1]) << 8 | qint64(frame.data[2]) << 16;
}

bool SimulatedIdentification::isGlobalRequest(const CanMessage &frame)
{
    return frame.pduSpecific() == CanMessage::GlobalAddress || frame.address() >= NullAddress;
}

QByteArray SimulatedIdentification::calibrationPayload(const QVector<Calibration> &calibrations)
{
    QByteArray payload;
    for (const Calibration &c : calibrations) {
        for (int i = 0; i < 4; ++i)
            payload.append(char(c.verification >> (8 * i)));
        QByteArray id = c.id.left(CalIdLength);
        id.append(QByteArray(CalIdLength - id.size(), '\0'));
        payload.append(id);
    }
    return payload;
}

void SimulatedIdentification::setCalibrations(const QVector<Calibration> &calibrations)
{
    m_calibrations = calibrationPayload(calibrations);
}

bool SimulatedIdentification::payloadFor(quint32 pgn, QByteArray *payload) const
{
    switch (pgn) {
    case PgnEcuid:
        *payload = m_ecuid;
        return true;
    case PgnSoft:
        *payload = m_soft;
        return true;
    case PgnComponent:
        *payload = m_component;
        break;
    case PgnVehicle:
        *payload = m_vin;
        break;
    case PgnDm19:
        *payload = m_calibrations;
        break;
    default:
        return false;
    }
    return !payload->isEmpty();
}

void SimulatedIdentification::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (m_ownsLink && m_link->takeControlFrame(frame, replies))
        return;
    const qint64 pgn = requestedPgn(frame, m_address);
    if (pgn < 0)
        return;
    const bool global = isGlobalRequest(frame);
    QByteArray payload;
    if (!payloadFor(quint32(pgn), &payload)) {
        const bool ours = pgn == PgnComponent || pgn == PgnVehicle || pgn == PgnDm19;
        // A group asked of this unit alone and not kept is refused; a global request is not.
        if (ours && !global)
            replies->append({SimulatedTransport::acknowledgement(
                                 m_address, SimulatedTransport::Acknowledgement::Negative,
                                 frame.address(), quint32(pgn), frame.address()),
                             1});
        return;
    }
    ++m_requests;
    m_link->send(quint32(pgn), payload, global ? CanMessage::GlobalAddress : frame.address(),
                 replies);
}

void SimulatedIdentification::tick(qint64 nowMs, QVector<SimulatedReply> *replies)
{
    if (m_ownsLink)
        m_link->tick(nowMs, replies);
}
