#include "can/rp1210records.h"

#include "can/adapterrecords.h"
#include "can/rp1210api.h"

namespace Rp1210Records {

namespace {

constexpr quint8 NoDestination = CanMessage::GlobalAddress;

void appendBigEndian(QByteArray *out, quint32 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out->append(char(quint8(value >> (8 * i))));
}

quint32 bigEndian(const quint8 *in, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | in[i];
    return value;
}

void appendData(QByteArray *out, const CanMessage &m)
{
    quint8 data[CanMessage::MaxLength];
    int length = 0;
    m.getData(data, &length);
    out->append(reinterpret_cast<const char *>(data), length);
}

ReadResult fromJ1939(const quint8 *in, int size, CanMessage *m)
{
    if (size < J1939HeaderBytes)
        return ReadResult::TooShort;
    if (size - J1939HeaderBytes > CanMessage::MaxLength)
        return ReadResult::LongMessage;
    const quint32 pgn = (quint32(in[0]) | quint32(in[1]) << 8 | quint32(in[2]) << 16) & PgnMask;
    const quint8 priority = in[3] & J1939PriorityMask;
    CanMessage frame(quint32(priority) << 26 | pgn << 8 | in[4], in + J1939HeaderBytes,
                     size - J1939HeaderBytes);
    // A PDU1 group is addressed: its PS byte on the bus is the destination.
    if (CanMessage::isPdu1(frame.pduFormat()))
        frame.setPduSpecific(in[5]);
    *m = frame;
    return ReadResult::Frame;
}

ReadResult fromCan(const quint8 *in, int size, CanMessage *m)
{
    if (size < 1)
        return ReadResult::TooShort;
    if (in[0] != CanStandard && in[0] != CanExtended)
        return ReadResult::UnknownType;
    const bool extended = in[0] == CanExtended;
    const int idBytes = extended ? 4 : 2;
    if (size < 1 + idBytes)
        return ReadResult::TooShort;
    if (size - 1 - idBytes > CanMessage::MaxLength)
        return ReadResult::LongMessage;
    const quint32 id
        = bigEndian(in + 1, idBytes)
          & (extended ? AdapterRecords::ExtendedIdMask : AdapterRecords::StandardIdMask);
    CanMessage frame(id, in + 1 + idBytes, size - 1 - idBytes);
    frame.extended = extended;
    *m = frame;
    return ReadResult::Frame;
}

} // namespace

QString protocolName(Protocol protocol)
{
    return protocol == Protocol::Can ? QStringLiteral("CAN") : QStringLiteral("J1939");
}

Protocol protocolForName(const QString &name)
{
    return name.compare(QLatin1String("CAN"), Qt::CaseInsensitive) == 0 ? Protocol::Can
                                                                        : Protocol::J1939;
}

QByteArray connectString(Protocol protocol, unsigned bitRate)
{
    // The API names the rates it offers in kbit/s.
    switch (bitRate) {
    case 125000:
    case 250000:
    case 500000:
    case 1000000:
        break;
    default:
        return QByteArray();
    }
    return protocolName(protocol).toLatin1() + ":Baud=" + QByteArray::number(bitRate / 1000);
}

QByteArray toMessage(Protocol protocol, const CanMessage &m)
{
    QByteArray out;
    if (protocol == Protocol::Can) {
        out.append(char(m.extended ? CanExtended : CanStandard));
        appendBigEndian(&out, AdapterRecords::maskedId(m), m.extended ? 4 : 2);
        appendData(&out, m);
        return out;
    }
    if (!m.extended)
        return out;
    const quint32 pgn = m.pgn();
    out.append(char(quint8(pgn)));
    out.append(char(quint8(pgn >> 8)));
    out.append(char(quint8(pgn >> 16)));
    out.append(char(m.priority()));
    out.append(char(m.address()));
    out.append(char(CanMessage::isPdu1(m.pduFormat()) ? m.pduSpecific() : NoDestination));
    appendData(&out, m);
    return out;
}

ReadResult fromMessage(Protocol protocol, const char *bytes, int size, CanMessage *m)
{
    if (size < TimestampBytes)
        return ReadResult::TooShort;
    const auto *in = reinterpret_cast<const quint8 *>(bytes) + TimestampBytes;
    size -= TimestampBytes;
    return protocol == Protocol::Can ? fromCan(in, size, m) : fromJ1939(in, size, m);
}

quint64 claimedName(const CanMessage &m)
{
    quint64 name = 0;
    for (int i = NameBytes - 1; i >= 0; --i)
        name = name << 8 | m.data[i];
    return name;
}

QByteArray protectCommand(quint8 address, quint64 name, bool block)
{
    QByteArray out;
    out.append(char(address));
    for (int i = 0; i < NameBytes; ++i)
        out.append(char(quint8(name >> (8 * i))));
    out.append(block ? Rp1210Api::BlockUntilDone : Rp1210Api::ReturnBeforeCompletion);
    return out;
}

} // namespace Rp1210Records
