#pragma once

#include "can/candumpreader.h"

#include <QByteArray>
#include <QList>
#include <QVector>

// Frames written as candump lines, for tests that read best as traffic.
inline QVector<TimedFrame> framesFromText(const QByteArray &text)
{
    QVector<TimedFrame> frames;
    for (const QByteArray &line : text.split('\n')) {
        TimedFrame f;
        if (!line.trimmed().isEmpty()
            && CandumpReader::parseLine(line.constBegin(), line.constEnd(), &f))
            frames.append(f);
    }
    return frames;
}

// A frame of `id` at `timeUs` whose data tell frames apart: its index, least significant byte
// first.
inline TimedFrame numberedFrame(qint64 timeUs, quint32 id, quint32 index)
{
    const quint8 bytes[8]
        = {quint8(index), quint8(index >> 8), quint8(index >> 16), quint8(index >> 24), 0, 0, 0, 0};
    return TimedFrame{timeUs, CanMessage(id, bytes, 8)};
}
