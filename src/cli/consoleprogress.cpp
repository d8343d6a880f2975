#include "cli/consoleprogress.h"

#include "cli/cli.h"

#include <QtMath>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>

namespace {

QString clockText(qint64 seconds)
{
    const QLatin1Char zero('0');
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, zero)
            .arg(seconds % 60, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, zero);
}

void writeStandardError(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace

ConsoleProgress::ConsoleProgress(const QCommandLineParser &parser)
{
    if (parser.isSet(QStringLiteral("quiet")) || !isTerminal(stderr))
        return;
    m_writer = &writeStandardError;
    bool ok = false;
    const int interval = qEnvironmentVariableIntValue("TARVIK_PROGRESS_INTERVAL_MS", &ok);
    if (ok && interval >= 0)
        m_intervalMs = interval;
}

ConsoleProgress::ConsoleProgress(Writer writer, int intervalMs)
    : m_writer(std::move(writer))
    , m_intervalMs(intervalMs)
{}

ConsoleProgress::~ConsoleProgress()
{
    // A command that stops in the middle of a reading leaves no line behind.
    std::lock_guard locker(m_mutex);
    clear();
}

QCommandLineOption ConsoleProgress::quietOption()
{
    return QCommandLineOption({QStringLiteral("q"), QStringLiteral("quiet")},
                              Cli::tr("Show no progress line on the terminal"));
}

bool ConsoleProgress::isTerminal(FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

QString ConsoleProgress::lineText(double share, double framesPerSecond, qint64 secondsLeft)
{
    return Cli::tr("%1% read, %2 frames/s, %3 left")
        .arg(qFloor(std::clamp(share, 0.0, 1.0) * 100))
        .arg(qRound64(std::max(framesPerSecond, 0.0)))
        .arg(secondsLeft < 0 ? QStringLiteral("-:--") : clockText(secondsLeft));
}

void ConsoleProgress::expect(qint64 bytes)
{
    if (!isShown() || bytes <= 0)
        return;
    std::lock_guard locker(m_mutex);
    m_total += bytes;
    m_expected += bytes;
}

int ConsoleProgress::begin(qint64 size)
{
    std::lock_guard locker(m_mutex);
    if (!m_clock.isValid())
        m_clock.start();
    size = std::max<qint64>(size, 0);
    const qint64 foreseen = std::min(size, m_expected);
    m_expected -= foreseen;
    m_total += size - foreseen;
    ++m_active;
    m_slots.push_back({size, 0, 0});
    return int(m_slots.size()) - 1;
}

void ConsoleProgress::update(int slot, qint64 position, qint64 frames)
{
    std::lock_guard locker(m_mutex);
    Slot &s = m_slots[size_t(slot)];
    // Binary formats may seek back (the groups of an MF4 file merged by time): the share shows
    // the furthest point reached.
    position = std::min(position, s.size);
    if (position > s.position) {
        m_read += position - s.position;
        s.position = position;
    }
    m_frames += frames - s.frames;
    s.frames = frames;
    const qint64 now = m_clock.elapsed();
    if (now - m_lastDrawMs >= m_intervalMs)
        draw(now);
}

void ConsoleProgress::end(int slot)
{
    std::lock_guard locker(m_mutex);
    // A reading that stopped early will not read the rest of its file.
    const Slot &s = m_slots[size_t(slot)];
    m_total -= s.size - s.position;
    if (--m_active == 0)
        clear();
}

void ConsoleProgress::draw(qint64 nowMs)
{
    m_lastDrawMs = nowMs;
    const double seconds = std::max<qint64>(nowMs, 1) / 1000.0;
    const double share = m_total > 0 ? double(m_read) / double(m_total) : 0.0;
    const qint64 left
        = m_read > 0 ? qRound64(seconds * double(m_total - m_read) / double(m_read)) : -1;
    const QString text = lineText(share, double(m_frames) / seconds, left);
    // Spaces wipe what a longer line before left; no terminal control sequences, which not
    // every console understands.
    QByteArray line = '\r' + text.toLocal8Bit();
    const int width = int(text.size());
    if (width < m_drawnWidth)
        line.append(m_drawnWidth - width, ' ');
    m_drawnWidth = width;
    m_writer(line);
}

void ConsoleProgress::clear()
{
    if (m_drawnWidth == 0)
        return;
    m_writer('\r' + QByteArray(m_drawnWidth, ' ') + '\r');
    m_drawnWidth = 0;
}

ConsoleProgress::Reading::Reading(ConsoleProgress *progress, qint64 size)
{
    if (!progress || !progress->isShown())
        return;
    m_progress = progress;
    m_slot = progress->begin(size);
}

ConsoleProgress::Reading::~Reading()
{
    if (m_progress)
        m_progress->end(m_slot);
}
