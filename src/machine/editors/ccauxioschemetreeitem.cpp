#include "machine/editors/ccauxioschemetreeitem.h"

#include "machine/cabincontrollerauxiofunction.h"

CCAuxIoSchemeTreeItem::CCAuxIoSchemeTreeItem(CabinControllerAuxIoFunction *function)
    : GroupedSchemeTreeItem(function, {{tr("Buttons"), {0, 1, 2, 3, 4, 5, 6, 7}, true},
                                       {tr("LED"), {8, 9}, true},
                                       {tr("OUT"), {10, 11}, true},
                                       {tr("AUXIO"), {12, 13}, true}})
{}
