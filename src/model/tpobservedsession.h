#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <bitset>

class CanMessage;

// One connection (RTS/CTS) a device sends to a peer, reassembled as a bystander from the frames
// the device sends: each data packet fills the slot of its sequence number, so a packet sent
// again after a CTS that asks for it again replaces the earlier copy, and a packet after a gap
// waits for the missing one. A plain value owned by the device's J1939Transport.
class TPObservedSession
{
public:
    enum TakeResult { Taken, Complete, Invalid };

    TPObservedSession() = default;
    TPObservedSession(quint32 pgn, quint16 size, quint8 packets, qint64 startMs);

    // A TP.DT frame of this session sent at `timeMs`.
    TakeResult take(const CanMessage &data, qint64 timeMs);
    // Whether more than `timeoutMs` passed since the session's last frame. Time stamps that go
    // backwards (another clock) never expire a session.
    bool isExpired(qint64 timeMs, int timeoutMs) const { return timeMs - m_lastMs > timeoutMs; }

    quint32 pgn() const { return m_pgn; }
    quint16 totalSize() const { return m_size; }
    quint8 packetCount() const { return m_packets; }
    int receivedCount() const { return m_received; }
    // The message as announced; complete only once take() said so.
    QByteArray message() const { return m_data.left(m_size); }

private:
    quint32 m_pgn = 0;
    quint16 m_size = 0;
    quint8 m_packets = 0;
    int m_received = 0;
    qint64 m_lastMs = 0;
    QByteArray m_data;
    std::bitset<256> m_have;
};
