#include "cli/sampledlog.h"

#include "cli/cli.h"
#include "cli/csvoutput.h"

bool SampledLog::open(QString *error)
{
    if (m_records.open())
        return true;
    *error = Cli::tr("Cannot write a temporary file: %1").arg(m_records.errorString());
    return false;
}

void SampledLog::advance(qint64 nowMs, bool inclusive)
{
    for (; due(nowMs, inclusive); m_nextMs += m_periodMs) {
        QByteArray line = ParameterLog::recordLine(m_nextMs - m_startMs, columns);
        line.chop(1);
        // Each record is its width, then the line.
        const qint32 width = qint32(columns.size());
        m_records.write(reinterpret_cast<const char *>(&width), sizeof width);
        const qint32 size = qint32(line.size());
        m_records.write(reinterpret_cast<const char *>(&size), sizeof size);
        m_records.write(line);
    }
}

bool SampledLog::rewind(QString *error)
{
    if (m_records.seek(0))
        return true;
    *error = Cli::tr("Cannot read a temporary file: %1").arg(m_records.errorString());
    return false;
}

bool SampledLog::next(QByteArray *line, int *width)
{
    qint32 header[2];
    if (m_records.read(reinterpret_cast<char *>(header), sizeof header) != sizeof header)
        return false;
    *line = m_records.read(header[1]);
    *width = header[0];
    return true;
}

bool SampledLog::write(CsvOutput &output, QString *error)
{
    output.write(ParameterLog::headerLine(columns));
    const int width = int(columns.size());
    if (!rewind(error))
        return false;
    QByteArray line;
    int taken = 0;
    while (next(&line, &taken)) {
        line.append(width - taken, ',');
        line.append('\n');
        output.write(line);
    }
    return true;
}

bool SampledLog::write(CsvOutput &output, const QVector<SampledLog *> &logs,
                       const QStringList &prefixes, QString *error)
{
    QByteArray header("Time");
    for (int i = 0; i < logs.size(); ++i) {
        for (const ParameterLog::Column &c : qAsConst(logs.at(i)->columns))
            header += ',' + ParameterLog::csvField(prefixes.at(i) + c.id);
        if (!logs.at(i)->rewind(error))
            return false;
    }
    output.write(header + '\n');
    QByteArray line;
    int taken = 0;
    for (;;) {
        QByteArray record;
        for (int i = 0; i < logs.size(); ++i) {
            if (!logs.at(i)->next(&line, &taken))
                return true;
            // The time once, from the first log; the others give their values only.
            const int values = i == 0 ? 0 : line.indexOf(',');
            if (values >= 0)
                record += line.mid(values);
            record.append(int(logs.at(i)->columns.size()) - taken, ',');
        }
        record.append('\n');
        output.write(record);
    }
}
