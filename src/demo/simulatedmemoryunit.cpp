#include "demo/simulatedmemoryunit.h"

#include "diagnostics/memoryaccessframes.h"
#include "diagnostics/memoryaccesstable.h"

using namespace MemoryAccessFrames;

namespace {
constexpr quint8 ForeignAddress = 0x3C;
constexpr int BusyIntervalMs = 50;
} // namespace

SimulatedMemoryUnit::SimulatedMemoryUnit(quint8 address)
    : m_address(address)
{}

void SimulatedMemoryUnit::loadMap(const MemoryAccessTable &table)
{
    for (const MemoryAccessTable::SpnItem &item : table.items) {
        Cell c;
        quint8 size = 1;
        quint32 raw = 0;
        table.toRaw(item, item.value, &raw, &size);
        c.size = MemoryAccessTable::isValidSize(size) ? size : 4;
        c.raw = raw;
        c.writable = item.isWritable();
        m_memory.insert(item.spn, c);
    }
}

void SimulatedMemoryUnit::setFault(Fault fault, int count, int delayMs)
{
    m_fault = fault;
    m_count = count;
    m_delayMs = delayMs;
}

void SimulatedMemoryUnit::reply(QVector<SimulatedReply> *replies, CanMessage frame, int delayMs)
{
    if (m_fault == OtherSource)
        frame.setAddress(ForeignAddress);
    if (m_fault == LateAnswers)
        delayMs += m_delayMs;
    replies->append({frame, delayMs});
}

void SimulatedMemoryUnit::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (!frame.extended || frame.pduSpecific() != m_address)
        return;
    const quint8 tool = frame.address();
    if (frame.pduFormat() == PfDm16) {
        answerData(frame, replies);
        return;
    }
    Command command;
    quint32 pointer = 0;
    if (frame.pduFormat() != PfDm14 || !parseDm14(frame, &command, &pointer))
        return;
    if (command == OperationCompleted) {
        ++m_closings;
        m_writePending = false;
        return;
    }
    ++m_requests;
    if (m_fault == Silent)
        return;
    if (command == Read)
        answerRead(tool, pointer, replies);
    else if (command == Write)
        answerWrite(tool, pointer, replies);
}

bool SimulatedMemoryUnit::proceed(quint8 tool, QVector<SimulatedReply> *replies)
{
    switch (m_fault) {
    case BusyTimes:
        for (int i = 0; i < m_count; ++i)
            reply(replies, dm15(tool, m_address, Busy), i);
        break;
    case BusyForever:
        for (int i = 0; i < m_count; ++i)
            reply(replies, dm15(tool, m_address, Busy), i * BusyIntervalMs);
        return false;
    case ErrorStatus: {
        CanMessage failed = dm15(tool, m_address, Failed);
        failed.data[2] = 0x02; // error indicator: not found / not allowed
        reply(replies, failed);
        return false;
    }
    case WrongKind:
        reply(replies, dm16(tool, m_address, 1, 0));
        return false;
    case ShortFrames: {
        CanMessage shortFrame = dm15(tool, m_address, Proceed);
        shortFrame.length = 1;
        reply(replies, shortFrame);
        return false;
    }
    case CompletedEarly:
        reply(replies, dm15(tool, m_address, Completed));
        return false;
    default:
        break;
    }
    reply(replies, dm15(tool, m_address, Proceed), m_fault == BusyTimes ? m_count : 0);
    return true;
}

void SimulatedMemoryUnit::answerRead(quint8 tool, quint32 spn, QVector<SimulatedReply> *replies)
{
    if (!m_memory.contains(spn)) {
        reply(replies, dm15(tool, m_address, Failed));
        return;
    }
    if (!proceed(tool, replies))
        return;
    const Cell c = m_memory.value(spn);
    const int after = m_fault == BusyTimes ? m_count : 0;
    CanMessage data = dm16(tool, m_address, c.size, c.raw);
    if (m_fault == BadDataLength)
        data.data[0] = quint8(m_count);
    reply(replies, data, after);
    reply(replies, dm15(tool, m_address, Completed), after);
}

void SimulatedMemoryUnit::answerWrite(quint8 tool, quint32 spn, QVector<SimulatedReply> *replies)
{
    if (!m_memory.contains(spn) || !m_memory.value(spn).writable) {
        reply(replies, dm15(tool, m_address, Failed));
        return;
    }
    if (!proceed(tool, replies))
        return;
    m_writePending = true;
    m_writeSpn = spn;
}

void SimulatedMemoryUnit::answerData(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    const quint8 tool = frame.address();
    if (!m_writePending) {
        ++m_unexpectedData;
        return;
    }
    m_writePending = false;
    quint8 size = 0;
    quint32 raw = 0;
    Cell &c = m_memory[m_writeSpn];
    if (!parseDm16(frame, &size, &raw) || size != c.size) {
        reply(replies, dm15(tool, m_address, Failed));
        return;
    }
    c.raw = m_fault == WriteCorrupts ? raw + 1 : raw;
    ++m_writes;
    reply(replies, dm15(tool, m_address, Completed));
}
