#include "model/abstractdisplayableitem.h"

#include "can/abstractcanhandler.h"
#include "descriptions/abstractdevicefactory.h"
#include "model/devicedispatcher.h"
#include "model/liveitems.h"
#include "model/standinjournal.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"

#include <QChildEvent>
#include <QDateTime>
#include <QDebug>
#include <QMetaEnum>
#include <QThread>

namespace {

constexpr int NewFlagHoldMs = 2000;

quint64 nextSerial()
{
    static std::atomic<quint64> serial{0};
    return serial.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace

AbstractDisplayableItem::AbstractDisplayableItem(QObject *parent)
    : QObject(parent)
    , m_serial(nextSerial())
    , m_counter(10, this)
    , m_supervision(this)
    , m_newFlagTimer(this)
{
    LiveItems::insert(this);
    connect(&m_counter, &EventCounter::periodChanged, this, &AbstractDisplayableItem::update);
    // A child timer, so it goes with the item (a free single-shot would outlive it).
    m_newFlagTimer.setSingleShot(true);
    connect(&m_newFlagTimer, &QTimer::timeout, this, &AbstractDisplayableItem::dropNewFlag);
    m_newFlagTimer.start(NewFlagHoldMs);
    if (auto *p = qobject_cast<AbstractDisplayableItem *>(parent))
        p->registerChild(this);
}

AbstractDisplayableItem::~AbstractDisplayableItem()
{
    // The counter and timer are Qt children destroyed after this body: their removal must not
    // touch the child list, which is gone by then.
    m_destroying = true;
    LiveItems::remove(this);
    // A unit deleted without leaving its bus first is no longer offered frames.
    if (DeviceDispatcher *bus = m_dispatcher.load())
        bus->forget(this);
    m_parameters.clear();
}

void AbstractDisplayableItem::childStateChanged()
{
    if (AbstractDisplayableItem *parent = parentItem())
        parent->childStateChanged();
}

void AbstractDisplayableItem::setUpdateNeeded(bool needed)
{
    // Marked by every frame, with the ancestors, mostly marked already: a plain load spares the
    // locked write. Clearing leaves the ancestors.
    for (AbstractDisplayableItem *item = this; item; item = needed ? item->parentItem() : nullptr) {
        if (item->m_updateNeeded.load(std::memory_order_relaxed) != needed)
            item->m_updateNeeded.store(needed);
    }
}

DeviceDispatcher *AbstractDisplayableItem::dispatcher() const
{
    const AbstractDisplayableItem *item = this;
    while (const AbstractDisplayableItem *parent = item->parentItem())
        item = parent;
    return item->m_dispatcher.load();
}

AbstractCanHandler *AbstractDisplayableItem::handler() const
{
    const DeviceDispatcher *bus = dispatcher();
    return bus ? bus->handler() : nullptr;
}

bool AbstractDisplayableItem::isValid(const AbstractDisplayableItem *item)
{
    return item && LiveItems::contains(item);
}

bool AbstractDisplayableItem::dispatchBroadcastData(const QByteArray &data)
{
    if (!dispatchBroadcastDataImpl(data))
        return false;
    m_counter.inc();
    setUpdateNeeded();
    return true;
}

AbstractSchemeTreeItem *AbstractDisplayableItem::createTreeItem()
{
    return new AbstractSchemeTreeItem(this);
}

AbstractSchemeTreeItem *AbstractDisplayableItem::treeItem()
{
    if (!m_treeItem)
        m_treeItem = createTreeItem();
    return existingTreeItem();
}

AbstractSchemeTreeItem *AbstractDisplayableItem::existingTreeItem() const
{
    return static_cast<AbstractSchemeTreeItem *>(m_treeItem.data());
}

void AbstractDisplayableItem::updateUserReadableAddress()
{
    // An address still to be chosen is no address to show.
    const quint32 value = address().value;
    setUserReadableAddress(value == ItemAddress::Unassigned ? QStringLiteral("\u2014")
                                                            : hexAddressText(value));
}

void AbstractDisplayableItem::transmitState()
{
    static std::atomic<bool> logged{false};
    if (!logged.exchange(true))
        qDebug("%s not implemented for %s", "virtual void AbstractDisplayableItem::transmitState()",
               metaObject()->className());
}

void AbstractDisplayableItem::transmitData(const unsigned char *, unsigned int)
{
    qDebug(
        "Default implementation of AbstractDisplayableItem::transmitData should never be called");
}

// --- Dispatch -------------------------------------------------------------------------------

bool AbstractDisplayableItem::dispatchMessage(const CanMessage &message, DispatchResult *result)
{
    // An item the program transmits ignores frames with its identifier.
    if (state() == Send)
        return true;
    takeFrame(message, result);
    return dispatchMessageImpl(message, result);
}

bool AbstractDisplayableItem::dispatchCompletedBroadcast(const CanMessage &completing,
                                                         DispatchResult *result,
                                                         const QByteArray &data)
{
    takeFrame(completing, result);
    // Counted above: dispatchBroadcastData would count the same message a second time.
    return dispatchBroadcastDataImpl(data);
}

void AbstractDisplayableItem::takeFrame(const CanMessage &message, DispatchResult *result)
{
    if (m_filtered.load())
        result->status |= DispatchResult::Target;
    const bool live = result->mode.testFlag(DispatchResult::Live);
    const bool stamp = result->mode.testFlag(DispatchResult::StampWallClock);
    // Counted offline too: an item that never had a frame awaits its data.
    m_counter.inc();
    if (live) {
        checkDataUpdate(message, stamp);
        setUpdateNeeded();
    }
    // A unit's state walks its functions: asked again only after something may have changed it.
    int current = state();
    if (current == Auto) {
        setState(ReceiveOk);
        current = state();
    } else if (current == Send) {
        setState(Unknown);
        current = state();
    }
    if (live)
        setFlag(ActivityFlag, true);
    if (isBridge())
        return;
    if (live && m_learner.isLearning()) {
        learnFrom(result->timestamp);
        current = state();
    }
    // A periodic item without a period (0 or -1) has nothing to supervise; one that learns its
    // period is not judged on its first frame alone.
    const bool judged = m_interval.load() > 0 || !(deviceType() & Continuous);
    if (live && judged && !timer()->isActive()
        && (!m_learner.isLearning() || m_learner.hasInterval()))
        m_supervision.arm(m_supervision.nominalInterval());
    if (current != Send) {
        result->missedPeriods = m_supervision.takeFrame(stamp);
        updateReceiveState();
    }
}

void AbstractDisplayableItem::checkDataUpdate(const CanMessage &message, bool stamp)
{
    // A parent's frames are its children's: the change shows on the child.
    const bool tracked = m_children.isEmpty();
    const LastFrame::Change change = m_lastFrame.take(message, tracked && stamp);
    if (!tracked || change == LastFrame::OtherFrame)
        setFlag(ChangedFlag, false);
    else if (change == LastFrame::Changed)
        setFlag(ChangedFlag, true);
}

bool AbstractDisplayableItem::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    for (AbstractDisplayableItem *child : qAsConst(m_children)) {
        if (!child->matchMessage(message))
            continue;
        result->item = child;
        if (child->state() == Send)
            return true;
        child->takeFrame(message, result);
        return child->dispatchMessageImpl(message, result);
    }
    return false;
}

bool AbstractDisplayableItem::dispatchTargetMessage(const CanMessage &message,
                                                    DispatchResult *result)
{
    return dispatchTargetMessageImpl(message, result);
}

bool AbstractDisplayableItem::dispatchTargetMessageImpl(const CanMessage &message,
                                                        DispatchResult *result)
{
    result->targetItem = this;
    for (AbstractDisplayableItem *child : qAsConst(m_children)) {
        if (child->matchTargetMessage(message)) {
            result->targetItem = child;
            return child->dispatchTargetMessageImpl(message, result);
        }
    }
    return false;
}

void AbstractDisplayableItem::updateReceiveState()
{
    const int missed = m_supervision.missedPeriods();
    if (missed <= 1) {
        if (state() != ReceiveForced)
            keepState(ReceiveOk);
    } else if (missed <= 4) {
        keepState(ReceiveWarning);
    } else {
        keepState(ReceiveError);
    }
}

void AbstractDisplayableItem::keepState(int v)
{
    // In this item's thread setState() changes nothing when the state is already set; the
    // check spares asking for the thread on every frame.
    if (m_state.load() != v)
        setState(v);
}

void AbstractDisplayableItem::checkDropNewData(qint64 holdMs)
{
    if (QDateTime::currentMSecsSinceEpoch() - lastChangeTime() >= holdMs) {
        setFlag(ChangedFlag, false);
        setUpdateNeeded();
    }
    for (AbstractDisplayableItem *child : qAsConst(m_children))
        child->checkDropNewData(holdMs);
}

// --- State and timer --------------------------------------------------------------------------

bool AbstractDisplayableItem::setState(int v)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, "setState", Qt::QueuedConnection, Q_ARG(int, v));
        return false;
    }
    const int before = m_state.load();
    if (v == before)
        return false;
    m_tookOver.store(false);
    m_supervision.setNominalInterval(m_interval.load() + (v == Send ? 0 : m_toleranceMs.load()));
    m_state.store(v);
    if (AbstractDisplayableItem *parent = parentItem())
        parent->childStateChanged();
    StandInJournal::stateChanged(this, before, v);
    setFlag(AutoFlag, v == Auto);
    emit stateChanged(v);
    setUpdateNeeded();
    return true;
}

void AbstractDisplayableItem::setDeviceType(DeviceType type, int interval)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, type, interval] { setDeviceType(type, interval); }, Qt::QueuedConnection);
        return;
    }
    const char *typeName = QMetaEnum::fromType<DeviceType>().valueToKey(type);
    qDebug("Setting device type %s:%d", typeName ? typeName : "?", interval);
    QTimer *supervisionTimer = timer();
    supervisionTimer->stop();
    disconnect(supervisionTimer, &QTimer::timeout, this, nullptr);
    m_supervision.setNominalInterval(interval);
    m_interval.store(interval);
    m_deviceType.store(type);
    // A periodic item is supervised (or sent) every period; one that is only spontaneous is
    // watched for activity.
    void (AbstractDisplayableItem::*onTimeout)() = nullptr;
    if (type & Continuous)
        onTimeout = &AbstractDisplayableItem::slotContinuousTransmissionTimeout;
    else if (type & Spontaneous)
        onTimeout = &AbstractDisplayableItem::slotActivityTimeout;
    if (!onTimeout)
        return;
    connect(supervisionTimer, &QTimer::timeout, this, onTimeout);
    if (interval > 0)
        m_supervision.arm(interval);
}

void AbstractDisplayableItem::setTransmissionInterval(int p)
{
    DeviceType type = deviceType();
    // A new period for an item watched only for activity makes it periodic: supervised and, in
    // Send, sent every period.
    if (p > 0 && !(type & Continuous) && (type & Spontaneous) && p != transmissionInterval())
        type = DeviceType((type & ~Spontaneous) | Continuous);
    setDeviceType(type, p);
    // Without a period nothing is overdue: misses counted against the old one are forgotten.
    if (p <= 0 && (type & Continuous) && QThread::currentThread() == thread()) {
        m_supervision.setMissedPeriods(0);
        const int current = state();
        if (current == ReceiveWarning || current == ReceiveError)
            setState(ReceiveOk);
    }
}

void AbstractDisplayableItem::slotContinuousTransmissionTimeout()
{
    if (m_paused.load())
        return;
    if (state() == Send) {
        transmitState();
        return;
    }
    if (!m_supervision.periodEnded())
        return;
    const int missed = m_supervision.countMissedPeriod();
    if (hasFlag(AutoFlag)) {
        if (missed > 5) {
            m_supervision.setMissedPeriods(0);
            setState(Send);
            m_tookOver.store(true);
        }
        return;
    }
    updateReceiveState();
}

void AbstractDisplayableItem::slotActivityTimeout()
{
    if (!m_supervision.periodEnded())
        return;
    setFlag(ActivityFlag, false);
    setUpdateNeeded();
}

void AbstractDisplayableItem::updateState()
{
    setUpdateNeeded();
}

void AbstractDisplayableItem::update()
{
    setUpdateNeeded();
}

void AbstractDisplayableItem::dropNewFlag()
{
    setFlag(NewFlag, false);
    setUpdateNeeded();
}

void AbstractDisplayableItem::setFlag(ItemFlag flag, bool on)
{
    // Every frame sets flags that are mostly set already: a plain load spares the locked write.
    if (bool(m_flags.load(std::memory_order_relaxed) & flag) == on)
        return;
    if (on)
        m_flags.fetch_or(flag);
    else
        m_flags.fetch_and(~quint32(flag));
}

void AbstractDisplayableItem::setPaused(bool paused)
{
    m_paused.store(paused);
    setUpdateNeeded();
}

void AbstractDisplayableItem::requestTransmitState()
{
    if (!m_paused.load())
        QMetaObject::invokeMethod(this, "transmitState", Qt::AutoConnection);
}

void AbstractDisplayableItem::setLowLatencyMode(bool on)
{
    m_lowLatency.store(on);
    if (AbstractCanHandler *bus = handler())
        bus->updateLowLatencyMode();
}

bool AbstractDisplayableItem::isLowLatencyMode() const
{
    if (m_lowLatency.load())
        return true;
    for (const AbstractDisplayableItem *child : children()) {
        if (child->isLowLatencyMode())
            return true;
    }
    return false;
}

void AbstractDisplayableItem::setFiltered(bool filtered)
{
    m_filtered.store(filtered);
    setUpdateNeeded();
}

// --- Sending ------------------------------------------------------------------------------

void AbstractDisplayableItem::sendMessage(CanMessage &message)
{
    message.sender = this;
    sendMessageUp(message);
}

void AbstractDisplayableItem::sendMessageUp(const CanMessage &message)
{
    for (AbstractDisplayableItem *item = this; item; item = item->parentItem()) {
        item->m_counter.inc();
        item->setFlag(ActivityFlag, true);
        item->setUpdateNeeded();
    }
    if (AbstractCanHandler *bus = handler())
        bus->sendMessage(message);
}

// --- Parameters ---------------------------------------------------------------------------

ZxParameter *AbstractDisplayableItem::namedParameter(const QString &name) const
{
    ZxParameter *p = parameter(name);
    if (!p)
        qDebug("Unable to find %s parameter", qUtf8Printable(name));
    return p;
}

QVariant AbstractDisplayableItem::parameterValue(QString pname)
{
    ZxParameter *p = namedParameter(pname);
    return p ? p->variantValue() : QVariant();
}

void AbstractDisplayableItem::setParameterValue(QString pname, QVariant value)
{
    if (ZxParameter *p = namedParameter(pname)) {
        p->setVariantValue(value);
        setUpdateNeeded();
    }
}

QString AbstractDisplayableItem::summaryText() const
{
    if (!awaitsData() || m_parameters.isEmpty())
        return textDataImpl();
    // One short text, not every parameter as "n/a" across the whole row.
    return tr("no data yet");
}

QString AbstractDisplayableItem::parameterLogText(const ZxParameter *parameter) const
{
    return ItemParameters::logText(parameter, awaitsData());
}

QString AbstractDisplayableItem::textDataImpl() const
{
    return m_parameters.text();
}

// --- Children -----------------------------------------------------------------------------

const QList<AbstractDisplayableItem *> AbstractDisplayableItem::children() const
{
    if (thread() == QThread::currentThread())
        return m_children;
    return m_publishedChildren.load();
}

AbstractDisplayableItem *AbstractDisplayableItem::findItem(const QString &objectName) const
{
    const QList<AbstractDisplayableItem *> list = children();
    for (AbstractDisplayableItem *child : list) {
        if (child->objectName() == objectName)
            return child;
    }
    for (const AbstractDisplayableItem *child : list) {
        if (AbstractDisplayableItem *found = child->findItem(objectName))
            return found;
    }
    return nullptr;
}

QList<AbstractDisplayableItem *> AbstractDisplayableItem::descendants() const
{
    QList<AbstractDisplayableItem *> all;
    for (AbstractDisplayableItem *child : children())
        all << child << child->descendants();
    return all;
}

void AbstractDisplayableItem::registerChild(AbstractDisplayableItem *child)
{
    // QObject refuses a parent in another thread; the list must not change there either.
    Q_ASSERT(thread() == QThread::currentThread());
    if (child->parent() != this)
        child->setParent(this); // childEvent appends it
    if (!m_children.contains(child)) {
        m_children.append(child);
        publishChildren();
    }
}

AbstractDisplayableItem *AbstractDisplayableItem::factoryCreateChild(const QByteArray &key)
{
    AbstractDeviceFactory *factory = subFactory();
    AbstractDisplayableItem *child = factory ? factory->createDevice(key) : nullptr;
    if (!child) {
        qDebug("Unable to create child %s", key.constData());
        return nullptr;
    }
    registerChild(child);
    return child;
}

void AbstractDisplayableItem::childEvent(QChildEvent *event)
{
    QObject::childEvent(event);
    if (m_destroying)
        return;
    QObject *object = event->child();
    if (event->added()) {
        // A child still under construction is no item yet; its constructor registers it.
        auto *item = qobject_cast<AbstractDisplayableItem *>(object);
        if (item && !m_children.contains(item)) {
            qDebug("%s added to %s", object->metaObject()->className(), metaObject()->className());
            m_children.append(item);
            publishChildren();
        }
    } else if (event->removed()) {
        // The child may be half destroyed: compare addresses only.
        const auto removed = std::remove_if(m_children.begin(), m_children.end(),
                                            [object](AbstractDisplayableItem *child) {
                                                return static_cast<QObject *>(child) == object;
                                            });
        if (removed != m_children.end()) {
            m_children.erase(removed, m_children.end());
            publishChildren();
            qDebug("item removed from %s", metaObject()->className());
        }
    }
}

// --- Identity -----------------------------------------------------------------------------

void AbstractDisplayableItem::setName(const QString &name)
{
    m_identity.setName(name);
    setUpdateNeeded();
}

void AbstractDisplayableItem::setAddress(const ItemAddress &address)
{
    m_identity.setAddress(address);
    updateUserReadableAddress();
    setUpdateNeeded();
}
