#include "diagnostics/vehicleidfunction.h"

#include "diagnostics/identificationcodec.h"
#include "model/zxstringparameter.h"

VehicleIdFunction::VehicleIdFunction(QObject *parent)
    : IdentificationFunction(0xFE, 0xEC, parent)
{
    setObjectName(QStringLiteral("VehicleIdFunction"));
    setName(tr("Vehicle Identification"));
    addStringParameter(QStringLiteral("VIN"))->setWords(tr("Vehicle identification number"));
}

bool VehicleIdFunction::decode(const QByteArray &data)
{
    stringParameter(0)->setValue(IdentificationCodec::vin(data));
    stringParameter(0)->setValid(true);
    setUpdateNeeded();
    return true;
}

QByteArray VehicleIdFunction::encode() const
{
    return IdentificationCodec::encodeVin(stringParameter(0)->value());
}
