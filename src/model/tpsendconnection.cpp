#include "model/tpsendconnection.h"

#include "can/canmessage.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"

#include <QDebug>
#include <QMetaEnum>

#include <algorithm>
#include <cstring>

namespace {

constexpr int BytesPerPacket = 7;
constexpr quint8 TpPriority = 6;
// RTS byte 4: the number of packets one CTS may ask for; 0xFF sets no limit.
constexpr quint8 NoWindowLimit = 0xFF;

const char *stateName(TPSendConnection::State s)
{
    const char *key = QMetaEnum::fromType<TPSendConnection::State>().valueToKey(s);
    return key ? key : "?";
}

QString pgnText(quint32 pgn)
{
    return QStringLiteral("%1").arg(pgn, 4, 16, QLatin1Char('0'));
}

} // namespace

TPSendConnection::Timing TPSendConnection::timing() const
{
    const DeviceDispatcher *bus = m_device ? m_device->dispatcher() : nullptr;
    return bus ? bus->sendTiming() : Timing();
}

TPSendConnection::TPSendConnection(J1939Device *device, quint8 peer, quint32 pgn,
                                   const QByteArray &data)
    : QObject(device)
    , m_device(device)
    , m_peer(peer)
    , m_pgn(pgn)
    , m_data(data.left(MaxSize))
    , m_packets((int(m_data.size()) + BytesPerPacket - 1) / BytesPerPacket)
    , m_timer(this)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TPSendConnection::slotTimeout);
}

TPSendConnection::~TPSendConnection() = default;

CanMessage TPSendConnection::frame(quint8 pf, const quint8 (&payload)[8]) const
{
    CanMessage m(0, payload, 8);
    m.setPriority(TpPriority);
    m.setPduFormat(pf);
    m.setPduSpecific(m_peer);
    m.setAddress(quint8(m_device->address().value));
    return m;
}

CanMessage TPSendConnection::abortFrame(quint8 source, quint8 destination, quint32 pgn,
                                        AbortReason reason)
{
    // Byte 2 (the sender's role) is left "not specified", as every revision reads it.
    const quint8 payload[8]
        = {TPConnection::ConnAbort, reason,           0xFF, 0xFF, 0xFF, quint8(pgn),
           quint8(pgn >> 8),        quint8(pgn >> 16)};
    CanMessage m(0, payload, 8);
    m.setPriority(TpPriority);
    m.setPduFormat(J1939Device::PfTransportControl);
    m.setPduSpecific(destination);
    m.setAddress(source);
    m.text = QStringLiteral("TP.CM ConnAbort reason %1 PGN %2").arg(reason).arg(pgnText(pgn));
    return m;
}

void TPSendConnection::send(CanMessage &message)
{
    m_device->sendMessage(message);
}

void TPSendConnection::start()
{
    const quint16 size = quint16(m_data.size());
    const quint8 rts[8]
        = {TPConnection::Rts, quint8(size),  quint8(size >> 8),  quint8(m_packets),
           NoWindowLimit,     quint8(m_pgn), quint8(m_pgn >> 8), quint8(m_pgn >> 16)};
    CanMessage m = frame(J1939Device::PfTransportControl, rts);
    m.text = QStringLiteral("TP.CM RTS to %1, size %2 bytes %3 packets, PGN %4")
                 .arg(m_peer, 2, 16, QLatin1Char('0'))
                 .arg(size)
                 .arg(m_packets)
                 .arg(pgnText(m_pgn));
    send(m);
    setState(WaitingForCts);
}

void TPSendConnection::setState(State s)
{
    qDebug("Send connection to 0x%02x: %s to %s", m_peer, stateName(m_state), stateName(s));
    m_state = s;
    m_timer.stop();
    const Timing t = timing();
    switch (s) {
    case WaitingForCts:
    case WaitingForAck:
        m_timer.start(std::max(0, t.timeoutCts));
        break;
    case Holding:
        m_timer.start(std::max(0, t.timeoutHold));
        break;
    case SendingWindow:
        m_timer.start(std::max(0, t.packetInterval));
        break;
    case Ended:
        break;
    }
}

void TPSendConnection::controlMessage(const CanMessage &message)
{
    if (m_state == Ended || message.length < 8)
        return;
    switch (message.data[0]) {
    case TPConnection::Cts:
        takeCts(message.data[1], message.data[2]);
        break;
    case TPConnection::EndOfMsgAck:
        // Only a message whose every packet went out can have been received.
        if (m_sentCount < m_packets) {
            qDebug("TP: acknowledgement from 0x%02x before the last packet ignored", m_peer);
            return;
        }
        m_completed = true;
        end();
        break;
    case TPConnection::ConnAbort:
        qDebug("TP: 0x%02x aborted the connection, reason %d", m_peer, message.data[1]);
        end();
        break;
    default:
        qDebug("Got unexpected TP.CM message");
        break;
    }
}

void TPSendConnection::takeCts(quint8 count, quint8 next)
{
    if (m_state == SendingWindow) {
        abort(CtsDuringTransfer);
        return;
    }
    if (count == 0) {
        // The peer holds the connection open; another CTS follows.
        setState(Holding);
        return;
    }
    if (next == 0 || next > m_packets) {
        abort(OtherError);
        return;
    }
    if (m_sent.test(next) && ++m_retransmits > timing().retransmitLimit) {
        abort(RetransmitLimit);
        return;
    }
    // A CTS may ask for more than is left: the window ends with the message.
    m_next = next;
    m_windowEnd = std::min(m_packets, int(next) + int(count) - 1);
    setState(SendingWindow);
    sendNextPacket();
}

void TPSendConnection::sendNextPacket()
{
    quint8 payload[8] = {quint8(m_next), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const int offset = (m_next - 1) * BytesPerPacket;
    const int n = std::min(BytesPerPacket, int(m_data.size()) - offset);
    if (n > 0)
        std::memcpy(payload + 1, m_data.constData() + offset, size_t(n));
    CanMessage m = frame(J1939Device::PfTransportData, payload);
    m.text = QStringLiteral("TP.DT seq %1").arg(m_next);
    send(m);
    if (!m_sent.test(size_t(m_next))) {
        m_sent.set(size_t(m_next));
        ++m_sentCount;
    }
    if (m_next++ < m_windowEnd) {
        setState(SendingWindow);
        return;
    }
    setState(m_sentCount >= m_packets ? WaitingForAck : WaitingForCts);
}

void TPSendConnection::slotTimeout()
{
    switch (m_state) {
    case SendingWindow:
        sendNextPacket();
        break;
    case WaitingForCts:
    case Holding:
    case WaitingForAck:
        qDebug("TP: no answer from 0x%02x in state %s, aborting", m_peer, stateName(m_state));
        abort(TimedOut);
        break;
    case Ended:
        break;
    }
}

void TPSendConnection::abort(AbortReason reason)
{
    CanMessage m = abortFrame(quint8(m_device->address().value), m_peer, m_pgn, reason);
    send(m);
    end();
}

void TPSendConnection::end()
{
    setState(Ended);
    // Deferred: a connection ends from its own timer slot and from frames it is handling.
    m_device->transport()->dropSendConnection(m_peer);
}
