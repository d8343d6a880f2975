#include "model/periodlearner.h"

#include <algorithm>
#include <limits>

void PeriodLearner::start(int guessMs)
{
    m_learning = true;
    m_guessMs = std::max(0, guessMs);
    m_lastMs = -1;
    m_intervals.clear();
}

PeriodLearner::Outcome PeriodLearner::takeFrame(qint64 ms)
{
    if (!m_learning)
        return Learning;
    const qint64 last = m_lastMs;
    if (last >= 0 && ms <= last)
        return Learning;
    m_lastMs = ms;
    if (last < 0)
        return Learning;
    m_intervals.append(int(std::min<qint64>(ms - last, std::numeric_limits<int>::max())));
    if (m_intervals.size() < Intervals)
        return Learning;
    m_learning = false;
    const int m = median();
    // Twice the period or half of it between two frames: no period to keep.
    const bool regular
        = m > 0 && std::all_of(m_intervals.cbegin(), m_intervals.cend(), [m](int interval) {
              return interval <= 2 * m && 2 * interval >= m;
          });
    return regular ? Periodic : Irregular;
}

int PeriodLearner::period() const
{
    if (m_learning)
        return std::max(m_guessMs, longest());
    return median();
}

int PeriodLearner::tolerance(int floorMs) const
{
    if (m_learning)
        return std::max(floorMs, period() / 2);
    return std::max({floorMs, median() / 4, longest() - median()});
}

int PeriodLearner::longest() const
{
    return m_intervals.isEmpty() ? 0 : *std::max_element(m_intervals.cbegin(), m_intervals.cend());
}

int PeriodLearner::median() const
{
    if (m_intervals.isEmpty())
        return 0;
    QVector<int> sorted = m_intervals;
    std::sort(sorted.begin(), sorted.end());
    return sorted.at(sorted.size() / 2);
}
