#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QVector>

class QTreeView;

// The window's layout on a first start, when no saved state exists: a size that fits the screen
// and tree columns that all fit the view, each wide enough for its header. GUI thread.
class FirstStartLayout : public QObject
{
    Q_OBJECT

public:
    static constexpr int PreferredWidth = 1400;
    static constexpr int PreferredHeight = 860;

    // The preferred size, shrunk to nine tenths of the screen's free area where that is smaller.
    static QSize windowSize(const QRect &available);
    // Widens every column to its header text (and the fixed ones to their rows' texts), then
    // gives the flexible columns (in order of priority, the first takes what is left) the room
    // left in the view, down to a minimum. `preferred` holds the widths the flexible columns but
    // the first return to when there is room (their present widths when empty); they widen to
    // their rows' texts up to half the room.
    static void fitColumns(QTreeView *view, const QVector<int> &flexible,
                           const QVector<int> &preferred = {});
    // Fits the columns whenever the view's width changes (docks shown or hidden, the window
    // resized) and when rows arrive or open, until the user sizes a column.
    static void fitColumnsWhenShown(QTreeView *view, const QVector<int> &flexible);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FirstStartLayout(QTreeView *view, const QVector<int> &flexible);

    void fit();

    QTreeView *m_view;
    QVector<int> m_flexible;
    QVector<int> m_preferred;
    QTimer m_refit;
    bool m_fitting = false;
};
