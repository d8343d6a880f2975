#include "can/mf4blocks.h"

#include "can/binaryrecording.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace Mf4 {

namespace {

template<typename T>
T fieldAt(const QByteArray &data, int pos)
{
    if (pos < 0 || qint64(pos) + qint64(sizeof(T)) > data.size())
        return T(0);
    return qFromLittleEndian<T>(data.constData() + pos);
}

bool isBlockId(const char *id)
{
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return id[0] == '#' && id[1] == '#' && isLetter(id[2]) && isLetter(id[3]);
}

} // namespace

quint64 Block::u64(int pos) const
{
    return fieldAt<quint64>(data, pos);
}
quint32 Block::u32(int pos) const
{
    return fieldAt<quint32>(data, pos);
}
quint16 Block::u16(int pos) const
{
    return fieldAt<quint16>(data, pos);
}
quint8 Block::u8(int pos) const
{
    return fieldAt<quint8>(data, pos);
}

double Block::f64(int pos) const
{
    const quint64 bits = u64(pos);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString translated(const char *text)
{
    return QCoreApplication::translate("RecordingReader", text);
}

File::File(BinaryRecordingPass &pass)
    : m_pass(pass)
    , m_size(pass.device()->size())
{}

QIODevice *File::device() const
{
    return m_pass.device();
}

bool File::fail(qint64 offset, const QString &reason)
{
    m_failed = true;
    return m_pass.fail(offset, reason);
}

bool File::readAt(qint64 offset, char *data, qint64 size)
{
    QIODevice *io = device();
    return offset >= 0 && offset + size <= m_size && io->seek(offset)
           && io->read(data, size) == size;
}

bool File::readIdentification()
{
    char id[IdBlockBytes];
    if (!readAt(0, id, IdBlockBytes))
        return fail(0, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                    "the identification block is cut short")));
    m_unfinalized = std::memcmp(id, "UnFinMF ", 8) == 0;
    if (!m_unfinalized && std::memcmp(id, "MDF     ", 8) != 0)
        return fail(0, translated(QT_TRANSLATE_NOOP("RecordingReader", "not an MDF file")));
    const quint16 version = qFromLittleEndian<quint16>(id + 28);
    if (version < 400 || version >= 500)
        return fail(28, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                     "MDF version %1 is not read (4.x only)"))
                            .arg(version));
    m_unfinFlags = qFromLittleEndian<quint16>(id + 60);
    return true;
}

bool File::readBlock(qint64 offset, const QList<QByteArray> &ids, Block *block, BodyMode mode)
{
    if (offset < IdBlockBytes || offset >= m_size)
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                         "a link points outside the file")));
    char header[BlockHeaderBytes];
    if (!readAt(offset, header, BlockHeaderBytes))
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "block cut short")));
    if (!isBlockId(header))
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "no block here")));
    block->offset = offset;
    block->id = QByteArray(header + 2, 2);
    if (!ids.isEmpty() && !ids.contains(block->id))
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "unexpected %1 block"))
                                .arg(QString::fromLatin1(block->id)));
    const quint64 length = qFromLittleEndian<quint64>(header + 8);
    const quint64 linkCount = qFromLittleEndian<quint64>(header + 16);
    if (linkCount > quint64(LinkLimit))
        return fail(offset,
                    translated(QT_TRANSLATE_NOOP("RecordingReader", "%1 links are too many"))
                        .arg(linkCount));
    const qint64 minimum = BlockHeaderBytes + 8 * qint64(linkCount);
    const qint64 room = m_size - offset;
    if (length < quint64(minimum) || (length > quint64(room) && mode != HeaderOnlyMayRunOver)
        || room < minimum)
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                         "block length %1 does not fit the file"))
                                .arg(length));
    block->length = qint64(std::min<quint64>(length, quint64(room)));
    QByteArray links(int(8 * linkCount), Qt::Uninitialized);
    if (!readAt(offset + BlockHeaderBytes, links.data(), links.size()))
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "block cut short")));
    block->links.resize(int(linkCount));
    for (int i = 0; i < block->links.size(); ++i) {
        const quint64 link = qFromLittleEndian<quint64>(links.constData() + 8 * i);
        if (link != 0 && (link < quint64(IdBlockBytes) || link >= quint64(m_size)))
            return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                             "a link points outside the file")));
        block->links[i] = qint64(link);
    }
    block->data.clear();
    if (mode == WithBody) {
        // The fields read lie at the start of a body; a long text is cut.
        block->data.resize(int(std::min<qint64>(block->dataLength(), BodyReadLimit)));
        if (!readAt(block->dataOffset(), block->data.data(), block->data.size()))
            return fail(offset,
                        translated(QT_TRANSLATE_NOOP("RecordingReader", "block cut short")));
    }
    // Links may lead to the same blocks again and again (from many lists, say); the reading
    // stops once it has read far more than the file holds.
    m_metaBytes += BlockHeaderBytes + links.size() + block->data.size();
    if (m_metaBytes > MetaBytesLimit + 4 * m_size)
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                         "the links lead to far more blocks "
                                                         "than the file holds")));
    m_highestBlock = std::max(m_highestBlock, offset);
    return true;
}

bool File::readText(qint64 offset, QString *text)
{
    text->clear();
    if (offset == 0)
        return true;
    Block block;
    if (!readBlock(offset, {"TX", "MD"}, &block))
        return false;
    const int end = block.data.indexOf('\0');
    *text = QString::fromUtf8(block.data.constData(), end < 0 ? block.data.size() : end);
    return true;
}

bool File::hold(qint64 offset, qint64 bytes)
{
    if (m_held + bytes > HeldLimit)
        return fail(offset,
                    translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                 "compressed blocks held open exceed %1 bytes"))
                        .arg(HeldLimit));
    m_held += bytes;
    return true;
}

bool File::claim(qint64 offset, const void *stream)
{
    const void *owner = m_claimed.value(offset, stream);
    if (owner != stream)
        return fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                         "a data block is listed twice")));
    m_claimed.insert(offset, stream);
    return true;
}

bool ChainGuard::enter(File &file, qint64 offset)
{
    if (m_seen.contains(offset))
        return file.fail(offset,
                         translated(QT_TRANSLATE_NOOP("RecordingReader", "the links loop")));
    if (m_seen.size() >= m_limit)
        return file.fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                              "more than %1 blocks in a chain"))
                                     .arg(m_limit));
    m_seen.insert(offset);
    return true;
}

} // namespace Mf4
