#pragma once

#include "model/staticpgnj1939devicefunction.h"

#include <QByteArray>
#include <QList>

// A J1939 function that records the long messages delivered to it.
class RecordingFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    RecordingFunction(quint8 pf, quint8 ps, QObject *parent = nullptr);

    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void dispatchTargetLongMessage(TPConnection *connection) override;

    QList<QByteArray> broadcasts;
    QList<QByteArray> connections;
};
