#pragma once

#include "can/canmessage.h"

#include <QByteArray>
#include <QString>

// Messages of the heavy-duty adapter API, written and read byte by byte. Two client protocols:
// "J1939" (the adapter sees parameter groups: PGN, priority, source, destination, data; it
// reassembles transport sessions itself) and "CAN" (raw frames: type, identifier, data).
namespace Rp1210Records {

enum class Protocol { J1939, Can };

// "J1939" / "CAN"; the protocol of a name, J1939 for anything unknown.
QString protocolName(Protocol protocol);
Protocol protocolForName(const QString &name);
// The ClientConnect protocol string ("J1939:Baud=250"); empty for a rate the API cannot name.
QByteArray connectString(Protocol protocol, unsigned bitRate);

// The leading big-endian time stamp of every received message (no echo byte: echo stays off).
constexpr int TimestampBytes = 4;
// J1939 message after the stamp: PGN (3 bytes, least significant first), how/priority,
// source, destination, then the data.
constexpr int J1939HeaderBytes = 6;
constexpr quint8 J1939PriorityMask = 0x07;
constexpr quint32 PgnMask = 0x3FFFF;
// CAN message after the stamp: type, identifier (2 or 4 bytes, most significant first), data.
constexpr quint8 CanStandard = 0;
constexpr quint8 CanExtended = 1;

// The message SendMessage takes for a frame; empty when the protocol cannot carry it (a
// standard frame as J1939).
QByteArray toMessage(Protocol protocol, const CanMessage &m);

enum class ReadResult {
    Frame,
    TooShort,    // not even a header
    LongMessage, // a reassembled transport message: more than a frame's 8 bytes
    UnknownType, // a CAN message type other than standard or extended
};
ReadResult fromMessage(Protocol protocol, const char *bytes, int size, CanMessage *m);

// Address Claimed (J1939-81): PF 0xEE with the 8-byte NAME.
constexpr quint8 PfAddressClaim = 0xEE;
constexpr int NameBytes = 8;
inline bool isAddressClaim(const CanMessage &m)
{
    return m.extended && m.pduFormat() == PfAddressClaim && m.length == NameBytes;
}
quint64 claimedName(const CanMessage &m);

// Protect_J1939_Address's data: the address, the NAME least significant byte first, and
// whether the call waits for the outcome of the claim.
QByteArray protectCommand(quint8 address, quint64 name, bool block);

} // namespace Rp1210Records
