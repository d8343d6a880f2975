#include "descriptions/unknownpgnfunction.h"

#include "model/rawdataparameter.h"

#include <QDebug>

UnknownPgnFunction::UnknownPgnFunction(QObject *parent)
    : J1939DeviceFunction(parent)
    , m_data(new RawDataParameter)
{
    addParameter(m_data, tr("DATA"));
    setDeviceType(Spontaneous, 5000);
}

UnknownPgnFunction::~UnknownPgnFunction()
{
    qDebug("Deleting UnknownPgnFunction");
}

bool UnknownPgnFunction::matchMessage(const CanMessage &message)
{
    // Its address is the PGN it was made for (PS | PF << 8).
    const quint32 pgn = address().value;
    // A PDU1 group is the same whatever its destination, the global address included.
    if (CanMessage::isPdu1(message.pduFormat()))
        return message.pduFormat() == ((pgn >> 8) & 0xFF);
    return message.pduFormat() == ((pgn >> 8) & 0xFF) && message.pduSpecific() == (pgn & 0xFF);
}

bool UnknownPgnFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    m_data->setBytes(message.data, message.length);
    setUpdateNeeded();
    return true;
}
