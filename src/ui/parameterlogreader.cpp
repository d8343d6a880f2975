#include "ui/parameterlogreader.h"

#include "ui/editors/plottable.h"

#include <QTextCodec>
#include <QVector>

#include <cmath>

namespace {

struct Record
{
    int line = 0; // where the record starts, from 1
    QStringList fields;
};

// Splits CSV text into records. A quote opens a quoted field only at the start of a field; a
// doubled quote inside one is a quote. An unclosed quote runs to the end of the text.
QVector<Record> splitRecords(const QString &text)
{
    QVector<Record> records;
    Record record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    record.line = 1;
    auto endField = [&] {
        record.fields.append(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        // A blank line is no record.
        if (record.fields.size() > 1 || !record.fields.constFirst().isEmpty())
            records.append(record);
        record = Record();
        record.line = line;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRecord();
        } else if (c != QLatin1Char('\r')) {
            field += c;
            fieldStarted = true;
        }
    }
    if (!field.isEmpty() || !record.fields.isEmpty())
        endRecord();
    return records;
}

// The writer stores Latin-1; a file that is valid UTF-8 (edited elsewhere) is read as such.
QString decode(const QByteArray &content)
{
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(content.constData(),
                                                                     content.size(), &state);
    return state.invalidChars == 0 ? text : QString::fromLatin1(content);
}

} // namespace

void ParameterLogReader::addProblem(const QString &text)
{
    if (m_problems.size() < MaxReportedProblems)
        m_problems.append(text);
}

bool ParameterLogReader::read(const QByteArray &content, PlotTable *table)
{
    m_error.clear();
    m_problems.clear();
    m_badLines = 0;
    const QVector<Record> records = splitRecords(decode(content));
    if (records.isEmpty() || records.constFirst().fields.size() < 2
        || records.constFirst().fields.constFirst().trimmed() != QLatin1String("Time")) {
        m_error = tr("Not a parameter log: the first line must be \"Time\" followed by the "
                     "parameter names.");
        return false;
    }
    const QStringList header = records.constFirst().fields;
    const int columns = header.size() - 1;
    QVector<double> times;
    QVector<QVector<double>> values(columns);
    QVector<bool> numeric(columns, false);
    QVector<bool> text(columns, false);
    for (int r = 1; r < records.size(); ++r) {
        const Record &record = records.at(r);
        if (record.fields.size() != header.size()) {
            ++m_badLines;
            addProblem(tr("Line %1: %2 fields where the header has %3; left out.")
                           .arg(record.line)
                           .arg(record.fields.size())
                           .arg(header.size()));
            continue;
        }
        bool ok = false;
        const double time = record.fields.constFirst().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(time)) {
            ++m_badLines;
            addProblem(tr("Line %1: the time \"%2\" is not a number; left out.")
                           .arg(record.line)
                           .arg(record.fields.constFirst().left(40)));
            continue;
        }
        times.append(time);
        for (int c = 0; c < columns; ++c) {
            const double v = record.fields.at(c + 1).trimmed().toDouble(&ok);
            const bool number = ok && std::isfinite(v);
            numeric[c] = numeric[c] || number;
            text[c] = text[c] || (!number && !record.fields.at(c + 1).trimmed().isEmpty());
            values[c].append(number ? v : PlotTable::Gap);
        }
    }
    QVector<PlotTable::Column> kept;
    QVector<int> keptIndex;
    for (int c = 0; c < columns; ++c) {
        const QString id = header.at(c + 1).trimmed();
        // A column never available stays (its legend says it was logged); one of words cannot be
        // drawn.
        if (!numeric[c] && text[c]) {
            addProblem(tr("Column \"%1\" holds no numbers; left out.").arg(id));
            continue;
        }
        kept.append({id, id, QString()});
        keptIndex.append(c);
    }
    table->setWindow(0);
    table->setColumns(kept);
    QVector<double> row(kept.size());
    for (int r = 0; r < times.size(); ++r) {
        for (int k = 0; k < keptIndex.size(); ++k)
            row[k] = values.at(keptIndex.at(k)).at(r);
        table->append(times.at(r), row);
    }
    return true;
}
