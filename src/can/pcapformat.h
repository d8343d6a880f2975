#pragma once

#include "can/binaryrecording.h"

#include <QtGlobal>

// What pcap and pcapng share: the link types that carry CAN and the SocketCAN frame they hold.
namespace PcapFormat {

enum LinkType : quint32 {
    LinkLinuxSll = 113,
    LinkCanSocketCan = 227,
    LinkLinuxSll2 = 276,
};

// SocketCAN's frame: identifier (big-endian, with flags), length, FD flags, two reserved bytes,
// then the data.
constexpr int SocketCanHeader = 8;
constexpr int SocketCanClassicSize = 16;
constexpr int SocketCanFdSize = 72;
constexpr quint32 CanEffFlag = 0x80000000u;
constexpr quint32 CanRtrFlag = 0x40000000u;
constexpr quint32 CanErrFlag = 0x20000000u;
constexpr quint8 CanFdFdfFlag = 0x04;
constexpr quint8 CanXlXlfFlag = 0x80; // in the length's place: a CAN XL frame
// Linux cooked captures name the protocol; these two carry SocketCAN frames.
constexpr quint16 SllProtocolCan = 0x000C;
constexpr quint16 SllProtocolCanFd = 0x000D;
constexpr int SllHeader = 16;
constexpr int Sll2Header = 20;
// SLL2: protocol, reserved, interface index, ARPHRD type, packet type, address length, address.
constexpr int Sll2InterfaceIndexAt = 4;
constexpr quint16 ArphrdCan = 280;

// A captured packet, not a file structure, may be that large; beyond it a length is refused.
constexpr quint32 PacketLimit = 16 << 20;

// Where a packet comes from: its file's byte order, time and bus.
struct PacketSource
{
    quint32 linkType = 0;
    bool bigEndianFile = false;
    qint64 timeUs = 0;
    quint8 bus = 0;
};

// Takes the packet as a frame or skips it with the reason; false once the sink stopped. SLL2
// names the bus itself: the frame's bus is its interface index. The SocketCAN identifier is
// big-endian under its own link type, but in the capturing host's order (the file's) under a
// cooked header, which libpcap copies from the kernel as it is.
bool takePacket(BinaryRecordingPass &pass, qint64 offset, const PacketSource &source,
                const uchar *data, quint32 size);

// Writes a SocketCAN frame for a classic CAN frame: 16 bytes at `out`, the identifier
// big-endian or, for a cooked header in a little-endian file, little-endian.
void encodeSocketCan(const CanMessage &message, uchar *out, bool littleEndianId = false);
// Writes the SLL2 header of a CAN packet received on interface `interfaceIndex`: 20 bytes.
void encodeSll2(quint32 interfaceIndex, uchar *out);

} // namespace PcapFormat
