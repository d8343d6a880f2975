#include "machine/editors/groupedschemetreeitem.h"

#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>

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
        QHBoxLayout *buttons = group.labelled ? nullptr : new QHBoxLayout(box);
        for (int index : group.parameters) {
            QWidget *editor = index < parameters.size() ? createParameterWidget(index) : nullptr;
            if (!editor)
                continue;
            if (form)
                form->addRow(parameters.at(index)->name(), editor);
            else
                buttons->addWidget(editor);
        }
        row->addWidget(box);
    }
    row->addStretch(1);
    return widget;
}
