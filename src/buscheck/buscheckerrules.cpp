// The rules of the bus check: periods and silences, values, codes, identification, transport
// sessions and the bus load.
#include "buscheck/buschecker.h"

#include "buscheck/buscheckerparts.h"
#include "model/abstractdisplayableitem.h"
#include "model/parameterbinding.h"
#include "model/troublecode.h"
#include "model/zxparameter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr quint32 PgnDm1 = 0xFECA;
constexpr quint32 PgnSoftwareId = 0xFEDA;
constexpr qint64 LoadWindowUs = 1000000;

QString hex2(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString msText(qint64 us)
{
    return QString::number(qRound64(double(us) / 1000.0)) + QStringLiteral(" ms");
}

QString valueText(double value)
{
    return QString::number(value, 'g', 8);
}

QString nameText(quint64 name)
{
    return QStringLiteral("%1").arg(name, 16, 16, QLatin1Char('0')).toUpper();
}

QString pgnText(quint32 pgn)
{
    return QStringLiteral("%1").arg(pgn, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

void BusChecker::takeFunctionFrame(Function *f, qint64 timeUs)
{
    f->everSeen = true;
    seen(f->lane, timeUs, f->lateUs > 0 ? f->lateUs : DefaultMergeUs);
    if (f->periodMs <= 0) {
        f->lastUs = timeUs;
        return;
    }
    endFunctionGap(f, timeUs, false);
    // The mean period over the last frames, judged only when a tolerance is set.
    const qint64 gap = timeUs - f->lastUs;
    if (gap > f->lateUs || f->unit->pauseEndUs > f->lastUs)
        f->windowCount = 0; // a gap judged above, or one the unit's silence excuses
    f->lastUs = timeUs;
    constexpr int Size = int(sizeof f->window / sizeof *f->window);
    f->window[f->windowNext] = timeUs;
    f->windowNext = (f->windowNext + 1) % Size;
    f->windowCount = qMin(f->windowCount + 1, Size);
    if (f->tolerancePercent <= 0 || f->windowCount < Size)
        return;
    const qint64 oldest = f->window[f->windowNext];
    const double mean = double(timeUs - oldest) / (Size - 1);
    const double period = f->periodMs * 1000.0;
    const double tolerance = period * f->tolerancePercent / 100.0;
    const bool slow = mean > period + tolerance;
    const bool fast = mean < period - tolerance;
    if (!slow)
        close(&f->lateDeviation, timeUs);
    if (!fast)
        close(&f->fastDeviation, timeUs);
    if ((slow && f->lateDeviation >= 0) || (fast && f->fastDeviation >= 0) || !(slow || fast))
        return;
    Deviation d = make(slow ? Deviation::Late : Deviation::TooFast, f->unit, f, timeUs);
    d.observed = tr("mean period %1 over %2 frames").arg(msText(qint64(mean))).arg(Size);
    d.expected = tr("%1 ms ± %2 %").arg(f->periodMs).arg(f->tolerancePercent);
    d.rule = tr("mean period within the tolerance");
    (slow ? f->lateDeviation : f->fastDeviation) = openDeviation(d);
}

void BusChecker::endFunctionGap(Function *f, qint64 timeUs, bool atEnd)
{
    if (f->gapDeviation >= 0) {
        updateDeviation(f->gapDeviation, timeUs, atEnd);
        f->gapDeviation = -1;
        return;
    }
    // A gap between the late and the silent limit is judged when it ends. The unit's own
    // silence (a pause) excuses the gaps of its functions.
    const qint64 gap = timeUs - f->lastUs;
    if (gap <= f->lateUs || f->intermittent || f->unit->moved || f->unit->pauseEndUs > f->lastUs
        || f->unit->paused)
        return;
    Deviation d = make(f->everSeen || !atEnd ? Deviation::Late : Deviation::Missing, f->unit, f,
                       f->lastUs + f->lateUs);
    d.observed = tr("no frame for %1").arg(msText(gap));
    d.expected = tr("every %1 ms").arg(f->periodMs);
    d.rule = tr("gap above %1 (two periods)").arg(msText(f->lateUs));
    d.endUs = timeUs;
    d.open = atEnd;
    openDeviation(d);
}

void BusChecker::checkSilences(qint64 nowUs)
{
    // Every rule below needs a unit or function silent for longer than its limit.
    if (nowUs <= m_quietUntilUs)
        return;
    qint64 quietUntil = std::numeric_limits<qint64>::max();
    for (auto &unit : m_units) {
        Unit *u = unit.get();
        const qint64 limit
            = u->silentLimitUs > 0 ? qMin(u->silentLimitUs, SleepLimitUs) : SleepLimitUs;
        quietUntil = qMin(quietUntil, u->lastUs + limit);
        if (u->silentLimitUs > 0 && !u->paused && !u->moved
            && nowUs - u->lastUs > u->silentLimitUs) {
            u->paused = true;
            if (u->expectation.presence != ItemExpectation::Intermittent) {
                Deviation d = make(u->everSeen ? Deviation::Silent : Deviation::Missing, u,
                                   nullptr, u->lastUs + u->silentLimitUs);
                d.rule = tr("no frame from the unit for %1").arg(msText(u->silentLimitUs));
                d.observed = u->everSeen ? tr("frames stopped") : tr("no frame yet");
                u->silentDeviation = openDeviation(d);
            }
        }
        // Judged after the silence opened, in the same step: when no other frame came on the
        // bus meanwhile, the clock jumps over the whole silence at once.
        if (u->paused && u->silentDeviation >= 0 && u->everSeen
            && nowUs - u->lastUs > SleepLimitUs) {
            Deviation &d = m_deviations[u->silentDeviation];
            if (!d.switchedOff) {
                d.switchedOff = true;
                d.observed = tr("silent for more than %1 s").arg(SleepLimitUs / 1000000);
                updateDeviation(u->silentDeviation, nowUs, true);
            }
        }
    }
    for (auto &function : m_functions) {
        Function *f = function.get();
        if (f->periodMs > 0)
            quietUntil = qMin(quietUntil, f->lastUs + f->silentUs);
        if (f->periodMs <= 0 || f->intermittent || f->unit->paused || f->unit->moved
            || f->unit->pauseEndUs > f->lastUs || nowUs - f->lastUs <= f->silentUs)
            continue;
        if (f->gapDeviation >= 0)
            continue;
        Deviation d = make(f->everSeen ? Deviation::Silent : Deviation::Missing, f->unit, f,
                           f->lastUs + f->lateUs);
        d.rule = tr("gap above %1 (five periods)").arg(msText(f->silentUs));
        d.expected = tr("every %1 ms").arg(f->periodMs);
        d.observed = f->everSeen ? tr("frames stopped") : tr("no frame yet");
        f->gapDeviation = openDeviation(d);
    }
    m_quietUntilUs = quietUntil;
}

void BusChecker::Function::Value::Span::workOut(const ParameterBinding &b)
{
    multiplier = b.multiplier;
    adder = b.adder;
    bitLength = b.bitLength;
    saeRanges = b.saeRanges;
    known = true;
    if (!b.validSpan(&low, &high)) {
        low = 0;
        high = -1;
    }
}

void BusChecker::takeValues(Function *f, const AbstractDisplayableItem *item, qint64 timeUs)
{
    if (f->unit->wakeUs >= 0 && timeUs - f->unit->wakeUs < WakeUpGraceUs)
        return;
    // The parameters are looked up on the item that took the frame, by key: in a live check an
    // item may be deleted and another one made at its address, and parameters kept from the
    // start would be gone. The position they had is tried first.
    const QList<ZxParameter *> &parameters = item->parameters();
    if (f->itemSerial != item->serial()) {
        f->itemSerial = item->serial();
        for (Function::Value &v : f->values) {
            v.parameter = nullptr;
            v.bindingHint = -1;
        }
    }
    for (Function::Value &v : f->values) {
        const ZxParameter *p = v.parameter;
        if (!p && v.position < parameters.size() && parameters.at(v.position)->hasKey(v.key)) {
            p = parameters.at(v.position);
        } else if (!p) {
            for (const ZxParameter *candidate : parameters) {
                if (candidate->hasKey(v.key)) {
                    p = candidate;
                    break;
                }
            }
        }
        if (!p)
            continue;
        v.parameter = p;
        // Read once: in a live check the bus thread may be decoding the next frame meanwhile.
        const bool valid = p->isValid();
        const bool flagged = p->isError();
        const bool error = flagged && !(v.hasRange && v.range.allowError);
        bool outside = false;
        bool beyondDescription = false;
        // The value's text is made only for a deviation that opens: this runs for every frame.
        bool notAvailable = false;
        double value = 0;
        if (!valid && !flagged) {
            outside = v.hasRange && !v.range.allowNotAvailable;
            notAvailable = true;
        } else if (valid) {
            const bool ok = p->toNumber(&value);
            // Above the highest value its description allows: the range J1939 reserves below
            // the error indicator.
            const ParameterBinding *b = item->binding(p, &v.bindingHint);
            beyondDescription = ok && b && b->saeRanges && !v.span.contains(*b, value)
                                && b->rawFor(value) > b->maxValidRaw();
            outside = beyondDescription
                      || (ok && v.hasRange && v.range.hasLimits
                          && (value < v.range.minimum || value > v.range.maximum));
        }
        if (!error) {
            if (v.errorDeviation >= 0)
                close(&v.errorDeviation, timeUs);
            v.errorSinceUs = -1;
        } else if (v.errorSinceUs < 0) {
            v.errorSinceUs = timeUs;
        }
        if (!outside) {
            if (v.rangeDeviation >= 0)
                close(&v.rangeDeviation, timeUs);
            v.outsideSinceUs = -1;
        } else if (v.outsideSinceUs < 0) {
            v.outsideSinceUs = timeUs;
        }
        if (error && v.errorDeviation < 0 && timeUs - v.errorSinceUs >= ValuePersistenceUs) {
            Deviation d = make(Deviation::ErrorIndicator, f->unit, f, v.errorSinceUs);
            d.parameter = v.key;
            d.observed = ZxParameter::errorText();
            d.rule = tr("no error indicator, judged after %1 s").arg(ValuePersistenceUs / 1e6);
            v.errorDeviation = openDeviation(d);
        }
        if (outside && v.rangeDeviation < 0 && timeUs - v.outsideSinceUs >= ValuePersistenceUs) {
            Deviation d = make(Deviation::OutOfRange, f->unit, f, v.outsideSinceUs);
            d.parameter = v.key;
            d.observed = notAvailable ? ZxParameter::notAvailableText() : valueText(value);
            const QString persisting = tr(", judged after %1 s").arg(ValuePersistenceUs / 1e6);
            if (beyondDescription) {
                d.expected = tr("a value its description allows");
                d.rule = tr("value within its description's range") + persisting;
            } else if (notAvailable) {
                d.expected = tr("a value");
                d.rule = tr("value available") + persisting;
            } else {
                d.expected = QStringLiteral("%1 … %2").arg(valueText(v.range.minimum),
                                                           valueText(v.range.maximum));
                d.rule = tr("value within its range") + persisting;
            }
            v.rangeDeviation = openDeviation(d);
        }
    }
}

void BusChecker::takeUnexpected(const CanMessage &m, qint64 timeUs, quint32 pgn,
                                const QString &rule)
{
    const quint8 sa = m.address();
    const Unit *u = m_byAddress[sa];
    const bool known = u && u->expectation.presence != ItemExpectation::Absent;
    QHash<quint32, int> &open = known ? m_unexpectedGroups : m_unexpectedUnits;
    const quint32 key = known ? quint32(sa) << 24 | pgn : sa;
    const int index = open.value(key, -1);
    if (index >= 0) {
        Deviation &d = m_deviations[index];
        d.endUs = timeUs;
        if (!known && m_unexpectedLane[sa] >= 0)
            seen(m_unexpectedLane[sa], timeUs, DefaultMergeUs);
        return;
    }
    qint64 firstUs = timeUs;
    if (known) {
        QPair<qint64, int> &pending = m_pendingGroups[key];
        if (pending.second++ == 0)
            pending.first = timeUs;
        firstUs = pending.first;
        if (pending.second < GroupPersistenceFrames || timeUs - firstUs < ValuePersistenceUs)
            return;
    }
    Deviation d;
    d.startUs = d.endUs = timeUs;
    d.address = sa;
    d.pgn = pgn;
    if (known) {
        d = make(Deviation::UnexpectedGroup, u, nullptr, firstUs);
        d.endUs = timeUs;
        d.pgn = pgn;
        d.observed = tr("PGN %1").arg(pgnText(pgn));
        d.rule = rule.isEmpty() ? tr("only the unit's functions") : rule;
    } else {
        if (m_unexpectedLane[sa] < 0) {
            Lane lane;
            lane.key = QStringLiteral("sa:") + hex2(sa);
            lane.name = u ? u->name : tr("Unit %1").arg(hex2(sa));
            lane.address = sa;
            lane.unexpected = true;
            m_lanes.append(lane);
            m_unexpectedLane[sa] = m_lanes.size() - 1;
            m_laneIndex.insert(lane.key, m_unexpectedLane[sa]);
        }
        seen(m_unexpectedLane[sa], timeUs, DefaultMergeUs);
        d.kind = Deviation::UnexpectedUnit;
        d.lane = m_lanes.at(m_unexpectedLane[sa]).key;
        d.unit = u ? u->name : tr("Unit %1").arg(hex2(sa));
        d.itemKey = u ? u->itemKey : QString();
        d.observed = tr("first frame PGN %1").arg(pgnText(pgn));
        d.rule = u ? tr("expected absent") : tr("only the units of the scheme");
    }
    open.insert(key, openDeviation(d));
}

void BusChecker::takeAddressClaim(const CanMessage &m, qint64 timeUs)
{
    const quint8 sa = m.address();
    if (m.length < 8 || sa >= 0xFE)
        return;
    quint64 name = 0;
    for (int i = 7; i >= 0; --i)
        name = name << 8 | m.data[i];
    for (auto &unit : m_units) {
        Unit *u = unit.get();
        if (!u->hasName || u->nameValue != name || u->address == sa || u->address < 0)
            continue;
        if (m_moved[sa] == u)
            return;
        m_moved[sa] = u;
        u->moved = true;
        close(&u->silentDeviation, timeUs);
        Deviation d = make(Deviation::Moved, u, nullptr, timeUs);
        d.observed = tr("address %1").arg(hex2(sa));
        d.expected = tr("address %1").arg(hex2(u->address));
        d.rule = tr("the unit (its NAME) at its address");
        u->movedDeviation = openDeviation(d);
        return;
    }
    Unit *u = m_byAddress[sa];
    if (u && u->hasName && u->nameValue != name) {
        Deviation d = make(Deviation::Identification, u, nullptr, timeUs);
        d.observed = tr("NAME %1").arg(nameText(name));
        d.expected = tr("NAME %1").arg(nameText(u->nameValue));
        d.rule = tr("the unit's NAME");
        d.open = false;
        openDeviation(d);
    }
}

void BusChecker::takeGroupPayload(quint8 source, quint32 pgn, const QByteArray &data, qint64 timeUs)
{
    Unit *u = m_byAddress[source];
    if (!u || u->expectation.presence == ItemExpectation::Absent)
        return;
    if (pgn == PgnDm1) {
        takeCodes(u, data, timeUs);
    } else if (pgn == PgnSoftwareId && !u->expectation.software.isEmpty()) {
        const QString software = QString::fromLatin1(data).remove(QChar(0xFF)).trimmed();
        if (software != u->expectation.software) {
            Deviation d = make(Deviation::Identification, u, nullptr, timeUs);
            d.observed = software;
            d.expected = u->expectation.software;
            d.rule = tr("the unit's software identification");
            d.open = false;
            openDeviation(d);
        }
    }
}

void BusChecker::takeCodes(Unit *u, const QByteArray &data, qint64 timeUs)
{
    QHash<quint64, int> occurrences;
    QSet<quint64> active;
    for (const TroubleCode &c : TroubleCode::decodeFaults(data)) {
        active.insert(c.faultKey());
        occurrences.insert(c.faultKey(), c.oc);
    }
    for (quint64 code : qAsConst(u->activeCodes)) {
        // An allowed code that went away had no deviation to close.
        if (!active.contains(code) && u->codeDeviations.contains(code)) {
            int index = u->codeDeviations.take(code);
            close(&index, timeUs);
        }
    }
    // In code order: deviations opened by one message keep the same order in every run.
    QVector<quint64> opening(active.cbegin(), active.cend());
    std::sort(opening.begin(), opening.end());
    for (quint64 code : qAsConst(opening)) {
        const quint32 spn = quint32(code >> 8);
        const quint8 fmi = quint8(code & 0x1F);
        if (u->activeCodes.contains(code) || u->expectation.allowsCode(spn, fmi)
            || u->codeDeviations.contains(code))
            continue;
        Deviation d = make(Deviation::TroubleCode, u, nullptr, timeUs);
        d.pgn = PgnDm1;
        d.observed
            = tr("SPN %1 FMI %2, %3 occurrences").arg(spn).arg(fmi).arg(occurrences.value(code));
        d.rule = tr("no active code but those a healthy unit shows");
        u->codeDeviations.insert(code, openDeviation(d));
    }
    u->activeCodes = active;
}

void BusChecker::takeSessions(qint64 timeUs)
{
    Q_UNUSED(timeUs)
    const QVector<TransportMonitor::Session> ended = m_transport.takeEnded();
    for (const TransportMonitor::Session &s : ended) {
        if (s.ending == TransportMonitor::Completed) {
            takeGroupPayload(s.source, s.pgn, s.data, s.lastUs);
            Unit *u = m_byAddress[s.source];
            if (u && !u->pgns.contains(s.pgn) && !isEventGroup(s.pgn)
                && u->expectation.presence != ItemExpectation::Absent) {
                CanMessage carried;
                carried.extended = true;
                carried.id = (s.pgn << 8 | s.source) & 0x3FFFFFF;
                takeUnexpected(carried, s.lastUs, s.pgn);
            }
            continue;
        }
        if (s.ending == TransportMonitor::Unfinished || s.ending == TransportMonitor::Open)
            continue;
        const Unit *u = m_byAddress[s.source];
        Deviation d = make(s.ending == TransportMonitor::TimedOut ? Deviation::TransportTimedOut
                                                                  : Deviation::TransportAborted,
                           u, nullptr, s.startUs);
        if (!u) {
            d.address = s.source;
            d.unit = tr("Unit %1").arg(hex2(s.source));
        }
        d.pgn = s.pgn;
        d.endUs = qMax(s.startUs, s.lastUs);
        d.open = false;
        d.observed = s.outcome;
        d.rule = tr("transport sessions complete");
        openDeviation(d);
    }
}

void BusChecker::takeLoad(const CanMessage &m, qint64 timeUs)
{
    while (timeUs >= m_loadWindowStartUs + LoadWindowUs) {
        const double percent
            = 100.0 * double(m_loadBits) / m_settings.bitrate * (1e6 / LoadWindowUs);
        if (percent <= m_settings.loadLimitPercent) {
            close(&m_loadDeviation, m_loadWindowStartUs);
        } else if (m_loadDeviation < 0) {
            Deviation d = make(Deviation::BusLoad, nullptr, nullptr, m_loadWindowStartUs);
            d.observed = tr("%1 % at %2 bit/s").arg(percent, 0, 'f', 1).arg(m_settings.bitrate);
            d.expected = tr("at most %1 %").arg(m_settings.loadLimitPercent);
            d.rule = tr("bus load of a second");
            m_loadDeviation = openDeviation(d);
        }
        m_loadBits = 0;
        m_loadWindowStartUs += LoadWindowUs;
        // The seconds of a long pause carried no load: skip to the one of this frame.
        if (timeUs - m_loadWindowStartUs >= LoadWindowUs) {
            close(&m_loadDeviation, m_loadWindowStartUs);
            m_loadWindowStartUs += (timeUs - m_loadWindowStartUs) / LoadWindowUs * LoadWindowUs;
        }
    }
    m_loadBits += (m.extended ? 67 : 47) + 8 * m.length;
}

void BusChecker::advance(qint64 nowUs)
{
    if (m_startUs < 0 || m_finished || nowUs < m_nowUs)
        return;
    m_nowUs = nowUs;
    checkSilences(nowUs);
    // Ongoing deviations reach up to now; unexpected traffic ends with its last frame.
    for (Deviation &d : m_deviations) {
        if (d.open && d.kind != Deviation::UnexpectedUnit && d.kind != Deviation::UnexpectedGroup)
            d.endUs = qMax(d.startUs, nowUs);
    }
}

void BusChecker::finish(qint64 endUs)
{
    if (m_finished)
        return;
    if (m_startUs < 0)
        begin(endUs);
    endUs = qMax(endUs, m_nowUs);
    m_nowUs = endUs;
    checkSilences(endUs);
    m_transport.finish(endUs);
    takeSessions(endUs);
    for (auto &function : m_functions) {
        if (function->periodMs > 0)
            endFunctionGap(function.get(), endUs, true);
    }
    for (auto &unit : m_units) {
        Unit *u = unit.get();
        // A unit is there when it sent anything; one that may fall silent is there when one of
        // its functions came (not only its address claim).
        bool seen = u->everSeen;
        if (seen && u->expectation.presence == ItemExpectation::Intermittent) {
            bool anyFunction = false;
            bool functionSeen = false;
            for (const auto &f : m_functions) {
                if (f->unit == u) {
                    anyFunction = true;
                    functionSeen = functionSeen || f->everSeen;
                }
            }
            seen = functionSeen || !anyFunction;
        }
        if (seen || u->moved || u->expectation.presence == ItemExpectation::Absent
            || u->silentDeviation >= 0)
            continue;
        Deviation d = make(Deviation::Missing, u, nullptr, m_startUs);
        d.rule = tr("the unit is on the bus");
        d.observed = tr("no frame");
        u->silentDeviation = openDeviation(d);
    }
    // What is still going on ends here, marked as such; unexpected traffic and a unit at
    // another address end with their last frame.
    for (int i = 0; i < m_deviations.size(); ++i) {
        const Deviation &d = m_deviations.at(i);
        if (!d.open)
            continue;
        const bool traffic = d.kind == Deviation::UnexpectedUnit
                             || d.kind == Deviation::UnexpectedGroup || d.kind == Deviation::Moved;
        updateDeviation(i, traffic ? d.endUs : endUs, !traffic);
    }
    m_finished = true;
}
