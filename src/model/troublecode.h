#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// One SAE J1939-73 diagnostic trouble code as DM1, DM2, DM4 and the clearing messages carry it in
// four bytes: SPN (19 bits, conversion method 4), FMI, occurrence count and the SPN conversion
// method bit. Every floor decodes codes through this type, so "no code" and padding mean the same
// everywhere.
struct TroubleCode
{
    static constexpr int Bytes = 4;
    // Lamp bytes ahead of the codes in DM1 and DM2.
    static constexpr int LampBytes = 2;
    static constexpr quint32 MaxSpn = 0x7FFFF;
    static constexpr quint8 MaxFmi = 0x1F;
    static constexpr quint8 MaxOccurrences = 0x7F;

    quint32 spn = 0;
    quint8 fmi = 0;
    quint8 oc = 0; // occurrence count, 7 bits
    bool conversionMethod = false;

    // Reads four bytes; the caller makes sure they are there.
    static TroubleCode decode(const quint8 *bytes);
    void append(QByteArray *out) const;
    // The fourth byte as sent: the occurrence count and the conversion method bit on top.
    quint8 fourthByte() const
    {
        return quint8((oc & MaxOccurrences) | (conversionMethod ? 0x80 : 0));
    }

    // A unit without an active code sends SPN 0 FMI 0 in the place of one.
    bool isNoCode() const { return spn == 0 && fmi == 0; }
    // All ones in SPN and FMI fill a message past its last code.
    bool isPadding() const { return spn == MaxSpn && fmi == MaxFmi; }
    bool isFault() const { return !isNoCode() && !isPadding(); }
    bool sameFault(const TroubleCode &o) const { return spn == o.spn && fmi == o.fmi; }
    // SPN and FMI in one number, for sets and maps: spn << 8 | fmi.
    quint64 faultKey() const { return quint64(spn) << 8 | fmi; }

    bool operator==(const TroubleCode &o) const
    {
        return sameFault(o) && oc == o.oc && conversionMethod == o.conversionMethod;
    }
    bool operator!=(const TroubleCode &o) const { return !(*this == o); }

    // Every whole four-byte group of `data` from `offset` on, as sent (a trailing part is cut off).
    static QVector<TroubleCode> decodeAll(const QByteArray &data, int offset = LampBytes);
    // The faults of a DM1 or DM2 payload (lamps first): "no code" and padding left out, a fault
    // listed twice kept once (its first entry), in the order sent.
    static QVector<TroubleCode> decodeFaults(const QByteArray &data, int offset = LampBytes);
};
