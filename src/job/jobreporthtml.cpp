// The report's HTML: its shared pieces, the first page (the machine, the job, what was found,
// done and left, the health of the bus) and the whole put together.
#include "descriptions/unitnames.h"
#include "job/jobreportparts.h"
#include "job/rawrecorder.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace JobReportParts {

namespace {

using Fate = InventoryComparison::CodeFate;
using Field = InventoryComparison::Field;
using Kind = InventoryComparison::Kind;

const char *const Style = R"(
body { font-family: sans-serif; font-size: 9pt; color: #000; }
h1 { font-size: 15pt; } h2 { font-size: 12pt; margin-top: 12pt; }
table { border-collapse: collapse; }
th, td { border: 1px solid #888; padding: 2px; vertical-align: top; text-align: left;
         font-size: 8.5pt; }
th { background-color: #e4e4e4; }
.unit { background-color: #f0f0f0; }
.open { color: #a00000; font-weight: bold; font-size: 12pt; }
)";

// Summaries listed on the first page before "and N more".
constexpr int MaxDoneOnFirstPage = 6;

QString countText(int n, const char *text)
{
    return JobReport::tr(text, nullptr, n);
}

// "Engine #2 (0x01): 3 active, 2 previously active"
QStringList codesPerUnit(const InventoryRecord &record, bool withStored)
{
    QStringList parts;
    for (const InventoryRecord::Unit &u : record.units) {
        QStringList counts;
        if (!u.active.isEmpty())
            counts << countText(int(u.active.size()),
                                QT_TRANSLATE_N_NOOP("JobReport", "%n active"));
        if (withStored && !u.previous.isEmpty())
            counts << countText(int(u.previous.size()),
                                QT_TRANSLATE_N_NOOP("JobReport", "%n previously active"));
        if (!counts.isEmpty())
            parts << JobReport::tr("%1: %2").arg(busUnitName(u.label, u.bus),
                                                 counts.join(QLatin1String(", ")));
    }
    return parts;
}

QString durationText(const QDateTime &from, const QDateTime &to)
{
    if (!from.isValid() || !to.isValid())
        return QString();
    const qint64 s = std::max<qint64>(0, from.secsTo(to));
    if (s < 60)
        return JobReport::tr("%n s", nullptr, int(s));
    if (s < 3600)
        return JobReport::tr("%1 min %2 s").arg(s / 60).arg(s % 60);
    return JobReport::tr("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
}

// "205.3 KiB" in the report's words and numbers.
QString sizeText(qint64 bytes)
{
    constexpr double Kibi = 1024;
    const auto scaled = [](double value) { return reportLocale().toString(value, 'f', 1); };
    if (bytes < Kibi)
        return countText(int(bytes), QT_TRANSLATE_N_NOOP("JobReport", "%n byte(s)"));
    if (bytes < Kibi * Kibi)
        return JobReport::tr("%1 KiB").arg(scaled(bytes / Kibi));
    if (bytes < Kibi * Kibi * Kibi)
        return JobReport::tr("%1 MiB").arg(scaled(bytes / (Kibi * Kibi)));
    return JobReport::tr("%1 GiB").arg(scaled(bytes / (Kibi * Kibi * Kibi)));
}

QString rawText(const ServiceJob &job)
{
    const QVector<int> parts = RawRecorder::partNumbers(job.rawDir());
    if (parts.isEmpty())
        return JobReport::tr("No frames were recorded.");
    qint64 bytes = 0;
    for (int part : parts)
        bytes += QFileInfo(QDir(job.rawDir()).filePath(RawRecorder::partFileName(part))).size();
    return JobReport::tr("%1 in %2 (%3)")
        .arg(countText(int(parts.size()), QT_TRANSLATE_N_NOOP("JobReport", "%n part(s)")),
             shownPath(job.dir(), job.rawDir()) + QLatin1Char('/'), sizeText(bytes));
}

} // namespace

QLocale reportLocale()
{
    return QLocale(JobReport::tr("en_US", "the locale whose numbers the report writes"));
}

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"))
                          : QStringLiteral("—");
}

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("—") : esc(text);
}

QString table(const QStringList &headers, const QVector<int> &widths)
{
    QString html = QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\"><tr>");
    for (int i = 0; i < headers.size(); ++i)
        html += (i < widths.size() ? QStringLiteral("<th width=\"%1%\">").arg(widths.at(i))
                                   : QStringLiteral("<th>"))
                + esc(headers.at(i)) + QStringLiteral("</th>");
    return html + QStringLiteral("</tr>");
}

QString pairRow(const QString &label, const QString &htmlValue)
{
    return QStringLiteral("<tr><th width=\"30%\">%1</th><td>%2</td></tr>")
        .arg(esc(label), htmlValue);
}

QString unitRow(const QString &unit, int columns)
{
    return QStringLiteral(
               "<tr class=\"unit\"><td colspan=\"%1\" bgcolor=\"#f0f0f0\"><b>%2</b></td></tr>")
        .arg(columns)
        .arg(esc(unit));
}

QString heading(const QString &text)
{
    return QStringLiteral("<h2>%1</h2>").arg(esc(text));
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

QString unitLabel(const QString &name, int address)
{
    const QString suffix = QStringLiteral(" (0x%1)").arg(
        QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper());
    if (name.isEmpty())
        return InventoryRecord::defaultLabel(address);
    return unitName(name.endsWith(suffix, Qt::CaseInsensitive) ? name : name + suffix);
}

QString unitName(const QString &label)
{
    return UnitNames::translated(label);
}

QString busUnitName(const QString &label, const QString &bus)
{
    return InventoryRecord::unitText(label, bus);
}

QString shownPath(const QString &jobDir, const QString &path)
{
    const QString relative = QDir(jobDir).relativeFilePath(path);
    if (QDir::isRelativePath(relative) && !relative.startsWith(QLatin1String("..")))
        return relative;
    return QFileInfo(path).fileName();
}

bool readTestCounts(const QString &summary, TestCounts *counts)
{
    // The summary ends in the run's counts, in the words of the language it was noted in.
    const char *const source = "%1 passed, %2 skipped, %3 failed, %4 not run";
    for (const QString &pattern :
         {QCoreApplication::translate("DeviceTestReport", source), QString::fromLatin1(source)}) {
        QString expression = QRegularExpression::escape(pattern);
        for (int i = 1; i <= 4; ++i)
            expression
                .replace(QStringLiteral("\\%%1").arg(i), QStringLiteral("(?<n%1>\\d+)").arg(i))
                .replace(QStringLiteral("%%1").arg(i), QStringLiteral("(?<n%1>\\d+)").arg(i));
        const QRegularExpressionMatch m = QRegularExpression(expression).match(summary);
        if (!m.hasMatch())
            continue;
        counts->passed = m.captured(QStringLiteral("n1")).toInt();
        counts->skipped = m.captured(QStringLiteral("n2")).toInt();
        counts->failed = m.captured(QStringLiteral("n3")).toInt();
        counts->notRun = m.captured(QStringLiteral("n4")).toInt();
        return true;
    }
    return false;
}

bool isTestRun(const ServiceJournal::Entry &entry)
{
    // A run's note has no files; the note of its saved report names them.
    return entry.kind == ServiceJournal::AcceptanceTest && entry.files.isEmpty();
}

bool changesMachine(const ServiceJournal::Entry &entry)
{
    namespace J = ServiceJournal;
    return entry.kind == J::MemoryWrite || entry.kind == J::Flashing || entry.kind == J::TuneWrite
           || entry.kind == J::CodeClearing || entry.kind == J::Suspension
           || entry.kind == J::StandIn;
}

bool isCodeRow(const InventoryComparison::Row &row)
{
    return (row.field == Field::ActiveCode || row.field == Field::PreviousCode)
           && !row.key.isEmpty();
}

QVector<InventoryComparison::Row> comparedRows(const ServiceJob &job)
{
    const InventoryRecord found = job.hasAsFound() ? job.asFound() : job.asLeft();
    const InventoryRecord left = job.hasAsLeft() ? job.asLeft() : job.asFound();
    const bool both = job.hasAsFound() && job.hasAsLeft();
    QVector<InventoryComparison::Row> rows;
    for (InventoryComparison::Row row : InventoryComparison::compare(found, left)) {
        if (!both) {
            row.kind = Kind::Same;
            row.fate = Fate::None;
        }
        if (isCodeRow(row) || row.kind != Kind::Same)
            rows << row;
    }
    return rows;
}

Facts factsOf(const ServiceJob &job)
{
    Facts f;
    const InventoryRecord found = job.hasAsFound() ? job.asFound() : job.asLeft();
    f.unitsFound = int(found.units.size());
    for (const InventoryRecord::Unit &u : found.units) {
        f.activeFound += int(u.active.size());
        f.storedFound += int(u.previous.size());
    }
    if (job.hasAsLeft()) {
        for (const InventoryRecord::Unit &u : job.asLeft().units) {
            f.activeLeft += int(u.active.size());
            f.storedLeft += int(u.previous.size());
        }
    }
    for (const InventoryComparison::Row &row : comparedRows(job)) {
        const bool active = row.field == Field::ActiveCode;
        if (!isCodeRow(row)) {
            ++f.otherDifferences;
            continue;
        }
        if (row.fate == Fate::Cleared)
            ++(active ? f.activeCleared : f.storedCleared);
        else if (row.fate == Fate::New && active)
            ++f.activeNew;
    }
    bool standing = false;
    for (const ServiceJournal::Entry &e : job.changes()) {
        if (e.kind == ServiceJournal::StandIn) {
            // A stand-in's start and end are one change.
            standing = !standing;
            f.changes += standing ? 1 : 0;
        } else if (changesMachine(e)) {
            ++f.changes;
        } else if (isTestRun(e)) {
            ++f.testRuns;
            TestCounts c;
            if (readTestCounts(e.summary, &c)) {
                f.tests.passed += c.passed;
                f.tests.skipped += c.skipped;
                f.tests.failed += c.failed;
                f.tests.notRun += c.notRun;
            } else {
                f.testCountsKnown = false;
            }
        }
    }
    return f;
}

QString headerSection(const ServiceJob &job)
{
    const ServiceJob::Info &info = job.info();
    QString html = QStringLiteral("<h1>%1</h1>").arg(esc(JobReport::tr("Service job report")));
    if (!info.finished)
        html += QStringLiteral("<p class=\"open\"><font color=\"#a00000\">%1</font></p>")
                    .arg(esc(JobReport::tr("Job not finished")));
    const QString when = info.finished
                             ? JobReport::tr("%1 to %2 (%3)")
                                   .arg(timeText(info.started), timeText(info.finishedAt),
                                        durationText(info.started, info.finishedAt))
                             : JobReport::tr("%1, not finished yet").arg(timeText(info.started));
    const QString connection
        = info.connectionText.isEmpty() ? info.connection : info.connectionText.toString();
    QString tool
        = JobReport::tr("%1 over %2")
              .arg(
                  QStringLiteral("Tarvik %1").arg(QCoreApplication::applicationVersion()).trimmed(),
                  connection.isEmpty() ? JobReport::tr("an unnamed connection") : connection);
    if (!info.requests)
        tool += JobReport::tr("; a recording played back, nothing sent to the machine");
    html += QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
    html += QStringLiteral("<tr><th>%1</th><td>%2</td><th>%3</th><td>%4</td></tr>")
                .arg(esc(JobReport::tr("Serial number")), orDash(info.header.serial),
                     esc(JobReport::tr("VIN")), orDash(info.header.vin));
    html += QStringLiteral("<tr><th>%1</th><td>%2</td><th>%3</th><td>%4</td></tr>")
                .arg(esc(JobReport::tr("Order")), orDash(info.header.order),
                     esc(JobReport::tr("Engineer")), orDash(info.header.engineer));
    html += QStringLiteral("<tr><th>%1</th><td colspan=\"3\">%2</td></tr>")
                .arg(esc(JobReport::tr("Date")), esc(when));
    html += QStringLiteral("<tr><th>%1</th><td colspan=\"3\">%2</td></tr>")
                .arg(esc(JobReport::tr("Tool")), esc(tool));
    if (!info.header.notes.isEmpty())
        html += QStringLiteral("<tr><th>%1</th><td colspan=\"3\">%2</td></tr>")
                    .arg(esc(JobReport::tr("Notes")),
                         esc(info.header.notes).replace(QLatin1Char('\n'), QLatin1String("<br>")));
    return html + QStringLiteral("</table>");
}

QString summarySection(const ServiceJob &job, const Facts &facts)
{
    QString html = heading(JobReport::tr("Summary"));
    const auto paragraph = [](const QString &label, const QString &text) {
        return QStringLiteral("<p><b>%1</b> %2</p>").arg(esc(label), text);
    };
    QString found;
    if (!job.hasAsFound() && !job.hasAsLeft()) {
        found = esc(JobReport::tr("No inventory was taken."));
    } else {
        const InventoryRecord record = job.hasAsFound() ? job.asFound() : job.asLeft();
        found = esc(
            JobReport::tr("%1 on the bus; %2 and %3.")
                .arg(countText(facts.unitsFound, QT_TRANSLATE_N_NOOP("JobReport", "%n unit(s)")),
                     countText(facts.activeFound,
                               QT_TRANSLATE_N_NOOP("JobReport", "%n active trouble code(s)")),
                     countText(facts.storedFound,
                               QT_TRANSLATE_N_NOOP("JobReport", "%n previously active code(s)"))));
        const QStringList perUnit = codesPerUnit(record, true);
        if (!perUnit.isEmpty())
            found
                += QStringLiteral(" ") + esc(perUnit.join(QLatin1String("; ")) + QLatin1Char('.'));
        if (!job.hasAsFound())
            found += QStringLiteral(" ")
                     + esc(JobReport::tr("The inventory as found was not taken."));
    }
    html += paragraph(JobReport::tr("Found:"), found);

    QStringList done;
    bool standing = false;
    for (const ServiceJournal::Entry &e : job.changes()) {
        if (e.kind == ServiceJournal::StandIn) {
            standing = !standing;
            if (!standing)
                continue;
        } else if (!changesMachine(e) && !isTestRun(e)) {
            continue;
        }
        done << ServiceJournal::summaryOf(e, &unitName);
    }
    QString doneHtml;
    if (done.isEmpty()) {
        doneHtml = esc(JobReport::tr("Nothing on the machine was changed."));
    } else {
        const int more = int(done.size()) - MaxDoneOnFirstPage;
        if (more > 0) {
            done = done.mid(0, MaxDoneOnFirstPage);
            done << countText(
                more, QT_TRANSLATE_N_NOOP("JobReport", "and %n more, listed under Work done"));
        }
        doneHtml = listHtml(done);
    }
    html += paragraph(JobReport::tr("Done:"), doneHtml);

    QString left;
    if (!job.hasAsLeft()) {
        left = esc(JobReport::tr("The inventory as left was not taken yet."));
    } else {
        const QStringList perUnit = codesPerUnit(job.asLeft(), false);
        left = esc(
            facts.activeLeft == 0
                ? JobReport::tr("No active trouble code remains.")
                : countText(facts.activeLeft,
                            QT_TRANSLATE_N_NOOP("JobReport", "%n active trouble code(s) remain:"))
                      + QLatin1Char(' ') + perUnit.join(QLatin1String("; ")) + QLatin1Char('.'));
        if (facts.otherDifferences > 0)
            left += QStringLiteral(" ")
                    + esc(countText(facts.otherDifferences,
                                    QT_TRANSLATE_N_NOOP(
                                        "JobReport",
                                        "%n other difference(s) to the machine as found, listed "
                                        "below.")));
    }
    html += paragraph(JobReport::tr("Left:"), left);
    return html;
}

QString healthSection(const ServiceJob &job, const Facts &facts)
{
    const ServiceJob::Info &info = job.info();
    QString html = heading(JobReport::tr("Health of the bus"));
    html += QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
    if (job.hasAsLeft())
        html += pairRow(JobReport::tr("Trouble codes"),
                        esc(JobReport::tr("active: %1 found, %2 cleared, %3 new, %4 remaining; "
                                          "previously active: %5 found, %6 cleared, %7 stored "
                                          "now")
                                .arg(facts.activeFound)
                                .arg(facts.activeCleared)
                                .arg(facts.activeNew)
                                .arg(facts.activeLeft)
                                .arg(facts.storedFound)
                                .arg(facts.storedCleared)
                                .arg(facts.storedLeft)));
    QString tests
        = facts.testRuns == 0
              ? JobReport::tr("none run")
              : JobReport::tr("%1: %2 passed, %3 failed, %4 skipped")
                    .arg(countText(facts.testRuns, QT_TRANSLATE_N_NOOP("JobReport", "%n run(s)")))
                    .arg(facts.tests.passed)
                    .arg(facts.tests.failed)
                    .arg(facts.tests.skipped);
    if (facts.testRuns > 0 && facts.tests.notRun > 0)
        tests += JobReport::tr(", %1 not run").arg(facts.tests.notRun);
    if (!facts.testCountsKnown)
        tests += JobReport::tr(" (some runs not counted, see Work done)");
    html += pairRow(JobReport::tr("Acceptance test steps"), esc(tests));
    html += pairRow(JobReport::tr("Changes made"), esc(QString::number(facts.changes)));
    if (info.hasHealth) {
        const QLocale locale = reportLocale();
        const ServiceJob::Health &h = info.health;
        html += pairRow(
            JobReport::tr("Bus load"),
            esc(JobReport::tr("%1 % mean, %2 % highest; %3 frames")
                    .arg(locale.toString(h.loadMeanPercent, 'f', 1),
                         locale.toString(h.loadMaxPercent, 'f', 1), locale.toString(h.frames))));
        html += pairRow(JobReport::tr("Transport sessions aborted"),
                        esc(locale.toString(h.transportAborts)));
        html += pairRow(JobReport::tr("Silent units"),
                        h.silentUnits.isEmpty() ? esc(JobReport::tr("none"))
                                                : esc(h.silentUnits.join(QLatin1String(", "))));
    } else {
        html += pairRow(JobReport::tr("Bus load"),
                        esc(JobReport::tr("Measured when the job is finished.")));
    }
    html += pairRow(JobReport::tr("Raw recording"), esc(rawText(job)));
    return html + QStringLiteral("</table>");
}

} // namespace JobReportParts

bool JobReport::build(const QString &jobDir, Content *content, QString *error)
{
    using namespace JobReportParts;
    const std::unique_ptr<ServiceJob> job = ServiceJob::open(jobDir, error);
    if (!job)
        return false;
    const Facts facts = factsOf(*job);
    Content c;
    c.html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                            "<style>%2</style></head><body>")
                 .arg(esc(tr("Service job report")), QLatin1String(Style));
    c.html += headerSection(*job);
    c.html += summarySection(*job, facts);
    c.html += healthSection(*job, facts);
    c.html += unitsSection(*job);
    c.html += codesSection(*job);
    c.html += differencesSection(*job);
    c.html += workSection(*job);
    c.html += snapshotSection(*job, &c);
    c.html += QStringLiteral("</body></html>\n");
    *content = c;
    return true;
}
