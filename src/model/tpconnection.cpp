#include "model/tpconnection.h"

#include "can/canmessage.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"

#include <QDebug>
#include <QMetaEnum>
#include <QSettings>

#include <algorithm>

namespace {

constexpr quint8 PfControl = 0xEC;
constexpr int BytesPerPacket = 7;
constexpr quint8 TpPriority = 6;

const char *stateName(TPConnection::State s)
{
    const char *key = QMetaEnum::fromType<TPConnection::State>().valueToKey(s);
    return key ? key : "?";
}

void setText(const CanMessage &message, const QString &text)
{
    // The frame is the pack's own copy: its text is what the raw view shows for it.
    const_cast<CanMessage &>(message).text = text;
}

} // namespace

const char *const TPConnection::SettingsGroup = "ConnectionTiming";

TPConnection::Timing TPConnection::timing() const
{
    const J1939Device *d = device();
    const DeviceDispatcher *bus = d ? d->dispatcher() : nullptr;
    return bus ? bus->transportTiming() : Timing();
}

TPConnection::Timing TPConnection::readTiming(QSettings &settings)
{
    Timing t;
    settings.beginGroup(QLatin1String(SettingsGroup));
    const struct
    {
        const char *key;
        int *value;
    } keys[] = {
        {"DelayRtsToCts", &t.delayRtsToCts},       {"DelayDataToCts0", &t.delayDataToCts0},
        {"DelayCts0ToCts", &t.delayCts0ToCts},     {"DelayDataToAck", &t.delayDataToAck},
        {"TimeoutDataToData", &t.timeoutDataToData}, {"TimeoutCtsToData", &t.timeoutCtsToData},
        {"WindowSize", &t.windowSize},
    };
    for (const auto &k : keys) {
        bool ok = false;
        const int v = settings.value(QLatin1String(k.key)).toInt(&ok);
        if (ok)
            *k.value = v;
    }
    settings.endGroup();
    return t;
}

void TPConnection::writeTiming(QSettings &settings, const Timing &t)
{
    settings.beginGroup(QLatin1String(SettingsGroup));
    settings.setValue(QStringLiteral("DelayRtsToCts"), t.delayRtsToCts);
    settings.setValue(QStringLiteral("DelayDataToCts0"), t.delayDataToCts0);
    settings.setValue(QStringLiteral("DelayCts0ToCts"), t.delayCts0ToCts);
    settings.setValue(QStringLiteral("DelayDataToAck"), t.delayDataToAck);
    settings.setValue(QStringLiteral("TimeoutDataToData"), t.timeoutDataToData);
    settings.setValue(QStringLiteral("TimeoutCtsToData"), t.timeoutCtsToData);
    settings.setValue(QStringLiteral("WindowSize"), t.windowSize);
    settings.endGroup();
}

bool TPConnection::isValidAnnouncement(quint16 size, quint8 packets)
{
    return size > 0 && packets > 0 && packets == (size + BytesPerPacket - 1) / BytesPerPacket;
}

TPConnection::TPConnection(const CanMessage &rts, J1939Device *device)
    : QObject(device)
    , m_pgn(quint32(rts.data[5]) | quint32(rts.data[6]) << 8)
    , m_peer(rts.address())
    , m_packets(rts.data[3])
    , m_size(quint16(rts.data[1] | rts.data[2] << 8))
    , m_timer(this)
{
    const int configured = timing().windowSize;
    m_window = quint8(std::clamp(configured, 1, std::max(1, int(m_packets))));
    m_data.reserve(m_packets * BytesPerPacket);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TPConnection::slotTimeout);
    qDebug("Creating connection from %s", qUtf8Printable(rts.toString()));
    qDebug("Announced %d packets, %d byte size, 0x%04x pgn", m_packets, m_size, m_pgn);
    if (rts.text.isEmpty())
        setText(rts, QStringLiteral("TP.CM.RTS from %1, size %2 bytes %3 packets, PGN %4")
                         .arg(m_peer, 2, 16, QLatin1Char('0'))
                         .arg(m_size)
                         .arg(m_packets)
                         .arg(m_pgn, 4, 16, QLatin1Char('0')));
    setState(WaitingToRespondRTS);
}

TPConnection::~TPConnection() = default;

J1939Device *TPConnection::device() const
{
    return qobject_cast<J1939Device *>(parent());
}

int TPConnection::dataMessage(const CanMessage &message)
{
    const quint8 s = message.data[0];
    if (message.text.isEmpty())
        setText(message, QStringLiteral("TP.DT seq %1").arg(s));
    if (s < m_next) {
        qDebug("TP: Got already processed message again %s", qUtf8Printable(message.toString()));
        return KeepGoing;
    }
    if (s > m_next) {
        qDebug("TP: Got unexpected message %s (expected next packet to be %d)",
               qUtf8Printable(message.toString()), m_next);
        return SequenceError;
    }
    if (s > m_packets) {
        qDebug("TP: Got unexpected message %s", qUtf8Printable(message.toString()));
        return KeepGoing;
    }
    m_data.append(reinterpret_cast<const char *>(message.data + 1), BytesPerPacket);
    ++m_next;
    if (s == m_packets) {
        m_data.truncate(m_size);
        setState(WaitingToSendAck);
        return Complete;
    }
    if (s % m_window == 0) {
        setState(WaitingToSendCTS0);
        return KeepGoing;
    }
    if (m_state == WaitingFirstData)
        setState(Receiving);
    return KeepGoing;
}

void TPConnection::setState(State s)
{
    qDebug("Connection state transition from %s to %s", stateName(m_state), stateName(s));
    m_state = s;
    m_timer.stop();
    const Timing t = timing();
    int interval = 0;
    switch (s) {
    case WaitingToRespondRTS:
        interval = t.delayRtsToCts;
        break;
    case WaitingFirstData:
        interval = t.timeoutCtsToData;
        break;
    case Receiving:
        interval = t.timeoutDataToData;
        break;
    case WaitingToSendCTS0:
        interval = t.delayDataToCts0;
        break;
    case Paused:
        interval = t.delayCts0ToCts;
        break;
    case WaitingToSendAck:
        interval = t.delayDataToAck;
        break;
    case WaitingTransmitterToSendAck:
        return;
    }
    m_timer.setInterval(std::max(0, interval));
    qDebug("Restarting timer with interval %d", m_timer.interval());
    m_timer.start();
}

quint8 TPConnection::packetsToRequest() const
{
    // A CTS never asks for packets beyond the end of the message.
    const int remaining = std::max(0, int(m_packets) - int(m_next) + 1);
    return quint8(std::min(int(m_window), remaining));
}

void TPConnection::sendCts(quint8 packets)
{
    J1939Device *d = device();
    if (!d)
        return;
    qDebug("Sending CTS[%d]", packets);
    const quint8 next = packets == 0 ? 0xFF : m_next;
    const quint8 payload[8] = {Cts, packets, next, 0xFF, 0xFF, quint8(m_pgn),
                               quint8(m_pgn >> 8), quint8(m_pgn >> 16)};
    CanMessage frame(0, payload, 8);
    frame.setPriority(TpPriority);
    frame.setPduFormat(PfControl);
    frame.setPduSpecific(m_peer);
    frame.setAddress(quint8(d->address().value));
    frame.text = QStringLiteral("TP.CM CTS windowSize %1 seq %2 PGN %3")
                     .arg(packets)
                     .arg(next)
                     .arg(m_pgn, 4, 16, QLatin1Char('0'));
    d->sendMessage(frame);
}

CanMessage TPConnection::ackMessage() const
{
    const J1939Device *d = device();
    const quint8 payload[8] = {EndOfMsgAck, quint8(m_size), quint8(m_size >> 8), m_packets, 0xFF,
                               quint8(m_pgn), quint8(m_pgn >> 8), quint8(m_pgn >> 16)};
    CanMessage frame(0, payload, 8);
    frame.setPriority(TpPriority);
    frame.setPduFormat(PfControl);
    frame.setPduSpecific(m_peer);
    frame.setAddress(d ? quint8(d->address().value) : quint8(0xFE));
    frame.text = QStringLiteral("TP.CM EndOfMsgAck %1 bytes, %2 packets, pgn %3")
                     .arg(m_size)
                     .arg(m_packets)
                     .arg(m_pgn, 4, 16, QLatin1Char('0'));
    return frame;
}

void TPConnection::slotTimeout()
{
    qDebug("Connection state timer timeout, current state %s", stateName(m_state));
    J1939Device *d = device();
    switch (m_state) {
    case WaitingToRespondRTS:
    case Paused:
        sendCts(packetsToRequest());
        setState(WaitingFirstData);
        break;
    case WaitingToSendCTS0:
        sendCts(0);
        setState(Paused);
        break;
    case WaitingFirstData:
    case Receiving:
        qDebug("Dropping connection from 0x%02x to 0x%02x", m_peer,
               d ? unsigned(d->address().value) : 0xFEu);
        m_timer.stop();
        if (d)
            d->dropConnection(m_peer);
        break;
    case WaitingToSendAck:
        if (d) {
            CanMessage ack = ackMessage();
            d->sendMessage(ack);
            d->dropConnection(m_peer);
        }
        break;
    case WaitingTransmitterToSendAck:
        break;
    }
}
