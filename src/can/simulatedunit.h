#pragma once

#include "can/canmessage.h"

#include <QVector>

// One frame a simulated unit sends, after `delayMs` from the frame that caused it.
struct SimulatedReply
{
    CanMessage frame;
    int delayMs = 0;
};

// A unit of the demo bus that answers what the program sends. Called by SimulatedBus under its
// lock, so an implementation needs no lock of its own.
class SimulatedUnit
{
public:
    virtual ~SimulatedUnit() = default;
    // A frame the program sent; the answers go to `replies`.
    virtual void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) = 0;
    // Frames the unit sends by itself at `nowMs` (broadcasts); none by default.
    virtual void tick(qint64 nowMs, QVector<SimulatedReply> *replies)
    {
        Q_UNUSED(nowMs)
        Q_UNUSED(replies)
    }
    // A frame of a recording about to be delivered: true when the unit now sends it itself and
    // the recorded one is to be dropped. None by default.
    virtual bool replacesRecorded(const CanMessage &frame)
    {
        Q_UNUSED(frame)
        return false;
    }
};
