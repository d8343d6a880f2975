#include "model/zxstringparameter.h"

#include "model/editorcast.h"

#include <QDebug>
#include <QLineEdit>

ZxStringParameter::ZxStringParameter(const QString &initial)
    : ZxTemplateParameter(initial)
{}

void ZxStringParameter::updateWidgetValue(QWidget *widget)
{
    auto *edit = editorCast<QLineEdit>(widget, "ZxStringParameter", EditorCast::ToEditor);
    if (!edit)
        return;
    const QString text = value();
    if (edit->text() != text)
        edit->setText(text);
}

void ZxStringParameter::updateFromWidget(QWidget *widget)
{
    auto *edit = editorCast<QLineEdit>(widget, "ZxStringParameter", EditorCast::FromEditor);
    if (!edit)
        return;
    setValue(edit->text());
    setValid(true);
}

bool ZxStringParameter::save(QDataStream &stream) const
{
    stream << value();
    return streamOk(stream);
}

bool ZxStringParameter::restore(QDataStream &stream)
{
    QString text;
    stream >> text;
    if (!streamOk(stream))
        return false;
    setValue(text);
    return true;
}

bool ZxStringParameter::setVariantValue(const QVariant &v)
{
    setValue(v.toString());
    setValid(true);
    return true;
}

QWidget *ZxStringParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *edit = new QLineEdit(value());
    *changedSignal = SIGNAL(textChanged(QString));
    *ok = true;
    return edit;
}
