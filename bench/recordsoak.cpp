// Full-load soak of `tarvik-cli record`: the maker's adapter stand-in on a pseudo-terminal sends
// numbered extended frames at the rate of a fully loaded 1 Mbit/s bus for a chosen time, then
// Ctrl+C ends the recording; the log is checked for frames lost, reordered, duplicated or
// corrupted. Exit code 0 when the recording is complete. A test tool: POSIX calls are fine here.
//
//   recordsoak --cli build/src/tarvik-cli [--duration S] [--rate FRAMES_PER_S] [--keep FILE]
#include "can/candumpreader.h"
#include "support/adapterbytes.h"
#include "support/zentraxadapterpeer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <vector>

namespace {

// 8 data bytes: the number, then its complement, both little-endian.
QByteArray numberedData(quint32 n)
{
    QByteArray data(8, '\0');
    for (int i = 0; i < 4; ++i) {
        data[i] = char(n >> (8 * i));
        data[4 + i] = char(~n >> (8 * i));
    }
    return data;
}

quint32 numberOf(const CanMessage &m, bool *intact)
{
    quint32 n = 0;
    quint32 complement = 0;
    for (int i = 0; i < 4; ++i) {
        n |= quint32(m.data[i]) << (8 * i);
        complement |= quint32(m.data[4 + i]) << (8 * i);
    }
    *intact = m.length == 8 && complement == ~n && m.id == (0x18FF0000u | (n & 0xFF));
    return n;
}

struct Check
{
    quint64 frames = 0;
    quint64 lost = 0;
    quint64 reordered = 0;
    quint64 duplicated = 0;
    quint64 corrupted = 0;
    quint64 badLines = 0;
};

// Streams through the log (it may hold millions of lines) without keeping the frames.
Check checkLog(const QString &path, quint32 sent)
{
    Check check;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return check;
    const qint64 size = file.size();
    const char *p = size > 0 ? reinterpret_cast<const char *>(file.map(0, size)) : nullptr;
    const char *end = p ? p + size : nullptr;
    std::vector<bool> seen(sent, false);
    qint64 highest = -1;
    while (p && p < end) {
        const char *lineEnd = static_cast<const char *>(memchr(p, '\n', size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        TimedFrame frame;
        if (!CandumpReader::parseLine(p, lineEnd, &frame)) {
            ++check.badLines;
        } else {
            ++check.frames;
            bool intact = false;
            const quint32 n = numberOf(frame.message, &intact);
            if (!intact || n >= sent) {
                ++check.corrupted;
            } else {
                if (seen[n])
                    ++check.duplicated;
                else if (qint64(n) < highest)
                    ++check.reordered;
                seen[n] = true;
                highest = std::max<qint64>(highest, n);
            }
        }
        p = lineEnd + 1;
    }
    for (bool s : seen)
        check.lost += s ? 0 : 1;
    return check;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption cli(QStringLiteral("cli"), QStringLiteral("tarvik-cli to test"),
                                 QStringLiteral("path"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("seconds of full load (15)"),
                                      QStringLiteral("S"), QStringLiteral("15"));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("frames per second (7600: 1 Mbit/s, 8 bytes)"),
                                  QStringLiteral("N"), QStringLiteral("7600"));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("keep the recording in this file"),
                                  QStringLiteral("file"));
    parser.addOptions({cli, duration, rate, keep});
    parser.addHelpOption();
    parser.process(app);
    if (!parser.isSet(cli))
        parser.showHelp(2);
    const double seconds = parser.value(duration).toDouble();
    const double framesPerSecond = parser.value(rate).toDouble();

    QTemporaryDir dir;
    const QString output
        = parser.isSet(keep) ? parser.value(keep) : dir.filePath(QStringLiteral("soak.log"));
    ZentraxAdapterPeer peer;
    if (!peer.open()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    QProcess recorder;
    recorder.setProcessChannelMode(QProcess::ForwardedChannels);
    recorder.start(parser.value(cli), {QStringLiteral("record"), QStringLiteral("--adapter"),
                                       QStringLiteral("zentrax"), QStringLiteral("--port"),
                                       peer.portPath(), QStringLiteral("--bitrate"),
                                       QStringLiteral("1000000"), QStringLiteral("-o"), output});
    if (!recorder.waitForStarted(10000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(parser.value(cli)));
        return 1;
    }
    // The handler writes the bit-rate settings once it runs.
    QElapsedTimer clock;
    clock.start();
    while (peer.lastBitRateCode() < 0 && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (peer.lastBitRateCode() < 0) {
        std::fprintf(stderr, "the recorder never configured the adapter\n");
        recorder.kill();
        return 1;
    }

    const quint32 total = quint32(seconds * framesPerSecond);
    quint32 sent = 0;
    qint64 worstLagMs = 0;
    clock.restart();
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pace, &QTimer::timeout, [&] {
        const qint64 elapsedUs = clock.nsecsElapsed() / 1000;
        const quint32 due = std::min<quint32>(total, quint32(elapsedUs * framesPerSecond / 1e6));
        QByteArray bytes;
        for (; sent < due; ++sent)
            bytes += zentraxFramePacket(0x18FF0000u | (sent & 0xFF), true, numberedData(sent));
        if (!bytes.isEmpty())
            peer.deliver(bytes);
        // How far the stand-in fell behind its schedule (a slow reader fills the line).
        const qint64 lagMs = clock.elapsed() - qint64(double(sent) / framesPerSecond * 1000);
        worstLagMs = std::max(worstLagMs, lagMs);
        if (sent == total)
            pace.stop();
    });
    pace.start(1);
    while (pace.isActive())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double sendSeconds = double(clock.elapsed()) / 1000.0;

    // Ctrl+C once the log holds every frame, or after a grace period.
    QElapsedTimer grace;
    grace.start();
    while (grace.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        QFile log(output);
        if (log.size() >= qint64(total) * 43) // every line is 43 bytes or longer
            break;
    }
    ::kill(pid_t(recorder.processId()), SIGINT);
    if (!recorder.waitForFinished(30000)) {
        std::fprintf(stderr, "the recorder did not end on Ctrl+C\n");
        recorder.kill();
        return 1;
    }
    const Check check = checkLog(output, total);
    std::printf("soak: sent %u frames in %.1f s (%.0f frames/s), stand-in lag at most %lld ms\n",
                total, sendSeconds, double(total) / sendSeconds,
                static_cast<long long>(worstLagMs));
    std::printf("soak: recorded %llu, lost %llu, reordered %llu, duplicated %llu, corrupted %llu, "
                "bad lines %llu, recorder exit %d\n",
                static_cast<unsigned long long>(check.frames),
                static_cast<unsigned long long>(check.lost),
                static_cast<unsigned long long>(check.reordered),
                static_cast<unsigned long long>(check.duplicated),
                static_cast<unsigned long long>(check.corrupted),
                static_cast<unsigned long long>(check.badLines), recorder.exitCode());
    const bool complete = check.frames == total && check.lost == 0 && check.reordered == 0
                          && check.duplicated == 0 && check.corrupted == 0 && check.badLines == 0
                          && recorder.exitStatus() == QProcess::NormalExit
                          && recorder.exitCode() == 0;
    return complete ? 0 : 1;
}
