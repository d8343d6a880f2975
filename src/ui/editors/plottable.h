#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cmath>
#include <deque>
#include <limits>

// Values of several series over one shared time column, in seconds from the table's start, oldest
// first. A value that was not available is NaN and draws as a gap. Rows older than the window are
// dropped as new ones arrive, so the table holds at most the window's worth of rows. A point costs
// one double plus its share of the time. GUI thread.
class PlotTable
{
public:
    struct Column
    {
        Column() = default;
        Column(const QString &columnId, const QString &columnLabel, const QString &columnUnit)
            : id(columnId)
            , label(columnLabel)
            , unit(columnUnit)
        {}

        QString id;    // untranslated: the parameter log's column name
        QString label; // what the legend shows
        QString unit;
        // The exported CSV's column title: unit, function and parameter names; the id when empty.
        QString heading;
        // Values of a single-precision parameter are written as that parameter shows them
        // (26.4, not 26.399999618530273).
        bool singlePrecision = false;
    };

    static constexpr double Gap = std::numeric_limits<double>::quiet_NaN();
    static bool isGap(double value) { return std::isnan(value); }

    void setColumns(const QVector<Column> &columns);
    const QVector<Column> &columns() const { return m_columns; }
    // Changes what a column is shown as; its id and values stay.
    void describeColumn(int column, const QString &label, const QString &unit);
    int columnCount() const { return m_columns.size(); }
    size_t rowCount() const { return m_times.size(); }

    // Window length in seconds; 0 keeps every row.
    void setWindow(double seconds);
    double window() const { return m_window; }

    // Appends a row (one value per column) and drops rows that left the window. A time before the
    // last row's (a clock set back) is taken as the last row's time.
    void append(double time, const QVector<double> &values);
    void clear();

    double time(size_t row) const { return m_times[row]; }
    double value(int column, size_t row) const { return m_values[size_t(column)][row]; }
    double firstTime() const { return m_times.empty() ? 0.0 : m_times.front(); }
    double lastTime() const { return m_times.empty() ? 0.0 : m_times.back(); }
    // The last row at or before the time, or -1 when there is none.
    long rowAt(double time) const;
    // Smallest and largest value of a column (gaps skipped); false when it has none.
    bool valueRange(int column, double *low, double *high) const;

    // The table in the parameter log's format: "Time" and the column headings, one line per row,
    // time with milliseconds, values as precise as their parameters, empty fields for gaps.
    QByteArray toCsv() const;

    // A value as the CSV writes it.
    static QByteArray valueText(double value, bool singlePrecision);

private:
    void trim();

    QVector<Column> m_columns;
    std::deque<double> m_times;
    std::vector<std::deque<double>> m_values;
    double m_window = 0.0;
};
