#pragma once

#include "demo/simulatedtransport.h"

// A unit's ECU and software identification (PGN 0xFDC5 and 0xFEDA): a request addressed to the
// unit is answered by a connection to the requester, a global request by a broadcast.
class SimulatedIdentification : public SimulatedUnit
{
public:
    static constexpr quint32 PgnEcuid = 0xFDC5;
    static constexpr quint32 PgnSoft = 0xFEDA;

    // `soft` is the software identification as sent: its field count byte, then the fields.
    SimulatedIdentification(quint8 address, const QByteArray &ecuid, const QByteArray &soft);

    quint8 address() const { return m_address; }
    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;

    int requestCount() const { return m_requests; }
    const SimulatedTransport &transport() const { return m_transport; }

    // The PGN a request frame asks `address` for, or -1 when the frame is no request to it
    // (addressed to another unit, or too short).
    static qint64 requestedPgn(const CanMessage &frame, quint8 address);

private:
    quint8 m_address;
    QByteArray m_ecuid;
    QByteArray m_soft;
    SimulatedTransport m_transport;
    int m_requests = 0;
};
