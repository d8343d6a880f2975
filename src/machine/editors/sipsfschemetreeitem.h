#pragma once

#include "machine/editors/groupedschemetreeitem.h"

class SupportIndicationPanelStateFunction;

// Tree node of the support indication panel's state: inputs, buttons and outputs in one editor.
class SipsfSchemeTreeItem : public GroupedSchemeTreeItem
{
    Q_OBJECT

public:
    explicit SipsfSchemeTreeItem(SupportIndicationPanelStateFunction *function);
};
