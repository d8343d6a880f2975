#pragma once

#include "model/troublecode.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The freeze frames of J1939-73: DM4 (a fixed set of engine values per code), DM24 (the SPNs a
// unit supports and their lengths) and DM25 (expanded freeze frames laid out by DM24). Pure
// decoding and encoding; bus input is untrusted and never read past its end.
namespace FreezeFrame {

constexpr int DtcBytes = 4;
// A single frame goes out padded to eight bytes with 0xFF.
constexpr int SingleFrameLength = 8;
constexpr quint32 NotAvailableSpn = 0x7FFFF; // 19 bits of ones

using Dtc = TroubleCode;
// "SPN 110 FMI 0 OC 3"
QString dtcText(const Dtc &dtc);

// --- DM4 ---
// The standard values of a DM4 record, raw, with the manufacturer's bytes after them.
struct Dm4Record
{
    Dtc dtc;
    quint8 torqueMode = 0xFF;      // low 4 bits, SPN 899
    quint8 boost = 0xFF;           // SPN 102, 2 kPa/bit
    quint16 engineSpeed = 0xFFFF;  // SPN 190, 0.125 rpm/bit
    quint8 load = 0xFF;            // SPN 92, 1 %/bit
    quint8 coolant = 0xFF;         // SPN 110, 1 °C/bit, −40 °C
    quint16 vehicleSpeed = 0xFFFF; // SPN 84, 1/256 km/h per bit
    QByteArray manufacturer;
    bool operator==(const Dm4Record &o) const;
};
constexpr int Dm4StandardBytes = 12; // the DTC and the standard values
QVector<Dm4Record> decodeDm4(const QByteArray &data);
QByteArray encodeDm4(const QVector<Dm4Record> &records);
// The standard values as shown: each field's name and text ("1500.0 rpm", "n/a").
enum Dm4Field { TorqueMode, Boost, EngineSpeed, Load, Coolant, VehicleSpeed, Dm4FieldCount };
QString dm4FieldName(Dm4Field field);
QString dm4FieldText(const Dm4Record &record, Dm4Field field);

// --- DM24 ---
struct SpnSupport
{
    quint32 spn = 0;
    bool inExpandedFreezeFrame = false;
    bool inDataStream = false;
    bool scaledTestResults = false;
    quint8 length = 0; // bytes in the expanded freeze frame
    bool operator==(const SpnSupport &o) const
    {
        return spn == o.spn && inExpandedFreezeFrame == o.inExpandedFreezeFrame
               && inDataStream == o.inDataStream && scaledTestResults == o.scaledTestResults
               && length == o.length;
    }
};
constexpr int Dm24RecordBytes = 4;
QVector<SpnSupport> decodeDm24(const QByteArray &data);
QByteArray encodeDm24(const QVector<SpnSupport> &list);

// --- DM25 ---
struct Dm25Record
{
    Dtc dtc;
    QByteArray values; // the SPN values, laid out by the unit's DM24
    bool operator==(const Dm25Record &o) const { return dtc == o.dtc && values == o.values; }
};
QVector<Dm25Record> decodeDm25(const QByteArray &data);
QByteArray encodeDm25(const QVector<Dm25Record> &records);

// One value of an expanded freeze frame: its SPN (NotAvailableSpn for bytes no DM24 entry
// explains) and raw bytes, least significant first.
struct FrameValue
{
    quint32 spn = NotAvailableSpn;
    QByteArray raw;
    bool complete = true; // false when the record ended inside the value
};
// Splits a record's values by the unit's DM24 list: the SPNs it marks as in the expanded freeze
// frame, in its order, each of its length. *consistent is false when the lengths do not add up
// to the record's; bytes left over come as one value without an SPN.
QVector<FrameValue> splitValues(const QByteArray &values, const QVector<SpnSupport> &support,
                                bool *consistent = nullptr);
// The record of the code: SPN and FMI equal, the occurrence count too where one matches; -1
// when none.
int findRecord(const QVector<Dm25Record> &records, quint32 spn, quint8 fmi, int oc = -1);

// "0A FF 12"
QString hexText(const QByteArray &bytes);
quint64 littleEndian(const QByteArray &bytes);

} // namespace FreezeFrame
