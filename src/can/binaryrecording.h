#pragma once

#include "can/busnames.h"
#include "can/candumpreader.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QIODevice;

// One reading of a binary recording (MF4, BLF, pcap, pcapng) by its format's reader. The reader
// walks the file's structures on `device()` (random access, already open) and hands every CAN
// data frame to take(); the pass gathers them into pieces for the sink, counts what it skips and
// keeps the first bad structure as the error. Memory stays bounded whatever the file's size.
class BinaryRecordingPass
{
public:
    using FrameSink = std::function<bool(const QVector<TimedFrame> &frames)>;
    // Frames gathered before they go to the sink.
    static constexpr int BatchFrames = 8192;
    static constexpr int ProblemLimit = 20;

    // `busNames` (kept by the caller) takes the names the recording gives its buses.
    BinaryRecordingPass(QIODevice *device, FrameSink sink, BusNames *busNames);

    QIODevice *device() const { return m_device; }
    BusNames &busNames() { return *m_busNames; }

    // Adds a frame; false once the sink stopped the reading.
    bool take(const TimedFrame &frame);
    // Hands the gathered frames to the sink; false once it stopped the reading.
    bool flush();
    // A record that is not a classic CAN data frame (error, remote or CAN FD frame, another
    // bus type): counted and described. `reason` is untranslated, in the "RecordingReader"
    // context (QT_TRANSLATE_NOOP).
    void skip(qint64 offset, const char *reason);
    // The first bad structure: reading stops with "offset N: reason". Always returns false.
    bool fail(qint64 offset, const QString &reason);

    qint64 frameCount() const { return m_frameCount; }
    int skipped() const { return m_skipped; }
    const QStringList &problems() const { return m_problems; }
    QString errorString() const { return m_error; }
    bool stopped() const { return m_stopped; }

private:
    QIODevice *m_device;
    FrameSink m_sink;
    BusNames *m_busNames;
    QVector<TimedFrame> m_batch;
    qint64 m_frameCount = 0;
    int m_skipped = 0;
    QStringList m_problems;
    QString m_error;
    bool m_stopped = false;
};

// The readers of the binary formats. Each returns false on the first bad structure (the pass
// holds the message) or when the sink stopped; frames before that have been handed on.
namespace Mf4Recording {
// ASAM MDF 4.x: "MDF     " or an unfinalized "UnFinMF " at the start.
bool looksLike(const char *data, qint64 size);
bool read(BinaryRecordingPass &pass);
} // namespace Mf4Recording

namespace BlfRecording {
// Vector BLF: "LOGG" at the start.
bool looksLike(const char *data, qint64 size);
bool read(BinaryRecordingPass &pass);
} // namespace BlfRecording

namespace PcapRecording {
// Classic pcap in either byte order and time resolution.
bool looksLikePcap(const char *data, qint64 size);
// pcapng: a section header block at the start.
bool looksLikePcapng(const char *data, qint64 size);
bool readPcap(BinaryRecordingPass &pass);
bool readPcapng(BinaryRecordingPass &pass);
} // namespace PcapRecording
