#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <QVector>

#include <atomic>
#include <memory>
#include <mutex>

class DbcDatabase;

class QDomElement;

class DeviceDispatcher;

// A catalogue of bus devices: built-in kinds, then the device list. Its entries remember the
// units made from them, so each bus has a catalogue of its own, made by whoever starts the bus
// and named on its dispatcher: the window's, made at start-up and used from the GUI thread,
// and one per console decoder, in the decoder's thread.
class CanDeviceFactory : public AbstractDeviceFactory
{
    Q_OBJECT

public:
    // A catalogue of the registered built-in units and the device list's.
    static std::unique_ptr<CanDeviceFactory> create();
    // The bus's catalogue (DeviceDispatcher::setCatalogue); null off a bus or without one.
    static CanDeviceFactory *of(const DeviceDispatcher *bus);

    void addDeviceDescriptionsFromFile(const QString &path);
    static ItemAddress deviceNodeItemAddress(const QDomElement &element);
    static const QMetaObject *deviceTypeMetaObject(const QString &type);
    AbstractDisplayableItem *createDeviceFromDescription(const QDomElement &element);
    AbstractDisplayableItem *createEmptyJ1939DeviceFromAddress(quint8 sa);
    // What a unit at this address is called before anything else is known of it: the name of
    // the catalogue's unit at that address, else the J1939 address table's for the industry
    // group ("Engine #1"). Empty when neither knows the address.
    QString addressName(quint8 sa, int industryGroup = -1) const;

    AbstractDisplayableItem *createDevice(const CanMessage &frame) override;
    AbstractDisplayableItem *createTargetDevice(const CanMessage &frame) override;
    using AbstractDeviceFactory::createDevice;
    DeviceFactoryEntry fallbackEntry(const QByteArray &key) const override;

    AbstractDisplayableItem *getDeviceByPath(const QString &path) const;
    class ZxParameter *getParameter(const QString &path) const;

    // The engineer's DBC databases of the bus, in order: their J1939 groups join every unit's
    // functions after the library's, so the library describes a group both know. Set before the
    // bus's units are made; read wherever they are made.
    // They may change while the bus runs (the window's Databases dialog): each unit takes the new
    // list the next time it looks at its functions; a function already made stays.
    using Databases = QVector<std::shared_ptr<const DbcDatabase>>;
    void setDbcDatabases(const Databases &databases);
    Databases dbcDatabases() const;
    // Counts the changes of the databases, so a unit sees when its list is old.
    int dbcGeneration() const { return m_dbcGeneration.load(); }
    // The catalogue a unit belongs to: its bus's, else the catalogue that made it (a unit read
    // from a scheme looks at its functions before it joins its bus).
    static const CanDeviceFactory *ofUnit(const AbstractDisplayableItem *unit,
                                          const CanDeviceFactory *madeBy);
    static const CanDeviceFactory *making();

    AbstractDisplayableItem *createDeviceFromEntry(int index) override;

private:
    CanDeviceFactory();
    static DeviceFactoryEntry unknownDeviceEntry();
    static DeviceFactoryEntry unknownSidEntry();

    mutable std::mutex m_dbcLock;
    Databases m_databases;
    std::atomic<int> m_dbcGeneration{0};
};
