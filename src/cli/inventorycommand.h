#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "inventory" command: takes the arguments after the command's name and
// returns the exit code.
int runInventoryCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
