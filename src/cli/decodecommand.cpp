#include "cli/decodecommand.h"

#include "app/parameterlog.h"
#include "cli/buspasses.h"
#include "cli/busrowmerge.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/csvoutput.h"
#include "cli/dbcoption.h"
#include "cli/eventrowwriter.h"
#include "cli/paralleldecode.h"
#include "cli/recordingdecoder.h"
#include "cli/sampledlog.h"
#include "cli/schemebuses.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <map>
#include <memory>
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

// The columns of an item detected while decoding, added as the window's log adds them.
void appendItemColumns(AbstractDisplayableItem *item, QList<ParameterLog::Column> *columns)
{
    ParameterLog::appendColumns(item, AbstractSchemeTreeItem::uniqueKeyOf(item), columns);
}

// One recording's decoding: a pass per bus, each bus through a decoder of its own (a unit is
// its bus and address); with one bus, one pass and the output as it always was. The recording
// is streamed: the decoder and the output are set up at the first frames, so a file that cannot
// be read or holds no frames fails before anything is written.
class DecodeRun
{
public:
    DecodeRun(const DecodeOptions &options, const QString &outputPath, QTextStream &out)
        : m_options(options)
        , m_outputPath(outputPath)
        , m_csv(out)
    {}

    BusPasses passes;
    QString error;

    bool begin(quint8 bus)
    {
        m_decoder = std::make_unique<RecordingDecoder>();
        m_decoder->setSupervised(m_options.everyFrame);
        m_decoder->setDbcDatabases(m_options.databases);
        if (!m_options.scheme.isEmpty() && !loadScheme(bus))
            return false;
        if (!m_opened) {
            if (!m_csv.open(m_outputPath)) {
                error = Cli::tr("Cannot write %1: %2").arg(m_outputPath, m_csv.errorString());
                return false;
            }
            m_opened = true;
            if (m_options.events)
                m_csv.write(EventRowWriter::headerLine(passes.namesBuses()));
        }
        if (m_options.events) {
            // The buses are known ahead for events: their header names the bus or not.
            m_rows.emplace(passes.originUs(),
                           passes.namesBuses() ? passes.busName(bus) : QString());
            if (passes.buses().size() > 1 && !m_merge)
                m_merge = std::make_unique<BusRowMerge>();
            return !m_merge || m_merge->startBus(&error);
        }
        m_decoder->setCoalescing(!m_options.everyFrame);
        auto log = std::make_unique<SampledLog>(passes.originUs(), m_options.periodMs);
        if (!log->open(&error))
            return false;
        log->columns = schemeColumns(m_decoder->devices());
        SampledLog *kept = log.get();
        m_decoder->setItemObserver(
            [kept](AbstractDisplayableItem *item) { appendItemColumns(item, &kept->columns); });
        m_log = kept;
        m_logs[bus] = std::move(log);
        return true;
    }

    bool take(const QVector<TimedFrame> &frames)
    {
        if (m_rows) {
            m_decoder->play(frames, [this](const TimedFrame &frame, const DispatchResult &result) {
                const int before = m_rows->blockSize();
                const bool full = m_rows->take(frame, result);
                if (m_merge && m_rows->blockSize() > before)
                    m_frameRows.append({frame.timeUs, m_rows->blockSize()});
                if (full)
                    writeRows();
            });
            return true;
        }
        for (const TimedFrame &frame : frames) {
            if (m_log->due(frame.timeUs / 1000, false))
                m_decoder->settle();
            m_log->advance(frame.timeUs / 1000, false);
            DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
            m_decoder->feed(frame, &result);
        }
        return true;
    }

    bool end(quint8)
    {
        if (m_rows) {
            writeRows();
            m_rows.reset();
        } else {
            // Every bus's log ends with the recording, so their records line up.
            m_decoder->settle();
            m_log->advance(passes.endUs() / 1000, true);
        }
        m_decoder.reset();
        return true;
    }

    bool finish()
    {
        if (m_merge)
            return m_merge->write(m_csv, &error);
        if (m_options.events)
            return true;
        if (!passes.namesBuses())
            return m_logs.cbegin()->second->write(m_csv, &error);
        QVector<SampledLog *> logs;
        QStringList prefixes;
        for (const auto &log : m_logs) {
            logs.append(log.second.get());
            prefixes.append(passes.busName(log.first) + QLatin1Char(':'));
        }
        return SampledLog::write(m_csv, logs, prefixes, &error);
    }

    bool finishOutput()
    {
        if (m_csv.finish())
            return true;
        error = Cli::tr("Cannot write %1: %2").arg(m_outputPath, m_csv.errorString());
        return false;
    }

private:
    bool loadScheme(quint8 bus)
    {
        if (m_scheme.path().isEmpty() && !m_scheme.read(m_options.scheme, &error))
            return false;
        m_decoder->setAutoDetect(false);
        const QByteArray content = m_scheme.contentFor(bus, bus == passes.buses().constFirst());
        return content.isEmpty() || m_decoder->loadScheme(content, m_options.scheme, &error);
    }

    // The rows gathered go out, or to their bus's file, each frame's tagged with its time.
    void writeRows()
    {
        const QByteArray block = m_rows->takeBlock();
        if (!m_merge) {
            m_csv.write(block);
            return;
        }
        int from = 0;
        for (const auto &frame : qAsConst(m_frameRows)) {
            m_merge->append(frame.first, block.constData() + from, frame.second - from);
            from = frame.second;
        }
        m_frameRows.clear();
    }

    const DecodeOptions &m_options;
    QString m_outputPath;
    CsvOutput m_csv;
    bool m_opened = false;
    SchemeBuses m_scheme;
    std::unique_ptr<RecordingDecoder> m_decoder;
    std::optional<EventRowWriter> m_rows;
    std::unique_ptr<BusRowMerge> m_merge;
    // The end of each frame's rows in the block, with the frame's time.
    QVector<QPair<qint64, int>> m_frameRows;
    std::map<quint8, std::unique_ptr<SampledLog>> m_logs;
    SampledLog *m_log = nullptr;
};

} // namespace

int decodeRecording(const DecodeOptions &options, const QString &recording,
                    const QString &outputPath, QTextStream &out, QTextStream &err)
{
    DecodeRun run(options, outputPath, out);
    if (!run.passes.keepBuses(options.buses, &run.error)) {
        err << run.error << '\n';
        return CliCommand::UsageError;
    }
    // Events are written as they come, so their header must know the buses ahead; a scheme's
    // units without a bus go to the first bus, known ahead too.
    run.passes.setBusesFirst(options.events || !options.scheme.isEmpty());
    run.passes.setProgress(options.progress);
    const bool decoded = run.passes.run(
        recording, [&run](quint8 bus) { return run.begin(bus); },
        [&run](const QVector<TimedFrame> &frames) { return run.take(frames); },
        [&run](quint8 bus) { return run.end(bus); }, &run.error, &err);
    if (!decoded || !run.finish() || !run.finishOutput()) {
        err << run.error << '\n';
        return CliCommand::Failure;
    }
    if (run.passes.skippedLines() > 0)
        err << Cli::tr("%1 lines of the recording were not frames and were skipped")
                   .arg(run.passes.skippedLines())
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
                                  Cli::tr("Recordings decoded at once, each by a thread of its "
                                          "own (default 1)"),
                                  Cli::tr("N"), QStringLiteral("1"));
    const QCommandLineOption everyFrame(
        QStringLiteral("every-frame"),
        Cli::tr("Decode every frame the way the window does, with its supervision (slower; the "
                "output is the same)"));
    const QCommandLineOption bus = BusSelection::keptOption();
    parser.addOptions({scheme, period, output, events, jobs, everyFrame, bus});
    parser.addOptions(DbcOption::options());
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
    options.buses = parser.values(bus);
    if (!DbcOption::read(parser, command, &options.databases, err, &exitCode))
        return exitCode;
    QString busError;
    if (!BusPasses().keepBuses(options.buses, &busError))
        return CliCommand::usageError(command, busError, err);
    ConsoleProgress progress(parser);
    options.progress = &progress;
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
