#pragma once

#include "can/canmessage.h"
#include "can/j2534api.h"

// Frame records of the adapter libraries, written and read field by field so that neither the
// host's byte order nor struct packing decides the layout.
namespace AdapterRecords {

constexpr quint32 ExtendedIdMask = 0x1FFFFFFF;
constexpr quint32 StandardIdMask = 0x7FF;

inline quint32 maskedId(const CanMessage &m)
{
    return m.id & (m.extended ? ExtendedIdMask : StandardIdMask);
}

// J2534: CAN protocol, identifier most significant byte first, then the data.
void toPassThru(const CanMessage &m, J2534Api::PassThruMsg *msg);
enum class PassThruResult { Frame, WrongProtocol, BadSize, Echo };
PassThruResult fromPassThru(const J2534Api::PassThruMsg &msg, CanMessage *m);
// Mask and pattern of the filter that lets every frame pass.
void passAllFilter(J2534Api::PassThruMsg *msg);

// slcan.dll: flags (bit 0 extended), identifier least significant byte first, length, data.
constexpr int SlcanRecordSize = 14;
constexpr quint8 SlcanExtendedFlag = 0x01;
void toSlcanRecord(const CanMessage &m, unsigned char *record);
// A length above 8 is clamped; `clamped` tells the caller so it can log it.
CanMessage fromSlcanRecord(const unsigned char *record, bool *clamped = nullptr);

// slmcp.dll: the identifier word keeps bits 0..17 in place and moves bits 18..28 to 21..31;
// bit 19 (0x80000) marks an extended frame. Standard identifiers sit in the low bits as well.
// Not yet checked against the adapter: if standard frames come out wrong on the bus, their
// identifier belongs in bits 21..31 as in the MCP2515 layout this record resembles.
constexpr int SlmcpRecordSize = 16;
constexpr quint32 SlmcpExtendedBit = 0x80000;
constexpr quint32 SlmcpLowIdMask = 0x3FFFF;
constexpr quint32 SlmcpHighWordMask = 0xFFE00000;
quint32 slmcpIdWord(quint32 id, bool extended);
quint32 slmcpIdFromWord(quint32 word);
inline bool slmcpWordIsExtended(quint32 word) { return word & SlmcpExtendedBit; }
void toSlmcpRecord(const CanMessage &m, unsigned char *record);
CanMessage fromSlmcpRecord(const unsigned char *record, bool *clamped = nullptr);
// slmcp.dll's bit-rate code; -1 for a rate it does not offer.
int slmcpBitRateCode(unsigned rate);

} // namespace AdapterRecords
