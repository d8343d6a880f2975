#pragma once

#include "cli/decodecommand.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Decodes several recordings, one CSV each in a directory: one after another with one job, else
// by that many threads, each decoding one recording at a time with a decoder of its own.
namespace ParallelDecode {

constexpr int JobLimit = 256;

// The CSV a recording's decoding goes to: DIRECTORY/NAME.csv (NAME without its extension).
QString outputFor(const QString &directory, const QString &recording);

int run(const DecodeOptions &options, const QStringList &recordings, const QString &directory,
        int jobs, QTextStream &out, QTextStream &err);

} // namespace ParallelDecode
