#include "model/zxboolparameter.h"

#include "model/editorcast.h"
#include "model/editors/notavailablespinbox.h"

#include <QCheckBox>
#include <QDebug>
#include <QSignalBlocker>

namespace {

// A check box that shows a missing value partly checked; the user's click makes it checked.
class NotAvailableCheckBox : public QCheckBox, public NotAvailableDisplay
{
public:
    QString unavailableText() const override { return m_text; }
    void setUnavailableText(const QString &text) override
    {
        m_text = text;
        if (!text.isEmpty()) {
            setTristate(true);
            setCheckState(Qt::PartiallyChecked);
        } else if (checkState() == Qt::PartiallyChecked) {
            setTristate(false);
            setCheckState(Qt::Unchecked);
        }
    }

protected:
    void nextCheckState() override
    {
        m_text.clear();
        if (checkState() == Qt::PartiallyChecked) {
            // Partly checked counts as checked: leave it quietly, so that the tick is a change.
            const QSignalBlocker quiet(this);
            setTristate(false);
            setChecked(false);
        }
        setChecked(!isChecked());
    }

private:
    QString m_text;
};

} // namespace

ZxBoolParameter::ZxBoolParameter(bool initial)
    : ZxPodParameter(initial)
{}

QString ZxBoolParameter::toString() const
{
    if (!isValid())
        return invalidText();
    return value() ? QStringLiteral("1") : QStringLiteral("0");
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

QWidget *ZxBoolParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *box = new NotAvailableCheckBox;
    updateWidgetValue(box);
    *changedSignal = SIGNAL(toggled(bool));
    *ok = true;
    return box;
}
