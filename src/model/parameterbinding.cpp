#include "model/parameterbinding.h"

#include "model/zxfloatparameter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// The shortest decimal that reads back as this float, as a double.
double decimalOf(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    return std::strtod(text, nullptr);
}

} // namespace

double ParameterBinding::updateScale() const
{
    m_cachedMultiplier = multiplier;
    m_scale = decimalOf(multiplier);
    return m_scale;
}

double ParameterBinding::updateOffset() const
{
    m_cachedAdder = adder;
    m_offset = decimalOf(adder);
    return m_offset;
}

quint32 ParameterBinding::maxValidRaw() const
{
    const quint32 m = mask();
    if (!saeRanges)
        return m - 1;
    switch (bitLength) {
    case 2:
    case 4:
        return m - 2;
    case 8:
        return 0xFA;
    case 16:
        return 0xFAFF;
    case 32:
        return 0xFAFFFFFFu;
    default:
        return m - 1;
    }
}

bool ParameterBinding::decode(const quint8 *payload, ZxParameter *parameter) const
{
    quint32 raw = 0;
    if (!extractRaw(payload, &raw))
        return false;
    const RawKind kind = classify(raw);
    if (kind != RawKind::Value) {
        // By the type code: a dynamic_cast costs a string compare on every such frame.
        if (parameter->type() == ZxParameter::Float)
            static_cast<ZxFloatParameter *>(parameter)->setValue(
                std::numeric_limits<float>::quiet_NaN());
        else
            parameter->setNumber(double(raw) * scale() - offset());
        if (kind == RawKind::Error)
            parameter->setError();
        else
            parameter->setValid(false);
        return true;
    }
    // Computed and handed over in double precision: a float would round 32-bit counters.
    parameter->setNumber(double(raw) * scale() - offset());
    return true;
}

double ParameterBinding::scaledFor(double value) const
{
    const double m = scale();
    return std::trunc((value + offset() + 0.5 * m) / m);
}

void ParameterBinding::decodeEach(const std::vector<Bound> &bound, const quint8 *payload)
{
    for (const Bound &entry : bound)
        entry.second.decode(payload, entry.first);
}

quint32 ParameterBinding::rawFor(double value) const
{
    if (!std::isfinite(value) || multiplier == 0.0f)
        return mask();
    const double scaled = scaledFor(value);
    // A description may give an infinite or absurd adder or multiplier.
    if (!std::isfinite(scaled))
        return mask();
    constexpr double Limit = 9.0e18;
    const qint64 raw = scaled > Limit    ? qint64(Limit)
                       : scaled < -Limit ? -qint64(Limit)
                                         : qint64(scaled);
    return quint32(quint64(raw)) & mask();
}

bool ParameterBinding::validSpan(double *low, double *high) const
{
    const quint32 top = maxValidRaw();
    if (multiplier == 0.0f || top < 2)
        return false;
    // scaledFor() is monotonic: when the values of two raw fields give quotients inside
    // 0 ... top (nothing cut off), every value between them does. The values of raw 0 and top
    // themselves may round outside: then those of 1 and top - 1.
    const double m = scale();
    for (const quint32 inset : {0u, 1u}) {
        const double a = double(inset) * m - offset();
        const double b = double(top - inset) * m - offset();
        const double from = std::min(a, b);
        const double to = std::max(a, b);
        if (!std::isfinite(from) || !std::isfinite(to))
            return false;
        bool inside = true;
        for (const double end : {from, to}) {
            const double scaled = scaledFor(end);
            inside = inside && scaled >= 0 && scaled <= double(top);
        }
        if (inside) {
            *low = from;
            *high = to;
            return true;
        }
    }
    return false;
}

bool ParameterBinding::encode(quint8 *d, const ZxParameter *parameter) const
{
    if (!fits())
        return false;
    const quint32 raw = rawFor(parameter->variantValue().toDouble());
    const int n = byteCount();
    if (bigEndian) {
        // The mirror of extractRaw: the start byte is the most significant of the n bytes and
        // the field sits in the low bits of that big-endian word.
        const quint64 fieldMask = mask();
        for (int k = 0; k < n; ++k) {
            const int shift = 8 * (n - 1 - k);
            quint8 &byte = d[startByte + unsigned(k)];
            byte = quint8((byte & ~quint8(fieldMask >> shift)) | quint8(quint64(raw) >> shift));
        }
        return true;
    }
    const quint64 fieldMask = quint64(mask()) << startBit;
    const quint64 fieldBits = quint64(raw) << startBit;
    for (int k = 0; k < n; ++k) {
        quint8 &byte = d[startByte + unsigned(k)];
        byte = quint8((byte & ~quint8(fieldMask >> (8 * k))) | quint8(fieldBits >> (8 * k)));
    }
    return true;
}
