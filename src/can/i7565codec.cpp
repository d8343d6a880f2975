#include "can/i7565codec.h"

#include <QDebug>

#include <cstring>

namespace {

const char UpperHex[] = "0123456789ABCDEF";

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendHex(QByteArray *out, quint32 value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out->append(UpperHex[(value >> shift) & 0xF]);
}

struct LineLayout
{
    int idDigits;
    quint32 maxId;
};

constexpr LineLayout ExtendedLine{8, 0x1FFFFFFF};
constexpr LineLayout StandardLine{3, 0x7FF};

} // namespace

void I7565Codec::encodeFrame(const CanMessage &message, QByteArray *out)
{
    const int length = std::min<int>(message.length, CanMessage::MaxLength);
    if (message.extended) {
        out->append('e');
        appendHex(out, message.id, ExtendedLine.idDigits);
    } else {
        out->append('t');
        appendHex(out, message.id & StandardLine.maxId, StandardLine.idDigits);
    }
    appendHex(out, quint32(length), 1);
    for (int i = 0; i < length; ++i)
        appendHex(out, message.data[i], 2);
    out->append(LineEnd);
}

char I7565Codec::bitRateCharacter(unsigned rate)
{
    switch (rate) {
    case 10000:
        return '0';
    case 20000:
        return '1';
    case 50000:
        return '2';
    case 100000:
        return '3';
    case 125000:
        return '4';
    case 250000:
        return '5';
    case 500000:
        return '6';
    case 800000:
        return '7';
    case 1000000:
        return '8';
    default:
        return 0;
    }
}

QByteArray I7565Codec::encodeBitRate(unsigned rate)
{
    const char c = bitRateCharacter(rate);
    if (!c)
        return {};
    return QByteArray("P1") + c;
}

quint32 I7565Codec::asciiToUnsigned(const char *text, int length)
{
    if (length <= 0 || length > 8)
        return 0xFFFFFFFF;
    quint32 value = 0;
    for (int i = 0; i < length; ++i) {
        const int d = hexDigit(text[i]);
        if (d < 0)
            return 0xFFFFFFFF;
        value = (value << 4) | quint32(d);
    }
    return value;
}

bool I7565Codec::parseFrameLine(const char *line, int length, CanMessage *message)
{
    if (length < 1 || (line[0] != 'e' && line[0] != 't'))
        return false;
    const LineLayout layout = line[0] == 'e' ? ExtendedLine : StandardLine;
    const int header = 1 + layout.idDigits + 1;
    if (length < header)
        return false;
    const quint32 id = asciiToUnsigned(line + 1, layout.idDigits);
    const quint32 dataLength = asciiToUnsigned(line + 1 + layout.idDigits, 1);
    if (id > layout.maxId || dataLength > quint32(CanMessage::MaxLength)
        || length < header + 2 * int(dataLength))
        return false;
    quint8 data[CanMessage::MaxLength];
    for (quint32 i = 0; i < dataLength; ++i) {
        const quint32 byte = asciiToUnsigned(line + header + 2 * i, 2);
        data[i] = byte > 0xFF ? 0xFF : quint8(byte);
    }
    *message = CanMessage(id, data, int(dataLength));
    message->extended = line[0] == 'e';
    return true;
}

void I7565Codec::log(const QByteArray &text) const
{
    if (m_log)
        m_log(text);
    else
        qDebug("%s", text.constData());
}

bool I7565Codec::feed(const char *data, int size)
{
    if (size <= 0)
        return true;
    if (m_buffer.size() + size >= BufferLimit) {
        m_buffer.clear();
        return false;
    }
    m_buffer.append(data, size);
    return true;
}

int I7565Codec::decode(QVector<CanMessage> *out, int maxFrames)
{
    const int before = out->size();
    int consumed = 0;
    const char *bytes = m_buffer.constData();
    const int size = int(m_buffer.size());
    while (out->size() - before < maxFrames && consumed < size) {
        const void *cr = std::memchr(bytes + consumed, LineEnd, size_t(size - consumed));
        if (!cr)
            break;
        const char *line = bytes + consumed;
        const int length = int(static_cast<const char *>(cr) - line);
        consumed += length + 1;
        if (length == 0)
            continue;
        if (line[0] != 'e' && line[0] != 't') {
            log("Unknown message: " + QByteArray(line, length));
            continue;
        }
        CanMessage message;
        if (parseFrameLine(line, length, &message))
            out->append(message);
    }
    m_buffer.remove(0, consumed);
    if (room() <= 0 && !m_buffer.contains(LineEnd)) {
        // A full buffer without a line end can never become a frame.
        m_buffer.clear();
    }
    return out->size() - before;
}
