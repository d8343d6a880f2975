#include "diagnostics/dm2function.h"

namespace {

// Sent on request only: watched for activity, never sent on a period of its own.
constexpr int ActivityTimeoutMs = 5000;

} // namespace

DM2Function::DM2Function(QObject *parent)
    : TroubleCodesFunction(0xCB, parent)
{
    setObjectName(QStringLiteral("DM2Function"));
    setName(tr("DM2 - Previously Active Diagnostic Trouble Codes"));
    setDeviceType(Spontaneous, ActivityTimeoutMs);
}

QString DM2Function::codesTitle() const
{
    return tr("Previously active trouble codes");
}
