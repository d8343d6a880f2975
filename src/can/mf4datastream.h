#pragma once

#include "can/mf4blocks.h"

#include <QByteArray>
#include <QVector>

// The records of a data group, or a channel's signal data, as one byte stream over the blocks
// that hold them: a DT (or SD) block, a DZ block, or a DL list of them (behind an HL header list
// for compressed data). Reads a piece at a time: one raw buffer or one inflated block is held.
class Mf4DataStream
{
public:
    // `blockType` is "DT" for records and "SD" for signal data.
    Mf4DataStream(Mf4::File &file, const QByteArray &blockType);
    ~Mf4DataStream();
    Mf4DataStream(const Mf4DataStream &) = delete;
    Mf4DataStream &operator=(const Mf4DataStream &) = delete;

    // Starts at the data block or list at `link` (0: no data). False on a bad block.
    bool open(qint64 link);
    // Copies up to `count` bytes (none when `out` is null); fewer only at the end of the data.
    bool read(char *out, qint64 count, qint64 *got);
    // Moves to a position in the stream; going back starts over from the first block.
    bool seek(qint64 position);
    qint64 position() const { return m_position; }
    // Where the next byte lies in the file (for compressed data: its DZ block).
    qint64 fileOffset() const;
    // Where the data of an unfinalized file's last block went on past its stated length, or -1.
    qint64 unfinalizedTail() const { return m_unfinalizedTail; }

    static constexpr int BufferBytes = 32 * 1024;
    // Signal data read in order never starts over; a file that makes it do so often is refused.
    static constexpr int RestartLimit = 16;

private:
    bool start();
    bool nextBlock(bool *end);
    bool enterBlock(qint64 offset);
    bool inflateBlock(const Mf4::Block &block);
    void leaveBlock();
    bool isLastBlock() const;
    // The logger's last DT block of an unfinalized file: its length may not have been updated.
    void extendUnfinalized();

    Mf4::File &m_file;
    QByteArray m_type;
    qint64 m_root = 0;
    qint64 m_position = 0;

    QVector<qint64> m_listLinks;
    int m_listIndex = 0;
    qint64 m_nextList = 0;
    Mf4::ChainGuard m_lists;
    Mf4::ChainGuard m_blocks;
    int m_restarts = 0;

    bool m_inBlock = false;
    qint64 m_blockOffset = 0;
    qint64 m_dataStart = 0;
    qint64 m_dataLength = 0;
    qint64 m_blockPos = 0;
    bool m_extended = false;
    qint64 m_unfinalizedTail = -1;
    bool m_inflated = false;
    QByteArray m_inflatedData;

    QByteArray m_buffer;
    qint64 m_bufferStart = -1; // file offset of m_buffer's first byte
};
