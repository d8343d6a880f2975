#include "descriptions/autodetector.h"

#include "descriptions/abstractdevicefactory.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/unknownpgnfactory.h"
#include "descriptions/unknownpgnfunction.h"
#include "model/abstractdisplayableitem.h"

namespace {

constexpr quint8 RequestPf = 0xEA;
constexpr int RequestLength = 3;

// The key of a group: PS | PF << 8, the destination of a PDU1 group left out.
quint32 groupKey(quint32 pgn)
{
    pgn &= 0xFFFF;
    return CanMessage::isPdu1(quint8(pgn >> 8)) ? pgn & 0xFF00 : pgn;
}

} // namespace

AutoDetector::AutoDetector(QObject *parent)
    : QObject(parent)
{}

QList<AbstractDisplayableItem *> AutoDetector::process(const AbstractCanHandler::MessagePack &pack)
{
    QList<AbstractDisplayableItem *> created;
    for (const auto &pair : pack) {
        const DispatchResult &result = pair.second;
        // Requests this program sends count as well as those of the units on the bus.
        noteRequest(pair.first, result.timestamp);
        if (!result.isReceived() || result.status.testFlag(DispatchResult::Dispatched))
            continue;
        AbstractDeviceFactory *factory = nullptr;
        if (AbstractDisplayableItem::isValid(result.item))
            factory = result.item->subFactory();
        if (!factory)
            factory = m_catalogue;
        if (!factory)
            continue;
        AbstractDisplayableItem *item = createFrom(factory, pair.first, result);
        if (!item)
            continue;
        AbstractDisplayableItem *child = adopt(item, pair.first, result);
        created << item;
        emit itemCreated(item);
        if (child) {
            created << child;
            emit itemCreated(child);
        }
    }
    return created;
}

void AutoDetector::noteRequest(const CanMessage &frame, qint64 stamp)
{
    if (!frame.extended || frame.pduFormat() != RequestPf || frame.length < RequestLength)
        return;
    const quint32 pgn = quint32(frame.data[0]) | quint32(frame.data[1]) << 8;
    m_requested.insert(groupKey(pgn), stamp);
}

AbstractDisplayableItem *AutoDetector::createFrom(AbstractDeviceFactory *factory,
                                                  const CanMessage &frame,
                                                  const DispatchResult &result) const
{
    if (AbstractDisplayableItem *item = factory->createDevice(frame, result))
        return item;
    auto *functions = qobject_cast<UnknownPgnFactory *>(factory);
    return functions && m_listsUndescribed ? functions->createRawFunction(frame, result) : nullptr;
}

void AutoDetector::chooseSupervision(AbstractDisplayableItem *item,
                                     const DispatchResult &result) const
{
    if (item->address().kind != ItemAddress::Pgn)
        return;
    const auto requested = m_requested.constFind(groupKey(item->address().value));
    const qint64 window = result.payload.isEmpty() ? AnswerWindowMs : 2 * AnswerWindowMs;
    if (requested != m_requested.cend() && result.timestamp >= *requested
        && result.timestamp - *requested <= window) {
        item->setEventDriven();
        return;
    }
    // A group the description calls periodic, or one without a description, may have a period.
    if ((item->deviceType() & AbstractDisplayableItem::Continuous)
        || qobject_cast<UnknownPgnFunction *>(item))
        item->learnPeriodFromTraffic();
}

AbstractDisplayableItem *AutoDetector::adopt(AbstractDisplayableItem *item, const CanMessage &frame,
                                             const DispatchResult &result)
{
    const qint64 timestamp = result.timestamp;
    item->setState(AbstractDisplayableItem::ReceiveOk);
    chooseSupervision(item, result);
    DispatchResult fresh(DispatchResult::Received, timestamp);
    fresh.mode = result.mode;
    // The frame of a completed broadcast is its last data packet: the function decodes the
    // message, not the packet.
    if (!result.payload.isEmpty() && !item->hasSubFactory()) {
        item->dispatchCompletedBroadcast(frame, &fresh, result.payload);
        return nullptr;
    }
    if (item->dispatchMessage(frame, &fresh) || !item->hasSubFactory())
        return nullptr;
    // A new unit also gets the function for the frame that made it: a unit that first speaks
    // with its address claim, and only claims again when asked, shows who it is at once.
    // The unit is not on the bus yet: its functions learn the bus's DBC databases from here.
    if (auto *functions = qobject_cast<UnknownPgnFactory *>(item->subFactory()))
        functions->setMadeBy(qobject_cast<const CanDeviceFactory *>(m_catalogue));
    AbstractDisplayableItem *child = createFrom(item->subFactory(), frame, fresh);
    if (!child)
        return nullptr;
    child->setState(AbstractDisplayableItem::ReceiveOk);
    chooseSupervision(child, result);
    DispatchResult again(DispatchResult::Received, timestamp);
    again.mode = result.mode;
    child->dispatchMessage(frame, &again);
    return child;
}
