#pragma once

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

// The one progress line of a command that reads recordings: the share of the input read, frames
// a second and the time left, drawn on standard error when it is a terminal, redrawn at most once
// an interval and cleared when no reading is left. Readings in several threads (decode -j) share
// the line: every member may be called from any thread (one mutex, taken once per piece of
// frames, never per frame).
class ConsoleProgress
{
public:
    using Writer = std::function<void(const QByteArray &text)>;
    static constexpr int DefaultIntervalMs = 250;

    // A command's: on standard error, unless its --quiet is set or standard error is not a
    // terminal. The environment variable TARVIK_PROGRESS_INTERVAL_MS replaces the interval.
    explicit ConsoleProgress(const QCommandLineParser &parser);
    // Always drawn, to `writer`.
    explicit ConsoleProgress(Writer writer, int intervalMs = DefaultIntervalMs);
    ~ConsoleProgress();
    ConsoleProgress(const ConsoleProgress &) = delete;
    ConsoleProgress &operator=(const ConsoleProgress &) = delete;

    // --quiet of every command that reads recordings.
    static QCommandLineOption quietOption();
    static bool isTerminal(FILE *stream);
    // The line's text; a negative `secondsLeft` is not known yet.
    static QString lineText(double share, double framesPerSecond, qint64 secondsLeft);

    bool isShown() const { return bool(m_writer); }
    // Bytes that readings to come will read, told before they begin, so that the share is one
    // of the whole run (several recordings, one pass per bus) rather than of each reading.
    void expect(qint64 bytes);

    // One reading of a file, from its beginning to its end or to where it stopped.
    class Reading
    {
    public:
        // Does nothing when `progress` is null or not shown.
        Reading(ConsoleProgress *progress, qint64 size);
        ~Reading();
        Reading(const Reading &) = delete;
        Reading &operator=(const Reading &) = delete;
        // With each piece of frames: the file's position and the frames read so far.
        void advance(qint64 position, qint64 frames)
        {
            if (m_progress)
                m_progress->update(m_slot, position, frames);
        }

    private:
        ConsoleProgress *m_progress = nullptr;
        int m_slot = -1;
    };

private:
    struct Slot
    {
        qint64 size = 0;
        qint64 position = 0; // the furthest reached
        qint64 frames = 0;
    };
    int begin(qint64 size);
    void update(int slot, qint64 position, qint64 frames);
    void end(int slot);
    void draw(qint64 nowMs);
    void clear();

    Writer m_writer;
    int m_intervalMs = DefaultIntervalMs;
    std::mutex m_mutex;
    std::vector<Slot> m_slots;
    QElapsedTimer m_clock; // from the first reading's beginning
    qint64 m_lastDrawMs = 0;
    int m_active = 0;
    qint64 m_total = 0;    // bytes of every reading begun or expected
    qint64 m_expected = 0; // the part of m_total no reading has begun yet
    qint64 m_read = 0;
    qint64 m_frames = 0;
    int m_drawnWidth = 0; // characters of the line on the terminal, 0 when clear
};
