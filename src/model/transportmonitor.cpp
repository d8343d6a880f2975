#include "model/transportmonitor.h"

#include "model/j1939device.h"
#include "model/tpconnection.h"

#include <QCoreApplication>

#include <cstring>

namespace {

constexpr qint64 ExpiryCheckUs = 10000;
constexpr int BytesPerPacket = 7;

} // namespace

QString TransportMonitor::abortReasonText(quint8 reason)
{
    switch (reason) {
    case 1:
        return QCoreApplication::translate("Cli", "already in a connection");
    case 2:
        return QCoreApplication::translate("Cli", "resources needed elsewhere");
    case 3:
        return QCoreApplication::translate("Cli", "time-out");
    case 4:
        return QCoreApplication::translate("Cli", "CTS while data transfer in progress");
    case 5:
        return QCoreApplication::translate("Cli", "maximum retransmit request limit reached");
    case 6:
        return QCoreApplication::translate("Cli", "unexpected data transfer packet");
    case 7:
        return QCoreApplication::translate("Cli", "bad sequence number");
    case 8:
        return QCoreApplication::translate("Cli", "duplicate sequence number");
    case 9:
        return QCoreApplication::translate("Cli", "message size above 1785 bytes");
    default:
        return QCoreApplication::translate("Cli", "reason %1").arg(reason);
    }
}

void TransportMonitor::end(quint32 key, const QString &outcome, Ending ending)
{
    auto it = m_open.find(key);
    if (it == m_open.end())
        return;
    it->outcome = outcome;
    it->ending = ending;
    m_ended.append(*it);
    m_open.erase(it);
}

void TransportMonitor::expire(qint64 nowUs)
{
    struct Expired
    {
        quint32 key;
        QString outcome;
    };
    QVector<Expired> expired;
    for (auto it = m_open.cbegin(); it != m_open.cend(); ++it) {
        const Session &s = *it;
        const qint64 gap = nowUs - s.lastUs;
        if (s.kind == Bam) {
            if (gap > T1Us)
                expired.append({it.key(), QCoreApplication::translate(
                                              "Cli", "time-out between packets (T1)")});
        } else if (s.complete) {
            if (gap > T3Us)
                expired.append(
                    {it.key(), QCoreApplication::translate("Cli", "no acknowledgement (T3)")});
        } else if (s.holding) {
            if (gap > T4Us)
                expired.append(
                    {it.key(), QCoreApplication::translate("Cli", "held open too long (T4)")});
        } else if (s.received < s.cleared) {
            if (gap > (s.afterCts ? T2Us : T1Us))
                expired.append({it.key(), QCoreApplication::translate(
                                              "Cli", "time-out waiting for data (T1/T2)")});
        } else if (gap > T3Us) {
            expired.append({it.key(), QCoreApplication::translate("Cli", "no CTS (T3)")});
        }
    }
    for (const auto &e : expired)
        end(e.key, e.outcome, TimedOut);
}

void TransportMonitor::take(const CanMessage &m, qint64 timeUs)
{
    if (!m.extended)
        return;
    if (timeUs >= m_nextExpiryCheckUs && !m_open.isEmpty()) {
        expire(timeUs);
        m_nextExpiryCheckUs = timeUs + ExpiryCheckUs;
    }
    const quint8 pf = m.pduFormat();
    if (pf == J1939Device::PfTransportControl)
        takeControl(m, timeUs);
    else if (pf == J1939Device::PfTransportData)
        takeData(m, timeUs);
}

void TransportMonitor::takeControl(const CanMessage &m, qint64 timeUs)
{
    if (m.length < 8)
        return;
    const quint8 source = m.address();
    const quint8 destination = m.pduSpecific();
    const quint32 pgn = quint32(m.data[5]) | quint32(m.data[6]) << 8 | quint32(m.data[7]) << 16;
    switch (m.data[0]) {
    case TPConnection::Bam:
    case TPConnection::Rts: {
        const bool bam = m.data[0] == TPConnection::Bam;
        if (bam != (destination == CanMessage::GlobalAddress))
            return; // a BAM to one node or an RTS to all is not a session
        const quint32 key = keyOf(source, destination);
        end(key, QCoreApplication::translate("Cli", "replaced by a new announcement"), Broken);
        Session s;
        s.kind = bam ? Bam : Connection;
        s.source = source;
        s.destination = destination;
        s.pgn = pgn;
        s.size = m.data[1] | m.data[2] << 8;
        s.packets = m.data[3];
        s.startUs = s.lastUs = timeUs;
        s.cleared = bam ? s.packets : 0;
        if (!TPConnection::isValidAnnouncement(quint16(s.size), quint8(s.packets))) {
            s.outcome = QCoreApplication::translate("Cli",
                                                    "invalid announcement (%1 bytes in %2 packets)")
                            .arg(s.size)
                            .arg(s.packets);
            s.ending = Broken;
            m_ended.append(s);
            return;
        }
        m_open.insert(key, s);
        return;
    }
    case TPConnection::Cts: {
        // From the receiver (source) to the sender (destination).
        auto it = m_open.find(keyOf(destination, source));
        if (it == m_open.end() || it->kind != Connection)
            return;
        const int count = m.data[1];
        const int next = m.data[2];
        it->lastUs = timeUs;
        it->holding = count == 0;
        it->afterCts = count > 0;
        if (count > 0) {
            it->received = next - 1; // a repeat request starts again there
            it->cleared = next - 1 + count;
        }
        return;
    }
    case TPConnection::EndOfMsgAck: {
        const quint32 key = keyOf(destination, source);
        auto it = m_open.find(key);
        if (it == m_open.end() || it->kind != Connection)
            return;
        it->lastUs = timeUs;
        if (it->complete)
            end(key, QCoreApplication::translate("Cli", "completed"), Completed);
        else
            end(key, QCoreApplication::translate("Cli", "acknowledged before all data"), Broken);
        return;
    }
    case TPConnection::ConnAbort: {
        // Either side may abort: the sender's session is keyed by itself, the receiver's abort
        // names the sender as destination.
        const QString reason
            = QCoreApplication::translate("Cli", "aborted by %1: %2")
                  .arg(QStringLiteral("%1").arg(source, 2, 16, QLatin1Char('0')).toUpper(),
                       abortReasonText(m.data[1]));
        const quint32 key = m_open.contains(keyOf(source, destination))
                                ? keyOf(source, destination)
                                : keyOf(destination, source);
        auto it = m_open.find(key);
        if (it != m_open.end())
            it->lastUs = timeUs;
        end(key, reason, Aborted);
        return;
    }
    default:
        return;
    }
}

void TransportMonitor::takeData(const CanMessage &m, qint64 timeUs)
{
    const quint32 key = keyOf(m.address(), m.pduSpecific());
    auto it = m_open.find(key);
    if (it == m_open.end() || m.length < 1)
        return;
    const int sequence = m.data[0];
    it->lastUs = timeUs;
    if (it->kind == Connection && it->holding) {
        end(key, QCoreApplication::translate("Cli", "data while the receiver held the connection"),
            Broken);
        return;
    }
    if (sequence != it->received + 1 || sequence > it->cleared) {
        end(key,
            QCoreApplication::translate("Cli", "bad sequence number %1 (expected %2)")
                .arg(sequence)
                .arg(it->received + 1),
            Broken);
        return;
    }
    it->received = sequence;
    it->afterCts = false;
    // A packet sent again after a CTS that asked for it replaces its bytes.
    const int offset = (sequence - 1) * BytesPerPacket;
    if (it->data.size() < offset + BytesPerPacket)
        it->data.resize(offset + BytesPerPacket);
    std::memcpy(it->data.data() + offset, m.data + 1, BytesPerPacket);
    if (sequence < it->packets)
        return;
    it->complete = true;
    it->data.truncate(it->size);
    // A broadcast ends with its last packet; a connection with the receiver's acknowledgement.
    if (it->kind == Bam)
        end(key, QCoreApplication::translate("Cli", "completed"), Completed);
}

void TransportMonitor::finish(qint64 endUs)
{
    expire(endUs);
    const QList<quint32> keys = m_open.keys();
    for (quint32 key : keys)
        end(key, QCoreApplication::translate("Cli", "unfinished at the end of the recording"),
            Unfinished);
}

QVector<TransportMonitor::Session> TransportMonitor::takeEnded()
{
    QVector<Session> ended;
    ended.swap(m_ended);
    return ended;
}
