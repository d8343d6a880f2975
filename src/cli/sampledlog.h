#pragma once

#include "app/parameterlog.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryFile>
#include <QVector>

class CsvOutput;

// The parameter log of "decode": every parameter sampled at each period of recording time;
// columns of items detected later are added at the right and the earlier records padded, so
// every record has the header's width. Records wait in a temporary file until the header is
// known, so memory does not grow with the recording's length. The logs of several buses, each
// decoded in a pass of its own on the same clock, are written side by side.
class SampledLog
{
public:
    SampledLog(qint64 startUs, qint64 periodMs)
        : m_startMs(startUs / 1000)
        , m_periodMs(periodMs)
        , m_nextMs(m_startMs + periodMs)
    {}

    QList<ParameterLog::Column> columns;

    bool open(QString *error);

    bool due(qint64 nowMs, bool inclusive) const
    {
        return m_nextMs < nowMs || (inclusive && m_nextMs == nowMs);
    }

    // Takes the records due before `nowMs` (and at it, for the last frame): a record shows the
    // values of the frames up to and including its time.
    void advance(qint64 nowMs, bool inclusive);

    bool write(CsvOutput &output, QString *error);
    // Several buses' logs as one table: one time column, then each log's columns, their names
    // after the bus's prefix ("can1:"). The logs hold the same records.
    static bool write(CsvOutput &output, const QVector<SampledLog *> &logs,
                      const QStringList &prefixes, QString *error);

private:
    bool rewind(QString *error);
    // The next record and the width it was taken with; false at the end.
    bool next(QByteArray *line, int *width);

    qint64 m_startMs;
    qint64 m_periodMs;
    qint64 m_nextMs;
    QTemporaryFile m_records;
};
