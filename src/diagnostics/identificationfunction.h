#pragma once

#include "model/staticpgnj1939devicefunction.h"

// Base of the identification functions a unit answers a request with (component, vehicle,
// calibration information): one decoder for a single frame, a broadcast (BAM) and a connection
// to the tool's unit (RTS/CTS), one encoder for standing in, and the Details with a "Request"
// button. Bus thread once registered.
class IdentificationFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    IdentificationFunction(quint8 pf, quint8 ps, QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void dispatchTargetLongMessage(TPConnection *connection) override;
    void transmitState() override;
    AbstractSchemeTreeItem *createTreeItem() override;

    // Sets the parameters from a message; false (nothing changed) when it cannot be one.
    virtual bool decode(const QByteArray &data) = 0;
    // The message the parameters make; empty when there is nothing to send.
    virtual QByteArray encode() const = 0;
};
