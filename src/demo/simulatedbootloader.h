#pragma once

#include "can/simulatedunit.h"

#include <QByteArray>
#include <QMap>

// A unit with a boot loader: answers the DM14 boot-load request with a DM15, takes DM17
// boot-load data into a memory image and echoes each frame, with faults that can be scripted.
// The far end of the flashing tests and of the demo bus.
class SimulatedBootLoader : public SimulatedUnit
{
public:
    enum Fault {
        NoFault,
        BusyTimes,      // `count` busy answers (50 ms apart) before completed
        Refuse,         // status 5 (failed) to the boot-load request
        Silent,         // no answer to the boot-load request
        AnswerOnRequest, // answers only the `count`-th boot-load request
        AnswerWrongKind, // the answer comes as a DM14 instead of a DM15
        DropEcho,       // no echo for block `block`, `count` times
        CorruptEcho,    // the echo of block `block` has its last byte changed, `count` times
        PadEcho,        // every echo padded to eight bytes with 0xFF
        LateEcho,       // the echo of block `block` comes `delayMs` late
        DuplicateEcho,  // every echo sent twice
        OldEcho,        // before the echo of block `block`, the echo of block 0 again
        SilentFrom,     // no echo from block `block` on
        StrayAfterEnd,  // after the last block, a DM15 and the last echo again
        OtherSource,    // echoes come from another address
    };

    explicit SimulatedBootLoader(quint8 address = 0xA0);

    quint8 address() const { return m_address; }
    void setFault(Fault fault, int block = 0, int count = 1, int delayMs = 0);
    // Program size the unit expects, for StrayAfterEnd.
    void setExpectedSize(int size) { m_expectedSize = size; }

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;

    QByteArray image() const { return m_image; }
    int requestCount() const { return m_requests; }
    int closingCount() const { return m_closings; }
    int dataCount() const { return m_dataFrames; }
    // Receptions of the block at this offset.
    int receptions(quint32 offset) const { return m_receptions.value(offset); }
    // Frames addressed to other units or sent before the unit was in its boot loader.
    int unexpectedCount() const { return m_unexpected; }
    bool inBootLoader() const { return m_inBootLoader; }

private:
    void answerRequest(quint8 tool, QVector<SimulatedReply> *replies);
    void takeData(const CanMessage &frame, QVector<SimulatedReply> *replies);
    CanMessage echoOf(const CanMessage &frame) const;

    quint8 m_address;
    Fault m_fault = NoFault;
    int m_block = 0;
    int m_count = 1;
    int m_delayMs = 0;
    int m_expectedSize = -1;
    QByteArray m_image;
    QMap<quint32, int> m_receptions;
    int m_requests = 0;
    int m_closings = 0;
    int m_dataFrames = 0;
    int m_unexpected = 0;
    int m_faultsLeft = 0;
    bool m_inBootLoader = false;
    CanMessage m_firstData;
};
