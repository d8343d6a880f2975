#include "app/parameterlog.h"

#include "model/abstractdisplayableitem.h"
#include "model/itemparameters.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

void collect(const AbstractSchemeTreeItem *node, QList<ParameterLog::Column> *columns)
{
    AbstractDisplayableItem *item = node->displayable();
    if (item && AbstractDisplayableItem::isValid(item) && item->isFiltered())
        ParameterLog::appendColumns(item, node->uniqueKey(), columns);
    for (const AbstractSchemeTreeItem *child : node->childNodes())
        collect(child, columns);
}

} // namespace

QByteArray ParameterLog::csvField(const QString &text)
{
    QByteArray field = text.toLatin1();
    if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r')) {
        field.replace('"', "\"\"");
        field = '"' + field + '"';
    }
    return field;
}

void ParameterLog::appendCsvField(QByteArray *record, const QString &text)
{
    // The common field needs no quotes: converted straight into the record, as toLatin1 would.
    const int start = record->size();
    for (const QChar c : text) {
        const char latin1 = c.unicode() > 0xff ? '?' : char(c.unicode());
        if (latin1 == ',' || latin1 == '"' || latin1 == '\n' || latin1 == '\r') {
            record->truncate(start);
            record->append(csvField(text));
            return;
        }
        record->append(latin1);
    }
}

QString ParameterLog::fileName(const QString &directory, const QDateTime &start)
{
    return QDir(directory).filePath(
        QStringLiteral("log%1.csv").arg(start.toString(QStringLiteral("yy-MM-ddThh-mm-ss"))));
}

QList<ParameterLog::Column> ParameterLog::collectColumns(const SchemeTreeModel *model)
{
    QList<Column> columns;
    if (!model)
        return columns;
    for (const AbstractSchemeTreeItem *node : model->unitNodes())
        collect(node, &columns);
    return columns;
}

void ParameterLog::appendColumns(AbstractDisplayableItem *item, const QString &key,
                                 QList<Column> *columns)
{
    const QList<ZxParameter *> &parameters = item->parameters();
    for (int i = 0; i < parameters.size(); ++i) {
        Column c;
        c.item = item;
        c.parameter = i;
        c.id = AbstractDisplayableItem::sanitizeParameterId(key + parameters.at(i)->name());
        columns->append(c);
    }
}

QByteArray ParameterLog::headerLine(const QList<Column> &columns)
{
    QByteArray header("Time");
    for (const Column &c : columns)
        header += ',' + csvField(c.id);
    header += '\n';
    return header;
}

QByteArray ParameterLog::recordLine(qint64 elapsedMs, const QList<Column> &columns, int width)
{
    QByteArray record = QByteArray::number(double(elapsedMs) / 1000.0, 'f', 3);
    record.reserve(record.size() + 8 * std::max(int(columns.size()), width) + 1);
    // An item's columns lie side by side: its liveness and whether it still awaits its data are
    // looked up once for all of them.
    const AbstractDisplayableItem *checked = nullptr;
    bool live = false;
    bool awaits = false;
    for (const Column &c : columns) {
        record += ',';
        // A deleted item keeps its column, empty.
        AbstractDisplayableItem *item = c.item.data();
        if (item != checked) {
            checked = item;
            live = item && AbstractDisplayableItem::isValid(item);
            awaits = live && item->awaitsData();
        }
        if (!live || c.parameter >= item->parameters().size())
            continue;
        const ZxParameter *parameter = item->parameters().at(c.parameter);
        // A value still awaited or not valid is an empty field, as logText() makes it.
        if (awaits || !parameter->isValid())
            continue;
        if (!parameter->appendNumberText(&record))
            appendCsvField(&record, ItemParameters::logText(parameter, false));
    }
    for (int i = int(columns.size()); i < width; ++i)
        record += ',';
    record += '\n';
    return record;
}

ParameterLog::~ParameterLog()
{
    stop();
}

bool ParameterLog::start(const QString &path, const QList<Column> &columns, qint64 startMs)
{
    stop();
    // Names have a resolution of one second: a log started again within the same second gets a
    // numbered name instead of replacing the one just written.
    const QFileInfo info(path);
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? path
                                         : info.dir().filePath(QStringLiteral("%1-%2.%3")
                                                                   .arg(info.completeBaseName())
                                                                   .arg(n)
                                                                   .arg(info.suffix()));
        m_file.setFileName(candidate);
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!QFileInfo::exists(candidate) || n >= 99)
            return false;
    }
    m_columns = columns;
    m_start = startMs;
    const QByteArray header = headerLine(m_columns);
    // The header is on disk at once: the file shows what it will hold from the start.
    if (m_file.write(header) != header.size() || !m_file.flush()) {
        stop();
        return false;
    }
    m_lastFlush = startMs;
    return true;
}

void ParameterLog::stop()
{
    if (m_file.isOpen())
        m_file.close();
    m_columns.clear();
}

bool ParameterLog::writeRecord(qint64 nowMs, bool flush)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray record = recordLine(nowMs - m_start, m_columns);
    bool ok = m_file.write(record) == record.size();
    // A clock set back must not hold records back until it has caught up again.
    if (flush || nowMs - m_lastFlush >= m_flushIntervalMs || nowMs < m_lastFlush) {
        ok = m_file.flush() && ok;
        m_lastFlush = nowMs;
    }
    return ok && m_file.error() == QFileDevice::NoError;
}
