#include "model/j1939transport.h"

#include "can/dispatchresult.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/tpconnection.h"

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

bool J1939Transport::dispatchConnectionMessage(const CanMessage &message, DispatchResult *)
{
    const quint8 control = message.data[0];
    if (message.pduSpecific() != CanMessage::GlobalAddress || control != TPConnection::Bam) {
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
    m_broadcastTimer.start(m_broadcastReceiveTimeoutMs);
    return m_device->functionForPgn(m_broadcastPgn) != nullptr;
}

bool J1939Transport::dispatchDataTransmissionMessage(const CanMessage &message,
                                                     DispatchResult *result)
{
    // Only data of a broadcast (to global) belongs to the BAM being received; data this device
    // sends to a peer in a connection of its own is not part of it.
    if (m_broadcastState != BroadcastInProgress || m_broadcastSending
        || message.pduSpecific() != CanMessage::GlobalAddress)
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
        m_broadcastTimer.start(m_broadcastReceiveTimeoutMs);
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

// --- Connection-mode reception ------------------------------------------------------------

void J1939Transport::dispatchConnectionTargetMessage(const CanMessage &message)
{
    const quint8 peer = message.address();
    switch (message.data[0]) {
    case TPConnection::Rts:
        dropConnection(peer);
        openConnection(message);
        break;
    case TPConnection::ConnAbort:
        const_cast<CanMessage &>(message).text = QStringLiteral("TP.CM ConnAbort");
        dropConnection(peer);
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
