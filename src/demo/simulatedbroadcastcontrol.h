#pragma once

#include "can/simulatedunit.h"

// What DM13 (stop/start broadcast, PGN 0xDF00) has told one unit of the demo bus, which sits on
// J1939 network #1: a stop for that network (or for the current data link) suspends the unit's
// broadcasts; they resume on a start, when the suspension's own duration runs out, or when no
// stop or hold message has come for the hold time-out. Requests are answered all the while.
class SimulatedBroadcastControl : public SimulatedUnit
{
public:
    static constexpr quint32 PgnDm13 = 0xDF00;
    static constexpr int DefaultHoldTimeoutMs = 6000;

    explicit SimulatedBroadcastControl(quint8 address);

    void setHoldTimeoutMs(int ms) { m_holdTimeoutMs = ms; }
    int holdTimeoutMs() const { return m_holdTimeoutMs; }

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override;

    bool isSuspended(qint64 nowMs) const;
    int stopCount() const { return m_stops; }
    int startCount() const { return m_starts; }
    int holdCount() const { return m_holds; }

private:
    quint8 m_address;
    int m_holdTimeoutMs = DefaultHoldTimeoutMs;
    qint64 m_nowMs = 0;
    bool m_suspended = false;
    qint64 m_lastHoldMs = 0;    // the last stop or hold message
    qint64 m_suspendEndMs = -1; // a temporary suspension's own end
    int m_stops = 0;
    int m_starts = 0;
    int m_holds = 0;
};
