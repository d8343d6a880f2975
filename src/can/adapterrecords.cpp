#include "can/adapterrecords.h"

#include <cstring>

namespace AdapterRecords {

namespace {

void putLittleEndian32(unsigned char *out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

quint32 getLittleEndian32(const unsigned char *in)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value |= quint32(in[i]) << (8 * i);
    return value;
}

CanMessage frameFrom(quint32 id, bool extended, int length, const unsigned char *data,
                     bool *clamped)
{
    if (clamped)
        *clamped = length > CanMessage::MaxLength;
    CanMessage m(id, data, length > CanMessage::MaxLength ? CanMessage::MaxLength : length);
    m.extended = extended;
    return m;
}

} // namespace

void toPassThru(const CanMessage &m, J2534Api::PassThruMsg *msg)
{
    msg->ProtocolID = J2534Api::ProtocolCan;
    msg->RxStatus = 0;
    msg->TxFlags = m.extended ? J2534Api::TxCan29BitId : 0ul;
    msg->Timestamp = 0;
    msg->ExtraDataIndex = 0;
    const quint32 id = maskedId(m);
    for (int i = 0; i < 4; ++i)
        msg->Data[i] = static_cast<unsigned char>(id >> (8 * (3 - i)));
    int length = 0;
    m.getData(msg->Data + J2534Api::IdBytes, &length);
    msg->DataSize = J2534Api::IdBytes + unsigned(length);
}

PassThruResult fromPassThru(const J2534Api::PassThruMsg &msg, CanMessage *m)
{
    if (msg.ProtocolID != J2534Api::ProtocolCan)
        return PassThruResult::WrongProtocol;
    if (msg.DataSize < J2534Api::IdBytes
        || msg.DataSize > J2534Api::IdBytes + unsigned(CanMessage::MaxLength))
        return PassThruResult::BadSize;
    // Our own frames looped back and transmit confirmations are not bus traffic to show twice.
    if (msg.RxStatus & (J2534Api::RxTxMsgType | J2534Api::RxTxIndication))
        return PassThruResult::Echo;
    quint32 id = 0;
    for (int i = 0; i < 4; ++i)
        id = (id << 8) | msg.Data[i];
    const bool extended = msg.RxStatus & J2534Api::RxCan29BitId;
    *m = frameFrom(id & (extended ? ExtendedIdMask : StandardIdMask), extended,
                   int(msg.DataSize - J2534Api::IdBytes), msg.Data + J2534Api::IdBytes, nullptr);
    return PassThruResult::Frame;
}

void passAllFilter(J2534Api::PassThruMsg *msg)
{
    std::memset(msg, 0, sizeof *msg);
    msg->ProtocolID = J2534Api::ProtocolCan;
    msg->TxFlags = J2534Api::TxFilterFlags;
    msg->DataSize = J2534Api::IdBytes;
}

void toSlcanRecord(const CanMessage &m, unsigned char *record)
{
    std::memset(record, 0, SlcanRecordSize);
    record[0] = m.extended ? SlcanExtendedFlag : 0;
    putLittleEndian32(record + 1, maskedId(m));
    int length = 0;
    m.getData(record + 6, &length);
    record[5] = static_cast<unsigned char>(length);
}

CanMessage fromSlcanRecord(const unsigned char *record, bool *clamped)
{
    const bool extended = record[0] & SlcanExtendedFlag;
    const quint32 id = getLittleEndian32(record + 1) & (extended ? ExtendedIdMask : StandardIdMask);
    return frameFrom(id, extended, record[5], record + 6, clamped);
}

quint32 slmcpIdWord(quint32 id, bool extended)
{
    quint32 word = (id & SlmcpLowIdMask) | ((id * 8) & SlmcpHighWordMask);
    if (extended)
        word |= SlmcpExtendedBit;
    return word;
}

quint32 slmcpIdFromWord(quint32 word)
{
    return (word & SlmcpLowIdMask) | ((word & SlmcpHighWordMask) >> 3);
}

void toSlmcpRecord(const CanMessage &m, unsigned char *record)
{
    std::memset(record, 0, SlmcpRecordSize);
    putLittleEndian32(record, slmcpIdWord(maskedId(m), m.extended));
    int length = 0;
    m.getData(record + 5, &length);
    record[4] = static_cast<unsigned char>(length);
}

CanMessage fromSlmcpRecord(const unsigned char *record, bool *clamped)
{
    const quint32 word = getLittleEndian32(record);
    const bool extended = slmcpWordIsExtended(word);
    const quint32 id = slmcpIdFromWord(word) & (extended ? ExtendedIdMask : StandardIdMask);
    return frameFrom(id, extended, record[4], record + 5, clamped);
}

int slmcpBitRateCode(unsigned rate)
{
    static const struct
    {
        unsigned rate;
        int code;
    } Codes[] = {{1000000, 0}, {800000, 1}, {500000, 2}, {250000, 3},
                 {125000, 4},  {50000, 5},  {20000, 6},  {10000, 7}};
    for (const auto &entry : Codes) {
        if (entry.rate == rate)
            return entry.code;
    }
    return -1;
}

} // namespace AdapterRecords
