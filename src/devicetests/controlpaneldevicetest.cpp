#include "devicetests/controlpaneldevicetest.h"

#include "machine/joystickparameter.h"

ControlPanelDeviceTest::ControlPanelDeviceTest(AbstractDisplayableItem *panel, QObject *parent)
    : DeviceTest(panel, parent)
{
    AbstractDisplayableItem *state = panel ? panel->findItem(QStringLiteral("state")) : nullptr;
    if (!state) {
        addUnresolved(QStringLiteral("control_panel_low/state"));
        return;
    }
    const int full = JoystickValue::AxisLimit;
    const struct
    {
        const char *id;
        JoystickValue position;
    } positions[] = {
        {"LJ", {0, full, 0}},  {"LJ", {0, -full, 0}}, {"LJ", {-full, 0, 0}},
        {"LJ", {full, 0, 0}},  {"RJ", {0, full, 0}},  {"RJ", {0, -full, 0}},
    };
    for (const auto &p : positions) {
        ZxParameter *parameter = state->parameter(QString::fromLatin1(p.id));
        if (!parameter || parameter->type() != ZxParameter::Joystick) {
            addUnresolved(QStringLiteral("control_panel_low/state/") + QString::fromLatin1(p.id));
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
    for (const char *id : {"B1-Control", "B2-Stop", "B3-Engine", "B4-Beep", "B5-Setup"}) {
        ZxParameter *button = state->parameter(QString::fromLatin1(id));
        if (!button)
            addUnresolved(QStringLiteral("control_panel_low/state/") + QString::fromLatin1(id));
        else
            createButtonTest(button);
    }
}
