#include "can/j2534canhandler.h"

#include "can/adapterrecords.h"

#include <QDebug>

using namespace J2534Api;

J2534CanHandler::J2534CanHandler(AbstractCanMessageDispatcher *dispatcher, const QString &library,
                                 QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
    , m_readBuffer(ReadBatchLimit)
    , m_writeBuffer(ReadBatchLimit)
{
    std::lock_guard locker(m_libraryMutex);
    if (!library.isEmpty())
        m_api.setDllName(library);
    m_ready = m_api.checkDLL();
    if (!m_ready)
        setLastError(QStringLiteral("Unable to init j2534\n%1").arg(m_api.loadError()));
}

J2534CanHandler::~J2534CanHandler()
{
    stop();
    std::lock_guard locker(m_libraryMutex);
    closeLocked();
    m_api.unload();
}

QList<QPair<int, QString>> J2534CanHandler::transceivers()
{
    return {qMakePair(0, QStringLiteral("J2534"))};
}

unsigned J2534CanHandler::transceiversCount()
{
    return 1;
}

void J2534CanHandler::failWith(const char *what, long code)
{
    const QString text = m_api.libraryErrorText();
    setLastError(QStringLiteral("%1 failed: %2 (code 0x%3)")
                     .arg(QLatin1String(what), text.isEmpty() ? m_api.lastError() : text)
                     .arg(code, 2, 16, QLatin1Char('0')));
}

void J2534CanHandler::disconnectLocked()
{
    if (m_channelId == NoId)
        return;
    m_api.PassThruDisconnect(m_channelId);
    m_channelId = NoId;
}

void J2534CanHandler::closeLocked()
{
    disconnectLocked();
    if (m_deviceId == NoId)
        return;
    m_api.PassThruClose(m_deviceId);
    m_deviceId = NoId;
}

bool J2534CanHandler::setTransceiverImpl(unsigned index)
{
    if (index != 0) {
        setLastError(QStringLiteral("Tranceiver %1 unavailable").arg(index));
        return false;
    }
    std::lock_guard locker(m_libraryMutex);
    if (!m_ready)
        return false;
    // A second selection would find the device still in use: close it first.
    closeLocked();
    unsigned long device = NoId;
    const long rc = m_api.PassThruOpen(nullptr, &device);
    if (rc != StatusNoError) {
        failWith("PassThruOpen", rc);
        return false;
    }
    m_deviceId = device;
    return true;
}

bool J2534CanHandler::startImpl()
{
    std::lock_guard locker(m_libraryMutex);
    if (m_deviceId == NoId) {
        setLastError(QStringLiteral("J2534 device not open"));
        return false;
    }
    disconnectLocked();
    unsigned long channel = NoId;
    long rc = m_api.PassThruConnect(m_deviceId, ProtocolCan, ConnectCanIdBoth, baudRate(), &channel);
    if (rc != StatusNoError) {
        failWith("PassThruConnect", rc);
        return false;
    }
    m_channelId = channel;
    PassThruMsg mask;
    PassThruMsg pattern;
    AdapterRecords::passAllFilter(&mask);
    AdapterRecords::passAllFilter(&pattern);
    unsigned long filter = 0;
    rc = m_api.PassThruStartMsgFilter(m_channelId, PassFilter, &mask, &pattern, nullptr, &filter);
    if (rc != StatusNoError) {
        // Without the filter the channel receives nothing: do not leave it connected.
        failWith("PassThruStartMsgFilter", rc);
        disconnectLocked();
        return false;
    }
    return true;
}

bool J2534CanHandler::stopImpl()
{
    std::lock_guard locker(m_libraryMutex);
    disconnectLocked();
    return true;
}

bool J2534CanHandler::setBaudRateImpl(unsigned rate)
{
    std::lock_guard locker(m_libraryMutex);
    // Not connected yet: the rate is the one start() connects at.
    if (m_channelId == NoId)
        return m_ready;
    SConfig parameter{ConfigDataRate, rate};
    SConfigList list{1, &parameter};
    const long rc = m_api.PassThruIoctl(m_channelId, IoctlSetConfig, &list, nullptr);
    if (rc != StatusNoError) {
        failWith("PassThruIoctl", rc);
        return false;
    }
    return true;
}

void J2534CanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    *ok = false;
    if (count > m_writeBuffer.size())
        return;
    std::lock_guard locker(m_libraryMutex);
    if (m_channelId == NoId)
        return;
    for (unsigned i = 0; i < count; ++i)
        AdapterRecords::toPassThru(messages[i], &m_writeBuffer[i]);
    unsigned long written = count;
    const long rc = m_api.PassThruWriteMsgs(m_channelId, m_writeBuffer.data(), &written, 0);
    // With no time-out the library may queue fewer than asked: that is a failed batch too.
    *ok = rc == StatusNoError && written == count;
    if (!*ok)
        qDebug("J2534 write: code 0x%02lx, %lu of %u written", static_cast<unsigned long>(rc),
               written, count);
}

bool J2534CanHandler::receiveMessagesImpl(unsigned *count)
{
    *count = 0;
    const qint64 stamp = messageElapsedTimer();
    QVector<CanMessage> frames;
    unsigned long returned = ReadBatchLimit;
    {
        std::lock_guard locker(m_libraryMutex);
        if (m_channelId == NoId) {
            setLastError(QStringLiteral("J2534 channel not connected"));
            return false;
        }
        const long rc = m_api.PassThruReadMsgs(m_channelId, m_readBuffer.data(), &returned,
                                               ReadTimeoutMs);
        const bool overflow = rc == ErrBufferOverflow;
        // Some libraries leave the count at its input value on a time-out: a full time-out
        // batch is read as empty, which also keeps the poll cycle from reading forever.
        if (rc == ErrBufferEmpty || (rc == ErrTimeout && returned >= unsigned(ReadBatchLimit)))
            return true;
        if (rc != StatusNoError && rc != ErrTimeout && !overflow) {
            const QString text = m_api.libraryErrorText();
            setLastError(QStringLiteral("impl code 0x%1").arg(rc, 2, 16, QLatin1Char('0'))
                         + (text.isEmpty() ? QString() : QStringLiteral(": ") + text));
            return false;
        }
        if (returned > unsigned(ReadBatchLimit)) {
            qWarning("J2534 read returned %lu messages for room of %d", returned, ReadBatchLimit);
            returned = ReadBatchLimit;
        }
        if (overflow) {
            ++m_overflows;
            qWarning("J2534 adapter overflow: messages were lost");
        }
        frames.reserve(int(returned));
        for (unsigned long i = 0; i < returned; ++i) {
            CanMessage m;
            if (AdapterRecords::fromPassThru(m_readBuffer[i], &m)
                == AdapterRecords::PassThruResult::Frame)
                frames.append(m);
        }
    }
    *count = unsigned(returned);
    deliverReceived(frames, stamp);
    return true;
}
