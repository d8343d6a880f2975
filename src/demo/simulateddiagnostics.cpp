#include "demo/simulateddiagnostics.h"

#include "demo/simulatedbroadcastcontrol.h"
#include "demo/simulatedidentification.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr quint8 NoFlash = 0xFF;    // flash lamp fields "unavailable / do not flash"
constexpr int Dm4RecordLength = 12; // the DTC and the fixed values, no manufacturer bytes
constexpr quint32 SpnTorqueMode = 899;
constexpr quint32 SpnBoost = 102;
constexpr quint32 SpnSpeed = 190;
constexpr quint32 SpnLoad = 92;
constexpr quint32 SpnCoolant = 110;
constexpr quint32 SpnVehicleSpeed = 84;
constexpr quint8 Dm24Reserved = 0x18; // byte 2 bits 4-3
constexpr quint8 Dm24NotInDataStream = 0x02;
constexpr quint8 Dm24NoTestResults = 0x04;

// SPN scalings of SAE J1939-71 for the values the demo units record.
const QVector<SimulatedDiagnostics::FreezeSpn> &standardScalings()
{
    static const QVector<SimulatedDiagnostics::FreezeSpn> table = {
        {SpnTorqueMode, 1, 1.0, 0.0, true}, {SpnSpeed, 2, 0.125, 0.0, true},
        {SpnLoad, 1, 1.0, 0.0, false},      {SpnCoolant, 1, 1.0, -40.0, false},
        {100, 1, 4.0, 0.0, false},          {SpnBoost, 1, 2.0, 0.0, false},
        {91, 1, 0.4, 0.0, false},           {SpnVehicleSpeed, 2, 1.0 / 256, 0.0, false},
        {168, 2, 0.05, 0.0, false},
    };
    return table;
}

// The raw bytes of `spn`'s value in `values` (LSB first), all ones when it was not recorded.
void appendValue(QByteArray *out, const QHash<quint32, double> &values,
                 const SimulatedDiagnostics::FreezeSpn &s)
{
    const quint32 maxValid = s.length == 1 ? 0xFAu : 0xFAFFu;
    quint32 raw = s.length == 1 ? 0xFFu : 0xFFFFu;
    const auto it = values.constFind(s.spn);
    if (it != values.constEnd()) {
        const double scaled = std::round((it.value() - s.offset) / s.resolution);
        raw = quint32(std::clamp(scaled, 0.0, double(maxValid)));
    }
    for (int i = 0; i < s.length; ++i)
        out->append(char(raw >> (8 * i)));
}

void appendStandard(QByteArray *out, const QHash<quint32, double> &values, quint32 spn)
{
    for (const SimulatedDiagnostics::FreezeSpn &s : standardScalings()) {
        if (s.spn == spn)
            return appendValue(out, values, s);
    }
}

void appendDtc(QByteArray *out, const SimulatedTroubleCode &code)
{
    out->append(char(code.spn & 0xFF));
    out->append(char((code.spn >> 8) & 0xFF));
    out->append(char(((code.spn >> 16) & 0x7) << 5 | (code.fmi & 0x1F)));
    out->append(char(code.occurrences & 0x7F)); // conversion method bit 0
}

// A list without records: one record of length 0, padded.
QByteArray noRecords()
{
    QByteArray d(8, char(0xFF));
    d[0] = 0;
    return d;
}

} // namespace

SimulatedDiagnostics::SimulatedDiagnostics(quint8 address, std::shared_ptr<SimulatedTransport> link,
                                           std::shared_ptr<SimulatedBroadcastControl> control)
    : m_address(address)
    , m_ownsLink(!link)
    , m_link(link ? std::move(link) : std::make_shared<SimulatedTransport>(address))
    , m_control(std::move(control))
{}

const QVector<SimulatedDiagnostics::FreezeSpn> &SimulatedDiagnostics::engineFreezeSpns()
{
    static const QVector<FreezeSpn> spns = [] {
        QVector<FreezeSpn> list;
        for (const FreezeSpn &s : standardScalings()) {
            if (s.spn != SpnTorqueMode)
                list.append(s);
        }
        return list;
    }();
    return spns;
}

void SimulatedDiagnostics::setRefusesClear(quint32 pgn, bool refuses)
{
    if (pgn == PgnDm3)
        m_refusesDm3 = refuses;
    else if (pgn == PgnDm11)
        m_refusesDm11 = refuses;
}

QByteArray SimulatedDiagnostics::codeList(const QVector<SimulatedTroubleCode> &codes) const
{
    QByteArray d;
    d.append(char(m_codes.lamps()));
    d.append(char(NoFlash));
    for (const SimulatedTroubleCode &code : codes)
        appendDtc(&d, code);
    if (codes.isEmpty())
        d.append(QByteArray(4, '\0')); // "no code": SPN 0, FMI 0
    if (d.size() < CanMessage::MaxLength)
        d.append(QByteArray(CanMessage::MaxLength - d.size(), char(0xFF)));
    return d;
}

QByteArray SimulatedDiagnostics::dm1() const
{
    return codeList(m_codes.active());
}

QByteArray SimulatedDiagnostics::dm2() const
{
    return codeList(m_codes.previouslyActive());
}

QVector<const SimulatedTroubleCode *> SimulatedDiagnostics::codesWithFreezeFrames() const
{
    QVector<const SimulatedTroubleCode *> list;
    for (const auto *codes : {&m_codes.active(), &m_codes.previouslyActive()}) {
        for (const SimulatedTroubleCode &code : *codes) {
            if (!code.freezeFrame.isEmpty())
                list.append(&code);
        }
    }
    return list;
}

QByteArray SimulatedDiagnostics::dm4() const
{
    QByteArray d;
    for (const SimulatedTroubleCode *code : codesWithFreezeFrames()) {
        d.append(char(Dm4RecordLength));
        appendDtc(&d, *code);
        const int modeAt = d.size();
        appendStandard(&d, code->freezeFrame, SpnTorqueMode);
        d[modeAt] = char(d.at(modeAt) | 0xF0); // the mode takes the low 4 bits only
        for (quint32 spn : {SpnBoost, SpnSpeed, SpnLoad, SpnCoolant, SpnVehicleSpeed})
            appendStandard(&d, code->freezeFrame, spn);
    }
    return d.isEmpty() ? noRecords() : d;
}

QByteArray SimulatedDiagnostics::dm5() const
{
    QByteArray d;
    d.append(char(std::min(m_codes.active().size(), 250)));
    d.append(char(std::min(m_codes.previouslyActive().size(), 250)));
    d.append(char(m_readiness.obdCompliance));
    d.append(char(m_readiness.continuous));
    d.append(char(m_readiness.nonContinuousSupport & 0xFF));
    d.append(char(m_readiness.nonContinuousSupport >> 8));
    d.append(char(m_readiness.nonContinuousStatus & 0xFF));
    d.append(char(m_readiness.nonContinuousStatus >> 8));
    return d;
}

QByteArray SimulatedDiagnostics::dm24() const
{
    QByteArray d;
    for (const FreezeSpn &s : m_freezeSpns) {
        d.append(char(s.spn & 0xFF));
        d.append(char((s.spn >> 8) & 0xFF));
        // Bit 0 clear: in the expanded freeze frame; bit 1 clear: in the data stream.
        d.append(char(((s.spn >> 16) & 0x7) << 5 | Dm24Reserved | Dm24NoTestResults
                      | (s.inDataStream ? 0 : Dm24NotInDataStream)));
        d.append(char(s.length));
    }
    return d;
}

QByteArray SimulatedDiagnostics::dm25() const
{
    int valueBytes = 0;
    for (const FreezeSpn &s : m_freezeSpns)
        valueBytes += s.length;
    QByteArray d;
    for (const SimulatedTroubleCode *code : codesWithFreezeFrames()) {
        d.append(char(4 + valueBytes));
        appendDtc(&d, *code);
        for (const FreezeSpn &s : m_freezeSpns)
            appendValue(&d, code->freezeFrame, s);
    }
    return d.isEmpty() ? noRecords() : d;
}

void SimulatedDiagnostics::clear(quint32 pgn, const CanMessage &request,
                                 QVector<SimulatedReply> *replies)
{
    const bool global = SimulatedIdentification::isGlobalRequest(request);
    const quint8 requester = request.address();
    if (pgn == PgnDm3 ? m_refusesDm3 : m_refusesDm11) {
        // A global request is not answered with a negative acknowledgement.
        if (!global)
            replies->append({SimulatedTransport::acknowledgement(
                                 m_address, SimulatedTransport::Acknowledgement::Negative,
                                 requester, pgn, requester),
                             1});
        return;
    }
    if (pgn == PgnDm3) {
        m_codes.clearPreviouslyActive();
        ++m_dm3Clears;
    } else {
        m_codes.clearActive();
        ++m_dm11Clears;
    }
    replies->append({SimulatedTransport::acknowledgement(
                         m_address, SimulatedTransport::Acknowledgement::Positive, requester, pgn,
                         global ? CanMessage::GlobalAddress : requester),
                     1});
}

bool SimulatedDiagnostics::answer(quint32 pgn, const CanMessage &request,
                                  QVector<SimulatedReply> *replies)
{
    QByteArray payload;
    const bool freezeFrames = !m_freezeSpns.isEmpty();
    switch (pgn) {
    case PgnDm1:
        payload = dm1();
        break;
    case PgnDm2:
        payload = dm2();
        break;
    case PgnDm5:
        payload = dm5();
        break;
    case PgnDm4:
        payload = freezeFrames ? dm4() : QByteArray();
        break;
    case PgnDm24:
        payload = freezeFrames ? dm24() : QByteArray();
        break;
    case PgnDm25:
        payload = freezeFrames ? dm25() : QByteArray();
        break;
    case PgnDm3:
    case PgnDm11:
        clear(pgn, request, replies);
        return true;
    default:
        return false;
    }
    const bool global = SimulatedIdentification::isGlobalRequest(request);
    if (payload.isEmpty()) {
        if (!global)
            replies->append({SimulatedTransport::acknowledgement(
                                 m_address, SimulatedTransport::Acknowledgement::Negative,
                                 request.address(), pgn, request.address()),
                             1});
        return true;
    }
    m_link->send(pgn, payload, global ? CanMessage::GlobalAddress : request.address(), replies);
    return true;
}

void SimulatedDiagnostics::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (m_ownsLink && m_link->takeControlFrame(frame, replies))
        return;
    const qint64 pgn = SimulatedIdentification::requestedPgn(frame, m_address);
    if (pgn >= 0)
        answer(quint32(pgn), frame, replies);
}

void SimulatedDiagnostics::tick(qint64 nowMs, QVector<SimulatedReply> *replies)
{
    if (m_ownsLink)
        m_link->tick(nowMs, replies);
    m_codes.advance(nowMs);
    if (m_dm1PeriodMs <= 0 || (m_lastDm1Ms >= 0 && nowMs - m_lastDm1Ms < m_dm1PeriodMs))
        return;
    const QByteArray payload = dm1();
    // A long DM1 waits until the transport is free rather than in its queue, so that it carries
    // the codes of the moment it goes out and a suspension meanwhile holds it back.
    if (payload.size() > CanMessage::MaxLength && m_link->isBusy())
        return;
    m_lastDm1Ms = nowMs;
    if (m_control && m_control->isSuspended(nowMs))
        return;
    ++m_dm1Broadcasts;
    m_link->send(PgnDm1, payload, CanMessage::GlobalAddress, replies);
}
