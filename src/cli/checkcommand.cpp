#include "buscheck/buschecker.h"
#include "buscheck/checkreport.h"
#include "cli/buscheckcommands.h"
#include "cli/buspasses.h"
#include "cli/cli.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/dbcoption.h"
#include "cli/recordingdecoder.h"
#include "cli/schemebuses.h"
#include "model/abstractdisplayableitem.h"
#include "util/savefile.h"

#include <QCommandLineParser>

#include <map>
#include <memory>

using namespace BusCheckCommands;

namespace {

// Checking a recording bus by bus: each bus against the scheme's units on it, through a decoder
// and a checker of its own. The checkers stay for the report; the decoders go with their pass.
class CheckRun
{
public:
    CheckRun(const Stretch &stretch, const BusChecker::Settings &settings,
             const CanDeviceFactory::Databases &databases)
        : m_stretch(stretch)
        , m_settings(settings)
        , m_databases(databases)
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
            m_decoder = newDecoder();
        return scheme.check(m_decoder.get(), m_databases, &error);
    }

    bool begin(quint8 bus)
    {
        if (!m_decoder) {
            m_decoder = newDecoder();
            const QByteArray content = scheme.contentFor(bus, bus == passes.buses().constFirst());
            if (!content.isEmpty() && !m_decoder->loadScheme(content, scheme.path(), &error))
                return false;
        }
        m_decoder->setAutoDetect(false);
        receiveAll(m_decoder->devices());
        Checked &checked = m_checked[bus];
        checked.checker = std::make_unique<BusChecker>();
        checked.checker->setSettings(m_settings);
        checked.checker->setDevices(m_decoder->devices());
        checked.stretch = m_stretch;
        m_current = &checked;
        return true;
    }

    void take(const QVector<TimedFrame> &frames)
    {
        BusChecker *checker = m_current->checker.get();
        play(frames, passes.originUs(), m_decoder.get(), &m_current->stretch,
             [checker](const TimedFrame &frame, AbstractDisplayableItem *item) {
                 checker->take(frame.message, frame.timeUs, item);
             });
    }

    bool end(quint8)
    {
        const Stretch &s = m_current->stretch;
        if (s.firstUs >= 0) {
            m_current->checker->finish(s.lastUs);
            if (m_firstUs < 0 || s.firstUs < m_firstUs)
                m_firstUs = s.firstUs;
            m_lastUs = qMax(m_lastUs, s.lastUs);
        }
        m_decoder.reset();
        return true;
    }

    bool checkedAny() const { return m_firstUs >= 0; }

    // Buses that gave no frame of the stretch, the recording's or the scheme's: their units are
    // missing all along.
    bool checkSilentBuses()
    {
        for (const quint8 bus : scheme.buses()) {
            if (passes.keeps(bus) && !m_checked.count(bus) && (!begin(bus) || !end(bus)))
                return false;
        }
        for (auto &checked : m_checked) {
            if (checked.second.stretch.firstUs >= 0)
                continue;
            checked.second.checker->start(m_firstUs);
            checked.second.checker->finish(m_lastUs);
        }
        return true;
    }

    CheckReport::Source source(const QString &recording) const
    {
        return {recording, scheme.path(), m_firstUs, m_lastUs};
    }

    // The checkers by bus: one unnamed for a recording of one bus checked against a scheme of
    // one bus, as the report always was.
    QVector<CheckReport::Bus> buses() const
    {
        QVector<CheckReport::Bus> list;
        const bool named = passes.namesBuses() || m_checked.size() > 1;
        for (const auto &checked : m_checked)
            list.append(
                {named ? passes.busName(checked.first) : QString(), checked.second.checker.get()});
        return list;
    }

private:
    std::unique_ptr<RecordingDecoder> newDecoder() const
    {
        auto decoder = std::make_unique<RecordingDecoder>();
        decoder->setDbcDatabases(m_databases);
        return decoder;
    }

    struct Checked
    {
        std::unique_ptr<BusChecker> checker;
        Stretch stretch;
    };
    const Stretch m_stretch;
    const BusChecker::Settings m_settings;
    const CanDeviceFactory::Databases m_databases;
    std::unique_ptr<RecordingDecoder> m_decoder;
    std::map<quint8, Checked> m_checked;
    Checked *m_current = nullptr;
    qint64 m_firstUs = -1;
    qint64 m_lastUs = -1;
};

QString reportText(const QVector<CheckReport::Bus> &buses, const CheckReport::Source &source)
{
    if (buses.size() == 1 && buses.constFirst().name.isEmpty())
        return CheckReport::text(*buses.constFirst().checker, source);
    QString text;
    for (const CheckReport::Bus &bus : buses) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += Cli::tr("Bus %1").arg(bus.name) + QLatin1Char('\n')
                + CheckReport::text(*bus.checker, source);
    }
    return text;
}

} // namespace

int runCheckCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("check");
    QCommandLineParser parser;
    parser.setApplicationDescription(Cli::tr(
        "Plays a recording against an expected scheme (one \"learn\" made, or any scheme) and "
        "lists every deviation with its start and end in seconds from the recording's first "
        "frame: units missing, silent or at another address, functions late or too fast, "
        "unexpected units and groups, values out of range or flagged as errors, trouble codes, "
        "transport sessions aborted or timed out, and the bus load above its limit. Nothing is "
        "sent. Exits with 0 when the bus matches, 1 when it deviates."));
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"),
        Cli::tr("The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)"));
    const QCommandLineOption scheme(QStringLiteral("scheme"), Cli::tr("The expected scheme"),
                                    Cli::tr("FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  Cli::tr("Also write the deviations as JSON to this file"),
                                  Cli::tr("FILE"));
    const QCommandLineOption junit(
        QStringLiteral("junit"),
        Cli::tr("Also write a JUnit XML file: one test case per unit and function"),
        Cli::tr("FILE"));
    const QCommandLineOption bitrate(QStringLiteral("bitrate"),
                                     Cli::tr("The bus's bit rate (default 250000)"),
                                     Cli::tr("BIT/S"), QStringLiteral("250000"));
    const QCommandLineOption loadLimit(QStringLiteral("load-limit"),
                                       Cli::tr("The highest bus load of a second (default 80)"),
                                       Cli::tr("PERCENT"), QStringLiteral("80"));
    const QCommandLineOption bus = BusSelection::keptOption();
    parser.addOptions({scheme, json, junit, bitrate, loadLimit, bus});
    parser.addOptions(stretchOptions());
    parser.addOptions(DbcOption::options());
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    if (!parser.isSet(scheme))
        return CliCommand::usageError(command, Cli::tr("--scheme FILE is missing"), err);
    BusChecker::Settings settings;
    bool ok = false;
    settings.bitrate = parser.value(bitrate).toInt(&ok);
    if (!ok || settings.bitrate < 1000 || settings.bitrate > 8000000)
        return CliCommand::usageError(command,
                                      Cli::tr("the bit rate must be a number of bit/s, not \"%1\"")
                                          .arg(parser.value(bitrate)),
                                      err);
    settings.loadLimitPercent = parser.value(loadLimit).toDouble(&ok);
    if (!ok || settings.loadLimitPercent <= 0)
        return CliCommand::usageError(
            command,
            Cli::tr("the load limit must be a percentage, not \"%1\"").arg(parser.value(loadLimit)),
            err);
    Stretch stretch;
    if (!readStretch(parser, command, &stretch, err, &exitCode))
        return exitCode;

    CanDeviceFactory::Databases databases;
    if (!DbcOption::read(parser, command, &databases, err, &exitCode))
        return exitCode;
    CheckRun run(stretch, settings, databases);
    if (!run.passes.readOption(parser, bus, command, err, &exitCode))
        return exitCode;
    ConsoleProgress progress(parser);
    run.passes.setProgress(&progress);
    if (!run.prepare(parser.value(scheme))) {
        err << run.error << '\n';
        return CliCommand::Failure;
    }
    // Units without a bus are on the first bus: known ahead, or guessed and checked again when a
    // lower bus turns up (a bus's begin starts its checker and decoder afresh).
    run.passes.setBusesFirst(true);
    run.passes.setFirstBusGuessed(true);
    const QString recording = parser.positionalArguments().constFirst();
    if (!run.passes.run(
            recording, [&run](quint8 b) { return run.begin(b); },
            [&run](const QVector<TimedFrame> &frames) {
                run.take(frames);
                return true;
            },
            [&run](quint8 b) { return run.end(b); }, &run.error, &err)) {
        err << run.error << '\n';
        return CliCommand::Failure;
    }
    if (!run.checkedAny()) {
        err << Cli::tr("%1 holds no frames in the chosen stretch").arg(recording) << '\n';
        return CliCommand::Failure;
    }
    if (!run.checkSilentBuses()) {
        err << run.error << '\n';
        return CliCommand::Failure;
    }
    const CheckReport::Source source = run.source(recording);
    const QVector<CheckReport::Bus> buses = run.buses();
    out << reportText(buses, source);
    const QList<QPair<QString, QByteArray>> files{
        {parser.value(json), parser.isSet(json) ? CheckReport::json(buses, source) : QByteArray()},
        {parser.value(junit),
         parser.isSet(junit) ? CheckReport::junit(buses, source) : QByteArray()}};
    QString error;
    for (const auto &file : files) {
        if (file.first.isEmpty())
            continue;
        if (!SaveFile::write(file.first, file.second, &error)) {
            err << Cli::tr("Cannot write %1: %2").arg(file.first, error) << '\n';
            return CliCommand::Failure;
        }
    }
    int faults = 0;
    for (const CheckReport::Bus &b : buses)
        faults += b.checker->faultCount();
    return faults == 0 ? CliCommand::Success : CliCommand::Failure;
}
