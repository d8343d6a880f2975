#pragma once

#include "scheme/abstractschemetreeitem.h"

class DM1Function;

// The tree node of a DM1 function. Its editor shows the lamps, the code count and the live code
// list; a data column cell (kind 1) shows the code list alone.
class DM1SchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit DM1SchemeTreeItem(DM1Function *function);

    QWidget *createWidget(unsigned int kind) override;
    QWidget *createWidget() override;
};
