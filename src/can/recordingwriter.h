#pragma once

#include "can/candumpreader.h"
#include "can/recordingreader.h"

#include <QList>
#include <QString>
#include <QVector>

#include <memory>

class QSaveFile;
class RecordingEncoder;

// Writes a recording in a format Tarvik also reads: candump log, Vector ASC, PEAK TRC 2.1,
// Vector BLF, pcap or pcapng. Each frame's bus is kept: the candump interface (the bus's name),
// the ASC, TRC and BLF channel (the bus plus one), the pcapng interface (named where its number
// is not the bus's or the bus has a name of its own) and, when asked for, the pcap SLL2
// interface index. Frames are encoded as they come and written in pieces, so memory stays
// bounded; the file replaces any old one only on commit(), complete. ASC and TRC keep the
// absolute time by their start date (ASC's in local time), BLF by its local start time.
class RecordingWriter
{
public:
    static constexpr int FlushBytes = 1 << 20;

    RecordingWriter();
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter &) = delete;
    RecordingWriter &operator=(const RecordingWriter &) = delete;

    // The formats written, in the order they are offered.
    static QList<RecordingReader::Format> formats();
    // By the file name's extension (.log .asc .trc .blf .pcapng .pcap); Unknown for others.
    static RecordingReader::Format formatForPath(const QString &path);
    // By the name a user gives ("candump", "asc", "trc", "blf", "pcapng", "pcap").
    static RecordingReader::Format formatForName(const QString &name);
    static QString formatKey(RecordingReader::Format format);
    static QString extension(RecordingReader::Format format);

    // pcap and pcapng stamps in nanoseconds instead of microseconds; set before open().
    void setNanosecondStamps(bool on) { m_nanoseconds = on; }
    // pcap with the Linux cooked header (SLL2), whose interface index keeps the bus; set before
    // open(). Without it pcap holds plain SocketCAN frames: every frame reads back on bus 0.
    void setPcapBusIndex(bool on) { m_pcapBusIndex = on; }
    // The names candump and pcapng write for the buses; may be set again as a stream names more.
    void setBusNames(const BusNames &names);
    bool open(const QString &path, RecordingReader::Format format);
    bool write(const TimedFrame &frame);
    bool write(const QVector<TimedFrame> &frames);
    // Completes the file and puts it in place; false (the old file untouched) on any failure.
    bool commit();
    // Drops the file being written.
    void cancel();

    qint64 frameCount() const { return m_frames; }
    // Frames stamped before the recording's start (out of order), written at the start.
    qint64 clampedFrames() const;
    // Frames of a bus other than the first written where the format keeps no bus (plain pcap).
    qint64 framesWithoutBus() const;
    QString errorString() const { return m_error; }

private:
    bool flush(bool always);
    void fail(const QString &text);

    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<RecordingEncoder> m_encoder;
    QByteArray m_pending;
    qint64 m_frames = 0;
    bool m_begun = false;
    bool m_nanoseconds = false;
    bool m_pcapBusIndex = false;
    BusNames m_busNames;
    QString m_error;
};
