#include "cli/clicommand.h"

#include "cli/buscheckcommands.h"
#include "cli/consoleprogress.h"
#include "cli/convertcommand.h"
#include "cli/decodecommand.h"
#include "cli/exportdbccommand.h"
#include "cli/faultscommand.h"
#include "cli/inventorycommand.h"
#include "cli/recordcommand.h"
#include "cli/reportcommand.h"
#include "cli/snapshotscommand.h"
#include "cli/statscommand.h"

#include <QCoreApplication>

namespace CliCommand {

namespace {

const Entry *find(const QString &name)
{
    for (const Entry &e : commands()) {
        if (name == QLatin1String(e.name))
            return &e;
    }
    return nullptr;
}

} // namespace

const QList<Entry> &commands()
{
    static const QList<Entry> list{
        {"record", QT_TRANSLATE_NOOP("Cli", "Record every frame from an adapter to a candump log"),
         &runRecordCommand},
        {"decode", QT_TRANSLATE_NOOP("Cli", "Decode a recording's parameters into CSV"),
         &runDecodeCommand, true},
        {"faults", QT_TRANSLATE_NOOP("Cli", "Show every unit's DM1 lamps and trouble codes"),
         &runFaultsCommand, true},
        {"inventory",
         QT_TRANSLATE_NOOP("Cli", "Show every unit's identification, calibrations and codes"),
         &runInventoryCommand, true},
        {"stats",
         QT_TRANSLATE_NOOP("Cli", "Frames, transport sessions and bus load of a recording"),
         &runStatsCommand, true},
        {"learn",
         QT_TRANSLATE_NOOP("Cli", "Learn the expected scheme from a recording of a healthy bus"),
         &runLearnCommand, true},
        {"check", QT_TRANSLATE_NOOP("Cli", "Check a recording against an expected scheme"),
         &runCheckCommand, true},
        {"snapshots",
         QT_TRANSLATE_NOOP("Cli", "Write the fault snapshots of a recording's code changes"),
         &runSnapshotsCommand, true},
        {"convert",
         QT_TRANSLATE_NOOP("Cli", "Convert a recording to candump, ASC, TRC, BLF, pcapng or pcap"),
         &runConvertCommand, true},
        {"export-dbc", QT_TRANSLATE_NOOP("Cli", "Write the function library as a DBC file"),
         &runExportDbcCommand},
        {"report", QT_TRANSLATE_NOOP("Cli", "Write the report of a service job as HTML and PDF"),
         &runReportCommand},
    };
    return list;
}

QString programHelp()
{
    QString text = Cli::tr("Usage: tarvik-cli COMMAND [options] [arguments]\n"
                           "Analyses J1939 recordings without the window.\n\nCommands:\n");
    for (const Entry &e : commands())
        text += QStringLiteral("  %1  %2\n")
                    .arg(QLatin1String(e.name), -12)
                    .arg(QCoreApplication::translate("Cli", e.summary));
    text += Cli::tr(
        "\nOptions:\n  -h, --help     Show this help\n  -v, --version  Show the version\n"
        "\n\"tarvik-cli COMMAND --help\" shows a command's options.\n");
    return text;
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString first = arguments.value(1);
    if (first.isEmpty()) {
        err << programHelp();
        return UsageError;
    }
    if (first == QLatin1String("-h") || first == QLatin1String("--help")
        || first == QLatin1String("help")) {
        out << programHelp();
        return Success;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        out << QStringLiteral("tarvik-cli %1\n").arg(QCoreApplication::applicationVersion());
        return Success;
    }
    const Entry *entry = find(first);
    if (!entry) {
        err << Cli::tr("Unknown command \"%1\".").arg(first) << '\n' << programHelp();
        return UsageError;
    }
    return entry->run(arguments.mid(2), out, err);
}

QString commandHelp(const QCommandLineParser &parser, const QString &command)
{
    QString text = parser.helpText();
    // Qt names the program file in the usage line; the sub-command belongs there too.
    const int lineEnd = text.indexOf(QLatin1Char('\n'));
    QString usage = Cli::tr("Usage: tarvik-cli %1 [options]").arg(command);
    const int options = text.indexOf(QLatin1String("[options]"));
    if (options >= 0 && options < lineEnd)
        usage += text.mid(options + 9, lineEnd - options - 9);
    return usage + text.mid(lineEnd);
}

int usageError(const QString &command, const QString &message, QTextStream &err)
{
    err << QStringLiteral("tarvik-cli %1: %2\n").arg(command, message)
        << Cli::tr("Try \"tarvik-cli %1 --help\".").arg(command) << '\n';
    return UsageError;
}

bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
           QTextStream &out, QTextStream &err, int *exitCode)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  Cli::tr("Show this help"));
    parser.addOption(help);
    const Entry *entry = find(command);
    if (entry && entry->readsRecordings)
        parser.addOption(ConsoleProgress::quietOption());
    if (!parser.parse(QStringList{QStringLiteral("tarvik-cli")} + arguments)) {
        *exitCode = usageError(command, parser.errorText(), err);
        return false;
    }
    if (parser.isSet(help)) {
        out << commandHelp(parser, command);
        *exitCode = Success;
        return false;
    }
    return true;
}

} // namespace CliCommand
