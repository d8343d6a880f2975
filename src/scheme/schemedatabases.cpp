#include "scheme/schemedatabases.h"

#include "descriptions/dbcreader.h"

#include <QDir>
#include <QDomElement>
#include <QFileInfo>

const QString SchemeDatabases::Tag = QStringLiteral("database");

namespace {

const QString BusKey = QStringLiteral("bus");
const QString PathKey = QStringLiteral("path");
const QString HashKey = QStringLiteral("sha256");
const QString WinsKey = QStringLiteral("overLibrary");
const QString ByPgnKey = QStringLiteral("extendedAsJ1939");

QString trueOrFalse(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

// A path as the scheme keeps it: relative to the scheme's folder when that reaches it, so the
// scheme and its databases can move together.
QString keptPath(const QString &absolute, const QString &schemePath)
{
    if (schemePath.isEmpty())
        return absolute;
    const QString relative = QFileInfo(schemePath).absoluteDir().relativeFilePath(absolute);
    return QDir::isRelativePath(relative) ? relative : absolute;
}

} // namespace

void SchemeDatabases::write(QDomElement root, const QList<Bus> &buses, const QString &schemePath,
                            const QDomDocument &kept, const Skip &skip)
{
    QDomDocument doc = root.ownerDocument();
    for (const Bus &bus : buses) {
        if (!bus.first)
            continue;
        for (const std::shared_ptr<const DbcDatabase> &database : bus.first->dbcDatabases()) {
            if (skip.contains(database))
                continue;
            QDomElement element = doc.createElement(Tag);
            element.setAttribute(BusKey, bus.second);
            element.setAttribute(PathKey, keptPath(database->filePath, schemePath));
            element.setAttribute(HashKey, database->sha256);
            element.setAttribute(WinsKey, trueOrFalse(database->winsOverLibrary));
            element.setAttribute(ByPgnKey, trueOrFalse(database->extendedAsJ1939));
            root.appendChild(element);
        }
    }
    const QDomElement others = kept.documentElement();
    for (QDomElement e = others.firstChildElement(Tag); !e.isNull();
         e = e.nextSiblingElement(Tag)) {
        QDomElement copy = doc.importNode(e, true).toElement();
        copy.setAttribute(PathKey, keptPath(e.attribute(PathKey), schemePath));
        root.appendChild(copy);
    }
}

SchemeDatabases::Read SchemeDatabases::read(const QDomElement &root, const QString &schemePath,
                                            const QList<int> &busNumbers)
{
    Read result;
    result.kept.appendChild(result.kept.createElement(QStringLiteral("devices")));
    const QDir folder
        = schemePath.isEmpty() ? QDir::current() : QFileInfo(schemePath).absoluteDir();
    for (QDomElement e = root.firstChildElement(Tag); !e.isNull(); e = e.nextSiblingElement(Tag)) {
        bool ok = false;
        const int bus = e.attribute(BusKey, QStringLiteral("0")).toInt(&ok);
        const QString path = QDir::cleanPath(folder.absoluteFilePath(e.attribute(PathKey)));
        if (!ok || !busNumbers.contains(bus)) {
            // Absolute while kept: the scheme may be saved in another folder.
            QDomElement copy = result.kept.importNode(e, true).toElement();
            copy.setAttribute(PathKey, path);
            result.kept.documentElement().appendChild(copy);
            continue;
        }
        QStringList warnings;
        const std::shared_ptr<DbcDatabase> database = load(path, &warnings);
        database->winsOverLibrary = e.attribute(WinsKey) == QLatin1String("true");
        database->extendedAsJ1939 = e.attribute(ByPgnKey) != QLatin1String("false");
        database->buildIndex();
        const QString hash = e.attribute(HashKey);
        if (!database->problem.isEmpty()) {
            // Kept as the scheme had it, so saving again loses nothing.
            database->sha256 = hash;
            result.problems << database->problem;
        } else if (!hash.isEmpty() && hash != database->sha256) {
            result.problems << tr("The database %1 has changed since the scheme was saved")
                                   .arg(QDir::toNativeSeparators(path));
        }
        if (!warnings.isEmpty())
            result.problems << tr("%1: %n line(s) not read, the first: %2", nullptr,
                                  warnings.size())
                                   .arg(QDir::toNativeSeparators(path), warnings.first());
        result.byBus[bus].append(database);
    }
    return result;
}

std::shared_ptr<DbcDatabase> SchemeDatabases::load(const QString &path, QStringList *warnings)
{
    DbcReader reader;
    auto database = std::make_shared<DbcDatabase>();
    if (!QFileInfo::exists(path)) {
        database->problem = tr("The database %1 is missing: its groups are not decoded")
                                .arg(QDir::toNativeSeparators(path));
    } else if (!reader.readFile(path)) {
        database->problem = reader.errorString();
    } else {
        *database = reader.database();
        if (warnings)
            *warnings = reader.warnings();
    }
    if (database->name.isEmpty()) {
        const QFileInfo info(path);
        database->name = info.fileName();
        database->filePath = info.absoluteFilePath();
    }
    return database;
}

std::shared_ptr<const DbcDatabase> SchemeDatabases::withChoices(const DbcDatabase &database,
                                                                bool winsOverLibrary,
                                                                bool extendedAsJ1939)
{
    auto copy = std::make_shared<DbcDatabase>(database);
    copy->winsOverLibrary = winsOverLibrary;
    copy->extendedAsJ1939 = extendedAsJ1939;
    // Matching by PGN depends on the choice.
    copy->buildIndex();
    return copy;
}
