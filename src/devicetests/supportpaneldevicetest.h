#pragma once

#include "devicetests/devicetest.h"

// The acceptance test of the support indication panel: two of its buttons released and pressed.
// GUI thread.
class SupportPanelDeviceTest : public DeviceTest
{
    Q_OBJECT

public:
    explicit SupportPanelDeviceTest(AbstractDisplayableItem *panel, QObject *parent = nullptr);
};
