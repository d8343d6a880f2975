#pragma once

#include <QByteArray>
#include <QMap>
#include <QTimer>

#include <algorithm>

class CanMessage;
class J1939Device;
class TPConnection;
class DispatchResult;

// The transport protocol of one J1939 device: long messages it broadcasts (BAM), broadcasts it
// receives from the bus, and the connections in which a simulated device receives a long message
// from a peer (RTS/CTS). Owned by the device, in its thread; the timer is a child of the device.
class J1939Transport
{
public:
    enum BroadcastState { BroadcastIdle = 0, BroadcastInProgress = 1, BroadcastTimedOut = 2 };
    // A receiver waits T1 = 750 ms for the next packet of a broadcast: a sender may space its
    // packets up to 200 ms apart, and a busy bus delays them further.
    static constexpr int BroadcastReceiveTimeoutMs = 750;
    static constexpr int BroadcastTransmitIntervalMs = 50;

    explicit J1939Transport(J1939Device *device);
    J1939Transport(const J1939Transport &) = delete;
    J1939Transport &operator=(const J1939Transport &) = delete;

    // Broadcasts a long message (BAM, up to 255 bytes) under the given PGN value.
    void transmitBroadcastData(const unsigned char *data, unsigned int length, unsigned int pgn);
    // The broadcast timer fired: the next packet to send, or the reception timed out.
    void broadcastTimeout();

    // Transport-protocol frames the device itself sends (broadcast reception)...
    bool dispatchConnectionMessage(const CanMessage &message, DispatchResult *result);
    bool dispatchDataTransmissionMessage(const CanMessage &message, DispatchResult *result);
    // ... and those addressed to it while it is simulated (connection-mode reception).
    void dispatchConnectionTargetMessage(const CanMessage &message);
    void dispatchDataTransmissionTargetMessage(const CanMessage &message);

    TPConnection *openConnection(const CanMessage &rts);
    TPConnection *connectionFrom(quint8 peer) const { return m_connections.value(peer, nullptr); }
    void dropConnection(quint8 peer);
    int connectionCount() const { return m_connections.size(); }

    int broadcastReceiveTimeout() const { return m_broadcastReceiveTimeoutMs; }
    void setBroadcastReceiveTimeout(int ms) { m_broadcastReceiveTimeoutMs = std::max(1, ms); }
    int broadcastState() const { return m_broadcastState; }
    quint32 broadcastPgn() const { return m_broadcastPgn; }
    QTimer *broadcastTimer() { return &m_broadcastTimer; }

private:
    void sendNextBroadcastPacket();
    CanMessage transportFrame(quint8 pf, const quint8 *payload) const;

    J1939Device *m_device;
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
