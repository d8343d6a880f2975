#include "cli/recordingdecoder.h"

#include "cli/cli.h"

#include "descriptions/candevicefactory.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/j1939device.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace {

bool isBroadcastTransport(const CanMessage &m)
{
    const quint8 pf = m.pduFormat();
    return m.extended && m.pduSpecific() == CanMessage::GlobalAddress
           && (pf == J1939Device::PfTransportData || pf == J1939Device::PfTransportControl);
}

bool isTransport(const CanMessage &m)
{
    const quint8 pf = m.pduFormat();
    return pf == J1939Device::PfTransportData || pf == J1939Device::PfTransportControl;
}

} // namespace

RecordingDecoder::RecordingDecoder()
    : m_catalogue(CanDeviceFactory::create())
{
    m_dispatcher.setCatalogue(m_catalogue.get());
    m_detector.setCatalogue(m_catalogue.get());
    m_dispatcher.setOfflineDecoding(true);
    // No raw view to describe the frames for; frames come faster than real time and no timer
    // reads wall-clock stamps.
    m_dispatcher.setDescribeFrames(false);
    m_dispatcher.setStampWallClock(false);
    // The console's decoders list the described groups; the raw bytes of the others are the
    // frame log's.
    m_detector.setListsUndescribedGroups(false);
}

RecordingDecoder::~RecordingDecoder()
{
    m_dispatcher.clearScheme();
}

void RecordingDecoder::setDbcDatabases(const QVector<std::shared_ptr<const DbcDatabase>> &databases)
{
    m_commandDatabases = databases;
    m_catalogue->setDbcDatabases(databases);
}

bool RecordingDecoder::loadScheme(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Cli::tr("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    return loadScheme(file.readAll(), path, error);
}

bool RecordingDecoder::loadScheme(const QByteArray &content, const QString &path, QString *error)
{
    m_model = std::make_unique<SchemeTreeModel>();
    m_controller = std::make_unique<SchemeController>(m_model.get(), nullptr);
    m_controller->setDispatcher(&m_dispatcher);
    // The scheme's own databases come first; the command's follow them.
    m_controller->setRunDatabases(m_commandDatabases);
    if (!m_controller->load(content, path)) {
        *error = m_controller->lastError();
        return false;
    }
    return true;
}

void RecordingDecoder::setSupervised(bool on)
{
    m_dispatcher.setOfflineDecoding(!on);
}

QList<AbstractDisplayableItem *> RecordingDecoder::devices() const
{
    QList<AbstractDisplayableItem *> items;
    for (CanDevice *device : m_dispatcher.devices())
        items << device;
    return items;
}

void RecordingDecoder::expireBroadcast(const TimedFrame &frame)
{
    const quint8 sa = frame.message.address();
    J1939Device *device = m_broadcastDevice[sa];
    if (device && device->broadcastState() == J1939Device::BroadcastInProgress
        && frame.timeUs - m_lastBroadcastUs[sa] > qint64(device->broadcastReceiveTimeout()) * 1000)
        device->slotBroadcastTimeout();
    m_lastBroadcastUs[sa] = frame.timeUs;
}

void RecordingDecoder::feed(const TimedFrame &frame, DispatchResult *result)
{
    const CanMessage &m = frame.message;
    if (m_coalescing && coalesce(frame, result))
        return;
    const bool broadcast = isBroadcastTransport(m);
    if (broadcast)
        expireBroadcast(frame);
    // An address claim may move a unit: what waits goes where it was meant to, then routes
    // are learned again.
    const bool claim = m_coalescing && m.extended && m.pduFormat() == AddressClaimPf;
    if (claim)
        forgetRoutes();
    m_dispatcher.dispatchMessage(m, result);
    if (broadcast && !m_broadcastDevice[m.address()])
        m_broadcastDevice[m.address()] = qobject_cast<J1939Device *>(result->item);
    if (m_autoDetect && !result->status.testFlag(DispatchResult::Dispatched))
        detect(m, result);
    else if (m_coalescing && !claim)
        learnRoute(m, *result);
}

bool RecordingDecoder::coalesce(const TimedFrame &frame, DispatchResult *result)
{
    const CanMessage &m = frame.message;
    if (!m.extended)
        return false;
    const int route = m_routes.find(m.id | 0x80000000u);
    if (route < 0)
        return false;
    Waiting &slot = m_waiting[route];
    if (slot.waiting)
        ++m_coalesced;
    else
        m_waitingOrder.append(route);
    slot.frame = frame;
    slot.waiting = true;
    result->item = m_routeItems.at(route);
    result->status |= DispatchResult::Dispatched;
    return true;
}

void RecordingDecoder::learnRoute(const CanMessage &m, const DispatchResult &result)
{
    // Only broadcast groups of functions that decode each frame on its own, with nothing but
    // their values to show for it: no script, no transport, no unicast target walk.
    if (!m.extended || m.pduFormat() < 0xF0 || !result.status.testFlag(DispatchResult::Dispatched))
        return;
    const auto *function = qobject_cast<XmlStaticPgnJ1939DeviceFunction *>(result.item);
    if (!function || function->hasScript())
        return;
    const quint32 key = m.id | 0x80000000u;
    if (m_routes.find(key) >= 0)
        return;
    m_routes.insert(key, m_waiting.size());
    m_waiting.append(Waiting());
    m_routeItems.append(result.item);
}

void RecordingDecoder::RouteTable::insert(quint32 key, int value)
{
    // At most half full, so a search soon meets an empty slot.
    if (2 * (m_count + 1) > m_slots.size()) {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.resize(std::max<size_t>(64, old.size() * 2));
        m_count = 0;
        for (const Slot &slot : old) {
            if (slot.key != 0)
                insert(slot.key, slot.value);
        }
    }
    const size_t mask = m_slots.size() - 1;
    size_t i = hash(key) & mask;
    while (m_slots[i].key != 0 && m_slots[i].key != key)
        i = (i + 1) & mask;
    if (m_slots[i].key == 0)
        ++m_count;
    m_slots[i] = Slot{key, value};
}

void RecordingDecoder::settle()
{
    for (const int index : qAsConst(m_waitingOrder)) {
        Waiting &slot = m_waiting[index];
        slot.waiting = false;
        DispatchResult result(DispatchResult::Received, slot.frame.timeUs / 1000);
        m_dispatcher.dispatchMessage(slot.frame.message, &result);
    }
    m_waitingOrder.clear();
}

void RecordingDecoder::forgetRoutes()
{
    settle();
    m_routes.clear();
    m_waiting.clear();
    m_routeItems.clear();
}

void RecordingDecoder::detect(const CanMessage &message, DispatchResult *result)
{
    const bool transport = isTransport(message);
    const quint32 key = quint32(message.address()) << 24 | (message.id >> 8 & 0x3FFFF);
    if (!transport && m_undetectable.contains(key))
        return;
    // A new device takes the frame without decoding it; offered once more, the frame makes the
    // device's function, so even the first message of a unit is decoded.
    for (int pass = 0; pass < 2; ++pass) {
        const QList<AbstractDisplayableItem *> created
            = m_detector.process({qMakePair(message, *result)});
        if (created.isEmpty()) {
            if (!transport && pass == 0)
                m_undetectable.insert(key);
            return;
        }
        if (m_coalescing)
            forgetRoutes();
        for (AbstractDisplayableItem *item : created)
            addItem(item);
        AbstractDisplayableItem *last = created.last();
        if (last->parentItem() || transport) {
            // A function made for a completed broadcast was offered its last data frame; the
            // reassembled message is what it decodes.
            if (transport && !result->payload.isEmpty() && last->parentItem())
                last->dispatchBroadcastDataImpl(result->payload);
            result->item = last;
            result->status |= DispatchResult::Dispatched;
            return;
        }
        *result = DispatchResult(DispatchResult::Received, result->timestamp);
        m_dispatcher.dispatchMessage(message, result);
        if (result->status.testFlag(DispatchResult::Dispatched))
            return;
    }
}

void RecordingDecoder::addItem(AbstractDisplayableItem *item)
{
    // Registration also makes a function a child of its device.
    m_dispatcher.registerDisplayable(item);
    if (m_itemObserver)
        m_itemObserver(item);
}

void RecordingDecoder::play(const QVector<TimedFrame> &frames, const Observer &observer)
{
    for (const TimedFrame &frame : frames) {
        DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
        feed(frame, &result);
        if (observer)
            observer(frame, result);
    }
}
