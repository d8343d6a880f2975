#include "job/parameterring.h"

#include <algorithm>
#include <limits>

ParameterRing::ParameterRing(qint64 spanUs, int maxSamples)
    : m_spanUs(spanUs)
    , m_maxSamples(std::max(1, maxSamples))
{}

void ParameterRing::setColumns(quint8 source, const QStringList &names, const QStringList &units)
{
    Unit &unit = m_units[source];
    QStringList fullUnits = units.mid(0, names.size());
    while (fullUnits.size() < names.size())
        fullUnits.append(QString());
    if (unit.active && unit.names == names && unit.units == fullUnits)
        return;
    const int before = int(unit.names.size());
    const bool grows = unit.active && names.size() > before && names.mid(0, before) == unit.names
                       && fullUnits.mid(0, before) == unit.units;
    if (grows) {
        // Columns joined at the right (a function found later): the samples kept get no value
        // for them.
        std::deque<double> padded;
        const int added = int(names.size()) - before;
        for (size_t row = 0; row < unit.times.size(); ++row) {
            const auto first = unit.values.begin() + qint64(row) * before;
            padded.insert(padded.end(), first, first + before);
            padded.insert(padded.end(), size_t(added), std::numeric_limits<double>::quiet_NaN());
        }
        unit.values.swap(padded);
    } else {
        unit.times.clear();
        unit.values.clear();
    }
    unit.active = true;
    unit.names = names;
    unit.units = fullUnits;
}

void ParameterRing::dropOldest(Unit &unit)
{
    unit.times.pop_front();
    unit.values.erase(unit.values.begin(), unit.values.begin() + unit.names.size());
}

void ParameterRing::append(quint8 source, qint64 timeUs, const QVector<double> &values)
{
    Unit &unit = m_units[source];
    if (!unit.active)
        return;
    // A clock that started again: the samples of the old one would be read as the new one's.
    if (!unit.times.empty() && timeUs < unit.times.back() - ClockRestartUs) {
        unit.times.clear();
        unit.values.clear();
    }
    while (!unit.times.empty() && unit.times.front() < timeUs - m_spanUs)
        dropOldest(unit);
    if (int(unit.times.size()) >= m_maxSamples)
        dropOldest(unit);
    unit.times.push_back(timeUs);
    const int columns = int(unit.names.size());
    for (int i = 0; i < columns; ++i)
        unit.values.push_back(i < values.size() ? values.at(i)
                                                : std::numeric_limits<double>::quiet_NaN());
}

ParameterSamples ParameterRing::samples(quint8 source, qint64 fromUs, qint64 toUs) const
{
    const Unit &unit = m_units[source];
    ParameterSamples out;
    out.names = unit.names;
    out.units = unit.units;
    const size_t columns = size_t(unit.names.size());
    for (size_t row = 0; row < unit.times.size(); ++row) {
        const qint64 t = unit.times[row];
        if (t < fromUs || t > toUs)
            continue;
        out.timesUs.append(t);
        for (size_t c = 0; c < columns; ++c)
            out.values.append(unit.values[row * columns + c]);
    }
    return out;
}
