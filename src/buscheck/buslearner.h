#pragma once

#include "model/transportmonitor.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QVector>

#include <functional>
#include <vector>

class AbstractDisplayableItem;
class CanMessage;

// Learns the expectations of a healthy bus from its frames, in time order: per function its
// period (the median gap), how far its mean period strayed, whether it fell silent; per value its
// range and whether it was ever not available or an error; per unit its NAME, software and active
// trouble codes and whether it fell silent. `apply` writes them onto the items of a scheme.
// Learners of consecutive stretches of time join with `append`, so a window can keep one per
// minute and learn from the last N of them.
class BusLearner
{
public:
    struct Settings
    {
        // Value ranges grow by this share of their span on each side, and at least by this
        // share of their largest magnitude (a value that moved little still gets room).
        double marginPercent = 10;
        // The least tolerance of a mean period, in percent.
        int minimumTolerancePercent = 20;
    };

    // Fewer frames than this make a function event-driven: no period is learned.
    static constexpr int MinimumFrames = 5;
    // Gaps kept per function for the median and the spread of the mean.
    static constexpr int GapLimit = 200000;
    // Frames in the window whose mean period the check judges.
    static constexpr int MeanWindow = 8;
    // A value's range is learned only from this many samples on...
    static constexpr int MinimumRangeSamples = 20;
    // ...and when it stopped growing: the last time it grew by more than this share of its span
    // lies in the first half of the time the value was seen. A value that drifts or climbs (a
    // temperature warming up, torque reaching new heights) keeps no limits.
    static constexpr int GrowthShare = 16;

    // Told how many functions had their timing worked out so far and how many there are; false
    // stops the work.
    using Progress = std::function<bool(int done, int total)>;

    void take(const CanMessage &message, qint64 timeUs, AbstractDisplayableItem *item);
    // The time the learning ends (a unit silent since its last frame counts as silent till then).
    // Works out each function's timing from its gaps: the sorting that makes learning an hour
    // take a while, and touches no item. False when `progress` stopped it: the learner is then
    // unfinished, to be dropped.
    bool finish(qint64 endUs, const Progress &progress = Progress());
    // Continues with what a learner of the following stretch of time saw.
    void append(const BusLearner &later);
    bool isEmpty() const { return m_startUs < 0; }
    qint64 startUs() const { return m_startUs; }
    qint64 endUs() const { return m_endUs; }

    // Writes the learned expectations onto every item of these devices that took frames, and
    // returns how many items got one. Items that took none keep theirs.
    int apply(const QList<AbstractDisplayableItem *> &devices, const Settings &settings) const;
    // The source addresses that sent while learning but have no J1939 unit among these devices:
    // apply cannot expect them, a check will call them unexpected.
    QList<quint8> sourcesOutside(const QList<AbstractDisplayableItem *> &devices) const;

private:
    struct Values
    {
        bool numeric = false;
        double minimum = 0;
        double maximum = 0;
        bool any = false;
        bool notAvailable = false;
        bool error = false;
        qint64 samples = 0;
        qint64 firstUs = -1;
        qint64 lastUs = -1;
        qint64 grewUs = -1; // the last time the range grew by more than a GrowthShare
        // Whether the range seen is settled enough to judge other values by.
        bool isSettled() const;
    };
    // What a function's gaps tell of its period.
    struct Timing
    {
        bool regular = false; // the gaps gather round a period: not event-driven
        int periodMs = 0;
        // How far the mean over MeanWindow gaps strayed from the period, as a share of it.
        double worstStray = 0;
        float longestGapMs = 0;
    };
    struct Function
    {
        qint64 firstUs = -1;
        qint64 lastUs = -1;
        qint64 count = 0;
        std::vector<float> gapsMs;
        bool timed = false; // `timing` was worked out from all the gaps
        Timing timing;
        // By the parameter's position in its item (the list never changes once built).
        QVector<Values> values;
    };
    struct Unit
    {
        qint64 firstUs = -1;
        qint64 lastUs = -1;
        qint64 maxGapUs = 0;
        bool hasName = false;
        quint64 name = 0;
        QString software;
        QSet<quint64> codes;       // spn << 8 | fmi
        QSet<quint32> groups;      // groups no item of the scheme took
        QSet<quint32> transported; // groups of the long messages it sent
    };

    static Timing timingOf(const std::vector<float> &gapsMs);
    void takeValues(Function *f, AbstractDisplayableItem *item, qint64 timeUs);
    void takePayload(quint8 source, quint32 pgn, const QByteArray &data);
    int applyItem(AbstractDisplayableItem *item, const Unit *unit, const Settings &settings,
                  int *unitPeriodMs) const;

    QHash<const AbstractDisplayableItem *, Function> m_functions;
    QMap<quint8, Unit> m_units;
    TransportMonitor m_transport;
    qint64 m_startUs = -1;
    qint64 m_endUs = -1;
};
