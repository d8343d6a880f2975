#include "diagnostics/componentidfunction.h"

#include "diagnostics/identificationcodec.h"
#include "model/zxstringparameter.h"

ComponentIdFunction::ComponentIdFunction(QObject *parent)
    : IdentificationFunction(0xFE, 0xEB, parent)
{
    setObjectName(QStringLiteral("ComponentIdFunction"));
    setName(tr("Component Identification"));
    addStringParameter(QStringLiteral("MAKE"))->setWords(tr("Make"));
    addStringParameter(QStringLiteral("MODEL"))->setWords(tr("Model"));
    addStringParameter(QStringLiteral("SERIAL"))->setWords(tr("Serial number"));
    addStringParameter(QStringLiteral("UNIT"))->setWords(tr("Unit number"));
}

bool ComponentIdFunction::decode(const QByteArray &data)
{
    const QStringList fields = IdentificationCodec::componentFields(data);
    for (int i = Make; i <= UnitNumber; ++i) {
        stringParameter(i)->setValue(fields.at(i));
        stringParameter(i)->setValid(true);
    }
    setUpdateNeeded();
    return true;
}

QByteArray ComponentIdFunction::encode() const
{
    QStringList fields;
    for (int i = Make; i <= UnitNumber; ++i)
        fields << stringParameter(i)->value();
    return IdentificationCodec::encodeComponent(fields);
}
