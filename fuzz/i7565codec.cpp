// Arbitrary bytes from the line, in arbitrary read sizes, through the I-7565 line decoder:
// no crash, no hang, the buffer stays under its limit and every frame is well formed.
#include "can/i7565codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    I7565Codec codec;
    codec.setLogSink([](const QByteArray &) {});
    QVector<CanMessage> frames;
    size_t offset = 0;
    while (offset < size) {
        const size_t chunk = std::min<size_t>(size - offset - 1, data[offset] * 4u + 1u);
        ++offset;
        codec.feed(reinterpret_cast<const char *>(data + offset), int(chunk));
        offset += chunk;
        while (codec.decode(&frames, 1 + int(size % 128)) > 0) {
        }
        if (codec.buffered() >= I7565Codec::BufferLimit)
            std::abort();
        for (const CanMessage &m : frames) {
            if (m.length > CanMessage::MaxLength || (m.extended ? m.id > 0x1FFFFFFF : m.id > 0x7FF))
                std::abort();
        }
        frames.clear();
    }
    return 0;
}
