#include "job/snapshotwriter.h"

#include "can/recordingencoder.h"
#include "can/recordingwriter.h"
#include "descriptions/unitnames.h"
#include "job/snapshotplot.h"
#include "util/savefile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString IndexFile = QStringLiteral("index.json");

QJsonArray codesJson(const CodeWatcher::Codes &codes)
{
    QJsonArray list;
    for (const CodeWatcher::Code &c : codes)
        list.append(QJsonObject{{QStringLiteral("spn"), qint64(c.spn)},
                                {QStringLiteral("fmi"), int(c.fmi)},
                                {QStringLiteral("oc"), int(c.oc)}});
    return list;
}

// The code a snapshot's folder is named after: the first that appeared, else went or counted.
quint32 leadingSpn(const Snapshot &s)
{
    for (const CodeWatcher::Codes *codes : {&s.appeared, &s.gone, &s.countChanged}) {
        if (!codes->isEmpty())
            return codes->constFirst().spn;
    }
    return 0;
}

QString hexByte(quint8 value)
{
    return QString::number(value, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

// Whole numbers as such; a value a 32-bit float holds with its seven digits, so 219.2 decoded
// into a float reads 219.2 and not 219.199996948; any other with fifteen.
QByteArray numberText(double v)
{
    if (std::abs(v) < 1e15 && v == std::trunc(v))
        return QByteArray::number(qint64(v));
    const bool isFloat = std::abs(v) < std::numeric_limits<float>::max() && double(float(v)) == v;
    return QByteArray::number(v, 'g', isFloat ? 7 : 15);
}

void appendCsvField(QByteArray *line, const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\n')
        || field.contains('\r')) {
        field.replace('"', "\"\"");
        field = '"' + field + '"';
    }
    line->append(field);
}

// The fields of one line of CSV from `at` on, quoted ones unquoted; `at` moves past the line.
QStringList csvFields(const QByteArray &text, int *at)
{
    QStringList fields;
    QByteArray field;
    bool quoted = false;
    int i = *at;
    for (; i < text.size(); ++i) {
        const char c = text.at(i);
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text.at(i + 1) == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields << QString::fromUtf8(field);
            field.clear();
        } else if (c == '\n') {
            break;
        } else if (c != '\r') {
            field += c;
        }
    }
    fields << QString::fromUtf8(field);
    *at = i + 1;
    return fields;
}

} // namespace

SnapshotWriter::SnapshotWriter(const QString &snapshotsDir)
    : m_dir(snapshotsDir)
{}

void SnapshotWriter::setClock(qint64 frameUs, const QDateTime &utc)
{
    m_hasClock = utc.isValid();
    m_clockFrameUs = frameUs;
    m_clockUtc = utc.toUTC();
}

QString SnapshotWriter::timeText(qint64 timeUs) const
{
    QDateTime t;
    if (m_hasClock)
        t = m_clockUtc.addMSecs((timeUs - m_clockFrameUs) / 1000);
    else if (timeUs >= RecordingEncoders::AbsoluteTimeFromUs)
        t = QDateTime::fromMSecsSinceEpoch(timeUs / 1000, Qt::UTC);
    return t.isValid() ? t.toUTC().toString(Qt::ISODate) : QString();
}

bool SnapshotWriter::fail(const QString &text)
{
    m_error = text;
    return false;
}

QString SnapshotWriter::folderName(int id, const Snapshot &snapshot)
{
    return QStringLiteral("%1-0x%2-spn%3")
        .arg(id, 3, 10, QLatin1Char('0'))
        .arg(hexByte(snapshot.source))
        .arg(leadingSpn(snapshot));
}

QString SnapshotWriter::unitText(quint8 source, const QString &name)
{
    if (!name.isEmpty())
        return name;
    return UnitNames::unnamed(source);
}

QByteArray SnapshotWriter::csv(const Snapshot &snapshot, const ParameterSamples &samples)
{
    QByteArray out("time_s");
    for (int c = 0; c < samples.columnCount(); ++c) {
        out += ',';
        const QString unit = samples.units.value(c);
        appendCsvField(&out, unit.isEmpty()
                                 ? samples.names.at(c)
                                 : QStringLiteral("%1 [%2]").arg(samples.names.at(c), unit));
    }
    out += '\n';
    for (int row = 0; row < samples.rowCount(); ++row) {
        out += QByteArray::number(double(samples.timesUs.at(row) - snapshot.timeUs) / 1e6, 'f', 3);
        for (int c = 0; c < samples.columnCount(); ++c) {
            out += ',';
            const double v = samples.value(row, c);
            if (std::isfinite(v))
                out += numberText(v);
        }
        out += '\n';
    }
    return out;
}

bool SnapshotWriter::samplesFromCsv(const QByteArray &csv, ParameterSamples *samples)
{
    int at = 0;
    const QStringList header = csvFields(csv, &at);
    if (header.value(0) != QLatin1String("time_s"))
        return false;
    ParameterSamples s;
    // "Engine speed [ rpm]": the name, then the unit as the library writes it.
    static const QRegularExpression withUnit(QStringLiteral("^(.*) \\[(.*)\\]$"));
    for (int c = 1; c < header.size(); ++c) {
        const QRegularExpressionMatch m = withUnit.match(header.at(c));
        s.names << (m.hasMatch() ? m.captured(1) : header.at(c));
        s.units << (m.hasMatch() ? m.captured(2) : QString());
    }
    while (at < csv.size()) {
        const QStringList fields = csvFields(csv, &at);
        if (fields.size() == 1 && fields.first().isEmpty())
            continue;
        bool ok = false;
        const double seconds = fields.value(0).toDouble(&ok);
        if (!ok || fields.size() != header.size() || !std::isfinite(seconds))
            return false;
        s.timesUs << qint64(std::llround(seconds * 1e6));
        for (int c = 1; c < fields.size(); ++c) {
            const double v = fields.at(c).toDouble(&ok);
            s.values << (ok ? v : std::numeric_limits<double>::quiet_NaN());
        }
    }
    *samples = s;
    return true;
}

QString SnapshotWriter::changeText(const QJsonObject &entry)
{
    const auto codes = [&entry](const char *key) {
        QStringList keys;
        for (const QJsonValue &v : entry.value(QLatin1String(key)).toArray()) {
            const QJsonObject c = v.toObject();
            keys << tr("SPN %1 FMI %2")
                        .arg(c.value(QLatin1String("spn")).toInt())
                        .arg(c.value(QLatin1String("fmi")).toInt());
        }
        return keys.join(QLatin1String(", "));
    };
    QStringList parts;
    const struct
    {
        const char *key;
        const char *text;
    } lists[] = {{"gone", QT_TR_NOOP("gone: %1")},
                 {"appeared", QT_TR_NOOP("appeared: %1")},
                 {"countChanged", QT_TR_NOOP("count changed: %1")}};
    for (const auto &list : lists) {
        const QString listed = codes(list.key);
        if (!listed.isEmpty())
            parts << tr(list.text).arg(listed);
    }
    return parts.isEmpty() ? entry.value(QLatin1String("change")).toString()
                           : tr("Active codes %1").arg(parts.join(QLatin1String("; ")));
}

QString SnapshotWriter::changeText(const Snapshot &snapshot)
{
    return changeText(
        QJsonObject{{QStringLiteral("gone"), codesJson(snapshot.gone)},
                    {QStringLiteral("appeared"), codesJson(snapshot.appeared)},
                    {QStringLiteral("countChanged"), codesJson(snapshot.countChanged)},
                    {QStringLiteral("change"), snapshot.change}});
}

bool SnapshotWriter::readIndex(const QString &path, QJsonArray *entries, QString *error)
{
    *entries = QJsonArray();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    const QJsonObject root = doc.object();
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()
        || !root.value(QStringLiteral("snapshots")).isArray()) {
        *error
            = tr("%1 is damaged: %2")
                  .arg(QDir::toNativeSeparators(path), parseError.error != QJsonParseError::NoError
                                                           ? parseError.errorString()
                                                           : tr("no list of snapshots"));
        return false;
    }
    const int version = root.value(QStringLiteral("version")).toInt(FormatVersion);
    if (version > FormatVersion) {
        *error = tr("This job was written by a newer Tarvik (format %1)").arg(version);
        return false;
    }
    *entries = root.value(QStringLiteral("snapshots")).toArray();
    return true;
}

bool SnapshotWriter::write(const Snapshot &snapshot, const QString &unitName,
                           const ParameterSamples &samples, Written *written)
{
    m_error.clear();
    const QDir dir(m_dir);
    if (!dir.mkpath(QStringLiteral(".")))
        return fail(tr("Cannot create the folder %1").arg(QDir::toNativeSeparators(m_dir)));
    const QString indexPath = dir.filePath(IndexFile);
    QJsonArray entries;
    QString error;
    if (!readIndex(indexPath, &entries, &error))
        return fail(error);
    int id = 0;
    for (const QJsonValue &e : qAsConst(entries))
        id = std::max(id, e.toObject().value(QStringLiteral("id")).toInt());
    ++id;
    const QString name = folderName(id, snapshot);
    if (!dir.mkpath(name))
        return fail(
            tr("Cannot create the folder %1").arg(QDir::toNativeSeparators(dir.filePath(name))));
    const QDir folder(dir.filePath(name));

    RecordingWriter frames;
    const QString framesPath = folder.filePath(QStringLiteral("frames.log"));
    if (!frames.open(framesPath, RecordingReader::Candump) || !frames.write(snapshot.frames)
        || !frames.commit())
        return fail(tr("Cannot write %1: %2")
                        .arg(QDir::toNativeSeparators(framesPath), frames.errorString()));

    const QString csvPath = folder.filePath(QStringLiteral("parameters.csv"));
    if (!SaveFile::write(csvPath, csv(snapshot, samples), &error))
        return fail(tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(csvPath), error));

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QImage plot
        = SnapshotPlot::render(samples, snapshot.timeUs, snapshot.fromUs, snapshot.toUs);
    const QString plotPath = folder.filePath(QStringLiteral("plot.png"));
    if (!plot.save(&buffer, "PNG") || !SaveFile::write(plotPath, png, &error))
        return fail(tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(plotPath), error));

    QJsonObject entry{
        {QStringLiteral("id"), id},
        {QStringLiteral("time"), timeText(snapshot.timeUs)},
        {QStringLiteral("timeUs"), snapshot.timeUs},
        {QStringLiteral("unit"), int(snapshot.source)},
        {QStringLiteral("unitName"), unitText(snapshot.source, unitName)},
        {QStringLiteral("change"), snapshot.change},
        {QStringLiteral("appeared"), codesJson(snapshot.appeared)},
        {QStringLiteral("gone"), codesJson(snapshot.gone)},
        {QStringLiteral("countChanged"), codesJson(snapshot.countChanged)},
        {QStringLiteral("codes"), codesJson(snapshot.codesAfter)},
        {QStringLiteral("fromUs"), snapshot.fromUs},
        {QStringLiteral("toUs"), snapshot.toUs},
        {QStringLiteral("frames"), qint64(snapshot.frames.size())},
        {QStringLiteral("complete"), snapshot.complete},
        {QStringLiteral("cutShort"), snapshot.cutShort},
        {QStringLiteral("dir"), name},
    };
    if (!m_busName.isEmpty())
        entry.insert(QStringLiteral("bus"), m_busName);
    entries.append(entry);
    const QJsonObject root{{QStringLiteral("version"), FormatVersion},
                           {QStringLiteral("snapshots"), entries}};
    if (!SaveFile::write(indexPath, QJsonDocument(root).toJson(QJsonDocument::Indented), &error))
        return fail(tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(indexPath), error));
    if (written) {
        written->id = id;
        written->dir = name;
    }
    return true;
}
