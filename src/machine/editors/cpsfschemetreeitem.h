#pragma once

#include "machine/editors/groupedschemetreeitem.h"

class ControlPanelStateFunction;

// Tree node of a control panel's state: each joystick with its buttons below it, in one editor.
class CpsfSchemeTreeItem : public GroupedSchemeTreeItem
{
    Q_OBJECT

public:
    explicit CpsfSchemeTreeItem(ControlPanelStateFunction *function);
};
