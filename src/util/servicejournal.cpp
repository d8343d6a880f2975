#include "util/servicejournal.h"

#include <memory>
#include <mutex>

namespace ServiceJournal {
namespace {

std::mutex &listenerMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Shared so a call in progress keeps its listener while another thread replaces it.
std::shared_ptr<const Listener> &current()
{
    static std::shared_ptr<const Listener> listener;
    return listener;
}

} // namespace

void setListener(Listener listener)
{
    std::lock_guard<std::mutex> lock(listenerMutex());
    current() = listener ? std::make_shared<const Listener>(std::move(listener)) : nullptr;
}

bool hasListener()
{
    std::lock_guard<std::mutex> lock(listenerMutex());
    return current() != nullptr;
}

void record(Entry entry)
{
    std::shared_ptr<const Listener> listener;
    {
        std::lock_guard<std::mutex> lock(listenerMutex());
        listener = current();
    }
    if (!listener)
        return;
    if (!entry.time.isValid())
        entry.time = QDateTime::currentDateTimeUtc();
    (*listener)(entry);
}

QString summaryOf(const Entry &entry, const TranslatableText::NameTranslator &names)
{
    return entry.summaryText.isEmpty() ? entry.summary : entry.summaryText.toString(names);
}

QStringList detailsOf(const Entry &entry, const TranslatableText::NameTranslator &names)
{
    if (entry.detailTexts.empty())
        return entry.details;
    QStringList lines;
    for (const TranslatableText &line : entry.detailTexts)
        lines << line.toString(names);
    return lines;
}

QString outcomeKey(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
        return QStringLiteral("done");
    case Outcome::Failed:
        return QStringLiteral("failed");
    case Outcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return QStringLiteral("done");
}

Outcome outcomeFromKey(const QString &key)
{
    if (key == QLatin1String("failed"))
        return Outcome::Failed;
    if (key == QLatin1String("cancelled"))
        return Outcome::Cancelled;
    return Outcome::Done;
}

} // namespace ServiceJournal
