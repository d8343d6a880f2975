#include "model/rawdataparameter.h"

#include "model/editorcast.h"

#include <QDebug>
#include <QLineEdit>

QString RawDataParameter::toString() const
{
    const RawBytes bytes = value();
    return bytesToHex(bytes.constData(), unsigned(bytes.size()));
}

void RawDataParameter::setBytes(const unsigned char *data, int length)
{
    RawBytes bytes;
    bytes.append(data, length);
    setValue(bytes);
    setValid(true);
}

void RawDataParameter::updateWidgetValue(QWidget *widget)
{
    auto *view = editorCast<QLineEdit>(widget, "RawDataParameter", EditorCast::ToEditor);
    if (!view)
        return;
    view->setText(toString());
}

void RawDataParameter::updateFromWidget(QWidget *)
{
    // The byte view is read-only.
}

QWidget *RawDataParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *view = new QLineEdit(toString());
    view->setReadOnly(true);
    *changedSignal = SIGNAL(textChanged(QString));
    *ok = true;
    return view;
}
