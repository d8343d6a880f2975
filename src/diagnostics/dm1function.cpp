#include "diagnostics/dm1function.h"

DM1Function::DM1Function(QObject *parent)
    : TroubleCodesFunction(0xCA, parent)
{
    setObjectName(QStringLiteral("DM1Function"));
    setName(tr("DM1 - Active Diagnostic Trouble Codes"));
    setDeviceType(ContinuousCommit, 1000);
}

QString DM1Function::codesTitle() const
{
    return tr("Active trouble codes");
}
