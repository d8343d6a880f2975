#pragma once

#include "util/translatabletext.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class DeviceTest;

// The record of one test run as the engineer files it: a CSV table and a readable text, both in
// UTF-8, written atomically.
namespace DeviceTestReport {
QString resultText(int stepResult);
// "N passed, M skipped, K failed, L not run".
QString summary(const DeviceTest *test);
// The same in the words of the code, for the service journal.
TranslatableText summaryWords(const DeviceTest *test);
QByteArray toCsv(const DeviceTest *test);
QByteArray toText(const DeviceTest *test);
// The lines of toText() for the steps that failed or were skipped, in order: what a record of
// the visit keeps of a run (the files hold every step).
QStringList notPassedLines(const DeviceTest *test);
std::vector<TranslatableText> notPassedWords(const DeviceTest *test);
// "test-<key>-yyyy-MM-ddThh-mm-ss" after the start of the run.
QString baseName(const DeviceTest *test);
// Writes <baseName>.csv and <baseName>.txt into the directory; the paths written go to `paths`.
bool save(const DeviceTest *test, const QString &directory, QStringList *paths, QString *errorText);
// Writes the CSV to `csvPath` (".csv" added when it has no suffix) and the text beside it, with
// the same name and ".txt".
bool saveAs(const DeviceTest *test, const QString &csvPath, QStringList *paths, QString *errorText);
} // namespace DeviceTestReport
