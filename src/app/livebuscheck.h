#pragma once

#include "buscheck/buschecker.h"
#include "buscheck/buslearner.h"
#include "can/abstractcanhandler.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class AbstractDisplayableItem;

// The bus check in the window: learns the last hour of live (or replayed) traffic in stretches
// of a minute, writes what it learned onto the scheme's items, and checks the bus against the
// items' expectations while the engineer lets it run. Fed with the notifier's packs: the frames
// received and those the scheme's own items send. GUI thread; a learning started with
// startLearning() joins the stretches on a thread of its own, which gets the stretches it reads
// as its own (completed stretches are never written again, the current one is copied).
class LiveBusCheck : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultAdvanceMs = 250;
    static constexpr int DefaultStretchMs = 60000;
    // Stretches kept: learning reaches back an hour at most, so memory stays bounded.
    static constexpr int StretchLimit = 60;
    // Frames reach the window up to a notifier tick after the bus saw them: time the check
    // judges lags the clock by this much, so a frame on its way is not taken for a gap.
    static constexpr int DefaultLagMs = 200;

    using Clock = std::function<qint64()>;

    explicit LiveBusCheck(QObject *parent = nullptr);
    ~LiveBusCheck() override;

    // How often the running check moves on without frames, and how long one learning stretch
    // lasts (a minute; tests shorten both).
    void setAdvanceInterval(int ms) { m_advance.setInterval(ms); }
    int advanceInterval() const { return m_advance.interval(); }
    void setStretchLength(int ms) { m_stretchUs = qint64(qMax(1, ms)) * 1000; }
    void setLag(int ms) { m_lagUs = qint64(qMax(0, ms)) * 1000; }
    // The bus clock in µs, the frames' own (the handler's elapsed time unless replaced).
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // The adapter of the bus checked: its clock and bit rate.
    void setHandler(const AbstractCanHandler *handler) { m_handler = handler; }
    // Watches another bus from now on: a running check ends and the traffic kept for learning
    // goes, since its times are the other adapter's clock.
    void switchBus(const AbstractCanHandler *handler);
    qint64 nowUs() const;

    // Stretches of traffic learned so far (the current one counts), at most StretchLimit.
    int stretchCount() const { return int(m_stretches.size()); }
    // Learns from the last `stretches` lengths of time (whole stretches, the oldest reaching
    // further back) and writes the expectations onto these devices' items; the number of items
    // that got one, -1 when nothing was learned yet.
    int learn(const QList<AbstractDisplayableItem *> &devices, int stretches, double marginPercent);
    // The same learning with the costly part (joining the stretches, working out each function's
    // period) on a worker thread: learningProgress tells how far it is, learningEnded when it is
    // over, and applyLearned() then writes the expectations. False when nothing was learned yet
    // or a learning runs.
    bool startLearning(int stretches, double marginPercent);
    bool isLearning() const { return m_run != nullptr; }
    // Stops the running learning: nothing is written, learningEnded(false) comes at once.
    void cancelLearning();
    // Writes what the learning that ended learned onto these devices' items (as learn() does),
    // once; the number of items, -1 when there is nothing to write.
    int applyLearned(const QList<AbstractDisplayableItem *> &devices);
    // The source addresses the last learning saw that have no unit in the scheme.
    const QList<quint8> &sourcesOutsideScheme() const { return m_outside; }

    // Starts a new check of these devices (top-level items of the scheme); a running one ends.
    // `bus` names their bus in the report, empty while the window has one.
    void start(const QList<AbstractDisplayableItem *> &devices, const QString &bus = QString());
    // Ends the running check; its result stays until the next start.
    void stop();
    bool isRunning() const { return m_checker && !m_checker->isFinished(); }
    // The running or the last check; null before the first.
    const BusChecker *checker() const { return m_checker.get(); }
    // The name of the bus of the running or the last check; empty for a window of one bus.
    const QString &checkedBus() const { return m_checkedBus; }
    // Writes the last check as JUnit XML (".xml") or JSON (anything else), atomically.
    bool saveReport(const QString &path, const QString &scheme, QString *error) const;
    // The scheme was replaced: what was learned belongs to items that are gone (a running
    // learning stops too).
    void forgetLearned();

public slots:
    void slotNotifyPack(const AbstractCanHandler::MessagePack &pack);

signals:
    void started();
    void stopped();
    // A deviation opened (index is the next row), changed or ended.
    void deviationChanged(int index);
    // The check moved on: open deviations and lanes grew up to now.
    void advanced();
    void learningProgress(int percent);
    // The learning started with startLearning() is over: done, or cancelled.
    void learningEnded(bool completed);

private:
    struct Stretch
    {
        qint64 startUs = 0;
        // Only the last stretch is written to; the others may be read by a learning thread.
        std::shared_ptr<BusLearner> learner;
    };
    using Stretches = std::vector<std::shared_ptr<const BusLearner>>;
    struct LearningRun;

    // The stretches that meet the last `stretches` lengths of time, the current one copied.
    Stretches stretchesToLearn(int stretches) const;
    // Joins them and finishes the joined learner at `endUs`; null when there is nothing or
    // `progress` stopped it.
    static std::shared_ptr<BusLearner> join(const Stretches &stretches, qint64 endUs,
                                            const std::function<bool(int percent)> &progress);
    int apply(const BusLearner &joined, const QList<AbstractDisplayableItem *> &devices,
              double marginPercent);
    void learningDone(const std::shared_ptr<LearningRun> &run,
                      const std::shared_ptr<BusLearner> &joined);
    void takeForLearning(const CanMessage &message, qint64 timeUs, AbstractDisplayableItem *item);
    void slotAdvance();

    std::deque<Stretch> m_stretches;
    std::unique_ptr<BusChecker> m_checker;
    QTimer m_advance;
    Clock m_clock;
    const AbstractCanHandler *m_handler = nullptr;
    qint64 m_stretchUs = qint64(DefaultStretchMs) * 1000;
    qint64 m_lagUs = qint64(DefaultLagMs) * 1000;
    qint64 m_lastFrameUs = -1;
    QList<quint8> m_outside;
    QString m_checkedBus;
    std::shared_ptr<LearningRun> m_run;
    std::shared_ptr<BusLearner> m_learned;
    double m_learnedMargin = 0;
};
