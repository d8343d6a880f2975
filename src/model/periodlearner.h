#pragma once

#include <QVector>
#include <QtGlobal>

// Learns the period of a group from the frames a unit sends, on the bus's time: after a few
// intervals their median is the period, and intervals far from it make the group irregular (sent
// on a change, in bursts, or when asked). Until then the longest interval seen, or the first
// guess when longer, bounds the wait. Used in the thread of the item that owns it.
class PeriodLearner
{
public:
    // Intervals the period is learned from.
    static constexpr int Intervals = 5;

    enum Outcome { Learning, Periodic, Irregular };

    // Starts learning; `guessMs` is the period the group is described with (0: none).
    void start(int guessMs);
    void stop() { m_learning = false; }
    bool isLearning() const { return m_learning; }
    // Whether an interval has been seen: one frame says nothing of a period.
    bool hasInterval() const { return !m_intervals.isEmpty(); }

    // The next frame starts the intervals afresh (the stamps between meant nothing).
    void forgetLastFrame() { m_lastMs = -1; }
    // A frame stamped `ms`. Stamps that do not advance (frames of one batch) teach nothing.
    Outcome takeFrame(qint64 ms);

    // While learning: how long to wait for the next frame; once learned: the period.
    int period() const;
    // The lateness a period may have before it counts as missed: a quarter of the period, or
    // the spread of the intervals when wider; at least `floorMs`. While learning: half the
    // bound, as the bound itself is only a guess.
    int tolerance(int floorMs) const;

private:
    int longest() const;
    int median() const;

    bool m_learning = false;
    int m_guessMs = 0;
    qint64 m_lastMs = -1;
    QVector<int> m_intervals;
};
