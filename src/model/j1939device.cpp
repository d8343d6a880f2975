#include "model/j1939device.h"

#include "descriptions/unknownpgnfactory.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/tpconnection.h"

#include <QDebug>
#include <QDomElement>
#include <QThread>

J1939Device::J1939Device(quint8 address, QObject *parent)
    : CanDevice(parent)
    , m_transport(this)
{
    setAddress({ItemAddress::J1939, address});
}

J1939Device::~J1939Device()
{
    if (AbstractDeviceFactory *factory = AbstractDisplayableItem::subFactory()) {
        if (factory->thread() == QThread::currentThread())
            delete factory;
        else
            factory->deleteLater();
    }
}

bool J1939Device::matchMessage(const CanMessage &message)
{
    return message.extended && message.address() == address().value;
}

int J1939Device::state() const
{
    const int known = m_knownState.load(std::memory_order_relaxed);
    if (known >= 0)
        return known;
    if (thread() != QThread::currentThread())
        return stateOf(children());
    // Only this thread changes the functions and their states, and forgets the state then.
    const int worked = stateOf(ownChildren());
    m_knownState.store(worked, std::memory_order_relaxed);
    return worked;
}

void J1939Device::childStateChanged()
{
    m_knownState.store(-1, std::memory_order_relaxed);
    // A device's state is a function's to the unit above it, if there is one.
    AbstractDisplayableItem::childStateChanged();
}

int J1939Device::stateOf(const QList<AbstractDisplayableItem *> &functions)
{
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

bool J1939Device::isGlobalRequest(const CanMessage &message)
{
    return message.extended && message.pduFormat() == PfRequest
           && message.pduSpecific() == CanMessage::GlobalAddress;
}

bool J1939Device::isGlobalAddressClaimRequest(const CanMessage &message)
{
    return isGlobalRequest(message) && message.length >= 3 && message.data[0] == 0x00
           && message.data[1] == PfAddressClaim && message.data[2] == 0x00;
}

bool J1939Device::matchTargetMessage(const CanMessage &message)
{
    if (state() != Send)
        return false;
    if (isGlobalRequest(message))
        return true;
    return message.isUnicast() && message.pduSpecific() == address().value;
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
    if (pf == PfTransportData)
        return m_transport.dispatchDataTransmissionMessage(message, result);
    if (pf == PfTransportControl)
        return m_transport.dispatchConnectionMessage(message, result);
    return AbstractDisplayableItem::dispatchMessageImpl(message, result);
}

bool J1939Device::dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result)
{
    const quint8 pf = message.pduFormat();
    if (pf == PfTransportData || pf == PfTransportControl) {
        result->targetItem = this;
        if (pf == PfTransportData)
            m_transport.dispatchDataTransmissionTargetMessage(message);
        else
            m_transport.dispatchConnectionTargetMessage(message);
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
    // A unit asked by name gets a long answer by a connection to it; a request to everyone,
    // or from a node without an address, gets a broadcast.
    const quint8 requester = message.address();
    const bool unicast
        = message.pduSpecific() != CanMessage::GlobalAddress && requester < NullAddress;
    for (AbstractDisplayableItem *child : children()) {
        auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(child);
        if (function && !function->isPaused() && function->pgnValue() == pgnValue) {
            J1939Transport::AnswerScope answer(&m_transport,
                                               unicast ? requester : CanMessage::GlobalAddress);
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

AbstractDeviceFactory *J1939Device::subFactory()
{
    if (!AbstractDisplayableItem::subFactory())
        setSubFactory(new UnknownPgnFactory(this));
    AbstractDeviceFactory *functions = AbstractDisplayableItem::subFactory();
    // Whoever looks at the unit's functions sees the bus's databases as they are now.
    if (auto *own = qobject_cast<UnknownPgnFactory *>(functions))
        own->syncDbcEntries();
    return functions;
}

AbstractDisplayableItem *J1939Device::findOrCreateFunction(const QByteArray &key,
                                                          const QString &addressText)
{
    bool ok = false;
    const uint pgn = addressText.toUInt(&ok, 16);
    if (!ok)
        return nullptr;
    // Two functions of one unit may share a group (the tool's flasher and memory access): the
    // one of the same key comes first.
    AbstractDisplayableItem *samePgn = nullptr;
    for (AbstractDisplayableItem *existing : children()) {
        const ItemAddress a = existing->address();
        if (a.kind != ItemAddress::Pgn || a.value != pgn)
            continue;
        if (existing->key() == key)
            return existing;
        if (!samePgn)
            samePgn = existing;
    }
    if (samePgn)
        return samePgn;
    // A function made for unknown traffic has no catalogue entry: its key names the kind and
    // its address the PGN.
    AbstractDeviceFactory *factory = subFactory();
    AbstractDisplayableItem *child
        = factory ? factory->createDeviceFromKey(key, {ItemAddress::Pgn, pgn}) : nullptr;
    if (child)
        registerChild(child);
    return child;
}

bool J1939Device::applyXmlData(QDomElement &element)
{
    for (QDomElement func = element.firstChildElement(QStringLiteral("func")); !func.isNull();
         func = func.nextSiblingElement(QStringLiteral("func"))) {
        if (func.attribute(QStringLiteral("internal")) != QLatin1String("true")) {
            auto *function = new XmlStaticPgnJ1939DeviceFunction(func);
            registerChild(function);
            function->restoreParameterValues(func);
            continue;
        }
        const QByteArray key = func.attribute(QStringLiteral("key")).toLatin1();
        AbstractDisplayableItem *child = factoryCreateChild(key);
        if (!child)
            child = findOrCreateFunction(key, func.attribute(QStringLiteral("address")));
        if (!child)
            break; // the rest of this device's functions is not read
        // The kind has its own way of sending; a reference only sets its period.
        child->applyXmlAttributes(func, PeriodKeepsType);
        for (QDomElement nested = func.firstChildElement(QStringLiteral("func")); !nested.isNull();
             nested = nested.nextSiblingElement(QStringLiteral("func"))) {
            if (nested.attribute(QStringLiteral("internal")) != QLatin1String("true"))
                continue;
            // Nested items come back by key and saved address: one key may stand for several
            // addresses (sensor models).
            AbstractDeviceFactory *factory = child->subFactory();
            AbstractDisplayableItem *grandchild
                = factory ? factory->restoreDevice(nested.attribute(QStringLiteral("key")).toLatin1(),
                                                   nested.attribute(QStringLiteral("address")))
                          : nullptr;
            if (grandchild) {
                child->registerChild(grandchild);
                grandchild->applyXmlAttributes(nested, PeriodKeepsType);
                grandchild->restoreParameterValues(nested);
            }
        }
        child->restoreParameterValues(func);
    }
    return true;
}

void J1939Device::dispatchTargetLongMessage(TPConnection *connection)
{
    if (StaticPgnJ1939DeviceFunction *function = functionForPgn(connection->pgn()))
        function->dispatchTargetLongMessage(connection);
}

void J1939Device::slotBroadcastTimeout()
{
    m_transport.broadcastTimeout();
}
