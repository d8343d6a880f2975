#pragma once

#include "model/staticpgnj1939devicefunction.h"

class RawDataParameter;

// The function for a PGN without a description: shows the last payload as raw bytes (a message
// of the transport protocol included) and, standing in, sends them. Its group is its address
// (PS | PF << 8), whichever way the address was given.
class UnknownPgnFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    explicit UnknownPgnFunction(QObject *parent = nullptr);
    ~UnknownPgnFunction() override;

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void updateUserReadableAddress() override;
    RawDataParameter *dataParameter() const { return m_data; }

public slots:
    void transmitState() override;

private:
    RawDataParameter *m_data;
};
