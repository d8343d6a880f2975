#pragma once

#include "can/framespool.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// One reading of a recording into its spool, on a thread of its own, for the player: it plays
// what is read while the rest is read. Ends (stops and waits for its thread) when destroyed.
class ReplayReading
{
public:
    ReplayReading() = default;
    ReplayReading(const ReplayReading &) = delete;
    ReplayReading &operator=(const ReplayReading &) = delete;
    ~ReplayReading();

    // Starts the reading; false when the spool cannot be made (see spool's errorString()).
    bool start(const QString &path);
    // Enough is read to play: all of it, or a start of `spanUs` with `wantedBus` (-1: any) in it.
    bool canPlay(int wantedBus, qint64 spanUs) const;
    // Waits at most `ms` for the reading to come on.
    void waitForProgress(int ms);

    FrameSpool spool;
    std::atomic<bool> done{false};
    std::atomic<int> percent{0}; // of the file read
    std::atomic<int> skipped{0};
    // The length of one pass through the recording as far as it is read.
    std::atomic<qint64> loopPeriodUs{0};
    // Once done: whether the whole file was read, and what went wrong if not.
    bool ok() const;
    QString error() const;

private:
    void run(const QString &path);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex; // guards the members below; with the condition, tells progress
    std::condition_variable m_progressed;
    bool m_ok = true;
    QString m_error;
};
