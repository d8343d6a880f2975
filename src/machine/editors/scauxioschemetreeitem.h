#pragma once

#include "machine/editors/groupedschemetreeitem.h"

class SupportControllerAuxIoFunction;

// Tree node of the support controller's auxiliary I/O: outputs, inputs and values.
class SCAuxIoSchemeTreeItem : public GroupedSchemeTreeItem
{
    Q_OBJECT

public:
    explicit SCAuxIoSchemeTreeItem(SupportControllerAuxIoFunction *function);
};
