#include "cli/snapshotscommand.h"

#include "cli/buspasses.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/dbcoption.h"
#include "cli/recordingdecoder.h"
#include "cli/schemebuses.h"
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
#include <memory>

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

// Plays the recording through the collector and the decoder, a pass per bus (a unit is its bus
// and address), samples every unit's parameters on the recording's clock and writes each
// snapshot as it completes; the numbers go on from bus to bus.
class SnapshotRun
{
public:
    SnapshotRun(const QString &dir, qint64 beforeUs, qint64 afterUs,
                const CanDeviceFactory::Databases &databases, QTextStream &out)
        : m_writer(dir)
        , m_databases(databases)
        , m_beforeUs(beforeUs)
        , m_afterUs(afterUs)
        , m_out(out)
    {}

    BusPasses passes;
    SchemeBuses scheme;
    QString error;

    // Reads the scheme and checks it before the recording is read; a scheme of one bus is
    // loaded at once for the first bus.
    bool prepare(const QString &path)
    {
        if (!scheme.read(path, &error))
            return false;
        if (scheme.buses().isEmpty())
            m_bus = newBus();
        return scheme.check(m_bus ? &m_bus->decoder : nullptr, m_databases, &error);
    }

    bool begin(quint8 bus)
    {
        if (!m_bus) {
            m_bus = newBus();
            const QByteArray content
                = scheme.path().isEmpty()
                      ? QByteArray()
                      : scheme.contentFor(bus, bus == passes.buses().constFirst());
            if (!content.isEmpty() && !m_bus->decoder.loadScheme(content, scheme.path(), &error))
                return false;
        }
        if (!scheme.path().isEmpty())
            m_bus->decoder.setAutoDetect(false);
        m_bus->decoder.setCoalescing(true);
        m_bus->collector.setWindow(m_beforeUs, m_afterUs);
        m_bus->parameters.setSpan(m_beforeUs + m_afterUs + SampleIntervalUs);
        m_busName = passes.namesBuses() ? passes.busName(bus) : QString();
        m_writer.setBusName(m_busName);
        return true;
    }

    bool take(const TimedFrame &frame)
    {
        Bus &b = *m_bus;
        if (!b.started) {
            b.started = true;
            // Samples on whole tenths of the clock, so a table's times read plainly.
            b.nextSampleUs = frame.timeUs - frame.timeUs % SampleIntervalUs
                             + (frame.timeUs % SampleIntervalUs ? SampleIntervalUs : 0);
        }
        sampleBefore(frame.timeUs, false);
        b.collector.take(frame);
        if (b.collector.hasCompleted() && !writeCompleted())
            return false;
        DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
        b.decoder.feed(frame, &result);
        b.lastUs = std::max(b.lastUs, frame.timeUs);
        return true;
    }

    bool end(quint8)
    {
        sampleBefore(m_bus->lastUs, true);
        m_bus->collector.finish();
        if (!writeCompleted())
            return false;
        for (const CodeWatcher::Change &c : m_bus->collector.takeBaselines())
            m_baselines.append({m_busName, c});
        m_skipped += m_bus->collector.skipped();
        m_limit = m_bus->collector.limit();
        m_bus.reset();
        return true;
    }

    void reportBaselines()
    {
        for (const auto &baseline : qAsConst(m_baselines)) {
            const CodeWatcher::Change &c = baseline.second;
            QStringList codes;
            for (const CodeWatcher::Code &code : c.codesAfter)
                codes << Cli::tr("SPN %1 FMI %2 (OC %3)").arg(code.spn).arg(code.fmi).arg(code.oc);
            const QString unit
                = SnapshotWriter::unitText(c.source, J1939PreferredAddresses::name(c.source));
            m_out << Cli::tr("%1 had active codes from its first DM1: %2")
                         .arg(onBus(unit, baseline.first), codes.join(QStringLiteral(", ")))
                  << '\n';
        }
        if (m_skipped > 0)
            m_out << Cli::tr("%1 more changes made no snapshot: the limit is %2")
                         .arg(m_skipped)
                         .arg(m_limit)
                  << '\n';
    }

    int written() const { return m_written; }
    QString directory() const { return m_writer.directory(); }

private:
    // What one bus's pass keeps.
    struct Bus
    {
        RecordingDecoder decoder;
        SnapshotCollector collector;
        ParameterRing parameters;
        bool started = false;
        qint64 lastUs = std::numeric_limits<qint64>::min();
        qint64 nextSampleUs = 0;
    };

    std::unique_ptr<Bus> newBus() const
    {
        auto bus = std::make_unique<Bus>();
        bus->decoder.setDbcDatabases(m_databases);
        return bus;
    }

    static QString onBus(const QString &unit, const QString &bus)
    {
        return bus.isEmpty() ? unit : Cli::tr("%1 on %2").arg(unit, bus);
    }

    void sampleBefore(qint64 nowUs, bool inclusive)
    {
        Bus &b = *m_bus;
        // Only the samples a window can reach are worth taking after a long gap.
        const qint64 reach = b.parameters.spanUs();
        if (nowUs - b.nextSampleUs > reach)
            b.nextSampleUs
                += (nowUs - b.nextSampleUs - reach) / SampleIntervalUs * SampleIntervalUs;
        if (b.nextSampleUs > nowUs || (b.nextSampleUs == nowUs && !inclusive))
            return;
        b.decoder.settle();
        for (; b.nextSampleUs < nowUs || (inclusive && b.nextSampleUs == nowUs);
             b.nextSampleUs += SampleIntervalUs)
            sample(b.nextSampleUs);
    }

    void sample(qint64 timeUs)
    {
        for (const AbstractDisplayableItem *device : m_bus->decoder.devices()) {
            quint8 source = 0;
            if (!j1939Address(device, &source))
                continue;
            Columns columns;
            collectValues(device, &columns);
            m_bus->parameters.setColumns(source, columns.names, columns.units);
            m_bus->parameters.append(source, timeUs, columns.values);
        }
    }

    QString unitName(quint8 source) const
    {
        if (!scheme.path().isEmpty()) {
            for (const AbstractDisplayableItem *device : m_bus->decoder.devices()) {
                quint8 sa = 0;
                if (j1939Address(device, &sa) && sa == source && !device->name().isEmpty())
                    return device->name();
            }
        }
        return J1939PreferredAddresses::name(source);
    }

    bool writeCompleted()
    {
        for (const Snapshot &s : m_bus->collector.takeCompleted()) {
            SnapshotWriter::Written w;
            const QString name = SnapshotWriter::unitText(s.source, unitName(s.source));
            if (!m_writer.write(s, name, m_bus->parameters.samples(s.source, s.fromUs, s.toUs),
                                &w)) {
                error = m_writer.errorString();
                return false;
            }
            ++m_written;
            m_out << Cli::tr("%1  %2 s  %3: %4 (%5 frames%6)")
                         .arg(w.dir)
                         .arg(double(s.timeUs - passes.originUs()) / 1e6, 0, 'f', 3)
                         .arg(onBus(name, m_busName), s.change)
                         .arg(s.frames.size())
                         .arg(s.complete ? QString() : Cli::tr(", incomplete"))
                  << '\n';
        }
        return true;
    }

    SnapshotWriter m_writer;
    const CanDeviceFactory::Databases m_databases;
    qint64 m_beforeUs;
    qint64 m_afterUs;
    QTextStream &m_out;
    std::unique_ptr<Bus> m_bus;
    QString m_busName; // empty while buses are not told apart
    QVector<QPair<QString, CodeWatcher::Change>> m_baselines;
    int m_skipped = 0;
    int m_limit = 0;
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
    const QCommandLineOption bus = BusSelection::keptOption();
    parser.addOptions({output, before, after, scheme, bus});
    parser.addOptions(DbcOption::options());
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

    CanDeviceFactory::Databases databases;
    if (!DbcOption::read(parser, command, &databases, err, &exitCode))
        return exitCode;
    const QString dir = QDir(parser.value(output)).filePath(QStringLiteral("snapshots"));
    SnapshotRun run(dir, beforeUs, afterUs, databases, out);
    if (!run.passes.readOption(parser, bus, command, err, &exitCode))
        return exitCode;
    ConsoleProgress progress(parser);
    run.passes.setProgress(&progress);
    if (parser.isSet(scheme)) {
        // The scheme is checked before the recording is read.
        if (!run.prepare(parser.value(scheme))) {
            err << run.error << '\n';
            return CliCommand::Failure;
        }
    }
    // Snapshots name their bus as they are written: the buses are known ahead.
    run.passes.setBusesFirst(true);
    const auto sink = [&run](const QVector<TimedFrame> &frames) {
        for (const TimedFrame &f : frames) {
            if (!run.take(f))
                return false;
        }
        return true;
    };
    if (!run.passes.run(
            positional.constFirst(), [&run](quint8 b) { return run.begin(b); }, sink,
            [&run](quint8 b) { return run.end(b); }, &run.error, &err)) {
        err << run.error << '\n';
        return CliCommand::Failure;
    }
    run.reportBaselines();
    out << Cli::tr("%1 snapshots written to %2")
               .arg(run.written())
               .arg(QDir::toNativeSeparators(run.directory()))
        << '\n';
    if (run.passes.skippedLines() > 0)
        err << Cli::tr("%1 lines of the recording were not frames and were skipped")
                   .arg(run.passes.skippedLines())
            << '\n';
    return CliCommand::Success;
}
