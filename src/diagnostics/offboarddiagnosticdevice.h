#pragma once

#include "model/guardedvalue.h"
#include "model/j1939device.h"

#include <QByteArray>
#include <QString>

class CanFlashingFunctionV1;
class MemoryAccessFunction;

// The tool itself as a J1939 node: it claims the tool's address (J1939-81, 0xF9 unless the
// settings say otherwise) with the tool's NAME, defends it, moves to a free address of the tools'
// range when a unit of higher priority takes it, and owns the flashing, memory access and
// identification functions (ECU, software, component, vehicle, DM19): each answer goes to the
// function whose exchange is open. Bus thread once registered; the last long message and the
// claim's text are read from any thread.
class OffBoardDiagnosticDevice : public J1939Device
{
    Q_OBJECT

public:
    static constexpr quint8 DefaultAddress = 0xF9;

    Q_INVOKABLE explicit OffBoardDiagnosticDevice(QObject *parent = nullptr);

    // The tool hears what is addressed to it whatever the state of its functions: the answers
    // of a unit being flashed or identified come to it; and every request to everyone.
    bool matchTargetMessage(const CanMessage &message) override;
    bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result) override;
    // An address claim from the tool's own address is a contention.
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    QString textDataImpl() const override;
    // An identification addressed to the tool fills its function and the flasher's copy.
    void dispatchTargetLongMessage(TPConnection *connection) override;

    CanFlashingFunctionV1 *flasher() const;
    MemoryAccessFunction *memoryAccess() const;

    // The last long message a unit sent to the tool by a connection (RTS/CTS); `serial` counts
    // them, so a reader sees that a new one came even when it repeats the last.
    struct LongMessage
    {
        quint8 peer = 0;
        quint32 pgn = 0;
        QByteArray data;
        quint64 serial = 0;
    };
    LongMessage lastLongMessage() const { return m_lastLongMessage.load(); }

    // What became of the address claim ("Address 0xf9 claimed", the address lost and where the
    // tool moved, or that it cannot claim one).
    QString claimText() const { return m_claimText.load(); }

public slots:
    // Claims the tool's address: the one it holds, else the next free one of the tools' range.
    // Runs once the unit has joined the bus, and when the settings choose another address.
    void slotClaimAddress();

signals:
    // The claim's text changed; a loss (moved, or no address left) is `lost`.
    void claimChanged(const QString &text, bool lost);

private:
    void sendClaim();
    void contend(const CanMessage &claim);
    void setClaimText(const QString &text, bool lost);

    GuardedValue<LongMessage> m_lastLongMessage;
    GuardedValue<QString> m_claimText;
};
