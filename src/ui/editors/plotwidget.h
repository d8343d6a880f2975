#pragma once

#include "ui/editors/parameterplotter.h"

#include <QWidget>

#include <functional>

class PlotZoomer;
class QAction;
class QLabel;
class QScrollArea;
class QTimer;
class QVBoxLayout;
class QwtPlot;

// A plot of a table's columns over a shared time axis: one panel per unit (columns of the same
// unit share a panel and its value axis; a column without a unit gets its own), stacked so the
// times line up. Live plots follow the newest rows until paused; zooming (drag with the left
// button), panning (middle button) or pausing freezes the view. Exports the panels as PNG and
// the table as CSV. GUI thread.
class PlotWidget : public QWidget
{
    Q_OBJECT

public:
    // Asked for the file an export goes to; an empty answer cancels.
    using FilePrompt = std::function<QString(const QString &title, const QString &filter)>;
    static constexpr int DefaultRefreshMs = 500;

    // `startMs`: the time the plot's axis counts from.
    PlotWidget(bool live, qint64 startMs, QWidget *parent = nullptr);
    ~PlotWidget() override;

    ParameterPlotter &plotter() { return m_plotter; }
    const ParameterPlotter &plotter() const { return m_plotter; }
    const PlotTable &table() const { return m_plotter.table(); }
    bool isLive() const { return m_live; }
    bool isPaused() const;
    void setPaused(bool paused);
    // Builds the panels for the table's columns; call after the columns change.
    void rebuild();
    // Samples a tick's pack into a live plot; the panels follow at the next refresh.
    void sample(const AbstractCanHandler::MessagePack &pack, qint64 nowMs);
    // Window length in seconds (live plots).
    void setWindow(double seconds);
    // Redraws now (a live, running plot first moves its time axis to the newest rows).
    void refresh();
    void setRefreshInterval(int ms);
    QList<QwtPlot *> panels() const { return m_panels; }
    // Height that shows every panel at its lowest without scrolling.
    int fullHeight() const;
    QList<PlotZoomer *> zoomers() const { return m_zoomers; }

    bool exportPng(const QString &path, QString *error = nullptr);
    bool exportCsv(const QString &path, QString *error = nullptr);
    void setFilePrompt(FilePrompt prompt) { m_filePrompt = std::move(prompt); }

private:
    void buildToolBar();
    QwtPlot *addPanel(const QString &unit, const QVector<int> &columns);
    void followNewest();
    void alignPanels();
    void syncTimeAxis(QwtPlot *from);
    void askExport(bool png);
    void updateWindowLabel();

    ParameterPlotter m_plotter;
    bool m_live;
    bool m_dirty = false;
    QAction *m_pause = nullptr;
    QLabel *m_windowLabel = nullptr;
    QVBoxLayout *m_panelBox = nullptr;
    QScrollArea *m_scroll = nullptr;
    QList<QwtPlot *> m_panels;
    QList<PlotZoomer *> m_zoomers;
    QTimer *m_refreshTimer = nullptr;
    FilePrompt m_filePrompt;
};
