#include "cli/inventorycommand.h"

#include "cli/buspasses.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "descriptions/candevicefactory.h"
#include "job/inventory.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <array>
#include <memory>

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
    const QCommandLineOption bus = BusSelection::keptOption();
    parser.addOption(bus);
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    BusPasses passes;
    if (!passes.readOption(parser, bus, command, err, &exitCode))
        return exitCode;
    ConsoleProgress progress(parser);
    passes.setProgress(&progress);
    // The catalogue names the units its descriptions know by their addresses.
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    // Each bus is an address space of its own: an inventory per bus.
    std::array<std::unique_ptr<Inventory>, BusNames::MaxBus + 1> inventories;
    QString error;
    if (!passes.stream(
            parser.positionalArguments().constFirst(),
            [&](const QVector<TimedFrame> &frames) {
                for (const TimedFrame &frame : frames) {
                    std::unique_ptr<Inventory> &inventory = inventories[frame.bus];
                    if (!inventory)
                        inventory = std::make_unique<Inventory>();
                    inventory->take(frame.message, frame.timeUs);
                }
                return true;
            },
            &error, &err)) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    for (const quint8 b : passes.buses()) {
        // Sessions still open end with the recording, whatever bus sent its last frame.
        inventories[b]->finish(passes.endUs());
        if (passes.namesBuses())
            out << (b == passes.buses().constFirst() ? QString() : QStringLiteral("\n"))
                << Cli::tr("Bus %1").arg(passes.busName(b)) << '\n';
        out << inventories[b]->report(catalogue.get());
    }
    return CliCommand::Success;
}
