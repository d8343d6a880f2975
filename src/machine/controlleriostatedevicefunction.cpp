#include "machine/controlleriostatedevicefunction.h"

#include "model/zx3bitiostateparameter.h"
#include "model/zxboolparameter.h"
#include "model/zxinputstateparameter.h"

namespace {

// Outputs 4 to 15 by name; the ids are the untranslated names, so paths work in any language.
const char *const OutputNames[] = {
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "WPLEFT"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "WPRIGHT"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "UP"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "DOWN"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "FORWARD"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "BACKWARD"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "RIGHT"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "LEFT"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "PILOT"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "RPM1"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "STOP1"),
    QT_TRANSLATE_NOOP("ControllerIOStateDeviceFunction", "BEEP1"),
};
// Bytes 4-7 hold ten 3-bit groups from bit 0 upwards; group k belongs to this parameter.
const int WordGroupParameter[] = {13, 14, 15, 12, 6, 7, 11, 10, 9, 8};

} // namespace

ControllerIOStateDeviceFunction::ControllerIOStateDeviceFunction(QObject *parent)
    : BitFieldFunction(0xFF, 0x30, parent)
{
    setObjectName(QStringLiteral("ControllerIOState"));
    setName(tr("Controller IO State"));
    addParameter(new ZxInputStateParameter, tr("BoomArmIn"), QStringLiteral("IN1"));
    addParameter(new ZxBoolParameter, tr("Boom arm"), QStringLiteral("Boom arm"));
    addParameter(new ZxInputStateParameter, tr("SupportIn"), QStringLiteral("IN2"));
    addParameter(new ZxBoolParameter, tr("Support"), QStringLiteral("Support"));
    for (const char *name : OutputNames)
        addParameter(new Zx3BitIOStateParameter, tr(name), QString::fromLatin1(name));
    addField(0, 0, 2);
    addField(1, 2, 1);
    addField(2, 3, 2);
    addField(3, 5, 1);
    addField(4, 24, 3);
    addField(5, 27, 3);
    for (int k = 0; k < 10; ++k)
        addField(WordGroupParameter[k], 32 + 3 * k, 3);
    setDeviceType(Continuous, 100);
}
