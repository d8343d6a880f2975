#include "cli/faulthistory.h"

#include "cli/cli.h"
#include "diagnostics/acknowledgementfunction.h"
#include "diagnostics/fmitexts.h"

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

QString FaultHistory::codeText(quint32 spn, quint32 fmi)
{
    const QString fmiText = FmiTexts::englishText(fmi);
    return fmiText.isEmpty() ? Cli::tr("SPN %1 FMI %2").arg(spn).arg(fmi)
                             : Cli::tr("SPN %1 FMI %2 (%3)").arg(spn).arg(fmi).arg(fmiText);
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
        s.changes.append(
            {timeUs, Source::Change::LampSwitched, qint8(i), qint8(lamps[i]), 0, 0, 0});
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
            s.changes.append({timeUs, Source::Change::Active, 0, 0, c.spn, c.fmi, c.oc});
        else if (c.oc != sighting.occurrences)
            s.changes.append({timeUs, Source::Change::Count, 0, 0, c.spn, c.fmi, c.oc});
        sighting.active = true;
        sighting.lastUs = timeUs;
        sighting.occurrences = c.oc;
        ++sighting.messages;
    }
    for (auto it = s.codes.begin(); it != s.codes.end(); ++it) {
        if (it->active && !seen.contains(it.key())) {
            it->active = false;
            s.changes.append(
                {timeUs, Source::Change::Gone, 0, 0, it.key().first, it.key().second, 0});
        }
    }
}

QString FaultHistory::changeText(const Source::Change &c) const
{
    using Change = Source::Change;
    switch (c.kind) {
    case Change::LampSwitched:
        return Cli::tr("%1  %2 %3").arg(timeText(c.timeUs), lampName(c.lamp), lampState(c.state));
    case Change::Active:
        return Cli::tr("%1  %2 active (OC %3)")
            .arg(timeText(c.timeUs), codeText(c.spn, c.fmi))
            .arg(c.occurrences);
    case Change::Count:
        return Cli::tr("%1  %2 occurrence count %3")
            .arg(timeText(c.timeUs), codeText(c.spn, c.fmi))
            .arg(c.occurrences);
    case Change::Gone:
        return Cli::tr("%1  %2 gone").arg(timeText(c.timeUs), codeText(c.spn, c.fmi));
    case Change::Previous:
        return Cli::tr("%1  %2 previously active (OC %3)")
            .arg(timeText(c.timeUs), codeText(c.spn, c.fmi))
            .arg(c.occurrences);
    case Change::NoLongerPrevious:
        return Cli::tr("%1  %2 no longer previously active")
            .arg(timeText(c.timeUs), codeText(c.spn, c.fmi));
    }
    return QString();
}

QString FaultHistory::report() const
{
    QString text;
    QTextStream out(&text);
    report(out);
    out.flush();
    return text;
}

void FaultHistory::report(QTextStream &out) const
{
    if (m_sources.isEmpty()) {
        out << Cli::tr("No DM1 messages in the recording.\n") << clearReport();
        return;
    }
    for (auto it = m_sources.begin(); it != m_sources.end(); ++it) {
        QString text;
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
                text += Cli::tr("    %1  OC %2  first %3  last %4  in %5 messages%6\n")
                            .arg(codeText(c.key().first, c.key().second))
                            .arg(c->occurrences)
                            .arg(timeText(c->firstUs), timeText(c->lastUs))
                            .arg(c->messages)
                            .arg(c->active ? Cli::tr("  (active at the end)") : QString());
            }
        }
        if (s.previousMessages > 0) {
            text += Cli::tr("  Previously active codes (%1 DM2 messages):\n")
                        .arg(s.previousMessages);
            if (s.previous.isEmpty())
                text += Cli::tr("    none\n");
            for (auto c = s.previous.begin(); c != s.previous.end(); ++c) {
                text += Cli::tr("    %1  OC %2  first %3  last %4  in %5 messages%6\n")
                            .arg(codeText(c.key().first, c.key().second))
                            .arg(c->occurrences)
                            .arg(timeText(c->firstUs), timeText(c->lastUs))
                            .arg(c->messages)
                            .arg(c->active ? Cli::tr("  (listed at the end)") : QString());
            }
        }
        text += Cli::tr("  Changes:\n");
        out << text;
        for (const Source::Change &change : s.changes)
            out << QStringLiteral("    ") << changeText(change) << '\n';
    }
    out << clearReport();
}

void FaultHistory::takePrevious(qint64 timeUs, quint8 source, const QVector<Code> &codes)
{
    Source &s = m_sources[source];
    if (s.messages == 0 && s.previousMessages == 0)
        s.firstUs = timeUs;
    s.lastUs = qMax(s.lastUs, timeUs);
    ++s.previousMessages;
    QVector<QPair<quint32, quint32>> seen;
    for (const Code &c : codes) {
        const QPair<quint32, quint32> key(c.spn, c.fmi);
        if (seen.contains(key))
            continue;
        seen.append(key);
        Sighting &sighting = s.previous[key];
        if (sighting.messages == 0)
            sighting.firstUs = timeUs;
        if (!sighting.active)
            s.changes.append({timeUs, Source::Change::Previous, 0, 0, c.spn, c.fmi, c.oc});
        sighting.active = true;
        sighting.lastUs = timeUs;
        sighting.occurrences = c.oc;
        ++sighting.messages;
    }
    for (auto it = s.previous.begin(); it != s.previous.end(); ++it) {
        if (it->active && !seen.contains(it.key())) {
            it->active = false;
            s.changes.append({timeUs, Source::Change::NoLongerPrevious, 0, 0, it.key().first,
                              it.key().second, 0});
        }
    }
}

void FaultHistory::takeClearRequest(qint64 timeUs, quint8 requester, quint8 destination,
                                    quint32 pgn)
{
    if (pgn != Dm11Pgn && pgn != Dm3Pgn)
        return;
    ClearRequest r;
    r.timeUs = timeUs;
    r.requester = requester;
    r.destination = destination;
    r.pgn = pgn;
    m_clearRequests.append(r);
}

void FaultHistory::takeAcknowledgement(qint64 timeUs, quint8 source, quint8 destination,
                                       quint8 requester, quint32 pgn, int control)
{
    // The latest request of that group still within its answer time, from whom the
    // acknowledgement names (or to whom it is sent), to this unit or to all.
    for (int i = int(m_clearRequests.size()) - 1; i >= 0; --i) {
        ClearRequest &r = m_clearRequests[i];
        if (timeUs - r.timeUs > AnswerTimeUs)
            return;
        if (r.pgn != pgn || (destination != r.requester && requester != r.requester))
            continue;
        if (r.destination != 0xFF && r.destination != source)
            continue;
        for (const auto &answer : qAsConst(r.answers)) {
            if (answer.first == source)
                return; // the first answer of a unit counts
        }
        r.answers.append({source, control});
        return;
    }
}

QString FaultHistory::clearReport() const
{
    if (m_clearRequests.isEmpty())
        return QString();
    auto hex
        = [](quint8 a) { return QStringLiteral("%1").arg(a, 2, 16, QLatin1Char('0')).toUpper(); };
    QString text = Cli::tr("Clear requests:\n");
    for (const ClearRequest &r : m_clearRequests) {
        QStringList answers;
        for (const auto &a : r.answers)
            answers << QStringLiteral("%1 %2").arg(
                hex(a.first), AcknowledgementFunction::englishControlText(a.second));
        text += Cli::tr("  %1  %2 from %3 to %4: %5\n")
                    .arg(timeText(r.timeUs),
                         r.pgn == Dm11Pgn ? Cli::tr("DM11 (clear active codes)")
                                          : Cli::tr("DM3 (clear previously active codes)"),
                         hex(r.requester),
                         r.destination == 0xFF ? Cli::tr("all") : hex(r.destination),
                         answers.isEmpty() ? Cli::tr("no answer")
                                           : answers.join(QStringLiteral(", ")));
    }
    return text;
}
