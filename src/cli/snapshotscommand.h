#pragma once

#include <QStringList>
#include <QTextStream>

// The console program's "snapshots" command: the fault snapshots of a recording, written into
// a folder as a service job keeps them. Takes the arguments after the command's name and
// returns the exit code.
int runSnapshotsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
