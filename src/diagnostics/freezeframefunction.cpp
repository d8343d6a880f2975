#include "diagnostics/freezeframefunction.h"

#include "diagnostics/editors/freezeframeschemetreeitem.h"
#include "model/tpconnection.h"

FreezeFrameFunction::FreezeFrameFunction(quint8 pf, quint8 ps, QObject *parent)
    : StaticPgnJ1939DeviceFunction(pf, ps, parent)
{
    // Sent on request: watched for activity, as the identifications are.
    setDeviceType(Spontaneous, 5000);
}

bool FreezeFrameFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    decode(QByteArray(reinterpret_cast<const char *>(message.data), message.length));
    return true;
}

bool FreezeFrameFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

void FreezeFrameFunction::dispatchTargetLongMessage(TPConnection *connection)
{
    if (decode(connection->data())) {
        counterInc();
        setUpdateNeeded();
    }
}

void FreezeFrameFunction::transmitState()
{
    const QByteArray data = encode();
    transmitData(reinterpret_cast<const unsigned char *>(data.constData()), unsigned(data.size()));
}

AbstractSchemeTreeItem *FreezeFrameFunction::createTreeItem()
{
    return new FreezeFrameSchemeTreeItem(this);
}

StaticPgnJ1939DeviceFunction *FreezeFrameFunction::sibling(quint32 pgn) const
{
    const AbstractDisplayableItem *unit = parentItem();
    if (!unit)
        return nullptr;
    for (AbstractDisplayableItem *child : unit->children()) {
        auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(child);
        if (function && function->pgnValue() == pgn)
            return function;
    }
    return nullptr;
}

void FreezeFrameFunction::decoded()
{
    m_generation.fetch_add(1);
    setUpdateNeeded();
}
