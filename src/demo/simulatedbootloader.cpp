#include "demo/simulatedbootloader.h"

#include "diagnostics/memoryaccessframes.h"

using namespace MemoryAccessFrames;

namespace {

constexpr quint8 PfBootLoadData = 0xD6;
// Echoes of boot-load data come from the unit with the priority of the data.
constexpr quint32 EchoPriority = 3;
constexpr int BusySpacingMs = 50;
constexpr quint8 StrangerAddress = 0x55;

quint32 offsetOf(const CanMessage &m)
{
    return quint32(m.data[0]) | quint32(m.data[1]) << 8 | quint32(m.data[2]) << 16
           | quint32(m.data[3]) << 24;
}

} // namespace

SimulatedBootLoader::SimulatedBootLoader(quint8 address)
    : m_address(address)
{}

void SimulatedBootLoader::setFault(Fault fault, int block, int count, int delayMs)
{
    m_fault = fault;
    m_block = block;
    m_count = count;
    m_faultsLeft = count;
    m_delayMs = delayMs;
}

void SimulatedBootLoader::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (!frame.extended)
        return;
    const quint8 pf = frame.pduFormat();
    const bool mine = frame.pduSpecific() == m_address;
    if (pf == PfBootLoadData || pf == PfDm14) {
        if (!mine) {
            ++m_unexpected; // boot loading must never reach a unit nobody chose
            return;
        }
    } else {
        return;
    }
    if (pf == PfBootLoadData) {
        takeData(frame, replies);
        return;
    }
    // Memory access requests (SPN pointers) belong to another part of the unit.
    constexpr quint8 PointerTypeSpn = 0x10;
    if (frame.length < 2 || (frame.data[1] & PointerTypeSpn) != 0)
        return;
    const quint8 command = (frame.data[1] >> 1) & 0x07;
    if (command == BootLoad)
        answerRequest(frame.address(), replies);
    else if (command == OperationCompleted) {
        ++m_closings;
        m_inBootLoader = true;
    }
}

void SimulatedBootLoader::answerRequest(quint8 tool, QVector<SimulatedReply> *replies)
{
    ++m_requests;
    switch (m_fault) {
    case Silent:
        return;
    case Refuse:
        replies->append({dm15(tool, m_address, Failed), 0});
        return;
    case AnswerOnRequest:
        if (m_requests < m_count)
            return;
        break;
    case AnswerWrongKind: {
        CanMessage wrong = dm15(tool, m_address, Completed);
        wrong.setPduFormat(PfDm14);
        replies->append({wrong, 0});
        return;
    }
    case BusyTimes:
        for (int i = 0; i < m_faultsLeft; ++i)
            replies->append({dm15(tool, m_address, Busy), i * BusySpacingMs});
        if (m_faultsLeft > 0) {
            m_faultsLeft = 0;
            return;
        }
        break;
    default:
        break;
    }
    replies->append({dm15(tool, m_address, Completed), 0});
}

CanMessage SimulatedBootLoader::echoOf(const CanMessage &frame) const
{
    CanMessage echo = frame;
    echo.sender = nullptr;
    echo.id = EchoPriority << 26 | quint32(PfBootLoadData) << 16 | quint32(frame.address()) << 8
              | (m_fault == OtherSource ? StrangerAddress : m_address);
    if (m_fault == PadEcho) {
        for (int i = echo.length; i < 8; ++i)
            echo.data[i] = 0xFF;
        echo.length = 8;
    }
    return echo;
}

void SimulatedBootLoader::takeData(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (!m_inBootLoader || frame.length < 5) {
        ++m_unexpected;
        return;
    }
    ++m_dataFrames;
    const quint32 offset = offsetOf(frame);
    const int block = int(offset / 4);
    m_receptions[offset] += 1;
    if (block == 0 && m_receptions[offset] == 1)
        m_firstData = frame;
    const int piece = frame.length - 4;
    if (int(offset) + piece > m_image.size())
        m_image.resize(int(offset) + piece);
    for (int i = 0; i < piece; ++i)
        m_image[int(offset) + i] = char(frame.data[4 + i]);

    CanMessage echo = echoOf(frame);
    const bool faulty = block == m_block && m_faultsLeft > 0;
    switch (m_fault) {
    case DropEcho:
        if (faulty) {
            --m_faultsLeft;
            return;
        }
        break;
    case CorruptEcho:
        if (faulty) {
            --m_faultsLeft;
            echo.data[echo.length - 1] ^= 0x5A;
        }
        break;
    case LateEcho:
        if (faulty) {
            --m_faultsLeft;
            replies->append({echo, m_delayMs});
            return;
        }
        break;
    case DuplicateEcho:
        replies->append({echo, 0});
        break;
    case OldEcho:
        if (faulty) {
            --m_faultsLeft;
            replies->append({echoOf(m_firstData), 0});
        }
        break;
    case SilentFrom:
        if (block >= m_block)
            return;
        break;
    default:
        break;
    }
    replies->append({echo, 0});
    if (m_fault == StrayAfterEnd && m_expectedSize > 0 && int(offset) + piece >= m_expectedSize) {
        replies->append({dm15(frame.address(), m_address, Completed), 1});
        replies->append({echo, 2});
    }
}
