#pragma once

#include "app/timelinespans.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVector>

#include <qwt_plot.h>

class LiveBusCheck;
class QwtScaleMap;

// The bus check's timeline: one lane per unit along the bus clock (its functions below it
// when the unit is expanded by a click on its lane), green where frames came, coloured where
// deviations were (open ones up to now). Only the visible time is drawn, each lane at most once
// per pixel, so hours of traffic and hundreds of lanes stay smooth. GUI thread.
class BusTimelinePlot : public QwtPlot
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 18;

    // What the last drawing painted: a lane, a state and a pixel span of the canvas.
    struct Painted
    {
        QString lane;
        TimelineSpans::State state;
        int x0;
        int x1;
        int y;
    };

    explicit BusTimelinePlot(LiveBusCheck *check, QWidget *parent = nullptr);

    // The lanes shown, top to bottom (their keys).
    const QStringList &rowKeys() const { return m_rows; }
    int rowOf(const QString &laneKey) const { return m_rows.indexOf(laneKey); }
    // The canvas point in the middle of a row's left end, where a click toggles it.
    QPoint rowPoint(int row) const;
    bool isExpanded(const QString &unitLane) const { return m_expanded.contains(unitLane); }
    void setExpanded(const QString &unitLane, bool expanded);
    bool isFollowing() const { return m_follow; }
    const QVector<Painted> &painted() const { return m_painted; }

    // Called by the drawing item with the canvas' maps.
    void drawLanes(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                   const QRectF &canvasRect) const;

public slots:
    // Takes the lanes and time the check reached and draws again.
    void refresh();
    // The time axis follows the check (off once the engineer zooms).
    void setFollowing(bool on);

signals:
    // A lane was clicked: the item it shows, empty for lanes of units not in the scheme.
    void laneClicked(const QString &itemKey);
    void followingChanged(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateRows();
    bool hasFunctions(const QString &unitLane) const;

    QPointer<LiveBusCheck> m_check;
    QStringList m_rows;
    QStringList m_rowNames;
    QSet<QString> m_expanded;
    bool m_follow = true;
    bool m_scaling = false;
    mutable QVector<Painted> m_painted;
};
