#pragma once

#include "diagnostics/troublecodesfunction.h"

// DM1, active diagnostic trouble codes (PGN 0xFECA): lamps and codes of a unit, broadcast once a
// second, decoded from a single frame or a broadcast, and encoded when the tool stands in for the
// unit.
class DM1Function : public TroubleCodesFunction
{
    Q_OBJECT

public:
    explicit DM1Function(QObject *parent = nullptr);

    QString codesTitle() const override;
};
