#pragma once

#include "model/candevice.h"
#include "model/j1939transport.h"

class StaticPgnJ1939DeviceFunction;
class TPConnection;

// A J1939 node: takes the frames of its source address and routes them to its functions by PGN.
// When all its functions are in Send, the program simulates it: it answers requests addressed
// to it or to everyone. Bus thread once registered.
class J1939Device : public CanDevice
{
    Q_OBJECT

public:
    static constexpr quint8 PfRequest = 0xEA;
    static constexpr quint8 PfTransportData = 0xEB;
    static constexpr quint8 PfTransportControl = 0xEC;
    static constexpr quint8 PfAddressClaim = 0xEE;
    // The source address of a node that has none claimed.
    static constexpr quint8 NullAddress = 0xFE;

    // A request to the global address: every unit that has the group answers it (J1939-21),
    // a long answer by broadcast.
    static bool isGlobalRequest(const CanMessage &message);
    // ... for the address claim in particular.
    static bool isGlobalAddressClaimRequest(const CanMessage &message);

    using BroadcastState = J1939Transport::BroadcastState;
    static constexpr BroadcastState BroadcastIdle = J1939Transport::BroadcastIdle;
    static constexpr BroadcastState BroadcastInProgress = J1939Transport::BroadcastInProgress;
    static constexpr BroadcastState BroadcastTimedOut = J1939Transport::BroadcastTimedOut;
    static constexpr int BroadcastReceiveTimeoutMs = J1939Transport::BroadcastReceiveTimeoutMs;

    explicit J1939Device(quint8 address = 0xFE, QObject *parent = nullptr);
    ~J1939Device() override;

    bool matchMessage(const CanMessage &message) override;
    bool isAddressBound() const override { return true; }
    int state() const override;
    bool matchTargetMessage(const CanMessage &message) override;
    bool setState(int v) override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool applyXmlData(QDomElement &element) override;
    // The child for a function element whose key the catalogue does not offer: an existing child
    // with that PGN, or a new one of the kind the key names.
    AbstractDisplayableItem *findOrCreateFunction(const QByteArray &key, const QString &addressText);
    void dispatchTargetLongMessage(TPConnection *connection) override;
    // The device's function catalogue, built (and the function library read) on first use.
    AbstractDeviceFactory *subFactory() override;
    bool hasSubFactory() const override { return true; }

    // Broadcasts a long message (BAM, up to 255 bytes) under the given PGN value.
    void transmitBroadcastData(const unsigned char *data, unsigned int length, unsigned int pgn)
    {
        m_transport.transmitBroadcastData(data, length, pgn);
    }
    // The first function for a PGN value (PS | PF << 8), or none.
    StaticPgnJ1939DeviceFunction *functionForPgn(quint32 pgnValue) const;

    // Long messages: broadcasts sent and received, connections of a simulated device.
    J1939Transport *transport() { return &m_transport; }
    TPConnection *getConnection(quint8 peer) const { return m_transport.connectionFrom(peer); }
    void dropConnection(quint8 peer) { m_transport.dropConnection(peer); }
    int connectionCount() const { return m_transport.connectionCount(); }
    // The broadcast receive time-out of this device (tests shorten it).
    int broadcastReceiveTimeout() const { return m_transport.broadcastReceiveTimeout(); }
    void setBroadcastReceiveTimeout(int ms) { m_transport.setBroadcastReceiveTimeout(ms); }
    int broadcastState() const { return m_transport.broadcastState(); }
    quint32 broadcastPgn() const { return m_transport.broadcastPgn(); }
    QTimer *broadcastTimer() { return m_transport.broadcastTimer(); }

public slots:
    void slotBroadcastTimeout();

protected:
    void childStateChanged() override;

private:
    // The state of a device with these functions: theirs when they agree, else Mixed.
    static int stateOf(const QList<AbstractDisplayableItem *> &functions);
    bool answerRequest(const CanMessage &message);

    J1939Transport m_transport;
    // stateOf() the functions, asked several times for every frame: worked out in the device's
    // thread and kept until a function changes its state or the functions change (-1: not
    // known). Other threads read a kept state, or work it out from the published children.
    mutable std::atomic<int> m_knownState{-1};
};
