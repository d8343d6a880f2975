#include "can/candumpreader.h"

#include "can/busnames.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

// Hex digit values by character, -1 for anything else: one look-up per digit of every frame.
struct HexTable
{
    signed char value[256];
    constexpr HexTable()
        : value()
    {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9'   ? char(c - '0')
                       : c >= 'a' && c <= 'f' ? char(c - 'a' + 10)
                       : c >= 'A' && c <= 'F' ? char(c - 'A' + 10)
                                              : char(-1);
    }
};
constexpr HexTable Hex;

inline int hexValue(char c)
{
    return Hex.value[static_cast<unsigned char>(c)];
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

const char *skipBlanks(const char *p, const char *end)
{
    while (p < end && isBlank(*p))
        ++p;
    return p;
}

bool isDigit(char c)
{
    return unsigned(c - '0') <= 9;
}

// Eight decimal digits at p, the first the most significant, all at once; -1 when one is not a
// digit. `chunk` holds the eight characters in memory order.
qint64 eightDigits(quint64 chunk)
{
    const bool digits = ((chunk & 0xF0F0F0F0F0F0F0F0u)
                         | (((chunk + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) >> 4))
                        == 0x3333333333333333u;
    if (!digits)
        return -1;
    chunk = ((chunk & 0x0F0F0F0F0F0F0F0Fu) * 2561) >> 8;
    chunk = ((chunk & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
    return qint64(((chunk & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32);
}

quint64 loadChunk(const char *p)
{
    quint64 chunk;
    std::memcpy(&chunk, p, sizeof chunk);
    return qFromLittleEndian(chunk);
}

// Eight hex digits (upper or lower case) as four bytes in the order they were written, all at
// once; false when one is not a hex digit. `chunk` holds the characters in memory order. Three
// of them read a frame's identifier and data, for every line: inlined.
Q_ALWAYS_INLINE bool eightHexDigits(quint64 chunk, quint8 *bytes)
{
    constexpr quint64 Ones = 0x0101010101010101u;
    constexpr quint64 High = 0x8080808080808080u;
    // Per byte below 0x80 (no carry between bytes): b + (0x80 - lo) has its high bit set
    // exactly when b >= lo, b + (0x7F - hi) when b > hi.
    const quint64 digit = (chunk + 0x50 * Ones) & ~(chunk + 0x46 * Ones);
    const quint64 lower = chunk | 0x20 * Ones;
    const quint64 letter = (lower + 0x1F * Ones) & ~(lower + 0x19 * Ones);
    if ((chunk & High) != 0 || ((digit | letter) & High) != High)
        return false;
    // A letter's low nibble is its value less 9.
    const quint64 nibbles = (chunk & 0x0F * Ones) + ((chunk >> 6) & Ones) * 9;
    quint64 packed = ((nibbles << 4) | (nibbles >> 8)) & 0x00FF00FF00FF00FFu;
    packed = (packed | (packed >> 8)) & 0x0000FFFF0000FFFFu;
    packed = (packed | (packed >> 16)) & 0xFFFFFFFFu;
    const quint32 four = qToLittleEndian(quint32(packed));
    std::memcpy(bytes, &four, sizeof four);
    return true;
}

// Reads "seconds.fraction" into microseconds; up to 6 fraction digits count, more are ignored.
bool parseTimestamp(const char *&p, const char *end, qint64 *timeUs)
{
    // What loggers write, "1436509052.249713", without a check per character: two digits and
    // eight, then the six of the fraction read as eight behind two zeros (in place of the
    // digit and the point before them).
    constexpr int SecondDigits = 10;
    constexpr int Width = SecondDigits + 1 + 6;
    if (end - p > Width && p[SecondDigits] == '.' && !isDigit(p[Width]) && isDigit(p[0])
        && isDigit(p[1])) {
        const qint64 seconds = eightDigits(loadChunk(p + 2));
        const qint64 micros
            = eightDigits((loadChunk(p + Width - 8) & ~quint64(0xFFFF)) | quint64(0x3030));
        if (seconds >= 0 && micros >= 0) {
            const qint64 leading = (p[0] - '0') * 10 + (p[1] - '0');
            *timeUs = leading * 100000000000000 + seconds * 1000000 + micros;
            p += Width;
            return true;
        }
    }
    qint64 seconds = 0;
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (++digits > 12)
            return false;
        seconds = seconds * 10 + (*p++ - '0');
    }
    if (digits == 0 || p >= end || *p != '.')
        return false;
    ++p;
    qint64 micros = 0;
    int fraction = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (fraction < 6)
            micros = micros * 10 + (*p - '0');
        ++fraction;
        ++p;
    }
    if (fraction == 0)
        return false;
    for (int i = fraction; i < 6; ++i)
        micros *= 10;
    *timeUs = seconds * 1000000 + micros;
    return true;
}

} // namespace

bool CandumpReader::parseLine(const char *p, const char *end, TimedFrame *frame,
                              InterfaceName *interfaceName)
{
    p = skipBlanks(p, end);
    if (p >= end || *p++ != '(')
        return false;
    qint64 timeUs = 0;
    if (!parseTimestamp(p, end, &timeUs) || p >= end || *p++ != ')')
        return false;
    p = skipBlanks(p, end);
    // Interface name: any run of non-blank characters.
    const char *name = p;
    while (p < end && !isBlank(*p))
        ++p;
    if (p == name)
        return false;
    const char *nameEnd = p;
    p = skipBlanks(p, end);
    const char *idStart = p;
    quint32 id = 0;
    // An extended identifier, the usual case, at once; anything else digit by digit.
    quint8 idBytes[4];
    if (end - p > 8 && p[8] == '#' && eightHexDigits(loadChunk(p), idBytes)) {
        id = qFromBigEndian<quint32>(idBytes);
        p += 8;
    }
    while (p < end && *p != '#') {
        const int v = hexValue(*p++);
        if (v < 0 || p - idStart > 8)
            return false;
        id = (id << 4) | quint32(v);
    }
    const int idDigits = int(p - idStart);
    if (p >= end || (idDigits != 3 && idDigits != 8))
        return false;
    ++p; // '#'
    const bool extended = idDigits == 8;
    if ((extended && id > 0x1FFFFFFF) || (!extended && id > 0x7FF))
        return false;
    // Zero beyond the length: copied whole into the message below.
    quint8 data[CanMessage::MaxLength] = {};
    int length = 0;
    // Data that runs to the end of the line, the usual case, a byte at a time without a check
    // of the line's end; anything else pair by pair below.
    const long rest = long(end - p);
    if (rest == 2 * CanMessage::MaxLength && eightHexDigits(loadChunk(p), data)
        && eightHexDigits(loadChunk(p + 8), data + 4)) {
        length = CanMessage::MaxLength;
        p = end;
    } else if (rest <= 2 * CanMessage::MaxLength && rest % 2 == 0) {
        int bad = 0;
        for (long k = 0; k < rest; k += 2) {
            const int hi = hexValue(p[k]);
            const int lo = hexValue(p[k + 1]);
            bad |= hi | lo;
            data[k / 2] = quint8((hi & 0xF) << 4 | (lo & 0xF)); // a bad digit (-1) is told by `bad`
        }
        if (bad >= 0) {
            length = int(rest / 2);
            p = end;
        } else {
            std::memset(data, 0, sizeof data); // what went in is read again below
        }
    }
    while (p < end && !isBlank(*p)) {
        if (end - p < 2 || length == CanMessage::MaxLength)
            return false;
        const int hi = hexValue(p[0]);
        const int lo = hexValue(p[1]);
        if (hi < 0 || lo < 0)
            return false;
        data[length++] = quint8(hi << 4 | lo);
        p += 2;
    }
    // can-utils' asc2log and newer loggers end the line with the direction, R or T.
    p = skipBlanks(p, end);
    if (p < end && (*p == 'R' || *p == 'T'))
        p = skipBlanks(p + 1, end);
    if (p != end)
        return false;
    frame->timeUs = timeUs;
    // A caller that asks for the name tells the bus from it (by the names met so far).
    if (interfaceName) {
        interfaceName->begin = name;
        interfaceName->end = nameEnd;
        frame->bus = 0;
    } else {
        frame->bus = BusNames::trailingNumber(name, nameEnd);
    }
    // Filled in place: this runs for every line of a recording.
    CanMessage &m = frame->message;
    m.id = id;
    m.length = quint8(length);
    std::memcpy(m.data, data, sizeof m.data);
    m.extended = extended;
    m.sender = nullptr;
    m.text.clear();
    return true;
}

void CandumpReader::parse(const QByteArray &text)
{
    m_frames.clear();
    m_skipped = 0;
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end) {
        const char *lineEnd = static_cast<const char *>(memchr(p, '\n', size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        if (skipBlanks(p, lineEnd) != lineEnd) {
            TimedFrame frame;
            if (parseLine(p, lineEnd, &frame))
                m_frames.append(frame);
            else
                ++m_skipped;
        }
        p = lineEnd + 1;
    }
}

bool CandumpReader::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        m_frames.clear();
        m_skipped = 0;
        return false;
    }
    m_error.clear();
    parse(file.readAll());
    return true;
}
