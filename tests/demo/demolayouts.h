#pragma once

#include "demobuspeer.h"

#include <QStringList>

#include <algorithm>

// The demo tests' own reading of the agreed J1939 layouts (DM1/DM2 codes and lamps,
// acknowledgements, DM4 records), independent of the program's decoders.
namespace DemoLayouts {

constexpr quint8 Engine = 0x01; // the demo's engine
constexpr quint8 Global = 0xFF;
constexpr quint32 Ack = 0xE800, Dm1 = 0xFECA, Eec1 = 0xF004, Hours = 0xFEE5, TpConnection = 0xEC00;

struct Dtc
{
    quint32 spn;
    int fmi;
    int oc;
    bool operator==(const Dtc &o) const { return spn == o.spn && fmi == o.fmi && oc == o.oc; }
};

inline Dtc dtcAt(const QByteArray &d, int at)
{
    const auto b = [&](int i) { return quint32(quint8(d.at(at + i))); };
    return {b(0) | b(1) << 8 | (b(2) >> 5) << 16, int(b(2) & 0x1F), int(b(3) & 0x7F)};
}

// The codes of a DM1/DM2 payload; the "no code" entry (SPN 0, FMI 0) is no code.
inline QVector<Dtc> codesOf(const QByteArray &dm)
{
    QVector<Dtc> codes;
    for (int at = 2; at + 4 <= dm.size(); at += 4) {
        const Dtc dtc = dtcAt(dm, at);
        if (quint8(dm.at(at)) == 0xFF && quint8(dm.at(at + 1)) == 0xFF)
            break; // padding
        if (dtc.spn != 0 || dtc.fmi != 0)
            codes.append(dtc);
    }
    return codes;
}

inline bool hasCode(const QVector<Dtc> &codes, quint32 spn, int fmi, int oc = -1)
{
    return std::any_of(codes.begin(), codes.end(), [&](const Dtc &d) {
        return d.spn == spn && d.fmi == fmi && (oc < 0 || d.oc == oc);
    });
}

// Lamp fields of byte 0: MIL 7-6, RSL 5-4, AWL 3-2, PL 1-0.
inline int lamp(const QByteArray &dm, int shift)
{
    return (quint8(dm.at(0)) >> shift) & 0x3;
}
constexpr int Mil = 6, Rsl = 4, Awl = 2;

// An acknowledgement as "source:control:destination:requester:pgn", hex but the control.
inline QString ackText(const DemoBusPeer::Message &m)
{
    const quint32 pgn
        = quint8(m.data.at(5)) | quint8(m.data.at(6)) << 8 | quint8(m.data.at(7)) << 16;
    return QStringLiteral("%1:%2:%3:%4:%5")
        .arg(m.source, 2, 16, QLatin1Char('0'))
        .arg(int(quint8(m.data.at(0))))
        .arg(m.destination, 2, 16, QLatin1Char('0'))
        .arg(int(quint8(m.data.at(4))), 2, 16, QLatin1Char('0'))
        .arg(pgn, 0, 16);
}

// The acknowledgements the peer received, sorted.
inline QStringList acksOf(const DemoBusPeer &peer)
{
    QStringList acks;
    for (const DemoBusPeer::Message &m : peer.messages) {
        if (m.pgn == Ack && m.data.size() == 8)
            acks.append(ackText(m));
    }
    acks.sort();
    return acks;
}

// Frames the engine broadcast by itself among `frames`: EEC1, HOURS, DM1 and BAM announcements.
inline int engineBroadcasts(const QVector<CanMessage> &frames, int from)
{
    int count = 0;
    for (int i = from; i < frames.size(); ++i) {
        const CanMessage &f = frames.at(i);
        const quint32 pgn = f.pgn();
        if (f.address() == Engine
            && (pgn == Eec1 || pgn == Hours || pgn == Dm1
                || (pgn == TpConnection && f.pduSpecific() == Global)))
            ++count;
    }
    return count;
}

// DM13 from the tool to `destination`.
inline CanMessage dm13(quint8 destination, const QByteArray &payload)
{
    return CanMessage(0x18DF00F9u | quint32(destination) << 8,
                      reinterpret_cast<const quint8 *>(payload.constData()), payload.size());
}

// DM4 records: DTC and the fixed values, by SPN.
struct Dm4Record
{
    Dtc dtc;
    QHash<quint32, quint32> raw;
};

inline QVector<Dm4Record> dm4Records(const QByteArray &d)
{
    QVector<Dm4Record> records;
    for (int at = 0; at < d.size();) {
        const int length = quint8(d.at(at));
        if (length == 0 || at + 1 + length > d.size())
            break;
        const auto byte = [&](int i) { return quint32(quint8(d.at(at + 1 + i))); };
        Dm4Record r{dtcAt(d, at + 1), {}};
        r.raw.insert(899, byte(4) & 0x0F);
        r.raw.insert(102, byte(5));
        r.raw.insert(190, byte(6) | byte(7) << 8);
        r.raw.insert(92, byte(8));
        r.raw.insert(110, byte(9));
        r.raw.insert(84, byte(10) | byte(11) << 8);
        records.append(r);
        at += 1 + length;
    }
    return records;
}

} // namespace DemoLayouts
