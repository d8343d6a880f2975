#include "model/standinjournal.h"

#include "model/abstractdisplayableitem.h"
#include "model/descriptiontext.h"
#include "model/zxparameter.h"
#include "util/servicejournal.h"

#include <QCoreApplication>
#include <QHash>

#include <mutex>

namespace {

std::mutex &sinceMutex()
{
    static std::mutex mutex;
    return mutex;
}

// When each item began to be stood in for, while it is.
QHash<const AbstractDisplayableItem *, QDateTime> &since()
{
    static QHash<const AbstractDisplayableItem *, QDateTime> map;
    return map;
}

TranslatableText words(const char *source)
{
    return TranslatableText::catalogue("StandInJournal", source);
}

QString label(const AbstractDisplayableItem *item)
{
    QString text = item->name();
    const ItemAddress a = item->address();
    if (a.kind == ItemAddress::J1939)
        text += QStringLiteral(" (0x%1)").arg(
            QStringLiteral("%1").arg(a.value, 2, 16, QLatin1Char('0')).toUpper());
    return text;
}

// The unit's label for the journal: the item when it is a unit, else the unit above it.
QString unitOf(const AbstractDisplayableItem *item)
{
    for (const AbstractDisplayableItem *i = item; i; i = i->parentItem()) {
        if (i->address().kind == ItemAddress::J1939)
            return label(i);
    }
    return QString();
}

// "Group: value = 1, other = 2" for the item and each item below it that has values.
void appendValues(const AbstractDisplayableItem *item, std::vector<TranslatableText> *lines)
{
    std::vector<TranslatableText> values;
    for (const ZxParameter *p : item->parameters()) {
        if (!p->isHidden())
            values.push_back(TranslatableText::joined(
                {TranslatableText::name(p->name()), TranslatableText::plain(p->toString())},
                QStringLiteral(" = ")));
    }
    if (!values.empty())
        lines->push_back(
            TranslatableText::joined({TranslatableText::name(item->name()),
                                      TranslatableText::joined(values, QStringLiteral(", "))},
                                     QStringLiteral(": ")));
    for (const AbstractDisplayableItem *child : item->children())
        appendValues(child, lines);
}

} // namespace

void StandInJournal::stateChanged(const AbstractDisplayableItem *item, int from, int to)
{
    using Item = AbstractDisplayableItem;
    if ((from == Item::Send) == (to == Item::Send) || !ServiceJournal::hasListener())
        return;
    // A unit's functions follow its state: the unit's note covers them.
    const Item *parent = item->parentItem();
    if (parent && parent->state() == to)
        return;
    ServiceJournal::Entry entry;
    entry.kind = ServiceJournal::StandIn;
    entry.unit = unitOf(item);
    entry.time = QDateTime::currentDateTimeUtc();
    if (to == Item::Send) {
        {
            std::lock_guard<std::mutex> lock(sinceMutex());
            since().insert(item, entry.time);
        }
        entry.summaryText = words(QT_TRANSLATE_NOOP("StandInJournal", "Standing in for %1"))
                                .arg(TranslatableText::name(label(item)));
    } else {
        QDateTime began;
        {
            std::lock_guard<std::mutex> lock(sinceMutex());
            began = since().take(item);
        }
        entry.summaryText
            = words(QT_TRANSLATE_NOOP("StandInJournal", "No longer standing in for %1"))
                  .arg(TranslatableText::name(label(item)));
        if (began.isValid())
            entry.detailTexts.push_back(words(QT_TRANSLATE_NOOP("StandInJournal", "From %1 to %2"))
                                            .arg(began.toLocalTime().toString(Qt::ISODate))
                                            .arg(entry.time.toLocalTime().toString(Qt::ISODate)));
        appendValues(item, &entry.detailTexts);
    }
    // The texts as the window shows its items' names.
    entry.summary = entry.summaryText.toString(&DescriptionText::translated);
    for (const TranslatableText &line : entry.detailTexts)
        entry.details << line.toString(&DescriptionText::translated);
    ServiceJournal::record(entry);
}
