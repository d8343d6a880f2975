#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>

class PlotTable;

// Reads a parameter log CSV (a "Time" column in seconds, then one column per parameter) into a
// plot table: quoted fields may hold separators, quotes and line breaks, an empty or non-numeric
// value is a gap, and a line that does not fit the header is left out and reported. Columns of
// text without a single number are left out and reported too.
class ParameterLogReader
{
    Q_DECLARE_TR_FUNCTIONS(ParameterLogReader)

public:
    static constexpr int MaxReportedProblems = 10;

    // False (and an error text) when the content has no usable header; bad lines only add
    // problems.
    bool read(const QByteArray &content, PlotTable *table);
    QString errorString() const { return m_error; }
    // What was left out, one line per problem, at most MaxReportedProblems of them.
    QStringList problems() const { return m_problems; }
    int badLines() const { return m_badLines; }

private:
    void addProblem(const QString &text);

    QString m_error;
    QStringList m_problems;
    int m_badLines = 0;
};
