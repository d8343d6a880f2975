#pragma once

#include <QByteArray>
#include <QFlags>
#include <QMetaType>
#include <QString>

class AbstractDisplayableItem;

// What became of one frame: direction, dispatch outcome, time stamp and reassembled payload.
class DispatchResult
{
public:
    enum StatusFlag : quint32 {
        Target = 0x08,
        TransmitError = 0x10,
        Described = 0x20,
        Dispatched = 0x40,
        Received = 0x80,
    };
    Q_DECLARE_FLAGS(Status, StatusFlag)

    // How the frame's bus decodes, set by its dispatcher: live (change highlight, update mark,
    // receive supervision's timer) or offline (a recording decoded faster than real time),
    // whether received frames get a wall-clock stamp, whether items describe the frame in text.
    enum ModeFlag : quint8 { Live = 0x1, StampWallClock = 0x2, DescribeFrames = 0x4 };
    Q_DECLARE_FLAGS(Mode, ModeFlag)

    DispatchResult() = default;
    DispatchResult(Status flags, qint64 time);

    bool isReceived() const { return status.testFlag(Received); }

    Status status;
    Mode mode = Mode(Live | StampWallClock | DescribeFrames);
    qint32 missedPeriods = -1;
    QString description;
    qint64 timestamp = 0;
    quint32 pgn = 0;
    QByteArray payload;
    AbstractDisplayableItem *item = nullptr;
    AbstractDisplayableItem *targetItem = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DispatchResult::Status)
Q_DECLARE_OPERATORS_FOR_FLAGS(DispatchResult::Mode)
Q_DECLARE_METATYPE(DispatchResult)

// Registers the frame types under the names queued connections use ("CanMessage",
// "DispatchResult").
void registerCanMetaTypes();
