#pragma once

#include "can/candumpreader.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>
#include <QVector>

#include <mutex>

// Keeps the frames of a recording in a temporary file, in compressed blocks of a fixed number of
// frames, with an index in memory of where each block lies and which times it spans. A player
// reads the blocks it plays and finds a time by the index, so its memory stays the same for a
// recording of a thousand frames or of a hundred million, in any format the readers know.
//
// One thread appends (the reading), others read blocks and the index at the same time; only
// whole blocks are readable. Times need not rise: the index keeps each block's latest time and a
// search finds the first block that reaches a time.
class FrameSpool
{
public:
    static constexpr int DefaultBlockFrames = 4096;

    explicit FrameSpool(int blockFrames = DefaultBlockFrames);
    FrameSpool(const FrameSpool &) = delete;
    FrameSpool &operator=(const FrameSpool &) = delete;

    // Creates the temporary file; false with errorString() when it cannot.
    bool open();
    QString errorString() const;

    // The writer's side. Frames are kept until a block is full; finish() writes the rest.
    bool append(const QVector<TimedFrame> &frames);
    bool finish();

    // The readers' side, any thread.
    int blockFrames() const { return m_blockFrames; }
    int blockCount() const;
    qint64 frameCount() const;
    // The first frame's time and the latest time of the frames readable so far; 0 when none.
    qint64 firstTimeUs() const;
    qint64 lastTimeUs() const;
    // The frames of block `index`; empty when there is no such block or the file fails.
    QVector<TimedFrame> block(int index) const;
    // The first block that holds a frame at `timeUs` or later; blockCount() when none does.
    int blockReaching(qint64 timeUs) const;
    // The buses of the frames readable so far, in number order.
    QVector<quint8> buses() const;
    // The bytes the blocks take on disk and the index in memory.
    qint64 diskBytes() const;
    qint64 memoryBytes() const;

    static QByteArray encode(const QVector<TimedFrame> &frames);
    // False when `bytes` is not a block encode() wrote.
    static bool decode(const QByteArray &bytes, QVector<TimedFrame> *frames);

private:
    struct Entry
    {
        qint64 offset = 0;
        int size = 0;
        int frames = 0;
        qint64 latestUs = 0; // the latest time of this block and the ones before it
    };
    bool writeBlock(const QVector<TimedFrame> &frames);

    const int m_blockFrames;
    QVector<TimedFrame> m_filling; // the writer's own
    mutable std::mutex m_mutex;    // guards the members below and the file
    mutable QTemporaryFile m_file;
    QVector<Entry> m_index;
    qint64 m_frameCount = 0;
    qint64 m_firstUs = 0;
    qint64 m_end = 0;
    bool m_seen[256] = {};
    QString m_error;
};
