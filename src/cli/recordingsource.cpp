#include "cli/recordingsource.h"

#include "cli/cli.h"
#include "cli/consoleprogress.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace RecordingSource {

namespace {

void reportProblems(const QString &path, const RecordingReader &reader, QTextStream *warnings)
{
    if (!warnings)
        return;
    for (const QString &problem : reader.problems())
        *warnings << path << ": " << problem << '\n';
    const int more = reader.skippedLines() - int(reader.problems().size());
    if (more > 0)
        *warnings << Cli::tr("%1: %2 more lines skipped").arg(path).arg(more) << '\n';
    warnings->flush();
}

QString directoryError(const QString &path)
{
    return Cli::tr("%1 is a directory, not a recording").arg(path);
}

QString noFramesError(const QString &path, int skippedLines)
{
    return Cli::tr("%1 holds no CAN frames (%2 lines skipped)").arg(path).arg(skippedLines);
}

} // namespace

bool read(const QString &path, Recording *recording, QString *error, QTextStream *warnings)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = directoryError(path);
        return false;
    }
    RecordingReader reader;
    if (!reader.readFile(path)) {
        *error = Cli::tr("Cannot read %1: %2").arg(path, reader.errorString());
        return false;
    }
    reportProblems(path, reader, warnings);
    recording->frames = reader.frames();
    recording->skippedLines = reader.skippedLines();
    if (recording->frames.isEmpty()) {
        *error = noFramesError(path, reader.skippedLines());
        return false;
    }
    return true;
}

bool stream(const QString &path, const RecordingReader::FrameSink &sink, StreamSummary *summary,
            QString *error, QTextStream *warnings, ConsoleProgress *progress)
{
    *summary = StreamSummary();
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = directoryError(path);
        return false;
    }
    RecordingReader reader;
    bool read = false;
    {
        ConsoleProgress::Reading reading(progress, info.size());
        qint64 handed = 0;
        read = reader.streamFile(path, [&](const QVector<TimedFrame> &frames) {
            summary->busNames = reader.busNames();
            if (!sink(frames)) {
                summary->stopped = true;
                return false;
            }
            handed += frames.size();
            reading.advance(reader.bytesRead(), handed);
            return true;
        });
    }
    summary->frames = reader.frameCount();
    summary->skippedLines = reader.skippedLines();
    if (!read && !summary->stopped) {
        *error = Cli::tr("Cannot read %1: %2").arg(path, reader.errorString());
        return false;
    }
    reportProblems(path, reader, warnings);
    if (summary->stopped)
        return false;
    if (summary->frames == 0) {
        *error = noFramesError(path, reader.skippedLines());
        return false;
    }
    return true;
}

} // namespace RecordingSource
