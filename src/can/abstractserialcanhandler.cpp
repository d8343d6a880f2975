#include "can/abstractserialcanhandler.h"

#include "can/threadhandover.h"

#include <QDebug>
#include <QFileInfo>
#include <QMetaObject>
#include <QSerialPortInfo>
#include <QThread>

#include <algorithm>
#include <mutex>

AbstractSerialCanHandler::AbstractSerialCanHandler(AbstractCanMessageDispatcher *dispatcher,
                                                   QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
    , m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::errorOccurred, this, &AbstractSerialCanHandler::onPortError);
}

QList<QPair<int, QString>> AbstractSerialCanHandler::transceivers()
{
    QList<QPair<int, QString>> list;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        list.append(qMakePair(list.size(), info.portName()));
    std::lock_guard locker(m_cacheMutex);
    for (const QString &extra : qAsConst(m_extraPorts))
        list.append(qMakePair(list.size(), extra));
    m_transceiverCache = list;
    return list;
}

unsigned AbstractSerialCanHandler::transceiversCount()
{
    return unsigned(transceivers().size());
}

int AbstractSerialCanHandler::transceiverIndexForName(const QString &name)
{
    const auto list = transceivers();
    const QString location = QFileInfo(name).absoluteFilePath();
    for (int i = 0; i < list.size(); ++i) {
        const QString &listed = list.at(i).second;
        if (listed == name || QSerialPortInfo(listed).systemLocation() == location)
            return i;
    }
    if (!name.startsWith(QLatin1Char('/')) || !QFileInfo::exists(name))
        return -1;
    {
        std::lock_guard locker(m_cacheMutex);
        m_extraPorts.append(name);
    }
    return int(transceivers().size()) - 1;
}

QString AbstractSerialCanHandler::cachedPortName(unsigned id) const
{
    std::lock_guard locker(m_cacheMutex);
    return id < unsigned(m_transceiverCache.size()) ? m_transceiverCache.at(int(id)).second
                                                    : QString();
}

bool AbstractSerialCanHandler::invokeInThread(const char *method, const char *faultText,
                                              unsigned *id)
{
    bool ok = false;
    bool invoked = false;
    runInThreadOf(this, [&] {
        invoked = id ? QMetaObject::invokeMethod(this, method, Qt::DirectConnection,
                                                 Q_RETURN_ARG(bool, ok), Q_ARG(unsigned, *id))
                     : QMetaObject::invokeMethod(this, method, Qt::DirectConnection,
                                                 Q_RETURN_ARG(bool, ok));
    });
    if (!invoked) {
        setLastError(QString::fromLatin1(faultText));
        return false;
    }
    return ok;
}

bool AbstractSerialCanHandler::setTransceiverImpl(unsigned id)
{
    return invokeInThread("setTransceiverInThreadImpl", "setTransceiverImpl invokeFault", &id);
}

bool AbstractSerialCanHandler::startImpl()
{
    return invokeInThread("startInThreadImpl", "startImpl invokeFault", nullptr);
}

bool AbstractSerialCanHandler::stopImpl()
{
    if (QThread::currentThread() != thread()) {
        // The port belongs to the bus thread.
        bool ok = false;
        runInThreadOf(this, [this, &ok] { ok = stopImpl(); });
        return ok;
    }
    if (m_port->isOpen())
        m_port->close();
    return true;
}

bool AbstractSerialCanHandler::openPort(const QString &name)
{
    if (m_port->isOpen())
        m_port->close();
    m_port->setPortName(name);
    const bool ok = !name.isEmpty() && m_port->open(QIODevice::ReadWrite);
    setLastError(ok ? QString() : QStringLiteral("Port %1 open fault").arg(name));
    return ok;
}

void AbstractSerialCanHandler::updateTrivialPortParameters()
{
    m_port->setBaudRate(LineBaudRate, QSerialPort::AllDirections);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
}

qint64 AbstractSerialCanHandler::readPort(char *buffer, qint64 room)
{
    if (!m_port->isOpen()) {
        if (lastError().isEmpty())
            setLastError(QStringLiteral("Port %1 is closed").arg(m_port->portName()));
        return -1;
    }
    if (room <= 0)
        return 0;
    const qint64 n = m_port->read(buffer, room);
    if (n < 0)
        setLastError(m_port->errorString());
    return n;
}

bool AbstractSerialCanHandler::receiveMessagesImpl(unsigned *count)
{
    const qint64 stamp = messageElapsedTimer();
    QVector<CanMessage> frames;
    decode(&frames, ReadBatchLimit);
    char chunk[4096];
    bool ok = true;
    while (frames.size() < ReadBatchLimit) {
        const qint64 n = readPort(chunk, std::min<qint64>(decoderRoom(), sizeof chunk));
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        feedDecoder(chunk, int(n));
        decode(&frames, ReadBatchLimit - frames.size());
    }
    *count = unsigned(frames.size());
    deliverReceived(frames, stamp);
    return ok;
}

void AbstractSerialCanHandler::onPortError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::NotOpenError)
        return;
    qDebug("Serial port %s: %s", qUtf8Printable(m_port->portName()),
           qUtf8Printable(m_port->errorString()));
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        // The adapter is gone (a removed device reads as an error or a hang-up): close now so a
        // dead descriptor cannot keep the event loop busy; the next poll reports the failure and
        // the handler moves to Error, then Closed.
        setLastError(QStringLiteral("Port %1: %2").arg(m_port->portName(), m_port->errorString()));
        m_port->close();
    }
}
