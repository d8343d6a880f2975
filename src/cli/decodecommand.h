#pragma once

#include "descriptions/candevicefactory.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

class ConsoleProgress;

// How `decode` decodes each recording.
struct DecodeOptions
{
    QString scheme; // empty: auto-detection
    int periodMs = 1000;
    bool periodSet = false;
    bool events = false;
    // Every frame through the live window's full path: no coalescing, supervision kept.
    bool everyFrame = false;
    // The --bus values: only these buses (all when empty).
    QStringList buses;
    // The --dbc databases, read once for every decoder.
    CanDeviceFactory::Databases databases;
    // The one progress line of the whole run, shared by the recordings' decoders (none: null).
    ConsoleProgress *progress = nullptr;
};

// The console program's "decode" command: takes the arguments after the
// command's name and returns the exit code.
int runDecodeCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Decodes one recording into `outputPath` (standard output when empty); returns the exit code.
int decodeRecording(const DecodeOptions &options, const QString &recording,
                    const QString &outputPath, QTextStream &out, QTextStream &err);
