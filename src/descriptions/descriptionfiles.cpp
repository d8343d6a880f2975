#include "descriptions/descriptionfiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <mutex>

namespace DescriptionFiles {

namespace {

std::mutex s_mutex;
QString s_baseDirectory;
FaultReporter s_reporter;
QSet<QString> s_reported;

QStringList xmlFilesIn(const QString &directory)
{
    QStringList files;
    const QDir dir(directory);
    const auto entries = dir.entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    for (const QFileInfo &info : entries)
        files << info.absoluteFilePath();
    return files;
}

QList<QDomElement> childrenNamed(const QDomElement &root, const QString &tag)
{
    QList<QDomElement> list;
    for (QDomElement e = root.firstChildElement(tag); !e.isNull(); e = e.nextSiblingElement(tag))
        list << e;
    return list;
}

void reportOnce(const QString &path, const QString &message)
{
    FaultReporter reporter;
    {
        std::lock_guard locker(s_mutex);
        if (s_reported.contains(path))
            return;
        s_reported.insert(path);
        reporter = s_reporter;
    }
    if (reporter)
        reporter(message);
}

} // namespace

void setBaseDirectory(const QString &directory)
{
    std::lock_guard locker(s_mutex);
    s_baseDirectory = directory;
}

QString baseDirectory()
{
    std::lock_guard locker(s_mutex);
    return s_baseDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : s_baseDirectory;
}

void setFaultReporter(FaultReporter reporter)
{
    std::lock_guard locker(s_mutex);
    s_reporter = std::move(reporter);
    s_reported.clear();
}

QStringList functionLibraryFiles()
{
    const QString dir = QDir(baseDirectory()).filePath(QStringLiteral("funcs"));
    if (QFileInfo(dir).isDir())
        return xmlFilesIn(dir);
    return {QStringLiteral(":/funcs.xml")};
}

QStringList deviceListFiles()
{
    const QString dir = QDir(baseDirectory()).filePath(QStringLiteral("devices"));
    if (QFileInfo(dir).isDir())
        return xmlFilesIn(dir);
    QStringList files{QStringLiteral(":/devices.xml")};
    const QDir builtIn(QStringLiteral(":/devices"));
    for (const QString &name : builtIn.entryList(QDir::Files, QDir::Name))
        files << builtIn.filePath(name);
    return files;
}

QList<QDomElement> readFunctionLibrary(const QString &path)
{
    // Every J1939 device's catalogue reads the library: a parsed file is kept while it stays the
    // same (size and time), so auto-detecting many units does not parse it again for each. Per
    // thread, as the elements share their document.
    struct Parsed
    {
        qint64 size = -1;
        QDateTime modified;
        QDomDocument document;
    };
    thread_local QHash<QString, Parsed> parsed;
    const QFileInfo info(path);
    const auto cached = parsed.constFind(path);
    if (cached != parsed.constEnd() && cached->size == info.size()
        && cached->modified == info.lastModified())
        return childrenNamed(cached->document.documentElement(), QStringLiteral("func"));
    QFile file(path);
    QDomDocument doc;
    QString error;
    int line = 0;
    int column = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = file.errorString();
    } else if (doc.setContent(&file, &error, &line, &column)) {
        parsed.insert(path, Parsed{info.size(), info.lastModified(), doc});
        return childrenNamed(doc.documentElement(), QStringLiteral("func"));
    }
    parsed.remove(path);
    // A broken library file is skipped, not fatal: the others still load.
    qWarning("XML Fault: %s [l:%d,c:%d]", qUtf8Printable(error), line, column);
    reportOnce(path, QCoreApplication::translate("DescriptionFiles",
                                                 "The function library %1 cannot be read: %2 "
                                                 "(line %3, column %4). It is skipped.")
                         .arg(QDir::toNativeSeparators(path), error)
                         .arg(line)
                         .arg(column));
    return {};
}

QList<QDomElement> readDeviceList(const QString &path)
{
    QFile file(path);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || !doc.setContent(&file)) {
        qWarning("Doc is null %s", qUtf8Printable(path));
        return {};
    }
    const QDomElement root = doc.documentElement();
    if (root.isNull()) {
        qWarning("Docnode is null %s", qUtf8Printable(path));
        return {};
    }
    return childrenNamed(root, QStringLiteral("device"));
}

} // namespace DescriptionFiles
