#pragma once

#include "demo/simulatedtransport.h"
#include "demo/simulatedtroublecodes.h"

#include <memory>

class SimulatedBroadcastControl;

// The diagnostic messages of a simulated unit over its trouble codes: DM1 broadcast every
// second (unless DM13 suspends it) and on request, DM2, DM5 readiness, DM4 freeze frames, DM24
// and DM25 expanded freeze frames, and the clear requests DM11 and DM3, acknowledged. Answers go
// to the requester (by a connection when long) or, for a global request, to everyone.
class SimulatedDiagnostics : public SimulatedUnit
{
public:
    static constexpr quint32 PgnDm1 = 0xFECA;
    static constexpr quint32 PgnDm2 = 0xFECB;
    static constexpr quint32 PgnDm3 = 0xFECC;
    static constexpr quint32 PgnDm4 = 0xFECD;
    static constexpr quint32 PgnDm5 = 0xFECE;
    static constexpr quint32 PgnDm11 = 0xFED3;
    static constexpr quint32 PgnDm24 = 0xFDB6;
    static constexpr quint32 PgnDm25 = 0xFDB7;
    static constexpr int Dm1PeriodMs = 1000;

    // An SPN of the expanded freeze frame: its size there and its scaling
    // (raw = (value - offset) / resolution).
    struct FreezeSpn
    {
        quint32 spn;
        int length;
        double resolution;
        double offset;
        bool inDataStream;
    };
    // The readiness bytes 2 to 7 of DM5: OBD compliance and the monitors.
    struct Readiness
    {
        quint8 obdCompliance = 5; // not OBD compliant
        quint8 continuous = 0;
        quint16 nonContinuousSupport = 0;
        quint16 nonContinuousStatus = 0;
    };

    // Without `link` the unit has a transport of its own; without `control` nothing suspends
    // its broadcast.
    SimulatedDiagnostics(quint8 address, std::shared_ptr<SimulatedTransport> link = {},
                         std::shared_ptr<SimulatedBroadcastControl> control = {});

    SimulatedTroubleCodes &codes() { return m_codes; }
    const SimulatedTroubleCodes &codes() const { return m_codes; }
    // 0: DM1 is sent on request only.
    void setDm1PeriodMs(int ms) { m_dm1PeriodMs = ms; }
    // A refused clear is answered with a negative acknowledgement when asked of this unit
    // alone, and not at all when asked of everyone.
    void setRefusesClear(quint32 pgn, bool refuses);
    void setReadiness(const Readiness &readiness) { m_readiness = readiness; }
    // The expanded freeze frame's SPNs (DM24); none: no freeze frames at all, DM4, DM24 and
    // DM25 are refused.
    void setFreezeSpns(const QVector<FreezeSpn> &spns) { m_freezeSpns = spns; }

    quint8 address() const { return m_address; }
    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override;

    int clearCount(quint32 pgn) const { return pgn == PgnDm3 ? m_dm3Clears : m_dm11Clears; }
    int dm1BroadcastCount() const { return m_dm1Broadcasts; }

    // The payloads, as the unit sends them now.
    QByteArray dm1() const;
    QByteArray dm2() const;
    QByteArray dm4() const;
    QByteArray dm5() const;
    QByteArray dm24() const;
    QByteArray dm25() const;

    // The standard scalings of the SPNs the demo engine records.
    static const QVector<FreezeSpn> &engineFreezeSpns();

private:
    QByteArray codeList(const QVector<SimulatedTroubleCode> &codes) const;
    QVector<const SimulatedTroubleCode *> codesWithFreezeFrames() const;
    bool answer(quint32 pgn, const CanMessage &request, QVector<SimulatedReply> *replies);
    void clear(quint32 pgn, const CanMessage &request, QVector<SimulatedReply> *replies);

    quint8 m_address;
    bool m_ownsLink; // set before m_link takes the given one
    std::shared_ptr<SimulatedTransport> m_link;
    std::shared_ptr<SimulatedBroadcastControl> m_control;
    SimulatedTroubleCodes m_codes;
    Readiness m_readiness;
    QVector<FreezeSpn> m_freezeSpns;
    int m_dm1PeriodMs = Dm1PeriodMs;
    bool m_refusesDm3 = false;
    bool m_refusesDm11 = false;
    qint64 m_lastDm1Ms = -1;
    int m_dm3Clears = 0;
    int m_dm11Clears = 0;
    int m_dm1Broadcasts = 0;
};
