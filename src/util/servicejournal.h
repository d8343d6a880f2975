#pragma once

#include "util/translatabletext.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Where the program notes each change it makes to the machine (a memory write, a flashing run,
// a tune variable written, codes cleared, broadcasts suspended, an acceptance test, a unit stood
// in for), so a service job can keep the record of the visit. Without a listener nothing is
// kept. Callable from any thread; the listener is called on the caller's thread.
namespace ServiceJournal {

// Kinds of entries, as they appear in a job's change log.
inline const QString MemoryWrite = QStringLiteral("memory-write");
inline const QString MemoryRead = QStringLiteral("memory-read");
inline const QString Flashing = QStringLiteral("flashing");
inline const QString TuneWrite = QStringLiteral("tune-write");
inline const QString TuneRead = QStringLiteral("tune-read");
inline const QString CodeClearing = QStringLiteral("code-clearing");
inline const QString Suspension = QStringLiteral("broadcast-suspension");
inline const QString AcceptanceTest = QStringLiteral("acceptance-test");
inline const QString StandIn = QStringLiteral("stand-in");
inline const QString Note = QStringLiteral("note");

enum class Outcome { Done, Failed, Cancelled };

struct Entry
{
    QDateTime time; // UTC; filled in by record() when left invalid
    QString kind;
    QString unit;    // "Engine #1 (0x00)"; empty when the change concerns the whole bus
    QString summary; // one line, as the window's status bar said it
    Outcome outcome = Outcome::Done;
    QStringList details; // values before and after, codes before and after, answers
    QStringList files;   // files the change left (a backup, a report, a flash log)
    // The summary and the details in the words of the code, for a reader in another language;
    // empty in notes of older versions, which have the texts above only.
    TranslatableText summaryText;
    std::vector<TranslatableText> detailTexts;
};

using Listener = std::function<void(const Entry &)>;

// Replaces the listener (an empty one: nothing is kept).
void setListener(Listener listener);
bool hasListener();
void record(Entry entry);

// The summary and the details in the current language, names through `names`; as noted
// when the entry has them in the words of the code only.
QString summaryOf(const Entry &entry, const TranslatableText::NameTranslator &names = {});
QStringList detailsOf(const Entry &entry, const TranslatableText::NameTranslator &names = {});

QString outcomeKey(Outcome outcome);
Outcome outcomeFromKey(const QString &key);

} // namespace ServiceJournal
