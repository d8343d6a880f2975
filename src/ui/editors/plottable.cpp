#include "ui/editors/plottable.h"

#include "app/parameterlog.h"

#include <algorithm>
#include <charconv>

void PlotTable::setColumns(const QVector<Column> &columns)
{
    m_columns = columns;
    m_times.clear();
    m_values.assign(size_t(columns.size()), std::deque<double>());
}

void PlotTable::describeColumn(int column, const QString &label, const QString &unit)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].label = label;
    m_columns[column].unit = unit;
}

void PlotTable::setWindow(double seconds)
{
    m_window = std::max(0.0, seconds);
    trim();
}

void PlotTable::append(double time, const QVector<double> &values)
{
    if (!m_times.empty() && !(time >= m_times.back()))
        time = m_times.back();
    m_times.push_back(time);
    for (size_t c = 0; c < m_values.size(); ++c)
        m_values[c].push_back(int(c) < values.size() ? values.at(int(c)) : Gap);
    trim();
}

void PlotTable::clear()
{
    m_times.clear();
    for (std::deque<double> &column : m_values)
        column.clear();
}

void PlotTable::trim()
{
    if (m_window <= 0.0 || m_times.empty())
        return;
    const double oldest = m_times.back() - m_window;
    while (!m_times.empty() && m_times.front() < oldest) {
        m_times.pop_front();
        for (std::deque<double> &column : m_values)
            column.pop_front();
    }
}

long PlotTable::rowAt(double time) const
{
    const auto after = std::upper_bound(m_times.begin(), m_times.end(), time);
    return long(after - m_times.begin()) - 1;
}

bool PlotTable::valueRange(int column, double *low, double *high) const
{
    if (column < 0 || size_t(column) >= m_values.size())
        return false;
    bool found = false;
    for (double v : m_values[size_t(column)]) {
        if (isGap(v) || std::isinf(v))
            continue;
        if (!found) {
            *low = *high = v;
            found = true;
        } else {
            *low = std::min(*low, v);
            *high = std::max(*high, v);
        }
    }
    return found;
}

QByteArray PlotTable::toCsv() const
{
    QByteArray text("Time");
    for (const Column &c : m_columns)
        text += ',' + ParameterLog::csvField(c.heading.isEmpty() ? c.id : c.heading);
    text += '\n';
    for (size_t row = 0; row < m_times.size(); ++row) {
        text += QByteArray::number(m_times[row], 'f', 3);
        for (size_t c = 0; c < m_values.size(); ++c) {
            text += ',';
            const double v = m_values[c][row];
            if (!isGap(v))
                text += valueText(v, m_columns.at(int(c)).singlePrecision);
        }
        text += '\n';
    }
    return text;
}

QByteArray PlotTable::valueText(double value, bool singlePrecision)
{
    if (singlePrecision && std::isfinite(value)) {
        // The shortest text that reads back as the float, as the parameter itself prints it.
        char text[64];
        const auto result = std::to_chars(text, text + sizeof text, float(value),
                                          std::chars_format::fixed);
        if (result.ec == std::errc())
            return QByteArray(text, int(result.ptr - text));
    }
    return QByteArray::number(value, 'g', 15);
}
