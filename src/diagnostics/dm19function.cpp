#include "diagnostics/dm19function.h"

#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"

DM19Function::DM19Function(QObject *parent)
    : IdentificationFunction(0xD3, 0x00, parent)
{
    setObjectName(QStringLiteral("DM19Function"));
    setName(tr("DM19 - Calibration Information"));
    addIntParameter(QStringLiteral("COUNT"))->setWords(tr("Calibration count"));
    addStringParameter(QStringLiteral("CAL"))->setWords(tr("Calibrations"));
}

bool DM19Function::decode(const QByteArray &data)
{
    const IdentificationCodec::Calibrations list = IdentificationCodec::calibrations(data);
    intParameter(Count)->setValue(int(list.size()));
    intParameter(Count)->setValid(true);
    stringParameter(List)->setValue(IdentificationCodec::calibrationsText(list));
    stringParameter(List)->setValid(true);
    setUpdateNeeded();
    return true;
}

IdentificationCodec::Calibrations DM19Function::calibrations() const
{
    return IdentificationCodec::parseCalibrations(stringParameter(List)->value());
}

QByteArray DM19Function::encode() const
{
    return IdentificationCodec::encodeCalibrations(calibrations());
}

QString DM19Function::textDataImpl() const
{
    const IdentificationCodec::Calibrations list = calibrations();
    if (list.isEmpty())
        return tr("no calibrations");
    QStringList ids;
    for (const IdentificationCodec::Calibration &c : list)
        ids << IdentificationCodec::printable(c.calId);
    return tr("Calibrations: %1").arg(ids.join(QStringLiteral(", ")));
}
