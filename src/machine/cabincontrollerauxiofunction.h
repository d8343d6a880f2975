#pragma once

#include "machine/bitfieldfunction.h"

// The cabin controller's auxiliary I/O status (PGN 0xFED9): buttons B13 to B20, two lamps, two
// outputs and two 16-bit values.
class CabinControllerAuxIoFunction : public BitFieldFunction
{
    Q_OBJECT

public:
    enum Index {
        FirstButton = 0,
        Led1 = 8,
        Led2 = 9,
        Out1 = 10,
        Out2 = 11,
        Auxio1 = 12,
        Auxio2 = 13
    };

    Q_INVOKABLE explicit CabinControllerAuxIoFunction(QObject *parent = nullptr);

    QString textDataImpl() const override;
    AbstractSchemeTreeItem *createTreeItem() override;
    // Bit position of the k-th two-bit field: four to a byte, the first in bits 7-6.
    static int twoBitPos(int k) { return 8 * (k / 4) + 6 - 2 * (k % 4); }
};
