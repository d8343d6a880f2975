#pragma once

#include "devicetests/devicetest.h"

// The acceptance test of the machine controller: its two inputs, its outputs driven through the
// lower control panel the tool stands in for, its FRAM, and the panel's joysticks. GUI thread.
class ControllerDeviceTest : public DeviceTest
{
    Q_OBJECT

public:
    explicit ControllerDeviceTest(AbstractDisplayableItem *controller, QObject *parent = nullptr);

    // The catalogue's constructor of this test.
    static DeviceTest *create(AbstractDisplayableItem *controller);

    // An output of the controller and how the simulated panel drives it: the panel parameter's
    // path and the values its off and on actions write.
    struct OutputDrive
    {
        const char *output;
        const char *panelPath;
        const char *offValue;
        const char *onValue;
    };
    static const QList<OutputDrive> &outputDrives();

private:
    ZxParameter *panelParameter(const QString &path);
    // The hand-back of the lower panel and the joystick positions the engineer moves it into.
    void addJoystickTests(AbstractDisplayableItem *panel);
};
