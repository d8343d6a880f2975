#pragma once

#include "can/busnames.h"
#include "can/candumpreader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QFile;
class QIODevice;

// Reads CAN recordings: the text formats candump log, Vector ASC and PEAK trace, and the binary
// formats ASAM MDF4, Vector BLF, pcap and pcapng. The format is chosen by the content (the file
// name's extension only breaks a tie between text formats). Bad lines are skipped, counted and
// described with their line numbers, records of a binary file that are not CAN data frames with
// their offsets; the rest of the file is still read. A bad structure in a binary file ends the
// reading with its offset, the frames before it kept.
class RecordingReader
{
public:
    enum Format { Unknown, Candump, Asc, Trc, Mf4, Blf, Pcap, Pcapng };
    static bool isBinary(Format format) { return format >= Mf4; }

    static constexpr int ProblemLimit = 20;
    // Lines longer than this are refused unread: no recording format writes them.
    static constexpr int LineLengthLimit = 4096;

    static Format detectFormat(const char *data, qint64 size, const QString &fileName = QString());
    static QString formatName(Format format);

    bool readFile(const QString &path);
    // Takes the frames of one piece of a streamed recording; returning false stops the reading.
    using FrameSink = std::function<bool(const QVector<TimedFrame> &frames)>;
    static constexpr int StreamChunkBytes = 1 << 20;
    // Reads the file a piece of `chunkBytes` at a time and hands the frames of each piece to
    // `sink` without keeping them, so memory stays bounded whatever the file's size. Counts,
    // problems (with line numbers) and errors as readFile; frames() stays empty. False when the
    // file cannot be read, holds no recording or the sink stopped.
    bool streamFile(const QString &path, const FrameSink &sink, int chunkBytes = StreamChunkBytes);
    // How far streamFile has read its file (the file's position: binary formats may seek back
    // and forth), for a progress display from within the sink; 0 outside streamFile.
    qint64 bytesRead() const;
    // Parses a whole recording held in memory; `fileName` only helps the format detection.
    void parse(const QByteArray &text, const QString &fileName = QString());
    // Parses as the given format without detection (Unknown parses nothing).
    void parseAs(Format format, const char *data, qint64 size);

    const QVector<TimedFrame> &frames() const { return m_frames; }
    int skippedLines() const { return m_skipped; }
    // Frames read, also those a stream handed on.
    qint64 frameCount() const { return m_frameCount; }
    // The first ProblemLimit skipped lines as "line N: reason".
    const QStringList &problems() const { return m_problems; }
    QString errorString() const { return m_error; }
    Format format() const { return m_format; }
    // The names the recording gave its buses, complete for every frame handed on so far.
    const BusNames &busNames() const { return m_busNames; }

private:
    struct Pass;
    void reset();
    bool openFile(const QString &path, QFile *file);
    // Parses one line without its newline; a frame goes to `frames`.
    void takeLine(Pass &pass, qint64 lineNumber, const char *begin, const char *end,
                  QVector<TimedFrame> *frames);
    void parseDetected(const char *data, qint64 size, const QString &fileName);
    void skip(qint64 lineNumber, const char *reason);
    // Reads a binary recording from `device` into the sink; counts, problems and error as above.
    bool readBinary(Format format, QIODevice *device, const FrameSink &sink);

    QVector<TimedFrame> m_frames;
    int m_skipped = 0;
    qint64 m_frameCount = 0;
    QStringList m_problems;
    QString m_error;
    Format m_format = Unknown;
    BusNames m_busNames;
    const QIODevice *m_streamed = nullptr; // the file streamFile reads, while it runs
};
