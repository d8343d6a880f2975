#pragma once

#include <QTimer>

#include <atomic>

class AbstractDisplayableItem;
class BusClock;

// The receive supervision of a scheme item: the timer that runs one period per expected frame
// and the count of periods that passed without one. A frame restarts the period without
// touching the timer: its time is noted and the timer, when it fires early, waits out the rest.
// Lives in the item's thread (the timer is a child of the item); the count is read by the GUI.
class ReceiveSupervision
{
public:
    static constexpr int MaxMissedPeriods = 128;

    explicit ReceiveSupervision(AbstractDisplayableItem *item);
    ReceiveSupervision(const ReceiveSupervision &) = delete;
    ReceiveSupervision &operator=(const ReceiveSupervision &) = delete;

    QTimer *timer() { return &m_timer; }
    int missedPeriods() const { return m_missedPeriods.load(); }
    void setMissedPeriods(int count) { m_missedPeriods.store(count); }
    int nominalInterval() const { return m_nominalInterval; }
    // The period the timer runs; it takes effect at the next start.
    void setNominalInterval(int interval);

    // Starts the timer on a period (without one: at once, as QTimer does).
    void arm(int interval);
    // A frame arrived: forgets a missed period (all but four of a long gap) and restarts the
    // period from now when `stamp` (the wall clock is read). Returns the count before.
    int takeFrame(bool stamp);
    // At a time-out: whether the period is over. When a frame came since the timer was armed,
    // the timer waits out the rest of the period from that frame instead; after such a shortened
    // wait it runs the full period again.
    bool periodEnded();
    // A period passed without a frame; returns the new count.
    int countMissedPeriod();

private:
    bool rearmForLateFrame();
    // The clock of the item's bus.
    const BusClock &clock() const;

    const AbstractDisplayableItem *m_item;
    QTimer m_timer;
    std::atomic<int> m_missedPeriods{0};
    int m_nominalInterval = -1;
    qint64 m_lastFrameAt = 0;
    bool m_frameSinceArm = false;
    // The wall-clock slack of a fast played recording was given for this period.
    bool m_slackGiven = false;
};
