#pragma once

#include "can/abstractcanhandler.h"
#include "can/rp1210.h"
#include "can/rp1210ini.h"
#include "can/rp1210records.h"

#include <atomic>
#include <mutex>

// Driver of a heavy-duty service adapter through its vendor's RP1210 library. The ports are
// the devices the INI files list, vendor by vendor; selecting one loads that vendor's library.
// On the J1939 protocol the adapter holds the tool's address: it claims it with the tool's NAME
// when the client connects and defends it from then on, so the tool's own claim frames become
// address commands instead of a second claim on the wire. Lives in the bus thread; start-up
// calls arrive from the GUI thread, so every library call is made under one mutex.
class Rp1210CanHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    struct Options
    {
        QString folder;  // where RP1210.INI and the vendors' INIs are; empty: the Windows folder
        QString library; // a library that replaces every vendor's own; empty: the vendor's
        Rp1210Records::Protocol protocol = Rp1210Records::Protocol::J1939;
    };

    explicit Rp1210CanHandler(AbstractCanMessageDispatcher *dispatcher, const Options &options,
                              QObject *parent = nullptr);
    ~Rp1210CanHandler() override;

    // False when the INI files list no usable device; lastError() then says why.
    bool isReady() const { return m_ready; }
    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;
    // Transport-protocol messages the adapter reassembled itself, which no frame can carry.
    quint64 longMessageCount() const { return m_longMessages.load(); }
    // The address the adapter protects for the tool; -1 when none.
    int protectedAddress() const { return m_protected.load(); }

    // Whether the adapter type can be used with these options; `why` tells the user what
    // stands in the way (a missing or broken INI, an unusable library).
    static bool probe(const Options &options, QString *why);

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;
    bool setTransceiverImpl(unsigned index) override;
    bool startImpl() override;
    bool stopImpl() override;

private:
    struct Port
    {
        QString library;
        short device = 0;
        QString name;
    };
    static constexpr short NoClient = -1;
    static constexpr int ReadBufferSize = 2048; // the longest J1939 message and its header

    // Sets lastError to "<what> failed: <library text> (code N)"; the caller holds the lock.
    void failWith(const char *what, short code);
    bool connectLocked(unsigned rate);
    void disconnectLocked();
    void protectToolAddressLocked();
    // A claim frame of the tool's NAME: true when the adapter took it as an address command.
    bool claimLocked(const CanMessage &claim, bool *ok);

    std::mutex m_libraryMutex;
    Options m_options;
    Rp1210 m_api;
    bool m_ready = false;
    QList<Port> m_ports;
    int m_port = -1;
    short m_client = NoClient;
    std::atomic<int> m_protected{-1};
    char m_readBuffer[ReadBufferSize] = {};
    std::atomic<quint64> m_longMessages{0};
};
