#pragma once

#include "machine/bitfieldfunction.h"

class JoystickParameter;

// State of a control panel (PGN 0xFF32): two joysticks with their flags and nine buttons.
class ControlPanelStateFunction : public BitFieldFunction
{
    Q_OBJECT

public:
    enum Index { LeftJoystick = 0, RightJoystick = 5, ParameterCount = 11 };

    Q_INVOKABLE explicit ControlPanelStateFunction(QObject *parent = nullptr);

    JoystickParameter *joystick(int index) const;
    // "LJ=%1 LB=%2%3%4%5" and "RJ=%1 RB=%2%3%4%5%6".
    QString leftSummary() const;
    QString rightSummary() const;
    QString textDataImpl() const override;
    AbstractSchemeTreeItem *createTreeItem() override;

protected:
    void decodeExtra(const unsigned char *data) override;
    void encodeExtra(unsigned char *data) const override;
};
