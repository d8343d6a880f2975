#include "machine/controllerzbusbridgedevicefunction.h"

#include "machine/zbusdevicefactory.h"
#include "model/zbusmessage.h"

#include <QDebug>
#include <QThread>

ControllerZBusBridgeDeviceFunction::ControllerZBusBridgeDeviceFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFF, 0x34, parent)
    , m_factory(new ZBusDeviceFactory(this))
{
    setObjectName(QStringLiteral("ControllerZBusBridge"));
    setName(tr("Z-Bus data"));
    setKey("zbus");
}

ControllerZBusBridgeDeviceFunction::~ControllerZBusBridgeDeviceFunction()
{
    if (m_factory->thread() == QThread::currentThread())
        delete m_factory;
    else
        m_factory->deleteLater();
}

AbstractDeviceFactory *ControllerZBusBridgeDeviceFunction::subFactory()
{
    return m_factory;
}

bool ControllerZBusBridgeDeviceFunction::dispatchMessageImpl(const CanMessage &message,
                                                             DispatchResult *result)
{
    // A short frame names no sensor reliably: taken, but passed to none.
    if (message.length < CanMessage::MaxLength) {
        result->item = this;
        qDebug("ControllerZBusBridge: %d-byte frame ignored", int(message.length));
        return true;
    }
    // A frame for an address no child has stays undispatched, with this function as its item,
    // so auto-detection asks this function's factory for the sensor.
    return StaticPgnJ1939DeviceFunction::dispatchMessageImpl(message, result);
}

void ControllerZBusBridgeDeviceFunction::sendMessage(const ZBusMessage &message)
{
    unsigned char data[1 + ZBusMessage::DataSize];
    data[0] = message.address();
    std::copy(message.data(), message.data() + ZBusMessage::DataSize, data + 1);
    transmitData(data, sizeof data);
}

bool ControllerZBusBridgeDeviceFunction::setState(int s)
{
    const bool changed = StaticPgnJ1939DeviceFunction::setState(s);
    if (changed) {
        for (AbstractDisplayableItem *sensor : children())
            sensor->setState(s);
    }
    return changed;
}
