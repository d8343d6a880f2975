#include "model/devicedispatcher.h"

#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "can/threadhandover.h"
#include "model/abstractdisplayableitem.h"
#include "model/candevice.h"
#include "model/j1939device.h"

#include <QMetaObject>

#include <algorithm>
#include <QThread>
#include <mutex>

DeviceDispatcher::DeviceDispatcher(QObject *parent)
    : QObject(parent)
    , m_changedHoldMs(AbstractDisplayableItem::DefaultChangedHoldMs)
{}

DeviceDispatcher::~DeviceDispatcher()
{
    // Items that outlive their bus are on none.
    std::lock_guard locker(m_lock);
    for (AbstractDisplayableItem *item : qAsConst(m_members)) {
        DeviceDispatcher *self = this;
        item->m_dispatcher.compare_exchange_strong(self, nullptr);
    }
}

void DeviceDispatcher::dropIndex()
{
    if (m_index && m_dispatchDepth > 0)
        m_droppedIndexes.push_back(std::move(m_index));
    m_index.reset();
}

const DeviceDispatcher::Index *DeviceDispatcher::currentIndex()
{
    // An address may change from the window at any time; the next frame then finds the index
    // stale. A frame in flight during the change may still miss the device, as it could before.
    const quint64 generation = AbstractDisplayableItem::addressGeneration();
    if (m_index && m_index->addressGeneration == generation)
        return m_index.get();
    dropIndex();
    auto index = std::make_unique<Index>();
    index->addressGeneration = generation;
    for (CanDevice *device : qAsConst(m_devices)) {
        if (!device->isAddressBound()) {
            index->unbound.push_back(device);
            for (std::vector<CanDevice *> &list : index->byAddress)
                list.push_back(device);
            continue;
        }
        // An address beyond one byte matches no frame.
        const quint32 value = device->address().value;
        if (value <= 0xFF)
            index->byAddress[value].push_back(device);
    }
    m_index = std::move(index);
    return m_index.get();
}

void DeviceDispatcher::offerMessage(const std::vector<CanDevice *> &devices, const CanMessage &msg,
                                    DispatchResult *result, bool decode)
{
    for (CanDevice *device : devices) {
        if (!device->matchMessage(msg))
            continue;
        if (device->dispatchMessage(msg, result))
            result->status |= DispatchResult::Dispatched;
        else
            result->status &= ~DispatchResult::Status(DispatchResult::Dispatched);
        if (decode) {
            result->description = device->decodeMessage(msg);
            result->status |= DispatchResult::Described;
        }
    }
}

void DeviceDispatcher::dispatchMessage(const CanMessage &msg, DispatchResult *result)
{
    std::lock_guard locker(m_lock);
    // Indexes dropped during this dispatch go when the outermost one ends.
    struct Depth
    {
        DeviceDispatcher *bus;
        explicit Depth(DeviceDispatcher *d)
            : bus(d)
        {
            ++bus->m_dispatchDepth;
        }
        ~Depth()
        {
            if (--bus->m_dispatchDepth == 0)
                bus->m_droppedIndexes.clear();
        }
    } depth(this);
    const Index *index = currentIndex();
    const bool decode = m_rawDataDecode.load(std::memory_order_relaxed);
    result->mode = DispatchResult::Mode(m_mode.load(std::memory_order_relaxed));
    // A device bound to an address takes only extended frames from it.
    offerMessage(msg.extended ? index->byAddress[msg.address()] : index->unbound, msg, result,
                 decode);
    // Items decoded by hand (not from a description) leave the text to be asked for here, while
    // their values are those of this very frame. The raw view shows it.
    if (result->description.isEmpty() && result->item && msg.text.isEmpty()
        && result->mode.testFlag(DispatchResult::DescribeFrames)
        && result->item->state() != AbstractDisplayableItem::Send)
        result->description = result->item->textDataImpl();
    if (!msg.isUnicast() && !J1939Device::isGlobalRequest(msg))
        return;
    // Unicast frames and requests to everyone: every device is asked whether it is the target,
    // one that joined during the walk above too.
    const QList<CanDevice *> targets = m_devices;
    for (CanDevice *device : targets) {
        if (device->matchTargetMessage(msg))
            device->dispatchTargetMessage(msg, result);
    }
}

void DeviceDispatcher::checkDropNewData()
{
    // The window registers units while the bus thread walks the list: the walk goes over a
    // copy taken under the lock (a device is only deleted in the bus thread itself).
    const QList<CanDevice *> walked = devices();
    const qint64 holdMs = changedHoldMs();
    for (CanDevice *device : walked)
        device->checkDropNewData(holdMs);
}

bool DeviceDispatcher::isLowLatencyEnabled() const
{
    const QList<CanDevice *> walked = devices();
    for (const CanDevice *device : walked) {
        if (device->isLowLatencyMode())
            return true;
    }
    return false;
}

void DeviceDispatcher::registerDisplayable(AbstractDisplayableItem *item)
{
    if (!item)
        return;
    {
        std::lock_guard locker(m_lock);
        if (item->thread() != thread())
            item->moveToThread(thread());
        item->m_dispatcher.store(this);
        m_members.insert(item);
        if (auto *device = qobject_cast<CanDevice *>(item)) {
            if (!m_devices.contains(device)) {
                m_devices.append(device);
                dropIndex();
            }
        }
    }
    emit item->registered();
}

bool DeviceDispatcher::unregisterDisplayable(AbstractDisplayableItem *item)
{
    return item && runInThreadOf(this, [this, item] { doUnregisterDisplayable(item); });
}

void DeviceDispatcher::doUnregisterDisplayable(QObject *object)
{
    std::lock_guard locker(m_lock);
    if (object->thread() != thread())
        object->moveToThread(thread());
    if (auto *item = qobject_cast<AbstractDisplayableItem *>(object)) {
        DeviceDispatcher *self = this;
        item->m_dispatcher.compare_exchange_strong(self, nullptr);
        m_members.remove(item);
    }
    // Compared as objects: the item need not be a device.
    m_devices.erase(std::remove_if(m_devices.begin(), m_devices.end(),
                                   [object](CanDevice *device) {
                                       return static_cast<QObject *>(device) == object;
                                   }),
                    m_devices.end());
    dropIndex();
}

void DeviceDispatcher::forget(const AbstractDisplayableItem *item)
{
    std::lock_guard locker(m_lock);
    m_members.remove(const_cast<AbstractDisplayableItem *>(item));
    // Compared as objects: the item is half destroyed.
    const auto gone = std::remove_if(m_devices.begin(), m_devices.end(), [item](CanDevice *device) {
        return static_cast<const QObject *>(device) == static_cast<const QObject *>(item);
    });
    if (gone == m_devices.end())
        return;
    m_devices.erase(gone, m_devices.end());
    dropIndex();
}

bool DeviceDispatcher::clearScheme()
{
    return runInThreadOf(this, [this] { doClearScheme(); });
}

void DeviceDispatcher::doClearScheme()
{
    std::lock_guard locker(m_lock);
    const QList<CanDevice *> devices = m_devices;
    m_devices.clear();
    dropIndex();
    qDeleteAll(devices);
}

void DeviceDispatcher::setRawDataDecodeEnabled(bool on)
{
    std::lock_guard locker(m_lock);
    m_rawDataDecode.store(on);
}

QList<CanDevice *> DeviceDispatcher::devices() const
{
    std::lock_guard locker(m_lock);
    return m_devices;
}

void DeviceDispatcher::setMode(DispatchResult::ModeFlag flag, bool on)
{
    if (on)
        m_mode.fetch_or(quint8(flag));
    else
        m_mode.fetch_and(quint8(~quint8(flag)));
}
