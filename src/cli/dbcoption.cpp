#include "cli/dbcoption.h"

#include "cli/cli.h"
#include "cli/clicommand.h"
#include "descriptions/dbcreader.h"

namespace {

QString dbcName()
{
    return QStringLiteral("dbc");
}

QString winsName()
{
    return QStringLiteral("dbc-wins");
}

} // namespace

QCommandLineOption DbcOption::option()
{
    return QCommandLineOption(
        dbcName(),
        Cli::tr("Decode also the J1939 groups this DBC database describes and the library does "
                "not (repeatable)"),
        Cli::tr("FILE"));
}

QCommandLineOption DbcOption::winsOption()
{
    return QCommandLineOption(winsName(),
                              Cli::tr("Decode the groups both a --dbc database and the library "
                                      "describe with the database"));
}

QList<QCommandLineOption> DbcOption::options()
{
    return {option(), winsOption()};
}

bool DbcOption::read(const QStringList &paths, bool wins, CanDeviceFactory::Databases *databases,
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
        auto database = std::make_shared<DbcDatabase>(reader.database());
        database->winsOverLibrary = wins;
        databases->append(std::move(database));
    }
    return true;
}

bool DbcOption::read(const QCommandLineParser &parser, const QString &command,
                     CanDeviceFactory::Databases *databases, QTextStream &err, int *exitCode)
{
    const QStringList paths = parser.values(dbcName());
    if (paths.isEmpty() && parser.isSet(winsName())) {
        *exitCode = CliCommand::usageError(command, Cli::tr("--dbc-wins needs a --dbc FILE"), err);
        return false;
    }
    if (read(paths, parser.isSet(winsName()), databases, err))
        return true;
    *exitCode = CliCommand::Failure;
    return false;
}
