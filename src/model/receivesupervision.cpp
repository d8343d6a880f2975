#include "model/receivesupervision.h"

#include <algorithm>
#include <chrono>

namespace {

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ReceiveSupervision::ReceiveSupervision(QObject *item)
    : m_timer(item)
{}

void ReceiveSupervision::setNominalInterval(int interval)
{
    m_nominalInterval = interval;
    m_timer.setInterval(std::max(0, interval));
}

void ReceiveSupervision::arm(int interval)
{
    if (interval > 0)
        m_timer.start(interval);
    else
        m_timer.start();
    m_frameSinceArm = false;
}

int ReceiveSupervision::takeFrame(bool stamp)
{
    const int missed = m_missedPeriods.load();
    m_missedPeriods.store(missed > 5 ? 4 : std::max(0, missed - 1));
    if (stamp)
        m_lastFrameAt = steadyMs();
    m_frameSinceArm = true;
    return missed;
}

bool ReceiveSupervision::rearmForLateFrame()
{
    if (!m_frameSinceArm || m_nominalInterval <= 0)
        return false;
    const qint64 remaining = m_nominalInterval - (steadyMs() - m_lastFrameAt);
    m_frameSinceArm = false;
    if (remaining <= 1)
        return false;
    // The shortened interval is set back at the next timeout.
    m_timer.start(int(remaining));
    return true;
}

bool ReceiveSupervision::periodEnded()
{
    if (rearmForLateFrame())
        return false;
    if (m_timer.interval() != m_nominalInterval && m_nominalInterval > 0)
        m_timer.start(m_nominalInterval);
    return true;
}

int ReceiveSupervision::countMissedPeriod()
{
    const int missed = std::min(m_missedPeriods.load() + 1, MaxMissedPeriods);
    m_missedPeriods.store(missed);
    return missed;
}
