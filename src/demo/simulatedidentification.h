#pragma once

#include "demo/simulatedtransport.h"

#include <memory>

// A unit's identification: ECU (0xFDC5), software (0xFEDA), component (0xFEEB), vehicle
// (0xFEEC) and calibrations (DM19, 0xD300). A request addressed to the unit is answered to the
// requester (by a connection when long), a global request by a broadcast; an addressed request
// for one of these groups the unit does not keep is refused with a negative acknowledgement.
class SimulatedIdentification : public SimulatedUnit
{
public:
    static constexpr quint32 PgnEcuid = 0xFDC5;
    static constexpr quint32 PgnSoft = 0xFEDA;
    static constexpr quint32 PgnComponent = 0xFEEB;
    static constexpr quint32 PgnVehicle = 0xFEEC;
    static constexpr quint32 PgnDm19 = 0xD300;

    struct Calibration
    {
        quint32 verification; // CVN
        QByteArray id;        // CAL ID, up to 16 characters
    };

    // `soft` is the software identification as sent: its field count byte, then the fields.
    // Without `link` the unit has a transport of its own and takes its connection frames.
    SimulatedIdentification(quint8 address, const QByteArray &ecuid, const QByteArray &soft,
                            std::shared_ptr<SimulatedTransport> link = {});

    // "make*model*serial number*unit number*"
    void setComponent(const QByteArray &component) { m_component = component; }
    // The VIN, sent with its "*" terminator; none by default (only a vehicle's engine has one).
    void setVehicle(const QByteArray &vin) { m_vin = vin; }
    void setCalibrations(const QVector<Calibration> &calibrations);

    quint8 address() const { return m_address; }
    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override;

    int requestCount() const { return m_requests; }
    const SimulatedTransport &transport() const { return *m_link; }
    // The DM19 payload of `calibrations`: 20 bytes each, CVN then the CAL ID padded with 0.
    static QByteArray calibrationPayload(const QVector<Calibration> &calibrations);

    // The PGN a request frame asks `address` for, or -1 when the frame is no request to it
    // (addressed to another unit, or too short).
    static qint64 requestedPgn(const CanMessage &frame, quint8 address);
    // Whether a request is answered to everyone: sent to all, or by a node without an address.
    static bool isGlobalRequest(const CanMessage &frame);

private:
    bool payloadFor(quint32 pgn, QByteArray *payload) const;

    quint8 m_address;
    QByteArray m_ecuid;
    QByteArray m_soft;
    QByteArray m_component;
    QByteArray m_vin;
    QByteArray m_calibrations;
    bool m_ownsLink; // set before m_link takes the given one
    std::shared_ptr<SimulatedTransport> m_link;
    int m_requests = 0;
};
