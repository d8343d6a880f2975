#include "machine/bitfieldfunction.h"

#include "machine/bitfield.h"
#include "model/zxparameter.h"

#include <QDebug>

BitFieldFunction::BitFieldFunction(quint8 pf, quint8 ps, QObject *parent)
    : StaticPgnJ1939DeviceFunction(pf, ps, parent)
{}

void BitFieldFunction::addField(int index, int pos, int width)
{
    Q_ASSERT(index < parameters().size());
    m_fields.addField(index, pos, width);
}

bool BitFieldFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    if (!decode(QByteArray(reinterpret_cast<const char *>(message.data), message.length)))
        qDebug("%s: %d-byte frame ignored", metaObject()->className(), int(message.length));
    return true;
}

bool BitFieldFunction::decode(const QByteArray &payload)
{
    if (payload.size() != PayloadLength)
        return false;
    const auto *data = reinterpret_cast<const unsigned char *>(payload.constData());
    m_fields.decode(BitField::fromBytes(data, PayloadLength), parameters());
    decodeExtra(data);
    setUpdateNeeded();
    return true;
}

QByteArray BitFieldFunction::encode() const
{
    const quint64 word = m_fields.encode(initialWord(), parameters());
    unsigned char data[PayloadLength];
    BitField::toBytes(word, data, PayloadLength);
    encodeExtra(data);
    return QByteArray(reinterpret_cast<const char *>(data), PayloadLength);
}

void BitFieldFunction::transmitState()
{
    const QByteArray payload = encode();
    transmitData(reinterpret_cast<const unsigned char *>(payload.constData()), PayloadLength);
}
