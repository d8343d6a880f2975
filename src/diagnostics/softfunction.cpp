#include "diagnostics/softfunction.h"

#include "model/tpconnection.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"

SoftFunction::SoftFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFE, 0xDA, parent)
{
    setObjectName(QStringLiteral("SoftFunction"));
    setName(tr("Software Identification"));
    // The names are the keys of files and scripts; the form reads the labels.
    ZxIntParameter *count = addIntParameter(QStringLiteral("IDC"));
    count->setDescription(tr("ID Count"));
    count->setLabel(tr("Number of fields"));
    ZxStringParameter *version = addStringParameter(QStringLiteral("VER"));
    version->setDescription(tr("Software Identification"));
    version->setLabel(tr("Software identification"));
    setDeviceType(Spontaneous, 5000);
}

bool SoftFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

void SoftFunction::dispatchTargetLongMessage(TPConnection *connection)
{
    if (decode(connection->data())) {
        counterInc();
        setUpdateNeeded();
    }
}

bool SoftFunction::decode(const QByteArray &data)
{
    if (data.isEmpty())
        return false;
    intParameter(0)->setValue(quint8(data.at(0)));
    intParameter(0)->setValid(true);
    // The whole text, zero bytes included.
    stringParameter(1)->setValue(QString::fromLatin1(data.constData() + 1, int(data.size()) - 1));
    stringParameter(1)->setValid(true);
    setUpdateNeeded();
    return true;
}
