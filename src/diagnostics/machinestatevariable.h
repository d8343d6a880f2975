#pragma once

#include "diagnostics/abstractnamedvariable.h"

// A variable the machine controller broadcasts in its machine-state frames (PGN 0xFF35). When
// simulated it is sent every 100 ms in its function's frame. Bus thread once registered.
class MachineStateVariable : public AbstractNamedVariable
{
    Q_OBJECT

public:
    explicit MachineStateVariable(QObject *parent = nullptr);

public slots:
    void transmitState() override;
};
