#pragma once

#include "can/candumpreader.h"

#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include <functional>

class AbstractDisplayableItem;
class RecordingDecoder;

// The console program's "learn" and "check" commands: the expected scheme from a recording of a
// healthy machine, and a recording checked against one.
int runLearnCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runCheckCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// What both take from a recording: a stretch of it, bus by bus.
namespace BusCheckCommands {

// The frames from `from` to `to` seconds after the recording's first frame (of any bus) that
// one bus gave, each after its decoder took it.
struct Stretch
{
    double fromS = 0;
    double toS = -1; // to the end
    qint64 firstUs = -1;
    qint64 lastUs = -1;
};

using FrameUse = std::function<void(const TimedFrame &frame, AbstractDisplayableItem *item)>;

QList<QCommandLineOption> stretchOptions();
bool readStretch(const QCommandLineParser &parser, const QString &command, Stretch *stretch,
                 QTextStream &err, int *exitCode);
// Plays one bus's frames through its decoder; those of the stretch go to `use`.
void play(const QVector<TimedFrame> &frames, qint64 originUs, RecordingDecoder *decoder,
          Stretch *stretch, const FrameUse &use);
// Items the tool sends in the scheme are judged like the others in a recording.
void receiveAll(const QList<AbstractDisplayableItem *> &devices);

} // namespace BusCheckCommands
