#include "diagnostics/identificationfunction.h"

#include "diagnostics/editors/identificationschemetreeitem.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"

#include <QDebug>

IdentificationFunction::IdentificationFunction(quint8 pf, quint8 ps, QObject *parent)
    : StaticPgnJ1939DeviceFunction(pf, ps, parent)
{
    // Sent on request only.
    setDeviceType(Spontaneous, 5000);
}

bool IdentificationFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    // A short identification fits one frame; a transport packet is never one.
    const quint8 pf = message.pduFormat();
    if (pf == J1939Device::PfTransportData || pf == J1939Device::PfTransportControl)
        return false;
    result->item = this;
    decode(QByteArray(reinterpret_cast<const char *>(message.data), message.length));
    return true;
}

bool IdentificationFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

void IdentificationFunction::dispatchTargetLongMessage(TPConnection *connection)
{
    if (decode(connection->data())) {
        counterInc();
        setUpdateNeeded();
    }
}

void IdentificationFunction::transmitState()
{
    const QByteArray data = encode();
    if (data.isEmpty()) {
        qDebug("Nothing to send for PGN %04x", pgnValue());
        return;
    }
    transmitData(reinterpret_cast<const unsigned char *>(data.constData()), unsigned(data.size()));
}

AbstractSchemeTreeItem *IdentificationFunction::createTreeItem()
{
    return new IdentificationSchemeTreeItem(this);
}
