#include "diagnostics/dtcarrayparameter.h"

#include "descriptions/spnnames.h"
#include "diagnostics/fmitexts.h"
#include "model/editorcast.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QListWidget>
#include <QTextCodec>

namespace {

struct KnownCode
{
    quint32 spn;
    quint32 fmi;
    const char *text;
};

// The machine's own codes, translated when the table is built.
const KnownCode MachineCodes[] = {
    {521024, 31,
     QT_TRANSLATE_NOOP("DtcArrayParameter", "One of the safety-subsystem sensors has failed, "
                                            "all movements are blocked")},
    {521025, 15, QT_TRANSLATE_NOOP("DtcArrayParameter", "Working platform at rated load")},
    {521025, 16, QT_TRANSLATE_NOOP("DtcArrayParameter", "Working platform overloaded")},
    {521041, 15, QT_TRANSLATE_NOOP("DtcArrayParameter", "Approaching maximum outreach")},
    {521041, 16,
     QT_TRANSLATE_NOOP("DtcArrayParameter", "Maximum permissible outreach exceeded")},
    {521042, 17, QT_TRANSLATE_NOOP("DtcArrayParameter", "Approaching the cabin zone")},
    {521042, 18, QT_TRANSLATE_NOOP("DtcArrayParameter", "Entering the cabin zone")},
};

constexpr quint8 OccurrenceMask = 0x7F;
// An occurrence count of all ones: the unit does not count.
constexpr int OccurrenceNotAvailable = 0x7F;

QString machineSource(quint32 spn, quint32 fmi)
{
    for (const KnownCode &code : MachineCodes) {
        if (code.spn == spn && code.fmi == fmi)
            return QString::fromUtf8(code.text);
    }
    return QString();
}

QListWidgetItem *findRow(QListWidget *list, quint32 spn, quint32 fmi)
{
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem *row = list->item(i);
        if (row->data(DtcArrayParameter::SpnRole).toUInt() == spn
            && row->data(DtcArrayParameter::FmiRole).toUInt() == fmi)
            return row;
    }
    return nullptr;
}

void mark(QListWidgetItem *row, int state, qint64 deadline, const QBrush &background)
{
    row->setData(DtcArrayParameter::StateRole, state);
    row->setData(DtcArrayParameter::DeadlineRole, deadline);
    row->setBackground(background);
}

} // namespace

DtcArrayParameter::DtcArrayParameter()
{
    for (const KnownCode &code : MachineCodes)
        m_descriptions.insert(qMakePair(code.spn, code.fmi),
                              QCoreApplication::translate("DtcArrayParameter", code.text));
}

QString DtcArrayParameter::toString() const
{
    QString text;
    for (const DtcItem &code : codes()) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QStringLiteral("[%1,%2]").arg(code.spn).arg(code.fmi);
    }
    return text;
}

QVector<DtcArrayParameter::DtcItem> DtcArrayParameter::codes() const
{
    std::lock_guard locker(m_mutex);
    return m_codes;
}

void DtcArrayParameter::setCodes(const QVector<DtcItem> &codes)
{
    QVector<DtcItem> old;
    {
        std::lock_guard locker(m_mutex);
        old = std::move(m_codes);
        m_codes = codes;
    }
    setValid(true);
}

QString DtcArrayParameter::rowText(const DtcItem &code) const
{
    QStringList parts;
    for (const QString &part : {descriptionFor(code.spn, code.fmi), FmiTexts::text(code.fmi)}) {
        if (!part.isEmpty())
            parts << part;
    }
    const int count = occurrences(code);
    if (count >= 0)
        parts << QCoreApplication::translate("DtcArrayParameter", "%1×").arg(count);
    const QString prefix = QStringLiteral("[%1,%2]").arg(code.spn).arg(code.fmi);
    return parts.isEmpty() ? prefix
                           : prefix + QLatin1Char(' ') + parts.join(QStringLiteral(" \u00B7 "));
}

int DtcArrayParameter::occurrences(const DtcItem &code)
{
    const int count = int(code.oc & OccurrenceMask);
    return count == OccurrenceNotAvailable ? -1 : count;
}

QString DtcArrayParameter::englishDescription(quint32 spn, quint32 fmi)
{
    const QString machineText = machineSource(spn, fmi);
    QStringList parts;
    for (const QString &part :
         {machineText.isEmpty() ? SpnNames::name(spn) : machineText, FmiTexts::englishText(fmi)}) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QStringLiteral(" - "));
}

QString DtcArrayParameter::descriptionFor(quint32 spn, quint32 fmi) const
{
    // The machine's own texts say what the fault is; otherwise the library's name of the SPN
    // says at least what it is about.
    const QString machineText = m_descriptions.value(qMakePair(spn, fmi));
    return machineText.isEmpty() ? SpnNames::translatedName(spn) : machineText;
}

QString DtcArrayParameter::description(quint32 spn, quint32 fmi)
{
    const QString machineText = machineSource(spn, fmi);
    return machineText.isEmpty()
               ? SpnNames::translatedName(spn)
               : QCoreApplication::translate("DtcArrayParameter", machineText.toUtf8().constData());
}

void DtcArrayParameter::updateWidgetValue(QWidget *widget)
{
    refreshList(widget, QDateTime::currentMSecsSinceEpoch());
}

void DtcArrayParameter::refreshList(QWidget *widget, qint64 now) const
{
    auto *list = editorCast<QListWidget>(widget, "DtcArrayParameter", EditorCast::ToEditor);
    if (!list)
        return;
    const QVector<DtcItem> current = codes();
    const qint64 deadline = now + HighlightMs;
    const QBrush fresh(Qt::green);
    for (const DtcItem &code : current) {
        if (QListWidgetItem *row = findRow(list, code.spn, code.fmi)) {
            if (row->data(OcRole).toUInt() != code.oc) {
                row->setData(OcRole, code.oc);
                row->setText(rowText(code));
                row->setToolTip(row->text());
                mark(row, RowNew, deadline, fresh);
            }
            continue;
        }
        auto *row = new QListWidgetItem(rowText(code));
        // The panel is narrow: the whole text on hovering.
        row->setToolTip(row->text());
        row->setData(SpnRole, code.spn);
        row->setData(FmiRole, code.fmi);
        row->setData(OcRole, code.oc);
        mark(row, RowNew, deadline, fresh);
        list->addItem(row);
    }
    for (int i = list->count() - 1; i >= 0; --i) {
        QListWidgetItem *row = list->item(i);
        const quint32 spn = row->data(SpnRole).toUInt();
        const quint32 fmi = row->data(FmiRole).toUInt();
        const bool present = std::any_of(current.begin(), current.end(), [&](const DtcItem &c) {
            return c.spn == spn && c.fmi == fmi;
        });
        const int state = row->data(StateRole).toInt();
        if (!present && (state == RowNew || state == RowSteady))
            mark(row, RowGone, deadline, QBrush(Qt::lightGray));
        if (now >= row->data(DeadlineRole).toLongLong()) {
            const int s = row->data(StateRole).toInt();
            if (s == RowNew) {
                row->setData(StateRole, RowSteady);
                row->setBackground(QBrush());
            } else if (s == RowGone) {
                delete list->takeItem(i);
            }
        }
    }
}

void DtcArrayParameter::updateFromWidget(QWidget *)
{
    // The list is display-only.
}

QWidget *DtcArrayParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *list = new QListWidget;
    list->setMinimumHeight(40);
    // Rows wrap at the panel's width: the occurrence count at the end stays in sight.
    list->setWordWrap(true);
    list->setResizeMode(QListView::Adjust);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    *changedSignal = nullptr;
    *ok = true;
    return list;
}
