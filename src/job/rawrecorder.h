#pragma once

#include "can/candumpreader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QVector>

#include <memory>

class RecordingEncoder;

// Records every frame of a job as candump text in parts of bounded size (raw/part-0001.log,
// part-0002.log, ...). A part ends before it would pass the bound; data reaches the file at
// least every FlushBytes and on flush(). A job opened again continues with the next free part.
// After a write failure recording stops; errorString() says why. Lives on the bus thread and is
// used from there only, so it takes no locks.
class RawRecorder
{
    Q_DECLARE_TR_FUNCTIONS(RawRecorder)

public:
    static constexpr qint64 DefaultPartBytes = 64LL * 1024 * 1024;
    static constexpr int FlushBytes = 64 * 1024;

    explicit RawRecorder(const QString &dir, qint64 partBytes = DefaultPartBytes);
    ~RawRecorder();

    // Frames with absolute stamps in microseconds, in order. False once recording has stopped.
    bool take(const QVector<TimedFrame> &frames);
    bool flush();
    void close();

    bool hasFailed() const { return m_failed; }
    QString errorString() const { return m_error; }
    qint64 framesWritten() const { return m_frames; }
    // The part being written, or the next one.
    int partNumber() const { return m_part; }

    static QString partFileName(int number);
    // Part numbers found in `dir`, ascending.
    static QVector<int> partNumbers(const QString &dir);

private:
    bool startPart();
    bool writePending();
    void fail(const QString &error);

    QString m_dir;
    qint64 m_partBytes;
    std::unique_ptr<RecordingEncoder> m_encoder;
    QFile m_file;
    QByteArray m_pending;
    QByteArray m_line;
    qint64 m_partSize = 0; // bytes of the current part, pending ones included
    int m_part = 0;
    qint64 m_frames = 0;
    bool m_failed = false;
    QString m_error;
};
