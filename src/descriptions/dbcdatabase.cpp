#include "descriptions/dbcdatabase.h"

#include "can/canmessage.h"

int DbcSignal::bytesNeeded() const
{
    if (length <= 0 || startBit < 0)
        return 0;
    if (byteOrder == ByteOrder::Intel)
        return (startBit + length - 1) / 8 + 1;
    // Motorola runs from the start bit down to bit 0 of its byte, then on from bit 7 of the next.
    const int bitsInFirstByte = startBit % 8 + 1;
    const int laterBits = length - bitsInFirstByte;
    const int laterBytes = laterBits > 0 ? (laterBits + 7) / 8 : 0;
    return startBit / 8 + laterBytes + 1;
}

bool DbcSignal::isMultiplexedBy(quint64 switchValue) const
{
    if (muxRanges.isEmpty())
        return switchValue == muxValue;
    for (const DbcMuxRange &range : muxRanges) {
        if (switchValue >= range.low && switchValue <= range.high)
            return true;
    }
    return false;
}

quint32 DbcMessage::pgn() const
{
    if (!extended)
        return 0;
    CanMessage frame;
    frame.id = id;
    return frame.pgn();
}

int DbcMessage::signalIndex(const QString &signalName) const
{
    for (int i = 0; i < signalList.size(); ++i) {
        if (signalList.at(i).name == signalName)
            return i;
    }
    return -1;
}

bool DbcDatabase::isJ1939() const
{
    // "J1939" and "J1939PG" are both written by the tools.
    return protocolType.startsWith(QLatin1String("J1939"));
}

bool DbcDatabase::matchesByPgn(const DbcMessage &message) const
{
    if (!message.extended)
        return false;
    return message.isJ1939Pg() || (isJ1939() && extendedAsJ1939);
}

const DbcMessage *DbcDatabase::messageForFrame(quint32 id, bool extended) const
{
    // A database may name one group from two sources as two messages: the exact one wins.
    const auto exact = m_byId.constFind(idKey(id, extended));
    if (exact != m_byId.cend())
        return &messages.at(exact.value());
    if (!extended)
        return nullptr;
    CanMessage frame;
    frame.id = id;
    return messageForPgn(frame.pgn());
}

const DbcMessage *DbcDatabase::messageForPgn(quint32 pgn) const
{
    const auto found = m_byPgn.constFind(pgn);
    if (found == m_byPgn.cend())
        return nullptr;
    const DbcMessage &message = messages.at(found.value());
    return matchesByPgn(message) ? &message : nullptr;
}

const DbcMessage *DbcDatabase::messageByName(const QString &messageName) const
{
    for (const DbcMessage &message : messages) {
        if (message.name == messageName)
            return &message;
    }
    return nullptr;
}

void DbcDatabase::buildIndex()
{
    m_byId.clear();
    m_byPgn.clear();
    // The first of two messages with one identifier keeps it; a PGN goes to its first J1939PG
    // message before any other, which matches by PGN only when the database says so.
    for (int i = 0; i < messages.size(); ++i) {
        const DbcMessage &message = messages.at(i);
        if (!m_byId.contains(idKey(message.id, message.extended)))
            m_byId.insert(idKey(message.id, message.extended), i);
        if (message.extended && message.isJ1939Pg() && !m_byPgn.contains(message.pgn()))
            m_byPgn.insert(message.pgn(), i);
    }
    for (int i = 0; i < messages.size(); ++i) {
        const DbcMessage &message = messages.at(i);
        if (message.extended && !m_byPgn.contains(message.pgn()))
            m_byPgn.insert(message.pgn(), i);
    }
}
