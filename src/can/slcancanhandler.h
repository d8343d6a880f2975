#pragma once

#include "can/abstractcanhandler.h"
#include "can/adapterlibrary.h"
#include "can/slcanapi.h"

#include <QStringList>

#include <mutex>
#include <vector>

// Driver of the newer adapters through the vendor's slcan.dll. Lives in the bus thread; every
// library call is made under one mutex, and the library's hot-plug callbacks, which arrive on a
// thread of the library, only post the event to the bus thread.
class SlcanCanHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    static constexpr const char *DefaultLibrary = "slcan";

    explicit SlcanCanHandler(AbstractCanMessageDispatcher *dispatcher,
                             const QString &library = QString(), QObject *parent = nullptr);
    ~SlcanCanHandler() override;

    bool isReady() const { return m_ready; }
    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;

    static std::vector<const char *> requiredFunctions();

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;
    bool setTransceiverImpl(unsigned index) override;
    bool startImpl() override;
    bool stopImpl() override;

private:
    static constexpr unsigned MaxDevices = 64;

    static void TARVIK_ADAPTER_CALL deviceProc(SlcanApi::Device device, std::uint32_t index,
                                               std::uint32_t event, std::uint32_t param1,
                                               std::uint32_t param2);
    static void TARVIK_ADAPTER_CALL deviceListProc();
    // Bus thread: the library reported a device event.
    void onDeviceEvent(SlcanApi::Device device, std::uint32_t event);
    unsigned deviceCountLocked();
    QString deviceNameLocked(SlcanApi::Device device);
    bool applyBitRateLocked(unsigned rate);

    std::mutex m_libraryMutex;
    AdapterLibrary m_library;
    bool m_ready = false;
    bool m_loaded = false; // SlCan_LoadEx accepted: SlCan_Free is due
    SlcanApi::Device m_device = nullptr;
    bool m_open = false;
    QStringList m_listedNames; // what transceivers() showed, to notice a list that shifted
    std::vector<unsigned char> m_records;

    SlcanApi::LoadExFn m_loadEx = nullptr;
    SlcanApi::FreeExFn m_freeEx = nullptr;
    SlcanApi::FreeFn m_free = nullptr;
    SlcanApi::DeviceGetBitRateFn m_getBitRate = nullptr;
    SlcanApi::DeviceSetBitRateFn m_setBitRate = nullptr;
    SlcanApi::DeviceOpenFn m_deviceOpen = nullptr;
    SlcanApi::DeviceCloseFn m_deviceClose = nullptr;
    SlcanApi::DeviceReadMessagesFn m_read = nullptr;
    SlcanApi::DeviceWriteMessagesFn m_write = nullptr;
    SlcanApi::DeviceEnaRecFn m_enaRec = nullptr;
    SlcanApi::DeviceSetTxTimeOutFn m_setTxTimeOut = nullptr;
    SlcanApi::DeviceSetModeFn m_setMode = nullptr; // optional
    SlcanApi::DeviceGetInfoFn m_getInfo = nullptr;
    SlcanApi::GetDeviceCountFn m_getDeviceCount = nullptr; // optional
    SlcanApi::GetDeviceFn m_getDevice = nullptr;           // optional
};
