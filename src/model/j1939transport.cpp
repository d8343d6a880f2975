#include "model/j1939transport.h"

#include "can/dispatchresult.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/tpconnection.h"
#include "model/tpsendconnection.h"

#include <QDebug>
#include <QThread>

#include <cstring>

namespace {
constexpr int BytesPerPacket = 7;
constexpr quint8 TpPriority = 6;
} // namespace

J1939Transport::J1939Transport(J1939Device *device)
    : m_device(device)
    , m_broadcastTimer(device)
{
    // A coarse timer may fire a time-out up to 5 % early.
    m_broadcastTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_broadcastTimer, &QTimer::timeout, device,
                     &J1939Device::slotBroadcastTimeout);
}

CanMessage J1939Transport::transportFrame(quint8 pf, const quint8 *payload) const
{
    CanMessage frame(0, payload, 8);
    frame.setPriority(TpPriority);
    frame.setPduFormat(pf);
    frame.setPduSpecific(CanMessage::GlobalAddress);
    frame.setAddress(quint8(m_device->address().value));
    return frame;
}

// --- Broadcast transmission ---------------------------------------------------------------

void J1939Transport::transmitBroadcastData(const unsigned char *data, unsigned int length,
                                           unsigned int pgn)
{
    if (QThread::currentThread() != m_broadcastTimer.thread()) {
        // The broadcast timer belongs to the device's thread: continue there.
        const QByteArray copy(reinterpret_cast<const char *>(data), int(length));
        QMetaObject::invokeMethod(
            m_device,
            [this, copy, pgn] {
                transmitBroadcastData(reinterpret_cast<const unsigned char *>(copy.constData()),
                                      unsigned(copy.size()), pgn);
            },
            Qt::QueuedConnection);
        return;
    }
    if (m_broadcastState == BroadcastInProgress) {
        qDebug("Unable to send BAM %06x: another broadcast in progress", pgn);
        return;
    }
    // The announcement carries the size in one byte's range for this path.
    length = std::min(length, 255u);
    m_broadcastData = QByteArray(reinterpret_cast<const char *>(data), int(length));
    m_broadcastState = BroadcastInProgress;
    m_broadcastSending = true;
    m_broadcastNext = 1;
    m_broadcastPgn = pgn;
    m_broadcastSize = int(length);
    m_broadcastPackets = (int(length) + BytesPerPacket - 1) / BytesPerPacket;
    const quint8 announce[8] = {
        TPConnection::Bam, quint8(length),   quint8(length >> 8), quint8(m_broadcastPackets), 0xFF,
        quint8(pgn),       quint8(pgn >> 8), quint8(pgn >> 16)};
    CanMessage cm = transportFrame(J1939Device::PfTransportControl, announce);
    m_device->sendMessage(cm);
    m_broadcastTimer.setSingleShot(false);
    m_broadcastTimer.start(BroadcastTransmitIntervalMs);
}

void J1939Transport::sendNextBroadcastPacket()
{
    // Bytes of the last packet beyond the message are not available: 0xFF.
    quint8 payload[8] = {quint8(m_broadcastNext), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const int offset = (m_broadcastNext - 1) * BytesPerPacket;
    const int n = std::min(BytesPerPacket, m_broadcastSize - offset);
    if (n > 0)
        std::memcpy(payload + 1, m_broadcastData.constData() + offset, size_t(n));
    CanMessage dt = transportFrame(J1939Device::PfTransportData, payload);
    m_device->sendMessage(dt);
    if (m_broadcastNext >= m_broadcastPackets) {
        m_broadcastTimer.stop();
        m_broadcastState = BroadcastIdle;
        m_broadcastSending = false;
    } else {
        ++m_broadcastNext;
    }
}

void J1939Transport::broadcastTimeout()
{
    if (m_broadcastSending) {
        sendNextBroadcastPacket();
        return;
    }
    m_broadcastTimer.stop();
    m_broadcastState = BroadcastTimedOut;
    qDebug("Broadcast timeout");
}

// --- Broadcast reception ------------------------------------------------------------------

bool J1939Transport::dispatchConnectionMessage(const CanMessage &message, DispatchResult *result)
{
    const quint8 control = message.data[0];
    if (message.pduSpecific() != CanMessage::GlobalAddress)
        return observeControl(message, result);
    if (control != TPConnection::Bam) {
        qDebug("TP.CM not implemented yet: PDUF = %02x, DATA1 = %02x", message.pduSpecific(),
               control);
        return false;
    }
    if (m_broadcastSending) {
        // A frame with our own address while we broadcast: another node claims it.
        qDebug("TP.CM BAM from 0x%02x ignored while sending a broadcast",
               unsigned(m_device->address().value));
        return false;
    }
    const quint16 size = quint16(message.data[1] | message.data[2] << 8);
    const quint8 packets = message.data[3];
    if (message.length < 8 || !TPConnection::isValidAnnouncement(size, packets)) {
        // Size and packet count must agree, or a delivered message could not have the size
        // announced.
        qDebug("Invalid BAM announcement: %d bytes in %d packets", size, packets);
        m_broadcastTimer.stop();
        m_broadcastState = BroadcastIdle;
        return false;
    }
    m_broadcastSize = size;
    m_broadcastPackets = packets;
    m_broadcastPgn = quint32(message.data[5]) | quint32(message.data[6]) << 8;
    m_broadcastData.clear();
    m_broadcastData.reserve(packets * BytesPerPacket);
    m_broadcastState = BroadcastInProgress;
    m_broadcastTimer.setSingleShot(true);
    restartBroadcastReceiveTimer();
    return m_device->functionForPgn(m_broadcastPgn) != nullptr;
}

void J1939Transport::restartBroadcastReceiveTimer()
{
    // Offline, the decoder of a recording judges the time-out on the recording's own time.
    const DeviceDispatcher *bus = m_device->dispatcher();
    if (!bus || !bus->decodesOffline())
        m_broadcastTimer.start(m_broadcastReceiveTimeoutMs);
}

bool J1939Transport::dispatchDataTransmissionMessage(const CanMessage &message,
                                                     DispatchResult *result)
{
    // Only data of a broadcast (to global) belongs to the BAM being received; data this device
    // sends to a peer belongs to the connection to that peer.
    if (message.pduSpecific() != CanMessage::GlobalAddress)
        return observeData(message, result);
    if (m_broadcastState != BroadcastInProgress || m_broadcastSending)
        return false;
    const int sequence = message.data[0];
    if (sequence == 0 || sequence > m_broadcastPackets) {
        qDebug("Invalid sequence number");
        return false;
    }
    const int position = (sequence - 1) * BytesPerPacket;
    if (position != m_broadcastData.size()) {
        qDebug("Invalid packet sequence: expected %d instead got %d", position,
               int(m_broadcastData.size()));
        return false;
    }
    m_broadcastData.append(reinterpret_cast<const char *>(message.data + 1), BytesPerPacket);
    if (sequence < m_broadcastPackets) {
        restartBroadcastReceiveTimer();
        return true;
    }
    m_broadcastData.truncate(m_broadcastSize);
    result->pgn = m_broadcastPgn;
    result->payload = m_broadcastData;
    m_broadcastTimer.stop();
    m_broadcastState = BroadcastIdle;
    StaticPgnJ1939DeviceFunction *function = m_device->functionForPgn(m_broadcastPgn);
    if (!function)
        return false;
    // The function received its message: its receive supervision, state and count follow.
    result->item = function;
    function->dispatchCompletedBroadcast(message, result, m_broadcastData);
    return true;
}

// --- Connections the device sends, followed on the bus ------------------------------------

bool J1939Transport::observeControl(const CanMessage &message, DispatchResult *result)
{
    const quint8 destination = message.pduSpecific();
    switch (message.data[0]) {
    case TPConnection::Rts: {
        // A new RTS to the same destination replaces the connection to it.
        m_observed.remove(destination);
        const quint16 size = quint16(message.data[1] | message.data[2] << 8);
        if (message.length < 8 || !TPConnection::isValidAnnouncement(size, message.data[3])) {
            qDebug("Invalid RTS to 0x%02x: %d bytes in %d packets", destination, size,
                   message.data[3]);
            return false;
        }
        const quint32 pgn = quint32(message.data[5]) | quint32(message.data[6]) << 8;
        m_observed.insert(destination,
                          TPObservedSession(pgn, size, message.data[3], result->timestamp));
        return m_device->functionForPgn(pgn) != nullptr;
    }
    case TPConnection::ConnAbort: {
        // The device gave up its connection; an abort of another PGN refuses one the
        // destination sends to the device, and leaves this one alone.
        const auto it = m_observed.find(destination);
        const quint32 pgn = quint32(message.data[5]) | quint32(message.data[6]) << 8;
        if (it == m_observed.end() || it->pgn() != pgn)
            return false;
        m_observed.erase(it);
        return true;
    }
    default:
        // CTS and acknowledgements of connections others send to the device are not followed.
        qDebug("TP.CM not implemented yet: PDUF = %02x, DATA1 = %02x", destination,
               message.data[0]);
        return false;
    }
}

bool J1939Transport::observeData(const CanMessage &message, DispatchResult *result)
{
    const quint8 destination = message.pduSpecific();
    auto it = m_observed.find(destination);
    if (it == m_observed.end())
        return false;
    if (it->isExpired(result->timestamp, m_observedTimeoutMs)) {
        qDebug("Connection from 0x%02x to 0x%02x timed out", unsigned(m_device->address().value),
               destination);
        m_observed.erase(it);
        return false;
    }
    switch (it->take(message, result->timestamp)) {
    case TPObservedSession::Invalid:
        qDebug("Invalid sequence number");
        return false;
    case TPObservedSession::Taken:
        return true;
    case TPObservedSession::Complete:
        break;
    }
    const quint32 pgn = it->pgn();
    const QByteArray data = it->message();
    m_observed.erase(it);
    // Delivered as a completed broadcast is: the function shows what the device sent.
    result->pgn = pgn;
    result->payload = data;
    StaticPgnJ1939DeviceFunction *function = m_device->functionForPgn(pgn);
    if (!function)
        return false;
    result->item = function;
    function->dispatchCompletedBroadcast(message, result, data);
    return true;
}

// --- Connection-mode transmission ---------------------------------------------------------

J1939Transport::AnswerScope::AnswerScope(J1939Transport *transport, quint8 requester)
    : m_transport(transport)
    , m_previous(transport->m_answerTo)
{
    m_transport->m_answerTo = requester;
}

J1939Transport::AnswerScope::~AnswerScope()
{
    m_transport->m_answerTo = m_previous;
}

quint8 J1939Transport::answerDestination() const
{
    // Set and read only in the device's thread: a send from elsewhere is never an answer.
    return QThread::currentThread() == m_device->thread() ? m_answerTo : CanMessage::GlobalAddress;
}

void J1939Transport::transmitConnectionData(const QByteArray &data, quint32 pgn, quint8 peer)
{
    if (data.size() > TPSendConnection::MaxSize) {
        qDebug("Unable to send %d bytes of PGN %06x by the transport protocol", int(data.size()),
               pgn);
        return;
    }
    if (m_sendConnections.contains(peer)) {
        // One connection per direction between two nodes: the running one goes on.
        qDebug("Unable to answer 0x%02x with PGN %06x: a connection to it is running", peer, pgn);
        CanMessage abort = TPSendConnection::abortFrame(quint8(m_device->address().value), peer,
                                                        pgn, TPSendConnection::AlreadyInSession);
        m_device->sendMessage(abort);
        return;
    }
    auto *connection = new TPSendConnection(m_device, peer, pgn, data);
    m_sendConnections.insert(peer, connection);
    connection->start();
}

void J1939Transport::dropSendConnection(quint8 peer)
{
    TPSendConnection *connection = m_sendConnections.take(peer);
    if (connection)
        connection->deleteLater();
}

// --- Connection-mode reception ------------------------------------------------------------

void J1939Transport::dispatchConnectionTargetMessage(const CanMessage &message)
{
    const quint8 peer = message.address();
    // Frames about the connection the device sends to the peer carry its PGN.
    TPSendConnection *sending = m_sendConnections.value(peer);
    const quint32 pgn
        = quint32(message.data[5]) | quint32(message.data[6]) << 8 | quint32(message.data[7]) << 16;
    const bool forSending = sending && message.length >= 8 && pgn == sending->pgn();
    switch (message.data[0]) {
    case TPConnection::Rts:
        dropConnection(peer);
        openConnection(message);
        break;
    case TPConnection::ConnAbort:
        const_cast<CanMessage &>(message).text = QStringLiteral("TP.CM ConnAbort");
        if (forSending) {
            sending->controlMessage(message);
            // The peer's reception of the same PGN, if any, ends with it.
            if (TPConnection *receiving = connectionFrom(peer);
                receiving && receiving->pgn() != pgn)
                break;
        }
        dropConnection(peer);
        break;
    case TPConnection::Cts:
    case TPConnection::EndOfMsgAck:
        if (forSending) {
            sending->controlMessage(message);
            break;
        }
        qDebug("Got unexpected TP.CM message");
        break;
    default:
        qDebug("Got unexpected TP.CM message");
        break;
    }
}

void J1939Transport::dispatchDataTransmissionTargetMessage(const CanMessage &message)
{
    TPConnection *connection = connectionFrom(message.address());
    if (!connection) {
        qDebug("TP error, no connection for data message %s", qUtf8Printable(message.toString()));
        return;
    }
    switch (connection->dataMessage(message)) {
    case TPConnection::Complete:
        m_device->dispatchTargetLongMessage(connection);
        break;
    case TPConnection::SequenceError:
        qDebug("Unexpected message");
        dropConnection(message.address());
        break;
    default:
        break;
    }
}

TPConnection *J1939Transport::openConnection(const CanMessage &rts)
{
    const quint16 size = quint16(rts.data[1] | rts.data[2] << 8);
    if (rts.length < 8 || !TPConnection::isValidAnnouncement(size, rts.data[3])) {
        qDebug("Invalid RTS from 0x%02x: %d bytes in %d packets", rts.address(), size, rts.data[3]);
        return nullptr;
    }
    auto *connection = new TPConnection(rts, m_device);
    m_connections.insert(rts.address(), connection);
    return connection;
}

void J1939Transport::dropConnection(quint8 peer)
{
    TPConnection *connection = m_connections.take(peer);
    if (!connection)
        return;
    connection->timer()->stop();
    // Deferred: a connection may drop itself from its own timer slot.
    connection->deleteLater();
}
