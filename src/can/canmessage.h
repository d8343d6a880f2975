#pragma once

#include <QMetaType>
#include <QString>

#include <cstdint>

class AbstractDisplayableItem;

// One CAN frame; for extended frames the identifier carries the J1939 fields. A plain value type.
class CanMessage
{
public:
    CanMessage() = default;
    CanMessage(quint32 identifier, const quint8 *bytes, int count);

    quint8 address() const { return quint8(id & 0xFF); }
    quint8 pduSpecific() const { return quint8((id >> 8) & 0xFF); }
    quint8 pduFormat() const { return quint8((id >> 16) & 0xFF); }
    quint8 priority() const { return quint8((id >> 26) & 0x07); }
    bool dataPage() const { return (id >> 24) & 1; }
    bool extendedDataPage() const { return (id >> 25) & 1; }
    // PGN with the destination cleared for PDU1 formats (PF below 0xF0).
    quint32 pgn() const;

    void setAddress(quint8 sa);
    void setPduSpecific(quint8 ps);
    void setPduFormat(quint8 pf);
    void setPriority(quint8 p);

    void getData(quint8 *destination, int *count = nullptr) const;
    void setData(const quint8 *bytes, int count);
    quint32 dataLow() const;
    quint32 dataHigh() const;

    bool isUnicast() const;
    QString toString() const;

    static bool isPdu1(quint8 pf) { return pf < 0xF0; }
    static constexpr quint8 GlobalAddress = 0xFF;
    static constexpr int MaxLength = 8;

    quint32 id = 0;
    quint8 length = 8;
    quint8 data[MaxLength] = {0, 0, 0, 0, 0, 0, 0, 0};
    bool extended = true;
    AbstractDisplayableItem *sender = nullptr;
    QString text;
};

Q_DECLARE_METATYPE(CanMessage)

// Appends the bytes as two lower-case hex digits each, separated by single blanks.
void appendHexBytes(QString &out, const quint8 *bytes, int count);
