#pragma once

#include "model/staticpgnj1939devicefunction.h"

class VariableFactory;

// The machine controller's machine-state frames (PGN 0xFF35): one variable per name that
// appears, any name of two printable characters. Bus thread once registered; its variable
// factory stays in the GUI thread.
class ControllerMachineStateDeviceFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ControllerMachineStateDeviceFunction(QObject *parent = nullptr);
    ~ControllerMachineStateDeviceFunction() override;

    AbstractDeviceFactory *subFactory() override;
    // The variables follow their function's state, as functions follow their device's.
    bool setState(int v) override;
    bool hasSubFactory() const override { return true; }

private:
    VariableFactory *m_factory = nullptr;
};
