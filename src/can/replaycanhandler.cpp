#include "can/replaycanhandler.h"

#include "can/abstractcanmessagedispatcher.h"
#include "can/busclock.h"

#include <QDebug>
#include <QFileInfo>

#include <algorithm>
#include <mutex>

const char *const ReplayCanHandler::DemoRecording = ":/demo/demo-bus.log";
const char *const ReplayCanHandler::DemoScheme = ":/demo/demo.tvsx";

namespace {

const char *const DemoPort = QT_TRANSLATE_NOOP("ReplayCanHandler", "Demo bus (built in)");

} // namespace

TranslatableText ReplayCanHandler::portText(const QString &port)
{
    if (port == tr(DemoPort))
        return TranslatableText::catalogue("ReplayCanHandler", DemoPort);
    // A recording by its file's name, as the player names it.
    const QFileInfo file(port);
    return TranslatableText::plain(file.isFile() ? file.fileName() : port);
}

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

QVector<quint8> busesOf(const QVector<TimedFrame> &frames)
{
    bool seen[256] = {};
    for (const TimedFrame &frame : frames)
        seen[frame.bus] = true;
    QVector<quint8> buses;
    for (int bus = 0; bus < 256; ++bus) {
        if (seen[bus])
            buses << quint8(bus);
    }
    return buses;
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
        list.append(qMakePair(i, i == 0 ? tr(DemoPort) : m_paths.at(i)));
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

void ReplayCanHandler::setChannel(int bus)
{
    std::lock_guard locker(m_mutex);
    m_requestedChannel = bus;
}

int ReplayCanHandler::channel() const
{
    std::lock_guard locker(m_mutex);
    return m_channel;
}

QVector<quint8> ReplayCanHandler::channels() const
{
    std::lock_guard locker(m_mutex);
    return m_channels;
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
    QVector<TimedFrame> frames;
    const qint64 size = QFileInfo(path).size();
    m_readingPercent.store(0);
    // The reading is streamed so that it can tell how far it is and stop when asked.
    const bool read = reader.streamFile(path, [&](const QVector<TimedFrame> &piece) {
        frames += piece;
        if (size > 0)
            m_readingPercent.store(
                int(std::clamp<qint64>(reader.bytesRead() * 100 / size, 0, 100)));
        return !m_readingCancelled.load();
    });
    m_readingPercent.store(-1);
    if (m_readingCancelled.exchange(false)) {
        setLastError(tr("Reading of recording %1 cancelled").arg(path));
        return false;
    }
    if (!read) {
        setLastError(tr("Cannot read recording %1: %2").arg(path, reader.errorString()));
        return false;
    }
    if (reader.skippedLines() > 0) {
        qWarning("Replay: %d lines skipped in %s (%s), first: %s", reader.skippedLines(),
                 qUtf8Printable(path), qUtf8Printable(RecordingReader::formatName(reader.format())),
                 qUtf8Printable(reader.problems().first()));
    }
    if (frames.isEmpty()) {
        setLastError(tr("Recording %1 holds no frames").arg(path));
        return false;
    }
    m_simulated.clearUnits();
    if (index == 0 && demoUnits)
        demoUnits(&m_simulated);
    std::lock_guard locker(m_mutex);
    m_frames = std::move(frames);
    m_channels = busesOf(m_frames);
    m_channel = -1;
    if (m_channels.size() > 1) {
        const bool requested
            = m_requestedChannel >= 0 && m_channels.contains(quint8(m_requestedChannel));
        m_channel = requested ? m_requestedChannel : m_channels.first();
        if (AbstractCanMessageDispatcher *bus = dispatcher())
            bus->setBusNumber(m_channel);
    }
    m_skipped = reader.skippedLines();
    m_loopPeriodUs = loopPeriodFor(m_frames);
    m_playing = false;
    m_index = int(index);
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
    m_next = 0;
    m_loopOffsetUs = 0;
    m_loops = 0;
    m_playing = true;
    m_endReached = false;
    m_seekOffsetUs = 0;
    anchor(0);
    return true;
}

bool ReplayCanHandler::stopImpl()
{
    std::lock_guard locker(m_mutex);
    m_playing = false;
    if (AbstractCanMessageDispatcher *bus = dispatcher())
        bus->clock().followWallClock();
    return true;
}

qint64 ReplayCanHandler::positionNowUs() const
{
    if (m_frames.isEmpty())
        return 0;
    if (m_paused || !m_playing)
        return m_anchorPositionUs;
    if (m_speed <= AsFastAsPossible)
        return m_lastDeliveredUs;
    return m_anchorPositionUs + qint64(double(m_clock.nsecsElapsed()) / 1000.0 * m_speed);
}

void ReplayCanHandler::anchor(qint64 positionUs)
{
    m_anchorPositionUs = positionUs;
    m_lastDeliveredUs = positionUs;
    m_clock.start();
    publishClock();
}

void ReplayCanHandler::publishClock() const
{
    // Every bus of a recording keeps its own clock on its own frames' time.
    AbstractCanMessageDispatcher *bus = dispatcher();
    if (!bus)
        return;
    // The demo bus's simulated units answer in real time: it stays on the wall clock.
    if (m_index == 0 || m_frames.isEmpty() || !m_playing) {
        bus->clock().followWallClock();
        return;
    }
    const qint64 busUs = m_frames.first().timeUs + m_loopOffsetUs + m_anchorPositionUs;
    // As fast as possible, the clock moves with the frames (set at each batch).
    const double rate = m_paused || m_speed <= AsFastAsPossible ? 0.0 : m_speed;
    bus->clock().followRecording(busUs / 1000, rate);
}

void ReplayCanHandler::setPaused(bool paused)
{
    std::lock_guard locker(m_mutex);
    if (paused == m_paused)
        return;
    const qint64 position = positionNowUs();
    m_paused = paused;
    if (!paused && m_endReached) {
        // Play at the end starts again from the beginning.
        m_endReached = false;
        m_next = 0;
        m_seekOffsetUs += position;
        anchor(0);
        return;
    }
    anchor(position);
}

bool ReplayCanHandler::isPaused() const
{
    std::lock_guard locker(m_mutex);
    return m_paused;
}

void ReplayCanHandler::setSpeed(double speed)
{
    std::lock_guard locker(m_mutex);
    const qint64 position = positionNowUs();
    m_speed = std::max(AsFastAsPossible, speed);
    anchor(position);
}

double ReplayCanHandler::speed() const
{
    std::lock_guard locker(m_mutex);
    return m_speed;
}

void ReplayCanHandler::setLooping(bool on)
{
    std::lock_guard locker(m_mutex);
    m_looping = on;
}

bool ReplayCanHandler::isLooping() const
{
    std::lock_guard locker(m_mutex);
    return m_looping;
}

void ReplayCanHandler::seek(qint64 positionUs)
{
    std::lock_guard locker(m_mutex);
    if (m_frames.isEmpty())
        return;
    const qint64 origin = m_frames.first().timeUs;
    positionUs = std::clamp<qint64>(positionUs, 0, m_frames.last().timeUs - origin);
    const auto next = std::lower_bound(
        m_frames.cbegin(), m_frames.cend(), origin + positionUs,
        [](const TimedFrame &frame, qint64 timeUs) { return frame.timeUs < timeUs; });
    m_next = int(next - m_frames.cbegin());
    if (m_next == m_frames.size())
        m_next = m_frames.size() - 1;
    m_endReached = false;
    m_seekOffsetUs += positionNowUs() - positionUs;
    anchor(positionUs);
}

qint64 ReplayCanHandler::positionUs() const
{
    std::lock_guard locker(m_mutex);
    const qint64 duration
        = m_frames.isEmpty() ? 0 : m_frames.last().timeUs - m_frames.first().timeUs;
    return std::clamp<qint64>(positionNowUs(), 0, duration);
}

qint64 ReplayCanHandler::durationUs() const
{
    std::lock_guard locker(m_mutex);
    return m_frames.isEmpty() ? 0 : m_frames.last().timeUs - m_frames.first().timeUs;
}

qint64 ReplayCanHandler::originUs() const
{
    std::lock_guard locker(m_mutex);
    return m_frames.isEmpty() ? 0 : m_frames.first().timeUs;
}

bool ReplayCanHandler::setBaudRateImpl(unsigned rate)
{
    return rate > 0;
}

bool ReplayCanHandler::receiveMessagesImpl(unsigned *count)
{
    QVector<CanMessage> batch;
    bool playing = false;
    {
        std::lock_guard locker(m_mutex);
        playing = m_playing;
        if (m_playing && !m_paused) {
            const bool asFast = m_speed <= AsFastAsPossible;
            qint64 nowUs = positionNowUs();
            const qint64 originUs = m_frames.first().timeUs;
            while (batch.size() < ReadBatchLimit) {
                const TimedFrame &next = m_frames.at(m_next);
                const qint64 at = next.timeUs - originUs;
                if (!asFast && at > nowUs)
                    break;
                if (m_channel < 0 || next.bus == m_channel)
                    batch.append(next.message);
                m_lastDeliveredUs = at;
                if (++m_next < m_frames.size())
                    continue;
                m_next = 0;
                ++m_loops;
                if (!m_looping) {
                    // The end: the player stands at the last frame until told otherwise.
                    m_paused = true;
                    anchor(at);
                    m_next = m_frames.size() - 1;
                    m_endReached = true;
                    break;
                }
                // The next pass starts one loop period after this one did.
                m_loopOffsetUs += m_loopPeriodUs;
                // The clock now counts in the new pass: its first frame is due a period after
                // the last pass's first.
                nowUs = asFast ? 0 : nowUs - m_loopPeriodUs;
                anchor(nowUs);
                if (asFast)
                    break;
            }
            if (asFast && !batch.isEmpty())
                publishClock();
        }
    }
    // Stamped once the batch is taken: played as fast as possible, the time is its last frame's.
    const qint64 stamp = messageElapsedTimer();
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

QString ReplayCanHandler::playingPath() const
{
    std::lock_guard locker(m_mutex);
    return m_playing && m_index > 0 ? m_paths.value(m_index) : QString();
}

qint64 ReplayCanHandler::messageElapsedTimer() const
{
    {
        std::lock_guard locker(m_mutex);
        // A recording of the user's stamps its frames with the time it played: frames and
        // checks see its pauses, speeds and seeks as the bus's own time.
        if (m_playing && m_index > 0)
            return (m_loopOffsetUs + m_seekOffsetUs + positionNowUs()) / 1000;
    }
    return AbstractCanHandler::messageElapsedTimer();
}
