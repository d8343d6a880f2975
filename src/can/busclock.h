#pragma once

#include <QtGlobal>

#include <mutex>

class AbstractCanMessageDispatcher;

// The time a bus's frames are on; every bus has its own. On a live bus that is the wall clock.
// While a recording plays on the bus it is the recording's own time: it stands still while the
// player pauses, runs faster or slower with its speed and jumps when it seeks, so plots, logs and
// the receive supervision judge the recording as it was, not the wall clock. Any thread.
class BusClock
{
public:
    BusClock() = default;
    BusClock(const BusClock &) = delete;
    BusClock &operator=(const BusClock &) = delete;

    // The clock of `bus`; without a bus, one that keeps to the wall clock.
    static const BusClock &of(const AbstractCanMessageDispatcher *bus);

    // Milliseconds since the epoch on the bus's time.
    qint64 nowMs() const;
    // Bus milliseconds per wall millisecond: 1 on a live bus, 0 while a recording is paused.
    double rate() const;
    bool followsRecording() const;
    // A wall-clock interval that spans `busMs` of bus time (at least 1 ms); `busMs` itself on
    // a live bus or while paused.
    int wallInterval(int busMs) const;

    // From now on the bus's time is `busMs` and runs at `rate` (0: stands still).
    void followRecording(qint64 busMs, double rate);
    void followWallClock();

private:
    mutable std::mutex m_mutex;
    bool m_recording = false;
    qint64 m_anchorBusMs = 0;
    qint64 m_anchorSteadyUs = 0;
    double m_rate = 1.0;
};
