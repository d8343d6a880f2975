// Arbitrary bytes as a pcap or pcapng recording (the first byte chooses which, and for pcap the
// byte order and resolution): no crash, no unbounded memory, every accepted frame well formed.
#include "can/recordingreader.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const char magics[][4] = {{'\x0a', '\x0d', '\x0d', '\x0a'},
                                     {'\xd4', '\xc3', '\xb2', '\xa1'},
                                     {'\xa1', '\xb2', '\xc3', '\xd4'},
                                     {'\x4d', '\x3c', '\xb2', '\xa1'},
                                     {'\xa1', '\xb2', '\x3c', '\x4d'}};
    const int choice = data[0] % 5;
    QByteArray bytes(magics[choice], 4);
    bytes.append(reinterpret_cast<const char *>(data + 1), int(size - 1));
    RecordingReader reader;
    reader.parseAs(choice == 0 ? RecordingReader::Pcapng : RecordingReader::Pcap,
                   bytes.constData(), bytes.size());
    for (const TimedFrame &frame : reader.frames()) {
        if (frame.message.length > 8)
            std::abort();
        if (frame.message.extended ? frame.message.id > 0x1FFFFFFF : frame.message.id > 0x7FF)
            std::abort();
    }
    return 0;
}
