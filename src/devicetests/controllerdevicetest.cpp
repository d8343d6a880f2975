#include "devicetests/controllerdevicetest.h"

#include "descriptions/candevicefactory.h"
#include "devicetests/framtestsequence.h"
#include "devicetests/statetestactions.h"
#include "machine/joystickparameter.h"
#include "model/devicedispatcher.h"

namespace {
const char *const PanelKey = "control_panel_low";
} // namespace

const QList<ControllerDeviceTest::OutputDrive> &ControllerDeviceTest::outputDrives()
{
    // Joystick deflections ("x,y,flags", full travel 127) of the lower panel move the boom;
    // its buttons switch engine speed, stop and horn.
    static const QList<OutputDrive> drives{
        {"UP", "control_panel_low/state/LJ", "0,0,0", "0,127,0"},
        {"DOWN", "control_panel_low/state/LJ", "0,0,0", "0,-127,0"},
        {"LEFT", "control_panel_low/state/LJ", "0,0,0", "-127,0,0"},
        {"RIGHT", "control_panel_low/state/LJ", "0,0,0", "127,0,0"},
        {"FORWARD", "control_panel_low/state/RJ", "0,0,0", "0,127,0"},
        {"BACKWARD", "control_panel_low/state/RJ", "0,0,0", "0,-127,0"},
        {"PILOT", "control_panel_low/state/RJ", "0,0,0", "0,0,1"},
        {"RPM1", "control_panel_low/state/B3-Engine", "1", "0"},
        {"STOP1", "control_panel_low/state/B2-Stop", "0", "1"},
        {"BEEP1", "control_panel_low/state/B4-Beep", "1", "0"},
    };
    return drives;
}

ControllerDeviceTest::ControllerDeviceTest(AbstractDisplayableItem *controller, QObject *parent)
    : DeviceTest(controller, parent)
{
    // The panel is a unit of the controller's bus.
    CanDeviceFactory *factory
        = CanDeviceFactory::of(controller ? controller->dispatcher() : nullptr);
    AbstractDisplayableItem *panel
        = factory ? factory->getDeviceByPath(QString::fromLatin1(PanelKey)) : nullptr;
    addRelatedItem(panel);
    AbstractDisplayableItem *io
        = controller ? controller->findItem(QStringLiteral("ControllerIOState")) : nullptr;
    if (!io) {
        addUnresolved(QStringLiteral("controller/ControllerIOState"));
        return;
    }
    // The outputs are driven through the lower panel: the tool sends for it during the run,
    // whatever state the scheme gave it, and the inputs are checked on that steady machine.
    if (panel)
        addTest(new StandInTestAction(panel, true, this));
    // The boom arm and support bits report the same switches as the inputs.
    createInputTest(io->parameter(QStringLiteral("IN1")), {io->parameter(QStringLiteral("Boom arm"))});
    createInputTest(io->parameter(QStringLiteral("IN2")), {io->parameter(QStringLiteral("Support"))});

    for (const OutputDrive &drive : outputDrives()) {
        const QString path = QString::fromLatin1(drive.panelPath);
        ZxParameter *driver = panelParameter(path);
        ZxParameter *state = io->parameter(QString::fromLatin1(drive.output));
        if (!driver || !state) {
            addUnresolved(driver ? QStringLiteral("controller/ControllerIOState/")
                                       + QString::fromLatin1(drive.output)
                                 : path);
            continue;
        }
        AbstractDisplayableItem *owner = ownerOf(driver);
        auto *off = new ParameterInitTestAction(owner, driver, QString::fromLatin1(drive.offValue),
                                                this);
        auto *on = new ParameterInitTestAction(owner, driver, QString::fromLatin1(drive.onValue),
                                               this);
        createOutputTest(off, on, state, ReturnOff);
    }

    auto *fram = new FramTestSequence(this);
    for (TestAction *step : fram->steps())
        addTest(step);
    addJoystickTests(panel);
}

void ControllerDeviceTest::addJoystickTests(AbstractDisplayableItem *panel)
{
    AbstractDisplayableItem *state = panel ? panel->findItem(QStringLiteral("state")) : nullptr;
    if (!state) {
        addUnresolved(QString::fromLatin1(PanelKey) + QStringLiteral("/state"));
        return;
    }
    // The engineer moves the panel's own joysticks: the tool hands the panel back first.
    addTest(new StandInTestAction(panel, false, this));
    const int full = JoystickValue::AxisLimit;
    const struct
    {
        const char *id;
        JoystickValue position;
    } positions[] = {
        {"LJ", {0, full, 0}},  {"LJ", {0, -full, 0}}, {"LJ", {-full, 0, 0}},
        {"LJ", {full, 0, 0}},  {"RJ", {0, full, 0}},  {"RJ", {0, -full, 0}},
        {"RJ", {-full, 0, 0}}, {"RJ", {full, 0, 0}},  {"RJ", {0, 0, 0}},
    };
    for (const auto &p : positions) {
        ZxParameter *parameter = state->parameter(QString::fromLatin1(p.id));
        if (!parameter || parameter->type() != ZxParameter::Joystick) {
            addUnresolved(QString::fromLatin1(PanelKey) + QStringLiteral("/state/")
                          + QString::fromLatin1(p.id));
            continue;
        }
        auto *clause = new JoystickTestClause(state, static_cast<JoystickParameter *>(parameter),
                                              p.position, this);
        const QString text
            = QStringLiteral("%1 - %2").arg(parameter->name(), p.position.toString());
        clause->setName(text);
        clause->setDescription(text);
        addTest(clause);
    }
}

DeviceTest *ControllerDeviceTest::create(AbstractDisplayableItem *controller)
{
    return new ControllerDeviceTest(controller);
}

ZxParameter *ControllerDeviceTest::panelParameter(const QString &path)
{
    CanDeviceFactory *factory = CanDeviceFactory::of(device() ? device()->dispatcher() : nullptr);
    return factory ? factory->getParameter(path) : nullptr;
}
