#pragma once

#include "can/canmessage.h"
#include "model/guardedvalue.h"

#include <atomic>

// The last frame a scheme item took, and whether its payload changed from the one before.
// Frames are taken on the bus thread; the GUI reads the frame and the time of the last change.
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
    CanMessage message() const { return m_message.load(); }
    // Milliseconds since the epoch of the last stamped change, 0 before one.
    qint64 changeTime() const { return m_changeTime.load(); }

private:
    GuardedValue<CanMessage> m_message;
    std::atomic<qint64> m_changeTime{0};
    // Identifier and payload of the last frame again: compared on every frame, on the bus
    // thread only, without the guard's lock.
    quint32 m_id = 0;
    quint8 m_length = 8;
    quint8 m_data[CanMessage::MaxLength] = {};
};
