#pragma once

#include "cli/cli.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

// The sub-commands of the console program and what they share: each command is a function of
// its arguments (those after its name) that writes to `out` and `err` and returns the exit code.
namespace CliCommand {

using Function = int (*)(const QStringList &arguments, QTextStream &out, QTextStream &err);

struct Entry
{
    const char *name;
    const char *summary; // translated in the "Cli" context
    Function run;
    // A command that reads recordings shows their progress on the terminal, unless --quiet.
    bool readsRecordings = false;
};

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

// Runs the program with its whole argument list (the program name first).
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);
const QList<Entry> &commands();
QString programHelp();

// Parses a command's arguments: false with the message written (or help shown, `*exitCode`
// set) when the command should stop. The parser's positional names are the command's syntax.
// Adds --help, and --quiet to a command that reads recordings (its ConsoleProgress reads it).
bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
           QTextStream &out, QTextStream &err, int *exitCode);
QString commandHelp(const QCommandLineParser &parser, const QString &command);
int usageError(const QString &command, const QString &message, QTextStream &err);

} // namespace CliCommand
