#include "job/jobjson.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace JobJson {

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QString();
}

QDateTime parseTime(const QString &text)
{
    if (text.isEmpty())
        return {};
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate).toUTC();
    // Years outside 1 to 9999 have no ISO-8601 text to be written back as.
    const int year = time.date().year();
    return time.isValid() && year >= 1 && year <= 9999 ? time : QDateTime();
}

QStringList stringList(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &v : value.toArray()) {
        if (v.isString())
            list << v.toString();
    }
    return list;
}

QJsonArray stringArray(const QStringList &list)
{
    QJsonArray array;
    for (const QString &s : list)
        array.append(s);
    return array;
}

QString damaged(const QString &fileName, const QString &why)
{
    return QCoreApplication::translate("JobJson", "%1 is damaged: %2").arg(fileName, why);
}

bool parseObject(const QByteArray &bytes, const QString &fileName, QJsonObject *object,
                 QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = damaged(fileName, QCoreApplication::translate("JobJson", "%1 at byte %2")
                                           .arg(parseError.errorString())
                                           .arg(parseError.offset));
        return false;
    }
    if (!document.isObject()) {
        if (error)
            *error = damaged(fileName, QCoreApplication::translate("JobJson", "not a JSON object"));
        return false;
    }
    *object = document.object();
    return true;
}

bool checkVersion(const QJsonObject &object, int supported, const QString &fileName, QString *error)
{
    const QJsonValue version = object.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() < 1) {
        if (error)
            *error = damaged(fileName, QCoreApplication::translate("JobJson", "no format version"));
        return false;
    }
    if (version.toDouble() > supported) {
        if (error)
            *error = QCoreApplication::translate(
                         "JobJson", "This job was written by a newer Tarvik (format %1)")
                         .arg(version.toVariant().toLongLong());
        return false;
    }
    return true;
}

} // namespace JobJson
