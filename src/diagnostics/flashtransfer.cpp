#include "diagnostics/flashtransfer.h"

#include <algorithm>

namespace {

quint32 offsetOf(const CanMessage &m)
{
    return quint32(m.data[0]) | quint32(m.data[1]) << 8 | quint32(m.data[2]) << 16
           | quint32(m.data[3]) << 24;
}

// An echo acknowledges a frame when it repeats every byte that was sent; a unit may pad the
// echo of a short last frame to eight bytes.
bool echoes(const CanMessage &echo, const CanMessage &sent)
{
    return echo.length >= sent.length && std::equal(sent.data, sent.data + sent.length, echo.data);
}

} // namespace

QVector<CanMessage> FlashTransfer::frames(const QByteArray &data, quint8 target, quint8 source)
{
    QVector<CanMessage> frames;
    frames.reserve(int((data.size() + PieceSize - 1) / PieceSize));
    for (int offset = 0; offset < data.size(); offset += PieceSize) {
        CanMessage m;
        m.id = quint32(BootLoadDataPriority) << 26 | quint32(PfBootLoadData) << 16
               | quint32(target) << 8 | source;
        m.extended = true;
        const int piece = std::min(PieceSize, int(data.size()) - offset);
        for (int i = 0; i < 4; ++i)
            m.data[i] = quint8(quint32(offset) >> (8 * i));
        for (int i = 0; i < piece; ++i)
            m.data[4 + i] = quint8(data.at(offset + i));
        m.length = quint8(4 + piece);
        frames.append(m);
    }
    return frames;
}

void FlashTransfer::start(const QVector<CanMessage> &frames)
{
    m_frames = frames;
    m_count.store(frames.size());
    m_index.store(0);
    m_retransmissions.store(0);
    m_timeouts = 0;
    m_mismatches = 0;
}

FlashTransfer::Echo FlashTransfer::classify(const CanMessage &message) const
{
    if (message.pduFormat() != PfBootLoadData || message.length < 5)
        return NotData;
    const int i = index();
    const quint32 k = offsetOf(message) / PieceSize;
    if (k < quint32(i) && echoes(message, m_frames.at(int(k))))
        return OldEcho;
    return echoes(message, m_frames.at(i)) ? Matches : DiffersFromSent;
}
