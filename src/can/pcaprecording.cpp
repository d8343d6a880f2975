#include "can/binaryrecording.h"

#include <QCoreApplication>

#include <cstring>

namespace PcapRecording {

bool looksLikePcap(const char *data, qint64 size)
{
    if (size < 4)
        return false;
    static const unsigned char magics[][4] = {{0xd4, 0xc3, 0xb2, 0xa1},
                                              {0xa1, 0xb2, 0xc3, 0xd4},
                                              {0x4d, 0x3c, 0xb2, 0xa1},
                                              {0xa1, 0xb2, 0x3c, 0x4d}};
    for (const auto &magic : magics) {
        if (std::memcmp(data, magic, 4) == 0)
            return true;
    }
    return false;
}

bool looksLikePcapng(const char *data, qint64 size)
{
    static const unsigned char sectionHeader[4] = {0x0a, 0x0d, 0x0d, 0x0a};
    return size >= 4 && std::memcmp(data, sectionHeader, 4) == 0;
}

bool readPcap(BinaryRecordingPass &pass)
{
    return pass.fail(0, QCoreApplication::translate("RecordingReader", "pcap is not read yet"));
}

bool readPcapng(BinaryRecordingPass &pass)
{
    return pass.fail(0, QCoreApplication::translate("RecordingReader", "pcapng is not read yet"));
}

} // namespace PcapRecording
