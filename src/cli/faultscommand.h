#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "faults" command: takes the arguments after the
// command's name and returns the exit code.
int runFaultsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
