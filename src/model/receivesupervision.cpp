#include "model/receivesupervision.h"

#include "can/busclock.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"

#include <algorithm>
#include <chrono>

namespace {

// A recording played faster than the bus ran: a few ms of the program's own delivery (the bus
// thread's poll on a busy machine) are many of the recording's. A period is over only after
// this much wall time more.
constexpr int DeliverySlackMs = 20;

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ReceiveSupervision::ReceiveSupervision(AbstractDisplayableItem *item)
    : m_item(item)
    , m_timer(item)
{}

const BusClock &ReceiveSupervision::clock() const
{
    return BusClock::of(m_item->dispatcher());
}

void ReceiveSupervision::setNominalInterval(int interval)
{
    m_nominalInterval = interval;
    m_timer.setInterval(std::max(0, clock().wallInterval(interval)));
}

void ReceiveSupervision::arm(int interval)
{
    // Periods are the bus's: a recording played faster has shorter ones on the wall clock.
    if (interval > 0)
        m_timer.start(clock().wallInterval(interval));
    else
        m_timer.start();
    m_frameSinceArm = false;
    m_slackGiven = false;
}

int ReceiveSupervision::takeFrame(bool stamp)
{
    const int missed = m_missedPeriods.load();
    m_missedPeriods.store(missed > 5 ? 4 : std::max(0, missed - 1));
    if (stamp)
        m_lastFrameAt = steadyMs();
    m_frameSinceArm = true;
    m_slackGiven = false;
    return missed;
}

bool ReceiveSupervision::rearmForLateFrame()
{
    if (!m_frameSinceArm || m_nominalInterval <= 0)
        return false;
    const qint64 remaining = clock().wallInterval(m_nominalInterval) - (steadyMs() - m_lastFrameAt);
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
    if (!m_slackGiven && clock().rate() > 1.0) {
        m_slackGiven = true;
        m_timer.start(DeliverySlackMs);
        return false;
    }
    m_slackGiven = false;
    const int wall = clock().wallInterval(m_nominalInterval);
    if (m_timer.interval() != wall && m_nominalInterval > 0)
        m_timer.start(wall);
    // No bus time passes while a played recording pauses: no period ends.
    return clock().rate() > 0;
}

int ReceiveSupervision::countMissedPeriod()
{
    const int missed = std::min(m_missedPeriods.load() + 1, MaxMissedPeriods);
    m_missedPeriods.store(missed);
    return missed;
}
