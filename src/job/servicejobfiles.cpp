// The texts of job.json and changes.json.
#include "job/jobjson.h"
#include "job/servicejob.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

const QString FormatName = QStringLiteral("tarvik-service-job");
constexpr int MaxSnapshotSeconds = 3600;

QString str(const QJsonObject &o, const char *key)
{
    return o.value(QLatin1String(key)).toString();
}

int seconds(const QJsonObject &o, const char *key, int fallback)
{
    const double v = o.value(QLatin1String(key)).toDouble(fallback);
    return std::isfinite(v) && v >= 0 && v <= MaxSnapshotSeconds ? int(v) : fallback;
}

qint64 count(const QJsonObject &o, const char *key)
{
    const double v = o.value(QLatin1String(key)).toDouble(0);
    return std::isfinite(v) && v >= 0 && v < 9e15 ? qint64(v) : 0;
}

double percent(const QJsonObject &o, const char *key)
{
    const double v = o.value(QLatin1String(key)).toDouble(0);
    return std::isfinite(v) ? v : 0;
}

// The entry's texts in the words of the code, when it has them whole; a damaged one leaves the
// texts as noted.
void readTexts(const QJsonObject &o, ServiceJournal::Entry *entry)
{
    TranslatableText summary;
    if (o.contains(QLatin1String("summaryText"))
        && TranslatableText::fromJson(o.value(QLatin1String("summaryText")), &summary))
        entry->summaryText = summary;
    std::vector<TranslatableText> lines;
    for (const QJsonValue &v : o.value(QLatin1String("detailTexts")).toArray()) {
        TranslatableText line;
        if (!TranslatableText::fromJson(v, &line))
            return;
        lines.push_back(line);
    }
    entry->detailTexts = lines;
}

} // namespace

QByteArray ServiceJob::infoToBytes(const Info &info)
{
    const Header &h = info.header;
    QJsonObject o{{QStringLiteral("format"), FormatName},
                  {QStringLiteral("version"), FormatVersion},
                  {QStringLiteral("state"),
                   info.finished ? QStringLiteral("finished") : QStringLiteral("open")},
                  {QStringLiteral("serial"), h.serial},
                  {QStringLiteral("vin"), h.vin},
                  {QStringLiteral("order"), h.order},
                  {QStringLiteral("engineer"), h.engineer},
                  {QStringLiteral("notes"), h.notes},
                  {QStringLiteral("started"), JobJson::timeText(info.started)},
                  {QStringLiteral("finished"), JobJson::timeText(info.finishedAt)},
                  {QStringLiteral("connection"), info.connection},
                  {QStringLiteral("requests"), info.requests},
                  {QStringLiteral("snapshotBeforeS"), info.snapshotBeforeS},
                  {QStringLiteral("snapshotAfterS"), info.snapshotAfterS}};
    if (!info.connectionText.isEmpty())
        o.insert(QStringLiteral("connectionText"), info.connectionText.toJson());
    if (info.hasHealth) {
        const Health &x = info.health;
        o.insert(QStringLiteral("health"),
                 QJsonObject{{QStringLiteral("loadMeanPercent"), x.loadMeanPercent},
                             {QStringLiteral("loadMaxPercent"), x.loadMaxPercent},
                             {QStringLiteral("frames"), x.frames},
                             {QStringLiteral("transportAborts"), x.transportAborts},
                             {QStringLiteral("silentUnits"), JobJson::stringArray(x.silentUnits)}});
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool ServiceJob::infoFromBytes(const QByteArray &bytes, Info *info, QString *error)
{
    QJsonObject o;
    if (!JobJson::parseObject(bytes, JobFile, &o, error))
        return false;
    if (str(o, "format") != FormatName) {
        if (error)
            *error = JobJson::damaged(JobFile, tr("not a Tarvik service job"));
        return false;
    }
    if (!JobJson::checkVersion(o, FormatVersion, JobFile, error))
        return false;
    Info r;
    r.header = Header{str(o, "serial"), str(o, "vin"), str(o, "order"), str(o, "engineer"),
                      str(o, "notes")};
    r.finished = str(o, "state") == QLatin1String("finished");
    r.started = JobJson::parseTime(str(o, "started"));
    r.finishedAt = JobJson::parseTime(str(o, "finished"));
    r.connection = str(o, "connection");
    if (!TranslatableText::fromJson(o.value(QLatin1String("connectionText")), &r.connectionText))
        r.connectionText = TranslatableText();
    r.requests = o.value(QLatin1String("requests")).toBool(true);
    r.snapshotBeforeS = seconds(o, "snapshotBeforeS", DefaultSnapshotBeforeS);
    r.snapshotAfterS = seconds(o, "snapshotAfterS", DefaultSnapshotAfterS);
    const QJsonValue health = o.value(QLatin1String("health"));
    r.hasHealth = health.isObject();
    if (r.hasHealth) {
        const QJsonObject h = health.toObject();
        r.health.loadMeanPercent = percent(h, "loadMeanPercent");
        r.health.loadMaxPercent = percent(h, "loadMaxPercent");
        r.health.frames = count(h, "frames");
        r.health.transportAborts = count(h, "transportAborts");
        r.health.silentUnits = JobJson::stringList(h.value(QLatin1String("silentUnits")));
    }
    *info = r;
    return true;
}

QByteArray ServiceJob::changesToBytes(const QVector<ServiceJournal::Entry> &entries)
{
    QJsonArray array;
    for (const ServiceJournal::Entry &e : entries) {
        QJsonObject o{{QStringLiteral("time"), JobJson::timeText(e.time)},
                      {QStringLiteral("kind"), e.kind},
                      {QStringLiteral("unit"), e.unit},
                      {QStringLiteral("summary"), e.summary},
                      {QStringLiteral("outcome"), ServiceJournal::outcomeKey(e.outcome)},
                      {QStringLiteral("details"), JobJson::stringArray(e.details)},
                      {QStringLiteral("files"), JobJson::stringArray(e.files)}};
        // The same texts in the words of the code, for a report in another language; readers
        // that do not know them keep to the texts above.
        if (!e.summaryText.isEmpty())
            o.insert(QStringLiteral("summaryText"), e.summaryText.toJson());
        if (!e.detailTexts.empty()) {
            QJsonArray lines;
            for (const TranslatableText &line : e.detailTexts)
                lines.append(line.toJson());
            o.insert(QStringLiteral("detailTexts"), lines);
        }
        array.append(o);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), FormatVersion},
                                     {QStringLiteral("entries"), array}})
        .toJson(QJsonDocument::Indented);
}

bool ServiceJob::changesFromBytes(const QByteArray &bytes, QVector<ServiceJournal::Entry> *entries,
                                  QString *error)
{
    QJsonObject o;
    if (!JobJson::parseObject(bytes, ChangesFile, &o, error)
        || !JobJson::checkVersion(o, FormatVersion, ChangesFile, error))
        return false;
    const QJsonValue list = o.value(QLatin1String("entries"));
    if (!list.isArray()) {
        if (error)
            *error = JobJson::damaged(ChangesFile, tr("the entries are not a list"));
        return false;
    }
    QVector<ServiceJournal::Entry> r;
    for (const QJsonValue &v : list.toArray()) {
        const QJsonObject e = v.toObject();
        ServiceJournal::Entry entry;
        entry.time = JobJson::parseTime(str(e, "time"));
        entry.kind = str(e, "kind");
        entry.unit = str(e, "unit");
        entry.summary = str(e, "summary");
        entry.outcome = ServiceJournal::outcomeFromKey(str(e, "outcome"));
        entry.details = JobJson::stringList(e.value(QLatin1String("details")));
        entry.files = JobJson::stringList(e.value(QLatin1String("files")));
        readTexts(e, &entry);
        r << entry;
    }
    *entries = r;
    return true;
}
