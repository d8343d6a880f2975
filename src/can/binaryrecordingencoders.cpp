#include "can/recordingencoder.h"

#include "can/blfformat.h"
#include "can/pcapformat.h"

#include <QDateTime>
#include <QIODevice>
#include <QtEndian>

#include <zlib.h>

#include <array>
#include <cstring>

namespace {

template<typename T>
void appendLittle(QByteArray *out, T value)
{
    uchar bytes[sizeof(T)];
    qToLittleEndian<T>(value, bytes);
    out->append(reinterpret_cast<const char *>(bytes), int(sizeof(T)));
}

// Vector BLF: CAN_MESSAGE objects stamped in nanoseconds from the header's start time (local
// time to the millisecond, as Vector's tools keep it), gathered into zlib-compressed log
// containers of 128 KiB. The header's sizes and counts are written once the file is complete.
class BlfEncoder : public RecordingEncoder
{
public:
    static constexpr int ContainerBytes = 128 * 1024;

    void begin(qint64 firstUs, QByteArray *out) override
    {
        m_startUs = firstUs >= RecordingEncoders::AbsoluteTimeFromUs ? firstUs / 1000 * 1000 : 0;
        m_lastUs = m_startUs;
        out->append(QByteArray(int(BlfFormat::FileHeaderSize), '\0'));
        m_fileSize = BlfFormat::FileHeaderSize;
        m_uncompressedSize = BlfFormat::FileHeaderSize;
    }
    void encode(const TimedFrame &frame, QByteArray *out) override
    {
        using namespace BlfFormat;
        const qint64 us = clamp(frame.timeUs, m_startUs);
        m_lastUs = std::max(m_lastUs, us);
        const CanMessage &m = frame.message;
        m_container.append("LOBJ", 4);
        appendLittle<quint16>(&m_container, ObjectHeaderV1);
        appendLittle<quint16>(&m_container, 1);
        appendLittle<quint32>(&m_container, ObjectHeaderV1 + CanMessageBody);
        appendLittle<quint32>(&m_container, ObjectCanMessage);
        appendLittle<quint32>(&m_container, TimeOneNanosecond);
        appendLittle<quint16>(&m_container, 0); // client index
        appendLittle<quint16>(&m_container, 0); // object version
        appendLittle<quint64>(&m_container, quint64(us - m_startUs) * 1000);
        appendLittle<quint16>(&m_container, quint16(BusNames::channelOfBus(frame.bus)));
        m_container.append(char(0));            // flags: received data frame
        m_container.append(char(std::min<int>(m.length, CanMessage::MaxLength)));
        appendLittle<quint32>(&m_container,
                              m.extended ? (m.id & 0x1FFFFFFFu) | ExtendedIdFlag : m.id & 0x7FFu);
        m_container.append(reinterpret_cast<const char *>(m.data), CanMessage::MaxLength);
        ++m_objects;
        if (m_container.size() >= ContainerBytes)
            flushContainer(out);
    }
    void end(QByteArray *out) override { flushContainer(out); }
    bool patch(QIODevice *device) override
    {
        using namespace BlfFormat;
        QByteArray header;
        header.append("LOGG", 4);
        appendLittle<quint32>(&header, FileHeaderSize);
        // Application (none), its version, then the format's version as Vector's tools write it.
        header.append("\0\0\0\0\x02\x06\x08\x01", 8);
        appendLittle<quint64>(&header, quint64(m_fileSize));
        appendLittle<quint64>(&header, quint64(m_uncompressedSize));
        appendLittle<quint32>(&header, quint32(m_objects));
        appendLittle<quint32>(&header, 0); // objects read
        appendSystemTime(&header, m_startUs);
        appendSystemTime(&header, m_lastUs);
        return device->seek(0) && device->write(header) == header.size()
               && device->seek(m_fileSize);
    }

private:
    void flushContainer(QByteArray *out)
    {
        using namespace BlfFormat;
        if (m_container.isEmpty())
            return;
        // The fastest level: frames of real buses pack nearly as small, and writing is twice
        // as fast as with zlib's default.
        uLongf packedSize = compressBound(uLong(m_container.size()));
        QByteArray packed(int(packedSize), Qt::Uninitialized);
        compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef *>(m_container.constData()),
                  uLong(m_container.size()), Z_BEST_SPEED);
        const quint32 size = ObjectHeaderBase + ContainerHeader + quint32(packedSize);
        const int start = out->size();
        out->append("LOBJ", 4);
        appendLittle<quint16>(out, ObjectHeaderBase);
        appendLittle<quint16>(out, 1);
        appendLittle<quint32>(out, size);
        appendLittle<quint32>(out, ObjectLogContainer);
        appendLittle<quint16>(out, CompressionZlib);
        out->append(QByteArray(6, '\0'));
        appendLittle<quint32>(out, quint32(m_container.size()));
        appendLittle<quint32>(out, 0);
        out->append(packed.constData(), int(packedSize));
        out->append(QByteArray(int(size % 4), '\0'));
        m_fileSize += out->size() - start;
        m_uncompressedSize += ObjectHeaderBase + ContainerHeader + m_container.size();
        m_container.clear();
    }
    // A Windows SYSTEMTIME in local time; all zero for a recording without a date.
    static void appendSystemTime(QByteArray *out, qint64 us)
    {
        if (us < RecordingEncoders::AbsoluteTimeFromUs) {
            out->append(QByteArray(16, '\0'));
            return;
        }
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(us / 1000);
        const QDate date = when.date();
        const QTime time = when.time();
        for (const int field : {date.year(), date.month(), date.dayOfWeek() % 7, date.day(),
                                time.hour(), time.minute(), time.second(), time.msec()})
            appendLittle<quint16>(out, quint16(field));
    }

    qint64 m_startUs = 0;
    qint64 m_lastUs = 0;
    QByteArray m_container;
    qint64 m_objects = 0;
    qint64 m_fileSize = 0;
    qint64 m_uncompressedSize = 0;
};

// Classic pcap with the SocketCAN link type, or with the Linux cooked header (SLL2) whose
// interface index keeps the bus; little-endian, stamped in micro- or nanoseconds.
class PcapEncoder : public RecordingEncoder
{
public:
    PcapEncoder(bool nanoseconds, bool busIndex)
        : m_nanoseconds(nanoseconds)
        , m_busIndex(busIndex)
    {}

    void begin(qint64, QByteArray *out) override
    {
        appendLittle<quint32>(out, m_nanoseconds ? 0xA1B23C4Du : 0xA1B2C3D4u);
        appendLittle<quint16>(out, 2);
        appendLittle<quint16>(out, 4);
        appendLittle<qint32>(out, 0);  // time zone
        appendLittle<quint32>(out, 0); // accuracy
        appendLittle<quint32>(out, PcapFormat::SocketCanFdSize
                                       + (m_busIndex ? PcapFormat::Sll2Header : 0));
        appendLittle<quint32>(out, m_busIndex ? PcapFormat::LinkLinuxSll2
                                              : PcapFormat::LinkCanSocketCan);
    }
    void encode(const TimedFrame &frame, QByteArray *out) override
    {
        const quint64 us = quint64(clamp(frame.timeUs, 0));
        uchar packet[PcapFormat::Sll2Header + PcapFormat::SocketCanClassicSize];
        const int header = m_busIndex ? PcapFormat::Sll2Header : 0;
        if (m_busIndex)
            PcapFormat::encodeSll2(frame.bus, packet);
        else
            countWithoutBus(frame);
        PcapFormat::encodeSocketCan(frame.message, packet + header, m_busIndex);
        const quint32 size = quint32(header + PcapFormat::SocketCanClassicSize);
        appendLittle<quint32>(out, quint32(us / 1000000));
        appendLittle<quint32>(out, quint32(us % 1000000 * (m_nanoseconds ? 1000 : 1)));
        appendLittle<quint32>(out, size);
        appendLittle<quint32>(out, size);
        out->append(reinterpret_cast<const char *>(packet), int(size));
    }

private:
    bool m_nanoseconds;
    bool m_busIndex;
};

// pcapng with the SocketCAN link type, little-endian, stamped in micro- or nanoseconds. Every
// bus is an interface, declared before its first packet; an interface is named (if_name) when its
// number is not its bus's or its bus has a name of its own, so that readers find the bus again.
class PcapngEncoder : public RecordingEncoder
{
public:
    explicit PcapngEncoder(bool nanoseconds)
        : m_nanoseconds(nanoseconds)
    {
        m_interfaceOf.fill(-1);
    }

    void begin(qint64, QByteArray *out) override
    {
        // Section header: byte-order magic, version 1.0, section length unknown.
        appendLittle<quint32>(out, 0x0A0D0D0A);
        appendLittle<quint32>(out, 28);
        appendLittle<quint32>(out, 0x1A2B3C4D);
        appendLittle<quint16>(out, 1);
        appendLittle<quint16>(out, 0);
        appendLittle<qint64>(out, -1);
        appendLittle<quint32>(out, 28);
    }
    void encode(const TimedFrame &frame, QByteArray *out) override
    {
        const quint32 interface = interfaceOf(frame.bus, out);
        const quint64 us = quint64(clamp(frame.timeUs, 0));
        uchar packet[PcapFormat::SocketCanClassicSize];
        PcapFormat::encodeSocketCan(frame.message, packet);
        constexpr quint32 size = PcapFormat::SocketCanClassicSize;
        const quint64 stamp = m_nanoseconds ? us * 1000 : us;
        appendLittle<quint32>(out, 6); // enhanced packet block
        appendLittle<quint32>(out, 32 + size);
        appendLittle<quint32>(out, interface);
        appendLittle<quint32>(out, quint32(stamp >> 32));
        appendLittle<quint32>(out, quint32(stamp));
        appendLittle<quint32>(out, size);
        appendLittle<quint32>(out, size);
        out->append(reinterpret_cast<const char *>(packet), int(size));
        appendLittle<quint32>(out, 32 + size);
    }
    // A recording without frames still declares its one interface.
    void end(QByteArray *out) override
    {
        if (m_interfaces == 0)
            interfaceOf(0, out);
    }

private:
    quint32 interfaceOf(quint8 bus, QByteArray *out)
    {
        if (m_interfaceOf[bus] < 0) {
            m_interfaceOf[bus] = m_interfaces++;
            appendInterface(bus, m_interfaceOf[bus] != bus || busNames().hasOwnName(bus), out);
        }
        return quint32(m_interfaceOf[bus]);
    }
    // SocketCAN, the name and the time resolution as options.
    void appendInterface(quint8 bus, bool named, QByteArray *out) const
    {
        const QByteArray name = named ? busNames().name(bus).toUtf8().left(0xFFF0) : QByteArray();
        const int namePadded = name.isEmpty() ? 0 : 4 + ((name.size() + 3) & ~3);
        const quint32 length = quint32(32 + namePadded);
        appendLittle<quint32>(out, 1);
        appendLittle<quint32>(out, length);
        appendLittle<quint16>(out, quint16(PcapFormat::LinkCanSocketCan));
        appendLittle<quint16>(out, 0);
        appendLittle<quint32>(out, PcapFormat::SocketCanFdSize);
        if (!name.isEmpty()) {
            appendLittle<quint16>(out, 2); // if_name
            appendLittle<quint16>(out, quint16(name.size()));
            out->append(name);
            out->append(QByteArray(namePadded - 4 - name.size(), '\0'));
        }
        appendLittle<quint16>(out, 9); // if_tsresol
        appendLittle<quint16>(out, 1);
        out->append(m_nanoseconds ? "\x09\0\0\0" : "\x06\0\0\0", 4);
        appendLittle<quint32>(out, 0); // end of options
        appendLittle<quint32>(out, length);
    }

    bool m_nanoseconds;
    int m_interfaces = 0;
    std::array<int, BusNames::MaxBus + 1> m_interfaceOf;
};

} // namespace

namespace RecordingEncoders {

std::unique_ptr<RecordingEncoder> blf()
{
    return std::make_unique<BlfEncoder>();
}

std::unique_ptr<RecordingEncoder> pcap(bool nanoseconds, bool busIndex)
{
    return std::make_unique<PcapEncoder>(nanoseconds, busIndex);
}

std::unique_ptr<RecordingEncoder> pcapng(bool nanoseconds)
{
    return std::make_unique<PcapngEncoder>(nanoseconds);
}

} // namespace RecordingEncoders
