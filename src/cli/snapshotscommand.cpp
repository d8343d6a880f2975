#include "cli/snapshotscommand.h"

#include "cli/clicommand.h"
#include "cli/recordingdecoder.h"
#include "cli/recordingsource.h"
#include "descriptions/j1939preferredaddresses.h"
#include "job/parameterring.h"
#include "job/snapshotcollector.h"
#include "job/snapshotwriter.h"
#include "model/abstractdisplayableitem.h"
#include "model/itemaddress.h"
#include "model/zxparameter.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 SampleIntervalUs = 100 * 1000;
constexpr double MaxWindowS = 300;

struct Columns
{
    QStringList names;
    QStringList units;
    QVector<double> values;
};

bool isNumeric(const ZxParameter *p)
{
    return p->type() == ZxParameter::Int || p->type() == ZxParameter::Float
           || p->type() == ZxParameter::Bool;
}

// A device's numeric parameters and their values now, its functions' after its own.
void collectValues(const AbstractDisplayableItem *item, Columns *columns)
{
    const bool awaits = item->awaitsData();
    for (const ZxParameter *p : item->parameters()) {
        if (p->isHidden() || !isNumeric(p))
            continue;
        QString name = p->name();
        for (int n = 2; columns->names.contains(name); ++n)
            name = QStringLiteral("%1 #%2").arg(p->name()).arg(n);
        columns->names << name;
        columns->units << p->suffix().trimmed();
        bool ok = false;
        const double v = p->variantValue().toDouble(&ok);
        columns->values << (ok && !awaits && p->isValid()
                                ? v
                                : std::numeric_limits<double>::quiet_NaN());
    }
    for (const AbstractDisplayableItem *child : item->children())
        collectValues(child, columns);
}

bool j1939Address(const AbstractDisplayableItem *device, quint8 *source)
{
    const ItemAddress a = device->address();
    if (a.kind != ItemAddress::J1939 || a.value > 0xFF)
        return false;
    *source = quint8(a.value);
    return true;
}

// Plays the recording through the collector and the decoder, samples every unit's parameters
// on the recording's clock and writes each snapshot as it completes.
class SnapshotRun
{
public:
    SnapshotRun(const QString &dir, bool namedByScheme, QTextStream &out)
        : m_writer(dir)
        , m_namedByScheme(namedByScheme)
        , m_out(out)
    {}

    RecordingDecoder decoder;
    SnapshotCollector collector;
    ParameterRing parameters;

    bool take(const TimedFrame &frame)
    {
        if (!m_started) {
            m_started = true;
            m_startUs = frame.timeUs;
            // Samples on whole tenths of the clock, so a table's times read plainly.
            m_nextSampleUs = frame.timeUs - frame.timeUs % SampleIntervalUs
                             + (frame.timeUs % SampleIntervalUs ? SampleIntervalUs : 0);
        }
        sampleBefore(frame.timeUs, false);
        collector.take(frame);
        if (collector.hasCompleted() && !writeCompleted())
            return false;
        DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
        decoder.feed(frame, &result);
        m_lastUs = std::max(m_lastUs, frame.timeUs);
        return true;
    }

    bool finish()
    {
        sampleBefore(m_lastUs, true);
        collector.finish();
        return writeCompleted();
    }

    int written() const { return m_written; }
    QString errorString() const { return m_writer.errorString(); }
    QString directory() const { return m_writer.directory(); }

private:
    void sampleBefore(qint64 nowUs, bool inclusive)
    {
        // Only the samples a window can reach are worth taking after a long gap.
        const qint64 reach = parameters.spanUs();
        if (nowUs - m_nextSampleUs > reach)
            m_nextSampleUs
                += (nowUs - m_nextSampleUs - reach) / SampleIntervalUs * SampleIntervalUs;
        if (m_nextSampleUs > nowUs || (m_nextSampleUs == nowUs && !inclusive))
            return;
        decoder.settle();
        for (; m_nextSampleUs < nowUs || (inclusive && m_nextSampleUs == nowUs);
             m_nextSampleUs += SampleIntervalUs)
            sample(m_nextSampleUs);
    }

    void sample(qint64 timeUs)
    {
        for (const AbstractDisplayableItem *device : decoder.devices()) {
            quint8 source = 0;
            if (!j1939Address(device, &source))
                continue;
            Columns columns;
            collectValues(device, &columns);
            parameters.setColumns(source, columns.names, columns.units);
            parameters.append(source, timeUs, columns.values);
        }
    }

    QString unitName(quint8 source)
    {
        if (m_namedByScheme) {
            for (const AbstractDisplayableItem *device : decoder.devices()) {
                quint8 sa = 0;
                if (j1939Address(device, &sa) && sa == source && !device->name().isEmpty())
                    return device->name();
            }
        }
        return J1939PreferredAddresses::name(source);
    }

    bool writeCompleted()
    {
        for (const Snapshot &s : collector.takeCompleted()) {
            SnapshotWriter::Written w;
            const QString name = SnapshotWriter::unitText(s.source, unitName(s.source));
            if (!m_writer.write(s, name, parameters.samples(s.source, s.fromUs, s.toUs), &w))
                return false;
            ++m_written;
            m_out << Cli::tr("%1  %2 s  %3: %4 (%5 frames%6)")
                         .arg(w.dir)
                         .arg(double(s.timeUs - m_startUs) / 1e6, 0, 'f', 3)
                         .arg(name, s.change)
                         .arg(s.frames.size())
                         .arg(s.complete ? QString() : Cli::tr(", incomplete"))
                  << '\n';
        }
        return true;
    }

    SnapshotWriter m_writer;
    bool m_namedByScheme;
    QTextStream &m_out;
    bool m_started = false;
    qint64 m_startUs = 0;
    qint64 m_lastUs = std::numeric_limits<qint64>::min();
    qint64 m_nextSampleUs = 0;
    int m_written = 0;
};

bool secondsOption(const QCommandLineParser &parser, const QCommandLineOption &option, qint64 *us)
{
    bool ok = false;
    const double s = parser.value(option).toDouble(&ok);
    if (!ok || !std::isfinite(s) || s < 0 || s > MaxWindowS)
        return false;
    *us = qint64(std::llround(s * 1e6));
    return true;
}

} // namespace

int runSnapshotsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("snapshots");
    QCommandLineParser parser;
    parser.setApplicationDescription(Cli::tr(
        "Finds every change of a unit's active trouble codes (DM1) in a recording and writes a "
        "fault snapshot of each, as a service job keeps them: the frames from before the change "
        "to after it, the unit's decoded parameters over the same time and a small plot, in "
        "DIR/snapshots."));
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"),
        Cli::tr("The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Cli::tr("The folder to write the snapshots into (required)"),
                                    Cli::tr("DIR"));
    const QCommandLineOption before(QStringLiteral("before"),
                                    Cli::tr("Seconds kept before each change (default 10)"),
                                    Cli::tr("S"), QStringLiteral("10"));
    const QCommandLineOption after(QStringLiteral("after"),
                                   Cli::tr("Seconds kept after each change (default 5)"),
                                   Cli::tr("S"), QStringLiteral("5"));
    const QCommandLineOption scheme(
        QStringLiteral("scheme"),
        Cli::tr("Decode with the devices of this scheme file instead of "
                "those auto-detection makes"),
        Cli::tr("FILE"));
    parser.addOptions({output, before, after, scheme});
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    if (!parser.isSet(output))
        return CliCommand::usageError(command, Cli::tr("-o DIR is missing"), err);
    qint64 beforeUs = 0;
    qint64 afterUs = 0;
    if (!secondsOption(parser, before, &beforeUs) || !secondsOption(parser, after, &afterUs))
        return CliCommand::usageError(
            command,
            Cli::tr("--before and --after must be a number of seconds from 0 to %1")
                .arg(MaxWindowS),
            err);

    const QString dir = QDir(parser.value(output)).filePath(QStringLiteral("snapshots"));
    SnapshotRun run(dir, parser.isSet(scheme), out);
    QString error;
    if (parser.isSet(scheme)) {
        if (!run.decoder.loadScheme(parser.value(scheme), &error)) {
            err << error << '\n';
            return CliCommand::Failure;
        }
        run.decoder.setAutoDetect(false);
    }
    run.decoder.setCoalescing(true);
    run.collector.setWindow(beforeUs, afterUs);
    run.parameters.setSpan(beforeUs + afterUs + SampleIntervalUs);
    bool writeFailed = false;
    const auto sink = [&](const QVector<TimedFrame> &frames) {
        for (const TimedFrame &f : frames) {
            if (!run.take(f)) {
                writeFailed = true;
                return false;
            }
        }
        return true;
    };
    RecordingSource::StreamSummary summary;
    const bool read
        = RecordingSource::stream(positional.constFirst(), sink, &summary, &error, &err);
    if (!writeFailed && read && !run.finish())
        writeFailed = true;
    if (writeFailed) {
        err << run.errorString() << '\n';
        return CliCommand::Failure;
    }
    if (!read) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    for (const CodeWatcher::Change &c : run.collector.takeBaselines()) {
        QStringList codes;
        for (const CodeWatcher::Code &code : c.codesAfter)
            codes << Cli::tr("SPN %1 FMI %2 (OC %3)")
                         .arg(code.spn)
                         .arg(code.fmi)
                         .arg(code.oc);
        out << Cli::tr("%1 had active codes from its first DM1: %2")
                   .arg(SnapshotWriter::unitText(c.source, J1939PreferredAddresses::name(c.source)),
                        codes.join(QStringLiteral(", ")))
            << '\n';
    }
    if (run.collector.skipped() > 0)
        out << Cli::tr("%1 more changes made no snapshot: the limit is %2")
                   .arg(run.collector.skipped())
                   .arg(run.collector.limit())
            << '\n';
    out << Cli::tr("%1 snapshots written to %2")
               .arg(run.written())
               .arg(QDir::toNativeSeparators(run.directory()))
        << '\n';
    if (summary.skippedLines > 0)
        err << Cli::tr("%1 lines of the recording were not frames and were skipped")
                   .arg(summary.skippedLines)
            << '\n';
    return CliCommand::Success;
}
