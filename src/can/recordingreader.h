#pragma once

#include "can/candumpreader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Reads CAN recordings in the candump log, Vector ASC and PEAK trace formats, the format chosen
// by the content (the file name's extension only breaks a tie). Bad lines are skipped, counted
// and described with their line numbers; the rest of the file is still read.
class RecordingReader
{
public:
    enum Format { Unknown, Candump, Asc, Trc };

    static constexpr int ProblemLimit = 20;
    // Lines longer than this are refused unread: no recording format writes them.
    static constexpr int LineLengthLimit = 4096;

    static Format detectFormat(const char *data, qint64 size, const QString &fileName = QString());
    static QString formatName(Format format);

    bool readFile(const QString &path);
    // Parses a whole recording; `fileName` only helps the format detection.
    void parse(const QByteArray &text, const QString &fileName = QString());
    // Parses as the given format without detection (Unknown parses nothing).
    void parseAs(Format format, const char *data, qint64 size);

    const QVector<TimedFrame> &frames() const { return m_frames; }
    int skippedLines() const { return m_skipped; }
    // The first ProblemLimit skipped lines as "line N: reason".
    const QStringList &problems() const { return m_problems; }
    QString errorString() const { return m_error; }
    Format format() const { return m_format; }

private:
    void reset();
    void parseDetected(const char *data, qint64 size, const QString &fileName);
    void skip(qint64 lineNumber, const char *reason);

    QVector<TimedFrame> m_frames;
    int m_skipped = 0;
    QStringList m_problems;
    QString m_error;
    Format m_format = Unknown;
};
