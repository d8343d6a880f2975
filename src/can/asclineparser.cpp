#include "can/asclineparser.h"

#include "can/busnames.h"

#include <QDateTime>
#include <QLocale>
#include <QtGlobal>

using RecordingTokens::LineOutcome;
using RecordingTokens::LineTokens;
using RecordingTokens::Token;

namespace {

constexpr qint64 MaxTimeUs = qint64(1) << 62;

// Header and block lines carry no frame.
bool isHeaderWord(const Token &word)
{
    return word.isIgnoringCase("date") || word.isIgnoringCase("base")
           || word.isIgnoringCase("internal") || word.isIgnoringCase("no")
           || word.isIgnoringCase("begin") || word.isIgnoringCase("end")
           || word.isIgnoringCase("//") || (word.n >= 2 && word.p[0] == '/' && word.p[1] == '/');
}

bool isDirection(const Token &word)
{
    return word.is("Rx") || word.is("Tx");
}

// "Wed Jun 3 10:15:27.123 am 2020" and its variants, in the C locale; 0 when unreadable.
qint64 headerDateUs(const char *begin, const char *end)
{
    const QString text = QString::fromLatin1(begin, int(end - begin)).simplified();
    const QLocale c = QLocale::c();
    for (const char *format : {"ddd MMM d hh:mm:ss.zzz ap yyyy", "ddd MMM d hh:mm:ss ap yyyy",
                               "ddd MMM d hh:mm:ss.zzz yyyy", "ddd MMM d hh:mm:ss yyyy"}) {
        const QDateTime when = c.toDateTime(text, QLatin1String(format));
        if (when.isValid())
            return when.toMSecsSinceEpoch() * 1000;
    }
    return 0;
}

} // namespace

bool AscLineParser::looksLikeAsc(const char *begin, const char *end)
{
    LineTokens tokens;
    tokens.split(begin, end);
    if (tokens.count < 2)
        return false;
    if ((tokens[0].is("date") || tokens[0].is("base")) && tokens.count >= 2)
        return true;
    if (tokens[0].isIgnoringCase("begin") && tokens[1].isIgnoringCase("triggerblock"))
        return true;
    if (tokens[1].is("internal") || (tokens[0].is("internal") && tokens[1].is("events")))
        return true;
    qint64 timeUs = 0;
    quint32 channel = 0;
    return tokens.count >= 5 && RecordingTokens::parseScaled(tokens[0], 6, &timeUs)
           && RecordingTokens::parseDecimal(tokens[1], &channel) && isDirection(tokens[3]);
}

bool AscLineParser::parseHeader(const LineTokens &tokens)
{
    if (!isHeaderWord(tokens[0]))
        return false;
    if (tokens[0].is("base")) {
        for (int i = 1; i + 1 < tokens.count; ++i) {
            if (tokens[i].is("base"))
                continue;
            if (i == 1)
                m_hexBase = !tokens[i].is("dec");
            if (tokens[i].is("timestamps"))
                m_relative = tokens[i + 1].is("relative");
        }
    } else if (tokens[0].is("date") && tokens.count > 1) {
        m_startUs
            = headerDateUs(tokens[1].p, tokens[tokens.count - 1].p + tokens[tokens.count - 1].n);
        m_lastUs = m_startUs;
    }
    return true;
}

bool AscLineParser::parseNumber(const Token &token, quint32 *value) const
{
    return m_hexBase ? RecordingTokens::parseHex(token, value)
                     : RecordingTokens::parseDecimal(token, value);
}

LineOutcome AscLineParser::parseLine(const char *begin, const char *end, TimedFrame *frame)
{
    LineTokens tokens;
    tokens.split(begin, end);
    if (tokens.count == 0 || parseHeader(tokens))
        return LineOutcome::ignored();
    qint64 offsetUs = 0;
    if (!RecordingTokens::parseScaled(tokens[0], 6, &offsetUs))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "not an ASC line"));
    // Relative stamps count from the previous event of any kind; a sum beyond any real
    // recording (some ten thousand years) is refused rather than overflowing.
    const qint64 base = m_relative ? m_lastUs : m_startUs;
    if (base > MaxTimeUs - offsetUs)
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad time stamp"));
    const qint64 timeUs = base + offsetUs;
    m_lastUs = timeUs;
    return parseFrame(tokens, timeUs, frame);
}

LineOutcome AscLineParser::parseFrame(const LineTokens &tokens, qint64 timeUs,
                                      TimedFrame *frame) const
{
    if (tokens.count >= 2 && (tokens[1].is("CANFD") || tokens[1].is("CANXL")))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
    quint32 channel = 0;
    if (tokens.count < 3 || !RecordingTokens::parseDecimal(tokens[1], &channel))
        return LineOutcome::ignored(); // an event of the measurement, not of a channel
    if (tokens[2].is("ErrorFrame"))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "error frame"));
    if (tokens.count < 5 || !isDirection(tokens[3]))
        return LineOutcome::ignored(); // statistics, chip states and other channel events
    Token idToken = tokens[2];
    const bool extended = idToken.n > 1 && (idToken.p[idToken.n - 1] | 0x20) == 'x';
    if (extended)
        --idToken.n;
    quint32 id = 0;
    if (!parseNumber(idToken, &id) || id > (extended ? 0x1FFFFFFFu : 0x7FFu))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad identifier"));
    if (tokens[4].is("r") || tokens[4].is("R"))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
    if (!tokens[4].is("d") && !tokens[4].is("D"))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "unknown frame type"));
    quint32 length = 0;
    if (tokens.count < 6 || !RecordingTokens::parseHex(tokens[5], &length))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad data length"));
    if (length > quint32(CanMessage::MaxLength))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
    if (tokens.count < 6 + int(length))
        return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "data bytes missing"));
    quint8 data[CanMessage::MaxLength];
    for (int i = 0; i < int(length); ++i) {
        quint32 byte = 0;
        if (tokens[6 + i].n > 3 || !parseNumber(tokens[6 + i], &byte) || byte > 0xFF)
            return LineOutcome::skipped(QT_TRANSLATE_NOOP("RecordingReader", "bad data byte"));
        data[i] = quint8(byte);
    }
    frame->timeUs = timeUs;
    frame->bus = BusNames::busOfChannel(channel);
    frame->message = CanMessage(id, data, int(length));
    frame->message.extended = extended;
    return LineOutcome::frame();
}
