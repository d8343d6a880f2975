#include "model/zxboolparameter.h"

#include "model/editorcast.h"
#include "model/editors/notavailablecheckbox.h"

#include <QCheckBox>
#include <QDebug>

ZxBoolParameter::ZxBoolParameter(bool initial)
    : ZxPodParameter(initial)
{}

QString ZxBoolParameter::toString() const
{
    if (!isValid())
        return invalidText();
    return value() ? QStringLiteral("1") : QStringLiteral("0");
}

bool ZxBoolParameter::appendNumberText(QByteArray *out) const
{
    if (!isValid())
        return false;
    out->append(value() ? '1' : '0');
    return true;
}

void ZxBoolParameter::updateWidgetValue(QWidget *widget)
{
    auto *box = editorCast<QCheckBox>(widget, "ZxBoolParameter", EditorCast::ToEditor);
    if (!box)
        return;
    if (auto *na = dynamic_cast<NotAvailableDisplay *>(box)) {
        // Unset first: a value shown after "n/a" must not be left partly checked.
        na->setUnavailableText(QString());
        box->setChecked(value());
        na->setUnavailableText(isValid() ? QString() : invalidText());
        return;
    }
    box->setChecked(value());
}

void ZxBoolParameter::updateFromWidget(QWidget *widget)
{
    auto *box = editorCast<QCheckBox>(widget, "ZxBoolParameter", EditorCast::FromEditor);
    if (!box)
        return;
    // Partly checked: the user has not given a value yet.
    if (box->checkState() == Qt::PartiallyChecked)
        return;
    setValue(box->isChecked());
    setValid(true);
}

bool ZxBoolParameter::setVariantValue(const QVariant &v)
{
    // Non-zero is true, whatever the variant's type; scheme files hold "true" and "false".
    const QString text = v.toString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        setValue(true);
    else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        setValue(false);
    else
        setValue(v.toDouble() != 0.0);
    setValid(true);
    return true;
}

bool ZxBoolParameter::setNumber(double value)
{
    // A number's text is never "true" or "false": non-zero is true.
    setValue(value != 0.0);
    setValid(true);
    return true;
}

QWidget *ZxBoolParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *box = new NotAvailableCheckBox;
    updateWidgetValue(box);
    *changedSignal = SIGNAL(toggled(bool));
    *ok = true;
    return box;
}
