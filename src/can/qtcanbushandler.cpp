#include "can/qtcanbushandler.h"

#include <QCanBus>
#include <QCanBusFrame>
#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

const QString SocketCanPlugin = QStringLiteral("socketcan");

QString socketCanBitRateHint(const QString &interfaceName, unsigned rate)
{
    return QStringLiteral("The system owns the bit rate of %1: set it as root with "
                          "'ip link set %1 type can bitrate %2' and 'ip link set %1 up', then "
                          "start again.")
        .arg(interfaceName)
        .arg(rate);
}

} // namespace

QtCanBusHandler::QtCanBusHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
{}

QtCanBusHandler::~QtCanBusHandler()
{
    stop();
}

bool QtCanBusHandler::probe(QString *why)
{
    if (!QCanBus::instance()->plugins().isEmpty())
        return true;
    if (why)
        *why = QCoreApplication::translate("AdapterChoiceDialog",
                                           "No Qt CAN bus plugins are installed");
    return false;
}

QVariant QtCanBusHandler::deviceConfiguration(int key) const
{
    return m_device ? m_device->configurationParameter(key) : QVariant();
}

QList<QPair<int, QString>> QtCanBusHandler::transceivers()
{
    QList<QPair<int, QString>> list;
    const QStringList plugins = QCanBus::instance()->plugins();
    for (const QString &plugin : plugins) {
        const auto devices = QCanBus::instance()->availableDevices(plugin);
        for (const QCanBusDeviceInfo &info : devices)
            list.append(qMakePair(list.size(), plugin + QLatin1Char(':') + info.name()));
    }
    std::lock_guard locker(m_listMutex);
    for (const QString &extra : qAsConst(m_extraPorts)) {
        if (std::none_of(list.cbegin(), list.cend(), [&](const auto &e) { return e.second == extra; }))
            list.append(qMakePair(list.size(), extra));
    }
    m_listCache = list;
    return list;
}

unsigned QtCanBusHandler::transceiversCount()
{
    return unsigned(transceivers().size());
}

int QtCanBusHandler::transceiverIndexForName(const QString &name)
{
    QString wanted = name;
    const int colon = name.indexOf(QLatin1Char(':'));
    if (colon < 0)
        wanted = SocketCanPlugin + QLatin1Char(':') + name;
    const auto list = transceivers();
    for (const auto &entry : list) {
        if (entry.second == wanted)
            return entry.first;
    }
    const int split = wanted.indexOf(QLatin1Char(':'));
    const QString plugin = wanted.left(split);
    if (split + 1 >= wanted.size() || !QCanBus::instance()->plugins().contains(plugin))
        return -1;
    {
        std::lock_guard locker(m_listMutex);
        m_extraPorts.append(wanted);
    }
    return int(transceivers().size()) - 1;
}

bool QtCanBusHandler::runInThread(const std::function<bool()> &work)
{
    if (QThread::currentThread() == thread() || !thread()->isRunning())
        return work();
    std::atomic<bool> ok{false};
    if (!QMetaObject::invokeMethod(
            this, [&] { ok.store(work()); }, Qt::BlockingQueuedConnection)) {
        setLastError(QStringLiteral("CAN bus call could not reach the bus thread"));
        return false;
    }
    return ok.load();
}

bool QtCanBusHandler::setTransceiverImpl(unsigned index)
{
    return runInThread([this, index] {
        closeDevice();
        std::lock_guard locker(m_listMutex);
        if (index >= unsigned(m_listCache.size())) {
            setLastError(QStringLiteral("Tranceiver %1 unavailable").arg(index));
            return false;
        }
        m_selected = m_listCache.at(int(index)).second;
        return true;
    });
}

QString QtCanBusHandler::pluginName() const
{
    std::lock_guard locker(m_listMutex);
    return m_selected.left(m_selected.indexOf(QLatin1Char(':')));
}

bool QtCanBusHandler::startImpl()
{
    return runInThread([this] { return startInThread(); });
}

void QtCanBusHandler::failWith(const QString &text)
{
    setLastError(text);
    m_failed.store(true);
}

bool QtCanBusHandler::startInThread()
{
    closeDevice();
    QString selected;
    {
        std::lock_guard locker(m_listMutex);
        selected = m_selected;
    }
    const int colon = selected.indexOf(QLatin1Char(':'));
    if (colon <= 0) {
        setLastError(QStringLiteral("No CAN bus interface selected"));
        return false;
    }
    const QString plugin = selected.left(colon);
    const QString interfaceName = selected.mid(colon + 1);
    QString error;
    m_device = QCanBus::instance()->createDevice(plugin, interfaceName, &error);
    if (!m_device) {
        setLastError(error.isEmpty() ? QStringLiteral("Cannot create %1").arg(selected) : error);
        return false;
    }
    m_device->setParent(this);
    m_failed.store(false);
    // Before connecting: backends apply every stored key when they connect, and SocketCAN's own
    // default would otherwise set a J1939 bus to 500 kbit/s.
    m_device->setConfigurationParameter(QCanBusDevice::BitRateKey, baudRate());
    // Sent frames are already shown as sent; their echo would show them twice.
    m_device->setConfigurationParameter(QCanBusDevice::ReceiveOwnKey, false);
    m_device->setConfigurationParameter(QCanBusDevice::CanFdKey, false);
    connect(m_device, &QCanBusDevice::errorOccurred, this, [this](QCanBusDevice::CanBusError e) {
        if (!m_device)
            return;
        qDebug("CAN bus %s: %s", qUtf8Printable(pluginName()),
               qUtf8Printable(m_device->errorString()));
        if (e == QCanBusDevice::ReadError || e == QCanBusDevice::ConnectionError)
            failWith(m_device->errorString());
    });

    QEventLoop wait;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &wait, &QEventLoop::quit);
    connect(m_device, &QCanBusDevice::stateChanged, &wait, [&wait](QCanBusDevice::CanBusDeviceState s) {
        if (s == QCanBusDevice::ConnectedState || s == QCanBusDevice::UnconnectedState)
            wait.quit();
    });
    bool ok = m_device->connectDevice();
    if (ok && m_device->state() == QCanBusDevice::ConnectingState) {
        // The virtual bus and pass-thru connect asynchronously.
        timeout.start(m_connectTimeoutMs.load());
        m_connecting = true;
        wait.exec();
        m_connecting = false;
    }
    ok = ok && m_device->state() == QCanBusDevice::ConnectedState;
    if (!ok) {
        QString text = m_device->errorString();
        if (text.isEmpty())
            text = QStringLiteral("Cannot connect to %1").arg(selected);
        // A SocketCAN interface that is down (or has no rate) is the system's to set up.
        if (plugin == SocketCanPlugin)
            text += QLatin1Char('\n') + socketCanBitRateHint(interfaceName, baudRate());
        setLastError(text);
        closeDevice();
        return false;
    }
    if (m_device->error() == QCanBusDevice::ConfigurationError) {
        // Connected at the rate the interface already has (SocketCAN lets only the system set
        // it, and only while the interface is down): say so, and how to change it.
        QString text = m_device->errorString();
        if (plugin == SocketCanPlugin)
            text += QLatin1Char(' ') + socketCanBitRateHint(interfaceName, baudRate());
        qWarning("%s", qUtf8Printable(text));
    }
    m_failed.store(false);
    m_connected.store(true);
    return true;
}

void QtCanBusHandler::closeDevice()
{
    m_connected.store(false);
    if (!m_device)
        return;
    QCanBusDevice *device = m_device;
    m_device = nullptr;
    device->disconnect(this);
    if (device->state() != QCanBusDevice::UnconnectedState)
        device->disconnectDevice();
    delete device;
    std::lock_guard locker(m_pendingMutex);
    m_pending.clear();
}

bool QtCanBusHandler::stopImpl()
{
    return runInThread([this] {
        closeDevice();
        return true;
    });
}

bool QtCanBusHandler::setBaudRateImpl(unsigned rate)
{
    // Not connected yet: start() sets the rate before it connects.
    if (!m_device || m_device->state() != QCanBusDevice::ConnectedState)
        return true;
    m_device->setConfigurationParameter(QCanBusDevice::BitRateKey, rate);
    if (m_device->error() == QCanBusDevice::NoError)
        return true;
    QString text = m_device->errorString();
    if (pluginName() == SocketCanPlugin) {
        std::lock_guard locker(m_listMutex);
        text += QLatin1Char('\n')
                + socketCanBitRateHint(m_selected.mid(m_selected.indexOf(QLatin1Char(':')) + 1),
                                       rate);
    }
    qWarning("%s", qUtf8Printable(text));
    setLastError(text);
    return false;
}

bool QtCanBusHandler::writeFrames(const QVector<CanMessage> &frames)
{
    if (!m_device || m_device->state() != QCanBusDevice::ConnectedState)
        return false;
    for (const CanMessage &m : frames) {
        quint8 data[CanMessage::MaxLength];
        int length = 0;
        m.getData(data, &length);
        QCanBusFrame frame(m.id & (m.extended ? 0x1FFFFFFFu : 0x7FFu),
                           QByteArray(reinterpret_cast<const char *>(data), length));
        frame.setExtendedFrameFormat(m.extended);
        if (!m_device->writeFrame(frame))
            return false;
    }
    return true;
}

void QtCanBusHandler::writePending()
{
    QVector<CanMessage> frames;
    {
        std::lock_guard locker(m_pendingMutex);
        frames.swap(m_pending);
    }
    if (!frames.isEmpty() && !writeFrames(frames)) {
        // Reported by the next poll cycle, which moves the handler to Error.
        failWith(m_device ? m_device->errorString() : QStringLiteral("CAN bus write failed"));
    }
}

void QtCanBusHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    const QVector<CanMessage> frames(messages, messages + count);
    if (QThread::currentThread() == thread()) {
        writePending();
        *ok = writeFrames(frames);
        return;
    }
    // The device belongs to the bus thread: hand the frames over; a failure to write them shows
    // as a receive error in the next poll cycle.
    *ok = m_connected.load() && !m_failed.load();
    if (!*ok)
        return;
    {
        std::lock_guard locker(m_pendingMutex);
        m_pending += frames;
    }
    QMetaObject::invokeMethod(this, [this] { writePending(); }, Qt::QueuedConnection);
}

bool QtCanBusHandler::isUsableFrame(const QCanBusFrame &frame)
{
    if (frame.frameType() == QCanBusFrame::ErrorFrame) {
        qDebug("CAN bus error frame: %s", qUtf8Printable(m_device->interpretErrorFrame(frame)));
        return false;
    }
    return frame.frameType() == QCanBusFrame::DataFrame && !frame.hasFlexibleDataRateFormat()
           && frame.payload().size() <= CanMessage::MaxLength && !frame.hasLocalEcho();
}

bool QtCanBusHandler::receiveMessagesImpl(unsigned *count)
{
    *count = 0;
    const qint64 stamp = messageElapsedTimer();
    // A restart's poll cycle while the device is being replaced: nothing to read yet.
    if (m_connecting)
        return true;
    writePending();
    if (!m_device) {
        setLastError(QStringLiteral("CAN bus device closed"));
        return false;
    }
    QVector<CanMessage> frames;
    unsigned taken = 0;
    while (taken < unsigned(ReadBatchLimit) && m_device->framesAvailable() > 0) {
        const QCanBusFrame frame = m_device->readFrame();
        ++taken;
        if (!isUsableFrame(frame)) {
            ++m_dropped;
            continue;
        }
        const QByteArray payload = frame.payload();
        CanMessage m(frame.frameId(), reinterpret_cast<const quint8 *>(payload.constData()),
                     payload.size());
        m.extended = frame.hasExtendedFrameFormat();
        frames.append(m);
    }
    *count = taken;
    if (!frames.isEmpty())
        deliverReceived(frames, stamp);
    if (m_device->state() != QCanBusDevice::ConnectedState) {
        m_connected.store(false);
        const QString reason = m_device->errorString();
        setLastError(reason.isEmpty() ? QStringLiteral("CAN bus interface disconnected") : reason);
        return false;
    }
    return !m_failed.load();
}
