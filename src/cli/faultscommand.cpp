#include "cli/faultscommand.h"

#include "cli/buspasses.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/dbcoption.h"
#include "cli/faulthistory.h"
#include "cli/recordingdecoder.h"
#include "diagnostics/acknowledgementfunction.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/toolrequest.h"
#include "model/zxlistparameter.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <map>
#include <memory>

int runFaultsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("faults");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Cli::tr("Shows the DM1 of every source in a recording: lamps, active trouble codes with "
                "first and last sighting and occurrence counts, and their changes in time; the "
                "previously active codes (DM2); and every request to clear codes (DM11, DM3) "
                "with its answers."));
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"),
        Cli::tr("The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)"));
    const QCommandLineOption bus = BusSelection::keptOption();
    parser.addOption(bus);
    parser.addOptions(DbcOption::options());
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one recording"), err);
    CanDeviceFactory::Databases databases;
    if (!DbcOption::read(parser, command, &databases, err, &exitCode))
        return exitCode;
    BusPasses passes;
    if (!passes.readOption(parser, bus, command, err, &exitCode))
        return exitCode;
    ConsoleProgress progress(parser);
    passes.setProgress(&progress);
    // Streamed, a pass per bus: a bus's history starts at the recording's first frame and
    // nothing of the recording is kept.
    std::map<quint8, std::unique_ptr<FaultHistory>> histories;
    FaultHistory *history = nullptr;
    std::unique_ptr<RecordingDecoder> decoder;
    const auto begin = [&](quint8 b) {
        auto &busHistory = histories[b];
        busHistory = std::make_unique<FaultHistory>(passes.originUs());
        history = busHistory.get();
        decoder = std::make_unique<RecordingDecoder>();
        decoder->setDbcDatabases(databases);
        // Only codes, requests and acknowledgements count here: the values of functions
        // decoded from their descriptions need not be decoded at all.
        decoder->setCoalescing(true);
        return true;
    };
    const auto end = [&](quint8) {
        decoder.reset();
        return true;
    };
    const auto observe = [&history](const TimedFrame &frame, const DispatchResult &r) {
        const CanMessage &m = frame.message;
        const qint64 requested = ToolRequest::requestedPgn(m);
        if (requested >= 0)
            history->takeClearRequest(frame.timeUs, m.address(), m.pduSpecific(),
                                      quint32(requested));
        AcknowledgementFunction::Answer answer;
        if (AcknowledgementFunction::decodeFrame(m, &answer))
            history->takeAcknowledgement(frame.timeUs, answer.source, m.pduSpecific(),
                                         answer.requester, answer.pgn, answer.control);
        // DM2 in one frame, or reassembled from a broadcast.
        if (m.extended && m.pduFormat() == 0xFE && m.pduSpecific() == 0xCB)
            history->takePrevious(frame.timeUs, m.address(),
                                  TroubleCode::decodeFaults(QByteArray(
                                      reinterpret_cast<const char *>(m.data), m.length)));
        else if (!r.payload.isEmpty() && (r.pgn & 0xFFFF) == 0xFECB)
            history->takePrevious(frame.timeUs, m.address(), TroubleCode::decodeFaults(r.payload));
        auto *dm1 = qobject_cast<DM1Function *>(r.item);
        if (!dm1 || dm1->pgnValue() != 0xFECA || !r.status.testFlag(DispatchResult::Dispatched))
            return;
        int lamps[FaultHistory::LampCount];
        for (int i = 0; i < FaultHistory::LampCount; ++i) {
            const ZxListParameter *lamp = dm1->listParameter(DM1Function::Mil + i);
            lamps[i] = lamp->isValid() ? lamp->value() : -1;
        }
        QVector<FaultHistory::Code> codes;
        for (const DtcArrayParameter::DtcItem &item : dm1->dtcParameter()->codes())
            codes.append(item.code());
        history->take(frame.timeUs, frame.message.address(), lamps, codes);
    };
    QString error;
    if (!passes.run(
            parser.positionalArguments().constFirst(), begin,
            [&](const QVector<TimedFrame> &frames) {
                decoder->play(frames, observe);
                return true;
            },
            end, &error, &err)) {
        err << error << '\n';
        return CliCommand::Failure;
    }
    for (const auto &kept : histories) {
        if (passes.namesBuses())
            out << (kept.first == histories.cbegin()->first ? QString() : QStringLiteral("\n"))
                << Cli::tr("Bus %1").arg(passes.busName(kept.first)) << '\n';
        kept.second->report(out);
    }
    return CliCommand::Success;
}
