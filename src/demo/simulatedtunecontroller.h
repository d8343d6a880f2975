#pragma once

#include "can/simulatedunit.h"

#include <QMap>

// The machine controller as far as its named variables go: answers tune reads (proprietary A,
// 0xEF) with the value and tune writes with an acknowledgement (0xE8) echoing name, size and
// value, and broadcasts machine-state variables (PGN 0xFF35). Scriptable for tests.
class SimulatedTuneController : public SimulatedUnit
{
public:
    struct Value
    {
        quint8 size = 4;
        quint32 raw = 0;
    };
    enum Fault {
        NoFault,
        Silent,       // no answer
        NotAvailable, // every read answers all ones
        WrongSize,    // answers carry size 3
    };

    explicit SimulatedTuneController(quint8 address = 0xA0);

    quint8 address() const { return m_address; }
    void setValue(quint16 name, const Value &value) { m_values.insert(name, value); }
    Value value(quint16 name) const { return m_values.value(name); }
    bool hasValue(quint16 name) const { return m_values.contains(name); }
    // The control byte of write acknowledgements: 0 yes, 1 no, 2 restricted, 3 unavailable.
    void setAcknowledgement(quint8 control) { m_ack = control; }
    void setFault(Fault fault) { m_fault = fault; }
    // Machine-state variables broadcast every `periodMs` (0: none).
    void setMachineState(quint16 name, const Value &value) { m_state.insert(name, value); }
    void setMachineStatePeriod(int periodMs) { m_periodMs = periodMs; }

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override;

    int readCount() const { return m_reads; }
    int writeCount() const { return m_writes; }

    static quint16 name(const char *twoCharacters);

private:
    CanMessage frame(quint8 pf, quint8 destination, quint8 control, quint16 name,
                     const Value &value) const;

    quint8 m_address;
    QMap<quint16, Value> m_values;
    QMap<quint16, Value> m_state;
    quint8 m_ack = 0;
    Fault m_fault = NoFault;
    int m_periodMs = 0;
    qint64 m_lastBroadcastMs = -1;
    int m_reads = 0;
    int m_writes = 0;
};
