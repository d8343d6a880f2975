#pragma once

#include <QStringList>
#include <QVector>

#include <deque>

// A unit's decoded parameters over a stretch of time: the columns' names and units, and one
// row of values per sample (NaN: not available).
struct ParameterSamples
{
    QStringList names;
    QStringList units;
    QVector<qint64> timesUs;
    QVector<double> values; // row after row, names.size() values each

    int columnCount() const { return int(names.size()); }
    int rowCount() const { return int(timesUs.size()); }
    double value(int row, int column) const { return values.at(row * columnCount() + column); }
};

// The latest decoded parameter samples of every unit (source address), bounded by time (at
// least `spanUs` back from the unit's newest sample) and by count per unit, for the snapshots'
// tables and plots. Times are on the frames' clock. Not thread-safe: one thread.
class ParameterRing
{
public:
    static constexpr qint64 DefaultSpanUs = 16 * 1000 * 1000;
    static constexpr int DefaultMaxSamples = 20000;
    // A sample stamped this much before the unit's latest comes from a clock that started again.
    static constexpr qint64 ClockRestartUs = 1000 * 1000;

    explicit ParameterRing(qint64 spanUs = DefaultSpanUs, int maxSamples = DefaultMaxSamples);

    void setSpan(qint64 spanUs) { m_spanUs = spanUs; }
    qint64 spanUs() const { return m_spanUs; }
    // The unit's columns. Columns added at the right keep the samples (without values for
    // them); any other change of names or units drops the unit's samples.
    void setColumns(quint8 source, const QStringList &names, const QStringList &units);
    bool hasColumns(quint8 source) const { return m_units[source].active; }
    // One sample; values beyond the columns are dropped, missing ones are NaN. A unit without
    // columns keeps nothing; a sample from a clock that started again drops the unit's older ones.
    void append(quint8 source, qint64 timeUs, const QVector<double> &values);
    // The samples stamped fromUs <= t <= toUs, in arrival order.
    ParameterSamples samples(quint8 source, qint64 fromUs, qint64 toUs) const;
    int sampleCount(quint8 source) const { return int(m_units[source].times.size()); }

private:
    struct Unit
    {
        bool active = false;
        QStringList names;
        QStringList units;
        std::deque<qint64> times;
        std::deque<double> values;
    };
    void dropOldest(Unit &unit);

    Unit m_units[256];
    qint64 m_spanUs;
    int m_maxSamples;
};
