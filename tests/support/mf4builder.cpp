#include "support/mf4builder.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr int HeaderBytes = 24;

void put(QByteArray &data, int offset, const void *value, int size)
{
    if (data.size() < offset + size)
        data.resize(offset + size);
    std::memcpy(data.data() + offset, value, size_t(size));
}

template<typename T>
void putLe(QByteArray &data, int offset, T value)
{
    const T le = qToLittleEndian(value);
    put(data, offset, &le, sizeof le);
}

void putF64(QByteArray &data, int offset, double value)
{
    put(data, offset, &value, sizeof value);
}

const char *structureName(Mf4Builder::Kind kind)
{
    switch (kind) {
    case Mf4Builder::Remote:
        return "CAN_RemoteFrame";
    case Mf4Builder::Error:
        return "CAN_ErrorFrame";
    default:
        return "CAN_DataFrame";
    }
}

quint8 dlcOf(int length)
{
    static const int fdLengths[] = {12, 16, 20, 24, 32, 48, 64};
    if (length <= 8)
        return quint8(length);
    for (int i = 0; i < 7; ++i)
        if (length <= fdLengths[i])
            return quint8(9 + i);
    return 15;
}

int lengthOfDlc(int dlc)
{
    static const int fdLengths[] = {12, 16, 20, 24, 32, 48, 64};
    return dlc <= 8 ? dlc : fdLengths[std::min(dlc, 15) - 9];
}

QByteArray transposed(const QByteArray &data, int columns)
{
    const int rows = data.size() / columns;
    QByteArray out = data;
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r)
            out[c * rows + r] = data[r * columns + c];
    return out;
}

QVector<QByteArray> fragments(const QByteArray &data, int size)
{
    QVector<QByteArray> pieces;
    if (size <= 0 || data.isEmpty())
        return {data};
    for (int at = 0; at < data.size(); at += size)
        pieces.append(data.mid(at, size));
    return pieces;
}

} // namespace

void Mf4Builder::putU64(QByteArray &file, qint64 offset, quint64 value)
{
    putLe<quint64>(file, int(offset), value);
}

qint64 Mf4Builder::add(const char *id, int linkCount, const QByteArray &data)
{
    while (m_out.size() % 8)
        m_out.append('\0');
    const qint64 offset = m_out.size();
    QByteArray block(HeaderBytes + 8 * linkCount, '\0');
    block[0] = '#';
    block[1] = '#';
    block[2] = id[0];
    block[3] = id[1];
    putLe<quint64>(block, 8, quint64(HeaderBytes + 8 * linkCount + data.size()));
    putLe<quint64>(block, 16, quint64(linkCount));
    m_out += block + data;
    return offset;
}

void Mf4Builder::setLink(qint64 block, int index, qint64 target)
{
    putLe<quint64>(m_out, int(block + HeaderBytes + 8 * index), quint64(target));
}

qint64 Mf4Builder::text(const QString &text)
{
    QByteArray data = text.toUtf8();
    data.append('\0');
    while (data.size() % 8)
        data.append('\0');
    return add("TX", 0, data);
}

qint64 Mf4Builder::channel(const QString &name, quint8 type, quint8 dataType, int bitPosition,
                           int bitCount, qint64 next, qint64 composition, qint64 conversion)
{
    const qint64 nameBlock = text(name);
    QByteArray data(72, '\0');
    data[0] = char(type);
    data[1] = char(type == 2 || type == 3 ? 1 : 0); // a master is the time
    data[2] = char(dataType);
    data[3] = char(bitPosition % 8);
    putLe<quint32>(data, 4, quint32(bitPosition / 8));
    putLe<quint32>(data, 8, quint32(bitCount));
    const qint64 cn = add("CN", 8, data);
    setLink(cn, 0, next);
    setLink(cn, 1, composition);
    setLink(cn, 2, nameBlock);
    setLink(cn, 4, conversion);
    const QString key = QStringLiteral("CN:") + name.mid(name.lastIndexOf('.') + 1);
    if (!blocks.contains(key))
        blocks.insert(key, cn);
    return cn;
}

qint64 Mf4Builder::frameGroup(Kind kind, quint64 recordId, qint64 *bytesChannel)
{
    const QString s = QString::fromLatin1(structureName(kind));
    const bool variable = bytesChannel != nullptr;
    // The record: time (8 bytes), then ID with IDE in its top bit, BusChannel, DLC with EDL and
    // Dir, DataLength, and the data bytes or their position in the variable-length data.
    qint64 next = channel(s + ".DataBytes", variable ? 1 : 0, 10, 120, 64, 0);
    if (bytesChannel)
        *bytesChannel = next;
    next = channel(s + ".DataLength", 0, 0, 112, 7, next);
    next = channel(s + ".Dir", 0, 0, 109, 1, next);
    next = channel(s + ".EDL", 0, 0, 108, 1, next);
    next = channel(s + ".DLC", 0, 0, 104, 4, next);
    next = channel(s + ".BusChannel", 0, 0, 96, 8, next);
    next = channel(s + ".IDE", 0, 0, 95, 1, next);
    next = channel(s + ".ID", 0, 0, 64, 29, next);
    const qint64 frame = channel(s, 0, 10, 64, 120, 0, next);
    QByteArray cc(40, '\0');
    cc[0] = 1; // linear
    putLe<quint16>(cc, 6, 2);
    putF64(cc, 24, 0.0);
    putF64(cc, 32, 1e-9); // nanoseconds
    const qint64 conversion = add("CC", 4, cc);
    if (!blocks.contains(QStringLiteral("CC0")))
        blocks.insert(QStringLiteral("CC0"), conversion);
    const qint64 time = channel(QStringLiteral("Timestamp"), 2, 0, 0, 64, frame, 0, conversion);
    const qint64 acquisition = text(s);
    QByteArray si(8, '\0');
    si[0] = 2; // bus
    si[1] = 2; // CAN
    const qint64 source = add("SI", 3, si);
    setLink(source, 0, text(QStringLiteral("CAN")));
    QByteArray data(32, '\0');
    putLe<quint64>(data, 0, recordId);
    putLe<quint16>(data, 16, 0x0002); // bus event
    putLe<quint16>(data, 18, '.');
    putLe<quint32>(data, 24, RecordBytes);
    const qint64 cg = add("CG", 6, data);
    setLink(cg, 1, time);
    setLink(cg, 2, acquisition);
    setLink(cg, 3, source);
    return cg;
}

qint64 Mf4Builder::dataBlocks(const QByteArray &records, const char *type, int columns,
                              const Options &options, int group)
{
    const QString g = QString::number(group);
    const bool compressed
        = options.storage == Storage::HlDz || options.storage == Storage::HlDzTransposed;
    if (options.storage == Storage::Dt) {
        const qint64 dt = add(type, 0, records);
        blocks.insert(QString::fromLatin1(type) + g, dt);
        return dt;
    }
    QVector<qint64> pieces;
    for (const QByteArray &piece : fragments(records, options.fragmentBytes)) {
        if (!compressed) {
            pieces.append(add(type, 0, piece));
            continue;
        }
        const bool transpose = options.storage == Storage::HlDzTransposed && columns > 0;
        QByteArray dz(24, '\0');
        dz[0] = type[0];
        dz[1] = type[1];
        dz[2] = char(transpose ? 1 : 0);
        putLe<quint32>(dz, 4, quint32(transpose ? columns : 0));
        const QByteArray zipped = qCompress(transpose ? transposed(piece, columns) : piece).mid(4);
        putLe<quint64>(dz, 8, quint64(piece.size()));
        putLe<quint64>(dz, 16, quint64(zipped.size()));
        pieces.append(add("DZ", 0, dz + zipped));
    }
    blocks.insert((compressed ? QStringLiteral("DZ") : QString::fromLatin1(type)) + g,
                  pieces.first());
    // Two lists when there are two pieces or more, to follow the list's next link.
    const int split = pieces.size() > 1 ? pieces.size() / 2 : pieces.size();
    qint64 first = 0;
    qint64 previous = 0;
    for (const QVector<qint64> &part : {pieces.mid(0, split), pieces.mid(split)}) {
        if (part.isEmpty())
            continue;
        QByteArray dl(8 + 8 * part.size(), '\0');
        putLe<quint32>(dl, 4, quint32(part.size()));
        const qint64 list = add("DL", 1 + part.size(), dl);
        for (int i = 0; i < part.size(); ++i)
            setLink(list, 1 + i, part.at(i));
        if (previous)
            setLink(previous, 0, list);
        else
            first = list;
        previous = list;
    }
    blocks.insert(QStringLiteral("DL") + g, first);
    if (!compressed)
        return first;
    QByteArray hl(8, '\0');
    hl[2] = char(options.storage == Storage::HlDzTransposed ? 1 : 0);
    const qint64 header = add("HL", 1, hl);
    setLink(header, 0, first);
    return header;
}

struct Mf4Builder::Group
{
    int bus = 0;
    int kind = -1;
    QVector<Frame> frames;
    qint64 dg = 0;
    QHash<int, qint64> recordIds;
    qint64 bytesChannel = 0;
    qint64 vlsdRecordId = 0;
    quint64 vlsdPosition = 0;
    int recordIdBytes = 0;
    QByteArray records;
    QByteArray signalData;
};

QByteArray Mf4Builder::build(const QVector<Frame> &frames, const Options &options)
{
    blocks.clear();
    m_out = QByteArray(64, '\0');
    std::memcpy(m_out.data(),
                options.finalized ? "MDF     4.10    TarvikT " : "UnFinMF 4.10    TarvikT ", 24);
    putLe<quint16>(m_out, 28, 410);
    putLe<quint16>(m_out, 60, options.finalized ? 0 : 0x25);
    QByteArray hd(32, '\0');
    putLe<quint64>(hd, 0, options.startNs);
    const qint64 header = add("HD", 6, hd);
    blocks.insert(QStringLiteral("HD"), header);

    QVector<Group> groups;
    for (const Frame &frame : frames) {
        const int bus = options.groupPerBus ? frame.bus : 0;
        const int kind = options.sorted ? int(frame.kind) : -1;
        int index = 0;
        while (index < groups.size() && (groups[index].bus != bus || groups[index].kind != kind))
            ++index;
        if (index == groups.size()) {
            groups.append(Group());
            groups.last().bus = bus;
            groups.last().kind = kind;
        }
        groups[index].frames.append(frame);
    }
    if (options.groupPerFrameKind)
        return buildKindGroups(frames, options, header);
    qint64 previousDg = 0;
    for (int g = 0; g < groups.size(); ++g) {
        Group &group = groups[g];
        QVector<Kind> kinds;
        for (Kind kind : {Data, Remote, Error})
            for (const Frame &frame : group.frames)
                if (frame.kind == kind && !kinds.contains(kind))
                    kinds.append(kind);
        const bool vlsd = options.bytes == Bytes::Vlsd && kinds.contains(Data);
        const int recordIdBytes = kinds.size() + (vlsd ? 1 : 0) > 1 ? 1 : 0;
        group.recordIdBytes = recordIdBytes;
        QByteArray dgData(8, '\0');
        dgData[0] = char(recordIdBytes);
        group.dg = add("DG", 4, dgData);
        blocks.insert(QStringLiteral("DG") + QString::number(g), group.dg);
        setLink(previousDg ? previousDg : header, 0, group.dg);
        previousDg = group.dg;
        qint64 previousCg = 0;
        for (Kind kind : kinds) {
            const bool variable = kind == Data && options.bytes != Bytes::InRecord;
            const qint64 cg
                = frameGroup(kind, quint64(kind) + 1, variable ? &group.bytesChannel : nullptr);
            group.recordIds.insert(kind, qint64(kind) + 1);
            setLink(previousCg ? previousCg : group.dg, previousCg ? 0 : 1, cg);
            if (!previousCg && g == 0)
                blocks.insert(QStringLiteral("CG0"), cg);
            if (g == 0 && !blocks.contains(QStringLiteral("CN0")))
                blocks.insert(QStringLiteral("CN0"), blocks.value(QStringLiteral("CN:Timestamp")));
            previousCg = cg;
        }
        if (vlsd) {
            QByteArray data(32, '\0');
            group.vlsdRecordId = 4;
            putLe<quint64>(data, 0, 4);
            putLe<quint16>(data, 16, 0x0001); // VLSD
            const qint64 cg = add("CG", 6, data);
            setLink(previousCg, 0, cg);
            setLink(group.bytesChannel, 5, cg);
        }
        for (const Frame &frame : group.frames) {
            QByteArray record(RecordBytes, '\0');
            putLe<quint64>(record, 0, quint64(frame.timeNs));
            putLe<quint32>(record, 8, frame.id | (frame.extended ? 0x80000000u : 0));
            record[12] = char(frame.bus);
            record[13] = char(dlcOf(frame.data.size()) | (frame.fd ? 0x10 : 0));
            record[14] = char(frame.data.size());
            QByteArray vlsdRecord;
            if (frame.kind != Data || options.bytes == Bytes::InRecord) {
                put(record, 15, frame.data.constData(), std::min(8, int(frame.data.size())));
            } else {
                QByteArray entry(4, '\0');
                putLe<quint32>(entry, 0, quint32(frame.data.size()));
                entry += frame.data;
                if (vlsd) {
                    putLe<quint64>(record, 15, group.vlsdPosition);
                    group.vlsdPosition += quint64(entry.size());
                    vlsdRecord = entry;
                } else {
                    putLe<quint64>(record, 15, quint64(group.signalData.size()));
                    group.signalData += entry;
                }
            }
            const QByteArray id = recordIdBytes
                                      ? QByteArray(1, char(group.recordIds.value(frame.kind)))
                                      : QByteArray();
            const QByteArray frameRecord = id + record;
            const QByteArray dataRecord = vlsd && !vlsdRecord.isEmpty()
                                              ? QByteArray(1, char(group.vlsdRecordId)) + vlsdRecord
                                              : QByteArray();
            group.records
                += options.vlsdFirst ? dataRecord + frameRecord : frameRecord + dataRecord;
        }
    }
    // Signal data first and the records last: an unfinalized file's last block is its records'.
    for (int g = 0; g < groups.size(); ++g) {
        if (options.bytes == Bytes::SignalData && groups[g].bytesChannel) {
            const qint64 sd = dataBlocks(groups[g].signalData, "SD", 0, options, g);
            blocks.insert(QStringLiteral("SD") + QString::number(g), sd);
            setLink(groups[g].bytesChannel, 5, sd);
        }
    }
    for (int g = 0; g < groups.size(); ++g) {
        const int columns = RecordBytes + groups[g].recordIdBytes;
        const qint64 data = dataBlocks(groups[g].records, "DT", columns, options, g);
        blocks.insert(QStringLiteral("DATA") + QString::number(g), data);
        setLink(groups[g].dg, 2, data);
        if (!options.finalized && g == groups.size() - 1 && options.storage == Storage::Dt)
            putLe<quint64>(m_out, int(data + 8), HeaderBytes); // the logger's unwritten length
    }
    return m_out;
}

qint64 Mf4Builder::conversion(const QVector<double> &values, quint8 type)
{
    QByteArray cc(24 + 8 * values.size(), '\0');
    cc[0] = char(type);
    putLe<quint16>(cc, 6, quint16(values.size()));
    for (int i = 0; i < values.size(); ++i)
        putF64(cc, 24 + 8 * i, values.at(i));
    return add("CC", 4, cc);
}

qint64 Mf4Builder::virtualChannel(const QString &name, double value, qint64 next)
{
    // No bits in the record: offset `value` and factor 0 make the record index a constant.
    return channel(name, 6, 0, 0, 0, next, 0, conversion({value, 0.0}, 1));
}

struct Mf4Builder::KindGroup
{
    Kind kind;
    int bus;
    bool extended;
    bool fd;
    quint64 recordId;
    int recordBytes;

    bool holds(const Frame &f) const
    {
        return f.kind == kind && f.bus == bus && f.extended == extended && f.fd == fd;
    }
};

qint64 Mf4Builder::kindGroup(const Frame &frame, quint64 recordId, const Options &options,
                             int *recordBytes)
{
    const QString s = QString::fromLatin1(structureName(frame.kind));
    // The record: a 48-bit time, the ID from byte 6 (11 or 29 bits), the DLC in the next free
    // half byte, then the data bytes; remote frames have no data bytes, error frames a type.
    const int dlcBit = frame.extended ? 80 : 60;
    const int bytesAt = frame.extended ? 11 : 8;
    const int dataBytes = frame.kind == Remote ? 0 : frame.fd ? 64 : 8;
    qint64 next = virtualChannel(s + ".Dir", 0, 0);
    if (frame.kind == Error) {
        *recordBytes = 7;
        next = channel(s + ".ErrorType", 0, 0, 48, 6, next);
    } else {
        *recordBytes = bytesAt + dataBytes;
        if (dataBytes)
            next = channel(s + ".DataBytes", 0, 10, bytesAt * 8, dataBytes * 8, next);
        QVector<double> lengths;
        for (int dlc = 0; dlc < 16; ++dlc)
            lengths << dlc << lengthOfDlc(dlc);
        next = channel(s + ".DataLength", 0, 0, dlcBit, 4, next, 0, conversion(lengths, 5));
        next = channel(s + ".DLC", 0, 0, dlcBit, 4, next);
        next = virtualChannel(s + ".EDL", frame.fd ? 1 : 0, next);
        next = virtualChannel(s + ".IDE", frame.extended ? 1 : 0, next);
        next = channel(s + ".ID", 0, 0, 48, frame.extended ? 29 : 11, next);
    }
    next = virtualChannel(s + ".BusChannel", frame.bus, next);
    const qint64 composition = channel(s, 0, 10, 48, (*recordBytes - 6) * 8, 0, next);
    const qint64 timeConversion
        = conversion({0.0, options.virtualTimeNs ? double(options.virtualTimeNs) * 1e-9 : 1e-6}, 1);
    if (!blocks.contains(QStringLiteral("CC0")))
        blocks.insert(QStringLiteral("CC0"), timeConversion);
    const qint64 time = channel(QStringLiteral("Timestamp"), options.virtualTimeNs ? 3 : 2, 0, 0,
                                options.virtualTimeNs ? 0 : 48, composition, 0, timeConversion);
    if (!blocks.contains(QStringLiteral("CN0")))
        blocks.insert(QStringLiteral("CN0"), time);
    const qint64 acquisition = text(QStringLiteral("CAN%1_Rx_%2").arg(frame.bus).arg(recordId));
    QByteArray data(32, '\0');
    putLe<quint64>(data, 0, recordId);
    putLe<quint16>(data, 16, 0x0002); // bus event
    putLe<quint32>(data, 24, quint32(*recordBytes));
    const qint64 cg = add("CG", 6, data);
    setLink(cg, 1, time);
    setLink(cg, 2, acquisition);
    return cg;
}

QByteArray Mf4Builder::kindRecord(const Frame &frame, int recordBytes, const Options &options)
{
    QByteArray record(recordBytes, '\0');
    if (!options.virtualTimeNs) {
        const quint64 us = quint64((frame.timeNs + 500) / 1000);
        put(record, 0, &us, 6); // little-endian machines only, as the rest of the builder
    }
    if (frame.kind == Error)
        return record;
    const quint8 dlc = dlcOf(frame.data.size());
    if (frame.extended) {
        putLe<quint32>(record, 6, frame.id);
        record[10] = char(dlc);
    } else {
        putLe<quint16>(record, 6, quint16(frame.id));
        record[7] = char(record[7] | char(dlc << 4));
    }
    if (frame.kind == Data)
        put(record, frame.extended ? 11 : 8, frame.data.constData(),
            std::min(recordBytes - (frame.extended ? 11 : 8), int(frame.data.size())));
    return record;
}

QByteArray Mf4Builder::buildKindGroups(const QVector<Frame> &frames, const Options &options,
                                       qint64 header)
{
    QByteArray dgData(8, '\0');
    dgData[0] = 1; // 1-byte record ids
    const qint64 dg = add("DG", 4, dgData);
    blocks.insert(QStringLiteral("DG0"), dg);
    setLink(header, 0, dg);
    QVector<KindGroup> groups;
    QByteArray records;
    qint64 previousCg = 0;
    for (const Frame &frame : frames) {
        int index = 0;
        while (index < groups.size() && !groups.at(index).holds(frame))
            ++index;
        if (index == groups.size()) {
            KindGroup group{
                frame.kind, frame.bus, frame.extended, frame.fd, quint64(32 + groups.size()), 0};
            const qint64 cg = kindGroup(frame, group.recordId, options, &group.recordBytes);
            setLink(previousCg ? previousCg : dg, previousCg ? 0 : 1, cg);
            if (!previousCg)
                blocks.insert(QStringLiteral("CG0"), cg);
            previousCg = cg;
            groups.append(group);
        }
        records += char(groups.at(index).recordId);
        records += kindRecord(frame, groups.at(index).recordBytes, options);
    }
    const qint64 data = dataBlocks(records, "DT", 0, options, 0);
    blocks.insert(QStringLiteral("DATA0"), data);
    setLink(dg, 2, data);
    if (!options.finalized && options.storage == Storage::Dt)
        putLe<quint64>(m_out, int(data + 8), HeaderBytes); // the logger's unwritten length
    return m_out;
}
