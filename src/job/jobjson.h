#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// Small helpers the job's files share: times as ISO-8601 UTC with "Z", tolerant field reading,
// and the messages for a damaged file or one of a newer format.
namespace JobJson {

QString timeText(const QDateTime &time);
// An empty or unreadable text gives an invalid time.
QDateTime parseTime(const QString &text);

QStringList stringList(const QJsonValue &value);
QJsonArray stringArray(const QStringList &list);

// Parses `bytes` as one JSON object: false with "FILE is damaged: …" otherwise.
bool parseObject(const QByteArray &bytes, const QString &fileName, QJsonObject *object,
                 QString *error);
// False with a message when the object's "version" is missing, not a number or above
// `supported`.
bool checkVersion(const QJsonObject &object, int supported, const QString &fileName,
                  QString *error);
QString damaged(const QString &fileName, const QString &why);

} // namespace JobJson
