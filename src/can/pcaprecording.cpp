#include "can/binaryrecording.h"

#include "can/binarywindow.h"
#include "can/pcapformat.h"

#include <QCoreApplication>
#include <QtEndian>

#include <algorithm>

#include <cstring>

namespace PcapFormat {

bool takePacket(BinaryRecordingPass &pass, qint64 offset, const PacketSource &source,
                const uchar *data, quint32 size)
{
    const quint32 linkType = source.linkType;
    quint8 bus = source.bus;
    if (linkType == LinkLinuxSll || linkType == LinkLinuxSll2) {
        const quint32 header = linkType == LinkLinuxSll ? SllHeader : Sll2Header;
        if (size < header) {
            pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "malformed packet"));
            return true;
        }
        const quint16 protocol
            = qFromBigEndian<quint16>(data + (linkType == LinkLinuxSll ? 14 : 0));
        if (protocol != SllProtocolCan && protocol != SllProtocolCanFd) {
            pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "not a CAN packet"));
            return true;
        }
        if (linkType == LinkLinuxSll2)
            bus = quint8(std::min<quint32>(qFromBigEndian<quint32>(data + Sll2InterfaceIndexAt),
                                           BusNames::MaxBus));
        data += header;
        size -= header;
    } else if (linkType != LinkCanSocketCan) {
        pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "not a CAN link type"));
        return true;
    }
    if (size < quint32(SocketCanHeader)) {
        pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "malformed packet"));
        return true;
    }
    const bool cooked = linkType != LinkCanSocketCan;
    const quint32 canId = cooked && !source.bigEndianFile ? qFromLittleEndian<quint32>(data)
                                                          : qFromBigEndian<quint32>(data);
    const quint8 length = data[4];
    if (length & CanXlXlfFlag) {
        pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "CAN XL frame"));
        return true;
    }
    if (canId & CanErrFlag) {
        pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "error frame"));
        return true;
    }
    if (canId & CanRtrFlag) {
        pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
        return true;
    }
    if (length > CanMessage::MaxLength || (data[5] & CanFdFdfFlag) || size == SocketCanFdSize) {
        pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
        return true;
    }
    if (size < quint32(SocketCanHeader) + length) {
        pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "malformed packet"));
        return true;
    }
    const bool extended = canId & CanEffFlag;
    TimedFrame frame;
    frame.timeUs = source.timeUs;
    frame.bus = bus;
    frame.message
        = CanMessage(canId & (extended ? 0x1FFFFFFFu : 0x7FFu), data + SocketCanHeader, length);
    frame.message.extended = extended;
    return pass.take(frame);
}

void encodeSocketCan(const CanMessage &message, uchar *out, bool littleEndianId)
{
    std::memset(out, 0, SocketCanClassicSize);
    const quint32 canId
        = message.extended ? (message.id & 0x1FFFFFFFu) | CanEffFlag : message.id & 0x7FFu;
    if (littleEndianId)
        qToLittleEndian<quint32>(canId, out);
    else
        qToBigEndian<quint32>(canId, out);
    const int length = std::min<int>(message.length, CanMessage::MaxLength);
    out[4] = quint8(length);
    std::memcpy(out + SocketCanHeader, message.data, size_t(length));
}

void encodeSll2(quint32 interfaceIndex, uchar *out)
{
    std::memset(out, 0, Sll2Header);
    qToBigEndian<quint16>(SllProtocolCan, out);
    qToBigEndian<quint32>(interfaceIndex, out + Sll2InterfaceIndexAt);
    qToBigEndian<quint16>(ArphrdCan, out + 8);
}

} // namespace PcapFormat

namespace PcapRecording {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("RecordingReader", text);
}

constexpr int PcapFileHeader = 24;
constexpr int PcapRecordHeader = 16;

} // namespace

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
    BinaryWindow window(pass.device());
    const uchar *header = window.at(0, PcapFileHeader);
    if (!header)
        return pass.fail(
            0, translated(QT_TRANSLATE_NOOP("RecordingReader", "pcap file header cut off")));
    // The magic number, written in the writer's byte order, tells that order and whether the
    // fractions count micro- or nanoseconds.
    const bool bigEndian = header[0] == 0xa1;
    const bool nanoseconds = header[bigEndian ? 2 : 1] == 0x3c;
    const auto u32 = [bigEndian](const uchar *p) {
        return bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    };
    const quint16 major
        = bigEndian ? qFromBigEndian<quint16>(header + 4) : qFromLittleEndian<quint16>(header + 4);
    if (major != 2)
        return pass.fail(
            4,
            translated(QT_TRANSLATE_NOOP("RecordingReader", "unknown pcap version %1")).arg(major));
    const quint32 linkType = u32(header + 20) & 0xFFFF; // the upper bits tell FCS lengths
    qint64 offset = PcapFileHeader;
    while (offset < window.size()) {
        const uchar *record = window.at(offset, PcapRecordHeader);
        if (!record)
            return pass.fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                                  "pcap packet header cut off")));
        const quint32 captured = u32(record + 8);
        if (captured > PcapFormat::PacketLimit)
            return pass.fail(
                offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                     "packet of %1 bytes refused as too large"))
                            .arg(captured));
        const uchar *packet = window.at(offset, PcapRecordHeader + captured);
        if (!packet)
            return pass.fail(offset,
                             translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                          "packet runs past the end of the file")));
        const qint64 seconds = u32(packet);
        const qint64 fraction = u32(packet + 4);
        const qint64 timeUs = seconds * 1000000 + (nanoseconds ? fraction / 1000 : fraction);
        const PcapFormat::PacketSource source{linkType, bigEndian, timeUs, 0};
        if (!PcapFormat::takePacket(pass, offset, source, packet + PcapRecordHeader, captured))
            return false;
        offset += PcapRecordHeader + captured;
    }
    return true;
}

} // namespace PcapRecording
