#pragma once

#include "descriptions/abstractdevicefactory.h"

class QDomElement;

// The global catalogue of bus devices: built-in kinds, then the device list. Created once at
// start-up; used from the GUI thread.
class CanDeviceFactory : public AbstractDeviceFactory
{
    Q_OBJECT

public:
    static void init();
    static CanDeviceFactory *instance();
    // Drops the global factory (tests build a fresh one with init()).
    static void reset();

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
