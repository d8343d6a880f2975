#pragma once

#include <QMetaType>
#include <QString>

// Reading of a control panel joystick: signed axes (up and right positive) and its flags
// (bit 0 the first, bit 1 the second).
struct JoystickValue
{
    static constexpr int AxisLimit = 127;

    int x = 0;
    int y = 0;
    int flags = 0;

    bool operator==(const JoystickValue &other) const
    {
        return x == other.x && y == other.y && flags == other.flags;
    }
    bool operator!=(const JoystickValue &other) const { return !(*this == other); }

    // "[A5,D10]": A/C for the sign of X, B/D for the sign of Y, then the magnitudes.
    QString toString() const;
    // "x,y,flags", the form scheme files keep; parse() reads it back.
    QString toStorageText() const;
    static bool parse(const QString &text, JoystickValue *out);

    // Axis byte: bit 7 the sign, bits 0-6 the magnitude; values beyond +-127 are clamped.
    static quint8 encodeAxis(int value);
    static int decodeAxis(quint8 byte);
};

Q_DECLARE_METATYPE(JoystickValue)
