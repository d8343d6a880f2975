#include "ui/editors/plotcurve.h"

#include "ui/editors/plottable.h"

#include <QPainter>

#include <qwt_scale_map.h>

PlotColumnData::PlotColumnData(const PlotTable *table, int column)
    : m_table(table)
    , m_column(column)
{}

size_t PlotColumnData::size() const
{
    return m_table->rowCount();
}

QPointF PlotColumnData::sample(size_t i) const
{
    return QPointF(m_table->time(i), m_table->value(m_column, i));
}

QRectF PlotColumnData::boundingRect() const
{
    const size_t rows = m_table->rowCount();
    if (rows == m_cachedRows && m_table->firstTime() == m_cachedFirst
        && m_table->lastTime() == m_cachedLast)
        return d_boundingRect;
    m_cachedRows = rows;
    m_cachedFirst = m_table->firstTime();
    m_cachedLast = m_table->lastTime();
    double low = 0;
    double high = 0;
    if (rows == 0 || !m_table->valueRange(m_column, &low, &high)) {
        // An invalid rectangle: Qwt leaves the scales to the other curves.
        d_boundingRect = QRectF(1.0, 1.0, -2.0, -2.0);
        return d_boundingRect;
    }
    d_boundingRect = QRectF(m_cachedFirst, low, m_cachedLast - m_cachedFirst, high - low);
    return d_boundingRect;
}

PlotCurve::PlotCurve(const QString &title, const PlotTable *table, int column)
    : QwtPlotCurve(title)
    , m_table(table)
    , m_column(column)
{
    setData(new PlotColumnData(table, column));
    setRenderHint(QwtPlotItem::RenderAntialiased, false);
    setPaintAttribute(QwtPlotCurve::FilterPoints, true);
}

void PlotCurve::drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                           const QRectF &canvasRect, int from, int to) const
{
    if (to < 0)
        to = int(dataSize()) - 1;
    int run = -1;
    auto flush = [&](int end) {
        if (run < 0)
            return;
        if (end > run) {
            QwtPlotCurve::drawSeries(painter, xMap, yMap, canvasRect, run, end);
        } else {
            const QPointF p = sample(size_t(run));
            painter->save();
            painter->setPen(QPen(pen().color(), std::max(3.0, pen().widthF() + 2.0)));
            painter->drawPoint(QPointF(xMap.transform(p.x()), yMap.transform(p.y())));
            painter->restore();
        }
        run = -1;
    };
    for (int i = std::max(0, from); i <= to; ++i) {
        if (PlotTable::isGap(m_table->value(m_column, size_t(i))))
            flush(i - 1);
        else if (run < 0)
            run = i;
    }
    flush(to);
}
