#include "machine/saejoystickparameter.h"

#include "machine/editors/saejoystickwidget.h"
#include "model/editorcast.h"

#include <QDebug>

void SaeJoystickParameter::updateWidgetValue(QWidget *widget)
{
    auto *editor
        = editorCast<SaeJoystickWidget>(widget, "SaeJoystickParameter", EditorCast::ToEditor);
    if (!editor)
        return;
    editor->setValue(value());
}

void SaeJoystickParameter::updateFromWidget(QWidget *widget)
{
    auto *editor
        = editorCast<SaeJoystickWidget>(widget, "SaeJoystickParameter", EditorCast::FromEditor);
    if (!editor)
        return;
    setValue(editor->value());
    setValid(true);
}

bool SaeJoystickParameter::save(QDataStream &stream) const
{
    const SaeJoystickValue v = value();
    for (const SaeJoystickAxisValue &axis : {v.x, v.y})
        stream << axis.neutral << axis.negative << axis.positive << axis.detent << axis.position;
    return streamOk(stream);
}

bool SaeJoystickParameter::restore(QDataStream &stream)
{
    SaeJoystickValue v;
    for (SaeJoystickAxisValue *axis : {&v.x, &v.y})
        stream >> axis->neutral >> axis->negative >> axis->positive >> axis->detent
            >> axis->position;
    if (!streamOk(stream))
        return false;
    setValue(v);
    setValid(true);
    return true;
}

QVariant SaeJoystickParameter::variantValue() const
{
    return value().toString();
}

bool SaeJoystickParameter::setVariantValue(const QVariant &v)
{
    if (v.userType() == qMetaTypeId<SaeJoystickValue>()) {
        setValue(v.value<SaeJoystickValue>());
        setValid(true);
        return true;
    }
    SaeJoystickValue parsed;
    if (!SaeJoystickValue::parse(v.toString(), &parsed))
        return false;
    setValue(parsed);
    setValid(true);
    return true;
}

QWidget *SaeJoystickParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *editor = new SaeJoystickWidget;
    editor->setValue(value());
    *changedSignal = SIGNAL(valueChanged(SaeJoystickValue));
    *ok = true;
    return editor;
}
