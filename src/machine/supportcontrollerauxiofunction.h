#pragma once

#include "machine/bitfieldfunction.h"

// The support controller's auxiliary I/O status (PGN 0xFED9): twelve outputs, four inputs and
// two 16-bit values.
class SupportControllerAuxIoFunction : public BitFieldFunction
{
    Q_OBJECT

public:
    enum Index { FirstOutput = 0, FirstInput = 12, Auxio1 = 16, Auxio2 = 17 };

    Q_INVOKABLE explicit SupportControllerAuxIoFunction(QObject *parent = nullptr);

    QString textDataImpl() const override;
    AbstractSchemeTreeItem *createTreeItem() override;
};
