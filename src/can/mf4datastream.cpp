#include "can/mf4datastream.h"

#include <QIODevice>

#include <zlib.h>

#include <algorithm>
#include <cstring>

using Mf4::translated;

namespace {

// DZ block body: original block type, zip type, zip parameter, original and compressed lengths.
constexpr int DzFixedBytes = 24;
enum ZipType : quint8 { Deflate = 0, TransposeDeflate = 1 };
constexpr int ListChainLimit = 1 << 20;
constexpr int BlockChainLimit = 1 << 20;

// Transposed data keeps each column (byte position within a record of `columns` bytes) together;
// the bytes past the last whole row are stored as they were.
QByteArray untranspose(const QByteArray &data, quint32 columns)
{
    const qint64 rows = data.size() / qint64(columns);
    QByteArray out = data;
    const char *in = data.constData();
    char *to = out.data();
    for (qint64 c = 0; c < columns; ++c)
        for (qint64 r = 0; r < rows; ++r)
            to[r * columns + c] = in[c * rows + r];
    return out;
}

} // namespace

Mf4DataStream::Mf4DataStream(Mf4::File &file, const QByteArray &blockType)
    : m_file(file)
    , m_type(blockType)
    , m_lists(ListChainLimit)
    , m_blocks(BlockChainLimit)
{}

Mf4DataStream::~Mf4DataStream()
{
    leaveBlock();
}

bool Mf4DataStream::open(qint64 link)
{
    m_root = link;
    return start();
}

bool Mf4DataStream::start()
{
    leaveBlock();
    m_position = 0;
    m_unfinalizedTail = -1;
    m_listLinks.clear();
    m_listIndex = 0;
    m_nextList = 0;
    m_lists = Mf4::ChainGuard(ListChainLimit);
    m_blocks = Mf4::ChainGuard(BlockChainLimit);
    if (m_root == 0)
        return true;
    Mf4::Block root;
    if (!m_file.readBlock(m_root, {m_type, "DZ", "DL", "HL"}, &root, Mf4::File::HeaderOnly))
        return false;
    if (root.id == "HL") {
        // The header list only says how the list below it is compressed.
        m_nextList = root.link(0);
        return true;
    }
    if (root.id == "DL")
        m_nextList = m_root;
    else
        m_listLinks = {m_root};
    return true;
}

bool Mf4DataStream::isLastBlock() const
{
    for (int i = m_listIndex; i < m_listLinks.size(); ++i)
        if (m_listLinks.at(i) != 0)
            return false;
    return m_nextList == 0;
}

bool Mf4DataStream::nextBlock(bool *end)
{
    leaveBlock();
    *end = false;
    for (;;) {
        while (m_listIndex < m_listLinks.size()) {
            const qint64 link = m_listLinks.at(m_listIndex++);
            if (link != 0) // an unfinalized list leaves its last entries empty
                return enterBlock(link);
        }
        if (m_nextList == 0) {
            *end = true;
            return true;
        }
        Mf4::Block list;
        if (!m_lists.enter(m_file, m_nextList) || !m_file.readBlock(m_nextList, {"DL"}, &list))
            return false;
        m_nextList = list.link(0);
        m_listLinks = list.links.mid(1);
        m_listIndex = 0;
    }
}

bool Mf4DataStream::enterBlock(qint64 offset)
{
    const auto mode
        = m_file.isUnfinalized() ? Mf4::File::HeaderOnlyMayRunOver : Mf4::File::HeaderOnly;
    Mf4::Block block;
    if (!m_blocks.enter(m_file, offset) || !m_file.claim(offset, this)
        || !m_file.readBlock(offset, {m_type, "DZ"}, &block, mode))
        return false;
    m_blockOffset = offset;
    m_blockPos = 0;
    m_extended = false;
    if (block.id == "DZ") {
        if (!inflateBlock(block))
            return false;
        m_inflated = true;
        m_dataStart = 0;
        m_dataLength = m_inflatedData.size();
    } else {
        m_inflated = false;
        m_dataStart = block.dataOffset();
        m_dataLength = block.dataLength();
    }
    m_inBlock = true;
    return true;
}

bool Mf4DataStream::inflateBlock(const Mf4::Block &block)
{
    QIODevice *io = m_file.device();
    char fixed[DzFixedBytes];
    if (block.dataLength() < DzFixedBytes || !io->seek(block.dataOffset())
        || io->read(fixed, DzFixedBytes) != DzFixedBytes)
        return m_file.fail(block.offset, translated(QT_TRANSLATE_NOOP(
                                             "RecordingReader", "compressed block cut short")));
    Mf4::Block head;
    head.data = QByteArray(fixed, DzFixedBytes);
    const QByteArray original(fixed, 2);
    const quint8 zipType = head.u8(2);
    const quint32 columns = head.u32(4);
    const quint64 originalLength = head.u64(8);
    const quint64 compressedLength = head.u64(16);
    if (original != m_type)
        return m_file.fail(block.offset,
                           translated(QT_TRANSLATE_NOOP("RecordingReader", "unexpected %1 block"))
                               .arg(QString::fromLatin1(original.toHex())));
    if (zipType != Deflate && zipType != TransposeDeflate)
        return m_file.fail(
            block.offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "unknown compression %1"))
                              .arg(zipType));
    if (originalLength > quint64(Mf4::InflateLimit))
        return m_file.fail(
            block.offset,
            translated(QT_TRANSLATE_NOOP("RecordingReader",
                                         "compressed block would inflate to %1 bytes, "
                                         "more than the %2 allowed"))
                .arg(originalLength)
                .arg(Mf4::InflateLimit));
    if (compressedLength > quint64(block.dataLength() - DzFixedBytes))
        return m_file.fail(block.offset, translated(QT_TRANSLATE_NOOP(
                                             "RecordingReader", "compressed block cut short")));
    // Deflate never grows data by more than a few bytes in a thousand: more cannot be honest.
    if (compressedLength > originalLength + originalLength / 256 + 1024)
        return m_file.fail(block.offset,
                           translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                        "compressed data does not inflate to the "
                                                        "%1 bytes it claims"))
                               .arg(originalLength));
    QByteArray compressed(int(compressedLength), Qt::Uninitialized);
    if (io->read(compressed.data(), compressed.size()) != compressed.size())
        return m_file.fail(block.offset, translated(QT_TRANSLATE_NOOP(
                                             "RecordingReader", "compressed block cut short")));
    if (!m_file.hold(block.offset, qint64(originalLength)))
        return false;
    m_inflatedData = QByteArray(int(originalLength), Qt::Uninitialized);
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    bool whole = inflateInit(&zs) == Z_OK;
    if (whole) {
        zs.next_in = reinterpret_cast<Bytef *>(compressed.data());
        zs.avail_in = uInt(compressed.size());
        // One spare byte tells an overlong stream from an exact one.
        char spare;
        zs.next_out = reinterpret_cast<Bytef *>(m_inflatedData.data());
        zs.avail_out = uInt(m_inflatedData.size());
        int rc = inflate(&zs, Z_FINISH);
        if (rc != Z_STREAM_END && zs.avail_out == 0) {
            zs.next_out = reinterpret_cast<Bytef *>(&spare);
            zs.avail_out = 1;
            rc = inflate(&zs, Z_FINISH);
        }
        whole = rc == Z_STREAM_END && zs.total_out == originalLength;
        inflateEnd(&zs);
    }
    if (!whole) {
        m_file.release(m_inflatedData.size());
        m_inflatedData.clear();
        return m_file.fail(
            block.offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                       "compressed data does not inflate to the %1 "
                                                       "bytes it claims"))
                              .arg(originalLength));
    }
    if (zipType == TransposeDeflate && columns > 0)
        m_inflatedData = untranspose(m_inflatedData, columns);
    return true;
}

void Mf4DataStream::leaveBlock()
{
    if (m_inflated)
        m_file.release(m_inflatedData.size());
    m_inflated = false;
    m_inflatedData.clear();
    m_inBlock = false;
}

void Mf4DataStream::extendUnfinalized()
{
    if (m_extended || m_inflated || !m_file.isUnfinalized() || m_type != "DT" || !isLastBlock()
        || m_blockOffset < m_file.highestBlock())
        return;
    m_extended = true;
    m_unfinalizedTail = m_position;
    m_dataLength = m_file.size() - m_dataStart;
}

bool Mf4DataStream::read(char *out, qint64 count, qint64 *got)
{
    *got = 0;
    while (*got < count) {
        if (m_inBlock && m_blockPos == m_dataLength)
            extendUnfinalized();
        if (!m_inBlock || m_blockPos == m_dataLength) {
            bool end = false;
            if (!nextBlock(&end))
                return false;
            if (end)
                return true;
            continue;
        }
        qint64 piece = std::min(count - *got, m_dataLength - m_blockPos);
        if (m_inflated) {
            if (out)
                std::memcpy(out + *got, m_inflatedData.constData() + m_blockPos, size_t(piece));
        } else if (out) {
            const qint64 at = m_dataStart + m_blockPos;
            if (m_bufferStart < 0 || at < m_bufferStart || at >= m_bufferStart + m_buffer.size()) {
                const qint64 want = std::min<qint64>(BufferBytes, m_dataLength - m_blockPos);
                m_buffer.resize(int(want));
                QIODevice *io = m_file.device();
                if (!io->seek(at) || io->read(m_buffer.data(), want) != want) {
                    m_bufferStart = -1;
                    return m_file.fail(
                        at, translated(QT_TRANSLATE_NOOP("RecordingReader", "block cut short")));
                }
                m_bufferStart = at;
            }
            piece = std::min(piece, m_bufferStart + m_buffer.size() - at);
            std::memcpy(out + *got, m_buffer.constData() + (at - m_bufferStart), size_t(piece));
        }
        m_blockPos += piece;
        m_position += piece;
        *got += piece;
    }
    return true;
}

bool Mf4DataStream::seek(qint64 position)
{
    if (position < m_position) {
        if (++m_restarts > RestartLimit)
            return m_file.fail(fileOffset(), translated(QT_TRANSLATE_NOOP(
                                                 "RecordingReader", "signal data out of order")));
        if (!start())
            return false;
    }
    qint64 got = 0;
    return read(nullptr, position - m_position, &got);
}

qint64 Mf4DataStream::fileOffset() const
{
    if (!m_inBlock)
        return m_root;
    return m_inflated ? m_blockOffset : m_dataStart + m_blockPos;
}
