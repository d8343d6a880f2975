#include "can/abstractcanhandler.h"

#include "can/abstractcanmessagedispatcher.h"
#include "can/threadhandover.h"
#include "can/tooladdress.h"
#include "model/abstractdisplayableitem.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaMethod>
#include <QMetaObject>
#include <QThread>
#include <mutex>

#include <algorithm>
#include <chrono>
#include <iterator>

namespace {

qint64 steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr int PollIntervalMs = 1;
constexpr int ErrorTimeoutMs = 5000;
constexpr quint32 HousekeepingEveryPolls = 1000;

} // namespace

AbstractCanHandler::AbstractCanHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent)
    : QObject(parent)
    , m_pollTimer(this)
    , m_dispatcher(nullptr)
    , m_errorTimer(this)
    , m_startedAt(steadyMilliseconds())
{
    m_pollTimer.setInterval(PollIntervalMs);
    m_pollTimer.setSingleShot(true);
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    m_errorTimer.setInterval(ErrorTimeoutMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &AbstractCanHandler::receiveMessages);
    connect(&m_errorTimer, &QTimer::timeout, this, &AbstractCanHandler::errorTimeout);
    setDispatcher(dispatcher);
}

AbstractCanHandler::~AbstractCanHandler()
{
    setDispatcher(nullptr);
}

int AbstractCanHandler::transceiverIndexForName(const QString &name)
{
    const auto list = transceivers();
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).second == name)
            return i;
    }
    return -1;
}

bool AbstractCanHandler::start()
{
    m_startedAt.store(steadyMilliseconds());
    const bool ok = startImpl();
    setTransmissionState(ok ? Open : Closed);
    return ok;
}

bool AbstractCanHandler::stop()
{
    const bool ok = stopImpl();
    if (ok)
        setTransmissionState(Closed);
    return ok;
}

bool AbstractCanHandler::setTransceiver(int index)
{
    stop();
    {
        // What the previous port received and the window has not taken yet belongs to a bus
        // that is no longer there.
        std::lock_guard locker(m_queueMutex);
        m_packQueue.clear();
    }
    if (index < 0) {
        setLastError(QStringLiteral("Incorrect transceiver index"));
        return false;
    }
    if (unsigned(index) >= transceiversCount()) {
        setLastError(QStringLiteral("Tranceiver %1 unavailable").arg(index));
        return false;
    }
    return setTransceiverImpl(unsigned(index));
}

bool AbstractCanHandler::setBaudRate(unsigned rate)
{
    bool ok = false;
    if (!runInThreadOf(this, [this, rate, &ok] { ok = setBaudRateImpl(rate); }))
        return false;
    if (ok)
        m_baudRate.store(rate);
    return ok;
}

QString AbstractCanHandler::lastError() const
{
    std::lock_guard locker(m_lastErrorMutex);
    return m_lastError;
}

void AbstractCanHandler::setLastError(const QString &text)
{
    std::lock_guard locker(m_lastErrorMutex);
    m_lastError = text;
}

void AbstractCanHandler::receiveMessages()
{
    if (state() != Open) {
        qDebug("Device not open. Not receiving messages");
        return;
    }
    bool ok = true;
    for (;;) {
        unsigned count = 0;
        {
            std::lock_guard locker(m_handlerMutex);
            ok = receiveMessagesImpl(&count);
        }
        {
            std::lock_guard locker(m_sendMutex);
            if (!m_sendQueue.isEmpty()) {
                sendMessages(m_sendQueue.constData(), m_sendQueue.size());
                m_sendQueue.clear();
            }
        }
        if (!ok || count == 0)
            break;
        if (state() != Open)
            setTransmissionState(Open);
        if (count < unsigned(ReadBatchLimit))
            break;
    }
    if (ok) {
        applyLowLatencyToPollTimer();
    } else {
        qDebug("CAN Receive error %s", qUtf8Printable(lastError()));
        if (state() != Error) {
            setTransmissionState(Error);
            applyLowLatencyToPollTimer();
        }
    }
    const quint32 polls = ++m_pollCount;
    if (polls % HousekeepingEveryPolls == 0)
        checkDropNewData();
    // A single-shot poll that just fired must be restarted, also when low latency has just
    // made the timer repeating.
    if (m_pollTimer.isSingleShot() || !m_pollTimer.isActive())
        m_pollTimer.start();
}

void AbstractCanHandler::applyLowLatencyToPollTimer()
{
    m_pollTimer.setSingleShot(!m_lowLatency.load());
}

void AbstractCanHandler::errorTimeout()
{
    if (state() != Error)
        return;
    if (stopImpl())
        setTransmissionState(Closed);
}

void AbstractCanHandler::sendMessage(const CanMessage &message)
{
    const ToolAddress &tool = ToolAddress::of(dispatcher());
    if (!tool.maySend(message)) {
        qDebug("Frame %s not sent: the tool lost its source address",
               qUtf8Printable(message.toString()));
        return;
    }
    {
        std::lock_guard locker(m_sendMutex);
        // A poll cycle holds the adapter: that cycle sends the frame once its read is done.
        // Frames still queued by an earlier call go first: the adapter is free for a moment
        // between a cycle's read and its flush of the queue, and a frame sent at once then
        // would overtake them. (Only try_lock under m_sendMutex: the flush locks the other way.)
        if (!m_sendQueue.isEmpty() || !m_handlerMutex.try_lock()) {
            m_sendQueue.append(message);
            return;
        }
    }
    bool ok = false;
    if (state() == Open)
        sendMessagesImpl(&message, 1, &ok);
    m_handlerMutex.unlock();
    if (ok && state() != Open)
        setTransmissionState(Open);
    enqueueSent(&message, 1,
                ok ? DispatchResult::Status(DispatchResult::Dispatched)
                   : DispatchResult::Dispatched | DispatchResult::TransmitError);
}

void AbstractCanHandler::sendMessages(const CanMessage *messages, int count)
{
    const ToolAddress &tool = ToolAddress::of(dispatcher());
    if (std::any_of(messages, messages + std::max(count, 0),
                    [&tool](const CanMessage &m) { return !tool.maySend(m); })) {
        QVector<CanMessage> allowed;
        std::copy_if(messages, messages + count, std::back_inserter(allowed),
                     [&tool](const CanMessage &m) { return tool.maySend(m); });
        qDebug("%d frames not sent: the tool lost their source address",
               count - int(allowed.size()));
        if (!allowed.isEmpty())
            sendMessages(allowed.constData(), int(allowed.size()));
        return;
    }
    while (count > SendBatchLimit) {
        sendMessages(messages, SendBatchLimit);
        messages += SendBatchLimit;
        count -= SendBatchLimit;
    }
    if (count <= 0)
        return;
    bool ok = false;
    {
        std::lock_guard locker(m_handlerMutex);
        if (state() == Open)
            sendMessagesImpl(messages, unsigned(count), &ok);
    }
    DispatchResult::Status status = DispatchResult::Dispatched;
    if (!ok) {
        status |= DispatchResult::TransmitError;
        if (state() != Error)
            setTransmissionState(Error);
    } else if (state() != Open) {
        setTransmissionState(Open);
    }
    enqueueSent(messages, count, status);
}

void AbstractCanHandler::enqueueSent(const CanMessage *messages, int count,
                                     DispatchResult::Status status)
{
    const DispatchResult result(status, messageElapsedTimer());
    MessagePack pack;
    pack.reserve(count);
    for (int i = 0; i < count; ++i) {
        pack.append(qMakePair(messages[i], result));
        // The sender is the item that transmitted; consumers resolve it through the live-item
        // registry before use. A sender with the filter mark makes the frame a target.
        AbstractDisplayableItem *sender = messages[i].sender;
        pack.last().second.item = sender;
        if (sender && AbstractDisplayableItem::isValid(sender) && sender->isFiltered())
            pack.last().second.status |= DispatchResult::Target;
    }
    enqueueMessagePack(pack);
    if (!(status & DispatchResult::TransmitError)
        && isSignalConnected(QMetaMethod::fromSignal(&AbstractCanHandler::framesSent)))
        emit framesSent(QVector<CanMessage>(messages, messages + count));
}

void AbstractCanHandler::deliverReceived(const QVector<CanMessage> &frames, qint64 timestamp)
{
    const DispatchResult result(DispatchResult::Received, timestamp);
    MessagePack pack;
    pack.reserve(frames.size());
    for (const CanMessage &frame : frames) {
        pack.append(qMakePair(frame, result));
        dispatchMessage(&pack.last());
    }
    enqueueMessagePack(pack);
    emit framesReceived(frames);
}

void AbstractCanHandler::enqueueMessagePack(const MessagePack &pack)
{
    std::lock_guard locker(m_queueMutex);
    m_packQueue.append(pack);
}

void AbstractCanHandler::publishConnections() const
{
    std::lock_guard locker(m_queueMutex);
}

bool AbstractCanHandler::isMessageQueueEmpty() const
{
    std::lock_guard locker(m_queueMutex);
    return m_packQueue.isEmpty();
}

AbstractCanHandler::MessagePack AbstractCanHandler::dequeuePack()
{
    std::lock_guard locker(m_queueMutex);
    if (m_packQueue.isEmpty())
        return {};
    return m_packQueue.takeFirst();
}

void AbstractCanHandler::dispatchMessage(QPair<CanMessage, DispatchResult> *pair)
{
    if (AbstractCanMessageDispatcher *d = m_dispatcher.load())
        d->dispatchMessage(pair->first, &pair->second);
}

qint64 AbstractCanHandler::messageElapsedTimer() const
{
    return steadyMilliseconds() - m_startedAt.load();
}

void AbstractCanHandler::setDispatcher(AbstractCanMessageDispatcher *dispatcher)
{
    AbstractCanMessageDispatcher *old = m_dispatcher.exchange(dispatcher);
    if (old == dispatcher)
        return;
    if (old) {
        AbstractCanHandler *self = this;
        old->m_handler.compare_exchange_strong(self, nullptr);
    }
    // The bus's adapter is the handler that routes to it last (a played recording takes over
    // from the adapter it replaces).
    if (dispatcher)
        dispatcher->m_handler.store(this);
}

void AbstractCanHandler::setFastMode(bool on)
{
    if (QThread::currentThread() != m_pollTimer.thread()) {
        QMetaObject::invokeMethod(
            this, [this, on] { setFastMode(on); }, Qt::QueuedConnection);
        return;
    }
    if (on) {
        const bool wasSingleShot = m_pollTimer.isSingleShot();
        m_pollTimer.setSingleShot(false);
        if (wasSingleShot)
            m_pollTimer.start();
    } else {
        m_pollTimer.setSingleShot(true);
    }
}

void AbstractCanHandler::updateLowLatencyMode()
{
    if (AbstractCanMessageDispatcher *d = m_dispatcher.load())
        m_lowLatency.store(d->isLowLatencyEnabled());
}

void AbstractCanHandler::checkDropNewData()
{
    if (AbstractCanMessageDispatcher *d = m_dispatcher.load())
        d->checkDropNewData();
}

void AbstractCanHandler::postTimerCall(QTimer *timer, const char *method)
{
    QMetaObject::invokeMethod(timer, method, Qt::QueuedConnection);
}

void AbstractCanHandler::setTransmissionState(State newState)
{
    const int old = m_state.exchange(newState);
    if (old == newState)
        return;
    qDebug("Transmission state changed to %d", int(newState));
    switch (newState) {
    case Open:
        qDebug("Starting poll timer");
        postTimerCall(&m_pollTimer, "start");
        emit stateChanged(Open);
        postTimerCall(&m_errorTimer, "stop");
        break;
    case Error:
        emit stateChanged(Error);
        postTimerCall(&m_errorTimer, "start");
        break;
    case Closed:
        qDebug("Stopping poll timer");
        postTimerCall(&m_pollTimer, "stop");
        emit stateChanged(Closed);
        postTimerCall(&m_errorTimer, "stop");
        break;
    }
}
