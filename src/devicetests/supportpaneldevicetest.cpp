#include "devicetests/supportpaneldevicetest.h"

SupportPanelDeviceTest::SupportPanelDeviceTest(AbstractDisplayableItem *panel, QObject *parent)
    : DeviceTest(panel, parent)
{
    AbstractDisplayableItem *state = panel ? panel->children().value(0) : nullptr;
    if (!state) {
        addUnresolved(QStringLiteral("support_indication_panel/SupportIndicationPanelState"));
        return;
    }
    for (int index : {4, 5})
        createButtonTest(state->parameters().value(index));
}
