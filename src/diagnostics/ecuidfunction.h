#pragma once

#include "model/staticpgnj1939devicefunction.h"

// ECU identification (PGN 0xFDC5): the text up to the first zero byte, delimiters kept.
class EcuidFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    explicit EcuidFunction(QObject *parent = nullptr);

    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void dispatchTargetLongMessage(TPConnection *connection) override;
    bool decode(const QByteArray &data);
};
