#include "ui/editors/plotwidget.h"

#include "can/busclock.h"

#include "ui/editors/plotcurve.h"
#include "ui/editors/plotzoomer.h"
#include "util/savefile.h"

#include <QAction>
#include <QBuffer>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include <qwt_legend.h>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_panner.h>
#include <qwt_plot_renderer.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_widget.h>

namespace {

// Lowest panels, before the dock scrolls: legend and curves, and the time scale under the last.
constexpr int PanelMinimumHeight = 110;
constexpr int TimeScaleHeight = 45;

// Distinct colours that stay apart on white and in print.
const QColor CurveColours[] = {Qt::blue,       Qt::red,          QColor(0, 140, 0),
                               Qt::magenta,    QColor(230, 130, 0), Qt::darkCyan,
                               Qt::darkYellow, Qt::darkGray,     QColor(120, 60, 200)};

} // namespace

PlotWidget::PlotWidget(bool live, qint64 startMs, QWidget *parent)
    : QWidget(parent)
    , m_plotter(startMs)
    , m_live(live)
{
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    buildToolBar();
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("plotScrollArea"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    auto *panels = new QWidget(m_scroll);
    m_panelBox = new QVBoxLayout(panels);
    m_panelBox->setContentsMargins(2, 2, 2, 2);
    m_scroll->setWidget(panels);
    box->addWidget(m_scroll, 1);

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setInterval(DefaultRefreshMs);
    connect(m_refreshTimer, &QTimer::timeout, this, [this] {
        if (m_dirty && isVisible())
            refresh();
    });
    if (m_live)
        m_refreshTimer->start();
    m_filePrompt = [this](const QString &title, const QString &filter) {
        return QFileDialog::getSaveFileName(this, title, QString(), filter);
    };
}

PlotWidget::~PlotWidget()
{
    // The curves and zoomers read the table, a member that dies before the child widgets.
    qDeleteAll(m_panels);
}

void PlotWidget::buildToolBar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("plotToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout()->addWidget(bar);
    m_pause = bar->addAction(tr("Pause"));
    m_pause->setObjectName(QStringLiteral("plotPauseAction"));
    m_pause->setCheckable(true);
    m_pause->setToolTip(tr("Freeze the view; values are still recorded"));
    m_pause->setVisible(m_live);
    connect(m_pause, &QAction::toggled, this, &PlotWidget::setPaused);
    QAction *whole = bar->addAction(tr("Whole window"));
    whole->setObjectName(QStringLiteral("plotResetZoomAction"));
    whole->setToolTip(tr("Undo zooming and panning"));
    connect(whole, &QAction::triggered, this, [this] {
        if (m_live) {
            setPaused(false);
            return;
        }
        for (PlotZoomer *z : qAsConst(m_zoomers))
            z->zoom(0);
    });
    bar->addSeparator();
    QAction *png = bar->addAction(tr("Export PNG…"));
    png->setObjectName(QStringLiteral("plotExportPngAction"));
    connect(png, &QAction::triggered, this, [this] { askExport(true); });
    QAction *csv = bar->addAction(tr("Export CSV…"));
    csv->setObjectName(QStringLiteral("plotExportCsvAction"));
    connect(csv, &QAction::triggered, this, [this] { askExport(false); });
    bar->addSeparator();
    m_windowLabel = new QLabel(bar);
    m_windowLabel->setObjectName(QStringLiteral("plotWindowLabel"));
    bar->addWidget(m_windowLabel);
    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    auto *hint = new QLabel(tr("Drag to zoom, middle button to pan, right click to zoom out"), bar);
    hint->setObjectName(QStringLiteral("plotHintLabel"));
    hint->setEnabled(false); // greyed: a hint, not a value
    bar->addWidget(hint);
    updateWindowLabel();
}

bool PlotWidget::isPaused() const
{
    return m_pause->isChecked();
}

void PlotWidget::setPaused(bool paused)
{
    if (m_pause->isChecked() != paused) {
        m_pause->setChecked(paused); // comes back here through toggled
        return;
    }
    if (paused || !m_live)
        return;
    // Running again: back to the newest rows with values scaled to fit.
    for (QwtPlot *panel : qAsConst(m_panels))
        panel->setAxisAutoScale(QwtPlot::yLeft, true);
    m_dirty = true;
    refresh();
}

void PlotWidget::rebuild()
{
    qDeleteAll(m_panels);
    m_panels.clear();
    m_zoomers.clear();
    const QVector<PlotTable::Column> &columns = table().columns();
    QVector<QString> units;
    QVector<QVector<int>> groups;
    for (int c = 0; c < columns.size(); ++c) {
        const QString &unit = columns.at(c).unit;
        const int g = unit.isEmpty() ? -1 : units.indexOf(unit);
        if (g >= 0) {
            groups[g].append(c);
        } else {
            units.append(unit);
            groups.append(QVector<int>{c});
        }
    }
    for (int g = 0; g < groups.size(); ++g)
        addPanel(units.at(g), groups.at(g));
    // One time scale, under the last panel: the panels above share it.
    for (QwtPlot *panel : qAsConst(m_panels)) {
        const bool last = panel == m_panels.last();
        panel->enableAxis(QwtPlot::xBottom, last);
        panel->setMinimumHeight(PanelMinimumHeight + (last ? TimeScaleHeight : 0));
    }
    if (!m_panels.isEmpty())
        m_panels.last()->setAxisTitle(QwtPlot::xBottom, tr("Time, s"));
    m_dirty = true;
    refresh();
    for (PlotZoomer *z : qAsConst(m_zoomers))
        z->setZoomBase(false);
}

QwtPlot *PlotWidget::addPanel(const QString &unit, const QVector<int> &columns)
{
    auto *panel = new QwtPlot(m_scroll->widget());
    panel->setObjectName(QStringLiteral("plotPanel%1").arg(m_panels.size()));
    panel->setCanvasBackground(Qt::white);
    panel->setAutoReplot(false);
    if (!unit.isEmpty())
        panel->setAxisTitle(QwtPlot::yLeft, unit);
    // Few labels, so a low panel keeps them apart.
    panel->setAxisMaxMajor(QwtPlot::yLeft, 4);
    auto *grid = new QwtPlotGrid;
    grid->setMajorPen(QColor(220, 220, 220), 0, Qt::DotLine);
    grid->attach(panel);
    auto *legend = new QwtLegend;
    legend->setDefaultItemMode(QwtLegendData::Checkable);
    panel->insertLegend(legend, QwtPlot::TopLegend);
    for (int c : columns) {
        auto *curve = new PlotCurve(table().columns().at(c).label, &table(), c);
        curve->setPen(CurveColours[c % int(std::size(CurveColours))], 1.5);
        curve->attach(panel);
    }
    // Unticking a legend entry hides its curve (and leaves it out of the cursor's readout).
    connect(legend, &QwtLegend::checked, panel, [panel](const QVariant &info, bool on, int) {
        if (QwtPlotItem *item = panel->infoToItem(info)) {
            item->setVisible(!on);
            panel->replot();
        }
    });
    auto *zoomer = new PlotZoomer(panel->canvas(), &table());
    connect(zoomer, &QwtPlotZoomer::zoomed, this, [this, panel, zoomer] {
        // Zooming in freezes a live view; zooming all the way out lets it run again.
        if (m_live)
            setPaused(zoomer->zoomRectIndex() > 0);
        syncTimeAxis(panel);
    });
    auto *panner = new QwtPlotPanner(panel->canvas());
    panner->setMouseButton(Qt::MiddleButton);
    connect(panner, &QwtPlotPanner::panned, this, [this, panel] {
        if (m_live)
            setPaused(true);
        syncTimeAxis(panel);
    });
    m_panelBox->addWidget(panel, 1);
    m_panels.append(panel);
    m_zoomers.append(zoomer);
    return panel;
}

int PlotWidget::fullHeight() const
{
    int height = findChild<QToolBar *>(QStringLiteral("plotToolBar"))->sizeHint().height();
    for (const QwtPlot *panel : m_panels)
        height += panel->minimumHeight() + m_panelBox->spacing();
    return height + 2 * m_panelBox->contentsMargins().top();
}

void PlotWidget::sample(const AbstractCanHandler::MessagePack &pack, qint64 nowMs)
{
    if (m_plotter.sample(pack, nowMs))
        m_dirty = true;
}

void PlotWidget::setWindow(double seconds)
{
    m_plotter.table().setWindow(seconds);
    updateWindowLabel();
    m_dirty = true;
}

void PlotWidget::updateWindowLabel()
{
    const double seconds = table().window();
    if (!m_live || seconds <= 0) {
        m_windowLabel->clear();
        return;
    }
    const QTime start = QDateTime::fromMSecsSinceEpoch(m_plotter.startMs()).time();
    m_windowLabel->setText(tr("Last %n min; time counted from %1", nullptr, qRound(seconds / 60))
                               .arg(start.toString(QStringLiteral("HH:mm:ss"))));
}

void PlotWidget::setRefreshInterval(int ms)
{
    m_refreshTimer->setInterval(ms);
}

void PlotWidget::followNewest()
{
    const double last = table().lastTime();
    const double window = table().window() > 0 ? table().window() : last - table().firstTime();
    const double first = std::max(0.0, last - window);
    for (QwtPlot *panel : qAsConst(m_panels))
        panel->setAxisScale(QwtPlot::xBottom, first, std::max(last, first + 1.0));
}

void PlotWidget::refresh()
{
    m_dirty = false;
    if (m_live && isPaused())
        return;
    if (m_live) {
        followNewest();
    } else {
        for (QwtPlot *panel : qAsConst(m_panels))
            panel->setAxisScale(QwtPlot::xBottom, table().firstTime(),
                                std::max(table().lastTime(), table().firstTime() + 1.0));
    }
    for (QwtPlot *panel : qAsConst(m_panels))
        panel->updateAxes();
    alignPanels();
    for (QwtPlot *panel : qAsConst(m_panels))
        panel->replot();
    if (m_live) {
        for (PlotZoomer *z : qAsConst(m_zoomers))
            z->setZoomBase(false);
    }
}

void PlotWidget::alignPanels()
{
    // Value axes of one width, so the panels' time axes line up.
    double extent = 0;
    for (QwtPlot *panel : qAsConst(m_panels)) {
        QwtScaleDraw *draw = panel->axisScaleDraw(QwtPlot::yLeft);
        draw->setMinimumExtent(0);
        extent = std::max(extent, draw->extent(panel->axisWidget(QwtPlot::yLeft)->font()));
    }
    for (QwtPlot *panel : qAsConst(m_panels))
        panel->axisScaleDraw(QwtPlot::yLeft)->setMinimumExtent(extent);
}

void PlotWidget::syncTimeAxis(QwtPlot *from)
{
    const QwtInterval x = from->axisInterval(QwtPlot::xBottom);
    for (QwtPlot *panel : qAsConst(m_panels)) {
        if (panel == from)
            continue;
        panel->setAxisScale(QwtPlot::xBottom, x.minValue(), x.maxValue());
        panel->replot();
    }
}

bool PlotWidget::exportPng(const QString &path, QString *error)
{
    const int width = std::max(900, m_scroll->viewport()->width());
    int height = 0;
    QVector<int> heights;
    for (QwtPlot *panel : qAsConst(m_panels)) {
        heights.append(std::max(300, panel->height()));
        height += heights.last();
    }
    QImage image(width, std::max(height, 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QwtPlotRenderer renderer;
        int y = 0;
        for (int i = 0; i < m_panels.size(); ++i) {
            renderer.render(m_panels.at(i), &painter, QRectF(0, y, width, heights.at(i)));
            y += heights.at(i);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        if (error)
            *error = tr("The image could not be encoded");
        return false;
    }
    return SaveFile::write(path, bytes, error);
}

bool PlotWidget::exportCsv(const QString &path, QString *error)
{
    return SaveFile::write(path, table().toCsv(), error);
}

void PlotWidget::askExport(bool png)
{
    QString path = png ? m_filePrompt(tr("Export plot as PNG"), tr("PNG image (*.png)"))
                       : m_filePrompt(tr("Export plot as CSV"), tr("Parameter log CSV (*.csv)"));
    if (path.isEmpty())
        return;
    // A name typed without an extension gets the type's, so the two exports never share a file.
    if (QFileInfo(path).suffix().isEmpty())
        path += png ? QLatin1String(".png") : QLatin1String(".csv");
    QString error;
    if (!(png ? exportPng(path, &error) : exportCsv(path, &error)))
        QMessageBox::warning(this, tr("Export failed"), QStringLiteral("%1: %2").arg(path, error));
}
