#include "model/j1939device.h"

#include "descriptions/unknownpgnfactory.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/tpconnection.h"

#include <QDebug>
#include <QDomElement>
#include <QThread>

#include <cstring>

namespace {
constexpr int BytesPerPacket = 7;
constexpr quint8 TpPriority = 6;
constexpr quint8 GlobalAddress = 0xFF;
} // namespace

J1939Device::J1939Device(quint8 address, QObject *parent)
    : CanDevice(parent)
    , m_broadcastTimer(this)
{
    setAddress({ItemAddress::J1939, address});
    // A coarse timer may fire a time-out up to 5 % early.
    m_broadcastTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_broadcastTimer, &QTimer::timeout, this, &J1939Device::slotBroadcastTimeout);
}

J1939Device::~J1939Device()
{
    if (AbstractDeviceFactory *factory = AbstractDisplayableItem::subFactory()) {
        if (factory->thread() == QThread::currentThread())
            delete factory;
        else
            factory->deleteLater();
    }
}

bool J1939Device::matchMessage(const CanMessage &message)
{
    return message.extended && message.address() == address().value;
}

int J1939Device::state() const
{
    const auto &functions = children();
    if (functions.isEmpty())
        return Unknown;
    int candidate = Unknown;
    bool haveCandidate = false;
    for (const AbstractDisplayableItem *function : functions) {
        const int s = function->state();
        if (!haveCandidate) {
            if (s != Unknown) {
                candidate = s;
                haveCandidate = true;
            }
        } else if (s != candidate) {
            return Mixed;
        }
    }
    return candidate;
}

bool J1939Device::isGlobalAddressClaimRequest(const CanMessage &message)
{
    return message.extended && message.pduFormat() == PfRequest
           && message.pduSpecific() == CanMessage::GlobalAddress && message.length >= 3
           && message.data[0] == 0x00 && message.data[1] == PfAddressClaim
           && message.data[2] == 0x00;
}

bool J1939Device::matchTargetMessage(const CanMessage &message)
{
    if (state() != Send)
        return false;
    if (isGlobalAddressClaimRequest(message))
        return true;
    return message.isUnicast() && message.pduSpecific() == address().value;
}

bool J1939Device::setState(int v)
{
    const bool changed = AbstractDisplayableItem::setState(v);
    if (changed) {
        for (AbstractDisplayableItem *function : children())
            function->setState(v);
    }
    return changed;
}

bool J1939Device::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    const quint8 pf = message.pduFormat();
    if (pf == PfTransportData)
        return dispatchDataTransmissionMessage(message, result);
    if (pf == PfTransportControl)
        return dispatchConnectionMessage(message, result);
    return AbstractDisplayableItem::dispatchMessageImpl(message, result);
}

bool J1939Device::dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result)
{
    const quint8 pf = message.pduFormat();
    if (pf == PfTransportData || pf == PfTransportControl) {
        result->targetItem = this;
        if (pf == PfTransportData)
            dispatchDataTransmissionTargetMessage(message);
        else
            dispatchConnectionTargetMessage(message);
        return true;
    }
    if (pf == PfRequest) {
        result->targetItem = this;
        answerRequest(message);
        return true;
    }
    return AbstractDisplayableItem::dispatchTargetMessageImpl(message, result);
}

bool J1939Device::answerRequest(const CanMessage &message)
{
    if (message.length < 3)
        return false;
    // The requested PGN, least significant byte first; its PF and PS pick the function.
    const quint32 requested
        = quint32(message.data[0]) | quint32(message.data[1]) << 8 | quint32(message.data[2]) << 16;
    const quint32 pgnValue = requested & 0xFFFF;
    for (AbstractDisplayableItem *child : children()) {
        auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(child);
        if (function && !function->isPaused() && function->pgnValue() == pgnValue) {
            function->transmitState();
            return true;
        }
    }
    return false;
}

StaticPgnJ1939DeviceFunction *J1939Device::functionForPgn(quint32 pgnValue) const
{
    for (AbstractDisplayableItem *child : children()) {
        auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(child);
        if (function && function->pgnValue() == pgnValue)
            return function;
    }
    return nullptr;
}

AbstractDeviceFactory *J1939Device::subFactory()
{
    if (!AbstractDisplayableItem::subFactory())
        setSubFactory(new UnknownPgnFactory(this));
    return AbstractDisplayableItem::subFactory();
}

AbstractDisplayableItem *J1939Device::findOrCreateFunction(const QByteArray &key,
                                                          const QString &addressText)
{
    bool ok = false;
    const uint pgn = addressText.toUInt(&ok, 16);
    if (!ok)
        return nullptr;
    for (AbstractDisplayableItem *existing : children()) {
        const ItemAddress a = existing->address();
        if (a.kind == ItemAddress::Pgn && a.value == pgn)
            return existing;
    }
    // A function made for unknown traffic has no catalogue entry: its key names the kind and
    // its address the PGN.
    AbstractDeviceFactory *factory = subFactory();
    AbstractDisplayableItem *child
        = factory ? factory->createDeviceFromKey(key, {ItemAddress::Pgn, pgn}) : nullptr;
    if (child)
        registerChild(child);
    return child;
}

bool J1939Device::applyXmlData(QDomElement &element)
{
    for (QDomElement func = element.firstChildElement(QStringLiteral("func")); !func.isNull();
         func = func.nextSiblingElement(QStringLiteral("func"))) {
        if (func.attribute(QStringLiteral("internal")) != QLatin1String("true")) {
            auto *function = new XmlStaticPgnJ1939DeviceFunction(func);
            registerChild(function);
            function->restoreParameterValues(func);
            continue;
        }
        const QByteArray key = func.attribute(QStringLiteral("key")).toLatin1();
        AbstractDisplayableItem *child = factoryCreateChild(key);
        if (!child)
            child = findOrCreateFunction(key, func.attribute(QStringLiteral("address")));
        if (!child)
            break; // the rest of this device's functions is not read
        // The kind has its own way of sending; a reference only sets its period.
        child->applyXmlAttributes(func, PeriodKeepsType);
        for (QDomElement nested = func.firstChildElement(QStringLiteral("func")); !nested.isNull();
             nested = nested.nextSiblingElement(QStringLiteral("func"))) {
            if (nested.attribute(QStringLiteral("internal")) != QLatin1String("true"))
                continue;
            // Nested items come back by key and saved address: one key may stand for several
            // addresses (sensor models).
            AbstractDeviceFactory *factory = child->subFactory();
            AbstractDisplayableItem *grandchild
                = factory ? factory->restoreDevice(nested.attribute(QStringLiteral("key")).toLatin1(),
                                                   nested.attribute(QStringLiteral("address")))
                          : nullptr;
            if (grandchild) {
                child->registerChild(grandchild);
                grandchild->applyXmlAttributes(nested, PeriodKeepsType);
                grandchild->restoreParameterValues(nested);
            }
        }
        child->restoreParameterValues(func);
    }
    return true;
}

void J1939Device::dispatchTargetLongMessage(TPConnection *connection)
{
    if (StaticPgnJ1939DeviceFunction *function = functionForPgn(connection->pgn()))
        function->dispatchTargetLongMessage(connection);
}

CanMessage J1939Device::transportFrame(quint8 pf, const quint8 *payload) const
{
    CanMessage frame(0, payload, 8);
    frame.setPriority(TpPriority);
    frame.setPduFormat(pf);
    frame.setPduSpecific(GlobalAddress);
    frame.setAddress(quint8(address().value));
    return frame;
}

// --- Broadcast transmission ---------------------------------------------------------------

void J1939Device::transmitBroadcastData(const unsigned char *data, unsigned int length,
                                        unsigned int pgn)
{
    if (QThread::currentThread() != m_broadcastTimer.thread()) {
        // The broadcast timer belongs to the device's thread: continue there.
        const QByteArray copy(reinterpret_cast<const char *>(data), int(length));
        QMetaObject::invokeMethod(
            this,
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
    CanMessage cm = transportFrame(PfTransportControl, announce);
    sendMessage(cm);
    m_broadcastTimer.setSingleShot(false);
    m_broadcastTimer.start(BroadcastTransmitIntervalMs);
}

void J1939Device::sendNextBroadcastPacket()
{
    // Bytes of the last packet beyond the message are not available: 0xFF.
    quint8 payload[8] = {quint8(m_broadcastNext), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const int offset = (m_broadcastNext - 1) * BytesPerPacket;
    const int n = std::min(BytesPerPacket, m_broadcastSize - offset);
    if (n > 0)
        std::memcpy(payload + 1, m_broadcastData.constData() + offset, size_t(n));
    CanMessage dt = transportFrame(PfTransportData, payload);
    sendMessage(dt);
    if (m_broadcastNext >= m_broadcastPackets) {
        m_broadcastTimer.stop();
        m_broadcastState = BroadcastIdle;
        m_broadcastSending = false;
    } else {
        ++m_broadcastNext;
    }
}

void J1939Device::slotBroadcastTimeout()
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

bool J1939Device::dispatchConnectionMessage(const CanMessage &message, DispatchResult *)
{
    const quint8 control = message.data[0];
    if (message.pduSpecific() != GlobalAddress || control != TPConnection::Bam) {
        qDebug("TP.CM not implemented yet: PDUF = %02x, DATA1 = %02x", message.pduSpecific(),
               control);
        return false;
    }
    if (m_broadcastSending) {
        // A frame with our own address while we broadcast: another node claims it.
        qDebug("TP.CM BAM from 0x%02x ignored while sending a broadcast",
               unsigned(address().value));
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
    return functionForPgn(m_broadcastPgn) != nullptr;
}

bool J1939Device::dispatchDataTransmissionMessage(const CanMessage &message, DispatchResult *result)
{
    // Only data of a broadcast (to global) belongs to the BAM being received; data this device
    // sends to a peer in a connection of its own is not part of it.
    if (m_broadcastState != BroadcastInProgress || m_broadcastSending
        || message.pduSpecific() != GlobalAddress)
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
    StaticPgnJ1939DeviceFunction *function = functionForPgn(m_broadcastPgn);
    if (!function)
        return false;
    // The function received its message: its receive supervision, state and count follow.
    result->item = function;
    function->dispatchCompletedBroadcast(message, result, m_broadcastData);
    return true;
}

// --- Connection-mode reception ------------------------------------------------------------

void J1939Device::dispatchConnectionTargetMessage(const CanMessage &message)
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

void J1939Device::dispatchDataTransmissionTargetMessage(const CanMessage &message)
{
    TPConnection *connection = getConnection(message.address());
    if (!connection) {
        qDebug("TP error, no connection for data message %s", qUtf8Printable(message.toString()));
        return;
    }
    switch (connection->dataMessage(message)) {
    case TPConnection::Complete:
        dispatchTargetLongMessage(connection);
        break;
    case TPConnection::SequenceError:
        qDebug("Unexpected message");
        dropConnection(message.address());
        break;
    default:
        break;
    }
}

TPConnection *J1939Device::openConnection(const CanMessage &rts)
{
    const quint16 size = quint16(rts.data[1] | rts.data[2] << 8);
    if (rts.length < 8 || !TPConnection::isValidAnnouncement(size, rts.data[3])) {
        qDebug("Invalid RTS from 0x%02x: %d bytes in %d packets", rts.address(), size, rts.data[3]);
        return nullptr;
    }
    auto *connection = new TPConnection(rts, this);
    m_connections.insert(rts.address(), connection);
    return connection;
}

TPConnection *J1939Device::getConnection(quint8 peer) const
{
    return m_connections.value(peer, nullptr);
}

void J1939Device::dropConnection(quint8 peer)
{
    TPConnection *connection = m_connections.take(peer);
    if (!connection)
        return;
    connection->timer()->stop();
    // Deferred: a connection may drop itself from its own timer slot.
    connection->deleteLater();
}
