#pragma once

#include <QStringList>

class QTextStream;

// The console program's "record" sub-command: writes every frame from an adapter to a candump
// log until Ctrl+C or the duration, reporting the rate, the bus load and the losses each second.
// `arguments` are those after the sub-command's name; returns the exit code (0 done, 1 failed,
// 2 bad arguments). Needs a QCoreApplication; runs its own event loop.
int runRecordCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
