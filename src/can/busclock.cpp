#include "can/busclock.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>

namespace {

struct State
{
    std::mutex mutex;
    bool recording = false;
    qint64 anchorBusMs = 0;
    qint64 anchorSteadyUs = 0;
    double rate = 1.0;
};

State &state()
{
    static State s;
    return s;
}

qint64 steadyUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

qint64 BusClock::nowMs()
{
    State &s = state();
    std::lock_guard locker(s.mutex);
    if (!s.recording)
        return QDateTime::currentMSecsSinceEpoch();
    return s.anchorBusMs
           + qint64(std::floor(double(steadyUs() - s.anchorSteadyUs) * s.rate / 1000.0));
}

double BusClock::rate()
{
    State &s = state();
    std::lock_guard locker(s.mutex);
    return s.recording ? s.rate : 1.0;
}

bool BusClock::followsRecording()
{
    State &s = state();
    std::lock_guard locker(s.mutex);
    return s.recording;
}

int BusClock::wallInterval(int busMs)
{
    const double r = rate();
    if (r <= 0 || r == 1.0 || busMs <= 0)
        return busMs;
    return int(std::clamp(std::ceil(double(busMs) / r), 1.0, 2147483647.0));
}

void BusClock::followRecording(qint64 busMs, double rate)
{
    State &s = state();
    std::lock_guard locker(s.mutex);
    s.recording = true;
    s.anchorBusMs = busMs;
    s.anchorSteadyUs = steadyUs();
    s.rate = std::max(0.0, rate);
}

void BusClock::followWallClock()
{
    State &s = state();
    std::lock_guard locker(s.mutex);
    s.recording = false;
    s.rate = 1.0;
}
