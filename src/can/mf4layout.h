#pragma once

#include "can/mf4blocks.h"

#include <QVector>

// How the records of an MDF4 channel group are laid out, as far as CAN bus logging needs it:
// the time master and the fields of the bus-logging structures CAN_DataFrame, CAN_RemoteFrame
// and CAN_ErrorFrame (ID, IDE, DLC, DataLength, DataBytes, EDL).
namespace Mf4 {

// A channel's conversion from its raw value to the value it stands for: identity, linear
// (offset + factor * raw) or a value-to-value table (with or without interpolation).
struct Conversion
{
    enum Kind { Identity, Linear, Table, InterpolatedTable };
    Kind kind = Identity;
    double offset = 0;
    double factor = 1;
    QVector<QPair<double, double>> table; // sorted by raw value

    double apply(double raw) const;
};

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
    // A virtual channel has no bits in the record: its raw value is the record's index.
    bool isVirtual = false;
    Conversion conversion;

    quint64 unsignedValue(const char *record) const;
    // The raw value (or the record index of a virtual channel) through the conversion.
    double physicalValue(const char *record, quint64 recordIndex) const;
    quint64 integerValue(const char *record, quint64 recordIndex) const;
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

    Field time; // virtual for a virtual master channel

    Field frame;
    Field id;
    Field ide;
    Field dlc;
    Field dataLength;
    Field edl;
    Field busChannel;
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
