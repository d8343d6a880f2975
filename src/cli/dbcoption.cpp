#include "cli/dbcoption.h"

#include "cli/cli.h"
#include "descriptions/dbcreader.h"

QCommandLineOption DbcOption::option()
{
    return QCommandLineOption(
        QStringLiteral("dbc"),
        Cli::tr("Decode also the J1939 groups this DBC database describes and the library does "
                "not (repeatable)"),
        Cli::tr("FILE"));
}

bool DbcOption::read(const QStringList &paths, CanDeviceFactory::Databases *databases,
                     QTextStream &err)
{
    for (const QString &path : paths) {
        DbcReader reader;
        // A file refused says why once; its lines' complaints would only bury that.
        if (!reader.readFile(path)) {
            err << reader.errorString() << '\n';
            return false;
        }
        for (const QString &warning : reader.warnings())
            err << warning << '\n';
        databases->append(std::make_shared<const DbcDatabase>(reader.database()));
    }
    return true;
}
