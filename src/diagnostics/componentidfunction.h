#pragma once

#include "diagnostics/identificationfunction.h"

// Component identification (PGN 0xFEEB): make, model, serial number and unit number of a unit,
// "*"-delimited.
class ComponentIdFunction : public IdentificationFunction
{
    Q_OBJECT

public:
    enum Index { Make = 0, Model, SerialNumber, UnitNumber };

    explicit ComponentIdFunction(QObject *parent = nullptr);

    bool decode(const QByteArray &data) override;
    QByteArray encode() const override;
};
