#include "model/j1939device.h"

#include "model/staticpgnj1939devicefunction.h"

#include <QDebug>
#include <QDomElement>

J1939Device::J1939Device(quint8 address, QObject *parent)
    : CanDevice(parent)
{
    setAddress({ItemAddress::J1939, address});
}

bool J1939Device::matchMessage(const CanMessage &message)
{
    return message.extended && message.address() == address().value;
}

int J1939Device::state() const
{
    const auto &functions = children();
    if (functions.isEmpty())
        return Unknown;
    int candidate = Unknown;
    bool haveCandidate = false;
    for (const AbstractDisplayableItem *function : functions) {
        const int s = function->state();
        if (!haveCandidate) {
            if (s != Unknown) {
                candidate = s;
                haveCandidate = true;
            }
        } else if (s != candidate) {
            return Mixed;
        }
    }
    return candidate;
}

bool J1939Device::matchTargetMessage(const CanMessage &message)
{
    return state() == Send && message.isUnicast() && message.pduSpecific() == address().value;
}

bool J1939Device::setState(int v)
{
    const bool changed = AbstractDisplayableItem::setState(v);
    if (changed) {
        for (AbstractDisplayableItem *function : children())
            function->setState(v);
    }
    return changed;
}

bool J1939Device::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    const quint8 pf = message.pduFormat();
    if (pf == PfTransportData || pf == PfTransportControl)
        return dispatchTransportMessage(message, result);
    return AbstractDisplayableItem::dispatchMessageImpl(message, result);
}

bool J1939Device::dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result)
{
    const quint8 pf = message.pduFormat();
    if (pf == PfTransportData || pf == PfTransportControl) {
        result->targetItem = this;
        dispatchTransportTargetMessage(message);
        return true;
    }
    if (pf == PfRequest) {
        result->targetItem = this;
        answerRequest(message);
        return true;
    }
    return AbstractDisplayableItem::dispatchTargetMessageImpl(message, result);
}

bool J1939Device::answerRequest(const CanMessage &message)
{
    if (message.length < 3)
        return false;
    // The requested PGN, least significant byte first; its PF and PS pick the function.
    const quint32 requested
        = quint32(message.data[0]) | quint32(message.data[1]) << 8 | quint32(message.data[2]) << 16;
    const quint32 pgnValue = requested & 0xFFFF;
    for (AbstractDisplayableItem *child : children()) {
        auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(child);
        if (function && !function->isPaused() && function->pgnValue() == pgnValue) {
            function->transmitState();
            return true;
        }
    }
    return false;
}

StaticPgnJ1939DeviceFunction *J1939Device::functionForPgn(quint32 pgnValue) const
{
    for (AbstractDisplayableItem *child : children()) {
        auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(child);
        if (function && function->pgnValue() == pgnValue)
            return function;
    }
    return nullptr;
}

bool J1939Device::applyXmlData(QDomElement &element)
{
    applyXmlAttributes(element);
    return true;
}

void J1939Device::transmitBroadcastData(const unsigned char *, unsigned int length,
                                        unsigned int pgn)
{
    qDebug("Unable to send BAM %06x (%u bytes): no transport protocol", pgn, length);
}

bool J1939Device::dispatchTransportMessage(const CanMessage &, DispatchResult *)
{
    return false;
}

bool J1939Device::dispatchTransportTargetMessage(const CanMessage &)
{
    return false;
}
