#include "diagnostics/offboarddiagnosticdevice.h"

#include "can/tooladdress.h"
#include "diagnostics/addressclaimfunction.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/componentidfunction.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/memoryaccessfunction.h"
#include "diagnostics/softfunction.h"
#include "diagnostics/vehicleidfunction.h"
#include "model/devicedispatcher.h"
#include "model/tpconnection.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

constexpr quint32 AddressClaimPgn = 0xEE00;

QString hexAddress(quint8 address)
{
    return QStringLiteral("0x%1").arg(address, 2, 16, QLatin1Char('0'));
}

QString hexName(quint64 name)
{
    return QStringLiteral("%1").arg(name, 16, 16, QLatin1Char('0'));
}

} // namespace

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
    // Shares the group 0xD900 with the flasher: a scheme file finds it again by its key.
    auto *memoryAccess = new MemoryAccessFunction(this);
    memoryAccess->setAddress({ItemAddress::Pgn, 0xD900});
    memoryAccess->setKey(QByteArrayLiteral("matool"));
    memoryAccess->setName(QCoreApplication::translate("DescriptionText", "Memory Access Tool"));
    // The claim goes out from the bus thread, once the unit is there.
    connect(this, &AbstractDisplayableItem::registered, this,
            &OffBoardDiagnosticDevice::slotClaimAddress, Qt::QueuedConnection);
}

bool OffBoardDiagnosticDevice::matchTargetMessage(const CanMessage &message)
{
    if (!message.extended)
        return false;
    if (isGlobalRequest(message))
        return true;
    return message.isUnicast() && message.pduSpecific() == quint8(address().value);
}

bool OffBoardDiagnosticDevice::dispatchTargetMessageImpl(const CanMessage &message,
                                                         DispatchResult *result)
{
    if (message.pduFormat() == PfRequest) {
        result->targetItem = this;
        // Asked for its claim (J1939-81), the tool answers with it, or says it has none.
        if (message.length >= 3
            && (quint32(message.data[0]) | quint32(message.data[1]) << 8
                | quint32(message.data[2]) << 16)
                   == AddressClaimPgn) {
            sendClaim();
            return true;
        }
        // Other requests are answered only while the engineer has the unit simulated;
        // otherwise the tool would announce its own (empty) identification to whoever asks.
        if (state() != Send)
            return true;
    }
    return J1939Device::dispatchTargetMessageImpl(message, result);
}

bool OffBoardDiagnosticDevice::dispatchMessageImpl(const CanMessage &message,
                                                   DispatchResult *result)
{
    if (message.pduFormat() == PfAddressClaim && message.length >= 8) {
        result->item = this;
        contend(message);
        return true;
    }
    return J1939Device::dispatchMessageImpl(message, result);
}

QString OffBoardDiagnosticDevice::textDataImpl() const
{
    return claimText();
}

void OffBoardDiagnosticDevice::slotClaimAddress()
{
    DeviceDispatcher *bus = dispatcher();
    const quint8 address = ToolAddress::of(bus).nextFree();
    if (address != NullAddress && address != quint8(this->address().value))
        setAddress({ItemAddress::J1939, address});
    if (address != NullAddress) {
        if (bus)
            bus->toolAddress().setCurrent(address);
        setClaimText(tr("Address %1 claimed").arg(hexAddress(address)), false);
    }
    sendClaim();
}

void OffBoardDiagnosticDevice::sendClaim()
{
    // Without an address the tool says so from the null address: "cannot claim address".
    const ToolAddress &tool = ToolAddress::of(dispatcher());
    const quint8 source = tool.canSend() ? quint8(address().value) : NullAddress;
    CanMessage claim = AddressClaimFunction::claimFrame(tool.name(), source);
    sendMessage(claim);
}

void OffBoardDiagnosticDevice::contend(const CanMessage &claim)
{
    const quint64 theirs = AddressClaimFunction::nameFromPayload(claim.data);
    DeviceDispatcher *bus = dispatcher();
    if (!bus)
        return; // off a bus nothing contends
    ToolAddress &tool = bus->toolAddress();
    const quint64 ours = tool.name();
    // Our own claim heard back (an adapter that echoes) is no contention.
    if (theirs == ours)
        return;
    if (tool.isLost(quint8(address().value)))
        return; // given up already
    if (theirs > ours) {
        sendClaim(); // the lower NAME has priority: the tool keeps its address
        return;
    }
    const quint8 lost = quint8(address().value);
    tool.markLost(lost);
    const quint8 next = tool.nextFree();
    QString text;
    if (next != NullAddress) {
        setAddress({ItemAddress::J1939, next});
        tool.setCurrent(next);
        text = tr("Address %1 lost to a unit of higher priority (NAME %2); the tool moved to %3")
                   .arg(hexAddress(lost), hexName(theirs), hexAddress(next));
    } else {
        text = tr("Address %1 lost to a unit of higher priority (NAME %2); cannot claim "
                  "address: the tool sends nothing")
                   .arg(hexAddress(lost), hexName(theirs));
    }
    qWarning("%s", qUtf8Printable(text));
    setClaimText(text, true);
    sendClaim();
}

void OffBoardDiagnosticDevice::setClaimText(const QString &text, bool lost)
{
    m_claimText.store(text);
    setUpdateNeeded();
    emit claimChanged(text, lost);
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

MemoryAccessFunction *OffBoardDiagnosticDevice::memoryAccess() const
{
    for (AbstractDisplayableItem *child : children()) {
        if (auto *f = qobject_cast<MemoryAccessFunction *>(child))
            return f;
    }
    return nullptr;
}
