#pragma once

#include "can/candumpreader.h"
#include "can/mf4datastream.h"
#include "can/mf4layout.h"

#include <QHash>

#include <deque>
#include <limits>
#include <memory>
#include <vector>

// Reads the CAN frames of one MDF4 data group in time order. In an unsorted group the records
// of several channel groups are mixed, told apart by their record ids; the data bytes of a frame
// may follow it in a VLSD channel group or lie in signal data. Frames waiting for their data
// bytes, and frames held to merge the channel groups by time, are held in bounded queues, so
// memory stays bounded.
class Mf4GroupReader
{
public:
    Mf4GroupReader(Mf4::File &file, qint64 startUs);

    // Reads the data group's channel groups and opens its data. False on a bad structure.
    bool open(const Mf4::Block &dataGroup);
    // Whether the group holds bus records worth reading.
    bool hasBusRecords() const;

    enum Result { Frame, End, Failed };
    Result next(TimedFrame *frame);

    // Frames waiting for their data bytes at most; older ones are given up.
    static constexpr int PendingLimit = 1024;
    // Recent VLSD records kept for frames that refer back to them.
    static constexpr int RecentLimit = 64;
    // Data bytes kept of a VLSD record: more than any classic CAN frame holds.
    static constexpr int KeptBytes = 64;
    // Frames held to put the channel groups' frames in time order: a logger writes each group's
    // records in turns of about a second.
    static constexpr int ReorderLimit = 1 << 16;
    static constexpr qint64 ReorderSpanUs = 5000000;

private:
    struct Pending
    {
        TimedFrame frame;
        int group = -1;
        int vlsdIndex = -1;
        quint64 position = 0;
        qint64 fileOffset = 0;
        int length = -1; // -1: as many as the data bytes hold
        bool resolved = false;
        bool dropped = false; // skipped and counted when it was resolved
    };
    struct Recent
    {
        int vlsdIndex = -1;
        quint64 position = 0;
        quint32 length = 0;
        QByteArray bytes;
    };

    // Moves the frames whose data bytes are settled (all of them at the end) to their groups.
    void settlePending(bool all);
    // The earliest ready frame, once no frame still to come can be earlier (or with `flush`).
    bool takeReady(TimedFrame *frame, bool flush);
    // Reads one record and handles it; *end at the end of the data.
    bool readRecord(bool *end);
    bool readVlsd(int index, qint64 at, bool *end);
    void takeFrame(int index, qint64 at);
    // False when the data bytes were not found (the frame is given up) or the file failed.
    bool readSignalBytes(int index, Pending *pending);
    // Completes a frame with its data bytes, or skips it when they do not fit.
    void resolve(Pending *pending, const QByteArray &bytes, quint32 length);
    void giveUp(const Pending &pending);
    int groupForRecordId(quint64 recordId) const;
    qint64 recordTimeUs(const Mf4::ChannelGroup &group, bool *valid) const;

    Mf4::File &m_file;
    qint64 m_startUs;
    int m_recordIdBytes = 0;
    QVector<Mf4::ChannelGroup> m_groups;
    QHash<quint64, int> m_groupByRecordId;
    std::unique_ptr<Mf4DataStream> m_records;
    std::vector<std::unique_ptr<Mf4DataStream>> m_signalData; // per channel group, or null
    QByteArray m_record;
    std::deque<Pending> m_pending;
    std::deque<Recent> m_recent;
    std::vector<std::deque<TimedFrame>> m_ready; // per channel group
    std::vector<int> m_readyGroups;              // the groups that have had frames
    int m_readyCount = 0;
    bool m_ended = false;
    qint64 m_latestUs = std::numeric_limits<qint64>::min();
};
