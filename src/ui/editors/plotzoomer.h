#pragma once

#include <qwt_plot_zoomer.h>

#include <QCoreApplication>

class PlotTable;

// Zooms a plot's time axis with a dragged rectangle (the value axis keeps fitting the curves) and, wherever the mouse is over the canvas, reads the
// time there and the value each visible curve of the plot had at that time. GUI thread.
class PlotZoomer : public QwtPlotZoomer
{
    Q_DECLARE_TR_FUNCTIONS(PlotZoomer)

public:
    PlotZoomer(QWidget *canvas, const PlotTable *table);

    // The cursor's text at a point of the plot's coordinates.
    QString readout(const QPointF &position) const;

protected:
    QwtText trackerTextF(const QPointF &position) const override;
    void rescale() override;

private:
    const PlotTable *m_table;
};
