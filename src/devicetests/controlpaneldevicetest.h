#pragma once

#include "devicetests/devicetest.h"

// The acceptance test of a control panel: its joysticks moved into given positions, then each
// button released and pressed. The panel sends; the tool receives. GUI thread.
class ControlPanelDeviceTest : public DeviceTest
{
    Q_OBJECT

public:
    explicit ControlPanelDeviceTest(AbstractDisplayableItem *panel, QObject *parent = nullptr);
};
