#include "model/zxstringparameter.h"

#include <QDebug>
#include <QLineEdit>

ZxStringParameter::ZxStringParameter(const QString &initial)
    : ZxTemplateParameter(initial)
{}

void ZxStringParameter::updateWidgetValue(QWidget *widget)
{
    auto *edit = qobject_cast<QLineEdit *>(widget);
    if (!edit) {
        qDebug("Can't update ZxStringParameter to other than QLineEdit");
        return;
    }
    const QString text = value();
    if (edit->text() != text)
        edit->setText(text);
}

void ZxStringParameter::updateFromWidget(QWidget *widget)
{
    auto *edit = qobject_cast<QLineEdit *>(widget);
    if (!edit) {
        qDebug("Can't update ZxStringParameter from other than QLineEdit");
        return;
    }
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
