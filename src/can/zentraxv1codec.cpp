#include "can/zentraxv1codec.h"

#include <QDebug>

namespace {

constexpr quint8 InfoAlwaysSet = 0xC0;
constexpr quint8 InfoExtended = 0x10;
constexpr int FrameBodySize = 13; // identifier, info byte, eight data bytes

// Packet ids the adapter sends that carry nothing for us.
bool isIgnoredId(quint8 id)
{
    return id == 0x01 || (id >= 0x04 && id <= 0x17);
}

QByteArray hex(const char *data, int size)
{
    return QByteArray::fromRawData(data, size).toHex(' ');
}

} // namespace

bool ZentraxV1Codec::encodePacket(quint8 id, const quint8 *body, int length, QByteArray *out)
{
    int stuffedLength = 2 + length;
    for (int i = 0; i < length; ++i) {
        if (body[i] == Marker)
            ++stuffedLength;
    }
    if (stuffedLength > MaxPacketLength) {
        qDebug("Can't send too long packet");
        return false;
    }
    out->reserve(out->size() + stuffedLength + 1);
    out->append(char(Marker));
    out->append(char(stuffedLength));
    out->append(char(id));
    for (int i = 0; i < length; ++i) {
        out->append(char(body[i]));
        if (body[i] == Marker)
            out->append(char(Marker));
    }
    return true;
}

bool ZentraxV1Codec::encodeFrame(const CanMessage &message, QByteArray *out)
{
    quint8 body[FrameBodySize];
    body[0] = quint8(message.id);
    body[1] = quint8(message.id >> 8);
    body[2] = quint8(message.id >> 16);
    body[3] = quint8(message.id >> 24);
    body[4] = InfoAlwaysSet | (message.extended ? InfoExtended : 0) | (message.length & 0x0F);
    // The adapter always takes all eight data bytes, whatever the length.
    for (int i = 0; i < CanMessage::MaxLength; ++i)
        body[5 + i] = message.data[i];
    return encodePacket(CanFrame, body, FrameBodySize, out);
}

int ZentraxV1Codec::bitRateCode(unsigned rate)
{
    switch (rate) {
    case 125000:
        return 0xF8;
    case 250000:
        return 0xFA;
    case 500000:
        return 0xFC;
    case 1000000:
        return 0xFE;
    default:
        return -1;
    }
}

QByteArray ZentraxV1Codec::encodeBitRate(unsigned rate)
{
    const int code = bitRateCode(rate);
    if (code < 0)
        return {};
    QByteArray out;
    const quint8 body = quint8(code);
    encodePacket(CanSettings, &body, 1, &out);
    encodePacket(SettingsCommit, nullptr, 0, &out);
    return out;
}

void ZentraxV1Codec::log(const QByteArray &text) const
{
    if (m_log)
        m_log(text);
    else
        qDebug("%s", text.constData());
}

bool ZentraxV1Codec::feed(const char *data, int size)
{
    if (size <= 0)
        return true;
    if (m_buffer.size() + size >= BufferLimit) {
        log("Clearing buffer cause >= 4095");
        m_buffer.clear();
        return false;
    }
    m_buffer.append(data, size);
    return true;
}

bool ZentraxV1Codec::syncToMarker(int *pos)
{
    const auto *bytes = reinterpret_cast<const quint8 *>(m_buffer.constData());
    const int size = int(m_buffer.size());
    int i = *pos;
    while (i < size - 1) {
        if (bytes[i] == Marker) {
            if (bytes[i + 1] != Marker)
                break;
            i += 2; // a stuffed pair is data, not a marker
            continue;
        }
        ++i;
    }
    if (i < size - 1) {
        if (i > *pos) {
            log("Stray data: " + hex(m_buffer.constData() + *pos, i - *pos));
            *pos = i;
        }
        return true;
    }
    if (size > *pos && bytes[size - 1] == Marker) {
        // A lone marker at the end may start the next packet.
        if (size - *pos > 1) {
            log("Removing stray data upto marker");
            *pos = size - 1;
        }
    } else if (size > *pos) {
        log("Removing stray data without marker");
        *pos = size;
    }
    return false;
}

int ZentraxV1Codec::decode(QVector<CanMessage> *out, int maxFrames)
{
    const int before = out->size();
    const auto *bytes = reinterpret_cast<const quint8 *>(m_buffer.constData());
    const int size = int(m_buffer.size());
    // Consumed bytes are skipped by offset and removed once at the end.
    int pos = 0;
    while (pos < size && out->size() - before < maxFrames) {
        if (!syncToMarker(&pos) || size - pos < 4)
            break;
        const int length = bytes[pos + 1];
        if (length < 2 || length > MaxPacketLength) {
            log("Inalivd packet length " + QByteArray::number(length));
            ++pos;
            continue;
        }
        if (size - pos < length + 1)
            break;
        const quint8 id = bytes[pos + 2];
        m_body.clear();
        const int end = pos + length;
        for (int i = pos + 3; i <= end; ++i) {
            if (bytes[i] == Marker) {
                if (i + 1 <= end && bytes[i + 1] == Marker) {
                    m_body.append(char(Marker));
                    ++i;
                }
                // a single marker inside a body is dropped
                continue;
            }
            m_body.append(char(bytes[i]));
        }
        pos = end + 1;
        handlePacket(id, m_body, out);
    }
    m_buffer.remove(0, pos);
    return out->size() - before;
}

void ZentraxV1Codec::handlePacket(quint8 id, const QByteArray &body, QVector<CanMessage> *out)
{
    if (id == CanFrame) {
        if (body.size() < FrameHeaderSize) {
            log("Invalid can packet data: " + hex(body.constData(), int(body.size())));
            return;
        }
        const int dataLength = int(body.size()) - FrameHeaderSize;
        if (dataLength > CanMessage::MaxLength) {
            log("Dropping CAN packet with " + QByteArray::number(dataLength) + " data bytes");
            return;
        }
        const auto *b = reinterpret_cast<const quint8 *>(body.constData());
        CanMessage message;
        message.id = quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
        message.extended = (b[4] & InfoExtended) != 0;
        message.setData(b + FrameHeaderSize, dataLength);
        out->append(message);
    } else if (id == CanSettings) {
        log("Got CanSettings?");
    } else if (!isIgnoredId(id)) {
        log("Unknown packet Id 0x" + QByteArray::number(id, 16).rightJustified(2, '0'));
    }
}
