#include "machine/controlpanelstatefunction.h"

#include "machine/boolbuttonparameter.h"
#include "machine/editors/cpsfschemetreeitem.h"
#include "machine/joystickparameter.h"

namespace {

struct Button
{
    const char *name;
    const char *offIcon;
    const char *onIcon;
};
const Button RightButtons[] = {
    {QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B1-Control"),
     ":/icons/buttons/control-upper.png", ":/icons/buttons/control-lower.png"},
    {QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B2-Stop"), ":/icons/buttons/stop-normal1.png",
     ":/icons/buttons/stop-pressed1.png"},
    {QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B3-Engine"),
     ":/icons/buttons/engine-normal.png", ":/icons/buttons/engine-pressed.png"},
    {QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B4-Beep"), ":/icons/buttons/beep-normal.png",
     ":/icons/buttons/beep-pressed.png"},
    {QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B5-Setup"), ":/icons/buttons/setup-normal.png",
     ":/icons/buttons/setup-pressed.png"},
};
const char *const LeftButtons[] = {
    QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B1"),
    QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B2"),
    QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B3"),
    QT_TRANSLATE_NOOP("ControlPanelStateFunction", "B4"),
};
constexpr quint8 FlagBits = 0x03;

JoystickValue readJoystick(const unsigned char *bytes)
{
    return JoystickValue{JoystickValue::decodeAxis(bytes[0]), JoystickValue::decodeAxis(bytes[1]),
                         bytes[2] & FlagBits};
}

void writeJoystick(const JoystickValue &v, unsigned char *bytes)
{
    bytes[0] = JoystickValue::encodeAxis(v.x);
    bytes[1] = JoystickValue::encodeAxis(v.y);
    bytes[2] = quint8((bytes[2] & ~FlagBits) | (v.flags & FlagBits));
}

} // namespace

ControlPanelStateFunction::ControlPanelStateFunction(QObject *parent)
    : BitFieldFunction(0xFF, 0x32, parent)
{
    setObjectName(QStringLiteral("state"));
    setName(tr("State"));
    setDefaultPriority(4);
    addParameter(new JoystickParameter, tr("Left"), QStringLiteral("LJ"));
    int bit = 23; // byte 2 bit 7
    for (const char *name : LeftButtons) {
        addParameter(new BoolButtonParameter, tr(name), QString::fromLatin1(name));
        addField(parameters().size() - 1, bit--, 1);
    }
    addParameter(new JoystickParameter, tr("Right"), QStringLiteral("RJ"));
    bit = 47; // byte 5 bit 7
    for (const Button &b : RightButtons) {
        addParameter(
            new BoolButtonParameter(QString::fromLatin1(b.offIcon), QString::fromLatin1(b.onIcon)),
            tr(b.name), QString::fromLatin1(b.name));
        addField(parameters().size() - 1, bit--, 1);
    }
    setDeviceType(ContinuousCommit, 20);
}

JoystickParameter *ControlPanelStateFunction::joystick(int index) const
{
    return static_cast<JoystickParameter *>(parameters().at(index));
}

void ControlPanelStateFunction::decodeExtra(const unsigned char *data)
{
    joystick(LeftJoystick)->setValue(readJoystick(data));
    joystick(RightJoystick)->setValue(readJoystick(data + 3));
}

void ControlPanelStateFunction::encodeExtra(unsigned char *data) const
{
    writeJoystick(joystick(LeftJoystick)->value(), data);
    writeJoystick(joystick(RightJoystick)->value(), data + 3);
}

QString ControlPanelStateFunction::leftSummary() const
{
    const QList<ZxParameter *> &p = parameters();
    return QStringLiteral("LJ=%1 LB=%2%3%4%5")
        .arg(p.at(0)->toString(), p.at(1)->toString(), p.at(2)->toString(), p.at(3)->toString(),
             p.at(4)->toString());
}

QString ControlPanelStateFunction::rightSummary() const
{
    const QList<ZxParameter *> &p = parameters();
    return QStringLiteral("RJ=%1 RB=%2%3%4%5%6")
        .arg(p.at(5)->toString(), p.at(6)->toString(), p.at(7)->toString(), p.at(8)->toString(),
             p.at(9)->toString(), p.at(10)->toString());
}

QString ControlPanelStateFunction::textDataImpl() const
{
    return leftSummary() + QLatin1Char(' ') + rightSummary();
}

AbstractSchemeTreeItem *ControlPanelStateFunction::createTreeItem()
{
    return new CpsfSchemeTreeItem(this);
}
