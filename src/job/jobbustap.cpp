#include "job/jobbustap.h"

#include "can/abstractcanhandler.h"
#include "can/abstractcanmessagedispatcher.h"

#include <QDateTime>

namespace {

constexpr quint8 PfTransportControl = 0xEC;
constexpr quint8 PfTransportData = 0xEB;

qint64 wallUs()
{
    return QDateTime::currentMSecsSinceEpoch() * 1000;
}

// Bits one frame takes on the wire without stuffing: identifier, control, data, CRC, the rest.
int frameBits(const CanMessage &m)
{
    return (m.extended ? 67 : 47) + 8 * int(m.length);
}

} // namespace

JobBusTap::JobBusTap(const QString &rawDir, qint64 partBytes, QObject *parent)
    : QObject(parent)
{
    if (!rawDir.isEmpty())
        m_raw = std::make_unique<RawRecorder>(rawDir, partBytes);
}

JobBusTap::~JobBusTap()
{
    detach();
    detachOthers();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_raw)
        m_raw->close();
}

void JobBusTap::attach(AbstractCanHandler *handler)
{
    detach();
    if (!handler)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_handler = handler;
        m_originUs = wallUs() - handler->messageElapsedTimer() * 1000;
        m_baudRate = qMax(1u, handler->baudRate());
        const AbstractCanMessageDispatcher *dispatcher = handler->dispatcher();
        m_bus = quint8(dispatcher ? dispatcher->busNumber() : 0);
    }
    // Direct: the frames are taken on the bus thread as they pass, whatever the window does.
    m_received = connect(handler, &AbstractCanHandler::framesReceived, this, &JobBusTap::take,
                         Qt::DirectConnection);
    m_sent = connect(handler, &AbstractCanHandler::framesSent, this, &JobBusTap::take,
                     Qt::DirectConnection);
    handler->publishConnections();
}

void JobBusTap::detach()
{
    disconnect(m_received);
    disconnect(m_sent);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = nullptr;
}

void JobBusTap::attachOthers(const QList<AbstractCanHandler *> &handlers)
{
    std::vector<Other> before = detachOthers();
    std::vector<Other> others;
    for (AbstractCanHandler *handler : handlers) {
        if (!handler || handler == m_handler)
            continue;
        Other other;
        other.handler = handler;
        const AbstractCanMessageDispatcher *dispatcher = handler->dispatcher();
        other.bus = quint8(dispatcher ? dispatcher->busNumber() : 0);
        other.originUs = wallUs() - handler->messageElapsedTimer() * 1000;
        // Direct, as the attached bus's: taken on that bus's thread. Frames before the bus is
        // listed below are not recorded.
        const auto take
            = [this, handler](const QVector<CanMessage> &frames) { takeOther(frames, handler); };
        other.received = connect(handler, &AbstractCanHandler::framesReceived, this, take,
                                 Qt::DirectConnection);
        other.sent
            = connect(handler, &AbstractCanHandler::framesSent, this, take, Qt::DirectConnection);
        handler->publishConnections();
        others.push_back(std::move(other));
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // An inventory being taken goes on with the buses that stay.
    for (Other &other : others) {
        for (Other &old : before) {
            if (old.handler == other.handler && old.inventory)
                other.inventory = std::move(old.inventory);
        }
    }
    m_others = std::move(others);
}

std::vector<JobBusTap::Other> JobBusTap::detachOthers()
{
    // Disconnected outside the lock: a frame being taken on a bus thread finishes first.
    std::vector<Other> others;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        others.swap(m_others);
    }
    for (const Other &other : others) {
        disconnect(other.received);
        disconnect(other.sent);
    }
    return others;
}

void JobBusTap::takeOther(const QVector<CanMessage> &frames, const AbstractCanHandler *handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Other &other : m_others) {
        if (other.handler != handler)
            continue;
        const qint64 timeUs = other.originUs + handler->messageElapsedTimer() * 1000;
        QVector<TimedFrame> timed;
        timed.reserve(frames.size());
        for (const CanMessage &m : frames) {
            timed.append({timeUs, m});
            timed.last().bus = other.bus;
            if (m.extended)
                m_health.lastSeenUs[unitKey(other.bus, m.address())] = timeUs;
            if (other.inventory)
                other.inventory->take(m, timeUs);
        }
        if (m_raw && !m_raw->hasFailed())
            m_raw->take(timed);
        return;
    }
}

bool JobBusTap::isAttached() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handler != nullptr;
}

void JobBusTap::setSnapshotWindow(qint64 beforeUs, qint64 afterUs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_snapshots.setWindow(beforeUs, afterUs);
}

void JobBusTap::setClock(std::function<qint64()> clock)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = std::move(clock);
}

qint64 JobBusTap::nowUsLocked() const
{
    if (!m_handler)
        return m_clock ? m_clock() : wallUs();
    return m_originUs + m_handler->messageElapsedTimer() * 1000;
}

qint64 JobBusTap::nowUs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return nowUsLocked();
}

void JobBusTap::take(const QVector<CanMessage> &frames)
{
    bool ready = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        takeLocked(frames, nowUsLocked());
        // Once until they are taken, not with every batch.
        ready = m_snapshots.hasCompleted() && !m_readySignalled;
        m_readySignalled = m_readySignalled || ready;
    }
    if (ready)
        emit snapshotsReady();
}

void JobBusTap::takeLocked(const QVector<CanMessage> &frames, qint64 timeUs)
{
    QVector<TimedFrame> timed;
    timed.reserve(frames.size());
    for (const CanMessage &m : frames) {
        timed.append({timeUs, m});
        timed.last().bus = m_bus;
        if (m.extended) {
            m_health.lastSeenUs[unitKey(m_bus, m.address())] = timeUs;
            const quint8 pf = m.pduFormat();
            if (pf == PfTransportControl || pf == PfTransportData)
                m_transport.take(m, timeUs);
        }
        if (m_inventory)
            m_inventory->take(m, timeUs);
    }
    for (const TransportMonitor::Session &s : m_transport.takeEnded()) {
        if (s.ending == TransportMonitor::Aborted || s.ending == TransportMonitor::TimedOut
            || s.ending == TransportMonitor::Broken)
            ++m_health.transportAborts;
    }
    m_health.frames += frames.size();
    countLoad(frames, timeUs);
    m_snapshots.take(timed);
    if (m_raw && !m_raw->hasFailed())
        m_raw->take(timed);
}

void JobBusTap::countLoad(const QVector<CanMessage> &frames, qint64 timeUs)
{
    const qint64 second = timeUs / 1000000;
    if (m_loadSecond >= 0 && second != m_loadSecond) {
        // The second that ended; quiet seconds between count as idle.
        const double percent = 100.0 * double(m_loadBits) / double(m_baudRate);
        m_health.loadMaxPercent = qMax(m_health.loadMaxPercent, percent);
        m_loadSum += percent;
        m_loadSeconds += qMax<qint64>(1, second - m_loadSecond);
        m_health.loadMeanPercent = m_loadSum / double(m_loadSeconds);
        m_loadBits = 0;
    }
    m_loadSecond = second;
    for (const CanMessage &m : frames)
        m_loadBits += frameBits(m);
}

void JobBusTap::startInventory()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_inventory.emplace();
    for (Other &other : m_others)
        other.inventory.emplace();
}

bool JobBusTap::isTakingInventory() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_inventory.has_value();
}

Inventory JobBusTap::takeInventory()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Inventory taken = m_inventory ? std::move(*m_inventory) : Inventory();
    m_inventory.reset();
    taken.finish(nowUsLocked());
    return taken;
}

QMap<quint8, Inventory> JobBusTap::takeOtherInventories()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QMap<quint8, Inventory> taken;
    for (Other &other : m_others) {
        // A bus added while the inventory was being taken has none: it was not listened to.
        if (!other.inventory)
            continue;
        Inventory &inventory = taken[other.bus];
        inventory = std::move(*other.inventory);
        other.inventory.reset();
        if (other.handler)
            inventory.finish(other.originUs + other.handler->messageElapsedTimer() * 1000);
    }
    return taken;
}

QVector<Snapshot> JobBusTap::takeSnapshots(bool finishing)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (finishing)
        m_snapshots.finish();
    else
        m_snapshots.advance(nowUsLocked());
    m_readySignalled = false;
    return m_snapshots.takeCompleted();
}

QVector<CodeWatcher::Change> JobBusTap::takeBaselines()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_snapshots.takeBaselines();
}

int JobBusTap::skippedSnapshots() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_snapshots.skipped();
}

void JobBusTap::flush()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_raw && !m_raw->hasFailed())
        m_raw->flush();
}

QString JobBusTap::rawError() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_raw ? m_raw->errorString() : QString();
}

JobBusTap::Health JobBusTap::health() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Health h = m_health;
    // The second still counting joins the figures.
    if (m_loadSecond >= 0 && m_loadSeconds == 0) {
        const double percent = 100.0 * double(m_loadBits) / double(m_baudRate);
        h.loadMaxPercent = qMax(h.loadMaxPercent, percent);
        h.loadMeanPercent = percent;
    }
    return h;
}
