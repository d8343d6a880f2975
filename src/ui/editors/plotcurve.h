#pragma once

#include <qwt_plot_curve.h>
#include <qwt_series_data.h>

class PlotTable;

// One column of a plot table as Qwt's series: x is the time in seconds, y the value. The table
// outlives the curves that show it. GUI thread.
class PlotColumnData : public QwtSeriesData<QPointF>
{
public:
    PlotColumnData(const PlotTable *table, int column);

    size_t size() const override;
    QPointF sample(size_t i) const override;
    // Cached while the table's rows stay the same: Qwt asks for it several times a replot.
    QRectF boundingRect() const override;

private:
    const PlotTable *m_table;
    int m_column;
    mutable size_t m_cachedRows = 0;
    mutable double m_cachedFirst = 0;
    mutable double m_cachedLast = 0;
};

// A curve that leaves gaps where a value was not available instead of joining across them; a
// value standing alone between gaps shows as a dot.
class PlotCurve : public QwtPlotCurve
{
public:
    PlotCurve(const QString &title, const PlotTable *table, int column);

    int column() const { return m_column; }

protected:
    void drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                    const QRectF &canvasRect, int from, int to) const override;

private:
    const PlotTable *m_table;
    int m_column;
};
