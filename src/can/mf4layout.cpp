#include "can/mf4layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Mf4 {

namespace {

enum CgFlag : quint16 { CgVlsd = 0x0001, CgBusEvent = 0x0002 };
enum CnType : quint8 {
    FixedLength = 0,
    VariableLength = 1,
    Master = 2,
    VirtualMaster = 3,
    VirtualData = 6
};
constexpr quint8 SyncTime = 1;
enum CnFlag : quint32 { AllInvalid = 0x0001, InvalidationBitValid = 0x0002 };
enum DataType : quint8 {
    UnsignedLe = 0,
    UnsignedBe = 1,
    SignedLe = 2,
    SignedBe = 3,
    FloatLe = 4,
    FloatBe = 5,
    ByteArray = 10
};
enum CcType : quint8 {
    IdentityConversion = 0,
    LinearConversion = 1,
    InterpolatedTableConversion = 4,
    TableConversion = 5,
    ValueToTextConversion = 7
};
// Value-to-value pairs read at the most: far more than any bus-logging channel needs.
constexpr int ConversionPairLimit = 256;
constexpr quint8 BusTypeCan = 2;

bool isBigEndian(quint8 dataType)
{
    return dataType == UnsignedBe || dataType == SignedBe || dataType == FloatBe;
}

// A channel's name as the bus-logging structure names it: "CAN_DataFrame.ID" (a logger may put
// a prefix before the structure's name).
struct ChannelName
{
    ChannelGroup::Kind kind = ChannelGroup::Ignored;
    QString member;
};

ChannelName parseName(const QString &name)
{
    static const struct
    {
        const char *structure;
        ChannelGroup::Kind kind;
    } structures[] = {{"CAN_DataFrame", ChannelGroup::CanData},
                      {"CAN_RemoteFrame", ChannelGroup::CanRemote},
                      {"CAN_ErrorFrame", ChannelGroup::CanError}};
    ChannelName parsed;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString head = dot < 0 ? name : name.left(dot);
    for (const auto &s : structures) {
        if (head.endsWith(QLatin1String(s.structure))) {
            parsed.kind = s.kind;
            parsed.member = dot < 0 ? QString() : name.mid(dot + 1);
        }
    }
    return parsed;
}

struct Walk
{
    File &file;
    ChannelGroup *group;
    QSet<qint64> seen;
};

bool readTable(const Block &cc, int count, Conversion *conversion)
{
    if (count < 2 || count % 2 != 0 || count / 2 > ConversionPairLimit
        || 24 + 8 * qint64(count) > cc.data.size())
        return false;
    for (int i = 0; i < count; i += 2) {
        const double key = cc.f64(24 + 8 * i);
        // A key that is no number has no place in the order.
        if (std::isnan(key))
            return false;
        conversion->table.append({key, cc.f64(32 + 8 * i)});
    }
    std::sort(conversion->table.begin(), conversion->table.end(),
              [](const QPair<double, double> &a, const QPair<double, double> &b) {
                  return a.first < b.first;
              });
    return true;
}

// Reads a channel's conversion. A conversion to text leaves a stored value as it is (the text
// names the value, which is what a frame needs); a virtual channel has no stored value, so it
// needs a numeric conversion, as the time does.
bool readConversion(File &file, qint64 link, Field *field, bool isTime)
{
    if (link == 0)
        return true;
    Block cc;
    if (!file.readBlock(link, {"CC"}, &cc))
        return false;
    const quint8 type = cc.u8(0);
    Conversion &conversion = field->conversion;
    switch (type) {
    case IdentityConversion:
        return true;
    case LinearConversion:
        if (cc.data.size() < 40)
            break;
        conversion.kind = Conversion::Linear;
        conversion.offset = cc.f64(24);
        conversion.factor = cc.f64(32);
        return true;
    case InterpolatedTableConversion:
    case TableConversion:
        if (!readTable(cc, cc.u16(6), &conversion))
            break;
        conversion.kind
            = type == TableConversion ? Conversion::Table : Conversion::InterpolatedTable;
        return true;
    default:
        if (type >= ValueToTextConversion && !isTime && !field->isVirtual)
            return true;
        break;
    }
    const char *text
        = isTime ? QT_TRANSLATE_NOOP("RecordingReader", "time conversion of type %1 is not read")
                 : QT_TRANSLATE_NOOP("RecordingReader", "conversion of type %1 is not read");
    return file.fail(link, translated(text).arg(type));
}

bool takeChannel(Walk &walk, const Block &cn)
{
    ChannelGroup *group = walk.group;
    Field field;
    field.present = true;
    const quint8 type = cn.u8(0);
    field.dataType = cn.u8(2);
    field.bitOffset = cn.u8(3) & 7;
    field.byteOffset = cn.u32(4) + cn.u8(3) / 8;
    field.bitCount = cn.u32(8);
    const quint32 flags = cn.u32(12);
    field.hasInvalidation = flags & InvalidationBitValid;
    field.invalidationBit = cn.u32(16);
    const bool isMaster = type == Master || type == VirtualMaster;
    field.isVirtual = type == VirtualMaster || type == VirtualData;
    const bool badCount
        = field.bitCount == 0 || (field.dataType != ByteArray && field.bitCount > 64);
    if (!field.isVirtual
        && (badCount || quint64(field.byteOffset) + field.byteCount() > group->dataBytes))
        return walk.file.fail(
            cn.offset,
            translated(QT_TRANSLATE_NOOP("RecordingReader", "channel lies outside its record")));
    if (field.hasInvalidation && field.invalidationBit / 8 >= group->invalidationBytes)
        return walk.file.fail(
            cn.offset,
            translated(QT_TRANSLATE_NOOP("RecordingReader", "channel lies outside its record")));
    if (isMaster && cn.u8(1) == SyncTime && !group->time.present) {
        if (!readConversion(walk.file, cn.link(4), &field, true))
            return false;
        group->time = field;
        return true;
    }
    QString name;
    if (!walk.file.readText(cn.link(2), &name))
        return false;
    const ChannelName parsed = parseName(name);
    if (parsed.kind == ChannelGroup::Ignored)
        return true;
    if (group->kind == ChannelGroup::Ignored || group->kind == ChannelGroup::OtherBus)
        group->kind = parsed.kind;
    if (flags & AllInvalid)
        field.hasInvalidation = false;
    if (field.isVirtual)
        field.hasInvalidation = false;
    const QString &m = parsed.member;
    if (!m.isEmpty() && m != QLatin1String("DataBytes")
        && !readConversion(walk.file, cn.link(4), &field, false))
        return false;
    if (m.isEmpty())
        group->frame = field;
    else if (m == QLatin1String("ID"))
        group->id = field;
    else if (m == QLatin1String("IDE"))
        group->ide = field;
    else if (m == QLatin1String("DLC"))
        group->dlc = field;
    else if (m == QLatin1String("DataLength"))
        group->dataLength = field;
    else if (m == QLatin1String("EDL"))
        group->edl = field;
    else if (m == QLatin1String("BusChannel"))
        group->busChannel = field;
    else if (m == QLatin1String("DataBytes")) {
        if (field.isVirtual)
            return walk.file.fail(cn.offset,
                                  translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                               "virtual data bytes are not read")));
        group->bytes = field;
        group->bytesSource = ChannelGroup::InRecord;
        if (type == VariableLength) {
            // The record holds where the bytes are: an offset of up to 64 bits.
            if (cn.link(5) == 0 || field.bitCount > 64)
                return walk.file.fail(cn.offset, translated(QT_TRANSLATE_NOOP(
                                                     "RecordingReader", "variable-length channel "
                                                                        "without data")));
            group->bytesSource = ChannelGroup::SignalData; // or a VLSD group, told by the link
            group->bytesLink = cn.link(5);
        }
    }
    return true;
}

// Channels form a list, and a channel may hold a composition: a list of member channels.
bool walkChannels(Walk &walk, qint64 link, int depth)
{
    if (depth > CompositionDepthLimit)
        return walk.file.fail(
            link, translated(QT_TRANSLATE_NOOP("RecordingReader", "channels nest too deep")));
    while (link != 0) {
        if (walk.seen.contains(link))
            return walk.file.fail(
                link, translated(QT_TRANSLATE_NOOP("RecordingReader", "the links loop")));
        if (walk.seen.size() >= ChannelLimit)
            return walk.file.fail(link, translated(QT_TRANSLATE_NOOP(
                                            "RecordingReader", "too many channels in a group")));
        walk.seen.insert(link);
        Block cn;
        if (!walk.file.readBlock(link, {"CN"}, &cn) || !takeChannel(walk, cn))
            return false;
        const qint64 composition = cn.link(1);
        if (composition != 0) {
            Block member;
            // A channel array (CA) describes arrays, which bus logging does not use.
            if (!walk.file.readBlock(composition, {"CN", "CA"}, &member, File::HeaderOnly))
                return false;
            if (member.id == "CN" && !walkChannels(walk, composition, depth + 1))
                return false;
        }
        link = cn.link(0);
    }
    return true;
}

} // namespace

quint64 Field::unsignedValue(const char *record) const
{
    const quint32 count = quint32(std::min<quint64>(byteCount(), 9));
    quint8 bytes[9] = {};
    std::memcpy(bytes, record + byteOffset, std::min<quint32>(count, 9));
    quint64 low = 0;
    if (isBigEndian(dataType)) {
        // Big-endian values end at the last byte; the bit offset counts from its least bit.
        quint64 value = 0;
        for (quint32 i = 0; i < std::min<quint32>(count, 8); ++i)
            value = (value << 8) | bytes[i];
        low = value >> bitOffset;
    } else {
        for (quint32 i = 0; i < std::min<quint32>(count, 8); ++i)
            low |= quint64(bytes[i]) << (8 * i);
        low >>= bitOffset;
        if (count == 9 && bitOffset > 0)
            low |= quint64(bytes[8]) << (64 - bitOffset);
    }
    return bitCount >= 64 ? low : low & ((quint64(1) << bitCount) - 1);
}

double Field::numericValue(const char *record) const
{
    const quint64 raw = unsignedValue(record);
    switch (dataType) {
    case FloatLe:
    case FloatBe:
        if (bitCount == 32) {
            const quint32 bits = quint32(raw);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return double(value);
        } else {
            double value;
            std::memcpy(&value, &raw, sizeof value);
            return value;
        }
    case SignedLe:
    case SignedBe:
        if (bitCount > 0 && bitCount < 64 && (raw >> (bitCount - 1)) & 1)
            return double(qint64(raw | (~quint64(0) << bitCount)));
        return double(qint64(raw));
    default:
        return double(raw);
    }
}

double Conversion::apply(double raw) const
{
    switch (kind) {
    case Identity:
        return raw;
    case Linear:
        return offset + factor * raw;
    case Table:
    case InterpolatedTable:
        break;
    }
    if (table.isEmpty() || std::isnan(raw))
        return raw;
    if (raw <= table.first().first)
        return table.first().second;
    if (raw >= table.last().first)
        return table.last().second;
    const auto above = std::upper_bound(
        table.begin(), table.end(), raw,
        [](double value, const QPair<double, double> &pair) { return value < pair.first; });
    const auto below = above - 1;
    if (kind == InterpolatedTable) {
        const double span = above->first - below->first;
        return below->second + (above->second - below->second) * (raw - below->first) / span;
    }
    // Between two keys the nearer one counts; halfway, the lower one.
    return raw - below->first <= above->first - raw ? below->second : above->second;
}

double Field::physicalValue(const char *record, quint64 recordIndex) const
{
    const double raw = isVirtual ? double(recordIndex) : numericValue(record);
    return conversion.apply(raw);
}

quint64 Field::integerValue(const char *record, quint64 recordIndex) const
{
    if (!isVirtual && conversion.kind == Conversion::Identity)
        return unsignedValue(record);
    const double value = physicalValue(record, recordIndex);
    // A value outside what a bus-logging field can hold reads as 0.
    if (!std::isfinite(value) || value < 0 || value >= 9.0e18)
        return 0;
    return quint64(std::llround(value));
}

bool Field::isInvalid(const char *record, quint32 dataBytes) const
{
    if (!present || !hasInvalidation)
        return false;
    const quint8 byte = quint8(record[dataBytes + invalidationBit / 8]);
    return (byte >> (invalidationBit % 8)) & 1;
}

bool readChannelGroup(File &file, qint64 offset, ChannelGroup *group, qint64 *next)
{
    Block cg;
    if (!file.readBlock(offset, {"CG"}, &cg))
        return false;
    *next = cg.link(0);
    group->offset = offset;
    group->recordId = cg.u64(0);
    const quint16 flags = cg.u16(16);
    group->dataBytes = cg.u32(24);
    group->invalidationBytes = cg.u32(28);
    if (flags & CgVlsd) {
        group->kind = ChannelGroup::Vlsd;
        return true;
    }
    if (group->recordBytes() > RecordLimit)
        return file.fail(offset,
                         translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                      "record size %1 is larger than allowed"))
                             .arg(group->recordBytes()));
    QString acquisition;
    if (!file.readText(cg.link(2), &acquisition))
        return false;
    group->kind = parseName(acquisition).kind;
    quint8 busType = 0;
    if (cg.link(3) != 0) {
        Block si;
        if (!file.readBlock(cg.link(3), {"SI"}, &si))
            return false;
        busType = si.u8(1);
    }
    if (group->kind == ChannelGroup::Ignored && ((flags & CgBusEvent) || busType != 0))
        group->kind = ChannelGroup::OtherBus;
    Walk walk{file, group, {}};
    if (!walkChannels(walk, cg.link(1), 0))
        return false;
    if (group->kind == ChannelGroup::CanData && !group->id.present)
        group->kind = ChannelGroup::OtherBus;
    if (group->kind == ChannelGroup::CanData && busType != 0 && busType != BusTypeCan)
        group->kind = ChannelGroup::OtherBus;
    return true;
}

} // namespace Mf4
