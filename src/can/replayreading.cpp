#include "can/replayreading.h"

#include "can/recordingreader.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>

namespace {

// Follows the length of one pass through a recording as it is read. The next pass starts where
// the first frame's identifier would have come next, so periodic traffic stays periodic across
// the loop.
class LoopPeriod
{
public:
    void take(const QVector<TimedFrame> &frames)
    {
        for (const TimedFrame &frame : frames) {
            if (!m_any) {
                m_any = true;
                m_first = m_last = m_lastOfFirstId = frame.timeUs;
                m_firstId = frame.message.id;
                continue;
            }
            m_last = frame.timeUs;
            if (frame.message.id != m_firstId || frame.timeUs == m_first)
                continue;
            if (m_period < 0)
                m_period = frame.timeUs - m_first;
            m_lastOfFirstId = frame.timeUs;
        }
    }

    qint64 periodUs() const
    {
        constexpr qint64 MinGapUs = 1000;
        constexpr qint64 MaxGapUs = 10 * 1000 * 1000;
        const qint64 span = m_last - m_first;
        if (m_period < MinGapUs || m_period > MaxGapUs)
            return span + MinGapUs;
        return std::max(m_lastOfFirstId + m_period - m_first, span + MinGapUs);
    }

private:
    bool m_any = false;
    qint64 m_first = 0;
    qint64 m_last = 0;
    qint64 m_lastOfFirstId = 0;
    quint32 m_firstId = 0;
    qint64 m_period = -1;
};

} // namespace

ReplayReading::~ReplayReading()
{
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
}

bool ReplayReading::start(const QString &path)
{
    if (!spool.open())
        return false;
    m_thread = std::thread([this, path] { run(path); });
    return true;
}

void ReplayReading::waitForProgress(int ms)
{
    std::unique_lock locker(m_mutex);
    m_progressed.wait_for(locker, std::chrono::milliseconds(ms));
}

bool ReplayReading::ok() const
{
    std::lock_guard locker(m_mutex);
    return m_ok;
}

QString ReplayReading::error() const
{
    std::lock_guard locker(m_mutex);
    return m_error;
}

void ReplayReading::run(const QString &path)
{
    RecordingReader reader;
    LoopPeriod loop;
    const qint64 size = QFileInfo(path).size();
    bool spooled = true;
    const bool read = reader.streamFile(path, [&](const QVector<TimedFrame> &piece) {
        loop.take(piece);
        spooled = spool.append(piece);
        skipped.store(reader.skippedLines());
        loopPeriodUs.store(loop.periodUs());
        if (size > 0)
            percent.store(int(std::clamp<qint64>(reader.bytesRead() * 100 / size, 0, 99)));
        m_progressed.notify_all();
        return spooled && !m_stop.load();
    });
    spooled = spool.finish() && spooled;
    skipped.store(reader.skippedLines());
    if (reader.skippedLines() > 0) {
        qWarning("Replay: %d lines skipped in %s (%s), first: %s", reader.skippedLines(),
                 qUtf8Printable(path), qUtf8Printable(RecordingReader::formatName(reader.format())),
                 qUtf8Printable(reader.problems().first()));
    }
    {
        std::lock_guard locker(m_mutex);
        m_ok = read && spooled;
        m_error = spooled ? reader.errorString() : spool.errorString();
    }
    if (!ok() && !m_stop.load() && spool.frameCount() > 0) {
        // What was read before the fault plays.
        qWarning("Replay: reading of %s ended early: %s", qUtf8Printable(path),
                 qUtf8Printable(error()));
    }
    percent.store(100);
    done.store(true);
    m_progressed.notify_all();
}

bool ReplayReading::canPlay(int wantedBus, qint64 spanUs) const
{
    if (done.load())
        return true;
    if (spool.blockCount() == 0 || spool.lastTimeUs() - spool.firstTimeUs() < spanUs)
        return false;
    return wantedBus < 0 || spool.buses().contains(quint8(wantedBus));
}
