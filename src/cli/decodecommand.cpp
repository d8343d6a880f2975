#include "cli/decodecommand.h"

#include "app/parameterlog.h"
#include "cli/clicommand.h"
#include "cli/csvoutput.h"
#include "cli/eventrowwriter.h"
#include "cli/paralleldecode.h"
#include "cli/recordingdecoder.h"
#include "cli/recordingsource.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryFile>

#include <optional>

namespace {

constexpr int DefaultPeriodMs = 1000;

// The items of a scheme in the parameter log's order: depth-first, parents first.
void collectItems(AbstractDisplayableItem *item, QList<AbstractDisplayableItem *> *items)
{
    items->append(item);
    for (AbstractDisplayableItem *child : item->children())
        collectItems(child, items);
}

// The parameter log's columns for the scheme's items: those under the filter mark, as the
// window logs them, or every item when none is marked.
QList<ParameterLog::Column> schemeColumns(const QList<AbstractDisplayableItem *> &devices)
{
    QList<AbstractDisplayableItem *> items;
    for (AbstractDisplayableItem *device : devices)
        collectItems(device, &items);
    bool anyMarked = false;
    for (const AbstractDisplayableItem *item : qAsConst(items))
        anyMarked = anyMarked || item->isFiltered();
    QList<ParameterLog::Column> columns;
    for (AbstractDisplayableItem *item : qAsConst(items)) {
        if (!anyMarked || item->isFiltered())
            ParameterLog::appendColumns(item, AbstractSchemeTreeItem::uniqueKeyOf(item), &columns);
    }
    return columns;
}

// Samples every parameter at each period of recording time; columns of items detected later are
// added at the right and the earlier records padded, so every record has the header's width.
// Records wait in a temporary file until the header is known, so memory does not grow with the
// recording's length.
class SampledLog
{
public:
    SampledLog(qint64 startUs, qint64 periodMs)
        : m_startMs(startUs / 1000)
        , m_periodMs(periodMs)
        , m_nextMs(m_startMs + periodMs)
    {}

    QList<ParameterLog::Column> columns;

    bool open(QString *error)
    {
        if (m_records.open())
            return true;
        *error = Cli::tr("Cannot write a temporary file: %1").arg(m_records.errorString());
        return false;
    }

    bool due(qint64 nowMs, bool inclusive) const
    {
        return m_nextMs < nowMs || (inclusive && m_nextMs == nowMs);
    }

    // Takes the records due before `nowMs` (and at it, for the last frame): a record shows the
    // values of the frames up to and including its time.
    void advance(qint64 nowMs, bool inclusive)
    {
        for (; due(nowMs, inclusive); m_nextMs += m_periodMs) {
            QByteArray line = ParameterLog::recordLine(m_nextMs - m_startMs, columns);
            line.chop(1);
            // Each record is its width, then the line.
            const qint32 width = qint32(columns.size());
            m_records.write(reinterpret_cast<const char *>(&width), sizeof width);
            const qint32 size = qint32(line.size());
            m_records.write(reinterpret_cast<const char *>(&size), sizeof size);
            m_records.write(line);
        }
    }

    bool write(CsvOutput &output, QString *error)
    {
        output.write(ParameterLog::headerLine(columns));
        const int width = int(columns.size());
        if (!m_records.seek(0)) {
            *error = Cli::tr("Cannot read a temporary file: %1").arg(m_records.errorString());
            return false;
        }
        qint32 header[2];
        while (m_records.read(reinterpret_cast<char *>(header), sizeof header) == sizeof header) {
            QByteArray line = m_records.read(header[1]);
            line.append(width - header[0], ',');
            line.append('\n');
            output.write(line);
        }
        return true;
    }

private:
    qint64 m_startMs;
    qint64 m_periodMs;
    qint64 m_nextMs;
    QTemporaryFile m_records;
};

} // namespace

int decodeRecording(const DecodeOptions &options, const QString &recording,
                    const QString &outputPath, QTextStream &out, QTextStream &err)
{
    // The recording is streamed: the decoder and the output are set up at its first frames, so a
    // file that cannot be read or holds no frames fails before anything is written.
    RecordingDecoder decoder;
    decoder.setSupervised(options.everyFrame);
    CsvOutput csv(out);
    std::optional<EventRowWriter> rows;
    std::optional<SampledLog> log;
    qint64 lastUs = 0;
    QString error;
    const auto start = [&](qint64 startUs) {
        if (!options.scheme.isEmpty()) {
            if (!decoder.loadScheme(options.scheme, &error))
                return false;
            decoder.setAutoDetect(false);
        }
        if (!csv.open(outputPath)) {
            error = Cli::tr("Cannot write %1: %2").arg(outputPath, csv.errorString());
            return false;
        }
        if (options.events) {
            rows.emplace(startUs);
            csv.write(EventRowWriter::headerLine());
            return true;
        }
        decoder.setCoalescing(!options.everyFrame);
        log.emplace(startUs, options.periodMs);
        if (!log->open(&error))
            return false;
        log->columns = schemeColumns(decoder.devices());
        decoder.setItemObserver([&log](AbstractDisplayableItem *item) {
            ParameterLog::appendColumns(item, AbstractSchemeTreeItem::uniqueKeyOf(item),
                                        &log->columns);
        });
        return true;
    };
    const auto decode = [&](const QVector<TimedFrame> &frames) {
        if (!rows && !log && !start(frames.constFirst().timeUs))
            return false;
        if (rows) {
            decoder.play(frames, [&](const TimedFrame &frame, const DispatchResult &result) {
                if (rows->take(frame, result))
                    csv.write(rows->takeBlock());
            });
        } else {
            for (const TimedFrame &frame : frames) {
                if (log->due(frame.timeUs / 1000, false))
                    decoder.settle();
                log->advance(frame.timeUs / 1000, false);
                DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
                decoder.feed(frame, &result);
            }
        }
        lastUs = frames.constLast().timeUs;
        return true;
    };
    RecordingSource::StreamSummary summary;
    if (!RecordingSource::stream(recording, decode, &summary, &error, &err)) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    if (rows) {
        csv.write(rows->takeBlock());
    } else {
        decoder.settle();
        log->advance(lastUs / 1000, true);
        if (!log->write(csv, &error)) {
            err << error << '\n';
            return CliCommand::Failure;
        }
    }
    if (!csv.finish()) {
        err << Cli::tr("Cannot write %1: %2").arg(outputPath, csv.errorString()) << '\n';
        return CliCommand::Failure;
    }
    if (summary.skippedLines > 0)
        err << Cli::tr("%1 lines of the recording were not frames and were skipped")
                   .arg(summary.skippedLines)
            << '\n';
    return CliCommand::Success;
}

int runDecodeCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("decode");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Cli::tr("Plays a recording through the decoder as fast as it goes and writes the parameter "
                "log's CSV, sampled every period of recording time, or one row per decoded "
                "parameter with --events. Several recordings are decoded one output each, "
                "into the directory named by -o, with -j of them at once."));
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"),
        Cli::tr("The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)"),
        QStringLiteral("RECORDING..."));
    const QCommandLineOption scheme(
        QStringLiteral("scheme"),
        Cli::tr("Decode with the devices of this scheme file instead of "
                "those auto-detection makes"),
        Cli::tr("FILE"));
    const QCommandLineOption period(
        QStringLiteral("period"), Cli::tr("Sampling period in ms of recording time (default 1000)"),
        Cli::tr("MS"), QString::number(DefaultPeriodMs));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        Cli::tr("Write the CSV to this file instead of standard output; with several recordings, "
                "the directory for their CSV files"),
        Cli::tr("FILE"));
    const QCommandLineOption events(QStringLiteral("events"),
                                    Cli::tr("One row per decoded parameter of every message"));
    const QCommandLineOption jobs({QStringLiteral("j"), QStringLiteral("jobs")},
                                  Cli::tr("Recordings decoded at once, each by a process of its "
                                          "own (default 1)"),
                                  Cli::tr("N"), QStringLiteral("1"));
    const QCommandLineOption everyFrame(
        QStringLiteral("every-frame"),
        Cli::tr("Decode every frame the way the window does, with its supervision (slower; the "
                "output is the same)"));
    parser.addOptions({scheme, period, output, events, jobs, everyFrame});
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    const QStringList recordings = parser.positionalArguments();
    if (recordings.isEmpty())
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    bool ok = false;
    DecodeOptions options;
    options.periodMs = parser.value(period).toInt(&ok);
    if (!ok || options.periodMs <= 0)
        return CliCommand::usageError(
            command,
            Cli::tr("the period must be a positive number of ms, not \"%1\"")
                .arg(parser.value(period)),
            err);
    if (parser.isSet(events) && parser.isSet(period))
        return CliCommand::usageError(command, Cli::tr("--events and --period exclude each other"),
                                      err);
    options.events = parser.isSet(events);
    options.periodSet = parser.isSet(period);
    options.scheme = parser.value(scheme);
    options.everyFrame = parser.isSet(everyFrame);
    const int jobCount = parser.value(jobs).toInt(&ok);
    if (!ok || jobCount < 1 || jobCount > ParallelDecode::JobLimit)
        return CliCommand::usageError(command,
                                      Cli::tr("the jobs must be a number from 1 to %1, not \"%2\"")
                                          .arg(ParallelDecode::JobLimit)
                                          .arg(parser.value(jobs)),
                                      err);
    if (recordings.size() == 1)
        return decodeRecording(options, recordings.constFirst(), parser.value(output), out, err);
    if (!parser.isSet(output))
        return CliCommand::usageError(
            command, Cli::tr("several recordings need -o DIRECTORY for their CSV files"), err);
    return ParallelDecode::run(options, recordings, parser.value(output), jobCount, out, err);
}
