#include "can/canmessage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr quint32 AddressMask = 0x000000FF;
constexpr quint32 PduSpecificMask = 0x0000FF00;
constexpr quint32 PduFormatMask = 0x00FF0000;
constexpr quint32 PriorityMask = 0x1C000000;

int clampLength(int count)
{
    return std::clamp(count, 0, CanMessage::MaxLength);
}

const char HexDigits[] = "0123456789abcdef";

} // namespace

CanMessage::CanMessage(quint32 identifier, const quint8 *bytes, int count)
    : id(identifier)
{
    setData(bytes, count);
}

quint32 CanMessage::pgn() const
{
    quint32 value = (id >> 8) & 0x3FFFF;
    if (isPdu1(pduFormat()))
        value &= 0x3FF00;
    return value;
}

void CanMessage::setAddress(quint8 sa)
{
    id = (id & ~AddressMask) | sa;
}

void CanMessage::setPduSpecific(quint8 ps)
{
    id = (id & ~PduSpecificMask) | (quint32(ps) << 8);
}

void CanMessage::setPduFormat(quint8 pf)
{
    id = (id & ~PduFormatMask) | (quint32(pf) << 16);
}

void CanMessage::setPriority(quint8 p)
{
    id = (id & ~PriorityMask) | (quint32(p & 0x07) << 26);
}

void CanMessage::getData(quint8 *destination, int *count) const
{
    const int n = clampLength(length);
    std::memcpy(destination, data, size_t(n));
    if (count)
        *count = n;
}

void CanMessage::setData(const quint8 *bytes, int count)
{
    const int n = clampLength(count);
    std::memset(data, 0, sizeof data);
    if (bytes && n > 0)
        std::memcpy(data, bytes, size_t(n));
    length = quint8(n);
}

quint32 CanMessage::dataLow() const
{
    return quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16
           | quint32(data[3]) << 24;
}

quint32 CanMessage::dataHigh() const
{
    return quint32(data[4]) | quint32(data[5]) << 8 | quint32(data[6]) << 16
           | quint32(data[7]) << 24;
}

bool CanMessage::isUnicast() const
{
    return extended && isPdu1(pduFormat()) && pduSpecific() != GlobalAddress;
}

void appendHexBytes(QString &out, const quint8 *bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += QLatin1Char(' ');
        out += QLatin1Char(HexDigits[bytes[i] >> 4]);
        out += QLatin1Char(HexDigits[bytes[i] & 0x0F]);
    }
}

QString CanMessage::toString() const
{
    QString out;
    out.reserve(40);
    if (extended) {
        out += QString::number(priority());
        out += QLatin1Char(' ');
        out += QStringLiteral("%1").arg(id & 0x1FFFFFF, 6, 16, QLatin1Char('0'));
    } else {
        out += QStringLiteral("SID%1").arg(id & 0x7FF, 3, 16, QLatin1Char('0'));
    }
    out += QLatin1Char(' ');
    appendHexBytes(out, data, clampLength(length));
    return out;
}
