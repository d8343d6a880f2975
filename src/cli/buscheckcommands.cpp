#include "cli/buscheckcommands.h"

#include "cli/cli.h"
#include "cli/clicommand.h"
#include "cli/recordingdecoder.h"
#include "model/abstractdisplayableitem.h"

namespace BusCheckCommands {

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

void play(const QVector<TimedFrame> &frames, qint64 originUs, RecordingDecoder *decoder,
          Stretch *stretch, const FrameUse &use)
{
    for (const TimedFrame &frame : frames) {
        const double at = double(frame.timeUs - originUs) / 1e6;
        if (stretch->toS >= 0 && at > stretch->toS)
            return; // the rest is read but not played
        DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
        decoder->feed(frame, &result);
        if (at < stretch->fromS)
            continue;
        if (stretch->firstUs < 0)
            stretch->firstUs = frame.timeUs;
        stretch->lastUs = frame.timeUs;
        use(frame, result.item);
    }
}

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

} // namespace BusCheckCommands
