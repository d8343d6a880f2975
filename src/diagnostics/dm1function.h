#pragma once

#include "model/staticpgnj1939devicefunction.h"

class DtcArrayParameter;

// DM1, active diagnostic trouble codes (PGN 0xFECA): lamps and codes of a unit, decoded from a
// single frame or a broadcast, and encoded when the tool stands in for the unit.
class DM1Function : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    static constexpr int SlotCount = 5;
    enum Index { Mil = 0, Rsl, Awl, Pl, Fmil, Frsl, Fawl, Fpl, FirstSlot = 8, Count = 23, Dtc = 24 };

    explicit DM1Function(QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void transmitState() override;
    AbstractSchemeTreeItem *createTreeItem() override;

    bool decode(const QByteArray &data);
    QByteArray encode() const;
    DtcArrayParameter *dtcParameter() const;
};
