#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "report" command: takes the arguments after the command's name and
// returns the exit code.
int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
