#pragma once

#include "can/candumpreader.h"
#include "can/mf4datastream.h"
#include "can/mf4layout.h"

#include <QHash>

#include <deque>
#include <memory>
#include <vector>

// Reads the CAN frames of one MDF4 data group in record order. In an unsorted group the records
// of several channel groups are mixed, told apart by their record ids; the data bytes of a frame
// may follow it in a VLSD channel group or lie in signal data. Frames waiting for their data
// bytes are held in a bounded queue, so memory stays bounded.
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

private:
    struct Pending
    {
        TimedFrame frame;
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
};
