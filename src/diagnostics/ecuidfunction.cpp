#include "diagnostics/ecuidfunction.h"

#include "model/tpconnection.h"
#include "model/zxstringparameter.h"

EcuidFunction::EcuidFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFD, 0xC5, parent)
{
    setObjectName(QStringLiteral("EcuidFunction"));
    setName(tr("ECU Identification Information"));
    // The name is the key of files and scripts; the form reads the label.
    ZxStringParameter *id = addStringParameter(QStringLiteral("ID"));
    id->setDescription(tr("ID"));
    id->setLabel(tr("ECU identification"));
    setDeviceType(Spontaneous, 5000);
}

bool EcuidFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

void EcuidFunction::dispatchTargetLongMessage(TPConnection *connection)
{
    if (decode(connection->data())) {
        counterInc();
        setUpdateNeeded();
    }
}

bool EcuidFunction::decode(const QByteArray &data)
{
    const int end = data.indexOf('\0');
    stringParameter(0)->setValue(QString::fromLatin1(end < 0 ? data : data.left(end)));
    stringParameter(0)->setValid(true);
    setUpdateNeeded();
    return true;
}
