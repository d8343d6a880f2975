#pragma once

#include "model/itemaddress.h"

#include <QByteArray>
#include <QString>

#include <functional>

class AbstractDisplayableItem;
class DeviceTest;
struct QMetaObject;

// One kind of item a factory can make: its key, default address, texts, and how to build it
// (a constructor function, or a class with invokable constructors and its XML description).
struct DeviceFactoryEntry
{
    using Creator = std::function<AbstractDisplayableItem *()>;
    using TestCreator = std::function<DeviceTest *(AbstractDisplayableItem *)>;

    DeviceFactoryEntry() = default;
    DeviceFactoryEntry(const QByteArray &key, const ItemAddress &address, const QString &name,
                       const QString &description, const QString &fullDescription,
                       Creator create, TestCreator createTest = {},
                       const QString &testScheme = QString());
    DeviceFactoryEntry(const QByteArray &key, const ItemAddress &address, const QString &name,
                       const QMetaObject *metaObject);

    bool metaInherits(const char *className) const;
    bool hasDynamicAddress() const { return address.value == ItemAddress::Unassigned; }

    QByteArray key;
    ItemAddress address;
    QString name;
    QString description;
    QString fullDescription;
    QString testScheme;
    QString xml;
    Creator create;
    // The live item made from this entry; cleared by the factory when the item is destroyed.
    AbstractDisplayableItem *instance = nullptr;
    TestCreator createTest;
    const QMetaObject *metaObject = nullptr;
    bool derived = false;
};
