#include "diagnostics/offboarddiagnosticdevice.h"

#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/componentidfunction.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/softfunction.h"
#include "diagnostics/vehicleidfunction.h"
#include "model/tpconnection.h"

OffBoardDiagnosticDevice::OffBoardDiagnosticDevice(QObject *parent)
    : J1939Device(DefaultAddress, parent)
{
    setObjectName(QStringLiteral("OffBoardDiagnosticDevice"));
    new CanFlashingFunctionV1(this);
    new EcuidFunction(this);
    new SoftFunction(this);
    new ComponentIdFunction(this);
    new VehicleIdFunction(this);
    new DM19Function(this);
}

bool OffBoardDiagnosticDevice::matchTargetMessage(const CanMessage &message)
{
    return message.extended && message.isUnicast()
           && message.pduSpecific() == quint8(address().value);
}

bool OffBoardDiagnosticDevice::dispatchTargetMessageImpl(const CanMessage &message,
                                                         DispatchResult *result)
{
    // Requests are answered only while the engineer has the unit simulated; otherwise the tool
    // would announce its own (empty) identification to whoever asks.
    if (message.pduFormat() == PfRequest && state() != Send) {
        result->targetItem = this;
        return true;
    }
    return J1939Device::dispatchTargetMessageImpl(message, result);
}

void OffBoardDiagnosticDevice::dispatchTargetLongMessage(TPConnection *connection)
{
    J1939Device::dispatchTargetLongMessage(connection);
    LongMessage last;
    last.peer = connection->peer();
    last.pgn = connection->pgn();
    last.data = connection->data();
    last.serial = m_lastLongMessage.load().serial + 1; // only this thread writes it
    m_lastLongMessage.store(last);
    if (CanFlashingFunctionV1 *f = flasher())
        f->takeIdentification(connection->pgn(), connection->data());
}

CanFlashingFunctionV1 *OffBoardDiagnosticDevice::flasher() const
{
    for (AbstractDisplayableItem *child : children()) {
        if (auto *f = qobject_cast<CanFlashingFunctionV1 *>(child))
            return f;
    }
    return nullptr;
}
