#pragma once

#include "model/tpobservedsession.h"

#include <QByteArray>
#include <QMap>
#include <QTimer>

#include <algorithm>

class CanMessage;
class J1939Device;
class TPConnection;
class TPSendConnection;
class DispatchResult;

// The transport protocol of one J1939 device: long messages it broadcasts (BAM), broadcasts it
// receives from the bus, the connections it sends to a peer as seen on the bus (RTS/CTS), and
// the connections in which a simulated device receives a long message from a peer or answers
// one with a long message. Owned by the device, in its thread; the timers are the device's
// children.
class J1939Transport
{
public:
    enum BroadcastState { BroadcastIdle = 0, BroadcastInProgress = 1, BroadcastTimedOut = 2 };
    // A receiver waits T1 = 750 ms for the next packet of a broadcast: a sender may space its
    // packets up to 200 ms apart, and a busy bus delays them further.
    static constexpr int BroadcastReceiveTimeoutMs = 750;
    static constexpr int BroadcastTransmitIntervalMs = 50;
    // A connection the device sends is followed until its frames stop for longer than T3, the
    // longest its sender waits for the receiver's CTS or acknowledgement (T1 between the packets
    // of a window is shorter). Judged on the frames' own time stamps.
    static constexpr int ObservedSessionTimeoutMs = 1250;

    // While it lives, a long message the device sends answers `requester` by a connection
    // instead of a broadcast (0xFF: everyone). Bus thread only.
    class AnswerScope
    {
    public:
        AnswerScope(J1939Transport *transport, quint8 requester);
        ~AnswerScope();
        AnswerScope(const AnswerScope &) = delete;
        AnswerScope &operator=(const AnswerScope &) = delete;

    private:
        J1939Transport *m_transport;
        quint8 m_previous;
    };

    explicit J1939Transport(J1939Device *device);
    J1939Transport(const J1939Transport &) = delete;
    J1939Transport &operator=(const J1939Transport &) = delete;

    // Broadcasts a long message (BAM, up to 255 bytes) under the given PGN value.
    void transmitBroadcastData(const unsigned char *data, unsigned int length, unsigned int pgn);
    // The broadcast timer fired: the next packet to send, or the reception timed out.
    void broadcastTimeout();

    // Where a long message sent now goes: the requester of the request being answered in the
    // device's thread, otherwise 0xFF (a broadcast).
    quint8 answerDestination() const;
    // Sends a long message (up to 1785 bytes) to `peer` by RTS/CTS. A connection to that peer
    // still running refuses it with an abort ("already in a connection"). Bus thread.
    void transmitConnectionData(const QByteArray &data, quint32 pgn, quint8 peer);
    TPSendConnection *sendConnectionTo(quint8 peer) const { return m_sendConnections.value(peer); }
    void dropSendConnection(quint8 peer);
    int sendConnectionCount() const { return m_sendConnections.size(); }

    // Transport-protocol frames the device itself sends (broadcast reception and the
    // connections it sends to others)...
    bool dispatchConnectionMessage(const CanMessage &message, DispatchResult *result);
    bool dispatchDataTransmissionMessage(const CanMessage &message, DispatchResult *result);
    // ... and those addressed to it while it is simulated (connection-mode reception).
    void dispatchConnectionTargetMessage(const CanMessage &message);
    void dispatchDataTransmissionTargetMessage(const CanMessage &message);

    TPConnection *openConnection(const CanMessage &rts);
    TPConnection *connectionFrom(quint8 peer) const { return m_connections.value(peer, nullptr); }
    void dropConnection(quint8 peer);
    int connectionCount() const { return m_connections.size(); }

    int observedSessionCount() const { return m_observed.size(); }
    int observedSessionTimeout() const { return m_observedTimeoutMs; }
    void setObservedSessionTimeout(int ms) { m_observedTimeoutMs = std::max(1, ms); }
    int broadcastReceiveTimeout() const { return m_broadcastReceiveTimeoutMs; }
    void setBroadcastReceiveTimeout(int ms) { m_broadcastReceiveTimeoutMs = std::max(1, ms); }
    int broadcastState() const { return m_broadcastState; }
    quint32 broadcastPgn() const { return m_broadcastPgn; }
    QTimer *broadcastTimer() { return &m_broadcastTimer; }

private:
    void restartBroadcastReceiveTimer();
    bool observeControl(const CanMessage &message, DispatchResult *result);
    bool observeData(const CanMessage &message, DispatchResult *result);
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
    // Connections the device sends, by destination, as the bus shows them.
    QMap<quint8, TPObservedSession> m_observed;
    int m_observedTimeoutMs = ObservedSessionTimeoutMs;
    // Connections in which the simulated device answers a peer, by peer.
    QMap<quint8, TPSendConnection *> m_sendConnections;
    quint8 m_answerTo = 0xFF;
};
