#include "diagnostics/editors/dm1schemetreeitem.h"

#include "diagnostics/dm1function.h"
#include "model/zxparameter.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

DM1SchemeTreeItem::DM1SchemeTreeItem(DM1Function *function)
    : AbstractSchemeTreeItem(function)
{}

QWidget *DM1SchemeTreeItem::createWidget(unsigned int kind)
{
    if (kind != 1)
        return createWidget();
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    if (QWidget *list = createParameterWidget(DM1Function::Dtc))
        box->addWidget(list);
    return widget;
}

QWidget *DM1SchemeTreeItem::createWidget()
{
    AbstractDisplayableItem *function = displayable();
    if (!function)
        return AbstractSchemeTreeItem::createWidget();
    // The per-slot SPN, FMI and OC fields repeat the list below; the engineer reads the list.
    auto *widget = new QWidget;
    auto *form = new QFormLayout(widget);
    const QList<ZxParameter *> &parameters = function->parameters();
    for (int index = DM1Function::Mil; index <= DM1Function::Fpl; ++index) {
        if (QWidget *lamp = createParameterWidget(index))
            form->addRow(parameters.at(index)->description(), lamp);
    }
    if (QWidget *count = createParameterWidget(DM1Function::Count))
        form->addRow(parameters.at(DM1Function::Count)->description(), count);
    form->addRow(new QLabel(tr("Active trouble codes")));
    if (QWidget *list = createParameterWidget(DM1Function::Dtc)) {
        list->setObjectName(QStringLiteral("dtcList"));
        form->addRow(list);
    }
    return widget;
}
