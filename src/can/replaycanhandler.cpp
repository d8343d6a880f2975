#include "can/replaycanhandler.h"

#include <QDebug>
#include <QFileInfo>
#include <mutex>

#include <algorithm>

const char *const ReplayCanHandler::DemoRecording = ":/demo/demo-bus.log";
const char *const ReplayCanHandler::DemoScheme = ":/demo/demo.tvsx";

namespace {

// Length of one pass through a recording. The next pass starts where the first frame's identifier
// would have come next, so periodic traffic stays periodic across the loop.
qint64 loopPeriodFor(const QVector<TimedFrame> &frames)
{
    constexpr qint64 MinGapUs = 1000;
    constexpr qint64 MaxGapUs = 10 * 1000 * 1000;
    const qint64 first = frames.first().timeUs;
    const qint64 span = frames.last().timeUs - first;
    const quint32 firstId = frames.first().message.id;
    qint64 period = -1;
    qint64 lastOfFirstId = first;
    for (const TimedFrame &frame : frames) {
        if (frame.message.id != firstId || frame.timeUs == first)
            continue;
        if (period < 0)
            period = frame.timeUs - first;
        lastOfFirstId = frame.timeUs;
    }
    if (period < MinGapUs || period > MaxGapUs)
        return span + MinGapUs;
    return std::max(lastOfFirstId + period - first, span + MinGapUs);
}

} // namespace

ReplayCanHandler::ReplayCanHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
{
    m_paths << QString::fromLatin1(DemoRecording);
}

ReplayCanHandler::~ReplayCanHandler()
{
    stop();
}

QList<QPair<int, QString>> ReplayCanHandler::transceivers()
{
    std::lock_guard locker(m_mutex);
    QList<QPair<int, QString>> list;
    for (int i = 0; i < m_paths.size(); ++i)
        list.append(qMakePair(i, i == 0 ? tr("Demo bus (built in)") : m_paths.at(i)));
    return list;
}

unsigned ReplayCanHandler::transceiversCount()
{
    std::lock_guard locker(m_mutex);
    return unsigned(m_paths.size());
}

int ReplayCanHandler::transceiverIndexForName(const QString &name)
{
    const int listed = AbstractCanHandler::transceiverIndexForName(name);
    if (listed >= 0)
        return listed;
    return addRecording(name);
}

int ReplayCanHandler::addRecording(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return -1;
    std::lock_guard locker(m_mutex);
    const QString canonical = info.absoluteFilePath();
    const int known = m_paths.indexOf(canonical);
    if (known >= 0)
        return known;
    m_paths.append(canonical);
    return m_paths.size() - 1;
}

void ReplayCanHandler::setDemoUnits(UnitSource source)
{
    std::lock_guard locker(m_mutex);
    m_demoUnits = std::move(source);
}

bool ReplayCanHandler::setTransceiverImpl(unsigned index)
{
    QString path;
    UnitSource demoUnits;
    {
        std::lock_guard locker(m_mutex);
        path = m_paths.value(int(index));
        demoUnits = m_demoUnits;
    }
    RecordingReader reader;
    if (!reader.readFile(path)) {
        setLastError(tr("Cannot read recording %1: %2").arg(path, reader.errorString()));
        return false;
    }
    if (reader.skippedLines() > 0) {
        qWarning("Replay: %d lines skipped in %s (%s), first: %s", reader.skippedLines(),
                 qUtf8Printable(path), qUtf8Printable(RecordingReader::formatName(reader.format())),
                 qUtf8Printable(reader.problems().first()));
    }
    if (reader.frames().isEmpty()) {
        setLastError(tr("Recording %1 holds no frames").arg(path));
        return false;
    }
    m_simulated.clearUnits();
    if (index == 0 && demoUnits)
        demoUnits(&m_simulated);
    std::lock_guard locker(m_mutex);
    m_frames = reader.frames();
    m_skipped = reader.skippedLines();
    m_loopPeriodUs = loopPeriodFor(m_frames);
    m_playing = false;
    setLastError(QString());
    return true;
}

bool ReplayCanHandler::startImpl()
{
    std::lock_guard locker(m_mutex);
    if (m_frames.isEmpty()) {
        setLastError(tr("No recording selected"));
        return false;
    }
    m_clock.start();
    m_next = 0;
    m_loopOffsetUs = 0;
    m_loops = 0;
    m_playing = true;
    return true;
}

bool ReplayCanHandler::stopImpl()
{
    std::lock_guard locker(m_mutex);
    m_playing = false;
    return true;
}

bool ReplayCanHandler::setBaudRateImpl(unsigned rate)
{
    return rate > 0;
}

bool ReplayCanHandler::receiveMessagesImpl(unsigned *count)
{
    const qint64 stamp = messageElapsedTimer();
    QVector<CanMessage> batch;
    bool playing = false;
    {
        std::lock_guard locker(m_mutex);
        playing = m_playing;
        if (m_playing) {
            const qint64 nowUs = m_clock.nsecsElapsed() / 1000;
            const qint64 originUs = m_frames.first().timeUs;
            while (batch.size() < ReadBatchLimit) {
                const TimedFrame &next = m_frames.at(m_next);
                if (next.timeUs - originUs + m_loopOffsetUs > nowUs)
                    break;
                batch.append(next.message);
                if (++m_next == m_frames.size()) {
                    m_next = 0;
                    m_loopOffsetUs += m_loopPeriodUs;
                    ++m_loops;
                }
            }
        }
    }
    if (playing) {
        m_simulated.dropReplaced(&batch);
        batch += m_simulated.takeDue();
    }
    *count = unsigned(batch.size());
    deliverReceived(batch, stamp);
    return true;
}

void ReplayCanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    {
        std::lock_guard locker(m_mutex);
        *ok = m_playing;
    }
    if (*ok)
        m_simulated.framesSent(messages, count);
}

int ReplayCanHandler::loadedFrameCount() const
{
    std::lock_guard locker(m_mutex);
    return m_frames.size();
}

int ReplayCanHandler::skippedLineCount() const
{
    std::lock_guard locker(m_mutex);
    return m_skipped;
}

qint64 ReplayCanHandler::loopPeriodUs() const
{
    std::lock_guard locker(m_mutex);
    return m_loopPeriodUs;
}

quint64 ReplayCanHandler::loopsCompleted() const
{
    std::lock_guard locker(m_mutex);
    return m_loops;
}
