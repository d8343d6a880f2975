#include "model/zxvariant.h"

ZxVariant ZxVariant::fromInt(qint32 t, qint32 v)
{
    ZxVariant z;
    z.type = t;
    switch (t) {
    case UInt8:
        v = quint8(v);
        break;
    case Int16:
        v = qint16(v);
        break;
    default:
        break;
    }
    z.setRawBits(v);
    return z;
}

ZxVariant ZxVariant::fromFloat(float v)
{
    ZxVariant z;
    z.type = Float;
    std::memcpy(z.value, &v, 4);
    return z;
}

qint32 ZxVariant::rawBits() const
{
    qint32 bits;
    std::memcpy(&bits, value, 4);
    return bits;
}

void ZxVariant::setRawBits(qint32 bits)
{
    std::memcpy(value, &bits, 4);
}

qint32 ZxVariant::toInt() const
{
    switch (type) {
    case UInt8:
        return quint8(rawBits());
    case Int16:
        return qint16(rawBits());
    case Float:
        return qint32(toFloat());
    default:
        return rawBits();
    }
}

float ZxVariant::toFloat() const
{
    if (type != Float)
        return float(toInt());
    float f;
    std::memcpy(&f, value, 4);
    return f;
}

QString ZxVariant::toString() const
{
    switch (type) {
    case UInt8:
        return QStringLiteral("C%1").arg(quint8(rawBits()));
    case Int16:
        return QStringLiteral("S%1").arg(qint16(rawBits()));
    case Int32:
        return QStringLiteral("L%1").arg(rawBits());
    case Float:
        return QStringLiteral("F%1").arg(double(toFloat()), 0, 'g', 6);
    default:
        return QStringLiteral("U");
    }
}
