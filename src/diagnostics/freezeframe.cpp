#include "diagnostics/freezeframe.h"

#include "descriptions/spnscaling.h"

#include <QCoreApplication>

#include <algorithm>

namespace FreezeFrame {

namespace {

// An empty list goes out as one record of length 0, padded.
QByteArray padded(QByteArray out)
{
    if (out.isEmpty())
        out.append(char(0));
    if (out.size() < SingleFrameLength)
        out.append(QByteArray(SingleFrameLength - int(out.size()), char(0xFF)));
    return out;
}

const quint8 *bytesOf(const QByteArray &data)
{
    return reinterpret_cast<const quint8 *>(data.constData());
}

struct Dm4FieldInfo
{
    quint32 spn;
    const char *name;
    int bytes;
    double factor;
    double offset;
    const char *unit;
    int decimals;
};

// The standard values of a DM4 record, in their order after the DTC.
const Dm4FieldInfo Dm4Fields[Dm4FieldCount] = {
    {899, QT_TRANSLATE_NOOP("FreezeFrame", "Torque mode"), 1, 1.0, 0.0, "", 0},
    {102, QT_TRANSLATE_NOOP("FreezeFrame", "Boost pressure"), 1, 2.0, 0.0, "kPa", 0},
    {190, QT_TRANSLATE_NOOP("FreezeFrame", "Engine speed"), 2, 0.125, 0.0, "rpm", 1},
    {92, QT_TRANSLATE_NOOP("FreezeFrame", "Engine load"), 1, 1.0, 0.0, "%", 0},
    {110, QT_TRANSLATE_NOOP("FreezeFrame", "Coolant temperature"), 1, 1.0, -40.0, "°C", 0},
    {84, QT_TRANSLATE_NOOP("FreezeFrame", "Vehicle speed"), 2, 1.0 / 256.0, 0.0, "km/h", 2},
};

quint64 dm4Raw(const Dm4Record &r, Dm4Field field)
{
    switch (field) {
    case TorqueMode:
        return r.torqueMode;
    case Boost:
        return r.boost;
    case EngineSpeed:
        return r.engineSpeed;
    case Load:
        return r.load;
    case Coolant:
        return r.coolant;
    case VehicleSpeed:
        return r.vehicleSpeed;
    default:
        return 0;
    }
}

} // namespace

QString dtcText(const Dtc &dtc)
{
    return QCoreApplication::translate("FreezeFrame", "SPN %1 FMI %2 OC %3")
        .arg(dtc.spn)
        .arg(dtc.fmi)
        .arg(dtc.oc);
}

bool Dm4Record::operator==(const Dm4Record &o) const
{
    return dtc == o.dtc && (torqueMode & 0x0F) == (o.torqueMode & 0x0F) && boost == o.boost
           && engineSpeed == o.engineSpeed && load == o.load && coolant == o.coolant
           && vehicleSpeed == o.vehicleSpeed && manufacturer == o.manufacturer;
}

QVector<Dm4Record> decodeDm4(const QByteArray &data)
{
    QVector<Dm4Record> records;
    const quint8 *b = bytesOf(data);
    const int size = int(data.size());
    int at = 0;
    // Each record: its length L (the bytes after it), the DTC, the standard values, then the
    // manufacturer's. L = 0 or a record past the end ends the list.
    while (at < size) {
        const int length = b[at];
        if (length == 0 || at + 1 + length > size)
            break;
        const quint8 *r = b + at + 1;
        at += 1 + length;
        if (length < DtcBytes)
            continue; // no code to name: nothing to show
        // A record shorter than the standard set keeps the missing values not available.
        QByteArray field(Dm4StandardBytes, char(0xFF));
        std::copy(r, r + std::min(length, Dm4StandardBytes), field.begin());
        const quint8 *f = bytesOf(field);
        Dm4Record record;
        record.dtc = TroubleCode::decode(f);
        record.torqueMode = f[4];
        record.boost = f[5];
        record.engineSpeed = quint16(f[6] | f[7] << 8);
        record.load = f[8];
        record.coolant = f[9];
        record.vehicleSpeed = quint16(f[10] | f[11] << 8);
        if (length > Dm4StandardBytes)
            record.manufacturer = QByteArray(reinterpret_cast<const char *>(r) + Dm4StandardBytes,
                                             length - Dm4StandardBytes);
        records.append(record);
    }
    return records;
}

QByteArray encodeDm4(const QVector<Dm4Record> &records)
{
    QByteArray out;
    for (const Dm4Record &r : records) {
        // The length byte holds at most 255: longer manufacturer data is cut.
        const QByteArray extra = r.manufacturer.left(255 - Dm4StandardBytes);
        out.append(char(Dm4StandardBytes + extra.size()));
        r.dtc.append(&out);
        out.append(char(r.torqueMode | 0xF0));
        out.append(char(r.boost));
        out.append(char(r.engineSpeed & 0xFF));
        out.append(char(r.engineSpeed >> 8));
        out.append(char(r.load));
        out.append(char(r.coolant));
        out.append(char(r.vehicleSpeed & 0xFF));
        out.append(char(r.vehicleSpeed >> 8));
        out.append(extra);
    }
    return padded(out);
}

QString dm4FieldName(Dm4Field field)
{
    return QCoreApplication::translate("FreezeFrame", Dm4Fields[field].name);
}

QString dm4FieldText(const Dm4Record &record, Dm4Field field)
{
    const Dm4FieldInfo &info = Dm4Fields[field];
    if (field == TorqueMode) {
        // Four bits: 1111 is not available.
        const int mode = record.torqueMode & 0x0F;
        return mode == 0x0F ? QCoreApplication::translate("SpnScaling", "n/a")
                            : QString::number(mode);
    }
    SpnScaling scaling;
    scaling.spn = info.spn;
    scaling.factor = info.factor;
    scaling.offset = info.offset;
    scaling.unit = QString::fromUtf8(info.unit);
    scaling.bitLength = 8 * info.bytes;
    scaling.decimals = info.decimals;
    return scaling.text(dm4Raw(record, field), info.bytes);
}

QVector<SpnSupport> decodeDm24(const QByteArray &data)
{
    QVector<SpnSupport> list;
    const quint8 *b = bytesOf(data);
    // A trailing partial record is padding or a cut message: ignored.
    for (int at = 0; at + Dm24RecordBytes <= int(data.size()); at += Dm24RecordBytes) {
        const quint8 *r = b + at;
        SpnSupport s;
        s.spn = quint32(r[0]) | quint32(r[1]) << 8 | quint32(r[2] >> 5) << 16;
        // The all-ones SPN is the padding of a single frame, no entry.
        if (s.spn == NotAvailableSpn)
            continue;
        // The support bits are 0 where the SPN is supported.
        s.inExpandedFreezeFrame = (r[2] & 0x01) == 0;
        s.inDataStream = (r[2] & 0x02) == 0;
        s.scaledTestResults = (r[2] & 0x04) == 0;
        s.length = r[3];
        list.append(s);
    }
    return list;
}

QByteArray encodeDm24(const QVector<SpnSupport> &list)
{
    QByteArray out;
    for (const SpnSupport &s : list) {
        out.append(char(s.spn & 0xFF));
        out.append(char((s.spn >> 8) & 0xFF));
        quint8 flags = quint8(((s.spn >> 16) & 0x07) << 5) | 0x18; // bits 4-3 reserved, 1
        if (!s.inExpandedFreezeFrame)
            flags |= 0x01;
        if (!s.inDataStream)
            flags |= 0x02;
        if (!s.scaledTestResults)
            flags |= 0x04;
        out.append(char(flags));
        out.append(char(s.length));
    }
    if (out.size() < SingleFrameLength)
        out.append(QByteArray(SingleFrameLength - int(out.size()), char(0xFF)));
    return out;
}

QVector<Dm25Record> decodeDm25(const QByteArray &data)
{
    QVector<Dm25Record> records;
    const quint8 *b = bytesOf(data);
    const int size = int(data.size());
    int at = 0;
    while (at < size) {
        const int length = b[at];
        if (length == 0 || at + 1 + length > size)
            break;
        const quint8 *r = b + at + 1;
        at += 1 + length;
        if (length < DtcBytes)
            continue;
        Dm25Record record;
        record.dtc = TroubleCode::decode(r);
        record.values = QByteArray(reinterpret_cast<const char *>(r) + DtcBytes, length - DtcBytes);
        records.append(record);
    }
    return records;
}

QByteArray encodeDm25(const QVector<Dm25Record> &records)
{
    QByteArray out;
    for (const Dm25Record &r : records) {
        const QByteArray values = r.values.left(255 - DtcBytes);
        out.append(char(DtcBytes + values.size()));
        r.dtc.append(&out);
        out.append(values);
    }
    return padded(out);
}

QVector<FrameValue> splitValues(const QByteArray &values, const QVector<SpnSupport> &support,
                                bool *consistent)
{
    QVector<FrameValue> out;
    int at = 0;
    const int size = int(values.size());
    int expected = 0;
    for (const SpnSupport &s : support) {
        if (!s.inExpandedFreezeFrame)
            continue;
        expected += s.length;
        if (at >= size)
            continue;
        FrameValue v;
        v.spn = s.spn;
        v.raw = values.mid(at, s.length);
        v.complete = v.raw.size() == s.length;
        at += s.length;
        out.append(v);
    }
    if (at < size) {
        FrameValue rest;
        rest.raw = values.mid(at);
        out.append(rest);
    }
    if (consistent)
        *consistent = expected == size;
    return out;
}

int findRecord(const QVector<Dm25Record> &records, quint32 spn, quint8 fmi, int oc)
{
    int found = -1;
    for (int i = 0; i < records.size(); ++i) {
        const Dtc &d = records.at(i).dtc;
        if (d.spn != spn || d.fmi != fmi)
            continue;
        if (oc < 0 || d.oc == oc)
            return i;
        if (found < 0)
            found = i;
    }
    return found;
}

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

quint64 littleEndian(const QByteArray &bytes)
{
    quint64 value = 0;
    for (int i = std::min(int(bytes.size()), 8) - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes.at(i));
    return value;
}

} // namespace FreezeFrame
