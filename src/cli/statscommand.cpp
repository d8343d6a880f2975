#include "cli/statscommand.h"

#include "cli/buspasses.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/dbcoption.h"
#include "descriptions/dbcdatabase.h"
#include "descriptions/descriptionfiles.h"
#include "model/j1939reg.h"
#include "model/transportmonitor.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QSet>

#include <array>
#include <memory>

namespace {

constexpr int DefaultBitRate = 250000;

// Bits of a frame on the wire without stuff bits: 67 for an extended frame, 47 for a standard
// one (start to interframe space), plus the data.
int frameBits(const CanMessage &m)
{
    return (m.extended ? 67 : 47) + 8 * m.length;
}

QString hex(quint32 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

// Names of the parameter groups the program knows: the built-in classes and the library, then
// the engineer's databases, as units take their groups: a database names a group the library
// does not, or one only the library describes too when it comes before the library. The first
// database to name a group names it.
QHash<quint32, QString> groupNames(const CanDeviceFactory::Databases &databases)
{
    QHash<quint32, QString> names;
    QSet<quint32> builtIn;
    for (const J1939PgnDescription &d : J1939Reg::descriptions()) {
        names.insert(d.pgn, QCoreApplication::translate("J1939", d.name.toUtf8().constData()));
        builtIn.insert(d.pgn);
    }
    for (const QString &path : DescriptionFiles::functionLibraryFiles()) {
        for (const QDomElement &func : DescriptionFiles::readFunctionLibrary(path)) {
            bool ok = false;
            const uint pgn = func.attribute(QStringLiteral("address")).toUInt(&ok, 16);
            if (ok && !names.contains(pgn))
                names.insert(pgn, func.firstChildElement(QStringLiteral("name")).text());
        }
    }
    QSet<quint32> namedByDatabase;
    for (const std::shared_ptr<const DbcDatabase> &database : databases) {
        for (const DbcMessage &message : database->messages) {
            if (!message.extended || !database->matchesByPgn(message))
                continue;
            const quint32 pgn = message.pgn() & 0x3FFFF;
            if (namedByDatabase.contains(pgn) || builtIn.contains(pgn)
                || (names.contains(pgn) && !database->winsOverLibrary))
                continue;
            names.insert(pgn, message.name);
            namedByDatabase.insert(pgn);
        }
    }
    names.insert(0xEC00, Cli::tr("TP.CM - Transport Protocol, Connection Management"));
    names.insert(0xEB00, Cli::tr("TP.DT - Transport Protocol, Data Transfer"));
    names.insert(0xEA00, Cli::tr("Request"));
    names.insert(0xEE00, Cli::tr("Address Claimed"));
    return names;
}

// What the statistics gather from one bus's frames as they stream past: nothing per frame is
// kept. Session starts and load intervals count from the recording's first frame, so those of
// several buses line up.
struct Tally
{
    Tally(int interval, qint64 origin)
        : intervalUs(qint64(interval) * 1000000)
        , originUs(origin)
    {}

    void take(const TimedFrame &f)
    {
        if (frames == 0)
            startUs = f.timeUs;
        endUs = f.timeUs;
        ++frames;
        const CanMessage &m = f.message;
        const quint64 key
            = m.extended ? quint64(m.address()) << 32 | m.pgn() : quint64(1) << 40 | m.id;
        ++counts[key];
        monitor.take(m, f.timeUs);
        auto &b = buckets[std::max<qint64>(0, f.timeUs - originUs) / intervalUs];
        ++b.first;
        b.second += frameBits(m);
    }

    qint64 intervalUs;
    qint64 originUs;
    qint64 frames = 0;
    qint64 startUs = 0;
    qint64 endUs = 0;
    QMap<quint64, qint64> counts; // source << 32 | PGN (standard frames: 1 << 40 | id)
    TransportMonitor monitor;
    QMap<qint64, QPair<qint64, qint64>> buckets; // interval -> frames, bits
};

void writeGroups(const QMap<quint64, qint64> &counts, const QHash<quint32, QString> &names,
                 double seconds, QTextStream &out)
{
    out << Cli::tr("Frames per source and PGN") << '\n';
    out << QStringLiteral("  %1 %2 %3 %4  %5\n")
               .arg(Cli::tr("SA"), -3)
               .arg(Cli::tr("PGN"), -6)
               .arg(Cli::tr("Frames"), 8)
               .arg(Cli::tr("Rate/s"), 9)
               .arg(Cli::tr("Name"));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double rate = seconds > 0 ? double(it.value()) / seconds : 0.0;
        if (it.key() >> 40) {
            out << QStringLiteral("  %1 %2 %3 %4  %5\n")
                       .arg(QStringLiteral("-"), -3)
                       .arg(hex(quint32(it.key() & 0x7FF), 3), -6)
                       .arg(it.value(), 8)
                       .arg(rate, 9, 'f', 2)
                       .arg(Cli::tr("standard identifier"));
            continue;
        }
        const quint32 pgn = quint32(it.key() & 0xFFFFFFFF);
        out << QStringLiteral("  %1 %2 %3 %4  %5\n")
                   .arg(hex(quint32(it.key() >> 32), 2), -3)
                   .arg(hex(pgn, 4), -6)
                   .arg(it.value(), 8)
                   .arg(rate, 9, 'f', 2)
                   .arg(names.value(pgn & 0x3FFFF));
    }
}

void writeSessions(const TransportMonitor &monitor, qint64 startUs, QTextStream &out)
{
    int completed = 0;
    QMap<QString, int> reasons;
    for (const TransportMonitor::Session &s : monitor.sessions()) {
        if (s.outcome == Cli::tr("completed"))
            ++completed;
        else
            ++reasons[s.outcome];
    }
    const int aborted = int(monitor.sessions().size()) - completed;
    out << '\n'
        << Cli::tr("Transport sessions: %1 completed, %2 not").arg(completed).arg(aborted) << '\n';
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it)
        out << QStringLiteral("  %1 x %2\n").arg(it.value(), 4).arg(it.key());
    out << QStringLiteral("  %1 %2 %3 %4 %5 %6 %7  %8\n")
               .arg(Cli::tr("Kind"), -4)
               .arg(Cli::tr("From"), -4)
               .arg(Cli::tr("To"), -3)
               .arg(Cli::tr("PGN"), -6)
               .arg(Cli::tr("Bytes"), 5)
               .arg(Cli::tr("Packets"), 7)
               .arg(Cli::tr("Start s"), 11)
               .arg(Cli::tr("Outcome"));
    for (const TransportMonitor::Session &s : monitor.sessions()) {
        out << QStringLiteral("  %1 %2 %3 %4 %5 %6 %7  %8\n")
                   .arg(s.kind == TransportMonitor::Bam ? QStringLiteral("BAM")
                                                        : QStringLiteral("RTS"),
                        -4)
                   .arg(hex(s.source, 2), -4)
                   .arg(hex(s.destination, 2), -3)
                   .arg(hex(s.pgn, 4), -6)
                   .arg(s.size, 5)
                   .arg(s.packets, 7)
                   .arg(double(s.startUs - startUs) / 1e6, 11, 'f', 3)
                   .arg(s.outcome);
    }
}

void writeBusLoad(const QMap<qint64, QPair<qint64, qint64>> &buckets, int bitRate, int intervalS,
                  QTextStream &out)
{
    out << '\n'
        << Cli::tr("Bus load at %1 bit/s, every %2 s (without stuff bits)")
               .arg(bitRate)
               .arg(intervalS)
        << '\n';
    out << QStringLiteral("  %1 %2 %3\n")
               .arg(Cli::tr("From s"), 8)
               .arg(Cli::tr("Frames"), 8)
               .arg(Cli::tr("Load %"), 7);
    for (auto it = buckets.cbegin(); it != buckets.cend(); ++it) {
        const double load = 100.0 * double(it.value().second) / (double(bitRate) * intervalS);
        out << QStringLiteral("  %1 %2 %3\n")
                   .arg(it.key() * intervalS, 8)
                   .arg(it.value().first, 8)
                   .arg(load, 7, 'f', 1);
    }
}

void writeTally(Tally &tally, const QHash<quint32, QString> &names, int bitRate, int intervalS,
                QTextStream &out)
{
    writeGroups(tally.counts, names, double(tally.endUs - tally.startUs) / 1e6, out);
    tally.monitor.finish(tally.endUs);
    writeSessions(tally.monitor, tally.originUs, out);
    writeBusLoad(tally.buckets, bitRate, intervalS, out);
}

} // namespace

int runStatsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("stats");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Cli::tr("Shows frames and rate per source and PGN, the transport sessions (BAM, RTS/CTS) "
                "with their outcome, and the bus load over time."));
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"),
        Cli::tr("The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)"));
    const QCommandLineOption bitRate(QStringLiteral("bitrate"),
                                     Cli::tr("Bit rate of the bus for the load (default 250000)"),
                                     Cli::tr("N"), QString::number(DefaultBitRate));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      Cli::tr("Seconds per bus load line (default 1)"),
                                      Cli::tr("S"), QStringLiteral("1"));
    const QCommandLineOption bus = BusSelection::keptOption();
    parser.addOptions({bitRate, interval, bus});
    parser.addOptions(DbcOption::options());
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    bool ok = false;
    const int rate = parser.value(bitRate).toInt(&ok);
    if (!ok || rate < 1000 || rate > 8000000)
        return CliCommand::usageError(
            command,
            Cli::tr("the bit rate must lie between 1000 and 8000000, not \"%1\"")
                .arg(parser.value(bitRate)),
            err);
    const int seconds = parser.value(interval).toInt(&ok);
    if (!ok || seconds <= 0)
        return CliCommand::usageError(command,
                                      Cli::tr("the interval must be a positive number of "
                                              "seconds, not \"%1\"")
                                          .arg(parser.value(interval)),
                                      err);
    CanDeviceFactory::Databases databases;
    if (!DbcOption::read(parser, command, &databases, err, &exitCode))
        return exitCode;
    BusPasses passes;
    if (!passes.readOption(parser, bus, command, err, &exitCode))
        return exitCode;
    ConsoleProgress progress(parser);
    passes.setProgress(&progress);
    // Streamed: memory follows what is reported (groups, sessions, intervals), not the frames.
    std::array<std::unique_ptr<Tally>, BusNames::MaxBus + 1> tallies;
    QString error;
    const bool read = passes.stream(
        parser.positionalArguments().constFirst(),
        [&](const QVector<TimedFrame> &frames) {
            for (const TimedFrame &f : frames) {
                std::unique_ptr<Tally> &tally = tallies[f.bus];
                if (!tally)
                    tally = std::make_unique<Tally>(seconds, passes.originUs());
                tally->take(f);
            }
            return true;
        },
        &error, &err);
    if (!read) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    out << Cli::tr("%1 frames over %2 s, %3 lines skipped")
               .arg(passes.frames())
               .arg(double(passes.endUs() - passes.originUs()) / 1e6, 0, 'f', 3)
               .arg(passes.skippedLines())
        << "\n\n";
    const QHash<quint32, QString> names = groupNames(databases);
    for (const quint8 b : passes.buses()) {
        Tally &tally = *tallies[b];
        if (passes.namesBuses())
            out << Cli::tr("Bus %1: %2 frames over %3 s")
                       .arg(passes.busName(b))
                       .arg(tally.frames)
                       .arg(double(tally.endUs - tally.startUs) / 1e6, 0, 'f', 3)
                << "\n\n";
        writeTally(tally, names, rate, seconds, out);
        if (b != passes.buses().constLast())
            out << '\n';
    }
    return CliCommand::Success;
}
