// Arbitrary bytes as an ASAM MDF4 recording: no crash, no unbounded memory, every frame handed
// on is a well-formed classic CAN frame, and a refused file names the offset of its bad block.
#include "can/recordingreader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RecordingReader reader;
    reader.parseAs(RecordingReader::Mf4, reinterpret_cast<const char *>(data), qint64(size));
    for (const TimedFrame &frame : reader.frames()) {
        if (frame.message.length > 8 || frame.timeUs < 0)
            std::abort();
        if (frame.message.extended ? frame.message.id > 0x1FFFFFFF : frame.message.id > 0x7FF)
            std::abort();
    }
    if (!reader.errorString().isEmpty() && !reader.errorString().startsWith("offset "))
        std::abort();
    return 0;
}
