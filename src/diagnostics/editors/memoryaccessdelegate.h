#pragma once

#include <QAction>
#include <QStyledItemDelegate>

// Editor of a value cell of the "MA Data" tables: a spin box with the limits, suffix and
// decimals the cell carries in its user roles.
class MemoryAccessDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum Role {
        MinimumRole = Qt::UserRole + 1,
        MaximumRole = Qt::UserRole + 2,
        UnitsRole = Qt::UserRole + 3,
        DecimalsRole = Qt::UserRole + 4,
        ItemIndexRole = Qt::UserRole + 5,
    };

    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};

// The keyboard action each table carries (Ctrl+Up): steps the current cell by one unit of its
// last shown decimal.
class IncrementShortcutAction : public QAction
{
    Q_OBJECT

public:
    using QAction::QAction;
};
