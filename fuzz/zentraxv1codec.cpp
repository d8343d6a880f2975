// Arbitrary bytes from the line, in arbitrary read sizes, through the maker's adapter decoder:
// no crash, no hang, the buffer stays under its limit and every frame is well formed.
#include "can/zentraxv1codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ZentraxV1Codec codec;
    codec.setLogSink([](const QByteArray &) {});
    QVector<CanMessage> frames;
    size_t offset = 0;
    while (offset < size) {
        // The first byte of each step chooses the read size, as the port would.
        const size_t chunk = std::min<size_t>(size - offset - 1, data[offset] * 4u + 1u);
        ++offset;
        if (!codec.feed(reinterpret_cast<const char *>(data + offset), int(chunk)))
            frames.clear();
        offset += chunk;
        int maxFrames = 1 + data[offset - 1 < size ? offset - 1 : 0] % 128;
        while (codec.decode(&frames, maxFrames) > 0) {
        }
        if (codec.buffered() >= ZentraxV1Codec::BufferLimit)
            std::abort();
        for (const CanMessage &m : frames) {
            if (m.length > CanMessage::MaxLength)
                std::abort();
        }
        frames.clear();
    }
    return 0;
}
