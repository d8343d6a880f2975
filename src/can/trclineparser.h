#pragma once

#include "can/candumpreader.h"
#include "can/recordingtokens.h"

// Reads the lines of a PEAK trace file (versions 1.0 to 1.3 and 2.0, 2.1) one at a time: the
// header's file version, start time and column list choose the layout of the frame lines. Data
// frames become frames; remote, error, CAN FD frames and warnings are skipped, status lines
// ignored.
class TrcLineParser
{
public:
    RecordingTokens::LineOutcome parseLine(const char *begin, const char *end, TimedFrame *frame);

    // File version times ten (11 for "1.1", 21 for "2.1"); 0 until known.
    int version() const { return m_version; }
    // True when the line is one only a trace file has (its header, a numbered frame line).
    static bool looksLikeTrc(const char *begin, const char *end);

private:
    void parseHeader(const char *begin, const char *end);
    RecordingTokens::LineOutcome parseVersion1(const RecordingTokens::LineTokens &tokens,
                                               TimedFrame *frame) const;
    RecordingTokens::LineOutcome parseVersion2(const RecordingTokens::LineTokens &tokens,
                                               TimedFrame *frame) const;

    int m_version = 0;
    qint64 m_startUs = 0;
    // Column codes of a version 2 line ("NOTIdlD"), one letter per column.
    char m_columns[16] = "NOTIdlD";
};
