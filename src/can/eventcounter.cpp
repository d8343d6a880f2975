#include "can/eventcounter.h"

#include <QMetaObject>
#include <QThread>
#include <mutex>

#include <algorithm>

namespace {
constexpr int DefaultIntervalMs = 500;
}

EventCounter::EventCounter(int depth, QObject *parent)
    : QObject(parent)
    , m_timer(this)
{
    m_buckets.resize(std::max(1, depth));
    std::fill(m_buckets.begin(), m_buckets.end(), 0);
    m_timer.setInterval(DefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &EventCounter::shift);
}

void EventCounter::inc(int n)
{
    // One locked add per event: the pending events are what the total gained since the last
    // shift.
    m_total.fetch_add(n, std::memory_order_relaxed);
    if (!m_timerActive.load(std::memory_order_relaxed)) {
        bool expected = false;
        if (m_timerActive.compare_exchange_strong(expected, true))
            startTimer();
    }
}

void EventCounter::startTimer()
{
    if (QThread::currentThread() == thread())
        m_timer.start();
    else
        QMetaObject::invokeMethod(&m_timer, "start", Qt::QueuedConnection);
}

int EventCounter::get() const
{
    return m_sum.load(std::memory_order_relaxed);
}

qint64 EventCounter::totalEvents() const
{
    return m_total.load(std::memory_order_relaxed);
}

int EventCounter::periodFor(int sum) const
{
    return sum != 0 ? m_buckets.size() * m_timer.interval() / sum : 0;
}

int EventCounter::period() const
{
    std::lock_guard locker(m_mutex);
    return periodFor(m_sum.load());
}

int EventCounter::depth() const
{
    std::lock_guard locker(m_mutex);
    return m_buckets.size();
}

void EventCounter::setDepth(int depth)
{
    std::lock_guard locker(m_mutex);
    depth = std::max(1, depth);
    const int old = m_buckets.size();
    if (depth < old) {
        // Keep the newest buckets: they are at the back.
        std::move(m_buckets.end() - depth, m_buckets.end(), m_buckets.begin());
        m_buckets.resize(depth);
    } else if (depth > old) {
        m_buckets.resize(depth);
        std::move_backward(m_buckets.begin(), m_buckets.begin() + old, m_buckets.end());
        std::fill(m_buckets.begin(), m_buckets.begin() + (depth - old), 0);
    }
}

int EventCounter::interval() const
{
    return m_timer.interval();
}

void EventCounter::setInterval(int ms)
{
    m_timer.setInterval(ms);
}

int EventCounter::shiftLocked()
{
    const qint64 total = m_total.load();
    m_buckets.last() += int(total - m_folded);
    m_folded = total;
    const int oldSum = m_sum.load();
    int sum = 0;
    for (int v : m_buckets)
        sum += v;
    m_sum.store(sum);
    std::move(m_buckets.begin() + 1, m_buckets.end(), m_buckets.begin());
    m_buckets.last() = 0;
    if (sum == 0 && oldSum == 0) {
        m_timer.stop();
        m_timerActive.store(false);
        // An event that raced the decision restarts the timer at once.
        bool expected = false;
        if (m_total.load() != m_folded && m_timerActive.compare_exchange_strong(expected, true))
            m_timer.start();
    }
    return sum;
}

void EventCounter::shift()
{
    int sum;
    int p;
    {
        std::lock_guard locker(m_mutex);
        sum = shiftLocked();
        p = periodFor(sum);
    }
    emit periodChanged(p);
}
