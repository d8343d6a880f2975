#pragma once

#include <mutex>

#include <QObject>
#include <QTimer>
#include <QVarLengthArray>

#include <atomic>

// Counts events in a sliding window of fixed-length buckets and derives a rate. `inc` may be
// called from any thread and takes no lock (it is on the path of every frame); the timer and
// `shift` run in the counter's own thread and fold the pending count into the window.
class EventCounter : public QObject
{
    Q_OBJECT

public:
    explicit EventCounter(int depth = 10, QObject *parent = nullptr);

    void inc(int n = 1);
    int get() const;
    qint64 totalEvents() const;
    int period() const;
    int depth() const;
    void setDepth(int depth);
    int interval() const;
    void setInterval(int ms);
    bool isTimerActive() const { return m_timerActive.load(); }

signals:
    void periodChanged(int ms);

public slots:
    virtual void shift();

protected:
    // Moves the window one bucket on; returns the new window sum. Caller holds the mutex.
    int shiftLocked();
    int periodFor(int sum) const;

    mutable std::recursive_mutex m_mutex;

private:
    void startTimer();

    QVarLengthArray<int, 10> m_buckets;
    std::atomic<int> m_sum{0};
    QTimer m_timer;
    std::atomic<qint64> m_total{0};
    // The total the last shift folded into a bucket; what the total has beyond it is pending.
    // Counter's thread, under the mutex.
    qint64 m_folded = 0;
    std::atomic<bool> m_timerActive{false};
};
