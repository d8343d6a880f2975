#include "scheme/editors/devicestatewidget.h"

#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"

#include <QPalette>

DeviceStateWidget::DeviceStateWidget(AbstractSchemeTreeItem *node, QWidget *parent)
    : QFrame(parent)
    , m_node(node)
{
    setAutoFillBackground(true);
    setMinimumSize(20, 20);
    setMaximumWidth(40);
    // A lamp, not a bar: a tall row of a panel must not stretch it.
    setMaximumHeight(40);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    // The item lives in the bus thread: its signal arrives queued.
    if (node && node->displayable())
        connect(node->displayable(), &AbstractDisplayableItem::stateChanged, this,
                &DeviceStateWidget::slotOnStateChanged);
    slotRefresh();
}

QColor DeviceStateWidget::colorForState(int state)
{
    switch (state) {
    case AbstractDisplayableItem::ReceiveOk:
        return QColor(Qt::green);
    case AbstractDisplayableItem::ReceiveWarning:
        return QColor(Qt::yellow);
    case AbstractDisplayableItem::ReceiveError:
        return QColor(Qt::red);
    default:
        return QColor(Qt::gray);
    }
}

void DeviceStateWidget::slotOnStateChanged(int s)
{
    // A change queued before the item went must not light the lamp of a unit that is gone.
    if (!m_node || !m_node->displayable())
        s = -1;
    if (m_painted && s == m_shown)
        return;
    m_painted = true;
    m_shown = s;
    QPalette p = palette();
    p.setColor(QPalette::All, QPalette::Window, colorForState(s));
    setPalette(p);
}

void DeviceStateWidget::slotRefresh()
{
    const AbstractDisplayableItem *item = m_node ? m_node->displayable() : nullptr;
    if (!item) {
        slotOnStateChanged(-1);
        return;
    }
    // A unit whose functions disagree lights as the functions it hears from.
    const int state = item->state();
    slotOnStateChanged(state == AbstractDisplayableItem::Mixed
                           ? AbstractSchemeTreeItem::shownState(item)
                           : state);
}
