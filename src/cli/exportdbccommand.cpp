#include "cli/exportdbccommand.h"

#include "cli/clicommand.h"
#include "cli/dbcwriter.h"
#include "util/savefile.h"

#include <QCommandLineParser>
#include <QCoreApplication>

int runExportDbcCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("export-dbc");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Cli::tr("Writes the function library as a DBC file (J1939 extended identifiers, signals "
                "with scaling, offset, unit and range)."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Cli::tr("Write to this file instead of standard output"),
                                    Cli::tr("FILE"));
    parser.addOption(output);
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (!parser.positionalArguments().isEmpty())
        return CliCommand::usageError(
            command,
            Cli::tr("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()),
            err);
    const QList<QDomElement> functions = DbcWriter::libraryFunctions();
    if (functions.isEmpty()) {
        err << Cli::tr("The function library is empty or unreadable") << '\n';
        return CliCommand::Failure;
    }
    const QByteArray dbc = DbcWriter::write(functions);
    const QString path = parser.value(output);
    if (path.isEmpty() || path == QLatin1String("-")) {
        out << dbc;
        return CliCommand::Success;
    }
    QString error;
    if (!SaveFile::write(path, dbc, &error)) {
        err << Cli::tr("Cannot write %1: %2").arg(path, error) << '\n';
        return CliCommand::Failure;
    }
    return CliCommand::Success;
}
