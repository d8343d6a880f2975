#pragma once

#include "can/simulatedunit.h"

#include <QByteArray>

// The sending side of the J1939 transport protocol for a simulated unit: a long message goes to
// a peer by RTS/CTS (the peer's CTS frames pace it) or to everyone by BAM; a message of up to
// eight bytes goes as one frame. One connection at a time, as a small unit does it.
class SimulatedTransport
{
public:
    static constexpr int BamSpacingMs = 50;

    explicit SimulatedTransport(quint8 source);

    // Sends `data` as `pgn` to `destination` (0xFF: global); an earlier connection still open
    // is aborted.
    void send(quint32 pgn, const QByteArray &data, quint8 destination,
              QVector<SimulatedReply> *replies);
    // A frame the program sent: CTS, end-of-message acknowledgement or abort of the open
    // connection. True when the frame belonged to it.
    bool frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies);

    bool isConnectionOpen() const { return m_open; }
    int completedCount() const { return m_completed; }
    int abortedCount() const { return m_aborted; }

    // A frame from `source`: PDU1 formats carry `destination`, PDU2 formats their group
    // extension.
    static CanMessage frame(quint8 priority, quint32 pgn, quint8 destination, quint8 source,
                            const QByteArray &payload);

private:
    CanMessage control(quint8 destination, const quint8 (&bytes)[5]) const;
    CanMessage dataPacket(quint8 destination, int sequence) const;

    quint8 m_source;
    quint8 m_peer = 0;
    quint32 m_pgn = 0;
    QByteArray m_data;
    bool m_open = false;
    int m_completed = 0;
    int m_aborted = 0;
};
