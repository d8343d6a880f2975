// The report's details after its first page: the units, their trouble codes, what else differs
// between as found and as left, the work done and the fault snapshots.
#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/fmitexts.h"
#include "job/jobjson.h"
#include "job/jobreportparts.h"
#include "job/snapshotplot.h"
#include "job/snapshotwriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>

namespace JobReportParts {

namespace {

using Field = InventoryComparison::Field;
using Kind = InventoryComparison::Kind;
using Row = InventoryComparison::Row;

// Largest plot the report takes in; a bigger file is not a plot this program made.
constexpr qint64 MaxPlotBytes = 4 * 1024 * 1024;
constexpr qint64 MaxIndexBytes = 16 * 1024 * 1024;
constexpr qint64 MaxValuesBytes = 64 * 1024 * 1024;
// Detail lines of one change; the job's changes.json keeps them all.
constexpr int MaxDetailLines = 6;
// The plot's width in the report, in the document's pixels.
constexpr int PlotWidth = 520;

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

// A calibration's verification number as the job keeps it ("0x1234ABCD", "n/a"), in words.
QString cvnText(const QString &cvn)
{
    return cvn == QLatin1String("n/a") ? JobReport::tr("n/a") : cvn;
}

bool identifies(const InventoryRecord::Unit &u)
{
    return !u.ecu.isEmpty() || !u.software.isEmpty() || !u.component.isEmpty()
           || !u.calibrations.isEmpty() || !u.vin.isEmpty();
}

const InventoryRecord::Code *codeIn(const InventoryRecord &record, const Row &row, bool active,
                                    const InventoryRecord::Code &code)
{
    const InventoryRecord::Unit *unit = record.unit(row.address, row.bus);
    if (!unit)
        return nullptr;
    for (const InventoryRecord::Code &c : active ? unit->active : unit->previous) {
        if (c.spn == code.spn && c.fmi == code.fmi)
            return &c;
    }
    return nullptr;
}

QString meaning(const InventoryRecord::Code &code)
{
    const QString name = DtcArrayParameter::description(code.spn, code.fmi);
    const QString fmi = FmiTexts::text(code.fmi);
    return name.isEmpty() ? fmi : name + QStringLiteral("; ") + fmi;
}

// Rows grouped by unit, each unit named once above its rows.
QString groupedRows(const QVector<Row> &rows, int columns,
                    const std::function<QString(const Row &)> &cells)
{
    QString html;
    const Row *unit = nullptr;
    for (const Row &row : rows) {
        if (!unit || row.address != unit->address || row.bus != unit->bus) {
            unit = &row;
            html += unitRow(busUnitName(row.unit, row.bus), columns);
        }
        html += QStringLiteral("<tr>%1</tr>").arg(cells(row));
    }
    return html;
}

QString cellsHtml(const QStringList &texts)
{
    QString html;
    for (const QString &t : texts)
        html += QStringLiteral("<td>%1</td>").arg(orDash(t));
    return html;
}

QString detailsHtml(const QStringList &details)
{
    QStringList shown = details.mid(0, MaxDetailLines);
    if (details.size() > MaxDetailLines)
        shown << JobReport::tr("… %n more in changes.json", nullptr,
                               int(details.size()) - MaxDetailLines);
    for (QString &line : shown)
        line = line.trimmed();
    return listHtml(shown);
}

// The stand-in's end note names each group the tool sent with its values: "Group: a = 1, ...".
QStringList sentGroups(const QStringList &details)
{
    QStringList groups;
    for (const QString &line : details) {
        const int colon = line.indexOf(QLatin1String(": "));
        if (colon > 0 && line.indexOf(QLatin1String(" = "), colon) > colon)
            groups << line.left(colon);
    }
    return groups;
}

QString workRow(const ServiceJob &job, const ServiceJournal::Entry &e, const QStringList &details)
{
    QString cell = QStringLiteral("<b>%1</b>: %2")
                       .arg(esc(kindInWords(e.kind)), esc(ServiceJournal::summaryOf(e, &unitName)));
    cell += detailsHtml(details);
    if (!e.files.isEmpty()) {
        QStringList files;
        for (const QString &f : e.files)
            files << shownPath(job.dir(), f);
        cell += esc(JobReport::tr("Files: %1").arg(files.join(QLatin1String(", "))));
    }
    return QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>")
        .arg(esc(e.time.toUTC().toString(QStringLiteral("HH:mm:ss"))), orDash(unitName(e.unit)),
             cell, esc(outcomeInWords(e.outcome)));
}

struct Snapshot
{
    QDateTime time;
    int unit = 0;
    QString unitName;
    QString change; // in the report's language
    QString dir;
    // The change and the window around it on the frames' clock, for the plot.
    qint64 timeUs = 0;
    qint64 fromUs = 0;
    qint64 toUs = 0;
};

// The plot of a snapshot's values, drawn again so its names read in the report's language;
// the plot the job drew when the values cannot be read or no fonts are there to draw with.
QByteArray plotOf(const QString &folder, const Snapshot &s)
{
    QFile values(QDir(folder).filePath(QStringLiteral("parameters.csv")));
    ParameterSamples samples;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && s.fromUs < s.toUs
        && values.size() <= MaxValuesBytes && values.open(QIODevice::ReadOnly)
        && SnapshotWriter::samplesFromCsv(values.readAll(), &samples)
        && samples.columnCount() > 0) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (SnapshotPlot::render(samples, 0, s.fromUs - s.timeUs, s.toUs - s.timeUs)
                .save(&buffer, "PNG"))
            return png;
    }
    QFile plot(QDir(folder).filePath(QStringLiteral("plot.png")));
    return plot.size() <= MaxPlotBytes && plot.open(QIODevice::ReadOnly) ? plot.readAll()
                                                                         : QByteArray();
}

// The snapshots' index; a missing one is no snapshots, a damaged one is said in the report.
QVector<Snapshot> readSnapshots(const QString &dir, QString *problem)
{
    QVector<Snapshot> list;
    QFile file(QDir(dir).filePath(QStringLiteral("index.json")));
    if (!file.exists())
        return list;
    const QString name = QStringLiteral("snapshots/index.json");
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxIndexBytes) {
        *problem = JobReport::tr("Cannot read %1").arg(name);
        return list;
    }
    QJsonObject o;
    if (!JobJson::parseObject(file.readAll(), name, &o, problem)
        || !JobJson::checkVersion(o, 1, name, problem))
        return list;
    for (const QJsonValue &v : o.value(QLatin1String("snapshots")).toArray()) {
        const QJsonObject s = v.toObject();
        Snapshot snap;
        snap.time = JobJson::parseTime(s.value(QLatin1String("time")).toString());
        snap.unit = s.value(QLatin1String("unit")).toInt();
        snap.timeUs = qint64(s.value(QLatin1String("timeUs")).toDouble());
        snap.fromUs = qint64(s.value(QLatin1String("fromUs")).toDouble());
        snap.toUs = qint64(s.value(QLatin1String("toUs")).toDouble());
        snap.unitName = s.value(QLatin1String("unitName")).toString();
        snap.change = SnapshotWriter::changeText(s);
        // Only a plain folder name inside snapshots/: the index must not point elsewhere.
        const QString sub = s.value(QLatin1String("dir")).toString();
        if (!sub.isEmpty() && !sub.contains(QLatin1Char('/')) && !sub.contains(QLatin1Char('\\'))
            && sub != QLatin1String(".") && sub != QLatin1String(".."))
            snap.dir = sub;
        list << snap;
    }
    return list;
}

} // namespace

QString unitsSection(const ServiceJob &job)
{
    if (!job.hasAsFound() && !job.hasAsLeft())
        return QString();
    const InventoryRecord record = job.hasAsFound() ? job.asFound() : job.asLeft();
    QString html = heading(JobReport::tr("Units on the bus"));
    QStringList quiet;
    QString rows;
    for (const InventoryRecord::Unit &u : record.units) {
        if (!identifies(u)) {
            quiet << busUnitName(u.label, u.bus);
            continue;
        }
        QStringList calibrations;
        for (const InventoryRecord::Calibration &c : u.calibrations)
            calibrations << JobReport::tr("%1 (CVN %2)").arg(c.calId, cvnText(c.cvn));
        QString identity = u.component.isEmpty() ? u.ecu : u.componentText();
        if (!u.vin.isEmpty())
            identity += (identity.isEmpty() ? QString() : QStringLiteral("; "))
                        + JobReport::tr("VIN %1").arg(u.vin);
        rows += QStringLiteral("<tr><td><b>%1</b></td>%2</tr>")
                    .arg(esc(busUnitName(u.label, u.bus)),
                         cellsHtml({identity, u.software, calibrations.join(QLatin1String("; "))}));
    }
    if (!rows.isEmpty())
        html += table({JobReport::tr("Unit"), JobReport::tr("Identification"),
                       JobReport::tr("Software"), JobReport::tr("Calibrations")},
                      {20, 32, 16, 32})
                + rows + QStringLiteral("</table>");
    if (!quiet.isEmpty())
        html += QStringLiteral("<p>%1</p>")
                    .arg(esc(JobReport::tr("Also on the bus, without identification: %1.")
                                 .arg(quiet.join(QLatin1String(", ")))));
    return html;
}

QString codesSection(const ServiceJob &job)
{
    QVector<Row> rows;
    for (const Row &row : comparedRows(job)) {
        if (isCodeRow(row))
            rows << row;
    }
    QString html = heading(JobReport::tr("Trouble codes"));
    if (rows.isEmpty())
        return html
               + QStringLiteral("<p>%1</p>").arg(esc(JobReport::tr("No unit reported a code.")));
    const InventoryRecord found = job.asFound();
    const InventoryRecord left = job.asLeft();
    html += table({JobReport::tr("Code"), JobReport::tr("Meaning"), JobReport::tr("As found"),
                   JobReport::tr("As left"), JobReport::tr("What became of it")},
                  {18, 40, 11, 11, 20});
    html += groupedRows(rows, 5, [&](const Row &row) {
        const bool active = row.field == Field::ActiveCode;
        const auto count = [&](const InventoryRecord &record, bool taken) {
            const InventoryRecord::Code *c = codeIn(record, row, active, row.code);
            return !taken || !c ? QString() : JobReport::tr("count %1").arg(c->oc);
        };
        const QString code = (active ? JobReport::tr("Active (DM1) %1")
                                     : JobReport::tr("Previously active (DM2) %1"))
                                 .arg(row.key);
        return cellsHtml({code, meaning(row.code), count(found, job.hasAsFound()),
                          count(left, job.hasAsLeft())})
               + QStringLiteral("<td><b>%1</b></td>")
                     .arg(esc(InventoryComparison::fateText(row.fate)));
    });
    return html + QStringLiteral("</table>");
}

QString differencesSection(const ServiceJob &job)
{
    if (!job.hasAsFound() || !job.hasAsLeft())
        return QString();
    QVector<Row> rows;
    for (const Row &row : comparedRows(job)) {
        if (!isCodeRow(row) && row.kind != Kind::Same)
            rows << row;
    }
    if (rows.isEmpty())
        return QString();
    QString html = heading(JobReport::tr("Other differences as left"));
    html += table({JobReport::tr("What"), JobReport::tr("As found"), JobReport::tr("As left"),
                   JobReport::tr("Difference")});
    html += groupedRows(rows, 4, [](const Row &row) {
        const bool unit = row.field == Field::Unit;
        return cellsHtml({InventoryComparison::fieldText(row),
                          unit ? busUnitName(row.before, row.bus) : row.before,
                          unit ? busUnitName(row.after, row.bus) : row.after})
               + QStringLiteral("<td><b>%1</b></td>")
                     .arg(esc(InventoryComparison::kindText(row.kind)));
    });
    return html + QStringLiteral("</table>");
}

QString workSection(const ServiceJob &job)
{
    const QVector<ServiceJournal::Entry> all = job.changes();
    QString html = heading(JobReport::tr("Work done"));
    if (all.isEmpty())
        return html
               + QStringLiteral("<p>%1</p>")
                     .arg(esc(JobReport::tr("The program changed nothing on the machine.")));
    html += table({JobReport::tr("Time (UTC)"), JobReport::tr("Unit"), JobReport::tr("What"),
                   JobReport::tr("Outcome")});
    QVector<bool> merged(all.size(), false);
    for (int i = 0; i < all.size(); ++i) {
        const ServiceJournal::Entry &e = all.at(i);
        if (merged.at(i))
            continue;
        if (e.kind != ServiceJournal::StandIn) {
            html += workRow(job, e, ServiceJournal::detailsOf(e, &unitName));
            continue;
        }
        // A stand-in: its start with the end that follows for the same unit, in one row.
        int end = i + 1;
        while (end < all.size()
               && (all.at(end).kind != ServiceJournal::StandIn || all.at(end).unit != e.unit))
            ++end;
        QStringList details;
        if (end < all.size()) {
            merged[end] = true;
            details << JobReport::tr("From %1 to %2")
                           .arg(e.time.toUTC().toString(QStringLiteral("HH:mm:ss")),
                                all.at(end).time.toUTC().toString(QStringLiteral("HH:mm:ss")));
            const QStringList groups
                = sentGroups(ServiceJournal::detailsOf(all.at(end), &unitName));
            if (!groups.isEmpty())
                details << JobReport::tr("Sent: %1").arg(groups.join(QLatin1String(", ")));
        } else {
            details << JobReport::tr("Until the end of the job");
        }
        html += workRow(job, e, details);
    }
    return html + QStringLiteral("</table>");
}

QString snapshotSection(const ServiceJob &job, JobReport::Content *content)
{
    QString problem;
    const QVector<Snapshot> snapshots = readSnapshots(job.snapshotsDir(), &problem);
    if (snapshots.isEmpty() && problem.isEmpty())
        return QString();
    QString html = heading(JobReport::tr("Fault snapshots"));
    if (!problem.isEmpty())
        html += QStringLiteral("<p>%1</p>").arg(esc(problem));
    for (const Snapshot &s : snapshots) {
        const InventoryRecord::Unit *unit = job.hasAsFound() ? job.asFound().unit(s.unit) : nullptr;
        const QString name = unit ? unitName(unit->label) : unitLabel(s.unitName, s.unit);
        // One paragraph a snapshot: what changed, the plot, where its files are.
        html += QStringLiteral("<p><b>%1</b><br>%2")
                    .arg(esc(JobReport::tr("%1, %2").arg(timeText(s.time), name)), esc(s.change));
        if (s.dir.isEmpty()) {
            html += QStringLiteral("</p>");
            continue;
        }
        const QString folder = QDir(job.snapshotsDir()).filePath(s.dir);
        const QByteArray plot = plotOf(folder, s);
        if (!plot.isEmpty()) {
            const QString image = QStringLiteral("snapshot-%1.png").arg(content->images.size() + 1);
            content->images.insert(image, plot);
            html += QStringLiteral("<br><img src=\"%1\" width=\"%2\" alt=\"%3\">")
                        .arg(image)
                        .arg(PlotWidth)
                        .arg(esc(JobReport::tr("Plot of the unit's values")));
        }
        html += QStringLiteral("<br>%1</p>")
                    .arg(esc(JobReport::tr("Frames and values: %1")
                                 .arg(shownPath(job.dir(), folder) + QLatin1Char('/'))));
    }
    return html;
}

} // namespace JobReportParts
