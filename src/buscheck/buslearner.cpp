#include "buscheck/buslearner.h"

#include "buscheck/buschecker.h"
#include "model/abstractdisplayableitem.h"
#include "model/troublecode.h"
#include "model/zxparameter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr quint32 PgnAddressClaim = 0xEE00;
constexpr quint32 PgnDm1 = 0xFECA;
constexpr quint32 PgnSoftwareId = 0xFEDA;

bool isNumeric(const ZxParameter *p)
{
    switch (p->type()) {
    case ZxParameter::Int:
    case ZxParameter::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

void BusLearner::take(const CanMessage &m, qint64 timeUs, AbstractDisplayableItem *item)
{
    if (m_startUs < 0)
        m_startUs = timeUs;
    m_endUs = qMax(m_endUs, timeUs);
    if (m.extended) {
        const quint8 sa = m.address();
        Unit &u = m_units[sa];
        if (u.lastUs >= 0)
            u.maxGapUs = qMax(u.maxGapUs, timeUs - u.lastUs);
        else
            u.firstUs = timeUs;
        u.lastUs = timeUs;
        const quint32 pgn = m.pgn();
        if (pgn == PgnAddressClaim && m.length >= 8) {
            quint64 name = 0;
            for (int i = 7; i >= 0; --i)
                name = name << 8 | m.data[i];
            u.hasName = true;
            u.name = name;
        } else if (pgn == PgnDm1 || pgn == PgnSoftwareId) {
            takePayload(sa, pgn, QByteArray(reinterpret_cast<const char *>(m.data), m.length));
        }
        // A frame only the unit itself took (or nobody) belongs to a group no function
        // describes.
        const bool undescribed
            = !item || (AbstractDisplayableItem::isValid(item) && !item->parentItem());
        if (undescribed && !BusChecker::isEventGroup(pgn))
            u.groups.insert(pgn);
        m_transport.take(m, timeUs);
        for (const TransportMonitor::Session &s : m_transport.takeEnded()) {
            if (s.ending == TransportMonitor::Completed) {
                takePayload(s.source, s.pgn, s.data);
                if (!BusChecker::isEventGroup(s.pgn))
                    m_units[s.source].transported.insert(s.pgn);
            }
        }
    }
    if (!item || !AbstractDisplayableItem::isValid(item) || !item->parentItem())
        return;
    Function &f = m_functions[item];
    if (f.lastUs >= 0) {
        if (f.gapsMs.size() < size_t(GapLimit))
            f.gapsMs.push_back(float(timeUs - f.lastUs) / 1000.0f);
    } else {
        f.firstUs = timeUs;
    }
    f.lastUs = timeUs;
    ++f.count;
    if (AbstractDisplayableItem::isValid(item))
        takeValues(&f, item, timeUs);
}

bool BusLearner::Values::isSettled() const
{
    return any && numeric && maximum > minimum && samples >= MinimumRangeSamples
           && 2 * (grewUs - firstUs) <= lastUs - firstUs;
}

void BusLearner::takeValues(Function *f, AbstractDisplayableItem *item, qint64 timeUs)
{
    const QList<ZxParameter *> &parameters = item->parameters();
    if (f->values.size() < parameters.size())
        f->values.resize(parameters.size());
    for (int i = 0; i < parameters.size(); ++i) {
        const ZxParameter *p = parameters.at(i);
        Values &v = f->values[i];
        if (p->isError()) {
            v.error = true;
        } else if (!p->isValid()) {
            v.notAvailable = true;
        } else if (isNumeric(p)) {
            bool ok = false;
            const double value = p->variantValue().toDouble(&ok);
            if (!ok || !std::isfinite(value))
                continue;
            v.numeric = true;
            if (!v.any) {
                v.minimum = v.maximum = value;
                v.firstUs = v.grewUs = timeUs;
            } else {
                const double step = (v.maximum - v.minimum) / GrowthShare;
                if (value < v.minimum - step || value > v.maximum + step)
                    v.grewUs = timeUs;
                v.minimum = qMin(v.minimum, value);
                v.maximum = qMax(v.maximum, value);
            }
            v.any = true;
            v.lastUs = timeUs;
            ++v.samples;
        }
    }
}

void BusLearner::takePayload(quint8 source, quint32 pgn, const QByteArray &data)
{
    Unit &u = m_units[source];
    if (pgn == PgnDm1) {
        for (const TroubleCode &c : TroubleCode::decodeFaults(data))
            u.codes.insert(c.faultKey());
    } else if (pgn == PgnSoftwareId) {
        u.software = QString::fromLatin1(data).remove(QChar(0xFF)).trimmed();
    }
}

bool BusLearner::finish(qint64 endUs, const Progress &progress)
{
    if (m_startUs < 0)
        m_startUs = endUs;
    m_endUs = qMax(m_endUs, endUs);
    m_transport.finish(m_endUs);
    const int total = m_functions.size();
    int done = 0;
    for (auto it = m_functions.begin(); it != m_functions.end(); ++it, ++done) {
        if (progress && !progress(done, total))
            return false;
        Function &f = it.value();
        // Fewer frames make the function event-driven whatever its gaps.
        if (f.count >= MinimumFrames && !f.timed) {
            f.timing = timingOf(f.gapsMs);
            f.timed = true;
        }
    }
    return !progress || progress(total, total);
}

BusLearner::Timing BusLearner::timingOf(const std::vector<float> &gapsMs)
{
    Timing t;
    if (gapsMs.empty())
        return t;
    std::vector<float> sorted = gapsMs;
    std::sort(sorted.begin(), sorted.end());
    const float period = sorted[sorted.size() / 2]; // the median
    // Groups whose gaps scatter widely come on a change, not on a clock.
    const float low = sorted[sorted.size() / 10];
    const float high = sorted[sorted.size() * 9 / 10];
    t.longestGapMs = sorted.back();
    if (period < 1.0f || high > 3 * period || low < period / 3)
        return t;
    t.regular = true;
    t.periodMs = qMax(1, int(std::lround(period)));
    // How far the mean over the check's window strayed, in shares of the period.
    const int n = int(gapsMs.size());
    const qint64 lateMs = BusChecker::lateLimitUs(t.periodMs) / 1000;
    double sum = 0;
    int inWindow = 0;
    for (int i = 0; i < n; ++i) {
        if (gapsMs[size_t(i)] > lateMs) {
            sum = 0;
            inWindow = 0;
            continue;
        }
        sum += gapsMs[size_t(i)];
        if (++inWindow > MeanWindow)
            sum -= gapsMs[size_t(i - MeanWindow)], inWindow = MeanWindow;
        if (inWindow == MeanWindow)
            t.worstStray = qMax(t.worstStray, std::abs(sum / MeanWindow - t.periodMs) / t.periodMs);
    }
    return t;
}

void BusLearner::append(const BusLearner &later)
{
    if (later.isEmpty())
        return;
    if (isEmpty()) {
        *this = later;
        return;
    }
    for (auto it = later.m_units.cbegin(); it != later.m_units.cend(); ++it) {
        Unit &u = m_units[it.key()];
        const Unit &l = it.value();
        if (u.lastUs >= 0 && l.firstUs >= 0)
            u.maxGapUs = qMax(u.maxGapUs, l.firstUs - u.lastUs);
        if (u.firstUs < 0)
            u.firstUs = l.firstUs;
        u.maxGapUs = qMax(u.maxGapUs, l.maxGapUs);
        if (l.lastUs >= 0)
            u.lastUs = l.lastUs;
        if (l.hasName) {
            u.hasName = true;
            u.name = l.name;
        }
        if (!l.software.isEmpty())
            u.software = l.software;
        u.codes.unite(l.codes);
        u.groups.unite(l.groups);
        u.transported.unite(l.transported);
    }
    for (auto it = later.m_functions.cbegin(); it != later.m_functions.cend(); ++it) {
        Function &f = m_functions[it.key()];
        const Function &l = it.value();
        f.timed = false; // more gaps: the timing is worked out again
        if (f.lastUs >= 0 && l.firstUs >= 0 && f.gapsMs.size() < size_t(GapLimit))
            f.gapsMs.push_back(float(l.firstUs - f.lastUs) / 1000.0f);
        if (f.firstUs < 0)
            f.firstUs = l.firstUs;
        if (l.lastUs >= 0)
            f.lastUs = l.lastUs;
        f.count += l.count;
        const size_t room = size_t(GapLimit) - qMin(size_t(GapLimit), f.gapsMs.size());
        f.gapsMs.insert(f.gapsMs.end(), l.gapsMs.begin(),
                        l.gapsMs.begin() + qMin(room, l.gapsMs.size()));
        if (f.values.size() < l.values.size())
            f.values.resize(l.values.size());
        for (int i = 0; i < l.values.size(); ++i) {
            Values &mine = f.values[i];
            const Values &theirs = l.values.at(i);
            if (theirs.any) {
                if (!mine.any) {
                    mine.firstUs = theirs.firstUs;
                    mine.grewUs = theirs.grewUs;
                } else {
                    const double step = (mine.maximum - mine.minimum) / GrowthShare;
                    if (theirs.minimum < mine.minimum - step
                        || theirs.maximum > mine.maximum + step)
                        mine.grewUs = theirs.grewUs;
                }
                mine.minimum = mine.any ? qMin(mine.minimum, theirs.minimum) : theirs.minimum;
                mine.maximum = mine.any ? qMax(mine.maximum, theirs.maximum) : theirs.maximum;
                mine.lastUs = theirs.lastUs;
                mine.samples += theirs.samples;
                mine.any = true;
                mine.numeric = true;
            }
            mine.notAvailable = mine.notAvailable || theirs.notAvailable;
            mine.error = mine.error || theirs.error;
        }
    }
    m_endUs = qMax(m_endUs, later.m_endUs);
}

QList<quint8> BusLearner::sourcesOutside(const QList<AbstractDisplayableItem *> &devices) const
{
    QSet<quint8> inScheme;
    for (const AbstractDisplayableItem *device : devices) {
        const ItemAddress a = device->address();
        if (a.kind == ItemAddress::J1939 && a.value <= 0xFF)
            inScheme.insert(quint8(a.value));
    }
    QList<quint8> outside;
    for (auto it = m_units.cbegin(); it != m_units.cend(); ++it) {
        if (!inScheme.contains(it.key()))
            outside << it.key();
    }
    return outside;
}

int BusLearner::apply(const QList<AbstractDisplayableItem *> &devices,
                      const Settings &settings) const
{
    int applied = 0;
    for (AbstractDisplayableItem *device : devices) {
        const ItemAddress a = device->address();
        const Unit *unit = nullptr;
        if (a.kind == ItemAddress::J1939 && a.value < 0xFE && m_units.contains(quint8(a.value)))
            unit = &m_units.find(quint8(a.value)).value();
        int unitPeriodMs = 0;
        int functions = 0;
        QSet<quint32> takenPgns;
        QList<AbstractDisplayableItem *> pending = device->children();
        while (!pending.isEmpty()) {
            AbstractDisplayableItem *item = pending.takeFirst();
            if (item->address().kind == ItemAddress::Pgn)
                takenPgns.insert(item->address().value);
            functions += applyItem(item, unit, settings, &unitPeriodMs);
            pending = item->children() + pending;
        }
        if (!unit && functions == 0)
            continue;
        ItemExpectation x = device->expectation();
        x.presence = ItemExpectation::Present;
        if (unit) {
            x.name = unit->hasName
                         ? QStringLiteral("%1").arg(unit->name, 16, 16, QLatin1Char('0')).toUpper()
                         : QString();
            x.software = unit->software;
            x.groups.clear();
            for (quint32 pgn : unit->groups)
                x.groups.append(pgn);
            // Long messages whose group no item took count too.
            for (quint32 pgn : unit->transported) {
                if (!x.groups.contains(pgn) && !takenPgns.contains(pgn))
                    x.groups.append(pgn);
            }
            std::sort(x.groups.begin(), x.groups.end());
            x.codes.clear();
            for (quint64 code : unit->codes)
                x.codes.append({quint32(code >> 8), quint8(code & 0x1F)});
            std::sort(x.codes.begin(), x.codes.end(), [](const auto &l, const auto &r) {
                return l.spn != r.spn ? l.spn < r.spn : l.fmi < r.fmi;
            });
            // A unit that fell silent for longer than its fastest function allows, in between or
            // at the end, may do so: ignition off, a unit that sleeps. One that only came late
            // (switched on, or added as a stand-in, while learning) is expected throughout.
            const qint64 gap = qMax(unit->maxGapUs, m_endUs - unit->lastUs);
            if (unitPeriodMs > 0 && gap > BusChecker::silentLimitUs(unitPeriodMs))
                x.presence = ItemExpectation::Intermittent;
        }
        device->setExpectation(x);
        ++applied;
    }
    return applied;
}

int BusLearner::applyItem(AbstractDisplayableItem *item, const Unit *unit, const Settings &settings,
                          int *unitPeriodMs) const
{
    const auto it = m_functions.constFind(item);
    if (it == m_functions.cend())
        return 0;
    const Function &f = it.value();
    ItemExpectation x = item->expectation();
    const ItemAddress a = item->address();
    const bool eventGroup = a.kind == ItemAddress::Pgn && BusChecker::isEventGroup(a.value);
    x.eventDriven = eventGroup || f.count < MinimumFrames || !item->children().isEmpty();
    x.periodMs = 0;
    x.tolerancePercent = 0;
    x.presence = ItemExpectation::DefaultPresence;
    if (!x.eventDriven) {
        const Timing t = f.timed ? f.timing : timingOf(f.gapsMs);
        if (!t.regular) {
            x.eventDriven = true;
        } else {
            x.periodMs = t.periodMs;
            x.tolerancePercent
                = qMax(settings.minimumTolerancePercent, int(std::ceil(t.worstStray * 200.0)));
            const qint64 silentUs = BusChecker::silentLimitUs(x.periodMs);
            const qint64 edge = m_endUs - f.lastUs;
            const bool unitPaused = unit && qMax(unit->maxGapUs, m_endUs - unit->lastUs) > silentUs;
            if (!unitPaused && (edge > silentUs || t.longestGapMs * 1000.0 > silentUs))
                x.presence = ItemExpectation::Intermittent;
            if (*unitPeriodMs == 0 || x.periodMs < *unitPeriodMs)
                *unitPeriodMs = x.periodMs;
        }
    }
    x.ranges.clear();
    const QList<ZxParameter *> &parameters = item->parameters();
    for (int i = 0; i < parameters.size() && i < f.values.size(); ++i) {
        const ZxParameter *p = parameters.at(i);
        const Values *v = &f.values.at(i);
        ItemExpectation::Range r;
        r.parameter = p->key();
        r.allowNotAvailable = v->notAvailable;
        r.allowError = v->error;
        // A value that never moved says nothing about its range, nor does one still growing.
        if (v->isSettled()) {
            const double magnitude = qMax(std::abs(v->minimum), std::abs(v->maximum));
            const double margin
                = qMax(v->maximum - v->minimum, magnitude) * settings.marginPercent / 100.0;
            r.hasLimits = true;
            r.minimum = v->minimum - margin;
            r.maximum = v->maximum + margin;
        }
        if (r.hasLimits || r.allowNotAvailable || r.allowError || v->any)
            x.ranges.append(r);
    }
    item->setExpectation(x);
    return 1;
}
