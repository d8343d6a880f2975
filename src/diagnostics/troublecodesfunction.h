#pragma once

#include "model/staticpgnj1939devicefunction.h"

#include <atomic>

class DtcArrayParameter;

// The lamps and trouble codes of a DM1 or a DM2, which share one layout: decoded from a single
// frame or a long message, and encoded when the tool stands in for the unit. Bus thread; the
// time of the last decoded message is read from any thread.
class TroubleCodesFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    static constexpr int SlotCount = 5;
    enum Index { Mil = 0, Rsl, Awl, Pl, Fmil, Frsl, Fawl, Fpl, FirstSlot = 8, Count = 23, Dtc = 24 };

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void dispatchTargetLongMessage(TPConnection *connection) override;
    void transmitState() override;
    AbstractSchemeTreeItem *createTreeItem() override;

    bool decode(const QByteArray &data);
    QByteArray encode() const;
    DtcArrayParameter *dtcParameter() const;
    // Milliseconds since the epoch when a message was last decoded; 0 before the first.
    qint64 lastDecodedMs() const { return m_lastDecodedMs.load(); }
    // The heading of the code list in the editor ("Active trouble codes").
    virtual QString codesTitle() const = 0;
    // The keys of the lamps that are on ("AWL"), in the order of the message.
    QStringList lampsOn() const;

protected:
    // A function of the diagnostic message with PGN 0xFE00 | ps.
    explicit TroubleCodesFunction(quint8 ps, QObject *parent = nullptr);

private:
    std::atomic<qint64> m_lastDecodedMs{0};
};
