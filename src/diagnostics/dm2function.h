#pragma once

#include "diagnostics/troublecodesfunction.h"

// DM2, previously active diagnostic trouble codes (PGN 0xFECB): the layout of DM1, sent by a
// unit only when asked. The tool standing in for a unit answers a request with it.
class DM2Function : public TroubleCodesFunction
{
    Q_OBJECT

public:
    explicit DM2Function(QObject *parent = nullptr);

    QString codesTitle() const override;
};
