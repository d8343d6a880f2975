#include "cli/buscheckcommands.h"

#include "buscheck/buschecker.h"
#include "buscheck/buslearner.h"
#include "buscheck/checkreport.h"
#include "cli/cli.h"
#include "cli/clicommand.h"
#include "cli/recordingdecoder.h"
#include "cli/recordingsource.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/schemecontroller.h"
#include "util/savefile.h"

#include <QCommandLineParser>
#include <QDomDocument>
#include <QFile>

#include <functional>

namespace {

// What a stretch of the recording gives: the frames from `from` to `to` seconds after its first
// frame, each after the decoder took it.
struct Stretch
{
    double fromS = 0;
    double toS = -1; // to the end
    qint64 originUs = -1;
    qint64 firstUs = -1;
    qint64 lastUs = -1;
};

using FrameUse = std::function<void(const TimedFrame &frame, AbstractDisplayableItem *item)>;

QList<QCommandLineOption> stretchOptions()
{
    return {QCommandLineOption(QStringLiteral("from"),
                               Cli::tr("Start this many seconds after the recording's first frame"),
                               Cli::tr("SECONDS")),
            QCommandLineOption(QStringLiteral("to"),
                               Cli::tr("End this many seconds after the recording's first frame"),
                               Cli::tr("SECONDS"))};
}

bool readStretch(const QCommandLineParser &parser, const QString &command, Stretch *stretch,
                 QTextStream &err, int *exitCode)
{
    for (const QString &name : {QStringLiteral("from"), QStringLiteral("to")}) {
        if (!parser.isSet(name))
            continue;
        bool ok = false;
        const double value = parser.value(name).toDouble(&ok);
        if (!ok || value < 0) {
            *exitCode
                = CliCommand::usageError(command,
                                         Cli::tr("--%1 must be a number of seconds, not \"%2\"")
                                             .arg(name, parser.value(name)),
                                         err);
            return false;
        }
        (name == QLatin1String("from") ? stretch->fromS : stretch->toS) = value;
    }
    if (stretch->toS >= 0 && stretch->toS <= stretch->fromS) {
        *exitCode = CliCommand::usageError(command, Cli::tr("--to must lie after --from"), err);
        return false;
    }
    return true;
}

// Plays the recording through the decoder; every frame of the stretch goes to `use`.
bool play(const QString &path, RecordingDecoder *decoder, Stretch *stretch, const FrameUse &use,
          QString *error, QTextStream &err)
{
    RecordingSource::StreamSummary summary;
    const bool ok = RecordingSource::stream(
        path,
        [&](const QVector<TimedFrame> &frames) {
            for (const TimedFrame &frame : frames) {
                if (stretch->originUs < 0)
                    stretch->originUs = frame.timeUs;
                const double at = double(frame.timeUs - stretch->originUs) / 1e6;
                if (stretch->toS >= 0 && at > stretch->toS)
                    return true; // the rest is read but not played
                DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
                decoder->feed(frame, &result);
                if (at < stretch->fromS)
                    continue;
                if (stretch->firstUs < 0)
                    stretch->firstUs = frame.timeUs;
                stretch->lastUs = frame.timeUs;
                use(frame, result.item);
            }
            return true;
        },
        &summary, error, &err);
    if (ok && stretch->firstUs < 0) {
        *error = Cli::tr("%1 holds no frames in the chosen stretch").arg(path);
        return false;
    }
    return ok;
}

// Items the tool sends in the scheme are judged like the others in a recording.
void receiveAll(const QList<AbstractDisplayableItem *> &devices)
{
    for (AbstractDisplayableItem *device : devices) {
        QList<AbstractDisplayableItem *> items{device};
        while (!items.isEmpty()) {
            AbstractDisplayableItem *item = items.takeFirst();
            if (item->state() == AbstractDisplayableItem::Send)
                item->setState(AbstractDisplayableItem::Auto);
            items += item->children();
        }
    }
}

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
    parser.addOptions({scheme, output, margin});
    parser.addOptions(stretchOptions());
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

    RecordingDecoder decoder;
    QString error;
    QDomDocument base;
    if (parser.isSet(scheme)) {
        if (!decoder.loadScheme(parser.value(scheme), &error)) {
            err << error << '\n';
            return CliCommand::Failure;
        }
        QFile file(parser.value(scheme));
        if (file.open(QIODevice::ReadOnly))
            base.setContent(&file);
        receiveAll(decoder.devices());
    }
    BusLearner learner;
    const QString recording = parser.positionalArguments().constFirst();
    if (!play(
            recording, &decoder, &stretch,
            [&](const TimedFrame &frame, AbstractDisplayableItem *item) {
                learner.take(frame.message, frame.timeUs, item);
            },
            &error, err)) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    learner.finish(stretch.lastUs);
    const QList<AbstractDisplayableItem *> devices = decoder.devices();
    learner.apply(devices, settings);

    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("devices"));
    root.setAttribute(QStringLiteral("version"), SchemeController::FormatVersion);
    doc.appendChild(root);
    for (AbstractDisplayableItem *device : devices) {
        QDomElement element = doc.createElement(QStringLiteral("device"));
        root.appendChild(element);
        device->saveItemToXmlNode(element);
    }
    // The base scheme's window layout, plots and panels stay as they were.
    for (QDomElement e = base.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        if (e.tagName() != QLatin1String("device") && e.tagName() != QLatin1String("func"))
            root.appendChild(doc.importNode(e, true));
    }
    if (!SaveFile::write(parser.value(output), doc.toByteArray(2), &error)) {
        err << Cli::tr("Cannot write %1: %2").arg(parser.value(output), error) << '\n';
        return CliCommand::Failure;
    }
    out << Cli::tr("Learned %1 units from %2 s of %3 into %4")
               .arg(devices.size())
               .arg(double(stretch.lastUs - stretch.firstUs) / 1e6, 0, 'f', 3)
               .arg(recording, parser.value(output))
        << '\n';
    return CliCommand::Success;
}

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
    parser.addOptions({scheme, json, junit, bitrate, loadLimit});
    parser.addOptions(stretchOptions());
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

    RecordingDecoder decoder;
    QString error;
    if (!decoder.loadScheme(parser.value(scheme), &error)) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    decoder.setAutoDetect(false);
    receiveAll(decoder.devices());
    BusChecker checker;
    checker.setSettings(settings);
    checker.setDevices(decoder.devices());
    const QString recording = parser.positionalArguments().constFirst();
    if (!play(
            recording, &decoder, &stretch,
            [&](const TimedFrame &frame, AbstractDisplayableItem *item) {
                checker.take(frame.message, frame.timeUs, item);
            },
            &error, err)) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    checker.finish(stretch.lastUs);
    const CheckReport::Source source{recording, parser.value(scheme), stretch.firstUs,
                                     stretch.lastUs};
    out << CheckReport::text(checker, source);
    const QList<QPair<QString, QByteArray>> files{
        {parser.value(json),
         parser.isSet(json) ? CheckReport::json(checker, source) : QByteArray()},
        {parser.value(junit),
         parser.isSet(junit) ? CheckReport::junit(checker, source) : QByteArray()}};
    for (const auto &file : files) {
        if (file.first.isEmpty())
            continue;
        if (!SaveFile::write(file.first, file.second, &error)) {
            err << Cli::tr("Cannot write %1: %2").arg(file.first, error) << '\n';
            return CliCommand::Failure;
        }
    }
    return checker.faultCount() == 0 ? CliCommand::Success : CliCommand::Failure;
}
