#pragma once

#include "util/servicejournal.h"

class AbstractDisplayableItem;
class DeviceDispatcher;

// What the service functions note in the service journal, in the words the window uses.
namespace JournalNotes {

// "Engine #1 (0x00)", or "Unit 0x00" for a unit without a name.
QString unitLabel(quint8 address, const QString &name);
// The label of the unit at this address among the units of a bus (bus thread: reads the
// dispatcher's devices); the plain address label without a bus.
QString unitLabelAt(const DeviceDispatcher *bus, quint8 address);
// The label of the unit an item belongs to (the item itself when it is a unit); empty when the
// item is not under a J1939 unit.
QString unitLabel(const AbstractDisplayableItem *item);

void note(const QString &kind, const QString &unit, const QString &summary,
          ServiceJournal::Outcome outcome, const QStringList &details = {},
          const QStringList &files = {});
// The same with the texts in the words of the code: noted as the interface says them now and
// kept for a report in another language.
void note(const QString &kind, const QString &unit, const TranslatableText &summary,
          ServiceJournal::Outcome outcome, const std::vector<TranslatableText> &details = {},
          const QStringList &files = {});
// The text in the interface language, the units' names too.
QString said(const TranslatableText &text);

} // namespace JournalNotes
