#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

// Writes small ASAM MDF 4.1 bus-logging files for the reader's tests: CAN_DataFrame,
// CAN_RemoteFrame and CAN_ErrorFrame channel groups laid out like a logger's, in sorted or
// unsorted data groups, their records in DT, DL, HL and DZ blocks, the data bytes in the record,
// in a VLSD channel group or in signal data. `blocks` names where each block went, so that a
// test can damage a chosen one.
class Mf4Builder
{
public:
    enum Kind { Data, Remote, Error };
    struct Frame
    {
        qint64 timeNs = 0; // since the start of the recording
        quint32 id = 0;
        bool extended = true;
        QByteArray data;
        int bus = 1;
        Kind kind = Data;
        bool fd = false;
    };
    enum class Bytes { InRecord, Vlsd, SignalData };
    enum class Storage { Dt, DlOfDt, HlDz, HlDzTransposed };
    struct Options
    {
        bool finalized = true;
        bool sorted = false; // a data group per kind of record
        bool groupPerBus = false;
        Bytes bytes = Bytes::InRecord;
        bool vlsdFirst = false; // the data bytes' VLSD record before its frame's
        Storage storage = Storage::Dt;
        int fragmentBytes = 0; // data blocks of at most this many bytes (DL and HL only)
        quint64 startNs = 1622547829000000000ull;
        // The layout of newer loggers: one data group, a channel group per kind of frame (bus,
        // 11/29-bit, classic/FD, remote, error) with 1-byte record ids, the time as a 48-bit
        // integer of microseconds, and BusChannel, IDE, EDL and Dir as virtual data channels
        // holding a constant.
        bool groupPerFrameKind = false;
        // With groupPerFrameKind: the time is a virtual master, the record's index in its channel
        // group times this many nanoseconds (the frames' own times are not written).
        qint64 virtualTimeNs = 0;
    };

    QByteArray build(const QVector<Frame> &frames, const Options &options);

    // Offsets of the blocks of the last build: "HD", "DG0", "CG0" (of DG0's first group),
    // "CN0" (its first channel), "CN:ID" (and the other members), "CC0" (the time's
    // conversion), "DATA0" (DG0's data link),
    // "DL0", "DZ0", "DT0", "SD0".
    QHash<QString, qint64> blocks;
    // The size of a record of the frame groups, without the record id.
    static constexpr int RecordBytes = 23;

    // Little-endian helpers for damaging built files.
    static void putU64(QByteArray &file, qint64 offset, quint64 value);

private:
    struct Group;
    struct KindGroup;
    qint64 add(const char *id, int linkCount, const QByteArray &data);
    void setLink(qint64 block, int index, qint64 target);
    qint64 text(const QString &text);
    qint64 frameGroup(Kind kind, quint64 recordId, qint64 *bytesChannel);
    qint64 channel(const QString &name, quint8 type, quint8 dataType, int bitPosition, int bitCount,
                   qint64 next, qint64 composition = 0, qint64 conversion = 0);
    qint64 virtualChannel(const QString &name, double value, qint64 next);
    qint64 conversion(const QVector<double> &values, quint8 type);
    qint64 kindGroup(const Frame &frame, quint64 recordId, const Options &options,
                     int *recordBytes);
    QByteArray kindRecord(const Frame &frame, int recordBytes, const Options &options);
    QByteArray buildKindGroups(const QVector<Frame> &frames, const Options &options, qint64 header);
    qint64 dataBlocks(const QByteArray &records, const char *type, int columns,
                      const Options &options, int group);

    QByteArray m_out;
};
