#include "ui/editors/bustimelineplot.h"

#include "app/livebuscheck.h"
#include "buscheck/buschecker.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>

#include <qwt_plot_canvas.h>
#include <qwt_plot_item.h>
#include <qwt_plot_magnifier.h>
#include <qwt_scale_div.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_map.h>
#include <qwt_scale_widget.h>

#include <array>
#include <cmath>

namespace {

// Draws the lanes: the plot knows the check, the item only hands it the maps.
class LanesItem : public QwtPlotItem
{
public:
    explicit LanesItem(const BusTimelinePlot *plot)
        : m_plot(plot)
    {
        setZ(10);
    }
    int rtti() const override { return QwtPlotItem::Rtti_PlotUserItem + 29; }
    void draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
              const QRectF &canvasRect) const override
    {
        m_plot->drawLanes(painter, xMap, yMap, canvasRect);
    }

private:
    const BusTimelinePlot *m_plot;
};

// The lane names beside their rows; no labels between rows.
class LaneScaleDraw : public QwtScaleDraw
{
public:
    void setNames(const QStringList &names)
    {
        m_names = names;
        invalidateCache();
    }
    QwtText label(double value) const override
    {
        const int row = qRound(value);
        if (qAbs(value - row) > 0.01 || row < 0 || row >= m_names.size())
            return QwtText();
        return QwtText(m_names.at(row));
    }

private:
    QStringList m_names;
};

// Painted last on top: the worst states stay visible where deviations overlap.
constexpr std::array<TimelineSpans::State, 6> DrawOrder{
    TimelineSpans::Unexpected, TimelineSpans::Moved,      TimelineSpans::BusTrouble,
    TimelineSpans::Late,       TimelineSpans::WrongValue, TimelineSpans::Silent};

} // namespace

BusTimelinePlot::BusTimelinePlot(LiveBusCheck *check, QWidget *parent)
    : QwtPlot(parent)
    , m_check(check)
{
    setObjectName(QStringLiteral("busCheckTimeline"));
    canvas()->setObjectName(QStringLiteral("busCheckTimelineCanvas"));
    canvas()->installEventFilter(this);
    if (auto *c = qobject_cast<QwtPlotCanvas *>(canvas()))
        c->setPaintAttribute(QwtPlotCanvas::BackingStore, false);
    setCanvasBackground(Qt::white);
    setAxisScaleDraw(QwtPlot::yLeft, new LaneScaleDraw);
    setAxisMaxMinor(QwtPlot::yLeft, 0);
    setAxisTitle(QwtPlot::xBottom, tr("Time on the bus, s"));
    (new LanesItem(this))->attach(this);
    auto *magnifier = new QwtPlotMagnifier(canvas());
    magnifier->setAxisEnabled(QwtPlot::yLeft, false);
    // Zooming takes the time axis from the check: it stays where the engineer put it.
    connect(axisWidget(QwtPlot::xBottom), &QwtScaleWidget::scaleDivChanged, this, [this] {
        if (!m_scaling && m_follow)
            setFollowing(false);
    });
    refresh();
}

bool BusTimelinePlot::hasFunctions(const QString &unitLane) const
{
    const BusChecker *checker = m_check ? m_check->checker() : nullptr;
    if (!checker)
        return false;
    for (const BusChecker::Lane &lane : checker->lanes()) {
        if (lane.parentKey == unitLane)
            return true;
    }
    return false;
}

void BusTimelinePlot::updateRows()
{
    m_rows.clear();
    m_rowNames.clear();
    const BusChecker *checker = m_check ? m_check->checker() : nullptr;
    if (!checker)
        return;
    QSet<QString> parents;
    for (const BusChecker::Lane &lane : checker->lanes()) {
        if (!lane.parentKey.isEmpty())
            parents.insert(lane.parentKey);
    }
    for (const BusChecker::Lane &lane : checker->lanes()) {
        if (!lane.parentKey.isEmpty() && !m_expanded.contains(lane.parentKey))
            continue;
        m_rows << lane.key;
        if (!lane.parentKey.isEmpty())
            m_rowNames << QStringLiteral("· ") + lane.name;
        else if (parents.contains(lane.key))
            m_rowNames << (m_expanded.contains(lane.key) ? QStringLiteral("▾ ")
                                                         : QStringLiteral("▸ "))
                              + lane.name;
        else
            m_rowNames << lane.name;
    }
}

void BusTimelinePlot::refresh()
{
    updateRows();
    static_cast<LaneScaleDraw *>(axisScaleDraw(QwtPlot::yLeft))->setNames(m_rowNames);
    const int rows = qMax(1, m_rows.size());
    setMinimumHeight(rows * RowHeight + 60);
    m_scaling = true;
    setAxisScale(QwtPlot::yLeft, rows - 0.5, -0.5, 1.0);
    if (m_follow) {
        // The whole check up to now, at least ten seconds of it.
        const BusChecker *checker = m_check ? m_check->checker() : nullptr;
        const bool begun = checker && checker->startUs() >= 0;
        const double from = begun ? double(checker->startUs()) / 1e6 : 0.0;
        const double to = begun ? double(checker->nowUs()) / 1e6 : 0.0;
        setAxisScale(QwtPlot::xBottom, from, qMax(from + 10.0, to));
    }
    axisWidget(QwtPlot::yLeft)->update();
    replot();
    m_scaling = false;
}

void BusTimelinePlot::setFollowing(bool on)
{
    if (m_follow == on)
        return;
    m_follow = on;
    emit followingChanged(on);
    if (on)
        refresh();
}

void BusTimelinePlot::setExpanded(const QString &unitLane, bool expanded)
{
    if (expanded)
        m_expanded.insert(unitLane);
    else
        m_expanded.remove(unitLane);
    refresh();
}

QPoint BusTimelinePlot::rowPoint(int row) const
{
    return QPoint(4, int(transform(QwtPlot::yLeft, row)));
}

bool BusTimelinePlot::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == canvas() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const int row = qRound(invTransform(QwtPlot::yLeft, mouse->pos().y()));
        const BusChecker *checker = m_check ? m_check->checker() : nullptr;
        if (mouse->button() == Qt::LeftButton && checker && row >= 0 && row < m_rows.size()) {
            const QString key = m_rows.at(row);
            if (hasFunctions(key))
                setExpanded(key, !m_expanded.contains(key));
            for (const BusChecker::Lane &lane : checker->lanes()) {
                if (lane.key == key)
                    emit laneClicked(lane.itemKey);
            }
        }
    }
    return QwtPlot::eventFilter(watched, event);
}

void BusTimelinePlot::drawLanes(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                                const QRectF &canvasRect) const
{
    m_painted.clear();
    const BusChecker *checker = m_check ? m_check->checker() : nullptr;
    if (!checker || checker->startUs() < 0 || m_rows.isEmpty())
        return;
    const qint64 fromUs = qint64(xMap.s1() * 1e6);
    const qint64 toUs = qint64(xMap.s2() * 1e6);
    // Spans are counted in the time axis' own pixels.
    const int left = int(std::lround(qMin(xMap.p1(), xMap.p2())));
    const int pixels = int(std::lround(qAbs(xMap.p2() - xMap.p1())));

    // Rows by lane; a function folded into its unit shows on the unit's row.
    QHash<QString, int> rowOf;
    for (int row = 0; row < m_rows.size(); ++row)
        rowOf.insert(m_rows.at(row), row);
    QHash<QString, int> laneIndex;
    const QVector<BusChecker::Lane> &lanes = checker->lanes();
    for (int i = 0; i < lanes.size(); ++i) {
        laneIndex.insert(lanes.at(i).key, i);
        if (!rowOf.contains(lanes.at(i).key))
            rowOf.insert(lanes.at(i).key, rowOf.value(lanes.at(i).parentKey, -1));
    }
    using Intervals = QVector<TimelineSpans::Interval>;
    QVector<std::array<Intervals, TimelineSpans::StateCount>> byRow(m_rows.size());
    for (const Deviation &d : checker->deviations()) {
        const int row = rowOf.value(d.lane, -1);
        if (row < 0 || d.switchedOff)
            continue;
        const qint64 end = d.open ? qMax(d.endUs, checker->nowUs()) : d.endUs;
        byRow[row][TimelineSpans::stateOf(d.kind)].append({d.startUs, end});
    }

    const double rowHeight = qAbs(yMap.transform(1) - yMap.transform(0));
    for (int row = 0; row < m_rows.size(); ++row) {
        const double y = yMap.transform(row);
        if (y + rowHeight < canvasRect.top() || y - rowHeight > canvasRect.bottom())
            continue;
        auto paint = [&](const Intervals &intervals, TimelineSpans::State state, double height) {
            const QColor colour = TimelineSpans::colour(state);
            for (const TimelineSpans::Span &s :
                 TimelineSpans::spans(intervals, fromUs, toUs, pixels)) {
                painter->fillRect(
                    QRectF(left + s.first, y - height / 2, s.second - s.first + 1, height), colour);
                m_painted.append({m_rows.at(row), state, left + s.first, left + s.second, int(y)});
            }
        };
        const int lane = laneIndex.value(m_rows.at(row), -1);
        if (lane >= 0)
            paint(lanes.at(lane).seen, TimelineSpans::AsExpected, rowHeight * 0.3);
        for (TimelineSpans::State state : DrawOrder) {
            if (!byRow[row][state].isEmpty())
                paint(TimelineSpans::merged(byRow[row][state]), state, rowHeight * 0.7);
        }
    }
}
