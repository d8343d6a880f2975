#include "job/snapshotcollector.h"

#include <algorithm>

namespace {

// The ring keeps a little more than a window, for frames stamped a bit out of order.
constexpr qint64 RingMarginUs = 1000 * 1000;
// A frame stamped this much before the latest one comes from a clock that started again (an
// adapter reopened): the windows open cannot be judged on it.
constexpr qint64 ClockRestartUs = 1000 * 1000;

} // namespace

SnapshotCollector::SnapshotCollector(int maxFrames)
    : m_ring(DefaultBeforeUs + DefaultAfterUs + RingMarginUs, maxFrames)
{}

void SnapshotCollector::setWindow(qint64 beforeUs, qint64 afterUs)
{
    m_beforeUs = std::max<qint64>(0, beforeUs);
    m_afterUs = std::max<qint64>(0, afterUs);
    // Never narrower than a window still collecting needs.
    qint64 span = m_beforeUs + m_afterUs;
    for (const Snapshot &s : qAsConst(m_collecting))
        span = std::max(span, s.toUs - s.fromUs);
    m_ring.setSpan(span + RingMarginUs);
}

void SnapshotCollector::complete(int index, bool cutShort)
{
    Snapshot s = m_collecting.takeAt(index);
    s.frames = m_ring.frames(s.fromUs, s.toUs);
    s.cutShort = cutShort;
    s.complete = !cutShort && m_ring.holdsSince(s.fromUs);
    m_completed.append(std::move(s));
}

void SnapshotCollector::completeBefore(qint64 nowUs)
{
    for (int i = 0; i < m_collecting.size();) {
        if (m_collecting.at(i).toUs < nowUs)
            complete(i, false);
        else
            ++i;
    }
}

void SnapshotCollector::open(const CodeWatcher::Change &change)
{
    // A unit still collecting takes the change into the snapshot it has: a flapping code makes
    // one snapshot per window, not one per message.
    for (Snapshot &s : m_collecting) {
        if (s.source != change.source)
            continue;
        s.change += QStringLiteral("; ") + change.text();
        s.appeared += change.appeared;
        s.gone += change.gone;
        s.countChanged += change.countChanged;
        s.codesAfter = change.codesAfter;
        return;
    }
    if (m_opened >= m_limit) {
        ++m_skipped;
        return;
    }
    Snapshot s;
    s.id = ++m_opened;
    s.timeUs = change.timeUs;
    s.source = change.source;
    s.change = change.text();
    s.appeared = change.appeared;
    s.gone = change.gone;
    s.countChanged = change.countChanged;
    s.codesAfter = change.codesAfter;
    s.fromUs = change.timeUs - m_beforeUs;
    s.toUs = change.timeUs + m_afterUs;
    m_collecting.append(s);
}

void SnapshotCollector::take(const TimedFrame &frame)
{
    if (m_seenAny && frame.timeUs < m_lastUs - ClockRestartUs) {
        // The frames held and the windows open belong to the old clock: the windows end with
        // what they have, and the ring starts empty, so no window of the new clock picks up
        // frames of the old one.
        finish();
        m_ring.clear();
        m_seenAny = false;
    }
    // Windows this frame lies past are complete before it enters the ring, which may push out
    // their oldest frames.
    if (!m_collecting.isEmpty())
        completeBefore(frame.timeUs);
    m_ring.append(frame);
    m_lastUs = m_seenAny ? std::max(m_lastUs, frame.timeUs) : frame.timeUs;
    m_seenAny = true;
    const QVector<CodeWatcher::Change> changes = m_watcher.take(frame);
    for (const CodeWatcher::Change &c : changes) {
        if (c.baseline)
            m_baselines.append(c);
        else
            open(c);
    }
}

void SnapshotCollector::take(const QVector<TimedFrame> &frames)
{
    for (const TimedFrame &f : frames)
        take(f);
}

void SnapshotCollector::advance(qint64 nowUs)
{
    completeBefore(nowUs);
}

void SnapshotCollector::finish()
{
    // A window the last frame reached is whole; the others end short.
    while (!m_collecting.isEmpty())
        complete(0, !m_seenAny || m_lastUs < m_collecting.constFirst().toUs);
}

QVector<Snapshot> SnapshotCollector::takeCompleted()
{
    QVector<Snapshot> out;
    out.swap(m_completed);
    return out;
}

QVector<CodeWatcher::Change> SnapshotCollector::takeBaselines()
{
    QVector<CodeWatcher::Change> out;
    out.swap(m_baselines);
    return out;
}
