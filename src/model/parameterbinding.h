#pragma once

#include <QtEndian>
#include <QtGlobal>

#include <cstring>
#include <utility>
#include <vector>

class ZxParameter;

// Placement and scaling of one parameter in an 8-byte payload: value = raw x multiplier - adder.
// A raw field of all ones means "not available"; with SAE J1939-71 ranges the whole top range of
// the field does, and the range below it is the sender's error indicator.
struct ParameterBinding
{
    float multiplier = 1.0f;
    float adder = 0.0f;
    unsigned startByte = 0;
    int startBit = 0;
    int bitLength = 8;
    bool bigEndian = false;
    bool saeRanges = false;

    enum class RawKind { Value, Error, NotAvailable };
    // What a raw field value stands for. Inline: it runs for every parameter of every frame.
    RawKind classify(quint32 raw) const
    {
        const quint32 m = mask();
        if (raw == m)
            return RawKind::NotAvailable;
        if (!saeRanges)
            return RawKind::Value;
        // SAE J1939-71: whole bytes end in the top byte 0xFE (error) and 0xFF (not available),
        // whatever the lower bytes hold; 2 and 4 bits in 10 and 11, 0xE and 0xF.
        if (bitLength == 8 || bitLength == 16 || bitLength == 32) {
            const quint32 top = raw >> (bitLength - 8);
            return top < 0xFE    ? RawKind::Value
                   : top == 0xFF ? RawKind::NotAvailable
                                 : RawKind::Error;
        }
        if (bitLength == 2 || bitLength == 4)
            return raw == m - 1 ? RawKind::Error : RawKind::Value;
        return RawKind::Value;
    }
    // The highest raw value that is a value: SAE J1939-71 keeps the top of each field for the
    // error indicator and "not available" (and reserves the range just below them), other
    // fields only the all-ones pattern.
    quint32 maxValidRaw() const;

    // Bytes the field touches, and whether they lie inside the payload.
    int byteCount() const { return (startBit + bitLength + 7) / 8; }
    // Inline with extractRaw(): they run for every parameter of every frame.
    bool fits() const
    {
        return bitLength >= 0 && bitLength <= 32 && startBit >= 0 && startBit <= 7
               && startByte <= 7 && startByte + unsigned(byteCount()) <= PayloadSize;
    }
    quint32 mask() const
    {
        return bitLength >= 32 ? 0xFFFFFFFFu : (quint32(1) << bitLength) - 1;
    }
    // Raw field value from the 8-byte payload; false when the field lies outside it.
    bool extractRaw(const quint8 *payload, quint32 *raw) const
    {
        if (!fits())
            return false;
        quint64 word = 0;
        if (bigEndian) {
            const int n = byteCount();
            for (int k = 0; k < n; ++k)
                word = (word << 8) | payload[startByte + unsigned(k)];
        } else {
            // The whole payload as one little-endian word: the field starts at its bit offset.
            std::memcpy(&word, payload, sizeof word);
            word = qFromLittleEndian(word) >> (8 * startByte + unsigned(startBit));
        }
        *raw = quint32(word) & mask();
        return true;
    }
    // Decodes the field into the parameter (Not available: NaN or the scaled mask, not valid).
    bool decode(const quint8 *payload, ZxParameter *parameter) const;
    // decode() of each field into its parameter, in order: one call for a whole payload, the
    // fields decoded inline.
    using Bound = std::pair<ZxParameter *, ParameterBinding>;
    static void decodeEach(const std::vector<Bound> &bound, const quint8 *payload);
    // Writes the parameter's value into the field in its byte order; other bits are kept.
    bool encode(quint8 *payload, const ZxParameter *parameter) const;
    // The raw field for a physical value: rounded half up, cut to the field.
    quint32 rawFor(double value) const;
    // A span of physical values whose raw fields (rawFor) all lie in 0 ... maxValidRaw(), so a
    // caller that judges every frame's value needs rawFor() only outside it; false when the
    // scaling gives none.
    bool validSpan(double *low, double *high) const;
    // Multiplier and adder as the decimal numbers the description wrote (0.05, not the float
    // 0.0500000007), so 4200 x 0.05 - 200 reads 10 and not 10.000003.
    double scale() const
    {
        return m_cachedMultiplier == multiplier ? m_scale : updateScale();
    }
    double offset() const { return m_cachedAdder == adder ? m_offset : updateOffset(); }

private:
    static constexpr unsigned PayloadSize = 8;
    // rawFor()'s rounded quotient before it is cut to the field; it never falls as the value
    // rises (or never rises, for a negative multiplier): each step is one rounded operation.
    double scaledFor(double value) const;
    double updateScale() const;
    double updateOffset() const;

    mutable float m_cachedMultiplier = 1.0f;
    mutable double m_scale = 1.0;
    mutable float m_cachedAdder = 0.0f;
    mutable double m_offset = 0.0;
};
