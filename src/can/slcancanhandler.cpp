#include "can/slcancanhandler.h"

#include "can/adapterrecords.h"

#include <QDebug>
#include <QMetaObject>

#include <algorithm>

using namespace SlcanApi;

namespace {

// The handler the library's callbacks reach. Set once the library is initialised, cleared first
// thing in the destructor; the mutex keeps the handler alive while a callback posts to it. It
// guards only this pointer and is never held during a library call, so a callback fired from
// inside a library call cannot deadlock on it.
std::mutex s_callbackMutex;
SlcanCanHandler *s_callbackTarget = nullptr;

constexpr unsigned SupportedRate = 250000;

} // namespace

std::vector<const char *> SlcanCanHandler::requiredFunctions()
{
    return {"SlCan_LoadEx",           "SlCan_FreeEx",           "SlCan_Free",
            "SlCan_DeviceGetBitRate", "SlCan_DeviceSetBitRate", "SlCan_DeviceOpen",
            "SlCan_DeviceClose",      "SlCan_DeviceReadMessages", "SlCan_DeviceWriteMessages",
            "SlCan_DeviceEnaRec",     "SlCan_DeviceSetTXTimeOut", "SlCan_DeviceGetInfo"};
}

SlcanCanHandler::SlcanCanHandler(AbstractCanMessageDispatcher *dispatcher, const QString &library,
                                 QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
    , m_records(size_t(ReadBatchLimit) * AdapterRecords::SlcanRecordSize)
{
    m_library.bind("SlCan_LoadEx", &m_loadEx);
    m_library.bind("SlCan_FreeEx", &m_freeEx);
    m_library.bind("SlCan_Free", &m_free);
    m_library.bind("SlCan_DeviceGetBitRate", &m_getBitRate);
    m_library.bind("SlCan_DeviceSetBitRate", &m_setBitRate);
    m_library.bind("SlCan_DeviceOpen", &m_deviceOpen);
    m_library.bind("SlCan_DeviceClose", &m_deviceClose);
    m_library.bind("SlCan_DeviceReadMessages", &m_read);
    m_library.bind("SlCan_DeviceWriteMessages", &m_write);
    m_library.bind("SlCan_DeviceEnaRec", &m_enaRec);
    m_library.bind("SlCan_DeviceSetTXTimeOut", &m_setTxTimeOut);
    m_library.bind("SlCan_DeviceSetMode", &m_setMode, AdapterLibrary::Optional);
    m_library.bind("SlCan_DeviceGetInfo", &m_getInfo);
    m_library.bind("SlCan_GetDeviceCount", &m_getDeviceCount, AdapterLibrary::Optional);
    m_library.bind("SlCan_GetDevice", &m_getDevice, AdapterLibrary::Optional);

    std::lock_guard locker(m_libraryMutex);
    if (!m_library.load(library.isEmpty() ? QString::fromLatin1(DefaultLibrary) : library)) {
        setLastError(QStringLiteral("%1\n%2").arg(m_library.missingFunction().isEmpty()
                                                      ? QStringLiteral("Unable to load slcan.dll")
                                                      : QStringLiteral("Corrupted slcan.dll: "
                                                                       "missing function"),
                                                  m_library.errorString()));
        return;
    }
    if (!m_loadEx(&SlcanCanHandler::deviceProc, &SlcanCanHandler::deviceListProc)) {
        setLastError(QStringLiteral("Unable to use slcan.dll: rejected LoadEx\n%1")
                         .arg(m_library.fileName()));
        m_library.unload();
        return;
    }
    m_loaded = true;
    m_ready = true;
    std::lock_guard target(s_callbackMutex);
    s_callbackTarget = this;
}

SlcanCanHandler::~SlcanCanHandler()
{
    {
        std::lock_guard target(s_callbackMutex);
        if (s_callbackTarget == this)
            s_callbackTarget = nullptr;
    }
    stop();
    std::lock_guard locker(m_libraryMutex);
    if (m_loaded)
        m_free();
    m_loaded = false;
    m_library.unload();
}

void SlcanCanHandler::deviceProc(Device device, std::uint32_t, std::uint32_t event, std::uint32_t,
                                 std::uint32_t)
{
    std::lock_guard target(s_callbackMutex);
    if (SlcanCanHandler *handler = s_callbackTarget) {
        QMetaObject::invokeMethod(
            handler, [handler, device, event] { handler->onDeviceEvent(device, event); },
            Qt::QueuedConnection);
    }
}

void SlcanCanHandler::deviceListProc()
{
    std::lock_guard target(s_callbackMutex);
    if (SlcanCanHandler *handler = s_callbackTarget)
        QMetaObject::invokeMethod(
            handler, [handler] { emit handler->devicesChanged(); }, Qt::QueuedConnection);
}

void SlcanCanHandler::onDeviceEvent(Device device, std::uint32_t event)
{
    bool removed = false;
    {
        std::lock_guard locker(m_libraryMutex);
        removed = event == EventDeviceRemoved && device && device == m_device;
    }
    if (removed) {
        stop();
        std::lock_guard locker(m_libraryMutex);
        m_device = nullptr;
    }
    emit devicesChanged();
}

unsigned SlcanCanHandler::deviceCountLocked()
{
    if (!m_ready || !m_getDeviceCount || !m_getDevice) {
        setLastError(QStringLiteral("slcan.dll has no device enumeration"));
        return 0;
    }
    const unsigned count = m_getDeviceCount();
    if (count > MaxDevices) {
        qWarning("slcan.dll reports %u devices; using the first %u", count, MaxDevices);
        return MaxDevices;
    }
    return count;
}

QString SlcanCanHandler::deviceNameLocked(Device device)
{
    char info[InfoCapacity] = {};
    // One byte of room stays zero, so the text is terminated whatever the library writes.
    if (!device || !m_getInfo(device, InfoSerialText, info, InfoCapacity - 1))
        return QString();
    return QString::fromLocal8Bit(info, int(qstrnlen(info, InfoCapacity - 1)));
}

QList<QPair<int, QString>> SlcanCanHandler::transceivers()
{
    std::lock_guard locker(m_libraryMutex);
    QList<QPair<int, QString>> list;
    const unsigned count = deviceCountLocked();
    for (unsigned i = 0; i < count; ++i)
        list.append(qMakePair(int(i), deviceNameLocked(m_getDevice(i))));
    m_listedNames.clear();
    for (const auto &entry : qAsConst(list))
        m_listedNames << entry.second;
    return list;
}

unsigned SlcanCanHandler::transceiversCount()
{
    std::lock_guard locker(m_libraryMutex);
    return deviceCountLocked();
}

bool SlcanCanHandler::setTransceiverImpl(unsigned index)
{
    std::lock_guard locker(m_libraryMutex);
    if (m_open) {
        m_deviceClose(m_device);
        m_open = false;
    }
    m_device = nullptr;
    const Device device = index < deviceCountLocked() ? m_getDevice(index) : nullptr;
    // The list can shift between showing and choosing (an adapter plugged in or out): the
    // device at this position must still be the one the user saw.
    const bool sameAsListed = index >= unsigned(m_listedNames.size())
                              || deviceNameLocked(device) == m_listedNames.at(int(index));
    if (!device || !sameAsListed) {
        setLastError(QStringLiteral("Tranceiver %1 unavailable").arg(index));
        return false;
    }
    m_device = device;
    return true;
}

bool SlcanCanHandler::applyBitRateLocked(unsigned rate)
{
    if (rate != SupportedRate)
        return false;
    std::uint16_t word = BitRate250k;
    return m_setBitRate(m_device, &word);
}

bool SlcanCanHandler::startImpl()
{
    std::lock_guard locker(m_libraryMutex);
    if (!m_ready || !m_device || (!m_open && !m_deviceOpen(m_device))) {
        setLastError(QStringLiteral("Device open failure"));
        return false;
    }
    m_open = true;
    const bool ok = applyBitRateLocked(baudRate()) && m_setTxTimeOut(m_device, TxTimeoutMs)
                    && (!m_setMode || m_setMode(m_device, ModeNormal)) && m_enaRec(m_device, 1);
    if (!ok) {
        m_deviceClose(m_device);
        m_open = false;
        setLastError(QStringLiteral("Device baudrate set failure"));
    }
    return ok;
}

bool SlcanCanHandler::stopImpl()
{
    std::lock_guard locker(m_libraryMutex);
    if (m_open)
        m_deviceClose(m_device);
    m_open = false;
    return true;
}

bool SlcanCanHandler::setBaudRateImpl(unsigned rate)
{
    std::lock_guard locker(m_libraryMutex);
    if (rate != SupportedRate)
        return false;
    // Before the device is open the rate is applied by start().
    return !m_open || applyBitRateLocked(rate);
}

void SlcanCanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    *ok = false;
    if (count > unsigned(ReadBatchLimit))
        return;
    std::lock_guard locker(m_libraryMutex);
    if (!m_open)
        return;
    for (unsigned i = 0; i < count; ++i)
        AdapterRecords::toSlcanRecord(messages[i],
                                      m_records.data() + i * AdapterRecords::SlcanRecordSize);
    // A library that returns without writing the status leaves a failure behind.
    std::uint8_t status = 0xFF;
    *ok = m_write(m_device, m_records.data(), count, &status) && status == 0;
}

bool SlcanCanHandler::receiveMessagesImpl(unsigned *count)
{
    *count = 0;
    const qint64 stamp = messageElapsedTimer();
    QVector<CanMessage> frames;
    {
        std::lock_guard locker(m_libraryMutex);
        if (!m_open) {
            setLastError(QStringLiteral("Device not open"));
            return false;
        }
        std::uint32_t read = 0;
        if (!m_read(m_device, 0, m_records.data(), std::uint32_t(ReadBatchLimit), &read)) {
            setLastError(QStringLiteral("SlCan_DeviceReadMessages failed"));
            return false;
        }
        if (read > unsigned(ReadBatchLimit)) {
            qWarning("slcan.dll read returned %u records for room of %d", read, ReadBatchLimit);
            read = ReadBatchLimit;
        }
        frames.reserve(int(read));
        for (std::uint32_t i = 0; i < read; ++i) {
            bool clamped = false;
            frames.append(AdapterRecords::fromSlcanRecord(
                m_records.data() + i * AdapterRecords::SlcanRecordSize, &clamped));
            if (clamped)
                qDebug("slcan.dll record with a length above 8");
        }
    }
    *count = unsigned(frames.size());
    deliverReceived(frames, stamp);
    return true;
}
