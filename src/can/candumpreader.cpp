#include "can/candumpreader.h"

#include "can/busnames.h"

#include <QFile>

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

// Reads "seconds.fraction" into microseconds; up to 6 fraction digits count, more are ignored.
bool parseTimestamp(const char *&p, const char *end, qint64 *timeUs)
{
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
    quint8 data[CanMessage::MaxLength];
    int length = 0;
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
    frame->bus = BusNames::trailingNumber(name, nameEnd);
    if (interfaceName) {
        interfaceName->begin = name;
        interfaceName->end = nameEnd;
    }
    // Filled in place: this runs for every line of a recording.
    CanMessage &m = frame->message;
    m.id = id;
    m.length = quint8(length);
    std::memcpy(m.data, data, size_t(length));
    std::memset(m.data + length, 0, size_t(CanMessage::MaxLength - length));
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
