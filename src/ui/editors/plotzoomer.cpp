#include "ui/editors/plotzoomer.h"

#include "model/zxparameter.h"
#include "ui/editors/plotcurve.h"
#include "ui/editors/plottable.h"

#include <QPalette>
#include <QPen>

#include <qwt_plot.h>
#include <qwt_text.h>

PlotZoomer::PlotZoomer(QWidget *canvas, const PlotTable *table)
    : QwtPlotZoomer(canvas, false)
    , m_table(table)
{
    setTrackerMode(QwtPicker::AlwaysOn);
    // Right button: one zoom step back; Ctrl+right: back to the whole window.
    setMousePattern(QwtEventPattern::MouseSelect2, Qt::RightButton, Qt::ControlModifier);
    setMousePattern(QwtEventPattern::MouseSelect3, Qt::RightButton);
}

QString PlotZoomer::readout(const QPointF &position) const
{
    QStringList lines;
    lines << tr("%1 s").arg(position.x(), 0, 'f', 3);
    const long row = m_table->rowAt(position.x());
    for (const QwtPlotItem *item : plot()->itemList(QwtPlotItem::Rtti_PlotCurve)) {
        const auto *curve = static_cast<const PlotCurve *>(item);
        if (!curve->isVisible())
            continue;
        const PlotTable::Column &c = m_table->columns().at(curve->column());
        const double v = row < 0 ? PlotTable::Gap : m_table->value(curve->column(), size_t(row));
        const QString value
            = PlotTable::isGap(v) ? ZxParameter::notAvailableText() : QString::number(v, 'g', 8);
        const bool withUnit = !c.unit.isEmpty() && !PlotTable::isGap(v);
        lines << (withUnit ? QStringLiteral("%1: %2 %3").arg(c.label, value, c.unit)
                           : QStringLiteral("%1: %2").arg(c.label, value));
    }
    return lines.join(QLatin1Char('\n'));
}

QwtText PlotZoomer::trackerTextF(const QPointF &position) const
{
    QwtText text(readout(position));
    text.setRenderFlags(Qt::AlignLeft | Qt::AlignVCenter);
    text.setBorderPen(QPen(Qt::gray));
    text.setBorderRadius(2);
    QColor background = canvas()->palette().color(QPalette::Base);
    background.setAlpha(220);
    text.setBackgroundBrush(background);
    return text;
}

void PlotZoomer::rescale()
{
    QwtPlotZoomer::rescale();
    // The rectangle's height would fix the value axis to what the drag happened to cover, and the
    // curve leaves the view as soon as it moves: only the time axis follows the rectangle.
    QwtPlot *panel = plot();
    if (!panel || panel->axisAutoScale(yAxis()))
        return;
    panel->setAxisAutoScale(yAxis(), true);
    panel->replot();
}
