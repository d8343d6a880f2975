#pragma once

#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/zbusdevice.h"

#include <memory>

// A J1939 function described by bindings, as description files make them: decodes through the
// bindings and transmits the encoded payload.
class BindingFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    BindingFunction(quint8 pf, quint8 ps, QObject *parent = nullptr);

    // Adds a float parameter bound to a field.
    ZxParameter *addField(const QString &name, unsigned startByte, int startBit, int bitLength,
                          float multiplier = 1.0f, float adder = 0.0f);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void transmitState() override;
    int transmitCount() const { return m_transmits; }

private:
    int m_transmits = 0;
};

// A sensor that records what reached it.
class TestZBusSensor : public ZBusDevice
{
    Q_OBJECT

public:
    using ZBusDevice::ZBusDevice;
    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    int received = 0;
};

// A plain item with no matching rule of its own (children decide).
class TestContainerItem : public AbstractDisplayableItem
{
    Q_OBJECT

public:
    using AbstractDisplayableItem::AbstractDisplayableItem;
    bool matchMessage(const CanMessage &message) override { return message.id == matchId; }
    quint32 matchId = 0;
};

// A J1939 unit "D<address>" with count integer parameters p0, p1, ... holding distinct values.
std::unique_ptr<J1939Device> deviceWithParameters(quint8 address, int count);
