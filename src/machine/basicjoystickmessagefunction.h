#pragma once

#include "machine/bitfieldfunction.h"

class SaeJoystickParameter;

// SAE J1939-71 Basic Joystick Message 1, 2 or 3 (PGN 0xFDD6, 0xFDD8, 0xFDDA): the stick's two
// axes with their statuses and twelve buttons.
class BasicJoystickMessageFunction : public BitFieldFunction
{
    Q_OBJECT

public:
    static constexpr int ButtonCount = 12;

    explicit BasicJoystickMessageFunction(int number, QObject *parent = nullptr);

    int number() const { return m_number; }
    SaeJoystickParameter *joystick() const;
    QString textDataImpl() const override;
    void dumpParameterIdsImpl(QIODevice *device) override;
    void dumpParametersImpl(QIODevice *device) override;
    AbstractSchemeTreeItem *createTreeItem() override;

protected:
    // Bits 0-3 of byte 4 are not defined: sent as 1s, the J1939 fill.
    quint64 initialWord() const override { return quint64(0x0F) << 32; }
    void decodeExtra(const unsigned char *data) override;
    void encodeExtra(unsigned char *data) const override;

private:
    int m_number;
};
