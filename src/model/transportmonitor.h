#pragma once

#include "can/canmessage.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QVector>

// Watches the transport-protocol sessions between any two nodes of a recording, as a bystander:
// broadcasts (BAM) and connections (RTS/CTS) with their outcome. Time-outs are judged on the
// recording's time stamps: T1 750 ms between data packets, T2/T3 1250 ms waiting for data or a
// CTS/acknowledgement, T4 1050 ms for a CTS that holds the connection open.
class TransportMonitor
{
public:
    enum Kind { Bam = 0, Connection = 1 };
    // How a session ended: the whole message, an abort by either side, a time-out, a protocol
    // fault (bad sequence, a new announcement, an invalid one), or still open at the end.
    enum Ending { Open = 0, Completed, Aborted, TimedOut, Broken, Unfinished };
    struct Session
    {
        Kind kind = Bam;
        quint8 source = 0;
        quint8 destination = 0xFF;
        quint32 pgn = 0;
        int size = 0;
        int packets = 0;
        int received = 0;      // packets in sequence so far
        int cleared = 0;       // packets the last CTS cleared up to (connections)
        bool holding = false;  // a CTS for no packets keeps the connection open
        bool afterCts = false; // a CTS cleared packets none of which came yet
        qint64 startUs = 0;
        qint64 lastUs = 0;
        bool complete = false;
        QString outcome; // empty while open; "completed" or the reason it ended
        Ending ending = Open;
        QByteArray data; // the payload as far as it came, `size` bytes once complete
    };

    static constexpr qint64 T1Us = 750000;
    static constexpr qint64 T2Us = 1250000;
    static constexpr qint64 T3Us = 1250000;
    static constexpr qint64 T4Us = 1050000;

    // Offers one frame; frames that are not transport frames are ignored.
    void take(const CanMessage &message, qint64 timeUs);
    // Ends the sessions still open at the end of the recording.
    void finish(qint64 endUs);

    const QVector<Session> &sessions() const { return m_ended; }
    // The sessions ended since the last call, handed over: a caller that streams keeps memory
    // bounded by taking them as they come.
    QVector<Session> takeEnded();
    static QString abortReasonText(quint8 reason);

private:
    void expire(qint64 nowUs);
    void end(quint32 key, const QString &outcome, Ending ending);
    void takeControl(const CanMessage &m, qint64 timeUs);
    void takeData(const CanMessage &m, qint64 timeUs);
    static quint32 keyOf(quint8 source, quint8 destination)
    {
        return quint32(source) << 8 | destination;
    }

    QMap<quint32, Session> m_open; // by sender and destination
    QVector<Session> m_ended;
    qint64 m_nextExpiryCheckUs = 0;
};
