#pragma once

#include "machine/editors/groupedschemetreeitem.h"

class BasicJoystickMessageFunction;

// Tree node of a basic joystick message: the stick and its twelve buttons in one editor.
class BJMSchemeTreeItem : public GroupedSchemeTreeItem
{
    Q_OBJECT

public:
    explicit BJMSchemeTreeItem(BasicJoystickMessageFunction *function);
};
