// The report's HTML, section by section.
#include "job/inventorycomparison.h"
#include "job/jobjson.h"
#include "job/jobreport.h"
#include "job/rawrecorder.h"
#include "job/servicejob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocale>

namespace {

using Kind = InventoryComparison::Kind;

// Largest plot the report takes in; a bigger file is not a plot this program made.
constexpr qint64 MaxPlotBytes = 4 * 1024 * 1024;
constexpr qint64 MaxIndexBytes = 16 * 1024 * 1024;

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"))
                          : QStringLiteral("—");
}

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("—") : esc(text);
}

const char *const Style = R"(
body { font-family: sans-serif; font-size: 10pt; color: #000; }
h1 { font-size: 16pt; } h2 { font-size: 13pt; margin-top: 14pt; }
table { border-collapse: collapse; }
th, td { border: 1px solid #888; padding: 3px; vertical-align: top; text-align: left; }
th { background-color: #e4e4e4; }
.changed { background-color: #fff0b3; } .added { background-color: #d4f2cc; }
.removed { background-color: #f7cccc; } .mark { font-weight: bold; }
.open { color: #a00000; font-weight: bold; font-size: 13pt; }
)";

QString kindClass(Kind kind)
{
    switch (kind) {
    case Kind::Changed:
        return QStringLiteral("changed");
    case Kind::Added:
        return QStringLiteral("added");
    case Kind::Removed:
        return QStringLiteral("removed");
    case Kind::Same:
        break;
    }
    return QString();
}

// QTextDocument ignores style sheet backgrounds on cells; bgcolor serves it and old browsers.
QString kindColour(Kind kind)
{
    switch (kind) {
    case Kind::Changed:
        return QStringLiteral("#fff0b3");
    case Kind::Added:
        return QStringLiteral("#d4f2cc");
    case Kind::Removed:
        return QStringLiteral("#f7cccc");
    case Kind::Same:
        break;
    }
    return QString();
}

QString table(const QStringList &headers)
{
    QString html = QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>");
    for (const QString &h : headers)
        html += QStringLiteral("<th>%1</th>").arg(esc(h));
    return html + QStringLiteral("</tr>");
}

QString pairRow(const QString &label, const QString &htmlValue)
{
    return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>").arg(esc(label), htmlValue);
}

QString kindInWords(const QString &kind)
{
    namespace J = ServiceJournal;
    const struct
    {
        const QString &key;
        QString text;
    } kinds[] = {{J::MemoryWrite, JobReport::tr("Memory written")},
                 {J::MemoryRead, JobReport::tr("Memory read")},
                 {J::Flashing, JobReport::tr("Program replaced")},
                 {J::TuneWrite, JobReport::tr("Tune variable written")},
                 {J::TuneRead, JobReport::tr("Tune variable read")},
                 {J::CodeClearing, JobReport::tr("Codes cleared")},
                 {J::Suspension, JobReport::tr("Broadcasts suspended")},
                 {J::AcceptanceTest, JobReport::tr("Acceptance test")},
                 {J::StandIn, JobReport::tr("Unit stood in for")},
                 {J::Note, JobReport::tr("Note")}};
    for (const auto &k : kinds) {
        if (k.key == kind)
            return k.text;
    }
    return kind;
}

QString outcomeInWords(ServiceJournal::Outcome outcome)
{
    switch (outcome) {
    case ServiceJournal::Outcome::Done:
        return JobReport::tr("done");
    case ServiceJournal::Outcome::Failed:
        return JobReport::tr("failed");
    case ServiceJournal::Outcome::Cancelled:
        return JobReport::tr("cancelled");
    }
    return QString();
}

QString listHtml(const QStringList &items)
{
    if (items.isEmpty())
        return QString();
    QString html = QStringLiteral("<ul>");
    for (const QString &item : items)
        html += QStringLiteral("<li>%1</li>").arg(esc(item));
    return html + QStringLiteral("</ul>");
}

QString headerSection(const ServiceJob &job)
{
    const ServiceJob::Info &info = job.info();
    QString html = QStringLiteral("<h1>%1</h1>").arg(esc(JobReport::tr("Service job report")));
    if (!info.finished)
        html += QStringLiteral("<p class=\"open\"><font color=\"#a00000\">%1</font></p>")
                    .arg(esc(JobReport::tr("Job not finished")));
    html += QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    html += pairRow(JobReport::tr("Serial number"), orDash(info.header.serial));
    html += pairRow(JobReport::tr("VIN"), orDash(info.header.vin));
    html += pairRow(JobReport::tr("Order"), orDash(info.header.order));
    html += pairRow(JobReport::tr("Engineer"), orDash(info.header.engineer));
    html += pairRow(JobReport::tr("Notes"),
                    orDash(info.header.notes).replace(QLatin1Char('\n'), QLatin1String("<br>")));
    html += pairRow(JobReport::tr("Started"), esc(timeText(info.started)));
    html += pairRow(JobReport::tr("Finished"),
                    info.finished ? esc(timeText(info.finishedAt)) : esc(JobReport::tr("not yet")));
    html += pairRow(JobReport::tr("Connection"), orDash(info.connection));
    html += pairRow(
        JobReport::tr("Requests sent to the bus"),
        esc(info.requests ? JobReport::tr("yes") : JobReport::tr("no, started on a recording")));
    return html + QStringLiteral("</table>");
}

QString comparisonSection(const ServiceJob &job)
{
    QString html = QStringLiteral("<h2>%1</h2>").arg(esc(JobReport::tr("As found and as left")));
    if (!job.hasAsFound() && !job.hasAsLeft())
        return html
               + QStringLiteral("<p>%1</p>").arg(esc(JobReport::tr("No inventory was taken.")));
    if (!job.hasAsFound())
        html += QStringLiteral("<p>%1</p>")
                    .arg(esc(JobReport::tr("The inventory as found was not taken.")));
    if (!job.hasAsLeft())
        html += QStringLiteral("<p>%1</p>")
                    .arg(esc(JobReport::tr("The inventory as left was not taken yet.")));
    const InventoryRecord found = job.hasAsFound() ? job.asFound() : job.asLeft();
    const InventoryRecord left = job.hasAsLeft() ? job.asLeft() : job.asFound();
    const bool both = job.hasAsFound() && job.hasAsLeft();
    html += table({JobReport::tr("Unit"), JobReport::tr("What"), JobReport::tr("As found"),
                   JobReport::tr("As left"), JobReport::tr("Difference")});
    for (const InventoryComparison::Row &row : InventoryComparison::compare(found, left)) {
        const Kind kind = both ? row.kind : Kind::Same;
        // What neither inventory holds (a unit that never sent its NAME) says nothing.
        if (kind == Kind::Same && row.before.isEmpty() && row.after.isEmpty())
            continue;
        QStringList marks;
        if (kind != Kind::Same)
            marks << InventoryComparison::kindText(kind);
        if (both && row.fate != InventoryComparison::CodeFate::None)
            marks << InventoryComparison::fateText(row.fate);
        const QString colour = kindColour(kind);
        html += QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td>"
                               "<td class=\"mark\"><b>%6</b></td></tr>")
                    .arg(colour.isEmpty() ? QString()
                                          : QStringLiteral(" class=\"%1\" bgcolor=\"%2\"")
                                                .arg(kindClass(kind), colour),
                         esc(row.unit), esc(InventoryComparison::fieldText(row)),
                         job.hasAsFound() ? orDash(row.before) : QStringLiteral("—"),
                         job.hasAsLeft() ? orDash(row.after) : QStringLiteral("—"),
                         esc(marks.join(QLatin1String(", "))));
    }
    return html + QStringLiteral("</table>");
}

struct Snapshot
{
    int id = 0;
    QDateTime time;
    int unit = 0;
    QString unitName;
    QString change;
    qint64 frames = 0;
    QString dir;
};

// The snapshots' index; a missing one is no snapshots, a damaged one is said in the report.
QVector<Snapshot> readSnapshots(const QString &dir, QString *problem)
{
    QVector<Snapshot> list;
    QFile file(QDir(dir).filePath(QStringLiteral("index.json")));
    if (!file.exists())
        return list;
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxIndexBytes) {
        *problem = JobReport::tr("Cannot read %1").arg(QDir::toNativeSeparators(file.fileName()));
        return list;
    }
    QJsonObject o;
    if (!JobJson::parseObject(file.readAll(), QStringLiteral("snapshots/index.json"), &o, problem)
        || !JobJson::checkVersion(o, 1, QStringLiteral("snapshots/index.json"), problem))
        return list;
    for (const QJsonValue &v : o.value(QLatin1String("snapshots")).toArray()) {
        const QJsonObject s = v.toObject();
        Snapshot snap;
        snap.id = s.value(QLatin1String("id")).toInt();
        snap.time = JobJson::parseTime(s.value(QLatin1String("time")).toString());
        snap.unit = s.value(QLatin1String("unit")).toInt();
        snap.unitName = s.value(QLatin1String("unitName")).toString();
        snap.change = s.value(QLatin1String("change")).toString();
        snap.frames = qint64(s.value(QLatin1String("frames")).toDouble());
        // Only a plain folder name inside snapshots/: the index must not point elsewhere.
        const QString sub = s.value(QLatin1String("dir")).toString();
        if (!sub.isEmpty() && !sub.contains(QLatin1Char('/')) && !sub.contains(QLatin1Char('\\'))
            && sub != QLatin1String(".") && sub != QLatin1String(".."))
            snap.dir = sub;
        list << snap;
    }
    return list;
}

QString snapshotSection(const ServiceJob &job, JobReport::Content *content)
{
    QString html = QStringLiteral("<h2>%1</h2>").arg(esc(JobReport::tr("Fault snapshots")));
    QString problem;
    const QVector<Snapshot> snapshots = readSnapshots(job.snapshotsDir(), &problem);
    if (!problem.isEmpty())
        html += QStringLiteral("<p>%1</p>").arg(esc(problem));
    if (snapshots.isEmpty())
        return html
               + QStringLiteral("<p>%1</p>")
                     .arg(esc(JobReport::tr("No active codes changed during the job.")));
    for (const Snapshot &s : snapshots) {
        html += QStringLiteral("<h3>%1</h3>")
                    .arg(esc(JobReport::tr("%1: %2 (0x%3)")
                                 .arg(timeText(s.time), s.unitName)
                                 .arg(s.unit, 2, 16, QLatin1Char('0'))));
        html += QStringLiteral("<p>%1<br>%2</p>")
                    .arg(esc(s.change), esc(JobReport::tr("Frames recorded: %1").arg(s.frames)));
        if (s.dir.isEmpty())
            continue;
        const QString folder = QDir(job.snapshotsDir()).filePath(s.dir);
        QFile plot(QDir(folder).filePath(QStringLiteral("plot.png")));
        if (plot.size() <= MaxPlotBytes && plot.open(QIODevice::ReadOnly)) {
            const QString name = QStringLiteral("snapshot-%1.png").arg(content->images.size() + 1);
            content->images.insert(name, plot.readAll());
            html += QStringLiteral("<p><img src=\"%1\" alt=\"%2\"></p>")
                        .arg(name, esc(JobReport::tr("Plot of the parameters")));
        }
        html += QStringLiteral("<p>%1<br>%2</p>")
                    .arg(esc(JobReport::tr("Frames: %1")
                                 .arg(QDir::toNativeSeparators(
                                     QDir(folder).filePath(QStringLiteral("frames.log"))))),
                         esc(JobReport::tr("Parameters: %1")
                                 .arg(QDir::toNativeSeparators(
                                     QDir(folder).filePath(QStringLiteral("parameters.csv"))))));
    }
    return html;
}

QString changesTable(const QVector<ServiceJournal::Entry> &entries)
{
    QString html = table({JobReport::tr("Time"), JobReport::tr("Change"), JobReport::tr("Unit"),
                          JobReport::tr("Summary"), JobReport::tr("Outcome")});
    for (const ServiceJournal::Entry &e : entries) {
        QString summary = esc(e.summary) + listHtml(e.details);
        if (!e.files.isEmpty())
            summary += esc(JobReport::tr("Files:")) + listHtml(e.files);
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td></tr>")
                    .arg(esc(timeText(e.time)), esc(kindInWords(e.kind)), orDash(e.unit), summary,
                         esc(outcomeInWords(e.outcome)));
    }
    return html + QStringLiteral("</table>");
}

QString changesSection(const ServiceJob &job)
{
    const QVector<ServiceJournal::Entry> all = job.changes();
    QVector<ServiceJournal::Entry> tests;
    for (const ServiceJournal::Entry &e : all) {
        if (e.kind == ServiceJournal::AcceptanceTest)
            tests << e;
    }
    QString html = QStringLiteral("<h2>%1</h2>").arg(esc(JobReport::tr("Changes made")));
    html += all.isEmpty()
                ? QStringLiteral("<p>%1</p>")
                      .arg(esc(JobReport::tr("The program changed nothing on the machine.")))
                : changesTable(all);
    html += QStringLiteral("<h2>%1</h2>").arg(esc(JobReport::tr("Acceptance tests")));
    html += tests.isEmpty()
                ? QStringLiteral("<p>%1</p>").arg(esc(JobReport::tr("No acceptance test was run.")))
                : changesTable(tests);
    return html;
}

QString healthSection(const ServiceJob &job)
{
    const ServiceJob::Info &info = job.info();
    QString html = QStringLiteral("<h2>%1</h2>").arg(esc(JobReport::tr("Bus health")));
    if (!info.hasHealth)
        return html
               + QStringLiteral("<p>%1</p>")
                     .arg(esc(JobReport::tr("Measured when the job is finished.")));
    const QLocale locale;
    const ServiceJob::Health &h = info.health;
    html += QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    html += pairRow(JobReport::tr("Bus load, mean"),
                    esc(JobReport::tr("%1 %").arg(locale.toString(h.loadMeanPercent, 'f', 1))));
    html += pairRow(JobReport::tr("Bus load, highest"),
                    esc(JobReport::tr("%1 %").arg(locale.toString(h.loadMaxPercent, 'f', 1))));
    html += pairRow(JobReport::tr("Frames"), esc(locale.toString(h.frames)));
    html += pairRow(JobReport::tr("Transport sessions aborted"),
                    esc(locale.toString(h.transportAborts)));
    html += pairRow(JobReport::tr("Silent units"),
                    h.silentUnits.isEmpty() ? esc(JobReport::tr("none"))
                                            : esc(h.silentUnits.join(QLatin1String(", "))));
    return html + QStringLiteral("</table>");
}

QString rawSection(const ServiceJob &job)
{
    QString html = QStringLiteral("<h2>%1</h2>").arg(esc(JobReport::tr("Raw recording")));
    const QVector<int> parts = RawRecorder::partNumbers(job.rawDir());
    if (parts.isEmpty())
        return html
               + QStringLiteral("<p>%1</p>").arg(esc(JobReport::tr("No frames were recorded.")));
    const QLocale locale;
    html += table({JobReport::tr("File"), JobReport::tr("Size")});
    for (int part : parts) {
        const QFileInfo file(QDir(job.rawDir()).filePath(RawRecorder::partFileName(part)));
        html += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                    .arg(esc(QDir::toNativeSeparators(file.absoluteFilePath())),
                         esc(locale.formattedDataSize(file.size())));
    }
    return html + QStringLiteral("</table>");
}

} // namespace

bool JobReport::build(const QString &jobDir, Content *content, QString *error)
{
    const std::unique_ptr<ServiceJob> job = ServiceJob::open(jobDir, error);
    if (!job)
        return false;
    Content c;
    c.html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                            "<style>%2</style></head><body>")
                 .arg(esc(tr("Service job report")), QLatin1String(Style));
    c.html += headerSection(*job);
    c.html += comparisonSection(*job);
    c.html += snapshotSection(*job, &c);
    c.html += changesSection(*job);
    c.html += healthSection(*job);
    c.html += rawSection(*job);
    c.html += QStringLiteral("</body></html>\n");
    *content = c;
    return true;
}
