#pragma once

#include "can/mf4blocks.h"

#include <QVector>

// How the records of an MDF4 channel group are laid out, as far as CAN bus logging needs it:
// the time master and the fields of the bus-logging structures CAN_DataFrame, CAN_RemoteFrame
// and CAN_ErrorFrame (ID, IDE, DLC, DataLength, DataBytes, EDL).
namespace Mf4 {

// One value in a record: `bitCount` bits from bit `bitOffset` of byte `byteOffset`.
struct Field
{
    bool present = false;
    quint32 byteOffset = 0;
    quint8 bitOffset = 0;
    quint32 bitCount = 0;
    quint8 dataType = 0;
    bool hasInvalidation = false;
    quint32 invalidationBit = 0;

    quint64 unsignedValue(const char *record) const;
    // The value as a number of its data type (integers or IEEE floats).
    double numericValue(const char *record) const;
    // The invalidation bit, which follows the group's data bytes.
    bool isInvalid(const char *record, quint32 dataBytes) const;
    quint64 byteCount() const { return (quint64(bitOffset) + bitCount + 7) / 8; }
};

struct ChannelGroup
{
    enum Kind { Ignored, Vlsd, CanData, CanRemote, CanError, OtherBus };
    enum BytesSource { InRecord, VlsdGroup, SignalData };

    qint64 offset = 0;
    Kind kind = Ignored;
    quint64 recordId = 0;
    quint32 dataBytes = 0;
    quint32 invalidationBytes = 0;

    Field time;
    bool virtualTime = false;
    double timeOffset = 0;
    double timeFactor = 1;

    Field frame;
    Field id;
    Field ide;
    Field dlc;
    Field dataLength;
    Field edl;
    Field bytes;
    BytesSource bytesSource = InRecord;
    qint64 bytesLink = 0;
    int vlsdIndex = -1;

    quint64 recordsRead = 0;
    // The position of the next record in a VLSD group's data.
    quint64 vlsdPosition = 0;

    qint64 recordBytes() const { return qint64(dataBytes) + invalidationBytes; }
};

// Reads the channel group at `offset`: its record layout and what kind of records it holds.
// False (with the failure) on a bad structure.
bool readChannelGroup(File &file, qint64 offset, ChannelGroup *group, qint64 *next);

} // namespace Mf4
