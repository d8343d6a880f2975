#include "machine/joystickparameter.h"

#include "machine/editors/joystickcompositewidget.h"
#include "model/editorcast.h"

#include <QDebug>

void JoystickParameter::updateWidgetValue(QWidget *widget)
{
    auto *editor
        = editorCast<JoystickCompositeWidget>(widget, "JoystickParameter", EditorCast::ToEditor);
    if (!editor)
        return;
    editor->setValue(value());
}

void JoystickParameter::updateFromWidget(QWidget *widget)
{
    auto *editor
        = editorCast<JoystickCompositeWidget>(widget, "JoystickParameter", EditorCast::FromEditor);
    if (!editor)
        return;
    setValue(editor->value());
    setValid(true);
}

bool JoystickParameter::save(QDataStream &stream) const
{
    const JoystickValue v = value();
    stream << qint32(v.x) << qint32(v.y) << qint32(v.flags);
    return streamOk(stream);
}

bool JoystickParameter::restore(QDataStream &stream)
{
    qint32 x = 0, y = 0, flags = 0;
    stream >> x >> y >> flags;
    if (!streamOk(stream))
        return false;
    setValue(JoystickValue{x, y, flags});
    setValid(true);
    return true;
}

QVariant JoystickParameter::variantValue() const
{
    return value().toStorageText();
}

bool JoystickParameter::setVariantValue(const QVariant &v)
{
    if (v.userType() == qMetaTypeId<JoystickValue>()) {
        setValue(v.value<JoystickValue>());
        setValid(true);
        return true;
    }
    JoystickValue parsed;
    if (!JoystickValue::parse(v.toString(), &parsed))
        return false;
    setValue(parsed);
    setValid(true);
    return true;
}

QWidget *JoystickParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *editor = new JoystickCompositeWidget;
    editor->setValue(value());
    *changedSignal = SIGNAL(valueChanged(JoystickValue));
    *ok = true;
    return editor;
}
