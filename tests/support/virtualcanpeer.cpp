#include "support/virtualcanpeer.h"

#include <QTcpServer>
#include <QTcpSocket>

VirtualCanPeer::VirtualCanPeer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            m_client = socket;
            connect(socket, &QTcpSocket::readyRead, this, &VirtualCanPeer::readClient);
        }
    });
}

VirtualCanPeer::~VirtualCanPeer() = default;

bool VirtualCanPeer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 VirtualCanPeer::port() const
{
    return m_server->serverPort();
}

QString VirtualCanPeer::portName() const
{
    return QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(port());
}

bool VirtualCanPeer::hasClient() const
{
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
}

void VirtualCanPeer::send(const CanMessage &frame)
{
    const QByteArray payload(reinterpret_cast<const char *>(frame.data), frame.length);
    sendLine(QByteArray::number(frame.id) + '#' + (frame.extended ? "X" : "") + '#'
             + payload.toHex());
}

void VirtualCanPeer::sendLine(const QByteArray &line)
{
    if (m_client)
        m_client->write(line + '\n');
}

void VirtualCanPeer::readClient()
{
    while (m_client && m_client->canReadLine()) {
        const QByteArray line = m_client->readLine().trimmed();
        if (line.startsWith("connect:") || line.startsWith("disconnect:")) {
            if (line.startsWith("connect:"))
                m_channels << QString::fromLatin1(line.mid(8));
            continue;
        }
        const int colon = line.indexOf(':');
        const QList<QByteArray> parts = line.mid(colon + 1).split('#');
        if (parts.size() != 3)
            continue;
        const QByteArray data = QByteArray::fromHex(parts.at(2));
        CanMessage m(parts.at(0).toUInt(), reinterpret_cast<const quint8 *>(data.constData()),
                     data.size());
        m.length = quint8(data.size());
        m.extended = parts.at(1).contains('X');
        m_received << m;
    }
}

void VirtualCanPeer::vanish()
{
    if (m_client)
        m_client->abort();
    m_server->close();
}
