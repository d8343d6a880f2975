#pragma once

#include "cli/decodecommand.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Decodes several recordings, one CSV each in a directory. With one job they are decoded one
// after another in this process; with more, each by a process of the console program of its
// own, so the decoders share nothing and the work spreads over the cores.
namespace ParallelDecode {

constexpr int JobLimit = 256;

// The CSV a recording's decoding goes to: DIRECTORY/NAME.csv (NAME without its extension).
QString outputFor(const QString &directory, const QString &recording);

// The program the jobs run; the console program itself unless set (tests set the built one).
void setProgram(const QString &path);

int run(const DecodeOptions &options, const QStringList &recordings, const QString &directory,
        int jobs, QTextStream &out, QTextStream &err);

} // namespace ParallelDecode
