#include "descriptions/dbcsignalcodec.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Start bits beyond this lie in no payload a bus can carry; they also keep the arithmetic small.
constexpr int MaxStartBit = 1 << 20;

quint64 lowMask(int length)
{
    return length >= 64 ? ~quint64(0) : (quint64(1) << length) - 1;
}

void setBitAt(quint8 *data, int position, bool value)
{
    const quint8 mask = quint8(1u << (position % 8));
    if (value)
        data[position / 8] |= mask;
    else
        data[position / 8] &= quint8(~mask);
}

// Motorola bits run from bit 7 down to bit 0 of a byte, then on from bit 7 of the next byte.
int nextMotorolaBit(int position)
{
    return position % 8 == 0 ? position + 15 : position - 1;
}

// The nearest integer to value within [low, high], NaN to 0, without a double out of range ever
// being converted.
double clamped(double value, double low, double high)
{
    if (std::isnan(value))
        return 0.0;
    return std::fmin(std::fmax(std::nearbyint(value), low), high);
}

} // namespace

bool DbcSignalCodec::fits(const DbcSignal &signal, int payloadLength)
{
    if (signal.length < 1 || signal.length > 64 || signal.startBit < 0
        || signal.startBit > MaxStartBit)
        return false;
    if (signal.valueType == DbcSignal::ValueType::Float && signal.length != 32)
        return false;
    if (signal.valueType == DbcSignal::ValueType::Double && signal.length != 64)
        return false;
    return signal.bytesNeeded() <= payloadLength;
}

bool DbcSignalCodec::readRaw(const DbcSignal &signal, const quint8 *data, int size, quint64 *raw)
{
    if (!fits(signal, size))
        return false;
    *raw = readFitting(signal, data);
    return true;
}

quint64 DbcSignalCodec::readFitting(const DbcSignal &signal, const quint8 *data)
{
    // A byte's share of the bits at a time: this runs for every signal of every frame.
    quint64 value = 0;
    int byte = signal.startBit / 8;
    if (signal.byteOrder == DbcSignal::ByteOrder::Intel) {
        // From the least significant bit up, the low bits of each byte first.
        int shift = signal.startBit % 8;
        for (int got = 0; got < signal.length; shift = 0, ++byte) {
            const int take = std::min(8 - shift, signal.length - got);
            value |= quint64((data[byte] >> shift) & lowMask(take)) << got;
            got += take;
        }
    } else {
        // From the most significant bit down, each byte from its bit `top` to bit 0.
        int top = signal.startBit % 8;
        for (int left = signal.length; left > 0; top = 7, ++byte) {
            const int take = std::min(top + 1, left);
            value = (value << take) | ((data[byte] >> (top + 1 - take)) & lowMask(take));
            left -= take;
        }
    }
    return value;
}

bool DbcSignalCodec::writeRaw(const DbcSignal &signal, quint64 raw, quint8 *data, int size)
{
    if (!fits(signal, size))
        return false;
    if (signal.byteOrder == DbcSignal::ByteOrder::Intel) {
        for (int i = 0; i < signal.length; ++i)
            setBitAt(data, signal.startBit + i, (raw >> i) & 1);
    } else {
        int position = signal.startBit;
        for (int i = signal.length - 1; i >= 0; --i) {
            setBitAt(data, position, (raw >> i) & 1);
            position = nextMotorolaBit(position);
        }
    }
    return true;
}

double DbcSignalCodec::rawNumber(const DbcSignal &signal, quint64 raw)
{
    switch (signal.valueType) {
    case DbcSignal::ValueType::Float: {
        const quint32 bits = quint32(raw);
        float number;
        std::memcpy(&number, &bits, sizeof number);
        return double(number);
    }
    case DbcSignal::ValueType::Double: {
        double number;
        std::memcpy(&number, &raw, sizeof number);
        return number;
    }
    case DbcSignal::ValueType::Integer:
        break;
    }
    return signal.isSigned ? double(valueKey(signal, raw)) : double(raw);
}

double DbcSignalCodec::physical(const DbcSignal &signal, quint64 raw)
{
    return rawNumber(signal, raw) * signal.factor + signal.offset;
}

qint64 DbcSignalCodec::valueKey(const DbcSignal &signal, quint64 raw)
{
    const int length = qBound(1, signal.length, 64);
    raw &= lowMask(length);
    if (signal.isSigned && length < 64 && ((raw >> (length - 1)) & 1))
        raw |= ~lowMask(length);
    return qint64(raw);
}

quint64 DbcSignalCodec::rawForPhysical(const DbcSignal &signal, double value)
{
    const double scaled = signal.factor != 0.0 ? (value - signal.offset) / signal.factor : 0.0;
    if (signal.valueType == DbcSignal::ValueType::Float) {
        const float number = float(scaled);
        quint32 bits;
        std::memcpy(&bits, &number, sizeof bits);
        return bits;
    }
    if (signal.valueType == DbcSignal::ValueType::Double) {
        quint64 bits;
        std::memcpy(&bits, &scaled, sizeof bits);
        return bits;
    }
    const int length = qBound(1, signal.length, 64);
    // ldexp keeps 2^63 and 2^64 exact; the upper bounds step below them to stay representable.
    if (signal.isSigned) {
        const double low = -std::ldexp(1.0, length - 1);
        const double high = length == 64 ? 9223372036854774784.0 : std::ldexp(1.0, length - 1) - 1;
        return quint64(qint64(clamped(scaled, low, high))) & lowMask(length);
    }
    const double high = length == 64 ? 18446744073709549568.0 : std::ldexp(1.0, length) - 1;
    return quint64(clamped(scaled, 0.0, high));
}

bool DbcSignalCodec::decode(const DbcSignal &signal, const quint8 *data, int size, double *value)
{
    quint64 raw = 0;
    if (!readRaw(signal, data, size, &raw))
        return false;
    *value = physical(signal, raw);
    return true;
}

bool DbcSignalCodec::encode(const DbcSignal &signal, double value, quint8 *data, int size)
{
    return writeRaw(signal, rawForPhysical(signal, value), data, size);
}

QVector<DbcDecodedSignal> DbcSignalCodec::decodeMessage(const DbcMessage &message,
                                                        const quint8 *data, int size)
{
    QVector<DbcDecodedSignal> decoded;
    decodeMessage(message, data, size, &decoded);
    return decoded;
}

void DbcSignalCodec::decodeMessage(const DbcMessage &message, const quint8 *data, int size,
                                   QVector<DbcDecodedSignal> *decoded)
{
    enum State : quint8 { Unknown, Present, Absent };
    const int count = message.signalList.size();
    // On the stack for the usual message: nothing is allocated per frame.
    QVarLengthArray<State, 64> states(count);
    QVarLengthArray<quint64, 64> raws(count);
    std::fill(states.begin(), states.end(), Unknown);
    std::fill(raws.begin(), raws.end(), quint64(0));

    // Settle presence in passes: a plain signal by its fit, a multiplexed one once its switch is
    // settled. Switches that depend on each other in a circle stay unsettled and count as absent.
    bool settledAny = true;
    while (settledAny) {
        settledAny = false;
        for (int i = 0; i < count; ++i) {
            if (states.at(i) != Unknown)
                continue;
            const DbcSignal &signal = message.signalList.at(i);
            State state = Absent;
            if (readRaw(signal, data, size, &raws[i])) {
                const int switchIndex = signal.isMultiplexed ? signal.muxSwitchIndex : i;
                if (switchIndex < 0 || switchIndex >= count || switchIndex == i) {
                    state = signal.isMultiplexed ? Absent : Present;
                } else if (states.at(switchIndex) == Unknown) {
                    continue;
                } else {
                    state = states.at(switchIndex) == Present
                                    && signal.isMultiplexedBy(raws.at(switchIndex))
                                ? Present
                                : Absent;
                }
            }
            states[i] = state;
            settledAny = true;
        }
    }

    decoded->clear(); // keeps its capacity
    for (int i = 0; i < count; ++i) {
        if (states.at(i) != Present)
            continue;
        const DbcSignal &signal = message.signalList.at(i);
        DbcDecodedSignal one;
        one.signalIndex = i;
        one.raw = raws.at(i);
        one.value = physical(signal, one.raw);
        if (!signal.valueTexts.isEmpty())
            one.text = signal.valueTexts.value(valueKey(signal, one.raw));
        decoded->append(one);
    }
}
