// Arbitrary bytes as a PEAK trace file: no crash, and every accepted frame is well formed.
#include "can/recordingreader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RecordingReader reader;
    reader.parseAs(RecordingReader::Trc, reinterpret_cast<const char *>(data), qint64(size));
    if (reader.problems().size() > RecordingReader::ProblemLimit
        || reader.problems().size() > reader.skippedLines())
        std::abort();
    for (const TimedFrame &frame : reader.frames()) {
        if (frame.message.length > 8)
            std::abort();
        if (frame.message.extended ? frame.message.id > 0x1FFFFFFF : frame.message.id > 0x7FF)
            std::abort();
    }
    return 0;
}
