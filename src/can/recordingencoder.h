#pragma once

#include "can/candumpreader.h"

#include <QByteArray>

#include <memory>

class QIODevice;

// Turns frames into the bytes of one recording format, for RecordingWriter. Frames come in file
// order; a frame stamped before the recording's start cannot be written as such and is written
// at the start instead, and counted.
class RecordingEncoder
{
public:
    virtual ~RecordingEncoder() = default;

    // The bytes before the first frame; `firstUs` is its time (0 for a recording without frames).
    virtual void begin(qint64 firstUs, QByteArray *out) = 0;
    virtual void encode(const TimedFrame &frame, QByteArray *out) = 0;
    // The bytes after the last frame.
    virtual void end(QByteArray *out) { Q_UNUSED(out) }
    // Once every byte is on `device`: mends the header's counts. The device is left at its end.
    virtual bool patch(QIODevice *device)
    {
        Q_UNUSED(device)
        return true;
    }

    qint64 clampedFrames() const { return m_clamped; }

protected:
    // The time to write for `timeUs` in a format that cannot go below `floorUs`.
    qint64 clamp(qint64 timeUs, qint64 floorUs)
    {
        if (timeUs >= floorUs)
            return timeUs;
        ++m_clamped;
        return floorUs;
    }

private:
    qint64 m_clamped = 0;
};

namespace RecordingEncoders {
std::unique_ptr<RecordingEncoder> candump();
std::unique_ptr<RecordingEncoder> asc();
std::unique_ptr<RecordingEncoder> trc();
std::unique_ptr<RecordingEncoder> blf();
std::unique_ptr<RecordingEncoder> pcap(bool nanoseconds);
std::unique_ptr<RecordingEncoder> pcapng(bool nanoseconds);

// Recordings starting before this (1990) count from zero rather than from a date: text formats
// leave their start date out, BLF its start time.
constexpr qint64 AbsoluteTimeFromUs = 631152000LL * 1000000;
} // namespace RecordingEncoders
