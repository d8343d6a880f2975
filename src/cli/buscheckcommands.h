#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "learn" and "check" commands: the expected scheme from a recording of a
// healthy machine, and a recording checked against one.
int runLearnCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runCheckCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
