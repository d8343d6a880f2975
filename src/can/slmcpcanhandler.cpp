#include "can/slmcpcanhandler.h"

#include "can/adapterrecords.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

using namespace SlmcpApi;

SlmcpCanHandler::SlmcpCanHandler(AbstractCanMessageDispatcher *dispatcher, const QString &library,
                                 QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
    , m_sendBuffer(size_t(SendCapacity) * RecordSize)
    , m_readBuffer(size_t(ReadCapacity) * RecordSize)
{
    QString why;
    m_api = SlmcpLibrary::CnOpenLibrary(library, &why);
    if (!m_api) {
        setLastError(QStringLiteral("Unable to load slmcp.dll\n%1").arg(why));
        return;
    }
    scanDevices();
}

SlmcpCanHandler::~SlmcpCanHandler()
{
    if (!m_api)
        return;
    // The device is closed before the library goes, so no late call can reach an unloaded one.
    stop();
    {
        std::lock_guard locker(m_libraryMutex);
        closeLocked();
    }
    SlmcpLibrary::CnCloseLibrary();
    m_api = nullptr;
}

void SlmcpCanHandler::scanDevices()
{
    std::lock_guard locker(m_libraryMutex);
    for (unsigned number = FirstDeviceNumber; number <= LastDeviceNumber; ++number) {
        const Handle handle = m_api->CnOpen(number);
        if (!handle)
            continue;
        char serial[SerialCapacity] = {};
        if (m_api->CnGetSerialNumber(handle, serial, SerialCapacity - 1)) {
            m_devices.append(qMakePair(
                int(number),
                QString::fromLatin1(serial, int(qstrnlen(serial, SerialCapacity - 1)))));
        } else {
            qDebug("Can't get serial number for %u dev", number);
        }
        m_api->CnClose(handle);
    }
}

void SlmcpCanHandler::closeLocked()
{
    if (m_handle)
        m_api->CnClose(m_handle);
    m_handle = nullptr;
    m_receiving = false;
}

QList<QPair<int, QString>> SlmcpCanHandler::transceivers()
{
    std::lock_guard locker(m_libraryMutex);
    return m_devices;
}

unsigned SlmcpCanHandler::transceiversCount()
{
    std::lock_guard locker(m_libraryMutex);
    return unsigned(m_devices.size());
}

bool SlmcpCanHandler::setTransceiverImpl(unsigned index)
{
    std::lock_guard locker(m_libraryMutex);
    if (!m_api)
        return false;
    closeLocked();
    if (index < unsigned(m_devices.size()))
        m_handle = m_api->CnOpen(std::uint32_t(m_devices.at(int(index)).first));
    if (!m_handle) {
        setLastError(QStringLiteral("Tranceiver %1 unavailable").arg(index));
        return false;
    }
    return true;
}

bool SlmcpCanHandler::startImpl()
{
    std::lock_guard locker(m_libraryMutex);
    if (!m_handle) {
        setLastError(QStringLiteral("Device open failure"));
        return false;
    }
    std::uint8_t transceiver = 0;
    if (m_api->CnInit(m_handle, &transceiver, 0))
        qDebug("Transceiver %u initialized", unsigned(transceiver));
    else
        qDebug("Unable to init transceiver");
    const int code = AdapterRecords::slmcpBitRateCode(baudRate());
    if (code < 0 || !m_api->CnSetBaudRate(m_handle, std::uint32_t(code))) {
        setLastError(QStringLiteral("Bit rate %1 not accepted").arg(baudRate()));
        return false;
    }
    m_receiving = m_api->CnRecieveEnable(m_handle);
    if (!m_receiving)
        setLastError(QStringLiteral("CnRecieveEnable failed"));
    return m_receiving;
}

bool SlmcpCanHandler::stopImpl()
{
    std::lock_guard locker(m_libraryMutex);
    if (!m_handle || !m_receiving)
        return true;
    m_receiving = !m_api->CnRecieveDisable(m_handle);
    return !m_receiving;
}

bool SlmcpCanHandler::setBaudRateImpl(unsigned rate)
{
    const int code = AdapterRecords::slmcpBitRateCode(rate);
    if (code < 0)
        return false;
    std::lock_guard locker(m_libraryMutex);
    // Before start() the rate is only remembered: start() sets it after initialising.
    if (!m_receiving)
        return m_api != nullptr;
    return m_api->CnSetBaudRate(m_handle, std::uint32_t(code));
}

void SlmcpCanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    *ok = false;
    if (count > unsigned(SendCapacity))
        return;
    std::lock_guard locker(m_libraryMutex);
    if (!m_receiving)
        return;
    std::fill(m_sendBuffer.begin(), m_sendBuffer.end(), 0);
    for (unsigned i = 0; i < count; ++i)
        AdapterRecords::toSlmcpRecord(messages[i], m_sendBuffer.data() + i * RecordSize);
    std::uint8_t result = 0;
    *ok = m_api->CnSendPackets(m_handle, m_sendBuffer.data(), count, &result);
}

bool SlmcpCanHandler::receiveMessagesImpl(unsigned *count)
{
    *count = 0;
    const qint64 stamp = messageElapsedTimer();
    QVector<CanMessage> frames;
    {
        std::lock_guard locker(m_libraryMutex);
        if (!m_receiving) {
            setLastError(QStringLiteral("Device not open"));
            return false;
        }
        std::uint32_t read = ReadRequest;
        if (!m_api->CnRecievePackets(m_handle, m_readBuffer.data(), &read)) {
            setLastError(QStringLiteral("CnRecievePackets failed"));
            return false;
        }
        if (read > ReadCapacity) {
            qWarning("slmcp.dll read returned %u records for room of %u", read, ReadCapacity);
            read = ReadCapacity;
        }
        frames.reserve(int(read));
        for (std::uint32_t i = 0; i < read; ++i) {
            bool clamped = false;
            frames.append(AdapterRecords::fromSlmcpRecord(m_readBuffer.data() + i * RecordSize,
                                                          &clamped));
            if (clamped)
                qDebug("slmcp.dll record with a length above 8");
        }
    }
    *count = unsigned(frames.size());
    deliverReceived(frames, stamp);
    return true;
}
