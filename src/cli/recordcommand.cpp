#include "cli/recordcommand.h"

#include "app/busstartup.h"
#include "can/abstractcanhandler.h"
#include "can/canhandlerfactory.h"
#include "can/j2534canhandler.h"
#include "can/threadhandover.h"
#include "cli/cli.h"
#include "cli/clicommand.h"
#include "cli/framelogwriter.h"
#include "cli/recorddispatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <csignal>

namespace {

constexpr int TickMs = 100;
constexpr qint64 ReportMs = 1000;
// An adapter in error this long is taken as gone.
constexpr qint64 AdapterLostAfterMs = 1000;

// Set by Ctrl+C; polled by the recording's timer. A lock-free atomic is safe in a handler.
std::atomic<bool> s_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal flag must be lock-free");

extern "C" void onInterrupt(int)
{
    s_interrupted.store(true);
}

QString translated(const char *text)
{
    return QCoreApplication::translate("RecordCommand", text);
}

struct Options
{
    int type = CanHandlerFactory::None;
    CanHandlerFactory::AdapterOptions adapter;
    QString port;
    unsigned bitRate = 250000;
    QString output;
    qint64 durationMs = 0; // 0: until Ctrl+C
};

// False with the reason in `error` (empty for --help, whose text is in `error` too).
bool parseOptions(const QStringList &arguments, Options *options, QString *error, bool *help)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(translated(QT_TRANSLATE_NOOP(
        "RecordCommand", "Writes every frame from an adapter to a candump log.")));
    const QCommandLineOption adapter(
        QStringLiteral("adapter"),
        translated(QT_TRANSLATE_NOOP("RecordCommand", "Adapter type: %1."))
            .arg(CanHandlerFactory::commandLineKeys().join(QLatin1String(", "))),
        QStringLiteral("name"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  translated(QT_TRANSLATE_NOOP("RecordCommand", "Adapter port.")),
                                  QStringLiteral("name"));
    const QCommandLineOption library(
        QStringLiteral("library"),
        translated(QT_TRANSLATE_NOOP("RecordCommand",
                                     "Adapter library for j2534, slcan, slmcp or rp1210.")),
        QStringLiteral("path"));
    const QCommandLineOption bitRate(
        QStringLiteral("bitrate"),
        translated(QT_TRANSLATE_NOOP("RecordCommand", "Bus bit rate in bit/s (default 250000).")),
        QStringLiteral("N"));
    const QCommandLineOption output(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        translated(QT_TRANSLATE_NOOP("RecordCommand", "Log file (default candump-DATE_TIME.log).")),
        QStringLiteral("file"));
    const QCommandLineOption duration(
        QStringLiteral("duration"),
        translated(
            QT_TRANSLATE_NOOP("RecordCommand", "Seconds to record (default: until Ctrl+C).")),
        QStringLiteral("S"));
    parser.addOptions({adapter, port, library, bitRate, output, duration});
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        Cli::tr("Show this help"));
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{QStringLiteral("tarvik-cli record")} + arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(helpOption)) {
        *help = true;
        *error = CliCommand::commandHelp(parser, QStringLiteral("record"));
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = translated(QT_TRANSLATE_NOOP("RecordCommand", "Unexpected argument: %1"))
                     .arg(parser.positionalArguments().first());
        return false;
    }
    options->type = CanHandlerFactory::typeForKey(parser.value(adapter));
    if (options->type == CanHandlerFactory::None) {
        *error = parser.isSet(adapter)
                     ? translated(QT_TRANSLATE_NOOP("RecordCommand", "Unknown adapter '%1'"))
                           .arg(parser.value(adapter))
                     : translated(QT_TRANSLATE_NOOP("RecordCommand", "--adapter is missing"));
        return false;
    }
    options->adapter.libraryPath = parser.value(library);
    options->port = parser.value(port);
    bool ok = true;
    if (parser.isSet(bitRate)) {
        options->bitRate = parser.value(bitRate).toUInt(&ok);
        if (!ok || options->bitRate == 0) {
            *error = translated(QT_TRANSLATE_NOOP("RecordCommand", "Bad bit rate '%1'"))
                         .arg(parser.value(bitRate));
            return false;
        }
    }
    if (parser.isSet(duration)) {
        const double seconds = parser.value(duration).toDouble(&ok);
        if (!ok || seconds <= 0 || seconds > 366.0 * 86400) {
            *error = translated(QT_TRANSLATE_NOOP("RecordCommand", "Bad duration '%1'"))
                         .arg(parser.value(duration));
            return false;
        }
        options->durationMs = qint64(seconds * 1000);
    }
    options->output = parser.value(output);
    if (options->output.isEmpty())
        options->output = QDateTime::currentDateTime().toString(
            QStringLiteral("'candump-'yyyy-MM-dd_HHmmss'.log'"));
    return true;
}

// Runs `work` inside the bus thread and waits for it.
template<typename Work>
void inBusThread(QObject *anchor, Work work)
{
    runInThreadOf(anchor, work);
}

QString adapterLoss(AbstractCanHandler *handler)
{
    if (auto *j2534 = qobject_cast<J2534CanHandler *>(handler))
        return QString::number(j2534->overflowCount());
    return translated(QT_TRANSLATE_NOOP("RecordCommand", "n/a"));
}

// The recording proper, once the options are known.
class Recording
{
public:
    Recording(const Options &options, QTextStream &out, QTextStream &err)
        : m_options(options)
        , m_out(out)
        , m_err(err)
        , m_dispatcher(&m_writer)
    {}

    int run();

private:
    bool startBus();
    void stopBus();
    void tick();
    void report();

    const Options &m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    FrameLogWriter m_writer;
    RecordDispatcher m_dispatcher;
    QThread m_busThread;
    QObject *m_anchor = nullptr;
    AbstractCanHandler *m_handler = nullptr;
    QEventLoop m_loop;
    QElapsedTimer m_clock;
    qint64 m_errorSinceMs = -1;
    qint64 m_nextReportMs = ReportMs;
    qint64 m_lastReportMs = 0;
    quint64 m_lastFrames = 0;
    quint64 m_lastBits = 0;
    int m_exitCode = 0;
};

bool Recording::startBus()
{
    m_busThread.setObjectName(QStringLiteral("CanThread"));
    m_busThread.start(QThread::TimeCriticalPriority);
    m_anchor = new QObject;
    m_anchor->moveToThread(&m_busThread);
    QString error;
    inBusThread(m_anchor, [&] {
        m_handler
            = CanHandlerFactory::create(m_options.type, &m_dispatcher, m_options.adapter, &error);
    });
    if (!m_handler) {
        m_err << translated(QT_TRANSLATE_NOOP("RecordCommand", "Cannot use the adapter: %1"))
                     .arg(error)
              << '\n';
        return false;
    }
    const BusStartup::Result started
        = BusStartup::run(m_handler, m_options.port, m_options.bitRate, {});
    if (started.exitCode != 0) {
        QString text = started.errorText.isEmpty()
                           ? translated(QT_TRANSLATE_NOOP("RecordCommand", "no port to use"))
                           : started.errorText;
        m_err << translated(QT_TRANSLATE_NOOP("RecordCommand", "Cannot start the adapter: %1"))
                     .arg(text)
              << '\n';
        return false;
    }
    m_out << translated(QT_TRANSLATE_NOOP("RecordCommand",
                                          "Recording %1 on %2 at %3 bit/s to %4; Ctrl+C ends."))
                 .arg(CanHandlerFactory::commandLineKey(m_options.type), started.port)
                 .arg(m_options.bitRate)
                 .arg(QDir::toNativeSeparators(m_options.output))
          << Qt::endl;
    return true;
}

void Recording::stopBus()
{
    if (m_handler) {
        m_handler->stop();
        // Every frame the adapter delivered has passed the dispatcher once the handler is gone.
        inBusThread(m_anchor, [this] { delete m_handler; });
        m_handler = nullptr;
    }
    if (m_anchor)
        inBusThread(m_anchor, [this] { delete m_anchor; });
    m_anchor = nullptr;
    m_busThread.quit();
    m_busThread.wait();
}

void Recording::report()
{
    const quint64 frames = m_dispatcher.frames();
    const quint64 bits = m_dispatcher.bits();
    const qint64 nowMs = m_clock.elapsed();
    const double seconds = double(std::max<qint64>(1, nowMs - m_lastReportMs)) / 1000.0;
    m_lastReportMs = nowMs;
    const double load = 100.0 * double(bits - m_lastBits) / seconds / double(m_options.bitRate);
    m_out << translated(
                 QT_TRANSLATE_NOOP(
                     "RecordCommand",
                     "%1 s: %2 frames, %3 frames/s, bus load %4 %, lost: adapter %5, queue %6, "
                     "writer %7"))
                 .arg((nowMs + 500) / 1000)
                 .arg(frames)
                 .arg(qRound64(double(frames - m_lastFrames) / seconds))
                 .arg(load, 0, 'f', 1)
                 .arg(adapterLoss(m_handler))
                 .arg(m_writer.queueLostFrames())
                 .arg(m_writer.writeLostFrames())
          << Qt::endl;
    m_lastFrames = frames;
    m_lastBits = bits;
}

void Recording::tick()
{
    // The packs are only for windows; drop them so memory stays flat.
    while (!m_handler->isMessageQueueEmpty())
        m_handler->dequeuePack();
    // Reports follow the clock, not the tick count: ticks come late on a busy machine.
    if (m_clock.elapsed() >= m_nextReportMs) {
        report();
        m_nextReportMs += ReportMs;
    }
    if (s_interrupted.load()) {
        m_out << translated(QT_TRANSLATE_NOOP("RecordCommand", "Interrupted.")) << Qt::endl;
        m_loop.quit();
    } else if (m_options.durationMs > 0 && m_clock.elapsed() >= m_options.durationMs) {
        m_loop.quit();
    } else if (m_writer.hasFailed()) {
        m_err << translated(QT_TRANSLATE_NOOP("RecordCommand", "Recording stopped: %1"))
                     .arg(m_writer.errorString())
              << Qt::endl;
        m_exitCode = 1;
        m_loop.quit();
    } else if (m_handler->state() != AbstractCanHandler::Open) {
        // A handler closes itself only after an error it could not recover from.
        if (m_errorSinceMs < 0)
            m_errorSinceMs = m_clock.elapsed();
        if (m_handler->state() == AbstractCanHandler::Closed
            || m_clock.elapsed() - m_errorSinceMs >= AdapterLostAfterMs) {
            m_err << translated(QT_TRANSLATE_NOOP("RecordCommand", "The adapter stopped: %1"))
                         .arg(m_handler->lastError())
                  << Qt::endl;
            m_exitCode = 1;
            m_loop.quit();
        }
    } else {
        m_errorSinceMs = -1;
    }
}

int Recording::run()
{
    if (!m_writer.open(m_options.output)) {
        m_err << translated(QT_TRANSLATE_NOOP("RecordCommand", "Cannot write %1: %2"))
                     .arg(m_options.output, m_writer.errorString())
              << '\n';
        return 1;
    }
    if (!startBus()) {
        stopBus();
        // Nothing was recorded: leave no empty log behind.
        m_writer.finish();
        if (m_writer.writtenFrames() == 0)
            QFile::remove(m_options.output);
        return 1;
    }
    m_clock.start();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
    timer.start(TickMs);
    m_loop.exec();
    timer.stop();
    stopBus();
    m_writer.finish();
    const quint64 lost = m_writer.queueLostFrames() + m_writer.writeLostFrames();
    m_out << translated(QT_TRANSLATE_NOOP("RecordCommand",
                                          "%1 frames received in %2 s, %3 written to %4, %5 lost."))
                 .arg(m_dispatcher.frames())
                 .arg(double(m_clock.elapsed()) / 1000.0, 0, 'f', 1)
                 .arg(m_writer.writtenFrames())
                 .arg(QDir::toNativeSeparators(m_options.output))
                 .arg(lost)
          << Qt::endl;
    if (m_exitCode == 0 && m_writer.hasFailed()) {
        m_err << translated(QT_TRANSLATE_NOOP("RecordCommand", "Recording stopped: %1"))
                     .arg(m_writer.errorString())
              << Qt::endl;
        m_exitCode = 1;
    }
    return m_exitCode;
}

} // namespace

int runRecordCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    Options options;
    QString error;
    bool help = false;
    if (!parseOptions(arguments, &options, &error, &help)) {
        (help ? out : err) << error << Qt::endl;
        return help ? 0 : 2;
    }
    s_interrupted.store(false);
    const auto previousInt = std::signal(SIGINT, onInterrupt);
    const auto previousTerm = std::signal(SIGTERM, onInterrupt);
    int code = 0;
    {
        Recording recording(options, out, err);
        code = recording.run();
    }
    std::signal(SIGINT, previousInt == SIG_ERR ? SIG_DFL : previousInt);
    std::signal(SIGTERM, previousTerm == SIG_ERR ? SIG_DFL : previousTerm);
    return code;
}
