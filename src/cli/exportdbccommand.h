#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "export-dbc" command: takes the arguments after the
// command's name and returns the exit code.
int runExportDbcCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
