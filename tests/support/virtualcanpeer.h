#pragma once

#include "can/canmessage.h"

#include <QObject>
#include <QVector>

class QTcpServer;
class QTcpSocket;

// The far end of Qt's virtual CAN bus for tests: a server on a free loopback port that speaks the
// virtualcan plugin's line protocol ("can0:<id>#<flags>#<hex>"), so a handler connected to
// portName() talks to the test instead of to the plugin's own server. The test sends frames with
// any flags (FD, remote), sees what the handler wrote, and can vanish like a crashed bus.
class VirtualCanPeer : public QObject
{
    Q_OBJECT

public:
    explicit VirtualCanPeer(QObject *parent = nullptr);
    ~VirtualCanPeer() override;

    bool listen();
    quint16 port() const;
    // "virtualcan:tcp://127.0.0.1:<port>/can0"
    QString portName() const;
    bool hasClient() const;

    void send(const CanMessage &frame);
    // One line as the plugin's server sends it: "<id>#<flags>#<hex payload>".
    void sendLine(const QByteArray &line);
    QVector<CanMessage> received() const { return m_received; }
    QStringList registeredChannels() const { return m_channels; }
    void vanish();

private:
    void readClient();

    QTcpServer *m_server = nullptr;
    QTcpSocket *m_client = nullptr;
    QVector<CanMessage> m_received;
    QStringList m_channels;
};
