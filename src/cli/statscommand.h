#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "stats" command: takes the arguments after the
// command's name and returns the exit code.
int runStatsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
