#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The records of a CSV text the commands wrote: quoted fields may hold commas, quotes and line
// breaks.
inline QList<QStringList> csvRecords(const QString &text)
{
    QList<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == QLatin1Char('"')) {
            quoted = i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"');
            if (quoted)
                field += text.at(++i);
        } else if (quoted
                   || (c != QLatin1Char(',') && c != QLatin1Char('\n') && c != QLatin1Char('"'))) {
            field += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else {
            fields << field;
            field.clear();
            if (c == QLatin1Char('\n')) {
                records << fields;
                fields.clear();
            }
        }
    }
    return records;
}

// The fields of one CSV line.
inline QStringList csvFields(const QString &line)
{
    return csvRecords(line + QLatin1Char('\n')).value(0);
}
