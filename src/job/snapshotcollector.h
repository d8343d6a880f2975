#pragma once

#include "job/codewatcher.h"
#include "job/framering.h"

#include <QMetaType>
#include <QString>
#include <QVector>

// The frames around one change of a unit's active codes: from `before` ahead of the change to
// `after` past it. A plain value: hand it over (moved) to the thread that writes it.
struct Snapshot
{
    int id = 0; // 1, 2, ... in the order the collector opened them
    qint64 timeUs = 0;
    quint8 source = 0;
    QString change; // the texts of every change it holds, joined by "; "
    CodeWatcher::Codes appeared;
    CodeWatcher::Codes gone;
    CodeWatcher::Codes countChanged;
    CodeWatcher::Codes codesAfter; // after the last change it holds
    qint64 fromUs = 0;
    qint64 toUs = 0;
    QVector<TimedFrame> frames; // exactly those stamped fromUs <= t <= toUs
    // False when frames of the window were lost (the ring's count bound) or the collection
    // ended before the window did.
    bool complete = true;
    bool cutShort = false;
};

Q_DECLARE_METATYPE(Snapshot)

// Makes fault snapshots of a stream of frames: keeps the latest frames in a FrameRing, watches
// the DM1 codes with a CodeWatcher, and opens a snapshot at each change of a unit's codes,
// completed once the frames' clock (or advance()) passes its window. Memory stays bounded: the
// ring, and the frames of completed snapshots until they are taken. Not thread-safe: one thread.
class SnapshotCollector
{
public:
    static constexpr qint64 DefaultBeforeUs = 10 * 1000 * 1000;
    static constexpr qint64 DefaultAfterUs = 5 * 1000 * 1000;
    static constexpr int DefaultLimit = 200;

    explicit SnapshotCollector(int maxFrames = FrameRing::DefaultMaxFrames);

    // For snapshots opened from now on; the ring keeps the span they need.
    void setWindow(qint64 beforeUs, qint64 afterUs);
    qint64 beforeUs() const { return m_beforeUs; }
    qint64 afterUs() const { return m_afterUs; }
    // At most this many snapshots in all; changes after that are counted in skipped().
    void setLimit(int limit) { m_limit = limit; }
    int limit() const { return m_limit; }
    int skipped() const { return m_skipped; }

    // Frames in arrival order; a stamp more than a second before the latest is a clock that
    // started again: the snapshots collecting end cut short and the ring starts afresh.
    void take(const TimedFrame &frame);
    void take(const QVector<TimedFrame> &frames);
    // The clock reached `nowUs` (on the frames' clock) with no frame: a window that ended before
    // it is complete, though the bus went quiet.
    void advance(qint64 nowUs);
    // Completes what is still collecting with the frames there are; a window the last frame did
    // not reach is marked cut short.
    void finish();

    bool hasCompleted() const { return !m_completed.isEmpty(); }
    QVector<Snapshot> takeCompleted();
    // Units whose first DM1 already held codes: no snapshot, but worth a note.
    QVector<CodeWatcher::Change> takeBaselines();
    int collecting() const { return m_collecting.size(); }

    const FrameRing &ring() const { return m_ring; }
    const CodeWatcher &watcher() const { return m_watcher; }

private:
    void open(const CodeWatcher::Change &change);
    void complete(int index, bool cutShort);
    void completeBefore(qint64 nowUs);

    FrameRing m_ring;
    CodeWatcher m_watcher;
    qint64 m_beforeUs = DefaultBeforeUs;
    qint64 m_afterUs = DefaultAfterUs;
    int m_limit = DefaultLimit;
    int m_opened = 0;
    int m_skipped = 0;
    bool m_seenAny = false;
    qint64 m_lastUs = 0;
    QVector<Snapshot> m_collecting; // without frames until complete
    QVector<Snapshot> m_completed;
    QVector<CodeWatcher::Change> m_baselines;
};
