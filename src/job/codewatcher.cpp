#include "job/codewatcher.h"

#include "model/j1939device.h"

#include <QStringList>

namespace {

constexpr quint32 PgnMask = 0x3FFFF;

bool isTransport(const CanMessage &m)
{
    return m.pduFormat() == J1939Device::PfTransportControl
           || m.pduFormat() == J1939Device::PfTransportData;
}

const CodeWatcher::Code *find(const CodeWatcher::Codes &codes, const CodeWatcher::Code &code)
{
    for (const CodeWatcher::Code &c : codes) {
        if (c.sameFault(code))
            return &c;
    }
    return nullptr;
}

QString codeText(const CodeWatcher::Code &c)
{
    return QStringLiteral("SPN %1 FMI %2").arg(c.spn).arg(c.fmi);
}

} // namespace

void CodeWatcher::takeDm1(quint8 source, qint64 timeUs, const QByteArray &data,
                          QVector<Change> *changes)
{
    // Lamps and at least one code field: anything shorter is no DM1 to judge codes by.
    if (data.size() < TroubleCode::LampBytes + TroubleCode::Bytes)
        return;
    Unit &unit = m_units[source];
    const Codes now = TroubleCode::decodeFaults(data);
    Change change;
    change.timeUs = timeUs;
    change.source = source;
    change.codesAfter = now;
    if (!unit.known) {
        unit.known = true;
        unit.codes = now;
        if (!now.isEmpty()) {
            change.baseline = true;
            changes->append(change);
        }
        return;
    }
    for (const Code &c : now) {
        const Code *before = find(unit.codes, c);
        if (!before)
            change.appeared.append(c);
        else if (before->oc != c.oc)
            change.countChanged.append(c);
    }
    for (const Code &c : qAsConst(unit.codes)) {
        if (!find(now, c))
            change.gone.append(c);
    }
    unit.codes = now;
    if (!change.appeared.isEmpty() || !change.gone.isEmpty() || !change.countChanged.isEmpty())
        changes->append(change);
}

QVector<CodeWatcher::Change> CodeWatcher::take(const TimedFrame &frame)
{
    QVector<Change> changes;
    const CanMessage &m = frame.message;
    if (!m.extended)
        return changes;
    if (isTransport(m)) {
        m_transport.take(m, frame.timeUs);
        // Taken out as they end, so the monitor keeps nothing whatever the length of the run.
        for (const TransportMonitor::Session &s : m_transport.takeEnded()) {
            if (s.complete && (s.pgn & PgnMask) == PgnDm1)
                takeDm1(s.source, s.lastUs, s.data, &changes);
        }
        return changes;
    }
    if ((m.pgn() & PgnMask) == PgnDm1)
        takeDm1(m.address(), frame.timeUs,
                QByteArray(reinterpret_cast<const char *>(m.data), m.length), &changes);
    return changes;
}

QString CodeWatcher::Change::text() const
{
    QStringList parts;
    if (baseline) {
        for (const Code &c : codesAfter)
            parts << codeText(c) + QStringLiteral(" active at the start");
    }
    for (const Code &c : appeared)
        parts << codeText(c) + QStringLiteral(" appeared");
    for (const Code &c : gone)
        parts << codeText(c) + QStringLiteral(" gone");
    for (const Code &c : countChanged)
        parts << codeText(c) + QStringLiteral(" occurrence count %1").arg(c.oc);
    return parts.join(QStringLiteral("; "));
}
