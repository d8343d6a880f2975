#include "can/binaryrecording.h"

#include <QCoreApplication>

#include <cstring>

namespace Mf4Recording {

bool looksLike(const char *data, qint64 size)
{
    return size >= 8
           && (std::memcmp(data, "MDF     ", 8) == 0 || std::memcmp(data, "UnFinMF ", 8) == 0);
}

bool read(BinaryRecordingPass &pass)
{
    return pass.fail(0, QCoreApplication::translate("RecordingReader", "MF4 is not read yet"));
}

} // namespace Mf4Recording
