#pragma once

#include <QFrame>
#include <QPointer>

class AbstractSchemeTreeItem;

// A lamp showing an item's state: green receiving, yellow late, red silent, grey otherwise or
// once the item is gone. It reads the item through its tree node, which lives in the GUI thread
// and is deleted before the item, so a lamp never touches a deleted item. GUI thread.
class DeviceStateWidget : public QFrame
{
    Q_OBJECT

public:
    explicit DeviceStateWidget(AbstractSchemeTreeItem *node, QWidget *parent = nullptr);

    // The state the lamp shows; -1 once its item is gone.
    int shownState() const { return m_shown; }
    static QColor colorForState(int state);

public slots:
    void slotOnStateChanged(int s);
    // Re-reads the item's state: a device's state follows its functions without a signal.
    void slotRefresh();

private:
    QPointer<AbstractSchemeTreeItem> m_node;
    int m_shown = -1;
    bool m_painted = false;
};
