#include "demo/simulatedbroadcastcontrol.h"

namespace {

constexpr quint8 PfDm13 = 0xDF;
constexpr int MinLength = 4; // the network fields and the hold and suspend signals

// A network's two-bit field.
enum Command : quint8 { Stop = 0, Start = 1, Reserved = 2, DontCare = 3 };
// Hold signal (byte 3, bits 7-4).
constexpr quint8 HoldAllDevices = 0x0;
constexpr quint8 HoldModifiedDevices = 0x1;
// Suspend signal (byte 3, bits 3-0): temporary suspensions of all or of some messages.
constexpr quint8 TemporaryAll = 0x2;
constexpr quint8 TemporarySome = 0x3;
constexpr quint16 DurationNotAvailable = 0xFFFF;

} // namespace

SimulatedBroadcastControl::SimulatedBroadcastControl(quint8 address)
    : m_address(address)
{}

void SimulatedBroadcastControl::frameSent(const CanMessage &frame, QVector<SimulatedReply> *)
{
    if (!frame.extended || frame.pduFormat() != PfDm13 || frame.length < MinLength)
        return;
    if (frame.pduSpecific() != m_address && frame.pduSpecific() != CanMessage::GlobalAddress)
        return;
    // The current data link is network #1 here: its field speaks first, network #1's when it
    // is "don't care". The other networks' fields are no business of this unit.
    const quint8 currentLink = (frame.data[0] >> 6) & 0x3;
    const quint8 network1 = frame.data[0] & 0x3;
    const quint8 command = currentLink != DontCare ? currentLink : network1;
    const quint8 hold = frame.data[3] >> 4;
    const quint8 suspend = frame.data[3] & 0x0F;
    if (command == Stop) {
        m_suspended = true;
        m_lastHoldMs = m_nowMs;
        ++m_stops;
        const quint16 seconds = frame.length >= 6 ? quint16(frame.data[4] | frame.data[5] << 8)
                                                  : DurationNotAvailable;
        const bool temporary = suspend == TemporaryAll || suspend == TemporarySome;
        m_suspendEndMs
            = temporary && seconds != DurationNotAvailable ? m_nowMs + seconds * 1000LL : -1;
    } else if (command == Start) {
        m_suspended = false;
        ++m_starts;
    } else if (m_suspended && (hold == HoldAllDevices || hold == HoldModifiedDevices)) {
        m_lastHoldMs = m_nowMs;
        ++m_holds;
    }
}

void SimulatedBroadcastControl::tick(qint64 nowMs, QVector<SimulatedReply> *)
{
    m_nowMs = nowMs;
    if (m_suspended && !isSuspended(nowMs))
        m_suspended = false; // a later hold message does not bring the suspension back
}

bool SimulatedBroadcastControl::isSuspended(qint64 nowMs) const
{
    if (!m_suspended || nowMs - m_lastHoldMs >= m_holdTimeoutMs)
        return false;
    return m_suspendEndMs < 0 || nowMs < m_suspendEndMs;
}
