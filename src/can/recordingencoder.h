#pragma once

#include "can/busnames.h"
#include "can/candumpreader.h"

#include <QByteArray>

#include <memory>

class QIODevice;

// Turns frames into the bytes of one recording format, for RecordingWriter. Frames come in file
// order; a frame stamped before the recording's start cannot be written as such and is written
// at the start instead, and counted. Each frame's bus is written the format's way; a format that
// cannot keep it counts the frames of buses other than the first.
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
    qint64 framesWithoutBus() const { return m_withoutBus; }

    // The names to write for the buses, where the format names them; may grow between frames.
    void setBusNames(const BusNames &names)
    {
        if (names == m_busNames)
            return;
        m_busNames = names;
        busNamesChanged();
    }

protected:
    const BusNames &busNames() const { return m_busNames; }
    virtual void busNamesChanged() {}
    void countWithoutBus(const TimedFrame &frame)
    {
        if (frame.bus != 0)
            ++m_withoutBus;
    }

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
    qint64 m_withoutBus = 0;
    BusNames m_busNames;
};

namespace RecordingEncoders {
std::unique_ptr<RecordingEncoder> candump();
std::unique_ptr<RecordingEncoder> asc();
std::unique_ptr<RecordingEncoder> trc();
std::unique_ptr<RecordingEncoder> blf();
// With `busIndex` every packet has the Linux cooked header (SLL2), whose interface index is the
// frame's bus; without, plain SocketCAN frames that keep no bus.
std::unique_ptr<RecordingEncoder> pcap(bool nanoseconds, bool busIndex);
std::unique_ptr<RecordingEncoder> pcapng(bool nanoseconds);

// Recordings starting before this (1990) count from zero rather than from a date: text formats
// leave their start date out, BLF its start time.
constexpr qint64 AbsoluteTimeFromUs = 631152000LL * 1000000;
} // namespace RecordingEncoders
