#pragma once

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class AbstractDisplayableItem;
class SchemeTreeModel;

// The parameter log: one CSV record per tick with the values of every parameter of the items
// under the filter mark. The columns are fixed when the log starts, so marking, unmarking or
// deleting items while logging never shifts values under another header. GUI thread.
class ParameterLog
{
public:
    struct Column
    {
        QPointer<AbstractDisplayableItem> item;
        int parameter = 0;
        QString id;
    };

    static QString fileName(const QString &directory, const QDateTime &start);
    // A value with a separator, quote or line break is quoted, so every record keeps its field
    // count.
    static QByteArray csvField(const QString &text);
    static void appendCsvField(QByteArray *record, const QString &text);
    // The marked items' parameters, walking the scheme tree depth-first, parents first.
    static QList<Column> collectColumns(const SchemeTreeModel *model);
    // The columns of one item's parameters, named after `key` (the item's unique key).
    static void appendColumns(AbstractDisplayableItem *item, const QString &key,
                              QList<Column> *columns);
    // The header line and one record line of the CSV. A record is padded with empty fields up
    // to `width` columns, for columns that joined after it was taken.
    static QByteArray headerLine(const QList<Column> &columns);
    static QByteArray recordLine(qint64 elapsedMs, const QList<Column> &columns, int width = 0);

    ~ParameterLog();

    static constexpr int DefaultFlushIntervalMs = 1000;

    bool start(const QString &path, const QList<Column> &columns, qint64 startMs);
    void stop();
    bool isRunning() const { return m_file.isOpen(); }
    // False once the file reports an error (a full disk shows at the latest when flushing).
    // Records reach the file on disk with `flush`, else once the flush interval has passed since
    // the last time they did, so a copy taken while logging (or a power cut) loses at most that.
    bool writeRecord(qint64 nowMs, bool flush);
    void setFlushInterval(int ms) { m_flushIntervalMs = ms; }
    int flushInterval() const { return m_flushIntervalMs; }
    QString errorString() const { return m_file.errorString(); }
    QString path() const { return m_file.fileName(); }
    qint64 startTime() const { return m_start; }
    int columnCount() const { return m_columns.size(); }

private:
    QFile m_file;
    QList<Column> m_columns;
    qint64 m_start = 0;
    qint64 m_lastFlush = 0;
    int m_flushIntervalMs = DefaultFlushIntervalMs;
};
