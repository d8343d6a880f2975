#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <memory>

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

private:
    CanDeviceFactory();
    static DeviceFactoryEntry unknownDeviceEntry();
    static DeviceFactoryEntry unknownSidEntry();
};
