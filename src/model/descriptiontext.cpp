#include "model/descriptiontext.h"

#include <QCoreApplication>

namespace {

// "SPN 190: Engine Speed": the descriptions of the standard's parameters are the parameter's
// number and name.
const QLatin1String SpnPrefix("SPN ");

} // namespace

QString DescriptionText::translated(const QString &text)
{
    if (text.isEmpty())
        return text;
    const QString shown = QCoreApplication::translate(Context, text.toUtf8().constData());
    if (shown != text || !text.startsWith(SpnPrefix))
        return shown;
    const int colon = text.indexOf(QLatin1String(": "));
    if (colon < 0)
        return shown;
    return text.left(colon + 2) + translated(text.mid(colon + 2));
}
