#pragma once

#include "model/guardedvalue.h"

#include <QFile>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class CanMessage;

// Writes received frames to a candump log from a thread of its own, so that reception never
// waits for the disk. Frames are appended from any one thread; a full queue or a failed write
// counts the frames it could not keep instead of blocking.
class FrameLogWriter
{
public:
    // About two minutes of a fully loaded 1 Mbit/s bus.
    static constexpr size_t QueueLimit = 1 << 20;
    static constexpr int ChunkBytes = 256 * 1024;

    struct Entry
    {
        qint64 timeUs = 0;
        quint32 id = 0;
        quint8 length = 0;
        bool extended = true;
        quint8 data[8] = {};
    };

    FrameLogWriter() = default;
    ~FrameLogWriter();
    FrameLogWriter(const FrameLogWriter &) = delete;
    FrameLogWriter &operator=(const FrameLogWriter &) = delete;

    bool open(const QString &path, const QString &interfaceName = QStringLiteral("can0"));
    void append(qint64 timeUs, const CanMessage &message);
    // Writes everything queued and closes the file; appends after this are counted lost.
    void finish();

    quint64 appendedFrames() const { return m_appended.load(); }
    quint64 writtenFrames() const { return m_written.load(); }
    quint64 queueLostFrames() const { return m_queueLost.load(); }
    quint64 writeLostFrames() const { return m_writeLost.load(); }
    bool hasFailed() const { return m_failed.load(); }
    QString errorString() const;

    // One candump log line ("(seconds.micros) can0 ID#DATA\n") into `out`; returns its length.
    static int formatLine(const Entry &entry, const char *interfaceName, char *out);
    static constexpr int MaxLineLength = 96;

private:
    void run();
    bool writeChunk(const QByteArray &chunk, int lines);
    void fail(const QString &text);

    mutable std::mutex m_mutex; // guards m_pending and m_stopping
    std::condition_variable m_wake;
    std::vector<Entry> m_pending;
    bool m_stopping = false;
    // The first failure; written by open() before the writer thread runs, then by that thread.
    GuardedValue<QString> m_error;
    std::thread m_thread;
    QFile m_file; // used by the writer thread only, once it runs
    QByteArray m_interface;
    qint64 m_goodSize = 0;
    std::atomic<quint64> m_appended{0};
    std::atomic<quint64> m_written{0};
    std::atomic<quint64> m_queueLost{0};
    std::atomic<quint64> m_writeLost{0};
    std::atomic<bool> m_failed{false};
};
