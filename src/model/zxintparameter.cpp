#include "model/zxintparameter.h"

#include "model/descriptiontext.h"
#include "model/editorcast.h"
#include "model/variantrounding.h"
#include "model/editors/notavailablespinbox.h"

#include <QDebug>
#include <QSpinBox>

#include <charconv>
#include <limits>

ZxIntParameter::ZxIntParameter(int initial)
    : ZxPodParameter(initial)
{}

QString ZxIntParameter::toString() const
{
    return isValid() ? QString::number(value()) : invalidText();
}

bool ZxIntParameter::appendNumberText(QByteArray *out) const
{
    if (!isValid())
        return false;
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value());
    out->append(text, int(result.ptr - text));
    return true;
}

void ZxIntParameter::updateWidgetValue(QWidget *widget)
{
    auto *box = editorCast<QSpinBox>(widget, "ZxIntParameter", EditorCast::ToEditor);
    if (!box)
        return;
    box->setValue(isValid() ? value() : 0);
    if (auto *na = dynamic_cast<NotAvailableDisplay *>(box))
        na->setUnavailableText(isValid() ? QString() : invalidText());
}

void ZxIntParameter::updateFromWidget(QWidget *widget)
{
    auto *box = editorCast<QSpinBox>(widget, "ZxIntParameter", EditorCast::FromEditor);
    if (!box)
        return;
    auto *na = dynamic_cast<NotAvailableDisplay *>(box);
    if (!isValid() && (!na || na->isNotAvailable())) {
        // Not available and not entered by the user: start from 0.
        box->setValue(0);
    }
    setValue(box->value());
    setValid(true);
}

bool ZxIntParameter::setVariantValue(const QVariant &v)
{
    setValue(v.toInt());
    setValid(true);
    return true;
}

bool ZxIntParameter::setNumber(double value)
{
    // Rounded as QVariant::toInt() rounds a double.
    setValue(variantRoundedInt(value));
    setValid(true);
    return true;
}

QWidget *ZxIntParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *box = new NotAvailableIntSpinBox;
    box->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    box->setSuffix(DescriptionText::translated(suffix()));
    updateWidgetValue(box);
    *changedSignal = SIGNAL(valueChanged(int));
    *ok = true;
    return box;
}
