#pragma once

#include "can/abstractcanhandler.h"
#include "can/j2534.h"

#include <mutex>
#include <vector>

// Driver of an SAE J2534 pass-thru interface (OpenPort 2.0 by default). Lives in the bus thread;
// start-up calls arrive from the GUI thread, so every library call is made under one mutex.
class J2534CanHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    // `library`: the pass-thru library to load; empty for the default.
    explicit J2534CanHandler(AbstractCanMessageDispatcher *dispatcher,
                             const QString &library = QString(), QObject *parent = nullptr);
    ~J2534CanHandler() override;

    // False when the library could not be loaded; lastError() then says why.
    bool isReady() const { return m_ready; }
    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;
    // Messages the adapter reported lost to an overflow of its buffer.
    quint64 overflowCount() const { return m_overflows.load(); }

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;
    bool setTransceiverImpl(unsigned index) override;
    bool startImpl() override;
    bool stopImpl() override;

private:
    static constexpr unsigned long NoId = ~0ul;
    static constexpr unsigned long ReadTimeoutMs = 2;

    // Sets lastError to "<what> failed: <library text> (code 0x..)"; the caller holds the lock.
    void failWith(const char *what, long code);
    void disconnectLocked();
    void closeLocked();

    std::mutex m_libraryMutex;
    J2534 m_api;
    bool m_ready = false;
    unsigned long m_deviceId = NoId;
    unsigned long m_channelId = NoId;
    // A full read or write batch is about 0.5 MB: kept on the heap, allocated once.
    std::vector<J2534Api::PassThruMsg> m_readBuffer;
    std::vector<J2534Api::PassThruMsg> m_writeBuffer;
    std::atomic<quint64> m_overflows{0};
};
