#include "support/testcanhandler.h"

#include "model/devicedispatcher.h"

#include <mutex>

#include <vector>

TestCanHandler::TestCanHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
{}

TestCanHandler::~TestCanHandler()
{
    stop();
}

DeviceDispatcher *TestCanHandler::bus()
{
    if (auto *given = dynamic_cast<DeviceDispatcher *>(dispatcher()))
        return given;
    m_ownBus = std::make_unique<DeviceDispatcher>();
    setDispatcher(m_ownBus.get());
    return m_ownBus.get();
}

void TestCanHandler::adopt(AbstractDisplayableItem *unit)
{
    bus()->registerDisplayable(unit);
}

QList<QPair<int, QString>> TestCanHandler::transceivers()
{
    std::lock_guard locker(m_mutex);
    QList<QPair<int, QString>> list;
    for (int i = 0; i < m_ports.size(); ++i)
        list.append(qMakePair(i, m_ports.at(i)));
    return list;
}

unsigned TestCanHandler::transceiversCount()
{
    std::lock_guard locker(m_mutex);
    return unsigned(m_ports.size());
}

void TestCanHandler::setPorts(const QStringList &names)
{
    std::lock_guard locker(m_mutex);
    m_ports = names;
}

void TestCanHandler::queueBatch(const QVector<CanMessage> &frames)
{
    std::lock_guard locker(m_mutex);
    m_batches.append(frames);
}

void TestCanHandler::setSendOk(bool ok)
{
    std::lock_guard locker(m_mutex);
    m_sendOk = ok;
}

void TestCanHandler::setStartOk(bool ok)
{
    std::lock_guard locker(m_mutex);
    m_startOk = ok;
}

void TestCanHandler::setStopOk(bool ok)
{
    std::lock_guard locker(m_mutex);
    m_stopOk = ok;
}

void TestCanHandler::setSupportedRates(const QSet<unsigned> &rates)
{
    std::lock_guard locker(m_mutex);
    m_rates = rates;
}

void TestCanHandler::setDuringReceive(std::function<void()> hook)
{
    std::lock_guard locker(m_mutex);
    m_duringReceive = std::move(hook);
}

int TestCanHandler::receiveCalls() const
{
    std::lock_guard locker(m_mutex);
    return m_receiveCalls;
}

QVector<int> TestCanHandler::writtenBatchSizes() const
{
    std::lock_guard locker(m_mutex);
    return m_writtenSizes;
}

void TestCanHandler::clearWritten()
{
    std::lock_guard locker(m_mutex);
    m_written.clear();
    m_writtenSizes.clear();
}

QVector<CanMessage> TestCanHandler::writtenFrames() const
{
    std::lock_guard locker(m_mutex);
    return m_written;
}

QVector<CanMessage> TestCanHandler::writtenFrames(quint8 pduFormat) const
{
    QVector<CanMessage> frames;
    for (const CanMessage &m : writtenFrames()) {
        if (m.pduFormat() == pduFormat)
            frames.append(m);
    }
    return frames;
}

int TestCanHandler::selectedTransceiver() const
{
    std::lock_guard locker(m_mutex);
    return m_selected;
}

bool TestCanHandler::setBaudRateImpl(unsigned rate)
{
    std::lock_guard locker(m_mutex);
    return m_rates.contains(rate);
}

bool TestCanHandler::receiveMessagesImpl(unsigned *count)
{
    const qint64 stamp = messageElapsedTimer();
    QVector<CanMessage> batch;
    std::function<void()> hook;
    {
        std::lock_guard locker(m_mutex);
        ++m_receiveCalls;
        if (!m_batches.isEmpty())
            batch = m_batches.takeFirst();
        hook = m_duringReceive;
    }
    if (hook)
        hook();
    *count = unsigned(batch.size());
    deliverReceived(batch, stamp);
    return true;
}

void TestCanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    std::lock_guard locker(m_mutex);
    *ok = m_sendOk;
    if (!m_sendOk)
        return;
    m_writtenSizes.append(int(count));
    for (unsigned i = 0; i < count; ++i)
        m_written.append(messages[i]);
}

bool TestCanHandler::setTransceiverImpl(unsigned index)
{
    std::lock_guard locker(m_mutex);
    m_selected = int(index);
    return true;
}

bool TestCanHandler::startImpl()
{
    std::lock_guard locker(m_mutex);
    return m_startOk;
}

bool TestCanHandler::stopImpl()
{
    std::lock_guard locker(m_mutex);
    return m_stopOk;
}

CanMessage makeFrame(quint32 id, std::initializer_list<quint8> bytes, bool extended)
{
    std::vector<quint8> data(bytes);
    CanMessage m(id, data.data(), int(data.size()));
    m.extended = extended;
    return m;
}
