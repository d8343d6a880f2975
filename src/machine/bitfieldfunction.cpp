#include "machine/bitfieldfunction.h"

#include "machine/bitfield.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"

#include <QDebug>

BitFieldFunction::BitFieldFunction(quint8 pf, quint8 ps, QObject *parent)
    : StaticPgnJ1939DeviceFunction(pf, ps, parent)
{}

void BitFieldFunction::addField(int index, int pos, int width)
{
    Q_ASSERT(index >= 0 && index < parameters().size() && pos + width <= 64);
    m_fields.append({index, pos, width});
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
    const quint64 word = BitField::fromBytes(data, PayloadLength);
    for (const Field &f : qAsConst(m_fields)) {
        ZxParameter *p = parameters().at(f.index);
        setFieldValue(p, qint64(BitField::get(word, f.pos, f.width)));
        p->setValid(true);
    }
    decodeExtra(data);
    setUpdateNeeded();
    return true;
}

QByteArray BitFieldFunction::encode() const
{
    quint64 word = initialWord();
    for (const Field &f : m_fields)
        BitField::put(word, f.pos, f.width, fieldValue(parameters().at(f.index)));
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

qint64 BitFieldFunction::fieldValue(const ZxParameter *parameter)
{
    if (auto *list = dynamic_cast<const ZxListParameter *>(parameter))
        return list->value();
    if (auto *flag = dynamic_cast<const ZxBoolParameter *>(parameter))
        return flag->value() ? 1 : 0;
    if (auto *number = dynamic_cast<const ZxIntParameter *>(parameter))
        return number->value();
    return 0;
}

void BitFieldFunction::setFieldValue(ZxParameter *parameter, qint64 value)
{
    if (auto *list = dynamic_cast<ZxListParameter *>(parameter))
        list->setValue(int(value));
    else if (auto *flag = dynamic_cast<ZxBoolParameter *>(parameter))
        flag->setValue(value != 0);
    else if (auto *number = dynamic_cast<ZxIntParameter *>(parameter))
        number->setValue(int(value));
}
