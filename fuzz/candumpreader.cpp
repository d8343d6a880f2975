// Arbitrary bytes as a candump recording: no crash, and every accepted frame is well formed.
#include "can/candumpreader.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CandumpReader reader;
    reader.parse(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)));
    for (const TimedFrame &frame : reader.frames()) {
        if (frame.message.length > 8 || frame.timeUs < 0)
            std::abort();
        if (frame.message.extended ? frame.message.id > 0x1FFFFFFF : frame.message.id > 0x7FF)
            std::abort();
    }
    return 0;
}
