#pragma once

#include "descriptions/devicefactoryentry.h"

#include <QIcon>
#include <QList>
#include <QObject>

#include <mutex>
#include <optional>

class CanMessage;
class DispatchResult;

// A catalogue of creatable items. Items made from an entry are remembered as its instance (one
// at a time); entries made for one concrete address are derived copies that go with their item.
// Made and read in the GUI thread, but an item may die in the bus thread, which then clears or
// drops its entry: the list is guarded, and what the catalogue hands out is a copy.
class AbstractDeviceFactory : public QObject
{
    Q_OBJECT

public:
    explicit AbstractDeviceFactory(QObject *parent = nullptr);

    using Entry = std::optional<DeviceFactoryEntry>;

    QList<DeviceFactoryEntry> entries() const;
    int count() const;
    Entry entry(int index) const;
    void appendEntry(const DeviceFactoryEntry &entry);
    // Drops the entries without an item whose key starts with `prefix`; an entry whose item
    // lives stays with it.
    void removeIdleEntries(const QByteArray &prefix);
    void setUnknownEntry(const DeviceFactoryEntry &entry);
    const DeviceFactoryEntry &unknownEntry() const { return m_unknown; }

    Entry getEntry(const QByteArray &key) const;
    AbstractDisplayableItem *getDevice(const QByteArray &key) const;
    AbstractDisplayableItem *createDevice(const QByteArray &key);
    AbstractDisplayableItem *createDeviceFromKey(const QByteArray &key, const ItemAddress &address);
    // A saved item again: the entry with that key at the saved address (hexadecimal text), else
    // that kind at the saved address, else the key's fallback kind there.
    AbstractDisplayableItem *restoreDevice(const QByteArray &key, const QString &addressText);
    // Creates from entry `index` of the catalogue (explicit address, or none). A fixed address
    // that another live item already has is refused: both would answer every frame there.
    AbstractDisplayableItem *createDeviceAt(int index, const ItemAddress &address);
    // The live item made from any entry at `address`; none for an address chosen at creation.
    AbstractDisplayableItem *occupant(const ItemAddress &address) const;

    virtual AbstractDisplayableItem *createDeviceFromEntry(int index);
    virtual AbstractDisplayableItem *createDevice(const DeviceFactoryEntry &entry,
                                                  const ItemAddress &address);
    virtual AbstractDisplayableItem *createTargetDevice(const CanMessage &frame);
    virtual AbstractDisplayableItem *createDevice(const CanMessage &frame);
    virtual AbstractDisplayableItem *createDevice(const CanMessage &frame,
                                                  const DispatchResult &result);
    virtual QIcon icon(const DeviceFactoryEntry &entry) const;
    // The kind that stands behind a key no catalogue entry has (the unknown-item kinds).
    virtual DeviceFactoryEntry fallbackEntry(const QByteArray &key) const;
    // The item whose children this factory makes (its QObject parent by default).
    virtual QObject *owner() const { return parent(); }
    AbstractDisplayableItem *createUnknownDevice(quint32 value);

    QIcon icon(int index) const;
    QString humanReadableAddress(int index) const;
    void sortByAddress(Qt::SortOrder order);
    void sortByName(Qt::SortOrder order);
    void setDefaultIcon(const QIcon &icon) { m_icon = icon; }

    static const ItemAddress NoAddress;

signals:
    void dataChanged();

private slots:
    void slotDeviceRegistered();
    void slotOnDestruction(QObject *object);

protected:
    // Appends a derived copy and makes its item; the copy goes again when none is made.
    AbstractDisplayableItem *createDerived(DeviceFactoryEntry copy);

private:
    int indexOfKey(const QByteArray &key, bool withoutInstance = false) const;
    int indexOfNode(const DeviceFactoryEntry *node) const;
    template<typename Less>
    void sortEntries(Less less, Qt::SortOrder order);

    // Guards m_entries and the entries' instances. Held only for list work, never while an item
    // is made, so neither thread waits on the other's item code.
    mutable std::recursive_mutex m_entriesLock;
    QList<DeviceFactoryEntry> m_entries;
    QIcon m_icon;
    DeviceFactoryEntry m_unknown;
};
