#include "model/lastframe.h"

#include <QDateTime>

#include <cstring>

namespace {

quint64 payloadOf(const CanMessage &message)
{
    quint64 word;
    std::memcpy(&word, message.data, sizeof word);
    return word;
}

} // namespace

LastFrame::Change LastFrame::take(const CanMessage &message, bool stampChange)
{
    // Only this thread writes: its own last values are read without the sequence.
    const quint64 header = headerOf(message);
    const quint64 payload = payloadOf(message);
    const quint64 lastHeader = m_header.load(std::memory_order_relaxed);
    Change change = Same;
    if (quint32(header) != quint32(lastHeader))
        change = OtherFrame;
    else if (((header ^ lastHeader) >> 32 & 0xFF) != 0
             || payload != m_payload.load(std::memory_order_relaxed))
        change = Changed;
    if (change == Changed && stampChange)
        m_changeTime.store(QDateTime::currentMSecsSinceEpoch());
    // The words are released after the odd count: a reader that acquires one of them sees the
    // count moved on when it looks again. No fence: ThreadSanitizer knows none.
    const quint32 sequence = m_sequence.load(std::memory_order_relaxed);
    m_sequence.store(sequence + 1, std::memory_order_relaxed);
    m_header.store(header, std::memory_order_release);
    m_payload.store(payload, std::memory_order_release);
    m_sequence.store(sequence + 2, std::memory_order_release);
    return change;
}

CanMessage LastFrame::message() const
{
    quint64 header;
    quint64 payload;
    for (;;) {
        const quint32 before = m_sequence.load(std::memory_order_acquire);
        header = m_header.load(std::memory_order_acquire);
        payload = m_payload.load(std::memory_order_acquire);
        if ((before & 1) == 0 && m_sequence.load(std::memory_order_relaxed) == before)
            break;
    }
    CanMessage message;
    message.id = quint32(header);
    message.length = quint8(header >> 32);
    message.extended = (header >> 40 & 1) != 0;
    std::memcpy(message.data, &payload, sizeof payload);
    return message;
}
