#pragma once

#include "machine/bitfieldfunction.h"

// The controller's movement locks, the panel in control and its error codes (PGN 0xFF31).
class ControllerBlockStateDeviceFunction : public BitFieldFunction
{
    Q_OBJECT

public:
    enum Index { Control = 6, Errors = 7 };

    Q_INVOKABLE explicit ControllerBlockStateDeviceFunction(QObject *parent = nullptr);

protected:
    void decodeExtra(const unsigned char *data) override;
    void encodeExtra(unsigned char *data) const override;
};
