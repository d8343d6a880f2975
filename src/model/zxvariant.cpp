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

QString ZxVariant::toString(int floatDigits) const
{
    switch (type) {
    case UInt8:
        return QStringLiteral("C%1").arg(quint8(rawBits()));
    case Int16:
        return QStringLiteral("S%1").arg(qint16(rawBits()));
    case Int32:
        return QStringLiteral("L%1").arg(rawBits());
    case Float:
        return QStringLiteral("F%1").arg(double(toFloat()), 0, 'g', floatDigits);
    default:
        return QStringLiteral("U");
    }
}

bool ZxVariant::fromString(const QString &text, ZxVariant *out)
{
    if (text == QLatin1String("U")) {
        *out = ZxVariant();
        return true;
    }
    if (text.size() < 2)
        return false;
    const QString number = text.mid(1);
    bool ok = false;
    switch (text.at(0).unicode()) {
    case 'C': {
        const uint v = number.toUInt(&ok);
        if (!ok || v > 0xFF)
            return false;
        *out = fromInt(UInt8, qint32(v));
        return true;
    }
    case 'S': {
        const int v = number.toInt(&ok);
        if (!ok || v < -32768 || v > 32767)
            return false;
        *out = fromInt(Int16, v);
        return true;
    }
    case 'L': {
        const qint32 v = number.toInt(&ok);
        if (!ok)
            return false;
        *out = fromInt(Int32, v);
        return true;
    }
    case 'F': {
        const float v = number.toFloat(&ok);
        if (!ok)
            return false;
        *out = fromFloat(v);
        return true;
    }
    default:
        return false;
    }
}
