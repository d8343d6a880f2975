#pragma once

#include "diagnostics/abstractnamedvariable.h"

// A variable the machine controller broadcasts in its machine-state frames (PGN 0xFF35). When
// simulated it is sent every 100 ms in its function's frame. Bus thread once registered.
class MachineStateVariable : public AbstractNamedVariable
{
    Q_OBJECT

public:
    explicit MachineStateVariable(QObject *parent = nullptr);
    // "Hr = 1234.5": the name the controller gave and the value as a number.
    QString textDataImpl() const override;

public slots:
    void transmitState() override;
};
