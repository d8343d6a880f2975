#include "cli/inventorycommand.h"

#include "cli/clicommand.h"
#include "cli/recordingsource.h"
#include "descriptions/candevicefactory.h"
#include "job/inventory.h"

#include <QCommandLineParser>
#include <QCoreApplication>

int runInventoryCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("inventory");
    QCommandLineParser parser;
    parser.setApplicationDescription(Cli::tr(
        "Lists what every unit (source address) of a recording says about itself: the NAME of "
        "its address claim with its fields, ECU identification, software identification, "
        "component identification (make, model, serial number, unit number), vehicle "
        "identification number (VIN), calibrations with their verification numbers (DM19), and "
        "active (DM1) and previously active (DM2) trouble codes with their failure modes in "
        "words. Messages count whether they came in one frame, as a broadcast (BAM) or in a "
        "connection (RTS/CTS) to any address; the last of each is shown, \"not in the "
        "recording\" where none came."));
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"),
        Cli::tr("The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)"));
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    // The catalogue names the units its descriptions know by their addresses.
    if (!CanDeviceFactory::instance())
        CanDeviceFactory::init();
    Inventory inventory;
    qint64 lastUs = 0;
    RecordingSource::StreamSummary summary;
    QString error;
    if (!RecordingSource::stream(
            parser.positionalArguments().constFirst(),
            [&](const QVector<TimedFrame> &frames) {
                for (const TimedFrame &frame : frames) {
                    inventory.take(frame.message, frame.timeUs);
                    lastUs = frame.timeUs;
                }
                return true;
            },
            &summary, &error, &err)) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    inventory.finish(lastUs);
    out << inventory.report();
    return CliCommand::Success;
}
