#include "can/simulatedbus.h"

#include <algorithm>

SimulatedBus::SimulatedBus()
{
    m_clock.start();
}

void SimulatedBus::addUnit(std::shared_ptr<SimulatedUnit> unit)
{
    std::lock_guard locker(m_mutex);
    m_units.push_back(std::move(unit));
}

void SimulatedBus::clearUnits()
{
    std::lock_guard locker(m_mutex);
    m_units.clear();
    m_pending.clear();
}

std::vector<std::shared_ptr<SimulatedUnit>> SimulatedBus::units() const
{
    std::lock_guard locker(m_mutex);
    return m_units;
}

bool SimulatedBus::hasUnits() const
{
    std::lock_guard locker(m_mutex);
    return !m_units.empty();
}

void SimulatedBus::schedule(const QVector<SimulatedReply> &replies, qint64 nowMs)
{
    for (const SimulatedReply &reply : replies)
        m_pending.push_back({nowMs + std::max(0, reply.delayMs), m_order++, reply.frame});
}

void SimulatedBus::framesSent(const CanMessage *frames, unsigned count)
{
    std::lock_guard locker(m_mutex);
    const qint64 now = m_clock.elapsed();
    for (unsigned i = 0; i < count; ++i) {
        for (const auto &unit : m_units) {
            QVector<SimulatedReply> replies;
            unit->frameSent(frames[i], &replies);
            schedule(replies, now);
        }
    }
}

void SimulatedBus::dropReplaced(QVector<CanMessage> *recorded)
{
    std::lock_guard locker(m_mutex);
    if (m_units.empty())
        return;
    auto replaced = [this](const CanMessage &frame) {
        bool any = false;
        for (const auto &unit : m_units)
            any = unit->replacesRecorded(frame) || any; // every unit sees every frame
        return any;
    };
    recorded->erase(std::remove_if(recorded->begin(), recorded->end(), replaced),
                    recorded->end());
}

QVector<CanMessage> SimulatedBus::takeDue()
{
    std::lock_guard locker(m_mutex);
    const qint64 now = m_clock.elapsed();
    for (const auto &unit : m_units) {
        QVector<SimulatedReply> replies;
        unit->tick(now, &replies);
        schedule(replies, now);
    }
    std::stable_sort(m_pending.begin(), m_pending.end(), [](const Pending &a, const Pending &b) {
        return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.order < b.order;
    });
    QVector<CanMessage> due;
    auto it = m_pending.begin();
    while (it != m_pending.end() && it->dueMs <= now) {
        due.append(it->frame);
        ++it;
    }
    m_pending.erase(m_pending.begin(), it);
    return due;
}

int SimulatedBus::pendingCount() const
{
    std::lock_guard locker(m_mutex);
    return int(m_pending.size());
}
