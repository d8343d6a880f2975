#pragma once

#include "model/staticpgnj1939devicefunction.h"

// Software identification (PGN 0xFEDA): the field count and the whole text.
class SoftFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    explicit SoftFunction(QObject *parent = nullptr);

    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void dispatchTargetLongMessage(TPConnection *connection) override;
    bool decode(const QByteArray &data);
};
