#pragma once

#include "can/simulatedunit.h"

#include <QByteArray>

#include <deque>

// The sending side of the J1939 transport protocol for one address of the demo bus: a long
// message goes to a peer by RTS/CTS (the peer's CTS frames pace it) or to everyone by BAM; a
// message of up to eight bytes goes as one frame. One transfer at a time, as the protocol allows
// per sender: a message sent while another is under way waits for it to end. Every unit of the
// address shares one transport; on the bus it takes the peer's connection frames itself.
class SimulatedTransport : public SimulatedUnit
{
public:
    static constexpr int BamSpacingMs = 50;
    // The longest wait for the peer's next CTS or end-of-message acknowledgement (T3).
    static constexpr int ResponseTimeoutMs = 1250;
    static constexpr int MaxQueued = 16;

    // Acknowledgement controls (PGN 0xE800).
    enum class Acknowledgement : quint8 { Positive = 0, Negative = 1, AccessDenied = 2 };

    explicit SimulatedTransport(quint8 source);

    quint8 source() const { return m_source; }
    // Sends `data` as `pgn` to `destination` (0xFF: global), at once or after the transfers
    // before it.
    void send(quint32 pgn, const QByteArray &data, quint8 destination,
              QVector<SimulatedReply> *replies);
    // A frame the program sent: CTS, end-of-message acknowledgement or abort of the open
    // connection. True when the frame belonged to it.
    bool takeControlFrame(const CanMessage &frame, QVector<SimulatedReply> *replies);

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;
    // Ends a connection whose peer fell silent and starts what waits.
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override;

    bool isConnectionOpen() const { return m_open; }
    bool isBusy() const;
    int queuedCount() const { return int(m_queue.size()); }
    int completedCount() const { return m_completed; }
    int abortedCount() const { return m_aborted; }
    int droppedCount() const { return m_dropped; }

    // A frame from `source`: PDU1 formats carry `destination`, PDU2 formats their group
    // extension.
    static CanMessage frame(quint8 priority, quint32 pgn, quint8 destination, quint8 source,
                            const QByteArray &payload);
    // The acknowledgement (PGN 0xE800) of `pgn` requested by `requester`, sent to
    // `destination`.
    static CanMessage acknowledgement(quint8 source, Acknowledgement control, quint8 requester,
                                      quint32 pgn, quint8 destination);

private:
    struct Outgoing
    {
        quint32 pgn;
        QByteArray data;
        quint8 destination;
    };
    void start(const Outgoing &message, QVector<SimulatedReply> *replies);
    void startWaiting(QVector<SimulatedReply> *replies);
    CanMessage control(quint8 destination, const quint8 (&bytes)[5]) const;
    CanMessage dataPacket(quint8 destination, int sequence) const;

    quint8 m_source;
    quint8 m_peer = 0;
    quint32 m_pgn = 0;
    QByteArray m_data;
    bool m_open = false;
    qint64 m_nowMs = 0;
    qint64 m_lastActivityMs = 0;
    qint64 m_broadcastEndMs = -1; // a BAM is on the bus until then
    std::deque<Outgoing> m_queue;
    int m_completed = 0;
    int m_aborted = 0;
    int m_dropped = 0;
};
