#include "descriptions/autodetector.h"

#include "descriptions/abstractdevicefactory.h"
#include "descriptions/candevicefactory.h"
#include "model/abstractdisplayableitem.h"

AutoDetector::AutoDetector(QObject *parent)
    : QObject(parent)
{}

QList<AbstractDisplayableItem *> AutoDetector::process(const AbstractCanHandler::MessagePack &pack)
{
    QList<AbstractDisplayableItem *> created;
    for (const auto &pair : pack) {
        const DispatchResult &result = pair.second;
        if (!result.isReceived() || result.status.testFlag(DispatchResult::Dispatched))
            continue;
        AbstractDeviceFactory *factory = nullptr;
        if (AbstractDisplayableItem::isValid(result.item))
            factory = result.item->subFactory();
        if (!factory)
            factory = CanDeviceFactory::instance();
        if (!factory)
            continue;
        AbstractDisplayableItem *item = factory->createDevice(pair.first, result);
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

AbstractDisplayableItem *AutoDetector::adopt(AbstractDisplayableItem *item, const CanMessage &frame,
                                             const DispatchResult &result)
{
    const qint64 timestamp = result.timestamp;
    item->setState(AbstractDisplayableItem::ReceiveOk);
    DispatchResult fresh(DispatchResult::Received, timestamp);
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
    AbstractDisplayableItem *child = item->subFactory()->createDevice(frame, fresh);
    if (!child)
        return nullptr;
    child->setState(AbstractDisplayableItem::ReceiveOk);
    DispatchResult again(DispatchResult::Received, timestamp);
    child->dispatchMessage(frame, &again);
    return child;
}
