#pragma once

#include "can/recordingreader.h"

#include <QString>
#include <QTextStream>
#include <QVector>

class ConsoleProgress;

// The one place the console commands read a recording: every frame in file order, or an error
// text that names the file. Lines that are not frames are counted, not fatal.
namespace RecordingSource {

struct Recording
{
    QVector<TimedFrame> frames;
    int skippedLines = 0;
};

// Skipped lines are reported to `warnings` (when given) with their line numbers, the first
// RecordingReader::ProblemLimit of them, and how many more there were.
bool read(const QString &path, Recording *recording, QString *error,
          QTextStream *warnings = nullptr);

// What streaming a recording met besides its frames.
struct StreamSummary
{
    qint64 frames = 0;
    int skippedLines = 0;
    // The sink stopped the reading; the error is the caller's to tell.
    bool stopped = false;
    // The names of the buses, complete for the frames the sink has been given.
    BusNames busNames;
};

// Like read, but hands the frames on a piece at a time without keeping them, so memory stays
// bounded for recordings of any size. Skipped lines are reported once the reading ends, after
// `progress` (when given) cleared its line.
bool stream(const QString &path, const RecordingReader::FrameSink &sink, StreamSummary *summary,
            QString *error, QTextStream *warnings = nullptr, ConsoleProgress *progress = nullptr);

} // namespace RecordingSource
