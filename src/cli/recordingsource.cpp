#include "cli/recordingsource.h"

#include "cli/cli.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace RecordingSource {

bool read(const QString &path, Recording *recording, QString *error)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = Cli::tr("%1 is a directory, not a recording").arg(path);
        return false;
    }
    CandumpReader reader;
    if (!reader.readFile(path)) {
        *error = Cli::tr("Cannot read %1: %2").arg(path, reader.errorString());
        return false;
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
