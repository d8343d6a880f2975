#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file atomically: the old file stays untouched unless every byte of the new one
// reached the disk. QSaveFile alone commits a truncated file after a short write (a full disk or
// a size limit), because buffered writes do not report it; this writes unbuffered and checks.
namespace SaveFile {
bool write(const QString &path, const QByteArray &content, QString *errorText = nullptr);
}
