#include "buscheck/buschecker.h"

#include "buscheck/buscheckerparts.h"
#include "model/abstractdisplayableitem.h"
#include "model/j1939device.h"
#include "model/liveitems.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr qint64 SilenceCheckUs = 10000;
constexpr quint32 PgnRequest = 0xEA00;
constexpr quint32 PgnAck = 0xE800;
constexpr quint32 PgnTransportData = 0xEB00;
constexpr quint32 PgnTransportControl = 0xEC00;
constexpr quint32 PgnAddressClaim = 0xEE00;

QString hex2(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

BusChecker::BusChecker()
{
    std::fill(std::begin(m_unexpectedLane), std::end(m_unexpectedLane), -1);
}
BusChecker::~BusChecker() = default;

bool BusChecker::isEventGroup(quint32 pgn)
{
    switch (pgn) {
    case PgnRequest:
    case PgnAck:
    case PgnTransportData:
    case PgnTransportControl:
    case PgnAddressClaim:
    case 0xFECA: // DM1 comes again at once when a code changes
    // Sent when another unit asks: previously active codes, freeze frames, readiness,
    // identification (VIN, component, software, ECU, calibrations) and the engine's hours.
    case 0xFECB:
    case 0xFECC:
    case 0xFECD:
    case 0xFECE:
    case 0xFDB6:
    case 0xFDB7:
    case 0xFEEC:
    case 0xFEEB:
    case 0xFEDA:
    case 0xFDC5:
    case 0xD300:
    case 0xFEE5:
        return true;
    default:
        return false;
    }
}

qint64 BusChecker::lateLimitUs(int periodMs)
{
    return 2 * (qint64(periodMs) + AbstractDisplayableItem::ReceiveToleranceMs) * 1000;
}

qint64 BusChecker::silentLimitUs(int periodMs)
{
    return 5 * (qint64(periodMs) + AbstractDisplayableItem::ReceiveToleranceMs) * 1000;
}

void BusChecker::setDevices(const QList<AbstractDisplayableItem *> &devices)
{
    for (AbstractDisplayableItem *device : devices)
        addDevice(device);
    m_lanes.append(Lane{QStringLiteral("bus"), QString(), tr("Bus"), QString(), -1, false, {}});
    m_laneIndex.insert(QStringLiteral("bus"), m_lanes.size() - 1);
}

void BusChecker::addDevice(AbstractDisplayableItem *device)
{
    auto unit = std::make_unique<Unit>();
    Unit *u = unit.get();
    u->device = device;
    u->name = device->name();
    u->itemKey = AbstractSchemeTreeItem::uniqueKeyOf(device);
    u->expectation = device->expectation();
    const ItemAddress a = device->address();
    if (a.kind == ItemAddress::J1939 && a.value < 0xFE)
        u->address = int(a.value);
    bool ok = false;
    u->nameValue = u->expectation.name.toULongLong(&ok, 16);
    u->hasName = ok && !u->expectation.name.isEmpty();
    for (quint32 pgn : qAsConst(u->expectation.groups))
        u->pgns.insert(pgn);
    if (u->address >= 0) {
        if (m_byAddress[u->address])
            return; // a second device at one address: the first one is the unit
        m_byAddress[u->address] = u;
        if (!u->name.contains(QStringLiteral("0x") + hex2(u->address), Qt::CaseInsensitive))
            u->name = QStringLiteral("%1 (%2)").arg(u->name, hex2(u->address));
    } else if ((a.kind == ItemAddress::Sid || a.kind == ItemAddress::Eid)
               && a.value != ItemAddress::Unassigned) {
        // Units of plain CAN identifiers often share one name: the identifier tells them apart.
        u->name = QStringLiteral("%1 (%2)").arg(
            u->name, QString::number(a.value, 16).toUpper().rightJustified(3, QLatin1Char('0')));
    }
    m_byDevice.insert(device, u);
    m_quietUntilUs = std::numeric_limits<qint64>::min();
    Lane lane;
    lane.key = QStringLiteral("unit:") + u->itemKey;
    lane.name = u->name;
    lane.itemKey = u->itemKey;
    lane.address = u->address;
    m_lanes.append(lane);
    u->lane = m_lanes.size() - 1;
    m_laneIndex.insert(lane.key, u->lane);
    m_units.push_back(std::move(unit));
    // Every item below the unit, depth first.
    QList<AbstractDisplayableItem *> pending = device->children();
    while (!pending.isEmpty()) {
        AbstractDisplayableItem *item = pending.takeFirst();
        addFunction(u, item);
        pending = item->children() + pending;
    }
    if (u->expectation.presence == ItemExpectation::Absent)
        u->silentLimitUs = 0;
}

void BusChecker::addFunction(Unit *unit, AbstractDisplayableItem *item)
{
    auto function = std::make_unique<Function>();
    Function *f = function.get();
    f->item = item;
    f->unit = unit;
    f->name = item->name();
    f->itemKey = AbstractSchemeTreeItem::uniqueKeyOf(item);
    const ItemExpectation x = item->expectation();
    const ItemAddress a = item->address();
    f->absent = x.presence == ItemExpectation::Absent;
    if (a.kind == ItemAddress::Pgn) {
        f->pgn = a.value;
        if (!f->absent)
            unit->pgns.insert(a.value);
    }
    const bool leaf = item->children().isEmpty();
    const int period = x.periodMs > 0 ? x.periodMs : item->transmissionInterval();
    if (leaf && period > 0 && !x.eventDriven && !f->absent && !isEventGroup(f->pgn)
        && (m_settings.judgeSentItems || item->state() != AbstractDisplayableItem::Send)) {
        f->periodMs = period;
        f->tolerancePercent = x.tolerancePercent;
        f->lateUs = lateLimitUs(period);
        f->silentUs = silentLimitUs(period);
        f->intermittent = x.presence == ItemExpectation::Intermittent;
        if (unit->silentLimitUs == 0 || f->silentUs < unit->silentLimitUs)
            unit->silentLimitUs = f->silentUs;
    }
    const QList<ZxParameter *> &parameters = item->parameters();
    for (int i = 0; i < parameters.size(); ++i) {
        Function::Value v;
        v.key = parameters.at(i)->key();
        v.position = i;
        if (const ItemExpectation::Range *r = x.range(v.key)) {
            v.hasRange = true;
            v.range = *r;
        }
        f->values.append(v);
    }
    Lane lane;
    lane.key = QStringLiteral("func:") + f->itemKey;
    lane.parentKey = m_lanes.at(unit->lane).key;
    lane.name = f->name;
    lane.itemKey = f->itemKey;
    lane.address = unit->address;
    m_lanes.append(lane);
    f->lane = m_lanes.size() - 1;
    m_laneIndex.insert(lane.key, f->lane);
    m_byItem.insert(item, f);
    m_quietUntilUs = std::numeric_limits<qint64>::min();
    m_functions.push_back(std::move(function));
}

void BusChecker::begin(qint64 timeUs)
{
    m_startUs = timeUs;
    m_nowUs = timeUs;
    for (auto &u : m_units)
        u->lastUs = timeUs;
    for (auto &f : m_functions)
        f->lastUs = timeUs;
    m_loadWindowStartUs = timeUs;
    m_nextSilenceCheckUs = timeUs;
    m_quietUntilUs = std::numeric_limits<qint64>::min();
}

void BusChecker::seen(int lane, qint64 timeUs, qint64 mergeUs)
{
    // Twice for most frames (the unit's lane and the function's): the last interval is looked
    // up once.
    auto &intervals = m_lanes[lane].seen;
    if (!intervals.isEmpty()) {
        QPair<qint64, qint64> &last = intervals.last();
        if (timeUs - last.second <= mergeUs) {
            last.second = qMax(last.second, timeUs);
            return;
        }
    }
    intervals.append({timeUs, timeUs});
}

Deviation BusChecker::make(Deviation::Kind kind, const Unit *unit, const Function *f,
                           qint64 startUs) const
{
    Deviation d;
    d.kind = kind;
    d.startUs = startUs;
    d.endUs = qMax(startUs, m_nowUs);
    if (unit) {
        d.address = unit->address;
        d.unit = unit->name;
        d.itemKey = unit->itemKey;
        d.lane = m_lanes.at(unit->lane).key;
    } else {
        d.lane = QStringLiteral("bus");
    }
    if (f) {
        d.item = f->name;
        d.itemKey = f->itemKey;
        d.pgn = f->pgn;
        d.lane = m_lanes.at(f->lane).key;
    }
    return d;
}

int BusChecker::faultCount() const
{
    return int(std::count_if(m_deviations.cbegin(), m_deviations.cend(),
                             [](const Deviation &d) { return !d.switchedOff; }));
}

int BusChecker::openDeviation(Deviation deviation)
{
    m_deviations.append(std::move(deviation));
    const int index = m_deviations.size() - 1;
    if (m_listener)
        m_listener(index, m_deviations.at(index));
    return index;
}

void BusChecker::updateDeviation(int index, qint64 endUs, bool open)
{
    Deviation &d = m_deviations[index];
    d.endUs = qMax(d.startUs, endUs);
    d.open = open;
    if (m_listener)
        m_listener(index, d);
}

void BusChecker::close(int *slot, qint64 timeUs)
{
    if (*slot < 0)
        return;
    updateDeviation(*slot, timeUs, false);
    *slot = -1;
}

bool BusChecker::itemExists(Function *f)
{
    // Asked for every frame: no item went since it was last found, so it still exists.
    if (f->itemExisted && f->itemExistedAt == LiveItems::removals())
        return true;
    f->itemExisted = f->item && LiveItems::contains(f->item, &f->itemExistedAt);
    return f->itemExisted;
}

void BusChecker::take(const CanMessage &m, qint64 timeUs, AbstractDisplayableItem *item)
{
    if (m_finished)
        return;
    if (m_startUs < 0)
        begin(timeUs);
    timeUs = qMax(timeUs, m_nowUs); // time never runs backwards
    m_nowUs = timeUs;
    if (timeUs >= m_nextSilenceCheckUs) {
        checkSilences(timeUs);
        m_nextSilenceCheckUs = timeUs + SilenceCheckUs;
    }
    takeLoad(m, timeUs);
    m_transport.take(m, timeUs);
    takeSessions(timeUs);

    Unit *u = nullptr;
    const quint32 pgn = m.extended ? m.pgn() : 0;
    if (m.extended) {
        const quint8 sa = m.address();
        u = m_byAddress[sa] ? m_byAddress[sa] : m_moved[sa];
        if (u && u->expectation.presence == ItemExpectation::Absent) {
            takeUnexpected(m, timeUs, pgn);
            return;
        }
        if (pgn == PgnAddressClaim) {
            takeAddressClaim(m, timeUs);
            u = m_byAddress[sa] ? m_byAddress[sa] : m_moved[sa];
        } else if (pgn == 0xFECA || pgn == 0xFEDA) {
            // DM1 and the software identification in one frame; long ones come by transport.
            takeGroupPayload(sa, pgn, QByteArray(reinterpret_cast<const char *>(m.data), m.length),
                             timeUs);
        }
    }
    Function *f = nullptr;
    for (const AbstractDisplayableItem *i = item; i && !f;) {
        f = m_byItem.value(i);
        if (f || !AbstractDisplayableItem::isValid(i))
            break;
        i = i->parentItem();
    }
    if (f && !u)
        u = f->unit;
    if (!u && item && AbstractDisplayableItem::isValid(item)) {
        // A unit that takes its frames itself (a plain CAN identifier's unit, a J1939 unit's
        // frame no function describes).
        const AbstractDisplayableItem *top = item;
        while (top->parentItem() && AbstractDisplayableItem::isValid(top->parentItem()))
            top = top->parentItem();
        u = m_byDevice.value(top);
    }
    if (u) {
        if (u->paused || (u->silentLimitUs > 0 && timeUs - u->lastUs > u->silentLimitUs)) {
            u->paused = false;
            u->pauseEndUs = timeUs;
            u->wakeUs = timeUs;
            close(&u->silentDeviation, timeUs);
        }
        u->lastUs = timeUs;
        u->everSeen = true;
        seen(u->lane, timeUs, u->silentLimitUs > 0 ? u->silentLimitUs : DefaultMergeUs);
        if (m.extended && m_moved[m.address()] == u && u->movedDeviation >= 0)
            updateDeviation(u->movedDeviation, timeUs, true);
    }
    if (f && f->absent) {
        takeUnexpected(m, timeUs, pgn, tr("expected absent"));
        return;
    }
    if (f) {
        takeFunctionFrame(f, timeUs);
        if (f->item == item && itemExists(f))
            takeValues(f, item, timeUs);
        return;
    }
    if (!m.extended || (u && m_moved[m.address()] == u))
        return;
    // A known unit's network management and transport are judged by what they carry or ask
    // for; groups sent on request or on a change may come whenever another unit asks. Any
    // frame from an unknown unit makes it unexpected.
    if (u && (isEventGroup(pgn) || u->pgns.contains(pgn)))
        return;
    takeUnexpected(m, timeUs, pgn);
}
