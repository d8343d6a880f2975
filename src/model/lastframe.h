#pragma once

#include "can/canmessage.h"

#include <atomic>

// The last frame a scheme item took, and whether its payload changed from the one before.
// Frames are taken on the bus thread, one at a time; the GUI reads the frame and the time of the
// last change. Taking a frame is on the path of every frame, so the frame is kept in two atomic
// words behind a sequence count instead of a lock: a reader retries while a frame is being taken
// and never sees half of one.
class LastFrame
{
public:
    enum Change {
        OtherFrame, // another identifier than the frame before
        Same,       // the same identifier and payload
        Changed,    // the same identifier with another payload
    };

    // Keeps the frame; a change is stamped with the wall clock when `stampChange`.
    Change take(const CanMessage &message, bool stampChange);
    // The identifier, format, length and payload of the last frame (no sender, no text).
    CanMessage message() const;
    // Milliseconds since the epoch of the last stamped change, 0 before one.
    qint64 changeTime() const { return m_changeTime.load(); }

private:
    // Identifier in the low 32 bits, then the length and the extended format.
    static quint64 headerOf(const CanMessage &message)
    {
        return quint64(message.id) | quint64(message.length) << 32
               | quint64(message.extended) << 40;
    }

    // Odd while a frame is being taken.
    std::atomic<quint32> m_sequence{0};
    std::atomic<quint64> m_header{headerOf(CanMessage())};
    std::atomic<quint64> m_payload{0};
    std::atomic<qint64> m_changeTime{0};
};
