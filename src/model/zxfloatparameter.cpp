#include "model/zxfloatparameter.h"

#include "model/descriptiontext.h"
#include "model/editorcast.h"
#include "model/editors/notavailablespinbox.h"

#include <QDebug>
#include <QDoubleSpinBox>

#include <charconv>
#include <cmath>
#include <limits>

ZxFloatParameter::ZxFloatParameter(float initial)
    : ZxPodParameter(initial)
{}

QString ZxFloatParameter::toString() const
{
    const float v = value();
    if (!isValid() || std::isnan(v))
        return invalidText();
    // The shortest text that reads back as this float, without exponent: 26.4, not
    // 26.399999618530273 (the float widened to double) and 1000000, not 1e+06.
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    if (result.ec != std::errc())
        return QVariant(v).toString();
    return QString::fromLatin1(text, int(result.ptr - text));
}

bool ZxFloatParameter::appendNumberText(QByteArray *out) const
{
    const float v = value();
    if (!isValid() || std::isnan(v))
        return false;
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    if (result.ec != std::errc())
        return false;
    out->append(text, int(result.ptr - text));
    return true;
}

void ZxFloatParameter::updateWidgetValue(QWidget *widget)
{
    auto *box = editorCast<QDoubleSpinBox>(widget, "ZxFloatParameter", EditorCast::ToEditor);
    if (!box)
        return;
    const float v = value();
    const bool available = isValid() && !std::isnan(v);
    box->setValue(available ? double(v) : 0.0);
    if (auto *na = dynamic_cast<NotAvailableDisplay *>(box))
        na->setUnavailableText(available ? QString() : invalidText());
}

void ZxFloatParameter::updateFromWidget(QWidget *widget)
{
    auto *box = editorCast<QDoubleSpinBox>(widget, "ZxFloatParameter", EditorCast::FromEditor);
    if (!box)
        return;
    setValue(float(box->value()));
    setValid(true);
}

bool ZxFloatParameter::setVariantValue(const QVariant &v)
{
    setValue(v.toFloat());
    setValid(true);
    return true;
}

bool ZxFloatParameter::setNumber(double value)
{
    setValue(float(value));
    setValid(true);
    return true;
}

QWidget *ZxFloatParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *box = new NotAvailableDoubleSpinBox;
    box->setRange(double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max()));
    if (m_decimals >= 0)
        box->setDecimals(m_decimals);
    box->setSuffix(DescriptionText::translated(suffix()));
    updateWidgetValue(box);
    *changedSignal = SIGNAL(valueChanged(double));
    *ok = true;
    return box;
}
