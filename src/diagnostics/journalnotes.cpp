#include "diagnostics/journalnotes.h"

#include "descriptions/unitnames.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"

#include <QCoreApplication>

QString JournalNotes::unitLabel(quint8 address, const QString &name)
{
    const QString hex = QStringLiteral("0x")
                        + QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
    if (name.isEmpty())
        return UnitNames::unnamed(address);
    // Units added from the traffic are named after their address already: "Engine #2 (0x01)".
    const QString suffix = QStringLiteral(" (%1)").arg(hex);
    return name.endsWith(suffix, Qt::CaseInsensitive) ? name : name + suffix;
}

QString JournalNotes::unitLabelAt(const DeviceDispatcher *bus, quint8 address)
{
    if (bus) {
        for (CanDevice *device : bus->devices()) {
            const auto *unit = qobject_cast<const J1939Device *>(device);
            if (unit && unit->address().value == address)
                return unitLabel(address, unit->name());
        }
    }
    return unitLabel(address, QString());
}

QString JournalNotes::unitLabel(const AbstractDisplayableItem *item)
{
    for (; item; item = item->parentItem()) {
        if (const auto *unit = qobject_cast<const J1939Device *>(item))
            return unitLabel(quint8(unit->address().value), unit->name());
    }
    return QString();
}

QString JournalNotes::said(const TranslatableText &text)
{
    return text.toString(&UnitNames::translated);
}

void JournalNotes::note(const QString &kind, const QString &unit, const TranslatableText &summary,
                        ServiceJournal::Outcome outcome,
                        const std::vector<TranslatableText> &details, const QStringList &files)
{
    if (!ServiceJournal::hasListener())
        return;
    ServiceJournal::Entry entry;
    entry.kind = kind;
    entry.unit = unit;
    entry.summary = said(summary);
    entry.summaryText = summary;
    entry.outcome = outcome;
    for (const TranslatableText &line : details)
        entry.details << said(line);
    entry.detailTexts = details;
    entry.files = files;
    ServiceJournal::record(entry);
}

void JournalNotes::note(const QString &kind, const QString &unit, const QString &summary,
                        ServiceJournal::Outcome outcome, const QStringList &details,
                        const QStringList &files)
{
    if (!ServiceJournal::hasListener())
        return;
    ServiceJournal::Entry entry;
    entry.kind = kind;
    entry.unit = unit;
    entry.summary = summary;
    entry.outcome = outcome;
    entry.details = details;
    entry.files = files;
    ServiceJournal::record(entry);
}
