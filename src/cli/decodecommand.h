#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "decode" command: takes the arguments after the
// command's name and returns the exit code.
int runDecodeCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
