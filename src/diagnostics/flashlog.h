#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The flash log: one line per flashing run appended to "flash-log.csv" beside the parameter
// logs, so that what went into which unit, and how it ended, outlives the window.
namespace FlashLog {

constexpr const char *FileName = "flash-log.csv";

struct Record
{
    QDateTime start;
    QDateTime end;
    int target = -1;
    QString ecuid; // the identification known before the run
    QString soft;
    QString file;
    qint64 size = 0;
    QByteArray sha256; // hex
    QString outcome;   // "finished", "error", "stopped" or "removed"
    QString result;    // the result text the engineer saw
    int blocks = 0;
    int blocksAcknowledged = 0;
    int retransmissions = 0;
};

QByteArray header();
// One CSV line, ending in a newline; texts quoted, quotes doubled, line breaks as blanks.
QByteArray line(const Record &record);
// Appends the record to the log in `directory`, with the header when the file is new. A line a
// failed earlier write left unfinished is closed first, so every record starts on its own line.
bool append(const QString &directory, const Record &record, QString *error);

} // namespace FlashLog
