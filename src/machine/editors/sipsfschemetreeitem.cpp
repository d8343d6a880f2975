#include "machine/editors/sipsfschemetreeitem.h"

#include "machine/supportindicationpanelstatefunction.h"

SipsfSchemeTreeItem::SipsfSchemeTreeItem(SupportIndicationPanelStateFunction *function)
    : GroupedSchemeTreeItem(function,
                            {{tr("Inputs"), {0, 2}, true},
                             {tr("Switches"), {1, 3}, false},
                             {tr("Buttons"), {4, 5, 6, 7, 8, 9, 10, 11}, false},
                             {tr("Outputs"), {12, 13, 14, 15, 16, 17, 18, 19, 20, 21}, true}})
{}
