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
        item->setState(AbstractDisplayableItem::ReceiveOk);
        DispatchResult fresh(DispatchResult::Received, result.timestamp);
        item->dispatchMessage(pair.first, &fresh);
        created << item;
        emit itemCreated(item);
    }
    return created;
}
