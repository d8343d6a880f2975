#include "can/binaryrecording.h"

#include "can/binarywindow.h"
#include "can/blfformat.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace BlfRecording {

using namespace BlfFormat;

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("RecordingReader", text);
}

quint16 u16(const uchar *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const uchar *p)
{
    return qFromLittleEndian<quint32>(p);
}

// The start time of the file header, a Windows SYSTEMTIME in local time; 0 when it is unset or
// not a date, so that the objects' times stay relative.
qint64 systemTimeUs(const uchar *p)
{
    const QDate date(u16(p), u16(p + 2), u16(p + 6));
    const QTime time(u16(p + 8), u16(p + 10), u16(p + 12), u16(p + 14));
    if (date.year() < 1980 || !date.isValid() || !time.isValid())
        return 0;
    return QDateTime(date, time, Qt::LocalTime).toMSecsSinceEpoch() * 1000;
}

// Reads the objects of a BLF file: those at the top level and those in log containers, whose
// uncompressed contents form one stream in which an object may continue from one container
// into the next. Only one container and the unfinished object are held at a time.
class BlfReader
{
public:
    explicit BlfReader(BinaryRecordingPass &pass)
        : m_pass(pass)
        , m_window(pass.device())
    {}

    bool read();

private:
    // `offset` names an object in messages: its own file offset at the top level, that of its
    // log container inside one (the uncompressed stream has no file offsets).
    bool readContainer(qint64 offset, const uchar *object, quint32 size);
    bool inflate(qint64 offset, const uchar *data, quint32 size, quint32 expected);
    bool takeStream(qint64 offset);
    // One complete object; false once the sink stopped.
    bool takeObject(qint64 offset, const uchar *object, quint32 size);
    // An object's size from its header: at least the header, at most the limit.
    bool checkObjectSize(qint64 offset, quint32 size);
    bool takeFrame(qint64 offset, qint64 timeUs, quint16 channel, quint32 rawId, int length,
                   const uchar *data);

    BinaryRecordingPass &m_pass;
    BinaryWindow m_window;
    qint64 m_startUs = 0;
    QByteArray m_stream; // uncompressed container bytes not yet taken as objects
};

bool BlfReader::read()
{
    const uchar *header = m_window.at(0, FileHeaderMinimum);
    if (!header)
        return m_pass.fail(
            0, translated(QT_TRANSLATE_NOOP("RecordingReader", "BLF file header cut off")));
    const quint32 headerSize = u32(header + 4);
    if (headerSize < FileHeaderMinimum || headerSize > m_window.size())
        return m_pass.fail(
            4, translated(QT_TRANSLATE_NOOP("RecordingReader", "bad BLF header size %1"))
                   .arg(headerSize));
    m_startUs = systemTimeUs(header + FileStartTimeAt);
    qint64 offset = headerSize;
    while (offset < m_window.size()) {
        const qint64 left = m_window.size() - offset;
        const uchar *base = m_window.at(offset, std::min<qint64>(left, ObjectHeaderBase));
        if (!base)
            return m_pass.fail(offset,
                               translated(QT_TRANSLATE_NOOP("RecordingReader", "unreadable")));
        if (left < ObjectHeaderBase || std::memcmp(base, "LOBJ", 4) != 0) {
            // Padding after the last object ends a file; anything else is a broken object.
            if (left < ObjectHeaderBase
                && std::all_of(base, base + left, [](uchar c) { return c == 0; }))
                break;
            return m_pass.fail(
                offset, translated(QT_TRANSLATE_NOOP(
                            "RecordingReader", "no BLF object (LOBJ) where one should begin")));
        }
        const quint32 size = u32(base + 8);
        const quint32 type = u32(base + 12);
        if (!checkObjectSize(offset, size))
            return false;
        if (size > left)
            return m_pass.fail(
                offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                     "BLF object runs past the end of the file")));
        const uchar *object = m_window.at(offset, size);
        if (!object)
            return m_pass.fail(offset,
                               translated(QT_TRANSLATE_NOOP("RecordingReader", "unreadable")));
        const bool goOn = type == ObjectLogContainer ? readContainer(offset, object, size)
                                                     : takeObject(offset, object, size);
        if (!goOn)
            return false;
        offset += size + size % 4; // objects are padded by their size modulo 4
    }
    if (!m_stream.isEmpty())
        return m_pass.fail(
            m_window.size(),
            translated(QT_TRANSLATE_NOOP("RecordingReader", "the last BLF object is cut off")));
    return true;
}

bool BlfReader::readContainer(qint64 offset, const uchar *object, quint32 size)
{
    const quint32 headerSize = std::max<quint32>(u16(object + 4), ObjectHeaderBase);
    if (size < headerSize + ContainerHeader)
        return m_pass.fail(
            offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "BLF log container cut off")));
    const uchar *container = object + headerSize;
    const quint16 method = u16(container);
    const quint32 expected = u32(container + 8);
    const uchar *data = container + ContainerHeader;
    const quint32 dataSize = size - headerSize - ContainerHeader;
    if (method == CompressionNone) {
        m_stream.append(reinterpret_cast<const char *>(data), int(dataSize));
    } else if (method == CompressionZlib) {
        if (expected > ContainerLimit)
            return m_pass.fail(
                offset,
                translated(QT_TRANSLATE_NOOP("RecordingReader",
                                             "BLF log container of %1 bytes refused as too large"))
                    .arg(expected));
        if (!inflate(offset, data, dataSize, expected))
            return false;
    } else {
        return m_pass.fail(
            offset,
            translated(QT_TRANSLATE_NOOP("RecordingReader", "unknown BLF compression method %1"))
                .arg(method));
    }
    return takeStream(offset);
}

// Inflates into no more than the size the container declares, so that a small container cannot
// grow without bound.
bool BlfReader::inflate(qint64 offset, const uchar *data, quint32 size, quint32 expected)
{
    const int kept = m_stream.size();
    m_stream.resize(kept + int(expected));
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (inflateInit(&z) != Z_OK)
        return m_pass.fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "unreadable")));
    z.next_in = const_cast<Bytef *>(data);
    z.avail_in = size;
    z.next_out = reinterpret_cast<Bytef *>(m_stream.data() + kept);
    z.avail_out = expected;
    int result = ::inflate(&z, Z_FINISH);
    if (result == Z_BUF_ERROR && z.avail_out == 0) {
        // Full: the end of the stream may still follow, but no more bytes may.
        Bytef probe;
        z.next_out = &probe;
        z.avail_out = 1;
        result = ::inflate(&z, Z_FINISH);
        if (z.avail_out == 0)
            result = Z_DATA_ERROR;
    }
    const qint64 total = std::min<qint64>(qint64(z.total_out), expected);
    inflateEnd(&z);
    if (result != Z_STREAM_END) {
        m_stream.resize(kept);
        return m_pass.fail(
            offset,
            translated(QT_TRANSLATE_NOOP("RecordingReader",
                                         "BLF log container: compressed data broken or larger "
                                         "than the declared %1 bytes"))
                .arg(expected));
    }
    m_stream.resize(kept + int(total));
    return true;
}

bool BlfReader::takeStream(qint64 offset)
{
    int p = 0;
    const int size = m_stream.size();
    const uchar *bytes = reinterpret_cast<const uchar *>(m_stream.constData());
    while (size - p >= int(ObjectHeaderBase)) {
        if (std::memcmp(bytes + p, "LOBJ", 4) != 0) {
            // Padding between objects: up to three zero bytes.
            if (bytes[p] == 0 && p + 1 < size) {
                int zeros = 1;
                while (zeros < 4 && bytes[p + zeros] == 0)
                    ++zeros;
                if (zeros < 4 && std::memcmp(bytes + p + zeros, "LOBJ", 4) == 0) {
                    p += zeros;
                    continue;
                }
            }
            return m_pass.fail(
                offset, translated(QT_TRANSLATE_NOOP(
                            "RecordingReader", "no BLF object (LOBJ) where one should begin in the "
                                               "log container")));
        }
        const quint32 objectSize = u32(bytes + p + 8);
        if (!checkObjectSize(offset, objectSize))
            return false;
        if (objectSize > quint32(size - p))
            break; // continues in the next container
        if (!takeObject(offset, bytes + p, objectSize))
            return false;
        p += int(objectSize);
    }
    // A run of zero bytes shorter than an object header is padding, not an object's start.
    if (std::all_of(bytes + p, bytes + size, [](uchar c) { return c == 0; }))
        p = size;
    m_stream.remove(0, p);
    return true;
}

bool BlfReader::checkObjectSize(qint64 offset, quint32 size)
{
    if (size < ObjectHeaderBase)
        return m_pass.fail(
            offset,
            translated(QT_TRANSLATE_NOOP("RecordingReader", "bad BLF object size %1")).arg(size));
    if (size > ObjectLimit)
        return m_pass.fail(
            offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                 "BLF object of %1 bytes refused as too large"))
                        .arg(size));
    return true;
}

bool BlfReader::takeObject(qint64 offset, const uchar *object, quint32 size)
{
    const quint32 type = u32(object + 12);
    if (type != ObjectCanMessage && type != ObjectCanMessage2 && type != ObjectCanFdMessage
        && type != ObjectCanFdMessage64 && type != ObjectCanError && type != ObjectCanErrorExt)
        return true; // other buses, markers, statistics
    if (type == ObjectCanError || type == ObjectCanErrorExt) {
        m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "error frame"));
        return true;
    }
    const quint32 headerSize = u16(object + 4);
    const quint16 version = u16(object + 6);
    if ((version != 1 && version != 2) || headerSize < ObjectHeaderV1 || headerSize > size) {
        m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "malformed BLF object"));
        return true;
    }
    const quint64 stamp = qFromLittleEndian<quint64>(object + TimeStampAt);
    // Ten-microsecond or nanosecond units; more than a hundred years from the start (or from
    // 1970, for files that keep no start time) is not a time.
    const bool tenMicroseconds = u32(object + TimeFlagsAt) & TimeTenMicroseconds;
    constexpr quint64 CenturyNs = quint64(1) << 62;
    if (stamp > (tenMicroseconds ? CenturyNs / 10000 : CenturyNs)) {
        m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "bad time stamp"));
        return true;
    }
    const qint64 timeUs
        = m_startUs + (tenMicroseconds ? qint64(stamp) * 10 : qint64((stamp + 500) / 1000));
    const uchar *body = object + headerSize;
    const quint32 bodySize = size - headerSize;
    if (type == ObjectCanMessage || type == ObjectCanMessage2) {
        if (bodySize < CanMessageBody) {
            m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "malformed BLF object"));
            return true;
        }
        if (body[2] & RemoteFlag) {
            m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
            return true;
        }
        // A classic DLC above 8 still carries eight bytes.
        return takeFrame(offset, timeUs, u16(body), u32(body + 4), std::min<int>(body[3], 8),
                         body + 8);
    }
    if (type == ObjectCanFdMessage) {
        const int valid = bodySize >= CanFdMessageHeader ? body[14] : 0;
        if (bodySize < CanFdMessageHeader + quint32(valid)) {
            m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "malformed BLF object"));
            return true;
        }
        if (body[2] & RemoteFlag) {
            m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
            return true;
        }
        if ((body[13] & FdEdlFlag) || body[3] > 8 || valid > 8) {
            m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
            return true;
        }
        return takeFrame(offset, timeUs, u16(body), u32(body + 4), std::min<int>(body[3], valid),
                         body + 20);
    }
    const int valid = bodySize >= CanFd64Header ? body[2] : 0;
    if (bodySize < CanFd64Header + quint32(valid)) {
        m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "malformed BLF object"));
        return true;
    }
    const quint32 flags = u32(body + 12);
    if (flags & Fd64RemoteFlag) {
        m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
        return true;
    }
    if ((flags & Fd64EdlFlag) || body[1] > 8 || valid > 8) {
        m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
        return true;
    }
    return takeFrame(offset, timeUs, body[0], u32(body + 4), std::min<int>(body[1], valid),
                     body + CanFd64Header);
}

bool BlfReader::takeFrame(qint64 offset, qint64 timeUs, quint16 channel, quint32 rawId, int length,
                          const uchar *data)
{
    const bool extended = rawId & ExtendedIdFlag;
    const quint32 id = rawId & 0x1FFFFFFFu;
    if (!extended && id > 0x7FF) {
        m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "bad identifier"));
        return true;
    }
    TimedFrame frame;
    frame.timeUs = timeUs;
    frame.bus = BusNames::busOfChannel(channel);
    frame.message = CanMessage(id, data, length);
    frame.message.extended = extended;
    return m_pass.take(frame);
}

} // namespace

bool looksLike(const char *data, qint64 size)
{
    return size >= 4 && std::memcmp(data, "LOGG", 4) == 0;
}

bool read(BinaryRecordingPass &pass)
{
    return BlfReader(pass).read();
}

} // namespace BlfRecording
