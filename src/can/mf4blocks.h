#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

class BinaryRecordingPass;
class QIODevice;

// The block structure of an ASAM MDF 4.x file: every block starts with "##" and two letters, a
// reserved word, its length and its number of links (24 bytes), then the links (file offsets,
// 0 for none) and the block's data. Nothing read from the file is trusted: every length, count
// and link is checked against the file and against the limits below before it is used.
namespace Mf4 {

constexpr qint64 IdBlockBytes = 64;
constexpr qint64 BlockHeaderBytes = 24;
// The part of a block's body read: its fields and a name's text.
constexpr qint64 BodyReadLimit = 4096;
// Header, link and body bytes read in all, beyond four times the file's size.
constexpr qint64 MetaBytesLimit = 64 << 20;
constexpr qint64 LinkLimit = 1 << 16;
// A compressed block may inflate to this much; together the open ones may hold HeldLimit.
constexpr qint64 InflateLimit = 64 << 20;
constexpr qint64 HeldLimit = 256 << 20;
constexpr int RecordLimit = 1 << 20;
constexpr int ChannelLimit = 4096;
constexpr int GroupLimit = 1024;
constexpr int CompositionDepthLimit = 8;

// Unfinalized-file flags of the identification block.
constexpr quint16 UnfinLastDtLength = 0x0004;

// One block's header, links and (for metadata blocks) body.
struct Block
{
    qint64 offset = 0;
    QByteArray id; // the two letters after "##"
    qint64 length = 0;
    QVector<qint64> links;
    QByteArray data;

    qint64 link(int index) const { return index < links.size() ? links.at(index) : 0; }
    qint64 dataOffset() const { return offset + BlockHeaderBytes + 8 * qint64(links.size()); }
    qint64 dataLength() const { return length - BlockHeaderBytes - 8 * qint64(links.size()); }

    // Little-endian fields of the body; 0 where the body is too short.
    quint64 u64(int pos) const;
    quint32 u32(int pos) const;
    quint16 u16(int pos) const;
    quint8 u8(int pos) const;
    double f64(int pos) const;
};

// The file being read: its size, whether it was finalized, the blocks seen, and the compressed
// data held in memory. Failures go to the pass as the first bad structure.
class File
{
public:
    explicit File(BinaryRecordingPass &pass);

    BinaryRecordingPass &pass() { return m_pass; }
    QIODevice *device() const;
    qint64 size() const { return m_size; }

    // Reads the identification block; false (with the failure) when it is not MDF 4.x.
    bool readIdentification();
    bool isUnfinalized() const { return m_unfinalized; }
    quint16 unfinalizedFlags() const { return m_unfinFlags; }

    enum BodyMode { WithBody, HeaderOnly, HeaderOnlyMayRunOver };
    // Reads the block at `offset`, which must be one of `ids` (empty: any). A data block of an
    // unfinalized file may claim more than the file holds (HeaderOnlyMayRunOver): it is cut at
    // the end of the file.
    bool readBlock(qint64 offset, const QList<QByteArray> &ids, Block *block,
                   BodyMode mode = WithBody);
    // The text of a TX or MD block; empty for no link. False on a bad block.
    bool readText(qint64 offset, QString *text);

    // The highest block start read so far: data after it belongs to no other block.
    qint64 highestBlock() const { return m_highestBlock; }

    // Reserves room for an inflated block; false (with the failure) when the limit is reached.
    bool hold(qint64 offset, qint64 bytes);
    void release(qint64 bytes) { m_held -= bytes; }
    // Claims a data block for one stream: a block listed by two streams is refused, so no
    // piece of the file is inflated or read more often than its streams start over.
    bool claim(qint64 offset, const void *stream);

    bool fail(qint64 offset, const QString &reason);
    bool failed() const { return m_failed; }

private:
    bool readAt(qint64 offset, char *data, qint64 size);

    BinaryRecordingPass &m_pass;
    qint64 m_size = 0;
    bool m_unfinalized = false;
    quint16 m_unfinFlags = 0;
    qint64 m_highestBlock = 0;
    qint64 m_held = 0;
    qint64 m_metaBytes = 0;
    QHash<qint64, const void *> m_claimed;
    bool m_failed = false;
};

// Texts of the reader in the "RecordingReader" context.
QString translated(const char *text);

// Follows a chain of links while refusing a link seen before (a loop) or one chain too long.
class ChainGuard
{
public:
    explicit ChainGuard(int limit)
        : m_limit(limit)
    {}
    // False (with the failure) when `offset` was met before or the chain is too long.
    bool enter(File &file, qint64 offset);

private:
    QSet<qint64> m_seen;
    int m_limit;
};

} // namespace Mf4
