#include "machine/controllerblockstatedevicefunction.h"

#include "machine/machinelists.h"
#include "model/zxerrorcodesparameter.h"
#include "model/zxlistparameter.h"

namespace {

struct Lock
{
    const char *name;
    const char *id;
};
const Lock Locks[] = {
    {QT_TRANSLATE_NOOP("ControllerBlockStateDeviceFunction", "Lock Up"), "LU"},
    {QT_TRANSLATE_NOOP("ControllerBlockStateDeviceFunction", "Lock Down"), "LD"},
    {QT_TRANSLATE_NOOP("ControllerBlockStateDeviceFunction", "Lock Left"), "LL"},
    {QT_TRANSLATE_NOOP("ControllerBlockStateDeviceFunction", "Lock Right"), "LR"},
    {QT_TRANSLATE_NOOP("ControllerBlockStateDeviceFunction", "Lock Backward"), "LB"},
    {QT_TRANSLATE_NOOP("ControllerBlockStateDeviceFunction", "Lock Forward"), "LF"},
};
constexpr int ErrorOffset = 2;

} // namespace

ControllerBlockStateDeviceFunction::ControllerBlockStateDeviceFunction(QObject *parent)
    : BitFieldFunction(0xFF, 0x31, parent)
{
    setObjectName(QStringLiteral("ControllerBlockState"));
    setName(tr("Blocks"));
    int index = 0;
    for (const Lock &lock : Locks) {
        addParameter(new ZxListParameter(MachineLists::lock()), tr(lock.name),
                     QString::fromLatin1(lock.id));
        addField(index, 2 * index, 2);
        ++index;
    }
    addParameter(new ZxListParameter(MachineLists::control()), tr("Control"),
                 QStringLiteral("CTRL"));
    addField(Control, 12, 4);
    addParameter(new ZxErrorCodesParameter, tr("Errors"), QStringLiteral("ERR"));
    setDeviceType(ContinuousCommit, 100);
}

void ControllerBlockStateDeviceFunction::decodeExtra(const unsigned char *data)
{
    auto *errors = static_cast<ZxErrorCodesParameter *>(parameters().at(Errors));
    errors->setCodes(data + ErrorOffset);
    errors->setValid(true);
}

void ControllerBlockStateDeviceFunction::encodeExtra(unsigned char *data) const
{
    static_cast<ZxErrorCodesParameter *>(parameters().at(Errors))->getCodes(data + ErrorOffset);
}
