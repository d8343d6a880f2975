#include "support/recordingfunction.h"

#include "model/tpconnection.h"

RecordingFunction::RecordingFunction(quint8 pf, quint8 ps, QObject *parent)
    : StaticPgnJ1939DeviceFunction(pf, ps, parent)
{
}

bool RecordingFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    broadcasts.append(data);
    return true;
}

void RecordingFunction::dispatchTargetLongMessage(TPConnection *connection)
{
    connections.append(connection->data());
}
