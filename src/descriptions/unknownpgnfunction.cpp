#include "descriptions/unknownpgnfunction.h"

#include "model/rawdataparameter.h"

#include <QDebug>

UnknownPgnFunction::UnknownPgnFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0, 0, parent)
    , m_data(new RawDataParameter)
{
    addParameter(m_data, tr("DATA"));
    setDeviceType(Spontaneous, 5000);
}

UnknownPgnFunction::~UnknownPgnFunction()
{
    qDebug("Deleting UnknownPgnFunction");
}

bool UnknownPgnFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    m_data->setBytes(message.data, message.length);
    setUpdateNeeded();
    return true;
}

bool UnknownPgnFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    m_data->setBytes(reinterpret_cast<const unsigned char *>(data.constData()), data.size());
    setUpdateNeeded();
    return true;
}

void UnknownPgnFunction::updateUserReadableAddress()
{
    // The factory gives the group as the address: the frames it matches and sends follow.
    const quint32 group = address().value;
    if (group <= 0xFFFF && group != pgnValue())
        setPgn(quint8(group >> 8), quint8(group)); // sets the same address again
    StaticPgnJ1939DeviceFunction::updateUserReadableAddress();
}

void UnknownPgnFunction::transmitState()
{
    const RawBytes bytes = m_data->value();
    if (!bytes.isEmpty())
        transmitData(bytes.constData(), unsigned(bytes.size()));
}
