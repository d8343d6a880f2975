#include "machine/editors/bjmschemetreeitem.h"

#include "machine/basicjoystickmessagefunction.h"

BJMSchemeTreeItem::BJMSchemeTreeItem(BasicJoystickMessageFunction *function)
    : GroupedSchemeTreeItem(function, {{tr("Joystick"), {0}, false},
                                       {tr("Buttons"), {1, 2, 3, 4, 5, 6}, true},
                                       {QString(), {7, 8, 9, 10, 11, 12}, true}})
{}
