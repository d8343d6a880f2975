#include "support/adapterbytes.h"

#include "can/i7565codec.h"

QByteArray zentraxFramePacket(quint32 id, bool extended, const QByteArray &data)
{
    QByteArray body;
    for (int i = 0; i < 4; ++i)
        body.append(char(id >> (8 * i)));
    body.append(char(extended ? 0x10 : 0x00));
    body.append(data);
    QByteArray stuffed;
    for (char c : body) {
        stuffed.append(c);
        if (quint8(c) == 0xF0)
            stuffed.append(c);
    }
    QByteArray packet;
    packet.append(char(0xF0));
    packet.append(char(stuffed.size() + 2));
    packet.append(char(0x02));
    return packet + stuffed;
}

QByteArray zentraxFramePacket(const CanMessage &m)
{
    return zentraxFramePacket(m.id, m.extended,
                              QByteArray(reinterpret_cast<const char *>(m.data), m.length));
}

QByteArray serialAdapterBytes(bool zentrax, const QVector<CanMessage> &frames)
{
    QByteArray bytes;
    for (const CanMessage &m : frames) {
        if (zentrax)
            bytes += zentraxFramePacket(m);
        else
            I7565Codec::encodeFrame(m, &bytes);
    }
    return bytes;
}
