#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <QPointer>

class ControllerZBusBridgeDeviceFunction;

// The catalogue of sensor models behind the bridge. Several addresses carry more than one
// model; a frame creates the first row with its address. Owned by its bridge; GUI thread.
class ZBusDeviceFactory : public AbstractDeviceFactory
{
    Q_OBJECT

public:
    explicit ZBusDeviceFactory(ControllerZBusBridgeDeviceFunction *bridge);

    QObject *owner() const override;
    AbstractDisplayableItem *createDevice(const CanMessage &frame) override;
    using AbstractDeviceFactory::createDevice;

    static DeviceFactoryEntry zbusEntry(const QByteArray &key, quint8 address, const QString &name,
                                        const QString &description, const QString &fullDescription,
                                        DeviceFactoryEntry::Creator create);

private:
    QPointer<ControllerZBusBridgeDeviceFunction> m_bridge;
};
