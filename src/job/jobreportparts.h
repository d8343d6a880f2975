#pragma once

#include "job/inventorycomparison.h"
#include "job/jobreport.h"
#include "job/servicejob.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>

// The pieces the report's HTML is made of, shared by its first page and its details. Reads the
// job's folder only; any thread.
namespace JobReportParts {

QString esc(const QString &text);
// Numbers as the report's language writes them ("4 126", "20,3" in Russian).
QLocale reportLocale();
QString timeText(const QDateTime &time);
QString orDash(const QString &text);
// A table of the report's style, with its header row; `widths` in percent of the page.
QString table(const QStringList &headers, const QVector<int> &widths = {});
QString pairRow(const QString &label, const QString &htmlValue);
// A row that names the unit the rows under it belong to.
QString unitRow(const QString &unit, int columns);
QString heading(const QString &text);
QString listHtml(const QStringList &items);

// "Engine #2 (0x01)" from a name that may carry its address already, in the report's language.
QString unitLabel(const QString &name, int address);
// A unit's label as the job keeps it, in the report's language where the catalogue knows it.
QString unitName(const QString &label);
// A unit of one of the job's other buses is named with its bus: "Engine #1 (0x00) on can1".
QString busUnitName(const QString &label, const QString &bus);
// A file the job refers to, without the engineer's folders: its path in the job's folder, or
// its bare name when it lies elsewhere.
QString shownPath(const QString &jobDir, const QString &path);

// Step counts of an acceptance test run, read from its journal summary.
struct TestCounts
{
    int passed = 0;
    int skipped = 0;
    int failed = 0;
    int notRun = 0;
};
// False when the summary is not one of a run in this language or in English.
bool readTestCounts(const QString &summary, TestCounts *counts);
// The journal's notes of finished or stopped runs (not those of a saved report).
bool isTestRun(const ServiceJournal::Entry &entry);

// A unit stood in for, its start and end notes together.
struct StandIn
{
    QString unit;
    QString summary;
    QDateTime from;
    QDateTime to;
    QStringList sent; // the groups the tool sent, by name
};

// What the job found, did and left, counted for the first page.
struct Facts
{
    int unitsFound = 0;
    int activeFound = 0;
    int storedFound = 0;
    int activeCleared = 0;
    int activeNew = 0;
    int activeLeft = 0;
    int storedLeft = 0;
    int storedCleared = 0;
    int otherDifferences = 0;
    int changes = 0;
    int testRuns = 0;
    bool testCountsKnown = true;
    TestCounts tests;
};

// The comparison rows the report shows: every code, and whatever else differs.
QVector<InventoryComparison::Row> comparedRows(const ServiceJob &job);
Facts factsOf(const ServiceJob &job);
bool isCodeRow(const InventoryComparison::Row &row);
// Entries that changed the machine, stand-ins merged, in order.
bool changesMachine(const ServiceJournal::Entry &entry);

QString headerSection(const ServiceJob &job);
QString summarySection(const ServiceJob &job, const Facts &facts);
QString healthSection(const ServiceJob &job, const Facts &facts);

QString unitsSection(const ServiceJob &job);
QString codesSection(const ServiceJob &job);
QString differencesSection(const ServiceJob &job);
QString workSection(const ServiceJob &job);
QString snapshotSection(const ServiceJob &job, JobReport::Content *content);

} // namespace JobReportParts
