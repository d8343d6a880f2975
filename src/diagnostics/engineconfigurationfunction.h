#pragma once

#include "model/staticpgnj1939devicefunction.h"

// SAE J1939-71 Engine Configuration 1 (EC1, PGN 0xFEE3, 34 bytes by the transport protocol):
// the engine's torque curve, speed limits, gain and reference torque. Decoded when received,
// encoded from the parameters when sent. Engines of the first edition send 28 bytes: the fields
// after their end read "not available".
class EngineConfigurationFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    static constexpr int MessageLength = 34;
    static constexpr int FirstEditionLength = 28;

    explicit EngineConfigurationFunction(QObject *parent = nullptr);

    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void transmitState() override;

    bool decode(const QByteArray &data);
    QByteArray encode() const;
};
