#include "machine/editors/groupedschemetreeitem.h"

#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>

#include <algorithm>

GroupedSchemeTreeItem::GroupedSchemeTreeItem(AbstractDisplayableItem *item,
                                             const QVector<Group> &groups, int columns)
    : AbstractSchemeTreeItem(item)
    , m_groups(groups)
    , m_columns(columns)
{}

QWidget *GroupedSchemeTreeItem::createWidget()
{
    auto *widget = new QWidget;
    auto *grid = new QGridLayout(widget);
    grid->setContentsMargins(0, 0, 0, 0);
    const int columns = m_columns > 0 ? m_columns : std::max(1, int(m_groups.size()));
    int placedGroups = 0;
    const QList<ZxParameter *> &parameters = displayable()->parameters();
    for (const Group &group : qAsConst(m_groups)) {
        auto *box = new QGroupBox(group.title, widget);
        QFormLayout *form = group.labelled ? new QFormLayout(box) : nullptr;
        QGridLayout *buttons = group.labelled ? nullptr : new QGridLayout(box);
        // More than four buttons go in two rows: long captions would make one row too wide.
        const int count = group.parameters.size();
        const int perRow = count > 4 ? (count + 1) / 2 : std::max(1, count);
        int placed = 0;
        for (int index : group.parameters) {
            QWidget *editor = index < parameters.size() ? createParameterWidget(index) : nullptr;
            if (!editor)
                continue;
            if (form) {
                form->addRow(parameters.at(index)->name(), editor);
            } else {
                buttons->addWidget(editor, placed / perRow, placed % perRow);
                ++placed;
            }
        }
        if (buttons)
            buttons->setRowStretch(buttons->rowCount(), 1);
        grid->addWidget(box, placedGroups / columns, placedGroups % columns);
        ++placedGroups;
    }
    // Extra room goes beside and below the groups, not into them.
    grid->setColumnStretch(columns, 1);
    grid->setRowStretch(grid->rowCount(), 1);
    return widget;
}
