#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

// Paints the scheme tree's state column: the state icon, then a marker for items with a factory
// of their own and one for items under the filter mark.
class StateIconDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    // Draws one icon in the next free square slot; returns false once the cell is full.
    bool drawIcon(QPainter *painter, const QStyleOptionViewItem &option, const QIcon &icon,
                  int *slot) const;

    mutable QIcon m_subFactoryIcon;
    mutable QIcon m_filterIcon;
};
