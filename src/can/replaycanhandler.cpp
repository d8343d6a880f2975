#include "can/replaycanhandler.h"

#include "can/abstractcanmessagedispatcher.h"
#include "can/busclock.h"
#include "can/replayreading.h"

#include <QDebug>
#include <QFileInfo>

#include <algorithm>
#include <mutex>
#include <utility>

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
    return m_reading ? m_reading->spool.buses() : QVector<quint8>();
}

bool ReplayCanHandler::setTransceiverImpl(unsigned index)
{
    QString path;
    UnitSource demoUnits;
    int wantedBus = -1;
    {
        std::lock_guard locker(m_mutex);
        path = m_paths.value(int(index));
        demoUnits = m_demoUnits;
        wantedBus = m_requestedChannel;
    }
    auto reading = std::make_shared<ReplayReading>();
    {
        std::lock_guard locker(m_mutex);
        m_choosing = reading;
    }
    if (!reading->start(path)) {
        std::lock_guard locker(m_mutex);
        m_choosing.reset();
        setLastError(tr("Cannot read recording %1: %2").arg(path, reading->spool.errorString()));
        return false;
    }
    // The recording plays as soon as its start is read; the rest is read while it plays.
    while (!reading->canPlay(wantedBus, StartSpanUs) && !m_readingCancelled.load())
        reading->waitForProgress(20);
    {
        std::lock_guard locker(m_mutex);
        m_choosing.reset();
    }
    if (m_readingCancelled.exchange(false)) {
        setLastError(tr("Reading of recording %1 cancelled").arg(path));
        return false;
    }
    if (reading->spool.frameCount() == 0) {
        // Done, as frames are all that ends the wait otherwise.
        setLastError(reading->ok()
                         ? tr("Recording %1 holds no frames").arg(path)
                         : tr("Cannot read recording %1: %2").arg(path, reading->error()));
        return false;
    }
    m_simulated.clearUnits();
    if (index == 0 && demoUnits)
        demoUnits(&m_simulated);
    std::shared_ptr<ReplayReading> previous;
    {
        std::lock_guard locker(m_mutex);
        previous = std::exchange(m_reading, reading);
        m_originUs = reading->spool.firstTimeUs();
        m_block.clear();
        m_blockIndex = -1;
        rewind();
        const QVector<quint8> buses = reading->spool.buses();
        m_channel = -1;
        if (buses.size() > 1) {
            const bool requested = wantedBus >= 0 && buses.contains(quint8(wantedBus));
            m_channel = requested ? wantedBus : buses.first();
            if (AbstractCanMessageDispatcher *bus = dispatcher())
                bus->setBusNumber(m_channel);
        }
        m_playing = false;
        m_index = int(index);
    }
    // The last recording's reading stops, out of the lock: it ends its piece first.
    previous.reset();
    setLastError(QString());
    return true;
}

bool ReplayCanHandler::startImpl()
{
    std::lock_guard locker(m_mutex);
    if (!hasFrames()) {
        setLastError(tr("No recording selected"));
        return false;
    }
    rewind();
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

bool ReplayCanHandler::hasFrames() const
{
    return m_reading && m_reading->spool.blockCount() > 0;
}

qint64 ReplayCanHandler::durationNowUs() const
{
    return hasFrames() ? m_reading->spool.lastTimeUs() - m_originUs : 0;
}

void ReplayCanHandler::rewind()
{
    m_cursorBlock = 0;
    m_cursorFrame = 0;
    m_seekTimeUs = -1;
}

void ReplayCanHandler::loadCursorBlock()
{
    std::shared_ptr<ReplayReading> reading;
    int wanted = -1;
    {
        std::lock_guard locker(m_mutex);
        if (!m_playing || !m_reading || m_cursorBlock == m_blockIndex)
            return;
        reading = m_reading;
        wanted = m_cursorBlock;
    }
    // Read and uncompressed out of the lock: the window asks for the position meanwhile.
    QVector<TimedFrame> frames = reading->spool.block(wanted);
    std::lock_guard locker(m_mutex);
    if (reading != m_reading || wanted != m_cursorBlock)
        return; // a seek or another recording came in between
    m_block = std::move(frames);
    m_blockIndex = wanted;
    if (m_seekTimeUs >= 0) {
        const auto next = std::lower_bound(
            m_block.cbegin(), m_block.cend(), m_seekTimeUs,
            [](const TimedFrame &frame, qint64 timeUs) { return frame.timeUs < timeUs; });
        m_cursorFrame = std::max(0, std::min(int(next - m_block.cbegin()), m_block.size() - 1));
        m_seekTimeUs = -1;
    }
}

qint64 ReplayCanHandler::positionNowUs() const
{
    if (!hasFrames())
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
    if (m_index == 0 || !hasFrames() || !m_playing) {
        bus->clock().followWallClock();
        return;
    }
    const qint64 busUs = m_originUs + m_loopOffsetUs + m_anchorPositionUs;
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
        rewind();
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
    if (!hasFrames())
        return;
    positionUs = std::clamp<qint64>(positionUs, 0, durationNowUs());
    const FrameSpool &spool = m_reading->spool;
    m_cursorBlock = std::min(spool.blockReaching(m_originUs + positionUs), spool.blockCount() - 1);
    m_cursorFrame = 0;
    m_seekTimeUs = m_originUs + positionUs;
    // The block that plays is found in at once; another is when it is loaded.
    if (m_cursorBlock == m_blockIndex)
        m_blockIndex = -1;
    m_endReached = false;
    m_seekOffsetUs += positionNowUs() - positionUs;
    anchor(positionUs);
}

qint64 ReplayCanHandler::positionUs() const
{
    std::lock_guard locker(m_mutex);
    return std::clamp<qint64>(positionNowUs(), 0, durationNowUs());
}

qint64 ReplayCanHandler::durationUs() const
{
    std::lock_guard locker(m_mutex);
    return durationNowUs();
}

qint64 ReplayCanHandler::originUs() const
{
    std::lock_guard locker(m_mutex);
    return hasFrames() ? m_originUs : 0;
}

bool ReplayCanHandler::setBaudRateImpl(unsigned rate)
{
    return rate > 0;
}

bool ReplayCanHandler::receiveMessagesImpl(unsigned *count)
{
    loadCursorBlock();
    QVector<CanMessage> batch;
    bool playing = false;
    {
        std::lock_guard locker(m_mutex);
        playing = m_playing;
        if (m_playing && !m_paused && m_blockIndex == m_cursorBlock) {
            const bool asFast = m_speed <= AsFastAsPossible;
            qint64 nowUs = positionNowUs();
            while (batch.size() < ReadBatchLimit) {
                if (m_cursorFrame >= m_block.size()) {
                    if (m_cursorBlock + 1 < m_reading->spool.blockCount()) {
                        // The next block is loaded at the next call, out of the lock.
                        ++m_cursorBlock;
                        m_cursorFrame = 0;
                        break;
                    }
                    if (!m_reading->done.load())
                        break; // the reading has not come this far yet
                    ++m_loops;
                    if (!m_looping) {
                        // The end: the player stands at the last frame until told otherwise.
                        m_paused = true;
                        anchor(m_lastDeliveredUs);
                        m_cursorFrame = std::max(0, m_block.size() - 1);
                        m_endReached = true;
                        break;
                    }
                    // The next pass starts one loop period after this one did, and the clock
                    // counts in the new pass: its first frame is due a period after the last
                    // pass's first.
                    const qint64 period = m_reading->loopPeriodUs.load();
                    m_loopOffsetUs += period;
                    nowUs = asFast ? 0 : nowUs - period;
                    rewind();
                    anchor(nowUs);
                    if (asFast || m_cursorBlock != m_blockIndex)
                        break;
                    continue;
                }
                const TimedFrame &next = m_block.at(m_cursorFrame);
                const qint64 at = next.timeUs - m_originUs;
                if (!asFast && at > nowUs)
                    break;
                if (m_channel < 0 || next.bus == m_channel)
                    batch.append(next.message);
                m_lastDeliveredUs = at;
                ++m_cursorFrame;
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

qint64 ReplayCanHandler::loadedFrameCount() const
{
    std::lock_guard locker(m_mutex);
    return m_reading ? m_reading->spool.frameCount() : 0;
}

int ReplayCanHandler::readingPercent() const
{
    std::lock_guard locker(m_mutex);
    if (m_choosing)
        return m_choosing->percent.load();
    return m_reading && !m_reading->done.load() ? m_reading->percent.load() : -1;
}

int ReplayCanHandler::skippedLineCount() const
{
    std::lock_guard locker(m_mutex);
    return m_reading ? m_reading->skipped.load() : 0;
}

qint64 ReplayCanHandler::memoryBytes() const
{
    std::lock_guard locker(m_mutex);
    const qint64 block = qint64(m_block.capacity()) * qint64(sizeof(TimedFrame));
    return block + (m_reading ? m_reading->spool.memoryBytes() : 0);
}

qint64 ReplayCanHandler::loopPeriodUs() const
{
    std::lock_guard locker(m_mutex);
    return m_reading ? m_reading->loopPeriodUs.load() : 0;
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
