#include "can/trclineparser.h"

#include "can/busnames.h"

#include <cstring>

using RecordingTokens::LineOutcome;
using RecordingTokens::LineTokens;
using RecordingTokens::Token;

namespace {

// $STARTTIME counts days since 30 December 1899; that day is this many seconds before 1970.
constexpr qint64 TraceEpochToUnixSeconds = 2209161600LL;
constexpr qint64 MaxStartDays = 200000; // well past any real recording

bool startsWith(const char *begin, const char *end, const char *prefix)
{
    const size_t n = std::strlen(prefix);
    return size_t(end - begin) >= n && std::memcmp(begin, prefix, n) == 0;
}

// Reads an identifier column: four digits or fewer make a standard identifier, eight an
// extended one.
bool parseIdentifier(const Token &token, quint32 *id, bool *extended)
{
    if (!RecordingTokens::parseHex(token, id))
        return false;
    *extended = token.n > 4;
    if (*extended)
        return token.n == 8 && *id <= 0x1FFFFFFFu;
    return *id <= 0x7FFu;
}

// The bus column counts from 1; a file without one has one bus.
quint8 busOf(const LineTokens &tokens, int at)
{
    quint32 channel = 0;
    if (at < 0 || at >= tokens.count || !RecordingTokens::parseDecimal(tokens[at], &channel))
        return 0;
    return BusNames::busOfChannel(channel);
}

LineOutcome readData(const LineTokens &tokens, int first, quint32 length, quint32 id, bool extended,
                     qint64 timeUs, quint8 bus, TimedFrame *frame)
{
    if (length > quint32(CanMessage::MaxLength))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
    if (tokens.count < first + int(length))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "data bytes missing"));
    quint8 data[CanMessage::MaxLength];
    for (int i = 0; i < int(length); ++i) {
        quint32 byte = 0;
        if (tokens[first + i].n != 2 || !RecordingTokens::parseHex(tokens[first + i], &byte))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad data byte"));
        data[i] = quint8(byte);
    }
    frame->timeUs = timeUs;
    frame->bus = bus;
    frame->message = CanMessage(id, data, int(length));
    frame->message.extended = extended;
    return LineOutcome::frame();
}

} // namespace

bool TrcLineParser::looksLikeTrc(const char *begin, const char *end)
{
    while (begin < end && RecordingTokens::isBlank(*begin))
        ++begin;
    if (startsWith(begin, end, ";$FILEVERSION") || startsWith(begin, end, ";$STARTTIME"))
        return true;
    LineTokens tokens;
    tokens.split(begin, end);
    if (tokens.count < 4)
        return false;
    // "17)" numbers the frame lines of version 1.
    const Token &number = tokens[0];
    quint32 value = 0;
    if (number.n >= 2 && number.p[number.n - 1] == ')')
        return RecordingTokens::parseDecimal(Token{number.p, number.n - 1}, &value);
    qint64 timeUs = 0;
    return RecordingTokens::parseDecimal(number, &value)
           && RecordingTokens::parseScaled(tokens[1], 3, &timeUs)
           && (tokens[2].is("DT") || tokens[2].is("RR") || tokens[2].is("FD") || tokens[2].is("FB")
               || tokens[2].is("ER") || tokens[2].is("ST"));
}

void TrcLineParser::parseHeader(const char *begin, const char *end)
{
    const auto value = [&](const char *key) -> const char * {
        return startsWith(begin, end, key) ? begin + std::strlen(key) : nullptr;
    };
    if (const char *p = value(";$FILEVERSION=")) {
        LineTokens tokens;
        tokens.split(p, end);
        qint64 tenths = 0;
        if (tokens.count > 0 && RecordingTokens::parseScaled(tokens[0], 1, &tenths) && tenths >= 10
            && tenths < 30) {
            m_version = int(tenths);
            // 2.1 names its columns in $COLUMNS; this is the layout PEAK writes by default.
            if (m_version >= 21)
                std::strcpy(m_columns, "NOTBIdRLD");
        }
    } else if (const char *start = value(";$STARTTIME=")) {
        LineTokens tokens;
        tokens.split(start, end);
        qint64 scaledDays = 0; // in units of 1e-10 day, about 9 microseconds
        if (tokens.count == 0 || !RecordingTokens::parseScaled(tokens[0], 10, &scaledDays))
            return;
        // A step of 1e-10 day is 8.64 us: 216 us per 25 steps, exact in integers.
        if (scaledDays > 0 && scaledDays < MaxStartDays * 10000000000LL)
            m_startUs = (scaledDays * 216 + 12) / 25 - TraceEpochToUnixSeconds * 1000000;
    } else if (const char *names = value(";$COLUMNS=")) {
        int n = 0;
        for (const char *c = names; c < end && n < int(sizeof m_columns) - 1; ++c) {
            if ((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z'))
                m_columns[n++] = *c;
        }
        m_columns[n] = '\0';
    }
}

LineOutcome TrcLineParser::parseLine(const char *begin, const char *end, TimedFrame *frame)
{
    while (begin < end && RecordingTokens::isBlank(*begin))
        ++begin;
    if (begin == end)
        return LineOutcome::ignored();
    if (*begin == ';') {
        parseHeader(begin, end);
        return LineOutcome::ignored();
    }
    LineTokens tokens;
    tokens.split(begin, end);
    const Token &number = tokens[0];
    const bool numberedV1 = number.n >= 2 && number.p[number.n - 1] == ')';
    if (m_version >= 20 || (m_version == 0 && !numberedV1))
        return parseVersion2(tokens, frame);
    return parseVersion1(tokens, frame);
}

LineOutcome TrcLineParser::parseVersion1(const LineTokens &tokens, TimedFrame *frame) const
{
    // 1.0: N) time id dlc data; 1.1 adds the type after the time; 1.2 the bus before the type;
    // 1.3 a reserved column after the identifier.
    // Version 1.0 files have no header; a type column after the time still marks 1.1.
    const bool typed = tokens.count > 2
                       && (tokens[2].is("Rx") || tokens[2].is("Tx") || tokens[2].is("Error")
                           || tokens[2].is("Warng"));
    const int version = m_version != 0 ? m_version : typed ? 11 : 10;
    int i = 1;
    qint64 offsetUs = 0;
    if (tokens.count < 4 || !RecordingTokens::parseScaled(tokens[i++], 3, &offsetUs))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "not a trace line"));
    const int busAt = version >= 12 ? i++ : -1;
    if (version >= 11 && i < tokens.count) {
        const Token &type = tokens[i++];
        if (type.is("Error"))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "error frame"));
        if (type.is("Warng"))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bus warning"));
        if (!type.is("Rx") && !type.is("Tx"))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "unknown frame type"));
    }
    if (i >= tokens.count)
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "columns missing"));
    if (tokens[i].is("FFFFFFFF"))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bus warning"));
    quint32 id = 0;
    bool extended = false;
    if (!parseIdentifier(tokens[i++], &id, &extended))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad identifier"));
    if (version >= 13)
        ++i; // reserved
    quint32 length = 0;
    if (i >= tokens.count || !RecordingTokens::parseDecimal(tokens[i++], &length))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad data length"));
    if (i < tokens.count && tokens[i].is("RTR"))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
    if (i < tokens.count && tokens[i].is("ERROR"))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "error frame"));
    return readData(tokens, i, length, id, extended, m_startUs + offsetUs, busOf(tokens, busAt),
                    frame);
}

LineOutcome TrcLineParser::parseVersion2(const LineTokens &tokens, TimedFrame *frame) const
{
    const int columns = int(std::strlen(m_columns));
    const auto column = [&](char code) {
        const char *at = std::strchr(m_columns, code);
        return at ? int(at - m_columns) : -1;
    };
    const int typeAt = column('T');
    if (typeAt >= 0 && typeAt < tokens.count) {
        const Token &type = tokens[typeAt];
        if (type.is("RR"))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
        if (type.is("ER"))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "error frame"));
        if (type.is("FD") || type.is("FB") || type.is("FE") || type.is("BI") || type.is("RE"))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
        if (type.is("ST") || type.is("EC") || type.is("EV"))
            return LineOutcome::ignored(); // adapter status, error counters, user events
        if (!type.is("DT"))
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "unknown frame type"));
    }
    const int dataAt = column('D');
    if (tokens.count < (dataAt >= 0 ? dataAt : columns))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "columns missing"));
    qint64 offsetUs = 0;
    const int timeAt = column('O');
    if (timeAt < 0 || !RecordingTokens::parseScaled(tokens[timeAt], 3, &offsetUs))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad time stamp"));
    quint32 id = 0;
    bool extended = false;
    const int idAt = column('I');
    if (idAt < 0 || !parseIdentifier(tokens[idAt], &id, &extended))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad identifier"));
    // "L" is the byte count, "l" the code; for classic frames both say the same.
    const int lengthAt = column('L') >= 0 ? column('L') : column('l');
    quint32 length = 0;
    if (lengthAt < 0 || !RecordingTokens::parseDecimal(tokens[lengthAt], &length))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad data length"));
    if (dataAt < 0)
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "columns missing"));
    return readData(tokens, dataAt, length, id, extended, m_startUs + offsetUs,
                    busOf(tokens, column('B')), frame);
}
