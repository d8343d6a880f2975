// Arbitrary bytes as a BLF recording (behind its magic): no crash, no unbounded memory, and
// every accepted frame is well formed.
#include "can/recordingreader.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes("LOGG");
    bytes.append(reinterpret_cast<const char *>(data), int(size));
    RecordingReader reader;
    reader.parseAs(RecordingReader::Blf, bytes.constData(), bytes.size());
    for (const TimedFrame &frame : reader.frames()) {
        if (frame.message.length > 8)
            std::abort();
        if (frame.message.extended ? frame.message.id > 0x1FFFFFFF : frame.message.id > 0x7FF)
            std::abort();
    }
    return 0;
}
