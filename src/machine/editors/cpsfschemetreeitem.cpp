#include "machine/editors/cpsfschemetreeitem.h"

#include "machine/controlpanelstatefunction.h"

CpsfSchemeTreeItem::CpsfSchemeTreeItem(ControlPanelStateFunction *function)
    : GroupedSchemeTreeItem(function,
                            {{tr("Left"), {0}, false},
                             {tr("Right"), {5}, false},
                             {tr("Left buttons"), {1, 2, 3, 4}, false},
                             {tr("Right buttons"), {6, 7, 8, 9, 10}, false}},
                            2)
{}
