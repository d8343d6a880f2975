#pragma once

#include "can/candumpreader.h"
#include "can/recordingtokens.h"

// Reads the lines of a Vector ASC log one at a time: the header sets the number base and the
// time-stamp mode, classic CAN data frames become frames; remote, error and CAN FD frames are
// skipped, other events ignored.
class AscLineParser
{
public:
    RecordingTokens::LineOutcome parseLine(const char *begin, const char *end, TimedFrame *frame);

    bool isHexBase() const { return m_hexBase; }
    bool hasRelativeTimes() const { return m_relative; }
    // True when the line is one only an ASC log has (header, trigger block, a frame line).
    static bool looksLikeAsc(const char *begin, const char *end);

private:
    bool parseHeader(const RecordingTokens::LineTokens &tokens);
    RecordingTokens::LineOutcome parseFrame(const RecordingTokens::LineTokens &tokens,
                                            qint64 timeUs, TimedFrame *frame) const;
    bool parseNumber(const RecordingTokens::Token &token, quint32 *value) const;

    bool m_hexBase = true;
    bool m_relative = false;
    qint64 m_startUs = 0;
    qint64 m_lastUs = 0;
};
