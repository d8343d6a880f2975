#pragma once

#include "can/candumpreader.h"

#include <QString>
#include <QVector>

// The one place the console commands read a recording: every frame in file order, or an error
// text that names the file. Lines that are not frames are counted, not fatal.
namespace RecordingSource {

struct Recording
{
    QVector<TimedFrame> frames;
    int skippedLines = 0;
};

bool read(const QString &path, Recording *recording, QString *error);

} // namespace RecordingSource
