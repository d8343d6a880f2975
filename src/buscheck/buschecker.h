#pragma once

#include "buscheck/deviation.h"
#include "buscheck/itemtable.h"
#include "model/itemexpectation.h"
#include "model/transportmonitor.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QVector>

#include <functional>
#include <limits>
#include <memory>

class AbstractDisplayableItem;
class CanMessage;
class ZxParameter;

// Checks a bus against the expectations of a scheme's items, frame by frame in time order, and
// reports every deviation with its start and end (see Deviation). Streams: memory grows with the
// number of deviations and merged intervals, not with the frames. Never sends anything.
//
// Default rules, where an item carries no expectation of its own:
//  - a unit of the scheme is present; a function with a period is late once two periods
//    (period + 24 ms each, as the receive supervision counts them) pass without a frame and
//    silent after five; a unit whose every periodic function stops for five periods is silent
//    at once (one that never came is missing), and once the silence passes SleepLimitUs it is
//    the unit switched off, kept for the record but no deviation; functions sent on request or
//    on a change are not judged by a period (requests, acknowledgements, transport, address
//    claims, DM1 and anything learned as event-driven);
//  - a value at its sender's error indicator, or above its description's range, for
//    ValuePersistenceUs deviates; other values are free;
//  - any active trouble code deviates; transport sessions that are aborted or time out deviate;
//  - the bus load of a second above the limit deviates.
// Expectations narrow these: a mean-period tolerance, value ranges, codes and identification a
// healthy unit shows, a unit that may fall silent or must be absent.
class BusChecker
{
    Q_DECLARE_TR_FUNCTIONS(BusChecker)

public:
    // A unit's values are not judged this long after it starts sending again after a silence:
    // units may send placeholders (not available, error) while they power up.
    static constexpr qint64 WakeUpGraceUs = 2000000;
    // Intervals of a lane closer than this merge when no period says otherwise.
    static constexpr qint64 DefaultMergeUs = 1000000;
    // A unit silent for longer than this was switched off or went to sleep (ignition off, a
    // unit that sleeps while the engine stands), which no bus tells from a fault: only a
    // shorter silence, a dropout, stays a deviation.
    static constexpr qint64 SleepLimitUs = 60000000;
    // A value deviation opens once the value stayed at its error indicator, not available or
    // outside its range this long, on every frame in between: one odd frame is no fault.
    static constexpr qint64 ValuePersistenceUs = 1000000;
    // A group a known unit is not expected to send deviates once it came this often over at
    // least ValuePersistenceUs: an answer to someone's request or a one-off event does not.
    static constexpr int GroupPersistenceFrames = 5;

    struct Settings
    {
        int bitrate = 250000;
        double loadLimitPercent = 80;
        // Functions the tool itself sends (stand-ins) are judged like received ones: a live
        // check watches them on the bus too. A recording's check turns them to receiving first.
        bool judgeSentItems = false;
    };

    // One row of the timeline: a unit, or a function of one. `seen` holds the merged intervals
    // in which frames came (µs); a pause longer than the late limit starts a new interval.
    struct Lane
    {
        QString key; // "unit:<unique key>" or "func:<unique key>", "sa:3A" for unexpected units
        QString parentKey; // the unit's lane for a function
        QString name;
        QString itemKey;
        int address = -1;
        bool unexpected = false;
        QVector<QPair<qint64, qint64>> seen;
    };

    using Listener = std::function<void(int index, const Deviation &deviation)>;

    BusChecker();
    ~BusChecker();
    BusChecker(const BusChecker &) = delete;
    BusChecker &operator=(const BusChecker &) = delete;

    void setSettings(const Settings &settings) { m_settings = settings; }
    const Settings &settings() const { return m_settings; }
    // Takes the expectations of these devices and their items (top-level devices of a scheme).
    // Items are looked up by pointer for the frames they take; the pointers are only compared
    // unless the item still exists.
    void setDevices(const QList<AbstractDisplayableItem *> &devices);
    // Called with every deviation that opened, changed or ended, and its index in deviations().
    void setListener(Listener listener) { m_listener = std::move(listener); }

    // One frame at `timeUs`, after the scheme's dispatcher took it; `item` is the deepest item
    // that took it (null when none did).
    void take(const CanMessage &message, qint64 timeUs, AbstractDisplayableItem *item);
    // Recording or wall-clock time moved on without a frame (live checks call it from a timer).
    void advance(qint64 nowUs);
    // Starts the check at `timeUs` before any frame came: a bus that stays silent has its units
    // missing from then on. Does nothing once the check started.
    void start(qint64 timeUs)
    {
        if (m_startUs < 0)
            begin(timeUs);
    }
    // Ends the check: silences and sessions still open end here, units never seen are missing.
    void finish(qint64 endUs);

    // Everything recorded, the switched-off units' silences included.
    const QVector<Deviation> &deviations() const { return m_deviations; }
    // The deviations that count: all but switched-off silences.
    int faultCount() const;
    const QVector<Lane> &lanes() const { return m_lanes; }
    qint64 startUs() const { return m_startUs; }
    qint64 nowUs() const { return m_nowUs; }
    bool isFinished() const { return m_finished; }

    // Parameter groups that come on request or on a change (requests, acknowledgements,
    // transport, address claim, DM1...DM3): their period is never judged.
    static bool isEventGroup(quint32 pgn);
    static qint64 lateLimitUs(int periodMs);
    static qint64 silentLimitUs(int periodMs);

private:
    struct Function;
    struct Unit;
    struct Open;

    void begin(qint64 timeUs);
    void addDevice(AbstractDisplayableItem *device);
    void addFunction(Unit *unit, AbstractDisplayableItem *item);
    Unit *unitAt(quint8 address);
    void seen(int lane, qint64 timeUs, qint64 mergeUs);
    int openDeviation(Deviation deviation);
    void updateDeviation(int index, qint64 endUs, bool open);
    void takeFunctionFrame(Function *f, qint64 timeUs);
    void takeValues(Function *f, const AbstractDisplayableItem *item, qint64 timeUs);
    // Whether the function's item still exists (AbstractDisplayableItem::isValid).
    static bool itemExists(Function *f);
    void takeUnexpected(const CanMessage &message, qint64 timeUs, quint32 pgn,
                        const QString &rule = QString());
    void takeAddressClaim(const CanMessage &message, qint64 timeUs);
    void takeGroupPayload(quint8 source, quint32 pgn, const QByteArray &data, qint64 timeUs);
    void takeCodes(Unit *unit, const QByteArray &data, qint64 timeUs);
    void takeSessions(qint64 timeUs);
    void takeLoad(const CanMessage &message, qint64 timeUs);
    void checkSilences(qint64 nowUs);
    void endFunctionGap(Function *f, qint64 timeUs, bool atEnd);
    // Ends the open deviation in `slot` (an index into m_deviations, -1 for none) at timeUs.
    void close(int *slot, qint64 timeUs);
    Deviation make(Deviation::Kind kind, const Unit *unit, const Function *f, qint64 startUs) const;

    Settings m_settings;
    Listener m_listener;
    std::vector<std::unique_ptr<Unit>> m_units;
    std::vector<std::unique_ptr<Function>> m_functions;
    ItemTable<Function> m_byItem;
    ItemTable<Unit> m_byDevice;
    Unit *m_byAddress[256] = {};
    // Source addresses an expected unit moved to, by that address.
    Unit *m_moved[256] = {};
    QVector<Lane> m_lanes;
    QHash<QString, int> m_laneIndex;
    QVector<Deviation> m_deviations;
    // Open deviations of unexpected units (by address) and groups (address << 24 | PGN).
    QHash<quint32, int> m_unexpectedUnits;
    QHash<quint32, int> m_unexpectedGroups;
    // Unexpected groups not yet persistent: their first frame and how many came.
    QHash<quint32, QPair<qint64, int>> m_pendingGroups;
    int m_loadDeviation = -1;
    int m_unexpectedLane[256];
    TransportMonitor m_transport;
    qint64 m_startUs = -1;
    qint64 m_nowUs = 0;
    qint64 m_nextSilenceCheckUs = 0;
    // Until then no unit or function can have been silent for longer than its limit: the
    // earliest last frame plus limit when silences were last looked at (times only grow).
    qint64 m_quietUntilUs = std::numeric_limits<qint64>::min();
    bool m_finished = false;
    // Bus load: the bits of the current second.
    qint64 m_loadWindowStartUs = -1;
    qint64 m_loadBits = 0;
};
