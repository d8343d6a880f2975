#pragma once

#include <QMetaType>
#include <QString>

#include <cstring>

// A small tagged value: the payload of tune variables. Trivially copyable, 8 bytes, aligned to 8
// so that the atomic holding it in a parameter is lock-free (clang otherwise calls libatomic).
struct alignas(8) ZxVariant
{
    enum Type : qint32 { None = 0, UInt8 = 1, Int16 = 2, Int32 = 3, Float = 4 };

    qint32 type = None;
    quint8 value[4] = {0, 0, 0, 0};

    static ZxVariant fromInt(qint32 type, qint32 v);
    static ZxVariant fromFloat(float v);
    qint32 toInt() const;
    float toFloat() const;
    // Raw 32 bits of the value, as streamed.
    qint32 rawBits() const;
    void setRawBits(qint32 bits);
    // Floats with `floatDigits` significant digits (9 reads back as the same float).
    QString toString(int floatDigits = 6) const;
    // Reads the text toString() gives ("C5", "S-5", "L7", "F10.5", "U"); false for other texts.
    static bool fromString(const QString &text, ZxVariant *out);

    bool operator==(const ZxVariant &o) const
    {
        return type == o.type && std::memcmp(value, o.value, 4) == 0;
    }
    bool operator!=(const ZxVariant &o) const { return !(*this == o); }
};

Q_DECLARE_METATYPE(ZxVariant)
