#pragma once

#include "buscheck/deviation.h"

#include <QColor>
#include <QPair>
#include <QString>
#include <QVector>

// How the bus check's timeline shows time: the state a deviation paints its lane in, and the
// pixel spans of a lane's intervals in the visible stretch of time, merged so that a lane never
// costs more than its width in pixels however long the check ran. Plain functions, any thread.
namespace TimelineSpans {

enum State {
    AsExpected = 0, // frames came as expected
    Late,           // late or too fast
    Silent,         // silent or missing
    WrongValue,     // out of range, error indicator, trouble code, identification
    Unexpected,     // an unit or group the scheme does not expect
    Moved,          // a unit at another address
    BusTrouble,     // transport sessions and bus load
    StateCount
};

using Interval = QPair<qint64, qint64>;
using Span = QPair<int, int>; // first and last pixel, both included

State stateOf(Deviation::Kind kind);
QColor colour(State state);
// The legend's words for the state, translated.
QString stateText(State state);

// The intervals sorted by start, overlapping ones joined: ready for spans().
QVector<Interval> merged(QVector<Interval> intervals);

// The pixel spans of `intervals` (in time order, µs) that meet [fromUs, toUs] drawn `pixels`
// wide: spans that touch or overlap in pixels are one. At most pixels / 2 + 1 spans come back.
QVector<Span> spans(const QVector<Interval> &intervals, qint64 fromUs, qint64 toUs, int pixels);

} // namespace TimelineSpans
