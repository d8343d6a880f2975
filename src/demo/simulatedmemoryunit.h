#pragma once

#include "can/simulatedunit.h"

#include <QMap>

struct MemoryAccessTable;

// A unit that answers J1939-73 memory access (DM14 with SPN pointers) from a memory map, with
// faults that can be scripted: the far end of the memory access tests and of the demo bus.
class SimulatedMemoryUnit : public SimulatedUnit
{
public:
    enum Fault {
        NoFault,
        Silent,            // no answer at all
        BusyTimes,         // `count` busy answers before each proceed
        BusyForever,       // busy answers every 50 ms for `count` times, never proceeding
        ErrorStatus,       // status 5 (failed) instead of proceed
        WrongKind,         // DM16 where DM15 proceed belongs
        BadDataLength,     // DM16 whose length byte is `count`
        ShortFrames,       // DM15 of one byte
        OtherSource,       // answers from another address
        LateAnswers,       // every answer `delayMs` late
        CompletedEarly,    // DM15 completed where proceed belongs
        WriteCorrupts,     // a write stores the value plus one
    };
    struct Cell
    {
        quint8 size = 2;
        quint32 raw = 0;
        bool writable = true;
    };

    explicit SimulatedMemoryUnit(quint8 address = 0xA0);

    quint8 address() const { return m_address; }
    void setCell(quint32 spn, const Cell &cell) { m_memory.insert(spn, cell); }
    bool hasCell(quint32 spn) const { return m_memory.contains(spn); }
    Cell cell(quint32 spn) const { return m_memory.value(spn); }
    // One cell per SPN of a memory access file, holding the file's values.
    void loadMap(const MemoryAccessTable &table);
    void setFault(Fault fault, int count = 0, int delayMs = 0);

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;

    int requestCount() const { return m_requests; }
    int closingCount() const { return m_closings; }
    int writeCount() const { return m_writes; }
    // DM16 frames that came without a proceed for them (none may).
    int unexpectedDataCount() const { return m_unexpectedData; }

private:
    void answerRead(quint8 tool, quint32 spn, QVector<SimulatedReply> *replies);
    void answerWrite(quint8 tool, quint32 spn, QVector<SimulatedReply> *replies);
    void answerData(const CanMessage &frame, QVector<SimulatedReply> *replies);
    // The answers that open an operation: busy frames, then proceed, or the scripted fault.
    bool proceed(quint8 tool, QVector<SimulatedReply> *replies);
    void reply(QVector<SimulatedReply> *replies, CanMessage frame, int delayMs = 0);

    quint8 m_address;
    QMap<quint32, Cell> m_memory;
    Fault m_fault = NoFault;
    int m_count = 0;
    int m_delayMs = 0;
    bool m_writePending = false;
    quint32 m_writeSpn = 0;
    int m_requests = 0;
    int m_closings = 0;
    int m_writes = 0;
    int m_unexpectedData = 0;
};
