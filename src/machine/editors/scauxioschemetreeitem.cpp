#include "machine/editors/scauxioschemetreeitem.h"

#include "machine/supportcontrollerauxiofunction.h"

SCAuxIoSchemeTreeItem::SCAuxIoSchemeTreeItem(SupportControllerAuxIoFunction *function)
    : GroupedSchemeTreeItem(function,
                            {{tr("Outputs"), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, true},
                             {tr("Inputs"), {12, 13, 14, 15}, true},
                             {tr("AUXIO"), {16, 17}, true}})
{}
