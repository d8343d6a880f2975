#include "can/qtcanbushandler.h"
#include "can/threadhandover.h"
#include "support/adapterharness.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/virtualcanpeer.h"

#include <QCanBus>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool connectTo(AbstractCanHandler &handler, const QString &port)
{
    const int index = handler.transceiverIndexForName(port);
    return index >= 0 && handler.setTransceiver(index) && handler.start();
}

} // namespace

class tst_QtCanBusHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void twoInstancesOnQtsVirtualBus();
    void portNames_data();
    void portNames();
    void fdRemoteAndErrorFramesDropped();
    void bitRateSetBeforeConnecting();
    void unusableInterfaceFails();
    void handlerInBusThread();
    void socketCanVcan0();

private:
    QString m_bus; // Qt's virtual bus, served by this test
};

void tst_QtCanBusHandler::initTestCase()
{
    TestEnvironment::init();
    if (!QCanBus::instance()->plugins().contains(QStringLiteral("virtualcan")))
        QSKIP("Qt's virtualcan plugin is not installed");
    // Qt's virtual bus is served by the first handler of the process that opens a local address,
    // on that address's port, until the process ends: here, on a port of this test's own, so
    // that no test starts it on port 1, where unusableInterfaceFails wants nothing to listen.
    m_bus = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(freePort());
    QtCanBusHandler first(nullptr);
    QVERIFY2(connectTo(first, m_bus), qPrintable(first.lastError()));
}

// What the README shows with two Tarvik windows: two handlers on Qt's own virtual bus see each
// other's frames.
void tst_QtCanBusHandler::twoInstancesOnQtsVirtualBus()
{
    const QString &port = m_bus;
    QtCanBusHandler a(nullptr);
    QtCanBusHandler b(nullptr);
    QVERIFY2(connectTo(a, port), qPrintable(a.lastError()));
    QVERIFY2(connectTo(b, port), qPrintable(b.lastError()));
    // The server learns a client's channel from its first line, which can reach it after the
    // other client's first frame: send until both sides heard each other.
    QVector<CanMessage> atA;
    QVector<CanMessage> atB;
    for (int attempt = 0; attempt < 100 && (atA.isEmpty() || atB.isEmpty()); ++attempt) {
        if (atB.isEmpty())
            a.sendMessage(makeFrame(0x18FEF100, {1, 2, 3}));
        if (atA.isEmpty())
            b.sendMessage(makeFrame(0x1A0, {9}, false));
        QTest::qWait(20);
        atA += drainReceived(a);
        atB += drainReceived(b);
    }
    QVERIFY(!atB.isEmpty());
    QCOMPARE(atB.first().toString(), makeFrame(0x18FEF100, {1, 2, 3}).toString());
    QVERIFY(!atA.isEmpty());
    QCOMPARE(atA.first().toString(), QStringLiteral("SID1a0 09"));
    QVERIFY(!atA.first().extended);
}

void tst_QtCanBusHandler::portNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("listed");
    QTest::newRow("listed virtual channel") << "virtualcan:can1" << "virtualcan:can1";
    QTest::newRow("bare interface is SocketCAN") << "can0" << "socketcan:can0";
    QTest::newRow("unlisted URL accepted")
        << "virtualcan:tcp://127.0.0.1:1/can0" << "virtualcan:tcp://127.0.0.1:1/can0";
    QTest::newRow("unknown plugin refused") << "nosuchplugin:can0" << "";
    QTest::newRow("plugin without interface refused") << "virtualcan:" << "";
}

void tst_QtCanBusHandler::portNames()
{
    QFETCH(QString, name);
    QFETCH(QString, listed);
    if (listed.startsWith(QLatin1String("socketcan"))
        && !QCanBus::instance()->plugins().contains(QStringLiteral("socketcan")))
        QSKIP("no socketcan plugin");
    QtCanBusHandler handler(nullptr);
    const int index = handler.transceiverIndexForName(name);
    if (listed.isEmpty()) {
        QCOMPARE(index, -1);
        return;
    }
    QVERIFY(index >= 0);
    QCOMPARE(handler.transceivers().at(index).second, listed);
    QCOMPARE(handler.transceiverIndexForName(name), index);
    QCOMPARE(int(handler.transceiversCount()), handler.transceivers().size());
}

void tst_QtCanBusHandler::fdRemoteAndErrorFramesDropped()
{
    VirtualCanPeer peer;
    QVERIFY(peer.listen());
    QtCanBusHandler handler(nullptr);
    QVERIFY2(connectTo(handler, peer.portName()), qPrintable(handler.lastError()));
    QTRY_VERIFY(peer.hasClient());
    QTRY_COMPARE(peer.registeredChannels(), QStringList{"can0"});
    peer.sendLine("657#XF#0102030405060708090a0b0c"); // CAN FD, 12 bytes
    peer.sendLine("657#XR#");                         // remote request
    peer.sendLine("657#XL#01");                       // a local echo
    peer.sendLine("419361024#X#0102");
    QVector<CanMessage> frames;
    QTRY_VERIFY_WITH_TIMEOUT((frames += drainReceived(handler), !frames.isEmpty()), 5000);
    QTest::qWait(20);
    frames += drainReceived(handler);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first().toString(), makeFrame(419361024u, {1, 2}).toString());
    QCOMPARE(handler.droppedFrames(), 3u);
    QVERIFY(handler.isOpen());
}

void tst_QtCanBusHandler::bitRateSetBeforeConnecting()
{
    VirtualCanPeer peer;
    QVERIFY(peer.listen());
    QtCanBusHandler handler(nullptr);
    QVERIFY(handler.setTransceiver(handler.transceiverIndexForName(peer.portName())));
    // Not connected: accepted, and start() connects at that rate.
    QVERIFY(handler.setBaudRate(500000));
    QCOMPARE(handler.baudRate(), 500000u);
    QVERIFY(handler.start());
    // The virtual bus keeps no rate (SocketCAN's is checked on vcan0); the echo of own frames is
    // off and classic frames only.
    QCOMPARE(handler.deviceConfiguration(QCanBusDevice::ReceiveOwnKey), QVariant(false));
    QCOMPARE(handler.deviceConfiguration(QCanBusDevice::CanFdKey), QVariant(false));
    // The virtual bus ignores the rate once connected; a change is accepted.
    QVERIFY(handler.setBaudRate(250000));
}

void tst_QtCanBusHandler::unusableInterfaceFails()
{
    QtCanBusHandler handler(nullptr);
    handler.setConnectTimeout(200);
    // The virtual bus has channels can0 and can1 only.
    QVERIFY(handler.setTransceiver(handler.transceiverIndexForName(
        QStringLiteral("virtualcan:tcp://127.0.0.1:1/can7"))));
    QVERIFY(!handler.start());
    QVERIFY2(handler.lastError().contains(QLatin1String("can7")), qPrintable(handler.lastError()));
    QCOMPARE(handler.state(), AbstractCanHandler::Closed);
    // Nothing listens on port 1: the connection is refused, and start() says so.
    QVERIFY(handler.setTransceiver(handler.transceiverIndexForName(
        QStringLiteral("virtualcan:tcp://127.0.0.1:1/can0"))));
    QVERIFY(!handler.start());
    QVERIFY(!handler.lastError().isEmpty());
    if (!QCanBus::instance()->plugins().contains(QStringLiteral("socketcan")))
        return;
    // A SocketCAN interface that cannot be used says how the system sets it up.
    QVERIFY(handler.setTransceiver(handler.transceiverIndexForName(QStringLiteral("tvk9"))));
    QVERIFY(!handler.start());
    QVERIFY2(handler.lastError().contains(
                 QLatin1String("ip link set tvk9 type can bitrate 250000")),
             qPrintable(handler.lastError()));
}

void tst_QtCanBusHandler::handlerInBusThread()
{
    VirtualCanPeer peer;
    QVERIFY(peer.listen());
    QThread bus;
    bus.start();
    QObject inBus;
    inBus.moveToThread(&bus);
    Exposed<QtCanBusHandler> *handler = nullptr;
    QVERIFY(runInThreadOf(&inBus, [&] { handler = new Exposed<QtCanBusHandler>(nullptr); }));
    QVERIFY(runInThreadOf(&inBus, [&] { handler->errorTimer()->setInterval(100); }));
    // The start-up calls come from this (GUI) thread and run in the bus thread.
    QVERIFY2(connectTo(*handler, peer.portName()), qPrintable(handler->lastError()));
    QTRY_VERIFY(peer.hasClient());
    // Frames sent from this thread are written by the bus thread, in order.
    QVector<CanMessage> sent;
    for (int i = 0; i < 200; ++i)
        sent << makeFrame(0x0CF00400u + quint32(i % 3), {quint8(i)}, i % 2 == 0);
    for (const CanMessage &m : sent)
        handler->sendMessage(m);
    QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), sent.size(), 5000);
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(peer.received().at(i).toString(), sent.at(i).toString());
    for (int i = 0; i < 200; ++i)
        peer.send(sent.at(i));
    QVector<CanMessage> got;
    QTRY_VERIFY_WITH_TIMEOUT((got += drainReceived(*handler), got.size() >= 200), 5000);
    QCOMPARE(got.size(), 200);
    QCOMPARE(got.last().toString(), sent.last().toString());
    // The peer vanishing ends in Closed.
    peer.vanish();
    QTRY_COMPARE_WITH_TIMEOUT(handler->state(), AbstractCanHandler::Closed, 5000);
    QMetaObject::invokeMethod(handler, "deleteLater", Qt::BlockingQueuedConnection);
    bus.quit();
    QVERIFY(bus.wait(5000));
}

void tst_QtCanBusHandler::socketCanVcan0()
{
    if (!QCanBus::instance()->plugins().contains(QStringLiteral("socketcan")))
        QSKIP("no socketcan plugin");
    bool hasVcan0 = false;
    for (const QCanBusDeviceInfo &info :
         QCanBus::instance()->availableDevices(QStringLiteral("socketcan")))
        hasVcan0 = hasVcan0 || info.name() == QLatin1String("vcan0");
    if (!hasVcan0)
        QSKIP("no vcan0 on this machine (modprobe vcan; ip link add vcan0 type vcan; ip link set "
              "vcan0 up)");
    QtCanBusHandler a(nullptr);
    QtCanBusHandler b(nullptr);
    QVERIFY(a.setTransceiver(a.transceiverIndexForName(QStringLiteral("vcan0"))));
    QVERIFY(a.setBaudRate(500000));
    QVERIFY2(a.start(), qPrintable(a.lastError()));
    // Set before connecting, so the backend did not fall back to its own default.
    QCOMPARE(a.deviceConfiguration(QCanBusDevice::BitRateKey).toUInt(), 500000u);
    QVERIFY2(connectTo(b, QStringLiteral("socketcan:vcan0")), qPrintable(b.lastError()));
    a.sendMessage(makeFrame(0x18FEF100, {1, 2, 3}));
    QVector<CanMessage> atB;
    QTRY_VERIFY_WITH_TIMEOUT((atB += drainReceived(b), !atB.isEmpty()), 5000);
    QCOMPARE(atB.first().toString(), makeFrame(0x18FEF100, {1, 2, 3}).toString());
    QTest::qWait(20);
    QVERIFY(drainReceived(a).isEmpty());
}

QTEST_MAIN(tst_QtCanBusHandler)
#include "tst_qtcanbushandler.moc"
