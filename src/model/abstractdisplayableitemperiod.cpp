// The period of an item made from traffic: learned from its frames, or none at all.
#include "model/abstractdisplayableitem.h"

#include "can/busclock.h"
#include "model/devicedispatcher.h"

#include <QThread>

#include <algorithm>

void AbstractDisplayableItem::learnPeriodFromTraffic()
{
    if (isBridge())
        return;
    const bool periodic = (deviceType() & Continuous) != 0;
    m_learner.start(periodic ? transmissionInterval() : 0);
    // The described period is only a guess: nothing is judged before a second frame.
    if (periodic)
        timer()->stop();
}

void AbstractDisplayableItem::learnFrom(qint64 stamp)
{
    // Played as fast as possible (or paused) the stamps tell the batches, not the bus.
    if (BusClock::of(dispatcher()).rate() <= 0) {
        m_learner.forgetLastFrame();
        return;
    }
    const PeriodLearner::Outcome outcome = m_learner.takeFrame(stamp);
    if (outcome == PeriodLearner::Irregular) {
        setEventDriven();
        return;
    }
    // Only a periodic item is judged while it learns; one watched for activity (a group without
    // a description) becomes periodic once its period is known.
    if (outcome == PeriodLearner::Learning
        && (!(deviceType() & Continuous) || !m_learner.hasInterval()))
        return;
    superviseWith(m_learner.period(), m_learner.tolerance(ReceiveToleranceMs));
}

void AbstractDisplayableItem::superviseWith(int periodMs, int toleranceMs)
{
    m_toleranceMs.store(toleranceMs);
    const DeviceType type = deviceType();
    if (!(type & Continuous))
        setDeviceType(DeviceType((type & ~Spontaneous) | Continuous), periodMs);
    else if (periodMs != transmissionInterval())
        setDeviceType(type, periodMs);
    const int judged = periodMs + (state() == Send ? 0 : toleranceMs);
    m_supervision.setNominalInterval(judged);
    m_supervision.arm(judged);
}

void AbstractDisplayableItem::setEventDriven()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this] { setEventDriven(); }, Qt::QueuedConnection);
        return;
    }
    m_learner.stop();
    const DeviceType type = deviceType();
    if (type & Continuous) {
        // The timer only marks activity now: a spell as long as the unknown groups'.
        constexpr int ActivityMs = 5000;
        setDeviceType(DeviceType((type & ~Continuous) | Spontaneous),
                      std::max(ActivityMs, transmissionInterval()));
    }
    m_supervision.setMissedPeriods(0);
    const int current = state();
    if (current == ReceiveWarning || current == ReceiveError)
        setState(ReceiveOk);
    setUpdateNeeded();
}
