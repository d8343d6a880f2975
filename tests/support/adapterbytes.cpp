#include "support/adapterbytes.h"

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
