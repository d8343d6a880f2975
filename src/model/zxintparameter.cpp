#include "model/zxintparameter.h"

#include <QDebug>
#include <QSpinBox>

#include <limits>

ZxIntParameter::ZxIntParameter(int initial)
    : ZxPodParameter(initial)
{}

QString ZxIntParameter::toString() const
{
    return isValid() ? QString::number(value()) : QStringLiteral("nan");
}

void ZxIntParameter::updateWidgetValue(QWidget *widget)
{
    auto *box = qobject_cast<QSpinBox *>(widget);
    if (!box) {
        qDebug("Can't update ZxIntParameter to other than QSpinBox");
        return;
    }
    box->setValue(isValid() ? value() : 0);
}

void ZxIntParameter::updateFromWidget(QWidget *widget)
{
    auto *box = qobject_cast<QSpinBox *>(widget);
    if (!box) {
        qDebug("Can't update ZxIntParameter from other than QSpinBox");
        return;
    }
    if (!isValid()) {
        // Not available until the user enters a value: start from 0.
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

QWidget *ZxIntParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *box = new QSpinBox;
    box->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    box->setSuffix(suffix());
    box->setValue(isValid() ? value() : 0);
    *changedSignal = SIGNAL(valueChanged(int));
    *ok = true;
    return box;
}
