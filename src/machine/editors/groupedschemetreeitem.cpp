#include "machine/editors/groupedschemetreeitem.h"

#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QGridLayout>
#include <QHBoxLayout>

#include <algorithm>

GroupedSchemeTreeItem::GroupedSchemeTreeItem(AbstractDisplayableItem *item,
                                             const QVector<Group> &groups)
    : AbstractSchemeTreeItem(item)
    , m_groups(groups)
{}

QWidget *GroupedSchemeTreeItem::createWidget()
{
    auto *widget = new QWidget;
    auto *row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
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
        row->addWidget(box);
    }
    row->addStretch(1);
    return widget;
}
