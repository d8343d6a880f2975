#pragma once

#include "can/abstractcanhandler.h"
#include "can/slmcplibrary.h"

#include <mutex>
#include <vector>

// Driver of the older adapters through the vendor's slmcp.dll (shared by all handlers, see
// SlmcpLibrary). Lives in the bus thread; every library call is made under one mutex.
class SlmcpCanHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    explicit SlmcpCanHandler(AbstractCanMessageDispatcher *dispatcher,
                             const QString &library = QString(), QObject *parent = nullptr);
    ~SlmcpCanHandler() override;

    bool isReady() const { return m_api != nullptr; }
    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;
    bool setTransceiverImpl(unsigned index) override;
    bool startImpl() override;
    bool stopImpl() override;

private:
    // The library takes no capacity for a read: it is told this many in the count and the
    // buffer has room for far more, so a library that ignores the count cannot overrun it.
    static constexpr std::uint32_t ReadRequest = 128;
    static constexpr std::uint32_t ReadCapacity = 1024;

    void scanDevices();
    void closeLocked();

    std::mutex m_libraryMutex;
    const SlmcpLibrary::EntryPoints *m_api = nullptr;
    QList<QPair<int, QString>> m_devices; // (device number, serial number)
    SlmcpApi::Handle m_handle = nullptr;
    bool m_receiving = false;
    std::vector<unsigned char> m_sendBuffer;
    std::vector<unsigned char> m_readBuffer;
};
