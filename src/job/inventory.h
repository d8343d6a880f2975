#pragma once

#include "model/transportmonitor.h"
#include "model/troublecode.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class CanDeviceFactory;

// What every unit (source address) of a recording says about itself: the NAME of its address
// claim, its ECU, software, component and vehicle identification, its calibrations (DM19) and
// its active (DM1) and previously active (DM2) trouble codes, the last of each that came in a
// single frame, a broadcast (BAM) or a connection (RTS/CTS) to anyone.
class Inventory
{
    Q_DECLARE_TR_FUNCTIONS(Inventory)

public:
    static constexpr quint32 PgnAddressClaim = 0xEE00;
    static constexpr quint32 PgnDm1 = 0xFECA;
    static constexpr quint32 PgnDm2 = 0xFECB;

    struct Unit
    {
        bool hasName = false;
        quint64 name = 0;
        QMap<quint32, QByteArray> messages; // by PGN, the last one of each
    };

    // Offers one frame, in recording order.
    void take(const CanMessage &message, qint64 timeUs);
    // Ends the transport sessions still open at the end of the recording.
    void finish(qint64 endUs);

    const QMap<quint8, Unit> &units() const { return m_units; }
    // The units found, named by `catalogue` where it knows their addresses.
    QString report(const CanDeviceFactory *catalogue = nullptr) const;

    // One trouble code of a DM1 or DM2 message.
    using Code = TroubleCode;
    // The same codes, one line each with the failure mode in words.
    static QStringList codeLines(const QByteArray &data);
    static QString codeLine(const Code &code);
    static QString nameText(quint64 name);

private:
    void takeEndedSessions();
    void keep(quint8 source, quint32 pgn, const QByteArray &data);

    TransportMonitor m_monitor;
    QMap<quint8, Unit> m_units;
};
