#pragma once

#include "scheme/abstractschemetreeitem.h"

class DM1Function;

// The tree node of a DM1 function: the editor for the data column is the live code list alone.
class DM1SchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit DM1SchemeTreeItem(DM1Function *function);

    QWidget *createWidget(unsigned int kind) override;
    using AbstractSchemeTreeItem::createWidget;
};
