#pragma once

#include <mutex>

#include "can/simulatedunit.h"

#include <QElapsedTimer>

#include <memory>
#include <vector>

// The far end of the demo bus: the simulated units and their answers due later. An adapter
// driver hands it every frame it sends and collects the due answers in each poll; both calls may
// come from any thread.
class SimulatedBus
{
public:
    SimulatedBus();

    void addUnit(std::shared_ptr<SimulatedUnit> unit);
    void clearUnits();
    bool hasUnits() const;
    // The units, for a look at what they received (their own state is theirs to guard).
    std::vector<std::shared_ptr<SimulatedUnit>> units() const;
    void framesSent(const CanMessage *frames, unsigned count);
    // Drops the recorded frames a unit now sends itself.
    void dropReplaced(QVector<CanMessage> *recorded);
    // Answers whose time has come, in order of due time and then of creation.
    QVector<CanMessage> takeDue();
    int pendingCount() const;

private:
    struct Pending
    {
        qint64 dueMs;
        quint64 order;
        CanMessage frame;
    };
    void schedule(const QVector<SimulatedReply> &replies, qint64 nowMs);

    mutable std::mutex m_mutex; // guards everything below
    std::vector<std::shared_ptr<SimulatedUnit>> m_units;
    std::vector<Pending> m_pending;
    QElapsedTimer m_clock;
    quint64 m_order = 0;
};
