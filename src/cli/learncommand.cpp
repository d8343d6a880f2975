#include "buscheck/buslearner.h"
#include "cli/buscheckcommands.h"
#include "cli/buspasses.h"
#include "cli/cli.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/dbcoption.h"
#include "cli/recordingdecoder.h"
#include "cli/schemebuses.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/schemecontroller.h"
#include "util/savefile.h"

#include <QCommandLineParser>
#include <QDomDocument>

#include <map>
#include <memory>

using namespace BusCheckCommands;

namespace {

// Learning a recording bus by bus: each bus's units through a decoder and a learner of their own,
// written into the expected scheme as they come out of their pass.
class LearnRun
{
public:
    LearnRun(const Stretch &stretch, const BusLearner::Settings &settings,
             const CanDeviceFactory::Databases &databases)
        : m_stretch(stretch)
        , m_settings(settings)
        , m_databases(databases)
    {}

    BusPasses passes;
    SchemeBuses base;
    QString error;
    QDomDocument doc;

    // Reads the base scheme and checks it before the recording is read; a scheme of one bus
    // is loaded at once for the first bus.
    bool prepare(const QString &path)
    {
        if (!base.read(path, &error))
            return false;
        if (base.buses().isEmpty())
            m_decoder = newDecoder();
        return base.check(m_decoder.get(), m_databases, &error);
    }

    bool begin(quint8 bus)
    {
        m_learner = std::make_unique<BusLearner>();
        m_busStretch = m_stretch;
        if (!m_decoder) {
            m_decoder = newDecoder();
            // A base scheme of one bus is the first bus's; the others start from nothing.
            const QByteArray content
                = base.path().isEmpty() ? QByteArray()
                                        : base.contentFor(bus, bus == passes.buses().constFirst());
            if (!content.isEmpty() && !m_decoder->loadScheme(content, base.path(), &error))
                return false;
        }
        receiveAll(m_decoder->devices());
        return true;
    }

    void take(const QVector<TimedFrame> &frames)
    {
        play(frames, passes.originUs(), m_decoder.get(), &m_busStretch,
             [this](const TimedFrame &frame, AbstractDisplayableItem *item) {
                 m_learner->take(frame.message, frame.timeUs, item);
             });
    }

    bool end(quint8 bus)
    {
        if (m_busStretch.firstUs >= 0) {
            m_learner->finish(m_busStretch.lastUs);
            const QList<AbstractDisplayableItem *> devices = m_decoder->devices();
            m_learner->apply(devices, m_settings);
            QVector<QDomElement> &elements = m_learned[bus];
            for (AbstractDisplayableItem *device : devices) {
                elements.append(doc.createElement(QStringLiteral("device")));
                device->saveItemToXmlNode(elements.last());
            }
            if (m_firstUs < 0 || m_busStretch.firstUs < m_firstUs)
                m_firstUs = m_busStretch.firstUs;
            m_lastUs = qMax(m_lastUs, m_busStretch.lastUs);
        }
        m_learner.reset();
        m_decoder.reset();
        return true;
    }

    bool learnedAny() const { return !m_learned.empty(); }
    double seconds() const { return double(m_lastUs - m_firstUs) / 1e6; }

    // The base scheme's units of the buses that were not learned (not in the recording, or
    // not chosen), as the base has them.
    int keepUnlearned()
    {
        int kept = 0;
        for (const quint8 bus : base.buses()) {
            if (m_learned.count(bus) > 0)
                continue;
            QDomDocument part;
            part.setContent(base.contentFor(bus, false));
            QVector<QDomElement> &elements = m_kept[bus];
            for (QDomElement e = part.documentElement().firstChildElement(QStringLiteral("device"));
                 !e.isNull(); e = e.nextSiblingElement(QStringLiteral("device")))
                elements.append(doc.importNode(e, true).toElement());
            kept += elements.size();
        }
        return kept;
    }

    // The devices of every bus in bus order; with several, each keeps its bus.
    int appendDevices(QDomElement *root, QStringList *perBus)
    {
        std::map<quint8, QVector<QDomElement>> all = m_kept;
        for (const auto &learned : m_learned)
            all[learned.first] = learned.second;
        int units = 0;
        for (auto &learned : m_learned) {
            units += learned.second.size();
            perBus->append(QStringLiteral("%1: %2")
                               .arg(passes.busName(learned.first))
                               .arg(learned.second.size()));
        }
        for (auto &onBus : all) {
            for (QDomElement &element : onBus.second) {
                if (all.size() > 1)
                    element.setAttribute(SchemeBuses::attribute(), onBus.first);
                root->appendChild(element);
            }
        }
        return units;
    }

private:
    std::unique_ptr<RecordingDecoder> newDecoder() const
    {
        auto decoder = std::make_unique<RecordingDecoder>();
        decoder->setDbcDatabases(m_databases);
        return decoder;
    }

    const Stretch m_stretch;
    const BusLearner::Settings m_settings;
    const CanDeviceFactory::Databases m_databases;
    Stretch m_busStretch;
    std::unique_ptr<RecordingDecoder> m_decoder;
    std::unique_ptr<BusLearner> m_learner;
    std::map<quint8, QVector<QDomElement>> m_learned;
    std::map<quint8, QVector<QDomElement>> m_kept;
    qint64 m_firstUs = -1;
    qint64 m_lastUs = -1;
};

} // namespace

int runLearnCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("learn");
    QCommandLineParser parser;
    parser.setApplicationDescription(Cli::tr(
        "Builds the expected scheme from a recording of a healthy machine: every unit and "
        "function seen (those of the base scheme and those auto-detection finds), each "
        "function's period (the median gap) with the tolerance of its mean period, the value "
        "ranges seen, widened by the margin, whether values were ever not available or an error, "
        "each unit's NAME, software identification and active trouble codes, and which units "
        "and functions fell silent for a while. Check other recordings against it with "
        "\"check\"."));
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"),
        Cli::tr("The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)"));
    const QCommandLineOption scheme(QStringLiteral("scheme"),
                                    Cli::tr("Start from the devices of this scheme file"),
                                    Cli::tr("FILE"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Cli::tr("The expected scheme to write"), Cli::tr("FILE"));
    const QCommandLineOption margin(
        QStringLiteral("margin"),
        Cli::tr("Widen the value ranges by this share of their span on each side (default 10)"),
        Cli::tr("PERCENT"), QStringLiteral("10"));
    const QCommandLineOption bus = BusSelection::keptOption();
    parser.addOptions({scheme, output, margin, bus});
    parser.addOptions(stretchOptions());
    parser.addOptions(DbcOption::options());
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    if (!parser.isSet(output))
        return CliCommand::usageError(command, Cli::tr("-o FILE is missing"), err);
    BusLearner::Settings settings;
    bool ok = false;
    settings.marginPercent = parser.value(margin).toDouble(&ok);
    if (!ok || settings.marginPercent < 0 || settings.marginPercent > 1000)
        return CliCommand::usageError(
            command,
            Cli::tr("the margin must be a percentage from 0 to 1000, not \"%1\"")
                .arg(parser.value(margin)),
            err);
    Stretch stretch;
    if (!readStretch(parser, command, &stretch, err, &exitCode))
        return exitCode;

    CanDeviceFactory::Databases databases;
    if (!DbcOption::read(parser, command, &databases, err, &exitCode))
        return exitCode;
    LearnRun run(stretch, settings, databases);
    if (!run.passes.readOption(parser, bus, command, err, &exitCode))
        return exitCode;
    ConsoleProgress progress(parser);
    run.passes.setProgress(&progress);
    QDomDocument base;
    if (parser.isSet(scheme)) {
        // The base scheme is checked before the recording is read.
        if (!run.prepare(parser.value(scheme))) {
            err << run.error << '\n';
            return CliCommand::Failure;
        }
        base.setContent(run.base.content());
        // Units without a bus go to the first bus, known ahead.
        run.passes.setBusesFirst(true);
    }
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
    if (!run.learnedAny()) {
        err << Cli::tr("%1 holds no frames in the chosen stretch").arg(recording) << '\n';
        return CliCommand::Failure;
    }

    QDomElement root = run.doc.createElement(QStringLiteral("devices"));
    root.setAttribute(QStringLiteral("version"), SchemeController::FormatVersion);
    run.doc.appendChild(root);
    QStringList perBus;
    const int kept = run.keepUnlearned();
    const int units = run.appendDevices(&root, &perBus);
    // The base scheme's window layout, plots and panels stay as they were.
    for (QDomElement e = base.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        if (e.tagName() != QLatin1String("device") && e.tagName() != QLatin1String("func"))
            root.appendChild(run.doc.importNode(e, true));
    }
    QString error;
    if (!SaveFile::write(parser.value(output), run.doc.toByteArray(2), &error)) {
        err << Cli::tr("Cannot write %1: %2").arg(parser.value(output), error) << '\n';
        return CliCommand::Failure;
    }
    if (run.passes.namesBuses())
        out << Cli::tr("Learned %1 units (%2) from %3 s of %4 into %5")
                   .arg(units)
                   .arg(perBus.join(QStringLiteral(", ")))
                   .arg(run.seconds(), 0, 'f', 3)
                   .arg(recording, parser.value(output))
            << '\n';
    else
        out << Cli::tr("Learned %1 units from %2 s of %3 into %4")
                   .arg(units)
                   .arg(run.seconds(), 0, 'f', 3)
                   .arg(recording, parser.value(output))
            << '\n';
    if (kept > 0)
        out << Cli::tr("Kept the base scheme's %1 units of the buses not learned").arg(kept)
            << '\n';
    return CliCommand::Success;
}
