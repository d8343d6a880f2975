#include "can/binaryrecording.h"

#include <QCoreApplication>

#include <cstring>

namespace BlfRecording {

bool looksLike(const char *data, qint64 size)
{
    return size >= 4 && std::memcmp(data, "LOGG", 4) == 0;
}

bool read(BinaryRecordingPass &pass)
{
    return pass.fail(0, QCoreApplication::translate("RecordingReader", "BLF is not read yet"));
}

} // namespace BlfRecording
