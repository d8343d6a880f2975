#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "convert" command: takes the arguments after the
// command's name and returns the exit code.
int runConvertCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
