#pragma once

#include "can/recordingreader.h"
#include "can/recordingwriter.h"

#include <QDebug>
#include <QFile>
#include <QPair>
#include <QtEndian>

#include <algorithm>

// Frames and the bytes of binary recordings built by hand, for the tests of the recording
// readers and writers.
namespace RecordingBytes {

using Format = RecordingReader::Format;
using Frames = QVector<TimedFrame>;

inline TimedFrame frame(qint64 timeUs, quint32 id, bool extended, const QByteArray &data)
{
    TimedFrame f;
    f.timeUs = timeUs;
    f.message = CanMessage(id, reinterpret_cast<const quint8 *>(data.constData()), data.size());
    f.message.extended = extended;
    return f;
}

// Standard and extended identifiers at their limits, every length from 0 to 8, times with
// microsecond parts; from `startUs` on.
inline Frames sampleFrames(qint64 startUs, int count = 40)
{
    Frames frames;
    for (int i = 0; i < count; ++i) {
        const int length = i % 9;
        QByteArray data;
        for (int b = 0; b < length; ++b)
            data.append(char(0x11 * b + i));
        const bool extended = i % 3 != 0;
        const quint32 id = extended ? (i == 1 ? 0x1FFFFFFFu : 0x18FEF100u + quint32(i))
                                    : (i == 3 ? 0x7FFu : quint32(i * 7) & 0x7FFu);
        frames.append(frame(startUs + qint64(i) * 1234567 + (i * 37) % 1000, id, extended, data));
    }
    return frames;
}

// The frames spread over `buses` in turn.
inline Frames onBuses(Frames frames, const QVector<quint8> &buses)
{
    for (int i = 0; i < frames.size(); ++i)
        frames[i].bus = buses.at(i % buses.size());
    return frames;
}

// A frame as text; a bus other than the first is named at the end.
inline QString describe(const TimedFrame &f)
{
    return QStringLiteral("%1 %2%3 [%4] %5%6")
        .arg(f.timeUs)
        .arg(f.message.id, 0, 16)
        .arg(f.message.extended ? QStringLiteral("x") : QString())
        .arg(f.message.length)
        .arg(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(f.message.data), f.message.length).toHex()))
        .arg(f.bus != 0 ? QStringLiteral(" bus %1").arg(f.bus) : QString());
}

inline QStringList describe(const Frames &frames)
{
    QStringList lines;
    for (const TimedFrame &f : frames)
        lines.append(describe(f));
    return lines;
}

// pcap takes the bus index exactly when some frame is on another bus than the first, as the
// console's conversion chooses.
inline bool writeRecording(const QString &path, Format format, const Frames &frames,
                           bool nanoseconds = false, const BusNames &names = BusNames())
{
    RecordingWriter writer;
    writer.setNanosecondStamps(nanoseconds);
    writer.setBusNames(names);
    writer.setPcapBusIndex(std::any_of(frames.cbegin(), frames.cend(),
                                       [](const TimedFrame &f) { return f.bus != 0; }));
    if (!writer.open(path, format) || !writer.write(frames) || !writer.commit()) {
        qWarning() << "writing" << path << writer.errorString();
        return false;
    }
    return true;
}

inline Frames readRecording(const QString &path, Format *format = nullptr, QString *error = nullptr)
{
    RecordingReader reader;
    reader.readFile(path);
    if (format)
        *format = reader.format();
    if (error)
        *error = reader.errorString();
    return reader.frames();
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// The bytes with a little-endian number put at `at`.
inline QByteArray withLe32(QByteArray bytes, int at, quint32 v)
{
    return bytes.replace(at, 4, le32(v));
}

inline QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

// A SocketCAN frame as capture files hold it: identifier big-endian with its flags.
inline QByteArray socketCan(quint32 canId, const QByteArray &data, int size = 16)
{
    QByteArray b = be32(canId) + char(data.size()) + QByteArray(3, '\0') + data;
    b.append(QByteArray(size - b.size(), '\0'));
    return b;
}

// A classic pcap file, by hand, in either byte order.
inline QByteArray pcapFile(bool bigEndian, bool nanoseconds, quint32 linkType,
                           const QList<QPair<qint64, QByteArray>> &packets)
{
    const auto u32 = [bigEndian](quint32 v) { return bigEndian ? be32(v) : le32(v); };
    const auto u16 = [bigEndian](quint16 v) {
        QByteArray b(2, '\0');
        if (bigEndian)
            qToBigEndian(v, b.data());
        else
            qToLittleEndian(v, b.data());
        return b;
    };
    QByteArray file = u32(nanoseconds ? 0xA1B23C4D : 0xA1B2C3D4) + u16(2) + u16(4) + u32(0) + u32(0)
                      + u32(262144) + u32(linkType);
    for (const auto &p : packets) {
        const qint64 fraction = nanoseconds ? p.first % 1000000 * 1000 : p.first % 1000000;
        file += u32(quint32(p.first / 1000000)) + u32(quint32(fraction))
                + u32(quint32(p.second.size())) + u32(quint32(p.second.size())) + p.second;
    }
    return file;
}

// A BLF file with one log container around `objects`, compressed or not; `declared` replaces
// the container's uncompressed size when not negative.
inline QByteArray blfFile(const QByteArray &objects, bool zlib, qint64 declared = -1,
                          quint16 method = 0xFFFF)
{
    QByteArray header = "LOGG" + le32(144);
    header.append(QByteArray(144 - header.size(), '\0'));
    QByteArray data = objects;
    if (zlib) {
        data = qCompress(objects).mid(4); // without Qt's size prefix: a plain zlib stream
    }
    const quint32 size = 32 + quint32(data.size());
    QByteArray container = "LOBJ" + le16(16) + le16(1) + le32(size) + le32(10)
                           + le16(method != 0xFFFF ? method
                                  : zlib           ? 2
                                                   : 0)
                           + QByteArray(6, '\0')
                           + le32(declared >= 0 ? quint32(declared) : quint32(objects.size()))
                           + le32(0) + data + QByteArray(int(size % 4), '\0');
    return header + container;
}

// A BLF object with a version 1 header stamped in nanoseconds.
inline QByteArray blfObject(quint32 type, quint64 stampNs, const QByteArray &body)
{
    QByteArray stamp(8, '\0');
    qToLittleEndian(stampNs, stamp.data());
    return "LOBJ" + le16(32) + le16(1) + le32(32 + quint32(body.size())) + le32(type) + le32(2)
           + le16(0) + le16(0) + stamp + body;
}

inline QByteArray blfCanMessage(quint32 rawId, quint8 flags, const QByteArray &data)
{
    return le16(1) + char(flags) + char(data.size()) + le32(rawId) + data
           + QByteArray(8 - data.size(), '\0');
}

// pcapng blocks by hand, in the byte order of their section.
struct Pcapng
{
    bool bigEndian = false;

    QByteArray u16(quint16 v) const
    {
        QByteArray b(2, '\0');
        if (bigEndian)
            qToBigEndian(v, b.data());
        else
            qToLittleEndian(v, b.data());
        return b;
    }
    QByteArray u32(quint32 v) const { return bigEndian ? be32(v) : le32(v); }
    QByteArray block(quint32 type, const QByteArray &body) const
    {
        QByteArray padded = body;
        padded.append(QByteArray((4 - body.size() % 4) % 4, '\0'));
        const quint32 length = 12 + quint32(padded.size());
        return u32(type) + u32(length) + padded + u32(length);
    }
    QByteArray section() const
    {
        return block(0x0A0D0D0A, u32(0x1A2B3C4D) + u16(1) + u16(0) + QByteArray(8, '\xff'));
    }
    // An interface with its time resolution (if_tsresol), offset in seconds and name (if_name)
    // when given.
    QByteArray iface(quint16 linkType, int resolution = -1, qint64 offsetSeconds = 0,
                     const QByteArray &name = QByteArray()) const
    {
        QByteArray options;
        if (!name.isEmpty())
            options += u16(2) + u16(quint16(name.size())) + name
                       + QByteArray((4 - name.size() % 4) % 4, '\0');
        if (resolution >= 0)
            options += u16(9) + u16(1) + char(resolution) + QByteArray(3, '\0');
        if (offsetSeconds != 0) {
            QByteArray value(8, '\0');
            if (bigEndian)
                qToBigEndian(quint64(offsetSeconds), value.data());
            else
                qToLittleEndian(quint64(offsetSeconds), value.data());
            options += u16(14) + u16(8) + value;
        }
        if (!options.isEmpty())
            options += u32(0);
        return block(1, u16(linkType) + u16(0) + u32(0) + options);
    }
    QByteArray packet(quint64 stamp, const QByteArray &data, quint32 interfaceId = 0) const
    {
        return block(6, u32(interfaceId) + u32(quint32(stamp >> 32)) + u32(quint32(stamp))
                            + u32(quint32(data.size())) + u32(quint32(data.size())) + data);
    }
    QByteArray simplePacket(const QByteArray &data) const
    {
        return block(3, u32(quint32(data.size())) + data);
    }
};

} // namespace RecordingBytes
