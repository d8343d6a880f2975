#pragma once

#include "machine/bitfieldfunction.h"

// The controller's inputs and outputs (PGN 0xFF30): two inputs with their switches, the two
// working-light outputs and ten 3-bit output groups.
class ControllerIOStateDeviceFunction : public BitFieldFunction
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ControllerIOStateDeviceFunction(QObject *parent = nullptr);

protected:
    // Bits 6 and 7 of byte 3 are always sent set.
    quint64 initialWord() const override { return quint64(0xC0) << 24; }
};
