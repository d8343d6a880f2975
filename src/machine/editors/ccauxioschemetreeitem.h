#pragma once

#include "machine/editors/groupedschemetreeitem.h"

class CabinControllerAuxIoFunction;

// Tree node of the cabin controller's auxiliary I/O: buttons, lamps, outputs and values.
class CCAuxIoSchemeTreeItem : public GroupedSchemeTreeItem
{
    Q_OBJECT

public:
    explicit CCAuxIoSchemeTreeItem(CabinControllerAuxIoFunction *function);
};
