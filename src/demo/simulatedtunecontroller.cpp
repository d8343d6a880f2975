#include "demo/simulatedtunecontroller.h"

namespace {
constexpr quint8 PfAcknowledgement = 0xE8;
constexpr quint8 PfProprietaryA = 0xEF;
constexpr quint8 Priority = 6;
constexpr quint32 MachineStatePgn = 0xFF35;
} // namespace

SimulatedTuneController::SimulatedTuneController(quint8 address)
    : m_address(address)
{}

quint16 SimulatedTuneController::name(const char *twoCharacters)
{
    return quint16(quint8(twoCharacters[0]) << 8 | quint8(twoCharacters[1]));
}

CanMessage SimulatedTuneController::frame(quint8 pf, quint8 destination, quint8 control,
                                          quint16 variable, const Value &value) const
{
    CanMessage m;
    m.id = quint32(Priority) << 26 | quint32(pf) << 16 | quint32(destination) << 8 | m_address;
    m.length = 8;
    m.data[0] = control;
    m.data[1] = quint8(variable >> 8);
    m.data[2] = quint8(variable);
    m.data[3] = m_fault == WrongSize ? 3 : value.size;
    for (int i = 0; i < 4; ++i)
        m.data[4 + i] = quint8(value.raw >> (8 * i));
    return m;
}

void SimulatedTuneController::frameSent(const CanMessage &request,
                                        QVector<SimulatedReply> *replies)
{
    if (!request.extended || request.pduFormat() != PfProprietaryA
        || request.pduSpecific() != m_address || request.length < 8)
        return;
    const quint16 variable = quint16(request.data[1] << 8 | request.data[2]);
    const quint32 raw = quint32(request.data[4]) | quint32(request.data[5]) << 8
                        | quint32(request.data[6]) << 16 | quint32(request.data[7]) << 24;
    const quint8 requester = request.address();
    if (m_fault == Silent)
        return;
    if (raw == 0xFFFFFFFF) {
        ++m_reads;
        Value v = m_values.value(variable, Value{request.data[3], 0xFFFFFFFF});
        if (m_fault == NotAvailable || !m_values.contains(variable))
            v.raw = v.size == 4 ? 0xFFFFFFFF : (1u << (8 * v.size)) - 1;
        replies->append({frame(PfProprietaryA, requester, 0, variable, v), 1});
        return;
    }
    ++m_writes;
    const Value written{request.data[3], raw};
    if (m_ack == 0)
        m_values.insert(variable, written);
    replies->append({frame(PfAcknowledgement, requester, m_ack, variable, written), 1});
}

void SimulatedTuneController::tick(qint64 nowMs, QVector<SimulatedReply> *replies)
{
    if (m_periodMs <= 0 || m_state.isEmpty())
        return;
    if (m_lastBroadcastMs >= 0 && nowMs - m_lastBroadcastMs < m_periodMs)
        return;
    m_lastBroadcastMs = nowMs;
    for (auto it = m_state.cbegin(); it != m_state.cend(); ++it) {
        CanMessage m = frame(0xFF, 0x35, 0, it.key(), it.value());
        m.id = quint32(Priority) << 26 | MachineStatePgn << 8 | m_address;
        replies->append({m, 0});
    }
}
