#include "can/busclock.h"

#include "can/abstractcanmessagedispatcher.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

qint64 steadyUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

const BusClock &BusClock::of(const AbstractCanMessageDispatcher *bus)
{
    // Never told to follow anything: the wall clock, whoever asks.
    static const BusClock wall;
    return bus ? bus->clock() : wall;
}

qint64 BusClock::nowMs() const
{
    std::lock_guard locker(m_mutex);
    if (!m_recording)
        return QDateTime::currentMSecsSinceEpoch();
    return m_anchorBusMs
           + qint64(std::floor(double(steadyUs() - m_anchorSteadyUs) * m_rate / 1000.0));
}

double BusClock::rate() const
{
    std::lock_guard locker(m_mutex);
    return m_recording ? m_rate : 1.0;
}

bool BusClock::followsRecording() const
{
    std::lock_guard locker(m_mutex);
    return m_recording;
}

int BusClock::wallInterval(int busMs) const
{
    const double r = rate();
    if (r <= 0 || r == 1.0 || busMs <= 0)
        return busMs;
    return int(std::clamp(std::ceil(double(busMs) / r), 1.0, 2147483647.0));
}

void BusClock::followRecording(qint64 busMs, double rate)
{
    std::lock_guard locker(m_mutex);
    m_recording = true;
    m_anchorBusMs = busMs;
    m_anchorSteadyUs = steadyUs();
    m_rate = std::max(0.0, rate);
}

void BusClock::followWallClock()
{
    std::lock_guard locker(m_mutex);
    m_recording = false;
    m_rate = 1.0;
}
