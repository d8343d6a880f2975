#pragma once

#include "can/abstractcanhandler.h"

#include <QList>
#include <QVector>

// A production adapter handler with its poll and send steps and its error timer opened to the
// test, which drives them directly instead of through the poll timer.
template<typename Handler>
class Exposed : public Handler
{
public:
    using Handler::Handler;
    using Handler::errorTimer;
    using Handler::receiveMessagesImpl;
    using Handler::sendMessagesImpl;
};

// `count` distinct extended frames, numbered in the identifier and the first data byte.
QVector<CanMessage> someFrames(int count);

// Empties the handler's queue: every pack in the order queued.
QList<AbstractCanHandler::MessagePack> drainPacks(AbstractCanHandler &handler);
// Empties the handler's queue into one pack, received and sent entries alike.
AbstractCanHandler::MessagePack drainAll(AbstractCanHandler &handler);
// Empties the handler's queue, keeping the received frames only.
QVector<CanMessage> drainReceived(AbstractCanHandler &handler);
// Drains received frames with the event loop running until `count` arrived or the time is up.
QVector<CanMessage> collectReceived(AbstractCanHandler &handler, int count, int timeoutMs = 5000);
