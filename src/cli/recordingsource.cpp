#include "cli/recordingsource.h"

#include "cli/cli.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace RecordingSource {

bool read(const QString &path, Recording *recording, QString *error, QTextStream *warnings)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = Cli::tr("%1 is a directory, not a recording").arg(path);
        return false;
    }
    RecordingReader reader;
    if (!reader.readFile(path)) {
        *error = Cli::tr("Cannot read %1: %2").arg(path, reader.errorString());
        return false;
    }
    if (warnings) {
        for (const QString &problem : reader.problems())
            *warnings << path << ": " << problem << '\n';
        const int more = reader.skippedLines() - int(reader.problems().size());
        if (more > 0)
            *warnings << Cli::tr("%1: %2 more lines skipped").arg(path).arg(more) << '\n';
        warnings->flush();
    }
    recording->frames = reader.frames();
    recording->skippedLines = reader.skippedLines();
    if (recording->frames.isEmpty()) {
        *error = Cli::tr("%1 holds no CAN frames (%2 lines skipped)")
                     .arg(path)
                     .arg(reader.skippedLines());
        return false;
    }
    return true;
}

} // namespace RecordingSource
