#pragma once

#include "model/tpconnection.h"
#include "support/testcanhandler.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <initializer_list>

// Transport-protocol frames as a peer sends them, and sample long messages.

// A receiver's timings shortened to keep tests fast, in the real order: `step` ms before a CTS
// and an acknowledgement, twice that after a CTS that holds the connection.
inline TPConnection::Timing quickTiming(int step, int windowSize = 2)
{
    TPConnection::Timing t;
    t.delayRtsToCts = step;
    t.delayDataToCts0 = step;
    t.delayCts0ToCts = 2 * step;
    t.delayDataToAck = step;
    t.windowSize = windowSize;
    return t;
}

// TP.CM (PF 0xEC) from `source` to `destination` (0xFF: global).
inline CanMessage tpControl(quint8 source, quint8 destination,
                            std::initializer_list<quint8> payload)
{
    return makeFrame(0x1CEC0000u | quint32(destination) << 8 | source, payload);
}

// TP.DT (PF 0xEB): the sequence number, then up to 7 data bytes (missing ones 0).
inline CanMessage tpData(quint8 source, quint8 destination, quint8 sequence,
                         const QByteArray &seven)
{
    CanMessage m = makeFrame(0x1CEB0000u | quint32(destination) << 8 | source, {sequence});
    quint8 data[8] = {sequence, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(data + 1, seven.constData(), size_t(std::min<int>(7, int(seven.size()))));
    m.setData(data, 8);
    return m;
}

// A message of `size` bytes counting up from 0x10.
inline QByteArray tpMessage(int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(char(0x10 + i));
    return data;
}
