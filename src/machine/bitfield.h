#pragma once

#include <QtGlobal>

#include <cmath>
#include <limits>

// Bit fields of a payload read as one little-endian 64-bit word (byte i holds bits 8i..8i+7).
// Every writer masks its value to the field's width, so no value reaches a neighbouring field.
namespace BitField {

constexpr quint64 mask(int width)
{
    return width >= 64 ? ~quint64(0) : (quint64(1) << width) - 1;
}

constexpr quint64 get(quint64 word, int pos, int width)
{
    return (word >> pos) & mask(width);
}

// Replaces the field with the low `width` bits of `value` (negative values by their two's
// complement bits).
inline void put(quint64 &word, int pos, int width, qint64 value)
{
    const quint64 m = mask(width) << pos;
    word = (word & ~m) | ((quint64(value) << pos) & m);
}

inline quint64 fromBytes(const unsigned char *data, int length)
{
    quint64 word = 0;
    for (int i = 0; i < length && i < 8; ++i)
        word |= quint64(data[i]) << (8 * i);
    return word;
}

inline void toBytes(quint64 word, unsigned char *data, int length)
{
    for (int i = 0; i < length && i < 8; ++i)
        data[i] = quint8(word >> (8 * i));
}

// A scaled value back to its raw count: NaN is 0, the result is rounded to the nearest step
// and clamped to [low, high], so no float reaches an undefined conversion.
inline qint64 toRaw(double value, qint64 low, qint64 high)
{
    if (std::isnan(value))
        value = 0.0;
    value = std::round(value);
    if (value <= double(low))
        return low;
    if (value >= double(high))
        return high;
    return qint64(value);
}

inline qint64 clamp(qint64 value, qint64 low, qint64 high)
{
    return value < low ? low : (value > high ? high : value);
}

} // namespace BitField
