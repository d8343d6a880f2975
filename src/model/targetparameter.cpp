#include "model/targetparameter.h"

#include "model/targeteditor.h"

#include <QDebug>

TargetParameter::TargetParameter(int initial)
    : ZxPodParameter(initial)
{}

QString TargetParameter::toString() const
{
    return QString::number(quint32(value()), 16);
}

void TargetParameter::updateWidgetValue(QWidget *widget)
{
    auto *editor = qobject_cast<TargetEditor *>(widget);
    if (!editor) {
        qDebug("Can't update TargetParameter to other than TargetEditor");
        return;
    }
    editor->setTarget(quint32(value()));
}

void TargetParameter::updateFromWidget(QWidget *widget)
{
    auto *editor = qobject_cast<TargetEditor *>(widget);
    if (!editor) {
        qDebug("Can't update TargetParameter from other than TargetEditor");
        return;
    }
    setValue(int(editor->target()));
    setValid(true);
}

bool TargetParameter::setVariantValue(const QVariant &v)
{
    setValue(v.toInt());
    setValid(true);
    return true;
}

QWidget *TargetParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *editor = new TargetEditor;
    editor->setTarget(quint32(value()));
    *changedSignal = SIGNAL(valueChanged());
    *ok = true;
    return editor;
}
