#pragma once

#include "model/staticpgnj1939devicefunction.h"

#include <functional>

// The engine stop request of a Deutz EMR2 engine controller (proprietary PGN 0xFF16): data
// byte 0 equal to 1 asks the engine to stop.
class Emr2EngineStopRequestFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    // Source of the filler byte sent when no stop is asked; replaceable so tests choose it.
    using RandomByte = std::function<quint8()>;

    explicit Emr2EngineStopRequestFunction(QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void transmitState() override;
    bool isStopRequested() const;

    static void setRandomSource(RandomByte source);
};
