#include "scheme/editors/stateicondelegate.h"

#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

#include <QApplication>
#include <QPainter>

void StateIconDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QIcon state = opt.icon;
    opt.icon = QIcon();
    opt.features &= ~QStyleOptionViewItem::HasDecoration;
    opt.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    int slot = 0;
    if (!drawIcon(painter, option, state, &slot))
        return;
    const auto *model = qobject_cast<const SchemeTreeModel *>(index.model());
    const AbstractSchemeTreeItem *node = model ? model->item(index) : nullptr;
    const AbstractDisplayableItem *item = node ? node->displayable() : nullptr;
    // Painting never builds a catalogue: a device's function library is read on first use.
    if (item && item->hasSubFactory()) {
        if (m_subFactoryIcon.isNull())
            m_subFactoryIcon = QIcon(QStringLiteral(":/icons/devicestate/subfactory.png"));
        if (!drawIcon(painter, option, m_subFactoryIcon, &slot))
            return;
    }
    if (item && item->isFiltered()) {
        if (m_filterIcon.isNull())
            m_filterIcon = QIcon(QStringLiteral(":/icons/devicestate/filter.png"));
        drawIcon(painter, option, m_filterIcon, &slot);
    }
}

bool StateIconDelegate::drawIcon(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QIcon &icon, int *slot) const
{
    const QRect cell = option.rect;
    const int side = cell.height();
    const QRect square(cell.left() + *slot * side, cell.top(), side, side);
    if (square.right() > cell.right())
        return false;
    ++*slot;
    if (!icon.isNull()) {
        const QIcon::State on = (option.state & QStyle::State_Enabled) ? QIcon::On : QIcon::Off;
        const QIcon::Mode mode = (option.state & QStyle::State_Enabled) ? QIcon::Normal
                                                                       : QIcon::Disabled;
        icon.paint(painter, square, Qt::AlignCenter, mode, on);
    }
    return true;
}
