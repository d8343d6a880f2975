#include "diagnostics/broadcastsuspension.h"

#include "can/abstractcanhandler.h"
#include "can/tooladdress.h"
#include "diagnostics/journalnotes.h"
#include "diagnostics/toolrequest.h"
#include "model/devicedispatcher.h"

#include <QTimer>

int BroadcastSuspension::s_holdIntervalMs = 5000;

namespace {

// A text of the suspension in the words of the code, for the service journal.
TranslatableText words(const char *source)
{
    return TranslatableText::catalogue("BroadcastSuspension", source);
}

constexpr int NetworkBytes = 3;
constexpr int SignalByte = 3;
constexpr quint8 HoldModified = 0x1;      // hold: the devices whose broadcast state was modified
constexpr quint8 SuspendIndefinite = 0x0; // indefinite suspension of all broadcasts
constexpr quint8 NotAvailable = 0xF;

int shiftOf(int network)
{
    return 6 - 2 * (network % 4);
}

// Every network field `command` for the chosen networks, "no action" for the others.
QByteArray commandData(int networks, int command, quint8 hold, quint8 suspend)
{
    QByteArray data(BroadcastSuspension::Length, char(0xFF));
    for (int n = 0; n < BroadcastSuspension::NetworkCount; ++n) {
        if (!(networks & (1 << n)))
            continue;
        auto byte = quint8(data.at(n / 4));
        byte &= quint8(~(0x3 << shiftOf(n)));
        byte |= quint8(command << shiftOf(n));
        data[n / 4] = char(byte);
    }
    data[SignalByte] = char(quint8(hold << 4 | suspend));
    return data; // b4-b5 duration n/a, b6-b7 reserved
}

} // namespace

BroadcastSuspension::BroadcastSuspension(const DeviceDispatcher *bus, QObject *parent)
    : QObject(parent)
    , m_dispatcher(bus)
    , m_hold(new QTimer(this))
{
    setObjectName(QStringLiteral("broadcastSuspension"));
    connect(m_hold, &QTimer::timeout, this, &BroadcastSuspension::sendHold);
}

QByteArray BroadcastSuspension::stopData(int networks)
{
    return commandData(networks, StopBroadcast, NotAvailable, SuspendIndefinite);
}

QByteArray BroadcastSuspension::startData(int networks)
{
    return commandData(networks, StartBroadcast, NotAvailable, NotAvailable);
}

QByteArray BroadcastSuspension::holdData()
{
    return commandData(0, NoAction, HoldModified, NotAvailable);
}

int BroadcastSuspension::networkCommand(const QByteArray &data, int network)
{
    if (network < 0 || network >= NetworkCount || data.size() < NetworkBytes)
        return -1;
    return (quint8(data.at(network / 4)) >> shiftOf(network)) & 0x3;
}

CanMessage BroadcastSuspension::frame(const QByteArray &data, quint8 destination, quint8 source)
{
    CanMessage m(quint32(ToolRequest::Priority) << 26 | quint32(Pf) << 16
                     | quint32(destination) << 8 | source,
                 reinterpret_cast<const quint8 *>(data.constData()), int(data.size()));
    return m;
}

bool BroadcastSuspension::send(const QByteArray &data)
{
    AbstractCanHandler *handler = m_dispatcher ? m_dispatcher->handler() : nullptr;
    if (!handler || !handler->isOpen())
        return false;
    handler->sendMessage(frame(data, m_destination.load(), m_dispatcher->toolAddress().current()));
    return true;
}

bool BroadcastSuspension::slotSuspend(int destination, int networks)
{
    networks &= AllNetworks;
    if (!networks || destination < 0 || destination > 0xFF)
        return false;
    // Another suspension first gives back what the last one stopped.
    if (m_suspended.load() && (destination != m_destination.load() || networks != m_networks))
        slotResume();
    m_destination.store(quint8(destination));
    if (!send(stopData(networks))) {
        emit suspendedChanged(false, tr("No bus connection: broadcasts not suspended"));
        return false;
    }
    m_networks = networks;
    m_suspended.store(true);
    m_hold->start(s_holdIntervalMs);
    const TranslatableText text
        = words(QT_TRANSLATE_NOOP("BroadcastSuspension", "Broadcasts suspended (DM13)"));
    JournalNotes::note(ServiceJournal::Suspension,
                       destination == CanMessage::GlobalAddress
                           ? QString()
                           : JournalNotes::unitLabelAt(m_dispatcher, quint8(destination)),
                       text, ServiceJournal::Outcome::Done,
                       {TranslatableText::plain(QStringLiteral("DM13 %1").arg(
                           QString::fromLatin1(stopData(networks).toHex(' ').toUpper())))});
    emit suspendedChanged(true, JournalNotes::said(text));
    return true;
}

void BroadcastSuspension::sendHold()
{
    if (!m_suspended.load() || !send(holdData()))
        end(words(QT_TRANSLATE_NOOP("BroadcastSuspension",
                                    "Broadcasts no longer held: no bus connection")));
}

void BroadcastSuspension::slotResume()
{
    if (!m_suspended.load())
        return;
    const bool sent = send(startData(m_networks));
    end(sent ? words(QT_TRANSLATE_NOOP("BroadcastSuspension", "Broadcasts resumed (DM13)"))
             : words(QT_TRANSLATE_NOOP("BroadcastSuspension",
                                       "No bus connection: the units resume by themselves within "
                                       "6 s")));
}

void BroadcastSuspension::slotAdapterStateChanged(int state)
{
    if (state != AbstractCanHandler::Open && m_suspended.load())
        end(words(QT_TRANSLATE_NOOP("BroadcastSuspension",
                                    "The adapter is gone: the units resume their broadcasts by "
                                    "themselves within 6 s")));
}

void BroadcastSuspension::end(const TranslatableText &text)
{
    m_hold->stop();
    if (!m_suspended.exchange(false))
        return;
    m_networks = 0;
    const quint8 destination = m_destination.load();
    JournalNotes::note(ServiceJournal::Suspension,
                       destination == CanMessage::GlobalAddress
                           ? QString()
                           : JournalNotes::unitLabelAt(m_dispatcher, destination),
                       text, ServiceJournal::Outcome::Done);
    emit suspendedChanged(false, JournalNotes::said(text));
}
