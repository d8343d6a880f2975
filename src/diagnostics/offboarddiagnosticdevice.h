#pragma once

#include "model/guardedvalue.h"
#include "model/j1939device.h"

#include <QByteArray>

class CanFlashingFunctionV1;

// The tool itself as a J1939 node (address 0xF9): it owns the flashing function and the
// identification functions (ECU, software, component, vehicle, DM19) that show what a unit
// answers. Bus thread once registered; the last long message is read from any thread.
class OffBoardDiagnosticDevice : public J1939Device
{
    Q_OBJECT

public:
    static constexpr quint8 DefaultAddress = 0xF9;

    Q_INVOKABLE explicit OffBoardDiagnosticDevice(QObject *parent = nullptr);

    // The tool hears what is addressed to it whatever the state of its functions: the answers
    // of a unit being flashed or identified come to it.
    bool matchTargetMessage(const CanMessage &message) override;
    bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result) override;
    // An identification addressed to the tool fills its function and the flasher's copy.
    void dispatchTargetLongMessage(TPConnection *connection) override;

    CanFlashingFunctionV1 *flasher() const;

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

private:
    GuardedValue<LongMessage> m_lastLongMessage;
};
