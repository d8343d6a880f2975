#include "cli/convertcommand.h"

#include "can/recordingwriter.h"
#include "cli/busselection.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/recordingsource.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>

namespace {

QString formatList()
{
    QStringList keys;
    for (const RecordingReader::Format format : RecordingWriter::formats())
        keys.append(RecordingWriter::formatKey(format));
    return keys.join(QLatin1String(", "));
}

// pcap keeps buses only in the Linux cooked header, chosen before the first frame: a reading
// ahead tells whether any frame written is on a bus other than the first.
bool needsBusIndex(const QString &in, BusSelection &selection, ConsoleProgress *progress)
{
    bool otherBus = false;
    RecordingSource::StreamSummary summary;
    QString error;
    RecordingSource::stream(
        in,
        [&](QVector<TimedFrame> frames) {
            selection.apply(summary.busNames, &frames);
            otherBus = std::any_of(frames.cbegin(), frames.cend(),
                                   [](const TimedFrame &f) { return f.bus != 0; });
            return !otherBus;
        },
        &summary, &error, nullptr, progress);
    return otherBus;
}

} // namespace

int runConvertCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("convert");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Cli::tr("Converts a recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng) into another "
                "format, chosen by the output's extension or --format. The recording is streamed: "
                "files of any size convert in little memory."));
    parser.addPositionalArgument(QStringLiteral("RECORDING"), Cli::tr("The recording to convert"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Cli::tr("The file to write"), Cli::tr("FILE"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    Cli::tr("The output format: %1").arg(formatList()),
                                    Cli::tr("FORMAT"));
    const QCommandLineOption nanoseconds(QStringLiteral("nanoseconds"),
                                         Cli::tr("pcap and pcapng time stamps in nanoseconds"));
    const QCommandLineOption bus = BusSelection::keptOption();
    const QCommandLineOption map(
        QStringLiteral("map"),
        Cli::tr("Write the frames of bus FROM on bus TO, each a number or a name (can1=0, "
                "1=vcan3); may be repeated"),
        Cli::tr("FROM=TO"));
    parser.addOptions({output, format, nanoseconds, bus, map});
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    if (!parser.isSet(output))
        return CliCommand::usageError(command, Cli::tr("-o FILE is missing"), err);
    const QString in = parser.positionalArguments().constFirst();
    const QString path = parser.value(output);
    const RecordingReader::Format to = parser.isSet(format)
                                           ? RecordingWriter::formatForName(parser.value(format))
                                           : RecordingWriter::formatForPath(path);
    if (to == RecordingReader::Unknown) {
        const QString why = parser.isSet(format)
                                ? Cli::tr("unknown format \"%1\"").arg(parser.value(format))
                                : Cli::tr("cannot tell the format from the name %1").arg(path);
        return CliCommand::usageError(
            command, why + Cli::tr("; use --format with one of: %1").arg(formatList()), err);
    }
    BusSelection selection;
    QString busError;
    for (const QString &value : parser.values(bus)) {
        if (!selection.addKept(value, &busError))
            return CliCommand::usageError(command, QStringLiteral("--bus: ") + busError, err);
    }
    for (const QString &value : parser.values(map)) {
        if (!selection.addMapping(value, &busError))
            return CliCommand::usageError(command, QStringLiteral("--map: ") + busError, err);
    }

    // The output is opened at the first frames: a recording that cannot be read or holds no
    // frames leaves no file behind.
    RecordingWriter writer;
    writer.setNanosecondStamps(parser.isSet(nanoseconds));
    ConsoleProgress progress(parser);
    if (to == RecordingReader::Pcap) {
        // The reading ahead and the conversion: the share is of both.
        progress.expect(QFileInfo(in).size() * 2);
        writer.setPcapBusIndex(needsBusIndex(in, selection, &progress));
    }
    bool opened = false;
    QString writeError;
    RecordingSource::StreamSummary summary;
    const auto write = [&](QVector<TimedFrame> frames) {
        selection.apply(summary.busNames, &frames);
        if (frames.isEmpty())
            return true;
        writer.setBusNames(selection.outputNames(summary.busNames));
        if (!opened && !(opened = writer.open(path, to))) {
            writeError = writer.errorString();
            return false;
        }
        if (writer.write(frames))
            return true;
        writeError = writer.errorString();
        return false;
    };
    QString readError;
    const bool read = RecordingSource::stream(in, write, &summary, &readError, &err, &progress);
    if (summary.stopped) {
        err << Cli::tr("Cannot write %1: %2").arg(path, writeError) << '\n';
        return CliCommand::Failure;
    }
    if (!read && !opened) {
        err << readError << '\n';
        return CliCommand::Failure;
    }
    if (!opened) {
        err << Cli::tr("%1 holds no frames on bus %2")
                   .arg(in, selection.keptText().join(QLatin1String(", ")))
            << '\n';
        return CliCommand::Failure;
    }
    if (!writer.commit()) {
        err << Cli::tr("Cannot write %1: %2").arg(path, writer.errorString()) << '\n';
        return CliCommand::Failure;
    }
    const QString done = Cli::tr("Wrote %1 frames to %2 (%3); %4 records skipped")
                             .arg(writer.frameCount())
                             .arg(path, RecordingReader::formatName(to))
                             .arg(summary.skippedLines);
    if (writer.framesWithoutBus() > 0)
        err << Cli::tr("%1 frames of buses other than the first were written without their bus")
                   .arg(writer.framesWithoutBus())
            << '\n';
    if (writer.clampedFrames() > 0)
        err << Cli::tr("%1 frames stamped before the first one were written at its time")
                   .arg(writer.clampedFrames())
            << '\n';
    if (!read) {
        // A recording broken part way, as a logger leaves it when its power fails: the frames
        // before the break are written, but the conversion is not complete.
        err << readError << '\n' << done << '\n';
        return CliCommand::Failure;
    }
    out << done << '\n';
    return CliCommand::Success;
}
