#include "machine/joystickvalue.h"

#include "machine/bitfield.h"

#include <QStringList>

QString JoystickValue::toString() const
{
    // Magnitudes in 64 bits: the absolute value of INT_MIN does not fit an int.
    return QStringLiteral("[%1%2,%3%4]")
        .arg(x < 0 ? QLatin1Char('A') : QLatin1Char('C'))
        .arg(qAbs(qint64(x)))
        .arg(y < 0 ? QLatin1Char('B') : QLatin1Char('D'))
        .arg(qAbs(qint64(y)));
}

QString JoystickValue::toStorageText() const
{
    return QStringLiteral("%1,%2,%3").arg(x).arg(y).arg(flags);
}

bool JoystickValue::parse(const QString &text, JoystickValue *out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        numbers[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    out->x = numbers[0];
    out->y = numbers[1];
    out->flags = numbers[2];
    return true;
}

quint8 JoystickValue::encodeAxis(int value)
{
    const qint64 v = BitField::clamp(value, -AxisLimit, AxisLimit);
    return v < 0 ? quint8(0x80 | quint8(-v)) : quint8(v);
}

int JoystickValue::decodeAxis(quint8 byte)
{
    const int magnitude = byte & 0x7F;
    return (byte & 0x80) ? -magnitude : magnitude;
}
