#include "app/timelinespans.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace TimelineSpans {

State stateOf(Deviation::Kind kind)
{
    switch (kind) {
    case Deviation::Late:
    case Deviation::TooFast:
        return Late;
    case Deviation::Missing:
    case Deviation::Silent:
        return Silent;
    case Deviation::OutOfRange:
    case Deviation::ErrorIndicator:
    case Deviation::TroubleCode:
    case Deviation::Identification:
        return WrongValue;
    case Deviation::UnexpectedUnit:
    case Deviation::UnexpectedGroup:
        return Unexpected;
    case Deviation::Moved:
        return Moved;
    case Deviation::TransportAborted:
    case Deviation::TransportTimedOut:
    case Deviation::BusLoad:
    case Deviation::KindCount:
        break;
    }
    return BusTrouble;
}

QColor colour(State state)
{
    static const QColor colours[StateCount] = {
        QColor(0x2e, 0xa0, 0x43), // green
        QColor(0xf2, 0xc0, 0x00), // yellow
        QColor(0xe0, 0x10, 0x10), // red
        QColor(0xd0, 0x20, 0xd0), // magenta
        QColor(0x90, 0x90, 0x90), // grey
        QColor(0x30, 0x60, 0xe0), // blue
        QColor(0xf0, 0x80, 0x20), // orange
    };
    return state >= 0 && state < StateCount ? colours[state] : QColor(Qt::black);
}

QString stateText(State state)
{
    static const char *const texts[StateCount] = {
        QT_TRANSLATE_NOOP("TimelineSpans", "as expected"),
        QT_TRANSLATE_NOOP("TimelineSpans", "late or too fast"),
        QT_TRANSLATE_NOOP("TimelineSpans", "silent or missing"),
        QT_TRANSLATE_NOOP("TimelineSpans", "out of range, error or trouble code"),
        QT_TRANSLATE_NOOP("TimelineSpans", "unexpected"),
        QT_TRANSLATE_NOOP("TimelineSpans", "at another address"),
        QT_TRANSLATE_NOOP("TimelineSpans", "transport or bus load"),
    };
    if (state < 0 || state >= StateCount)
        return QString();
    return QCoreApplication::translate("TimelineSpans", texts[state]);
}

QVector<Interval> merged(QVector<Interval> intervals)
{
    std::sort(intervals.begin(), intervals.end());
    QVector<Interval> out;
    for (const Interval &i : qAsConst(intervals)) {
        if (!out.isEmpty() && i.first <= out.last().second)
            out.last().second = qMax(out.last().second, i.second);
        else
            out.append(i);
    }
    return out;
}

QVector<Span> spans(const QVector<Interval> &intervals, qint64 fromUs, qint64 toUs, int pixels)
{
    QVector<Span> out;
    if (pixels <= 0 || toUs <= fromUs)
        return out;
    const double scale = double(pixels) / double(toUs - fromUs);
    // Intervals come in time order with growing ends: the first one still visible is found by
    // its end, so a long check costs a search, not a walk from its start.
    auto it = std::lower_bound(intervals.cbegin(), intervals.cend(), fromUs,
                               [](const Interval &i, qint64 t) { return i.second < t; });
    for (; it != intervals.cend() && it->first <= toUs; ++it) {
        if (it->second < fromUs)
            continue; // an interval out of order, before the view
        const int first = int(std::floor(double(qMax(it->first, fromUs) - fromUs) * scale));
        const int last
            = qMax(first, int(std::ceil(double(qMin(it->second, toUs) - fromUs) * scale)) - 1);
        const int a = qBound(0, first, pixels - 1);
        const int b = qBound(a, last, pixels - 1);
        // A gap narrower than a pixel does not show: the spans merge.
        if (!out.isEmpty() && a <= out.last().second + 1)
            out.last().second = qMax(out.last().second, b);
        else
            out.append({a, b});
    }
    return out;
}

} // namespace TimelineSpans
