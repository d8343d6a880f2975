#include "diagnostics/dm1schemetreeitem.h"

#include "diagnostics/dm1function.h"

#include <QVBoxLayout>
#include <QWidget>

DM1SchemeTreeItem::DM1SchemeTreeItem(DM1Function *function)
    : AbstractSchemeTreeItem(function)
{}

QWidget *DM1SchemeTreeItem::createWidget(unsigned int kind)
{
    if (kind != 1)
        return AbstractSchemeTreeItem::createWidget(kind);
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    if (QWidget *list = createParameterWidget(DM1Function::Dtc))
        box->addWidget(list);
    return widget;
}
