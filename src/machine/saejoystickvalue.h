#pragma once

#include <QMetaType>
#include <QPointF>
#include <QString>

// One axis of an SAE J1939-71 joystick: the two-bit statuses and the position in 0.1 % steps.
struct SaeJoystickAxisValue
{
    static constexpr int FullScale = 1000;

    quint8 neutral = 0;
    quint8 negative = 0;
    quint8 positive = 0;
    quint8 detent = 0;
    quint16 position = 0;

    bool operator==(const SaeJoystickAxisValue &o) const
    {
        return neutral == o.neutral && negative == o.negative && positive == o.positive
               && detent == o.detent && position == o.position;
    }
};

// Both axes of an SAE joystick, X first.
struct SaeJoystickValue
{
    SaeJoystickAxisValue x;
    SaeJoystickAxisValue y;

    bool operator==(const SaeJoystickValue &o) const { return x == o.x && y == o.y; }
    bool operator!=(const SaeJoystickValue &o) const { return !(*this == o); }

    // "[%1,%2;NEUT%3,%4;POS%5,%6;NEG%7,%8;DET%9,%10]"; parse() reads the same text back.
    QString toString() const;
    static bool parse(const QString &text, SaeJoystickValue *out);
    // Screen point: x to the right, y downwards, each in [-1, 1].
    QPointF toPointF() const;
    // Sets the statuses and positions from a screen point; each axis is clamped to [-1, 1]
    // and NaN is the neutral position. Detent statuses are kept.
    void setPos(const QPointF &point);
};

Q_DECLARE_METATYPE(SaeJoystickValue)
