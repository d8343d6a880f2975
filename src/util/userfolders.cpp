#include "util/userfolders.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

QString UserFolders::defaultDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    return QDir(base).filePath(QStringLiteral("Tarvik"));
}

QString UserFolders::logDirectory()
{
    const QString directory
        = QSettings().value(QLatin1String(LogDirectoryKey), defaultDirectory()).toString();
    QDir().mkpath(directory);
    return directory;
}
