#include "cli/faulthistory.h"

#include "cli/cli.h"

#include <QCoreApplication>

QString FaultHistory::lampName(int lamp)
{
    static const char *const names[LampCount] = {"MIL", "RSL", "AWL", "PL"};
    return QString::fromLatin1(names[lamp]);
}

QString FaultHistory::lampState(int state)
{
    switch (state) {
    case 0:
        return Cli::tr("off");
    case 1:
        return Cli::tr("on");
    case 2:
        return Cli::tr("error");
    default:
        return Cli::tr("n/a");
    }
}

QString FaultHistory::timeText(qint64 us) const
{
    return QString::number(double(us - m_startUs) / 1e6, 'f', 3) + QStringLiteral(" s");
}

void FaultHistory::take(qint64 timeUs, quint8 source, const int lamps[LampCount],
                        const QVector<Code> &codes)
{
    Source &s = m_sources[source];
    if (s.messages++ == 0)
        s.firstUs = timeUs;
    s.lastUs = timeUs;
    for (int i = 0; i < LampCount; ++i) {
        if (lamps[i] == s.lamps[i])
            continue;
        s.changes << Cli::tr("%1  %2 %3").arg(timeText(timeUs), lampName(i), lampState(lamps[i]));
        s.lamps[i] = lamps[i];
    }
    QVector<QPair<quint32, quint32>> seen;
    for (const Code &c : codes) {
        const QPair<quint32, quint32> key(c.spn, c.fmi);
        if (seen.contains(key))
            continue;
        seen.append(key);
        Sighting &sighting = s.codes[key];
        if (sighting.messages == 0)
            sighting.firstUs = timeUs;
        if (!sighting.active)
            s.changes << Cli::tr("%1  SPN %2 FMI %3 active (OC %4)")
                             .arg(timeText(timeUs))
                             .arg(c.spn)
                             .arg(c.fmi)
                             .arg(c.occurrences);
        else if (c.occurrences != sighting.occurrences)
            s.changes << Cli::tr("%1  SPN %2 FMI %3 occurrence count %4")
                             .arg(timeText(timeUs))
                             .arg(c.spn)
                             .arg(c.fmi)
                             .arg(c.occurrences);
        sighting.active = true;
        sighting.lastUs = timeUs;
        sighting.occurrences = c.occurrences;
        ++sighting.messages;
    }
    for (auto it = s.codes.begin(); it != s.codes.end(); ++it) {
        if (it->active && !seen.contains(it.key())) {
            it->active = false;
            s.changes << Cli::tr("%1  SPN %2 FMI %3 gone")
                             .arg(timeText(timeUs))
                             .arg(it.key().first)
                             .arg(it.key().second);
        }
    }
}

QString FaultHistory::report() const
{
    if (m_sources.isEmpty())
        return Cli::tr("No DM1 messages in the recording.\n");
    QString text;
    for (auto it = m_sources.begin(); it != m_sources.end(); ++it) {
        const Source &s = *it;
        text += Cli::tr("Source %1: %2 DM1 messages from %3 to %4\n")
                    .arg(QStringLiteral("%1").arg(it.key(), 2, 16, QLatin1Char('0')).toUpper())
                    .arg(s.messages)
                    .arg(timeText(s.firstUs), timeText(s.lastUs));
        QStringList lamps;
        for (int i = 0; i < LampCount; ++i)
            lamps << lampName(i) + QLatin1Char(' ') + lampState(s.lamps[i]);
        text += Cli::tr("  Lamps at the end: %1\n").arg(lamps.join(QStringLiteral(", ")));
        if (s.codes.isEmpty()) {
            text += Cli::tr("  No trouble codes\n");
        } else {
            text += Cli::tr("  Trouble codes:\n");
            for (auto c = s.codes.begin(); c != s.codes.end(); ++c) {
                text += Cli::tr("    SPN %1 FMI %2  OC %3  first %4  last %5  in %6 messages%7\n")
                            .arg(c.key().first)
                            .arg(c.key().second)
                            .arg(c->occurrences)
                            .arg(timeText(c->firstUs), timeText(c->lastUs))
                            .arg(c->messages)
                            .arg(c->active ? Cli::tr("  (active at the end)") : QString());
            }
        }
        text += Cli::tr("  Changes:\n");
        for (const QString &change : s.changes)
            text += QStringLiteral("    ") + change + QLatin1Char('\n');
    }
    return text;
}
