#include "model/abstractdisplayableitem.h"

#include "can/abstractcanhandler.h"
#include "can/abstractcanmessagedispatcher.h"
#include "descriptions/abstractdevicefactory.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "model/zxstringparameter.h"
#include "scheme/abstractschemetreeitem.h"

#include <QChildEvent>
#include <QDateTime>
#include <QDebug>
#include <QDomElement>
#include <QIODevice>
#include <QMetaEnum>
#include <QSet>
#include <QThread>
#include <mutex>

#include <chrono>
#include <cstring>

namespace {

std::mutex s_liveMutex;
QSet<const AbstractDisplayableItem *> &liveItems()
{
    static QSet<const AbstractDisplayableItem *> items;
    return items;
}

std::atomic<bool> s_describeFrames{true};
std::atomic<bool> s_stampWallClock{true};
std::atomic<qint64> s_changedHoldMs{AbstractDisplayableItem::DefaultChangedHoldMs};

constexpr int NewFlagHoldMs = 2000;

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

std::atomic<quint64> AbstractDisplayableItem::s_addressGeneration{0};

AbstractDisplayableItem::AbstractDisplayableItem(QObject *parent)
    : QObject(parent)
    , m_counter(10, this)
    , m_timer(this)
    , m_newFlagTimer(this)
{
    {
        std::lock_guard locker(s_liveMutex);
        liveItems().insert(this);
    }
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
    {
        std::lock_guard locker(s_liveMutex);
        liveItems().remove(this);
    }
    m_bindings.clear();
    qDeleteAll(m_parameters);
    m_parameters.clear();
    m_parameterIndex.clear();
}

void AbstractDisplayableItem::setUpdateNeeded(bool needed)
{
    m_updateNeeded.store(needed);
    if (!needed)
        return;
    for (AbstractDisplayableItem *item = parentItem(); item; item = item->parentItem())
        item->m_updateNeeded.store(true);
}

bool AbstractDisplayableItem::isValid(const AbstractDisplayableItem *item)
{
    if (!item)
        return false;
    std::lock_guard locker(s_liveMutex);
    return liveItems().contains(item);
}

int AbstractDisplayableItem::state() const
{
    return m_state.load();
}

bool AbstractDisplayableItem::matchTargetMessage(const CanMessage &)
{
    return false;
}

void AbstractDisplayableItem::dispatchTargetLongMessage(TPConnection *) {}

bool AbstractDisplayableItem::dispatchBroadcastData(const QByteArray &data)
{
    if (!dispatchBroadcastDataImpl(data))
        return false;
    m_counter.inc();
    setUpdateNeeded();
    return true;
}

bool AbstractDisplayableItem::dispatchBroadcastDataImpl(const QByteArray &)
{
    return false;
}

void AbstractDisplayableItem::saveItemToXmlNodeImpl(QDomElement &) {}

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

QString AbstractDisplayableItem::hexAddressText(quint32 value)
{
    const int digits = value <= 0xFF ? 2 : value <= 0xFFFF ? 4 : value < 0x1000000 ? 6 : 8;
    return QStringLiteral("0x%1").arg(value, digits, 16, QLatin1Char('0'));
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

void AbstractDisplayableItem::predispatch(const CanMessage &message, DispatchResult *result)
{
    takeFrame(message, result);
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
    m_counter.inc();
    checkDataUpdate(message);
    {
        std::lock_guard locker(m_textMutex);
        m_lastMessage = message;
    }
    setUpdateNeeded();
    const int current = state();
    if (current == Auto)
        setState(ReceiveOk);
    else if (current == Send)
        setState(Unknown);
    setFlag(ActivityFlag, true);
    if (isBridge())
        return;
    // A periodic item without a period (0 or -1) has nothing to supervise.
    if (!m_timer.isActive() && (m_interval.load() > 0 || !(deviceType() & Continuous)))
        startSupervisionTimer(m_nominalInterval);
    if (state() != Send) {
        int missed = m_missedPeriods.load();
        result->missedPeriods = missed;
        missed = missed > 5 ? 4 : std::max(0, missed - 1);
        m_missedPeriods.store(missed);
        // Restart the period from this frame (see rearmForLateFrame).
        if (s_stampWallClock.load(std::memory_order_relaxed))
            m_lastFrameAt = steadyMs();
        m_frameSinceArm = true;
        updateReceiveState();
    }
}

void AbstractDisplayableItem::checkDataUpdate(const CanMessage &message)
{
    if (!m_children.isEmpty()) {
        setFlag(ChangedFlag, false);
        return;
    }
    // Only this thread writes the last frame, so it is read here without the lock.
    if (message.id != m_lastMessage.id) {
        setFlag(ChangedFlag, false);
    } else if (message.length != m_lastMessage.length
               || std::memcmp(message.data, m_lastMessage.data, sizeof message.data) != 0) {
        setFlag(ChangedFlag, true);
        if (s_stampWallClock.load(std::memory_order_relaxed))
            m_lastChangeTime.store(QDateTime::currentMSecsSinceEpoch());
    }
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
    const int missed = m_missedPeriods.load();
    if (missed <= 1) {
        if (state() != ReceiveForced)
            setState(ReceiveOk);
    } else if (missed <= 4) {
        setState(ReceiveWarning);
    } else {
        setState(ReceiveError);
    }
}

void AbstractDisplayableItem::checkDropNewData()
{
    if (QDateTime::currentMSecsSinceEpoch() - m_lastChangeTime.load() >= s_changedHoldMs.load()) {
        setFlag(ChangedFlag, false);
        setUpdateNeeded();
    }
    for (AbstractDisplayableItem *child : qAsConst(m_children))
        child->checkDropNewData();
}

// --- State and timer --------------------------------------------------------------------------

bool AbstractDisplayableItem::setState(int v)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, "setState", Qt::QueuedConnection, Q_ARG(int, v));
        return false;
    }
    if (v == m_state.load())
        return false;
    m_tookOver.store(false);
    const int interval = m_interval.load() + (v == Send ? 0 : ReceiveToleranceMs);
    m_nominalInterval = interval;
    m_timer.setInterval(std::max(0, interval));
    m_state.store(v);
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
    m_timer.stop();
    disconnect(&m_timer, &QTimer::timeout, this, nullptr);
    m_timer.setInterval(std::max(0, interval));
    m_nominalInterval = interval;
    m_interval.store(interval);
    m_deviceType.store(type);
    bool connected = true;
    if (type & Spontaneous) {
        if (type & Continuous)
            connect(&m_timer, &QTimer::timeout, this,
                    &AbstractDisplayableItem::slotContinuousTransmissionTimeout);
        else
            connect(&m_timer, &QTimer::timeout, this,
                    &AbstractDisplayableItem::slotActivityTimeout);
    } else if (type & Continuous) {
        connect(&m_timer, &QTimer::timeout, this,
                &AbstractDisplayableItem::slotContinuousTransmissionTimeout);
    } else {
        connected = false;
    }
    if (connected && interval > 0)
        startSupervisionTimer(interval);
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
        m_missedPeriods.store(0);
        const int current = state();
        if (current == ReceiveWarning || current == ReceiveError)
            setState(ReceiveOk);
    }
}

void AbstractDisplayableItem::startSupervisionTimer(int interval)
{
    if (interval > 0)
        m_timer.start(interval);
    else
        m_timer.start();
    m_frameSinceArm = false;
}

bool AbstractDisplayableItem::rearmForLateFrame()
{
    // A frame arrived since the timer was armed: the period runs from that frame.
    if (!m_frameSinceArm || m_nominalInterval <= 0)
        return false;
    const qint64 remaining = m_nominalInterval - (steadyMs() - m_lastFrameAt);
    m_frameSinceArm = false;
    if (remaining <= 1)
        return false;
    // The shortened interval is set back at the next timeout.
    m_timer.start(int(remaining));
    return true;
}

void AbstractDisplayableItem::slotContinuousTransmissionTimeout()
{
    if (m_paused.load())
        return;
    if (state() == Send) {
        transmitState();
        return;
    }
    if (rearmForLateFrame())
        return;
    if (m_timer.interval() != m_nominalInterval && m_nominalInterval > 0)
        m_timer.start(m_nominalInterval);
    const int missed = std::min(m_missedPeriods.load() + 1, MaxMissedPeriods);
    m_missedPeriods.store(missed);
    if (hasFlag(AutoFlag)) {
        if (missed > 5) {
            m_missedPeriods.store(0);
            setState(Send);
            m_tookOver.store(true);
        }
        return;
    }
    updateReceiveState();
}

void AbstractDisplayableItem::slotActivityTimeout()
{
    if (rearmForLateFrame())
        return;
    if (m_timer.interval() != m_nominalInterval && m_nominalInterval > 0)
        m_timer.start(m_nominalInterval);
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
    if (AbstractCanHandler *handler = AbstractCanHandler::instance())
        handler->updateLowLatencyMode();
}

bool AbstractDisplayableItem::isLowLatencyMode() const
{
    if (m_lowLatency.load())
        return true;
    for (const AbstractDisplayableItem *child : m_children) {
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
    if (AbstractCanHandler *handler = AbstractCanHandler::instance())
        handler->sendMessage(message);
}

// --- Parameters ---------------------------------------------------------------------------

void AbstractDisplayableItem::addParameter(ZxParameter *parameter, const QString &name,
                                           const QString &id)
{
    parameter->setName(name);
    parameter->setId(id);
    m_parameters.append(parameter);
    m_parameterIndex.insert(id.isEmpty() ? name : id, parameter);
}

ZxIntParameter *AbstractDisplayableItem::addIntParameter(const QString &name, const QString &id)
{
    auto *p = new ZxIntParameter;
    addParameter(p, name, id);
    return p;
}

ZxBoolParameter *AbstractDisplayableItem::addBoolParameter(const QString &name, const QString &id)
{
    auto *p = new ZxBoolParameter;
    addParameter(p, name, id);
    return p;
}

ZxFloatParameter *AbstractDisplayableItem::addFloatParameter(const QString &name, const QString &id)
{
    auto *p = new ZxFloatParameter;
    addParameter(p, name, id);
    return p;
}

ZxStringParameter *AbstractDisplayableItem::addStringParameter(const QString &name,
                                                               const QString &id)
{
    auto *p = new ZxStringParameter;
    addParameter(p, name, id);
    return p;
}

ZxListParameter *AbstractDisplayableItem::addListParameter(const QString &name,
                                                           const QStringList &items)
{
    return addListParameter(name, QString(), items);
}

ZxListParameter *AbstractDisplayableItem::addListParameter(const QString &name, const QString &id,
                                                           const QStringList &items)
{
    auto *p = new ZxListParameter(items);
    addParameter(p, name, id);
    return p;
}

template<typename T>
static T *parameterAt(const QList<ZxParameter *> &list, int index)
{
    return index >= 0 && index < list.size() ? dynamic_cast<T *>(list.at(index)) : nullptr;
}

ZxIntParameter *AbstractDisplayableItem::intParameter(int index) const
{
    return parameterAt<ZxIntParameter>(m_parameters, index);
}

ZxBoolParameter *AbstractDisplayableItem::boolParameter(int index) const
{
    return parameterAt<ZxBoolParameter>(m_parameters, index);
}

ZxFloatParameter *AbstractDisplayableItem::floatParameter(int index) const
{
    return parameterAt<ZxFloatParameter>(m_parameters, index);
}

ZxListParameter *AbstractDisplayableItem::listParameter(int index) const
{
    return parameterAt<ZxListParameter>(m_parameters, index);
}

ZxStringParameter *AbstractDisplayableItem::stringParameter(int index) const
{
    return parameterAt<ZxStringParameter>(m_parameters, index);
}

ZxParameter *AbstractDisplayableItem::parameter(const QString &id) const
{
    return m_parameterIndex.value(id, nullptr);
}

QString AbstractDisplayableItem::sanitizeParameterId(QString id)
{
    static const QString special = QStringLiteral(":,;\\/+-.* ");
    for (QChar &c : id) {
        if (special.contains(c))
            c = QLatin1Char('_');
    }
    return id;
}

QVariant AbstractDisplayableItem::parameterValue(QString pname)
{
    ZxParameter *p = parameter(pname);
    if (!p) {
        qDebug("Unable to find %s parameter", qUtf8Printable(pname));
        return {};
    }
    return p->variantValue();
}

void AbstractDisplayableItem::setParameterValue(QString pname, QVariant value)
{
    ZxParameter *p = parameter(pname);
    if (!p) {
        qDebug("Unable to find %s parameter", qUtf8Printable(pname));
        return;
    }
    p->setVariantValue(value);
    setUpdateNeeded();
}

void AbstractDisplayableItem::setBinding(ZxParameter *parameter, const ParameterBinding &binding)
{
    for (auto &entry : m_bindings) {
        if (entry.first == parameter) {
            entry.second = binding;
            return;
        }
    }
    m_bindings.emplace_back(parameter, binding);
}

const ParameterBinding *AbstractDisplayableItem::binding(const ZxParameter *parameter) const
{
    for (const auto &entry : m_bindings) {
        if (entry.first == parameter)
            return &entry.second;
    }
    return nullptr;
}

void AbstractDisplayableItem::setChangedHoldMs(qint64 ms)
{
    s_changedHoldMs.store(ms);
}

void AbstractDisplayableItem::setDescribeFrames(bool on)
{
    s_describeFrames.store(on);
}

bool AbstractDisplayableItem::describeFrames()
{
    return s_describeFrames.load();
}

void AbstractDisplayableItem::setStampWallClock(bool on)
{
    s_stampWallClock.store(on);
}

bool AbstractDisplayableItem::stampsWallClock()
{
    return s_stampWallClock.load();
}

bool AbstractDisplayableItem::xmlDispatchMessageImpl(const CanMessage &message,
                                                     DispatchResult *result)
{
    for (const auto &entry : m_bindings)
        entry.second.decode(message.data, entry.first);
    if (s_describeFrames.load(std::memory_order_relaxed))
        result->description = textDataImpl();
    emit scriptDispatch();
    return true;
}

void AbstractDisplayableItem::xmlTransmitState()
{
    emit scriptTransmit();
    quint8 payload[CanMessage::MaxLength];
    std::memset(payload, 0xFF, sizeof payload);
    for (const auto &entry : m_bindings)
        entry.second.encode(payload, entry.first);
    transmitData(payload, CanMessage::MaxLength);
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
    return awaitsData() || !parameter->isValid() ? QString() : parameter->toString();
}

QString AbstractDisplayableItem::textDataImpl() const
{
    QString text;
    for (const ZxParameter *p : m_parameters) {
        if (p->isHidden())
            continue;
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        const QString key = p->key();
        if (!key.isEmpty()) {
            text += key;
            text += QLatin1Char('=');
        }
        text += p->toString();
    }
    return text;
}

// --- Children -----------------------------------------------------------------------------

void AbstractDisplayableItem::registerChild(AbstractDisplayableItem *child)
{
    if (child->parent() != this)
        child->setParent(this); // childEvent appends it
    if (!m_children.contains(child))
        m_children.append(child);
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

AbstractDisplayableItem *AbstractDisplayableItem::parentItem() const
{
    return qobject_cast<AbstractDisplayableItem *>(parent());
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
        }
    } else if (event->removed()) {
        // The child may be half destroyed: compare addresses only.
        const auto removed = std::remove_if(m_children.begin(), m_children.end(),
                                            [object](AbstractDisplayableItem *child) {
                                                return static_cast<QObject *>(child) == object;
                                            });
        if (removed != m_children.end()) {
            m_children.erase(removed, m_children.end());
            qDebug("item removed from %s", metaObject()->className());
        }
    }
}

// --- Identity -----------------------------------------------------------------------------

QString AbstractDisplayableItem::name() const
{
    std::lock_guard locker(m_textMutex);
    return m_name;
}

void AbstractDisplayableItem::setName(const QString &name)
{
    {
        std::lock_guard locker(m_textMutex);
        m_name = name;
    }
    setUpdateNeeded();
}

ItemAddress AbstractDisplayableItem::address() const
{
    const quint64 packed = m_address.load(std::memory_order_acquire);
    ItemAddress a;
    a.kind = int(quint32(packed >> 32));
    a.value = quint32(packed);
    return a;
}

void AbstractDisplayableItem::setAddress(const ItemAddress &address)
{
    m_address.store(packAddress(address), std::memory_order_release);
    s_addressGeneration.fetch_add(1, std::memory_order_acq_rel);
    updateUserReadableAddress();
    setUpdateNeeded();
}

QString AbstractDisplayableItem::userReadableAddress() const
{
    std::lock_guard locker(m_textMutex);
    return m_userReadableAddress;
}

void AbstractDisplayableItem::setUserReadableAddress(const QString &text)
{
    std::lock_guard locker(m_textMutex);
    m_userReadableAddress = text;
}

QString AbstractDisplayableItem::description() const
{
    std::lock_guard locker(m_textMutex);
    return m_description;
}

void AbstractDisplayableItem::setDescription(const QString &text)
{
    std::lock_guard locker(m_textMutex);
    m_description = text;
}

QString AbstractDisplayableItem::fullDescription() const
{
    std::lock_guard locker(m_textMutex);
    return m_fullDescription;
}

void AbstractDisplayableItem::setFullDescription(const QString &text)
{
    std::lock_guard locker(m_textMutex);
    m_fullDescription = text;
}

QByteArray AbstractDisplayableItem::key() const
{
    std::lock_guard locker(m_textMutex);
    return m_key;
}

void AbstractDisplayableItem::setKey(const QByteArray &key)
{
    std::lock_guard locker(m_textMutex);
    m_key = key;
}

QString AbstractDisplayableItem::logPrefix() const
{
    std::lock_guard locker(m_textMutex);
    return m_logPrefix.isEmpty() ? m_name : m_logPrefix;
}

void AbstractDisplayableItem::setLogPrefix(const QString &prefix)
{
    std::lock_guard locker(m_textMutex);
    m_logPrefix = prefix;
}

CanMessage AbstractDisplayableItem::lastMessage() const
{
    std::lock_guard locker(m_textMutex);
    return m_lastMessage;
}

// --- Files --------------------------------------------------------------------------------

void AbstractDisplayableItem::applyXmlAttributes(const QDomElement &element,
                                                 PeriodMeaning meaning)
{
    bool ok = false;
    if (meaning == PeriodKeepsType) {
        // -1 is the interval of an item that never sends by itself.
        const int interval = element.attribute(QStringLiteral("period")).toInt(&ok, 10);
        if (ok && interval >= -1 && interval != transmissionInterval())
            setTransmissionInterval(interval);
        setFiltered(element.attribute(QStringLiteral("filtered")) == QLatin1String("true"));
        setUpdateNeeded();
        return;
    }
    const uint period = element.attribute(QStringLiteral("period")).toUInt(&ok, 10);
    if (ok) {
        if (period == 0)
            setDeviceType(SpontaneousCommit, 0);
        else if (period <= 2147483647u)
            setDeviceType(Continuous, int(period));
        else
            setDeviceType(Spontaneous, 0);
    }
    setFiltered(element.attribute(QStringLiteral("filtered")) == QLatin1String("true"));
    setUpdateNeeded();
}

void AbstractDisplayableItem::dumpParameterIdsImpl(QIODevice *device)
{
    const QString prefix = logPrefix();
    for (const ZxParameter *p : qAsConst(m_parameters)) {
        device->write(",");
        device->write(sanitizeParameterId(prefix + p->name()).toLatin1());
    }
}

void AbstractDisplayableItem::dumpParametersImpl(QIODevice *device)
{
    for (const ZxParameter *p : qAsConst(m_parameters)) {
        device->write(",");
        device->write(parameterLogText(p).toLatin1());
    }
}

void AbstractDisplayableItem::dumpParameterIds(QIODevice *device)
{
    dumpParameterIdsImpl(device);
    for (AbstractDisplayableItem *child : qAsConst(m_children))
        child->dumpParameterIds(device);
}

void AbstractDisplayableItem::dumpParameters(QIODevice *device)
{
    dumpParametersImpl(device);
    for (AbstractDisplayableItem *child : qAsConst(m_children))
        child->dumpParameters(device);
}
