#include "machine/supportindicationpanelstatefunction.h"

#include "machine/boolbuttonparameter.h"
#include "machine/editors/sipsfschemetreeitem.h"
#include "model/zx3bitiostateparameter.h"
#include "model/zxinputstateparameter.h"

namespace {

struct Button
{
    const char *name;
    const char *offIcon;
    const char *onIcon;
};
const Button Buttons[] = {
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B1-Beep"),
     ":/icons/buttons/beep-normal.png", ":/icons/buttons/beep-pressed.png"},
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B2-Control Up"),
     ":/icons/buttons/control-support.png", ":/icons/buttons/control-boom.png"},
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B3-Engine"),
     ":/icons/buttons/engine-normal.png", ":/icons/buttons/engine-pressed.png"},
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B4"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B5"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B6"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B7"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "B8"), nullptr, nullptr},
};
const char *const Outputs[] = {
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT1-Valve"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT2-RPM2"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT3-STOP2"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT4-BEEP2"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT5"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT6"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT7"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT8"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT9"),
    QT_TRANSLATE_NOOP("SupportIndicationPanelStateFunction", "OUT10"),
};

QString iconPath(const char *path)
{
    return path ? QString::fromLatin1(path) : QString();
}

} // namespace

SupportIndicationPanelStateFunction::SupportIndicationPanelStateFunction(QObject *parent)
    : BitFieldFunction(0xFF, 0x33, parent)
{
    setObjectName(QStringLiteral("SupportIndicationPanelState"));
    setName(tr("State"));
    setDefaultPriority(4);
    addParameter(new ZxInputStateParameter, tr("BoomArmIn"), QStringLiteral("IN1"));
    addParameter(new BoolButtonParameter(QStringLiteral(":/icons/buttons/boom-arm-off.png"),
                                         QStringLiteral(":/icons/buttons/boom-arm-on.png")),
                 tr("BoomArm"), QStringLiteral("BoomArm"));
    addParameter(new ZxInputStateParameter, tr("SupportIn"), QStringLiteral("IN2"));
    addParameter(new BoolButtonParameter(QStringLiteral(":/icons/buttons/support-off.png"),
                                         QStringLiteral(":/icons/buttons/support-on.png")),
                 tr("Support"), QStringLiteral("Support"));
    addField(0, 0, 2);
    addField(1, 2, 1);
    addField(2, 3, 2);
    addField(3, 5, 1);
    int bit = 31; // byte 3 bit 7
    for (const Button &b : Buttons) {
        addParameter(new BoolButtonParameter(iconPath(b.offIcon), iconPath(b.onIcon)), tr(b.name),
                     QString::fromLatin1(b.name));
        addField(parameters().size() - 1, bit--, 1);
    }
    int pos = 32;
    for (const char *name : Outputs) {
        addParameter(new Zx3BitIOStateParameter, tr(name), QString::fromLatin1(name));
        addField(parameters().size() - 1, pos, 3);
        pos += 3;
    }
    setDeviceType(ContinuousCommit, 100);
}

QString SupportIndicationPanelStateFunction::summary() const
{
    const QList<ZxParameter *> &p = parameters();
    QString buttons;
    for (int i = FirstButton; i < FirstOutput; ++i)
        buttons += p.at(i)->toString();
    QString outputs;
    for (int i = FirstOutput; i < ParameterCount; ++i)
        outputs += p.at(i)->toString();
    return QStringLiteral("IN=%1%2 BoomArm=%3 Support=%4 Buttons=%5 OUT=%6")
        .arg(p.at(0)->toString(), p.at(2)->toString(), p.at(1)->toString(), p.at(3)->toString(),
             buttons, outputs);
}

AbstractSchemeTreeItem *SupportIndicationPanelStateFunction::createTreeItem()
{
    return new SipsfSchemeTreeItem(this);
}
