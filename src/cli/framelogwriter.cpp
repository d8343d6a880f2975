#include "cli/framelogwriter.h"

#include "can/canmessage.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

char *putHex(char *p, quint32 value, int digits)
{
    for (int i = digits - 1; i >= 0; --i)
        *p++ = HexDigits[(value >> (4 * i)) & 0xF];
    return p;
}

char *putDecimal(char *p, quint64 value, int minDigits)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0 || n < minDigits);
    while (n > 0)
        *p++ = digits[--n];
    return p;
}

} // namespace

FrameLogWriter::~FrameLogWriter()
{
    finish();
}

bool FrameLogWriter::open(const QString &path, const QString &interfaceName)
{
    m_interface = interfaceName.toLatin1().left(32);
    m_file.setFileName(path);
    // Unbuffered: every chunk reaches the system at once and a full disk shows at that write.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        fail(m_file.errorString());
        return false;
    }
    m_pending.reserve(4096);
    m_thread = std::thread([this] { run(); });
    return true;
}

void FrameLogWriter::append(qint64 timeUs, const CanMessage &message)
{
    m_appended.fetch_add(1, std::memory_order_relaxed);
    Entry entry;
    entry.timeUs = timeUs;
    entry.id = message.id;
    entry.extended = message.extended;
    entry.length = std::min<quint8>(message.length, 8);
    std::memcpy(entry.data, message.data, entry.length);
    {
        std::lock_guard locker(m_mutex);
        if (!m_stopping && m_pending.size() < QueueLimit && !m_failed.load()) {
            m_pending.push_back(entry);
            return;
        }
    }
    if (m_failed.load())
        m_writeLost.fetch_add(1, std::memory_order_relaxed);
    else
        m_queueLost.fetch_add(1, std::memory_order_relaxed);
}

void FrameLogWriter::finish()
{
    {
        std::lock_guard locker(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_file.isOpen())
        m_file.close();
}

QString FrameLogWriter::errorString() const
{
    return m_error.load();
}

void FrameLogWriter::fail(const QString &text)
{
    // One writer at a time (see m_error): the first failure is kept.
    if (m_error.load().isEmpty())
        m_error.store(text);
    m_failed.store(true);
}

int FrameLogWriter::formatLine(const Entry &entry, const char *interfaceName, char *out)
{
    char *p = out;
    const qint64 timeUs = std::max<qint64>(0, entry.timeUs);
    *p++ = '(';
    p = putDecimal(p, quint64(timeUs / 1000000), 1);
    *p++ = '.';
    p = putDecimal(p, quint64(timeUs % 1000000), 6);
    *p++ = ')';
    *p++ = ' ';
    const size_t nameLength = std::min<size_t>(std::strlen(interfaceName), 32);
    std::memcpy(p, interfaceName, nameLength);
    p += nameLength;
    *p++ = ' ';
    p = entry.extended ? putHex(p, entry.id & 0x1FFFFFFF, 8) : putHex(p, entry.id & 0x7FF, 3);
    *p++ = '#';
    for (int i = 0; i < entry.length && i < 8; ++i)
        p = putHex(p, entry.data[i], 2);
    *p++ = '\n';
    return int(p - out);
}

void FrameLogWriter::run()
{
    std::vector<Entry> batch;
    QByteArray chunk;
    chunk.reserve(ChunkBytes + MaxLineLength);
    for (;;) {
        bool stopping = false;
        {
            std::unique_lock locker(m_mutex);
            m_wake.wait_for(locker, std::chrono::milliseconds(50),
                            [this] { return m_stopping || m_pending.size() >= 4096; });
            batch.swap(m_pending);
            stopping = m_stopping;
        }
        int lines = 0;
        for (const Entry &entry : batch) {
            if (m_failed.load()) {
                m_writeLost.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            char line[MaxLineLength];
            chunk.append(line, formatLine(entry, m_interface.constData(), line));
            ++lines;
            if (chunk.size() >= ChunkBytes) {
                writeChunk(chunk, lines);
                chunk.clear();
                lines = 0;
            }
        }
        if (!chunk.isEmpty())
            writeChunk(chunk, lines);
        chunk.clear();
        batch.clear();
        if (stopping)
            return;
    }
}

bool FrameLogWriter::writeChunk(const QByteArray &chunk, int lines)
{
    if (m_failed.load()) {
        m_writeLost.fetch_add(quint64(lines), std::memory_order_relaxed);
        return false;
    }
    const qint64 n = m_file.write(chunk);
    if (n == chunk.size()) {
        m_goodSize += n;
        m_written.fetch_add(quint64(lines), std::memory_order_relaxed);
        return true;
    }
    // Keep the complete lines that reached the disk and drop a half-written one.
    const int kept = n > 0 ? int(chunk.lastIndexOf('\n', int(n) - 1)) + 1 : 0;
    const int keptLines = int(std::count(chunk.constData(), chunk.constData() + kept, '\n'));
    m_goodSize += kept;
    if (n > kept)
        m_file.resize(m_goodSize);
    m_written.fetch_add(quint64(keptLines), std::memory_order_relaxed);
    m_writeLost.fetch_add(quint64(lines - keptLines), std::memory_order_relaxed);
    const QString reason = m_file.errorString();
    fail(QCoreApplication::translate("FrameLogWriter", "Writing %1 failed: %2")
             .arg(m_file.fileName(), reason));
    return false;
}
