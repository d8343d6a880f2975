#include "model/descriptiontext.h"

#include <QCoreApplication>

QString DescriptionText::translated(const QString &text)
{
    if (text.isEmpty())
        return text;
    return QCoreApplication::translate(Context, text.toUtf8().constData());
}
