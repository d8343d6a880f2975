#pragma once

#include "model/candevice.h"

#include <QMap>

class StaticPgnJ1939DeviceFunction;
class TPConnection;

// A J1939 node: takes the frames of its source address and routes them to its functions by PGN.
// When all its functions are in Send, the program simulates it: it answers requests addressed
// to it. Bus thread once registered.
class J1939Device : public CanDevice
{
    Q_OBJECT

public:
    static constexpr quint8 PfRequest = 0xEA;
    static constexpr quint8 PfTransportData = 0xEB;
    static constexpr quint8 PfTransportControl = 0xEC;

    explicit J1939Device(quint8 address = 0xFE, QObject *parent = nullptr);

    bool matchMessage(const CanMessage &message) override;
    int state() const override;
    bool matchTargetMessage(const CanMessage &message) override;
    bool setState(int v) override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool applyXmlData(QDomElement &element) override;

    // Broadcasts a long message (BAM) under the given PGN value.
    virtual void transmitBroadcastData(const unsigned char *data, unsigned int length,
                                       unsigned int pgn);
    // The first function for a PGN value (PS | PF << 8), or none.
    StaticPgnJ1939DeviceFunction *functionForPgn(quint32 pgnValue) const;

protected:
    // Transport-protocol frames the device itself sends, and those addressed to it.
    virtual bool dispatchTransportMessage(const CanMessage &message, DispatchResult *result);
    virtual bool dispatchTransportTargetMessage(const CanMessage &message);

private:
    bool answerRequest(const CanMessage &message);
};
