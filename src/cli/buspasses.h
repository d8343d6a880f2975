#pragma once

#include "can/busnames.h"
#include "can/recordingreader.h"
#include "cli/busselection.h"

#include <QCommandLineParser>
#include <QString>
#include <QTextStream>
#include <QVector>

#include <functional>

class ConsoleProgress;

// The buses of a recording for the commands that report per bus: every bus is an address space
// of its own, so a unit is its bus and its address. Decoding takes one pass over the recording
// per bus, one bus's decoder alive at a time, since the catalogue lets only one live unit hold
// an address. The first pass takes the bus of the first frame kept and finds the others; with
// busesFirst, a reading ahead finds them all and the passes go in bus order. Times count from
// the recording's first frame, whatever its bus.
class BusPasses
{
public:
    // Reads the --bus values of a command; false with the usage error written.
    bool readOption(const QCommandLineParser &parser, const QCommandLineOption &option,
                    const QString &command, QTextStream &err, int *exitCode);
    // The same for values given otherwise; false with the reason.
    bool keepBuses(const QStringList &texts, QString *error);

    void setBusesFirst(bool on) { m_busesFirst = on; }
    // With busesFirst, the first pass may start at once on the bus of the first frame kept, taken
    // for the first bus, instead of reading ahead: most recordings start on their lowest bus (or
    // have one). Should a lower bus turn up, the guessed bus is passed again in its turn, so its
    // steps must replace whatever its first pass made.
    void setFirstBusGuessed(bool on) { m_firstBusGuessed = on; }

    // Where the readings show their progress (none when null).
    void setProgress(ConsoleProgress *progress) { m_progress = progress; }

    // Called before and after the pass of a bus; false stops with the caller's error.
    using BusStep = std::function<bool(quint8 bus)>;

    // One pass per bus kept: `sink` gets only that bus's frames. Skipped lines are reported to
    // `warnings` once. False with `error` set when the recording cannot be read or holds no
    // frame of the buses kept; false with `error` untouched when a step or the sink stopped.
    bool run(const QString &path, const BusStep &begin, const RecordingReader::FrameSink &sink,
             const BusStep &end, QString *error, QTextStream *warnings);
    // One reading for commands that keep their buses apart themselves: every frame kept.
    bool stream(const QString &path, const RecordingReader::FrameSink &sink, QString *error,
                QTextStream *warnings);

    // The buses kept that have frames, in number order: all of them once the first pass (or the
    // reading ahead) is over.
    const QVector<quint8> &buses() const { return m_buses; }
    QString busName(quint8 bus) const { return m_names.name(bus); }
    // Whether --bus keeps `bus` (any bus, not only one with frames).
    bool keeps(quint8 bus) { return m_selection.keeps(bus, m_names); }
    // Whether outputs name each result's bus: the recording has several buses, or --bus chose.
    bool namesBuses() const { return m_buses.size() > 1 || !m_selection.keepsEverything(); }
    // The recording's first and last frames (in file order), of any bus.
    qint64 originUs() const { return m_originUs; }
    qint64 endUs() const { return m_endUs; }
    qint64 frames() const { return m_frames; }
    int skippedLines() const { return m_skippedLines; }

private:
    bool read(const QString &path, int bus, const BusStep &begin,
              const RecordingReader::FrameSink &sink, QString *error, QTextStream *warnings);
    void noteBus(quint8 bus);
    QString noFramesError(const QString &path) const;
    // The passes still to come read the file again: the progress counts them in its whole.
    void expectPasses(const QString &path, int passes);

    BusSelection m_selection;
    QStringList m_busTexts;
    bool m_busesFirst = false;
    bool m_firstBusGuessed = false;
    bool m_read = false; // the recording was read once
    int m_lastPassBus = -1;
    QVector<quint8> m_buses;
    BusNames m_names;
    qint64 m_originUs = 0;
    qint64 m_endUs = 0;
    qint64 m_frames = 0;
    int m_skippedLines = 0;
    ConsoleProgress *m_progress = nullptr;
};
