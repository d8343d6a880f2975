#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QVector>

// A tree node whose editor shows the item's parameter editors in titled groups side by side, or
// in rows of a given number of groups.
class GroupedSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    struct Group
    {
        QString title;
        QVector<int> parameters;
        // Labelled rows (a form); otherwise the editors stand in one row, as buttons do.
        bool labelled = true;
    };

    // columns: groups per row; 0 puts them all in one row.
    GroupedSchemeTreeItem(AbstractDisplayableItem *item, const QVector<Group> &groups,
                          int columns = 0);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;

private:
    QVector<Group> m_groups;
    int m_columns = 0;
};
