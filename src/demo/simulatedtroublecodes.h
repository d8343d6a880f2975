#pragma once

#include <QHash>
#include <QVector>

// One trouble code a simulated unit keeps, with what it recorded when the code occurred.
struct SimulatedTroubleCode
{
    // Lamps a code turns on, in the layout of DM1's lamp byte (each lamp's field 01).
    enum Lamp : quint8 {
        ProtectLamp = 0x01,
        AmberWarningLamp = 0x04,
        RedStopLamp = 0x10,
        MalfunctionLamp = 0x40
    };
    // What becomes of an active code as time passes.
    enum Behaviour {
        Steady,  // stays active until cleared
        Heals,   // goes to previously active after the heal time
        Persists // its cause stays: after a clear it comes back active
    };

    quint32 spn = 0;
    quint8 fmi = 0;
    quint8 occurrences = 1;
    quint8 lamps = 0;
    Behaviour behaviour = Steady;
    // The values at the time of the code, by SPN (physical units); empty: no freeze frame.
    QHash<quint32, double> freezeFrame;
};

// The diagnostic memory of a simulated unit: active and previously active trouble codes and how
// they change with time and with the clear requests. Time comes from `advance`; the first call
// starts the clock. Owned by one unit, used under the bus's lock.
class SimulatedTroubleCodes
{
public:
    static constexpr int DefaultHealMs = 30000;
    static constexpr int DefaultReturnMs = 1000;
    static constexpr quint8 MaxOccurrences = 126; // 127 means "not available"

    void addActive(const SimulatedTroubleCode &code);
    void addPreviouslyActive(const SimulatedTroubleCode &code);
    void setHealMs(int ms) { m_healMs = ms; }
    void setReturnMs(int ms) { m_returnMs = ms; }
    int healMs() const { return m_healMs; }
    int returnMs() const { return m_returnMs; }

    const QVector<SimulatedTroubleCode> &active() const { return m_active; }
    const QVector<SimulatedTroubleCode> &previouslyActive() const { return m_previous; }
    // The lamps of the active codes together.
    quint8 lamps() const;

    // Time passes: a healing code goes to previously active, a persisting cleared code comes
    // back. True when the codes changed.
    bool advance(qint64 nowMs);
    // DM11: the active codes become previously active (their counts and freeze frames kept);
    // those whose cause persists come back after the return time.
    void clearActive();
    // DM3: the previously active codes and their freeze frames are erased.
    void clearPreviouslyActive();

private:
    struct Return
    {
        SimulatedTroubleCode code;
        qint64 dueMs;
    };
    void makePreviouslyActive(const SimulatedTroubleCode &code);
    void reoccur(SimulatedTroubleCode code);

    QVector<SimulatedTroubleCode> m_active;
    QVector<SimulatedTroubleCode> m_previous;
    QVector<Return> m_returns;
    int m_healMs = DefaultHealMs;
    int m_returnMs = DefaultReturnMs;
    qint64 m_startMs = -1;
    qint64 m_nowMs = 0;
};
