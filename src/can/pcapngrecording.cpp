#include "can/binaryrecording.h"

#include "can/binarywindow.h"
#include "can/pcapformat.h"

#include <QCoreApplication>
#include <QVector>
#include <QtEndian>

#include <algorithm>

namespace PcapRecording {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("RecordingReader", text);
}

enum BlockType : quint32 {
    BlockInterface = 0x00000001,
    BlockObsoletePacket = 0x00000002,
    BlockSimplePacket = 0x00000003,
    BlockEnhancedPacket = 0x00000006,
    BlockSectionHeader = 0x0A0D0D0A,
};
constexpr quint32 ByteOrderMagic = 0x1A2B3C4D;
constexpr quint16 OptionEnd = 0;
constexpr quint16 OptionIfName = 2;
constexpr quint16 OptionTsResol = 9;
constexpr quint16 OptionTsOffset = 14;
// Block type, length, ..., length again.
constexpr quint32 BlockFraming = 12;
constexpr quint32 BlockLimit = PcapFormat::PacketLimit + 4096;
// No real capture declares more; each interface costs a few bytes, but only a few are real.
constexpr int InterfaceLimit = 1 << 16;

struct Interface
{
    quint32 linkType = 0;
    quint32 snapLength = 0;
    quint8 resolution = 6; // if_tsresol: the top bit set means a power of two
    qint64 offsetSeconds = 0;
    quint8 bus = 0;
};

// A time stamp in the interface's units as microseconds since the epoch; false when it is
// beyond any real time.
bool timeUs(const Interface &iface, quint64 stamp, qint64 *us)
{
    constexpr qint64 TimeLimit = qint64(1) << 62;
    const int exponent = iface.resolution & 0x7F;
    using Wide = unsigned __int128;
    Wide value = 0;
    if (iface.resolution & 0x80) {
        value = (Wide(stamp) * 1000000u) >> exponent;
    } else if (exponent >= 6) {
        quint64 divisor = 1;
        for (int i = 6; i < exponent; ++i)
            divisor *= 10;
        value = stamp / divisor;
    } else {
        value = stamp;
        for (int i = exponent; i < 6; ++i)
            value *= 10;
    }
    if (value > Wide(TimeLimit))
        return false;
    *us = qint64(value) + iface.offsetSeconds * 1000000;
    return true;
}

// Reads the blocks of a pcapng file; every section has its own byte order and interfaces.
class PcapngReader
{
public:
    explicit PcapngReader(BinaryRecordingPass &pass)
        : m_pass(pass)
        , m_window(pass.device())
    {}

    bool read();

private:
    quint16 u16(const uchar *p) const
    {
        return m_bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
    }
    quint32 u32(const uchar *p) const
    {
        return m_bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    }
    bool readSectionHeader(qint64 offset, const uchar *block);
    bool readInterface(qint64 offset, const uchar *block, quint32 length);
    bool readPacket(qint64 offset, quint32 type, const uchar *block, quint32 length);

    BinaryRecordingPass &m_pass;
    BinaryWindow m_window;
    bool m_bigEndian = false;
    QVector<Interface> m_interfaces;
    qint64 m_lastUs = 0; // simple packets carry no time: they keep the one before
};

bool PcapngReader::read()
{
    qint64 offset = 0;
    while (offset < m_window.size()) {
        const uchar *head = m_window.at(offset, BlockFraming);
        if (!head)
            return m_pass.fail(offset, translated(QT_TRANSLATE_NOOP(
                                           "RecordingReader", "pcapng block header cut off")));
        const quint32 rawType = qFromLittleEndian<quint32>(head);
        if (rawType == BlockSectionHeader) {
            const quint32 magic = qFromLittleEndian<quint32>(head + 8);
            if (magic != ByteOrderMagic && magic != qbswap(ByteOrderMagic))
                return m_pass.fail(offset + 8,
                                   translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                                "bad pcapng byte-order magic")));
            m_bigEndian = magic != ByteOrderMagic;
        } else if (offset == 0) {
            return m_pass.fail(0, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                               "pcapng section header missing")));
        }
        const quint32 type = u32(head);
        const quint32 length = u32(head + 4);
        if (length < BlockFraming || length % 4 != 0)
            return m_pass.fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                                    "bad pcapng block length %1"))
                                           .arg(length));
        if (length > BlockLimit)
            return m_pass.fail(
                offset,
                translated(QT_TRANSLATE_NOOP("RecordingReader",
                                             "pcapng block of %1 bytes refused as too large"))
                    .arg(length));
        const uchar *block = m_window.at(offset, length);
        if (!block)
            return m_pass.fail(
                offset, translated(QT_TRANSLATE_NOOP(
                            "RecordingReader", "pcapng block runs past the end of the file")));
        if (u32(block + length - 4) != length)
            return m_pass.fail(offset,
                               translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                            "pcapng block's two lengths differ")));
        bool goOn = true;
        if (type == BlockSectionHeader)
            goOn = readSectionHeader(offset, block);
        else if (type == BlockInterface)
            goOn = readInterface(offset, block, length);
        else if (type == BlockEnhancedPacket || type == BlockSimplePacket
                 || type == BlockObsoletePacket)
            goOn = readPacket(offset, type, block, length);
        if (!goOn)
            return false;
        offset += length;
    }
    return true;
}

bool PcapngReader::readSectionHeader(qint64 offset, const uchar *block)
{
    if (u32(block + 4) < 28)
        return m_pass.fail(offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                                "pcapng section header cut off")));
    const quint16 major = u16(block + 12);
    if (major != 1)
        return m_pass.fail(offset + 12, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                                     "unknown pcapng version %1"))
                                            .arg(major));
    m_interfaces.clear(); // interfaces are numbered per section
    return true;
}

bool PcapngReader::readInterface(qint64 offset, const uchar *block, quint32 length)
{
    if (length < 20)
        return m_pass.fail(
            offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "pcapng interface block cut off")));
    if (m_interfaces.size() >= InterfaceLimit)
        return m_pass.fail(
            offset, translated(QT_TRANSLATE_NOOP("RecordingReader", "too many pcapng interfaces")));
    Interface iface;
    iface.linkType = u16(block + 8);
    iface.snapLength = u32(block + 12);
    // An unnamed interface is the bus of its number; a named one is the bus its name gives.
    iface.bus = quint8(std::min<int>(m_interfaces.size(), BusNames::MaxBus));
    // Options: code, length, value padded to four bytes; a broken list ends the options.
    quint32 p = 16;
    while (p + 4 <= length - 4) {
        const quint16 code = u16(block + p);
        const quint16 size = u16(block + p + 2);
        if (code == OptionEnd || p + 4 + size > length - 4)
            break;
        const uchar *value = block + p + 4;
        if (code == OptionTsResol && size >= 1) {
            const int exponent = value[0] & 0x7F;
            if ((value[0] & 0x80) ? exponent > 63 : exponent > 19)
                return m_pass.fail(offset + p,
                                   translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                                "unknown pcapng time resolution")));
            iface.resolution = value[0];
        } else if (code == OptionIfName && size > 0) {
            const int n = int(std::find(value, value + size, '\0') - value);
            if (n > 0)
                iface.bus = m_pass.busNames().busFor(
                    QString::fromUtf8(reinterpret_cast<const char *>(value), n));
        } else if (code == OptionTsOffset && size >= 8) {
            constexpr qint64 OffsetLimit = qint64(1) << 40; // seconds; far past any real date
            const quint64 raw
                = m_bigEndian ? qFromBigEndian<quint64>(value) : qFromLittleEndian<quint64>(value);
            const qint64 seconds = qint64(raw);
            if (seconds > -OffsetLimit && seconds < OffsetLimit)
                iface.offsetSeconds = seconds;
        }
        p += 4 + ((size + 3u) & ~3u);
    }
    m_interfaces.append(iface);
    return true;
}

bool PcapngReader::readPacket(qint64 offset, quint32 type, const uchar *block, quint32 length)
{
    quint32 interfaceId = 0;
    quint32 captured = 0;
    quint32 dataAt = 28;
    bool timed = true;
    if (type == BlockSimplePacket) {
        if (length < 16)
            return m_pass.fail(offset, translated(QT_TRANSLATE_NOOP(
                                           "RecordingReader", "pcapng packet block cut off")));
        dataAt = 12;
        timed = false;
        captured = std::min(u32(block + 8), length - 16);
        if (!m_interfaces.isEmpty() && m_interfaces.first().snapLength != 0)
            captured = std::min(captured, m_interfaces.first().snapLength);
    } else {
        if (length < 32)
            return m_pass.fail(offset, translated(QT_TRANSLATE_NOOP(
                                           "RecordingReader", "pcapng packet block cut off")));
        interfaceId = type == BlockObsoletePacket ? u16(block + 8) : u32(block + 8);
        captured = u32(block + 20);
        if (captured > length - 32)
            return m_pass.fail(
                offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                     "pcapng packet longer than its block")));
    }
    if (interfaceId >= quint32(m_interfaces.size())) {
        m_pass.skip(offset,
                    QT_TRANSLATE_NOOP("RecordingReader", "packet of an undeclared interface"));
        return true;
    }
    const Interface &iface = m_interfaces.at(int(interfaceId));
    if (timed) {
        const quint64 stamp = quint64(u32(block + 12)) << 32 | u32(block + 16);
        qint64 us = 0;
        if (!timeUs(iface, stamp, &us)) {
            m_pass.skip(offset, QT_TRANSLATE_NOOP("RecordingReader", "bad time stamp"));
            return true;
        }
        m_lastUs = us;
    }
    const PcapFormat::PacketSource source{iface.linkType, m_bigEndian, m_lastUs, iface.bus};
    return PcapFormat::takePacket(m_pass, offset, source, block + dataAt, captured);
}

} // namespace

bool readPcapng(BinaryRecordingPass &pass)
{
    return PcapngReader(pass).read();
}

} // namespace PcapRecording
