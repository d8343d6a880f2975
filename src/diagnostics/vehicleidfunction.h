#pragma once

#include "diagnostics/identificationfunction.h"

// Vehicle identification (PGN 0xFEEC): the vehicle identification number, ended by "*".
class VehicleIdFunction : public IdentificationFunction
{
    Q_OBJECT

public:
    explicit VehicleIdFunction(QObject *parent = nullptr);

    bool decode(const QByteArray &data) override;
    QByteArray encode() const override;
};
