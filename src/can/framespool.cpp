#include "can/framespool.h"

#include <QDir>

#include <algorithm>
#include <cstring>

namespace {

// A block is its frames column by column (times as differences, then identifiers, lengths,
// flags, buses and data), compressed: columns of like values compress far better than frames.
constexpr quint32 BlockMagic = 0x42535654; // "TVSB"
constexpr int CompressionLevel = 1;        // fast: the reading must stay ahead of the player

void putVarint(QByteArray *out, quint64 value)
{
    while (value >= 0x80) {
        out->append(char(quint8(value) | 0x80));
        value >>= 7;
    }
    out->append(char(value));
}

bool takeVarint(const char *&at, const char *end, quint64 *value)
{
    quint64 result = 0;
    for (int shift = 0; shift < 64 && at < end; shift += 7) {
        const quint8 byte = quint8(*at++);
        result |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80)) {
            *value = result;
            return true;
        }
    }
    return false;
}

template<typename T>
void putRaw(QByteArray *out, T value)
{
    out->append(reinterpret_cast<const char *>(&value), sizeof value);
}

template<typename T>
bool takeRaw(const char *&at, const char *end, T *value)
{
    if (end - at < qint64(sizeof(T)))
        return false;
    std::memcpy(value, at, sizeof(T));
    at += sizeof(T);
    return true;
}

} // namespace

FrameSpool::FrameSpool(int blockFrames)
    : m_blockFrames(std::max(1, blockFrames))
    , m_file(QDir::tempPath() + QStringLiteral("/tarvik-frames-XXXXXX.spool"))
{}

bool FrameSpool::open()
{
    std::lock_guard locker(m_mutex);
    if (m_file.isOpen())
        return true;
    if (!m_file.open()) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

QString FrameSpool::errorString() const
{
    std::lock_guard locker(m_mutex);
    return m_error;
}

QByteArray FrameSpool::encode(const QVector<TimedFrame> &frames)
{
    QByteArray raw;
    raw.reserve(frames.size() * 16 + 16);
    putRaw(&raw, BlockMagic);
    putRaw(&raw, quint32(frames.size()));
    qint64 previous = 0;
    for (const TimedFrame &frame : frames) {
        // Zigzag: a recording of several buses may step back in time.
        const qint64 delta = frame.timeUs - previous;
        putVarint(&raw, (quint64(delta) << 1) ^ quint64(delta >> 63));
        previous = frame.timeUs;
    }
    for (const TimedFrame &frame : frames)
        putRaw(&raw, frame.message.id);
    for (const TimedFrame &frame : frames)
        raw.append(char(frame.message.length));
    for (const TimedFrame &frame : frames)
        raw.append(char(frame.message.extended ? 1 : 0));
    for (const TimedFrame &frame : frames)
        raw.append(char(frame.bus));
    for (const TimedFrame &frame : frames)
        raw.append(reinterpret_cast<const char *>(frame.message.data), CanMessage::MaxLength);
    return qCompress(raw, CompressionLevel);
}

bool FrameSpool::decode(const QByteArray &bytes, QVector<TimedFrame> *frames)
{
    frames->clear();
    // qUncompress trusts the length it is given at the front; a block is never near this.
    constexpr quint32 LargestBlock = 64u << 20;
    if (bytes.size() < 4)
        return false;
    const auto *size = reinterpret_cast<const uchar *>(bytes.constData());
    if ((quint32(size[0]) << 24 | quint32(size[1]) << 16 | quint32(size[2]) << 8 | size[3])
        > LargestBlock)
        return false;
    const QByteArray raw = qUncompress(bytes);
    const char *at = raw.constData();
    const char *end = at + raw.size();
    quint32 magic = 0;
    quint32 count = 0;
    if (!takeRaw(at, end, &magic) || magic != BlockMagic || !takeRaw(at, end, &count))
        return false;
    // Every frame takes at least 12 bytes (a time, an identifier, three flags and its data).
    if (count > quint32(end - at) / 12)
        return false;
    frames->resize(int(count));
    qint64 time = 0;
    for (TimedFrame &frame : *frames) {
        quint64 zigzag = 0;
        if (!takeVarint(at, end, &zigzag))
            return false;
        time += qint64(zigzag >> 1) ^ -qint64(zigzag & 1);
        frame.timeUs = time;
    }
    if (end - at != qint64(count) * (4 + 1 + 1 + 1 + CanMessage::MaxLength))
        return false;
    for (TimedFrame &frame : *frames)
        takeRaw(at, end, &frame.message.id);
    for (TimedFrame &frame : *frames)
        frame.message.length = quint8(std::min<int>(quint8(*at++), CanMessage::MaxLength));
    for (TimedFrame &frame : *frames)
        frame.message.extended = *at++ != 0;
    for (TimedFrame &frame : *frames)
        frame.bus = quint8(*at++);
    for (TimedFrame &frame : *frames) {
        std::memcpy(frame.message.data, at, CanMessage::MaxLength);
        at += CanMessage::MaxLength;
    }
    return true;
}

bool FrameSpool::append(const QVector<TimedFrame> &frames)
{
    int taken = 0;
    while (taken < frames.size()) {
        const int room = m_blockFrames - m_filling.size();
        const int now = std::min(room, frames.size() - taken);
        m_filling.append(frames.mid(taken, now));
        taken += now;
        if (m_filling.size() == m_blockFrames) {
            if (!writeBlock(m_filling))
                return false;
            m_filling.clear();
        }
    }
    return true;
}

bool FrameSpool::finish()
{
    if (m_filling.isEmpty())
        return true;
    const bool written = writeBlock(m_filling);
    m_filling.clear();
    m_filling.squeeze();
    return written;
}

bool FrameSpool::writeBlock(const QVector<TimedFrame> &frames)
{
    // Compressed before the lock: readers go on meanwhile.
    const QByteArray bytes = encode(frames);
    qint64 latest = frames.first().timeUs;
    for (const TimedFrame &frame : frames)
        latest = std::max(latest, frame.timeUs);
    std::lock_guard locker(m_mutex);
    if (!m_file.isOpen() && !m_file.open()) {
        m_error = m_file.errorString();
        return false;
    }
    if (!m_file.seek(m_end) || m_file.write(bytes) != bytes.size()) {
        m_error = m_file.errorString();
        return false;
    }
    Entry entry;
    entry.offset = m_end;
    entry.size = bytes.size();
    entry.frames = frames.size();
    entry.latestUs = m_index.isEmpty() ? latest : std::max(latest, m_index.last().latestUs);
    if (m_index.isEmpty())
        m_firstUs = frames.first().timeUs;
    m_index.append(entry);
    m_end += bytes.size();
    m_frameCount += frames.size();
    for (const TimedFrame &frame : frames)
        m_seen[frame.bus] = true;
    return true;
}

int FrameSpool::blockCount() const
{
    std::lock_guard locker(m_mutex);
    return m_index.size();
}

qint64 FrameSpool::frameCount() const
{
    std::lock_guard locker(m_mutex);
    return m_frameCount;
}

qint64 FrameSpool::firstTimeUs() const
{
    std::lock_guard locker(m_mutex);
    return m_firstUs;
}

qint64 FrameSpool::lastTimeUs() const
{
    std::lock_guard locker(m_mutex);
    return m_index.isEmpty() ? 0 : m_index.last().latestUs;
}

QVector<TimedFrame> FrameSpool::block(int index) const
{
    QByteArray bytes;
    {
        std::lock_guard locker(m_mutex);
        if (index < 0 || index >= m_index.size())
            return {};
        const Entry &entry = m_index.at(index);
        if (!m_file.seek(entry.offset))
            return {};
        bytes = m_file.read(entry.size);
        if (bytes.size() != entry.size)
            return {};
    }
    QVector<TimedFrame> frames;
    if (!decode(bytes, &frames))
        frames.clear();
    return frames;
}

int FrameSpool::blockReaching(qint64 timeUs) const
{
    std::lock_guard locker(m_mutex);
    const auto found
        = std::lower_bound(m_index.cbegin(), m_index.cend(), timeUs,
                           [](const Entry &entry, qint64 time) { return entry.latestUs < time; });
    return int(found - m_index.cbegin());
}

QVector<quint8> FrameSpool::buses() const
{
    std::lock_guard locker(m_mutex);
    QVector<quint8> buses;
    for (int bus = 0; bus < 256; ++bus) {
        if (m_seen[bus])
            buses << quint8(bus);
    }
    return buses;
}

qint64 FrameSpool::diskBytes() const
{
    std::lock_guard locker(m_mutex);
    return m_end;
}

qint64 FrameSpool::memoryBytes() const
{
    std::lock_guard locker(m_mutex);
    // The block being filled is the writer's: at most blockFrames() frames besides.
    return qint64(m_index.capacity()) * qint64(sizeof(Entry));
}
