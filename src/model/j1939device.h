#pragma once

#include "model/candevice.h"

#include <QByteArray>
#include <QMap>
#include <QTimer>

#include <algorithm>

class StaticPgnJ1939DeviceFunction;
class TPConnection;

// A J1939 node: takes the frames of its source address and routes them to its functions by PGN.
// When all its functions are in Send, the program simulates it: it answers requests addressed
// to it. Bus thread once registered.
class J1939Device : public CanDevice
{
    Q_OBJECT

public:
    static constexpr quint8 PfRequest = 0xEA;
    static constexpr quint8 PfTransportData = 0xEB;
    static constexpr quint8 PfTransportControl = 0xEC;
    static constexpr quint8 PfAddressClaim = 0xEE;

    // A request to the global address for the address claim: every unit on the bus answers it,
    // not only the one a unicast request names.
    static bool isGlobalAddressClaimRequest(const CanMessage &message);

    enum BroadcastState { BroadcastIdle = 0, BroadcastInProgress = 1, BroadcastTimedOut = 2 };
    // A receiver waits T1 = 750 ms for the next packet of a broadcast: a sender may space its
    // packets up to 200 ms apart, and a busy bus delays them further.
    static constexpr int BroadcastReceiveTimeoutMs = 750;
    static constexpr int BroadcastTransmitIntervalMs = 50;

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
    void transmitBroadcastData(const unsigned char *data, unsigned int length, unsigned int pgn);
    // The first function for a PGN value (PS | PF << 8), or none.
    StaticPgnJ1939DeviceFunction *functionForPgn(quint32 pgnValue) const;

    // Transport-protocol frames the device itself sends (broadcast reception)...
    bool dispatchConnectionMessage(const CanMessage &message, DispatchResult *result);
    bool dispatchDataTransmissionMessage(const CanMessage &message, DispatchResult *result);
    // ... and those addressed to it while it is simulated (connection-mode reception).
    void dispatchConnectionTargetMessage(const CanMessage &message);
    void dispatchDataTransmissionTargetMessage(const CanMessage &message);

    TPConnection *openConnection(const CanMessage &rts);
    TPConnection *getConnection(quint8 peer) const;
    void dropConnection(quint8 peer);
    int connectionCount() const { return m_connections.size(); }

    // The broadcast receive time-out of this device (tests shorten it).
    int broadcastReceiveTimeout() const { return m_broadcastReceiveTimeoutMs; }
    void setBroadcastReceiveTimeout(int ms) { m_broadcastReceiveTimeoutMs = std::max(1, ms); }
    int broadcastState() const { return m_broadcastState; }
    quint32 broadcastPgn() const { return m_broadcastPgn; }
    QTimer *broadcastTimer() { return &m_broadcastTimer; }

public slots:
    void slotBroadcastTimeout();

private:
    bool answerRequest(const CanMessage &message);
    void sendNextBroadcastPacket();
    CanMessage transportFrame(quint8 pf, const quint8 *payload) const;

    quint32 m_broadcastPgn = 0;
    int m_broadcastSize = 0;
    int m_broadcastPackets = 0;
    int m_broadcastNext = 1;
    int m_broadcastState = BroadcastIdle;
    int m_broadcastReceiveTimeoutMs = BroadcastReceiveTimeoutMs;
    bool m_broadcastSending = false;
    QTimer m_broadcastTimer;
    QByteArray m_broadcastData;
    QMap<quint8, TPConnection *> m_connections;
};
