#include "descriptions/abstractdevicefactory.h"

#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "can/threadhandover.h"
#include "model/abstractdisplayableitem.h"
#include "model/liveitems.h"

#include <QDebug>
#include <QMetaObject>

#include <algorithm>

const ItemAddress AbstractDeviceFactory::NoAddress{ItemAddress::None, ItemAddress::Unassigned};

AbstractDeviceFactory::AbstractDeviceFactory(QObject *parent)
    : QObject(parent)
{}

QList<DeviceFactoryEntry> AbstractDeviceFactory::entries() const
{
    std::unique_lock locker(m_entriesLock);
    return m_entries;
}

int AbstractDeviceFactory::count() const
{
    std::unique_lock locker(m_entriesLock);
    return m_entries.size();
}

AbstractDeviceFactory::Entry AbstractDeviceFactory::entry(int index) const
{
    std::unique_lock locker(m_entriesLock);
    if (index < 0 || index >= m_entries.size())
        return std::nullopt;
    return m_entries.at(index);
}

void AbstractDeviceFactory::appendEntry(const DeviceFactoryEntry &entry)
{
    {
        std::unique_lock locker(m_entriesLock);
        m_entries.append(entry);
    }
    emit dataChanged();
}

void AbstractDeviceFactory::removeIdleEntries(const QByteArray &prefix)
{
    {
        std::unique_lock locker(m_entriesLock);
        for (int i = m_entries.size() - 1; i >= 0; --i) {
            const DeviceFactoryEntry &e = m_entries.at(i);
            if (!e.instance && e.key.startsWith(prefix))
                m_entries.removeAt(i);
        }
    }
    emit dataChanged();
}

void AbstractDeviceFactory::setUnknownEntry(const DeviceFactoryEntry &entry)
{
    m_unknown = entry;
    m_unknown.derived = true;
}

int AbstractDeviceFactory::indexOfKey(const QByteArray &key, bool withoutInstance) const
{
    std::unique_lock locker(m_entriesLock);
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key == key && (!withoutInstance || !m_entries.at(i).instance))
            return i;
    }
    return -1;
}

int AbstractDeviceFactory::indexOfNode(const DeviceFactoryEntry *node) const
{
    // The list keeps every entry in a node of its own: its address stays while it is listed.
    for (int i = 0; i < m_entries.size(); ++i) {
        if (&m_entries.at(i) == node)
            return i;
    }
    return -1;
}

AbstractDeviceFactory::Entry AbstractDeviceFactory::getEntry(const QByteArray &key) const
{
    std::unique_lock locker(m_entriesLock);
    return entry(indexOfKey(key));
}

AbstractDisplayableItem *AbstractDeviceFactory::getDevice(const QByteArray &key) const
{
    const Entry e = getEntry(key);
    return e ? e->instance : nullptr;
}

AbstractDisplayableItem *AbstractDeviceFactory::createDevice(const QByteArray &key)
{
    const int index = indexOfKey(key);
    return index < 0 ? nullptr : createDeviceAt(index, NoAddress);
}

AbstractDisplayableItem *AbstractDeviceFactory::createDeviceFromKey(const QByteArray &key,
                                                                    const ItemAddress &address)
{
    // Several entries may share a key at different addresses (sensor models): the one at this
    // very address comes first.
    int atAddress = -1;
    {
        std::unique_lock locker(m_entriesLock);
        for (int i = 0; i < m_entries.size() && atAddress < 0; ++i) {
            const DeviceFactoryEntry &e = m_entries.at(i);
            if (e.key == key && e.address == address && !e.instance)
                atAddress = i;
        }
    }
    if (atAddress >= 0)
        return createDeviceFromEntry(atAddress);
    const int index = indexOfKey(key, true);
    if (index >= 0)
        return createDeviceAt(index, address);
    // Items made for traffic have no catalogue entry of their own once they are gone: their
    // key names the kind that made them.
    const DeviceFactoryEntry fallback = fallbackEntry(key);
    return fallback.key.isEmpty() ? nullptr : createDevice(fallback, address);
}

DeviceFactoryEntry AbstractDeviceFactory::fallbackEntry(const QByteArray &key) const
{
    return key == m_unknown.key && m_unknown.create ? m_unknown : DeviceFactoryEntry();
}

AbstractDisplayableItem *AbstractDeviceFactory::createDeviceAt(int index,
                                                               const ItemAddress &address)
{
    const Entry e = entry(index);
    if (!e)
        return nullptr;
    if (address == NoAddress) {
        if (!e->instance && occupant(e->address)) {
            qDebug("Address 0x%x of %s is in use", e->address.value, e->key.constData());
            return nullptr;
        }
        return createDeviceFromEntry(index);
    }
    // The entry's own address is no concrete address of its own: the item is the entry's, so
    // the catalogue shows it as present and refuses a second one.
    if (address == e->address)
        return createDeviceAt(index, NoAddress);
    return createDevice(*e, address);
}

AbstractDisplayableItem *AbstractDeviceFactory::restoreDevice(const QByteArray &key,
                                                              const QString &addressText)
{
    const Entry e = getEntry(key);
    const DeviceFactoryEntry fallback = e ? DeviceFactoryEntry() : fallbackEntry(key);
    if (!e && fallback.key.isEmpty())
        return nullptr;
    bool ok = false;
    const uint value = addressText.toUInt(&ok, 16);
    if (!ok)
        return e ? createDevice(key) : nullptr;
    return createDeviceFromKey(key, {(e ? e->address : fallback.address).kind, value});
}

AbstractDisplayableItem *AbstractDeviceFactory::occupant(const ItemAddress &address) const
{
    if (address.kind == ItemAddress::None || address.value == ItemAddress::Unassigned)
        return nullptr;
    std::unique_lock locker(m_entriesLock);
    for (const DeviceFactoryEntry &e : qAsConst(m_entries)) {
        if (e.instance && e.address == address)
            return e.instance;
    }
    return nullptr;
}

AbstractDisplayableItem *AbstractDeviceFactory::createDevice(const DeviceFactoryEntry &entry,
                                                             const ItemAddress &address)
{
    if (address == NoAddress) {
        int index = -1;
        {
            std::unique_lock locker(m_entriesLock);
            index = indexOfNode(&entry);
        }
        if (index >= 0)
            return createDeviceFromEntry(index);
        // An entry from outside the catalogue: it joins as a derived entry.
        DeviceFactoryEntry copy = entry;
        copy.instance = nullptr;
        return createDerived(copy);
    }
    {
        std::unique_lock locker(m_entriesLock);
        for (const DeviceFactoryEntry &e : qAsConst(m_entries)) {
            if (e.address == address && e.instance)
                return nullptr;
        }
    }
    DeviceFactoryEntry copy = entry;
    copy.address = address;
    if (copy.key.isEmpty())
        copy.key = m_unknown.key;
    copy.instance = nullptr;
    return createDerived(copy);
}

AbstractDisplayableItem *AbstractDeviceFactory::createDerived(DeviceFactoryEntry copy)
{
    copy.derived = true;
    int index = -1;
    const DeviceFactoryEntry *node = nullptr;
    {
        std::unique_lock locker(m_entriesLock);
        m_entries.append(copy);
        index = m_entries.size() - 1;
        node = &m_entries.at(index);
    }
    AbstractDisplayableItem *item = createDeviceFromEntry(index);
    if (!item) {
        {
            std::unique_lock locker(m_entriesLock);
            const int at = indexOfNode(node);
            if (at >= 0 && !m_entries.at(at).instance)
                m_entries.removeAt(at);
        }
        emit dataChanged();
    }
    return item;
}

AbstractDisplayableItem *AbstractDeviceFactory::createDeviceFromEntry(int index)
{
    const DeviceFactoryEntry *node = nullptr;
    DeviceFactoryEntry e;
    {
        std::unique_lock locker(m_entriesLock);
        if (index < 0 || index >= m_entries.size())
            return nullptr;
        node = &m_entries.at(index);
        e = *node;
    }
    if (e.instance)
        return nullptr;
    if (!e.create && !e.metaObject) {
        qDebug("No constructor neither metaobject for key %s", e.key.constData());
        return nullptr;
    }
    if (QObject *owning = owner()) {
        // An item owner's own list: this may run outside the owner's thread, where its QObject
        // children may be changing.
        QObjectList siblings;
        if (const auto *ownerItem = qobject_cast<const AbstractDisplayableItem *>(owning)) {
            for (AbstractDisplayableItem *child : ownerItem->children())
                siblings << child;
        } else {
            siblings = owning->children();
        }
        for (const QObject *child : qAsConst(siblings)) {
            const auto *item = qobject_cast<const AbstractDisplayableItem *>(child);
            if (item && item->address() == e.address)
                return nullptr; // a function for that PGN already exists
        }
    }
    qDebug("Going to create device for key %s. mo %p", e.key.constData(),
           static_cast<const void *>(e.metaObject));
    AbstractDisplayableItem *item = e.create ? e.create() : nullptr;
    if (!item) {
        if (!e.metaObject) {
            qDebug("This is strange but create call failed for key %s", e.key.constData());
            return nullptr;
        }
        QObject *object = e.metaObject->newInstance();
        if (!object)
            object = e.metaObject->newInstance(Q_ARG(QString, e.xml));
        item = qobject_cast<AbstractDisplayableItem *>(object);
        if (!item) {
            delete object;
            qDebug("This is strange but create call failed for key %s", e.key.constData());
            return nullptr;
        }
    }
    item->setAddress(e.address);
    if (!e.name.isEmpty())
        item->setName(e.name);
    item->setDescription(e.description);
    item->setFullDescription(e.fullDescription);
    item->setObjectName(QString::fromLatin1(e.key));
    if (item->key().isEmpty())
        item->setKey(e.key);
    {
        // The item was made outside the lock: its entry may have gone or found an item since.
        std::unique_lock locker(m_entriesLock);
        const int at = indexOfNode(node);
        if (at < 0 || m_entries.at(at).instance) {
            locker.unlock();
            delete item;
            return nullptr;
        }
        m_entries[at].instance = item;
    }
    connect(item, &QObject::destroyed, this, &AbstractDeviceFactory::slotOnDestruction);
    if (owner())
        connect(item, &AbstractDisplayableItem::registered, this,
                &AbstractDeviceFactory::slotDeviceRegistered);
    emit dataChanged();
    return item;
}

void AbstractDeviceFactory::slotDeviceRegistered()
{
    auto *item = qobject_cast<AbstractDisplayableItem *>(sender());
    QObject *owning = owner();
    if (!item || !owning)
        return;
    // The owner lives in the bus thread once registered: its child list changes there.
    auto adopt = [item, owning] {
        if (auto *ownerItem = qobject_cast<AbstractDisplayableItem *>(owning))
            ownerItem->registerChild(item);
        else
            item->setParent(owning);
    };
    runInThreadOf(owning, adopt);
}

void AbstractDeviceFactory::slotOnDestruction(QObject *object)
{
    {
        std::unique_lock locker(m_entriesLock);
        int i = 0;
        while (i < m_entries.size() && static_cast<QObject *>(m_entries.at(i).instance) != object)
            ++i;
        if (i == m_entries.size())
            return;
        DeviceFactoryEntry &e = m_entries[i];
        qDebug("Deleted object %p [%s]", static_cast<void *>(object), e.key.constData());
        if (e.derived)
            m_entries.removeAt(i);
        else
            e.instance = nullptr;
    }
    emit dataChanged();
}

AbstractDisplayableItem *AbstractDeviceFactory::createTargetDevice(const CanMessage &)
{
    return nullptr;
}

AbstractDisplayableItem *AbstractDeviceFactory::createDevice(const CanMessage &)
{
    return nullptr;
}

AbstractDisplayableItem *AbstractDeviceFactory::createDevice(const CanMessage &frame,
                                                             const DispatchResult &)
{
    return createDevice(frame);
}

AbstractDisplayableItem *AbstractDeviceFactory::createUnknownDevice(quint32)
{
    return nullptr;
}

QIcon AbstractDeviceFactory::icon(const DeviceFactoryEntry &) const
{
    return m_icon;
}

QIcon AbstractDeviceFactory::icon(int index) const
{
    const Entry e = entry(index);
    return e ? icon(*e) : QIcon();
}

QString AbstractDeviceFactory::humanReadableAddress(int index) const
{
    const Entry e = entry(index);
    if (!e)
        return QStringLiteral("N/A");
    // An address chosen when the item is made: the made item's, a dash before there is one.
    if (e->hasDynamicAddress()) {
        // The entry names its item until the catalogue hears it died, maybe in another thread.
        QString text = QStringLiteral("\u2014");
        LiveItems::visit(e->instance, [&text](const AbstractDisplayableItem &item) {
            text = item.userReadableAddress();
        });
        return text;
    }
    return QStringLiteral("0x%1").arg(e->address.value, 2, 16, QLatin1Char('0'));
}

template<typename Less>
void AbstractDeviceFactory::sortEntries(Less less, Qt::SortOrder order)
{
    {
        std::unique_lock locker(m_entriesLock);
        if (order == Qt::AscendingOrder)
            std::stable_sort(m_entries.begin(), m_entries.end(), less);
        else
            std::stable_sort(m_entries.begin(), m_entries.end(),
                             [&](const DeviceFactoryEntry &a, const DeviceFactoryEntry &b) {
                                 return less(b, a);
                             });
    }
    emit dataChanged();
}

void AbstractDeviceFactory::sortByAddress(Qt::SortOrder order)
{
    sortEntries(
        [](const DeviceFactoryEntry &a, const DeviceFactoryEntry &b) {
            return a.address.kind != b.address.kind ? a.address.kind < b.address.kind
                                                    : a.address.value < b.address.value;
        },
        order);
}

void AbstractDeviceFactory::sortByName(Qt::SortOrder order)
{
    sortEntries(
        [](const DeviceFactoryEntry &a, const DeviceFactoryEntry &b) { return a.name < b.name; },
        order);
}
