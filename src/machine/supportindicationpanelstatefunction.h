#pragma once

#include "machine/bitfieldfunction.h"

// State of the support indication panel (PGN 0xFF33): two inputs with their switches, eight
// buttons and ten 3-bit output drivers.
class SupportIndicationPanelStateFunction : public BitFieldFunction
{
    Q_OBJECT

public:
    enum Index { FirstButton = 4, FirstOutput = 12, ParameterCount = 22 };

    Q_INVOKABLE explicit SupportIndicationPanelStateFunction(QObject *parent = nullptr);

    // "IN=%1%2 BoomArm=%3 Support=%4 Buttons=%5 OUT=%6".
    QString summary() const;
    QString textDataImpl() const override { return summary(); }
    AbstractSchemeTreeItem *createTreeItem() override;
};
