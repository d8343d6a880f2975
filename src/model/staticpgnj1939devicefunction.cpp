#include "model/staticpgnj1939devicefunction.h"

#include "model/j1939device.h"

#include <QDebug>

StaticPgnJ1939DeviceFunction::StaticPgnJ1939DeviceFunction(quint8 pf, quint8 ps, QObject *parent)
    : J1939DeviceFunction(parent)
    , m_pf(pf)
    , m_ps(ps)
{
    setAddress({ItemAddress::Pgn, pgnValue()});
}

void StaticPgnJ1939DeviceFunction::setPgn(quint8 pf, quint8 ps)
{
    m_pf = pf;
    m_ps = ps;
    setAddress({ItemAddress::Pgn, pgnValue()});
}

bool StaticPgnJ1939DeviceFunction::matchMessage(const CanMessage &message)
{
    // PDU1 frames carry the destination in PS, the global address included: only the format
    // identifies the group.
    if (CanMessage::isPdu1(message.pduFormat()))
        return message.pduFormat() == m_pf;
    return message.pduFormat() == m_pf && message.pduSpecific() == m_ps;
}

quint32 StaticPgnJ1939DeviceFunction::canMessageId() const
{
    // Only three bits of priority fit the identifier; a description may say more.
    return quint32(defaultPriority() & 0x07) << 26 | quint32(m_pf) << 16 | quint32(m_ps) << 8
           | j1939DeviceAddress();
}

void StaticPgnJ1939DeviceFunction::transmitData(const unsigned char *data, unsigned int length)
{
    if (length <= CanMessage::MaxLength) {
        CanMessage message(canMessageId(), data, int(length));
        sendMessage(message);
        return;
    }
    auto *device = qobject_cast<J1939Device *>(parentItem());
    if (!device) {
        qDebug("Unable to send %u bytes of PGN %04x without a J1939 device", length, pgnValue());
        return;
    }
    counterInc();
    setFlag(ActivityFlag, true);
    setUpdateNeeded();
    J1939Transport *transport = device->transport();
    const quint8 requester = transport->answerDestination();
    if (requester != CanMessage::GlobalAddress) {
        transport->transmitConnectionData(
            QByteArray(reinterpret_cast<const char *>(data), int(length)), pgnValue(), requester);
        return;
    }
    device->transmitBroadcastData(data, length, pgnValue());
}
