#include "model/zxlistparameter.h"

#include "model/descriptiontext.h"
#include "model/editorcast.h"
#include "model/variantrounding.h"
#include "model/editors/notavailablecombobox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDebug>

#include <charconv>

ZxListParameter::ZxListParameter(const QStringList &items, int minimumContentsLength)
    : m_minimumContentsLength(minimumContentsLength)
    , m_items(items)
{}

bool ZxListParameter::appendNumberText(QByteArray *out) const
{
    if (!isValid())
        return false;
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value());
    out->append(text, int(result.ptr - text));
    return true;
}

QString ZxListParameter::currentText() const
{
    const int index = value();
    return index >= 0 && index < m_items.size() ? m_items.at(index) : QString::number(index);
}

void ZxListParameter::updateWidgetValue(QWidget *widget)
{
    auto *box = editorCast<QComboBox>(widget, "ZxListParameter", EditorCast::ToEditor);
    if (!box)
        return;
    box->setCurrentIndex(value());
    if (auto *na = dynamic_cast<NotAvailableDisplay *>(box))
        na->setUnavailableText(isValid() ? QString() : invalidText());
}

void ZxListParameter::updateFromWidget(QWidget *widget)
{
    auto *box = editorCast<QComboBox>(widget, "ZxListParameter", EditorCast::FromEditor);
    if (!box)
        return;
    setValue(box->currentIndex());
    setValid(true);
}

bool ZxListParameter::save(QDataStream &stream) const
{
    stream << qint32(value());
    return streamOk(stream);
}

bool ZxListParameter::restore(QDataStream &stream)
{
    qint32 v = 0;
    stream >> v;
    if (!streamOk(stream))
        return false;
    setValue(v);
    setValid(true);
    return true;
}

bool ZxListParameter::setVariantValue(const QVariant &v)
{
    setValue(v.toInt());
    setValid(true);
    return true;
}

bool ZxListParameter::setNumber(double value)
{
    // Rounded as QVariant::toInt() rounds a double.
    setValue(variantRoundedInt(value));
    setValid(true);
    return true;
}

QWidget *ZxListParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *box = new NotAvailableComboBox;
    // The entries by index: their texts are shown in the interface language.
    QStringList shown;
    for (const QString &item : qAsConst(m_items))
        shown << DescriptionText::translated(item);
    box->addItems(shown);
    updateWidgetValue(box);
    if (m_minimumContentsLength != 0) {
        box->setMinimumContentsLength(m_minimumContentsLength);
        int widest = 0;
        const QFontMetrics metrics = box->fontMetrics();
        for (const QString &item : qAsConst(shown))
            widest = std::max(widest, metrics.horizontalAdvance(item));
        box->view()->setMinimumWidth(widest + 8);
    }
    *changedSignal = SIGNAL(currentIndexChanged(int));
    *ok = true;
    return box;
}
