#include "can/i7565canhandler.h"
#include "can/threadhandover.h"
#include "can/zentraxv1canhandler.h"
#include "support/adapterbytes.h"
#include "support/adapterharness.h"
#include "support/hex.h"
#include "support/i7565adapterpeer.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/zentraxadapterpeer.h"

#include <QtTest>

#include <memory>

namespace {

enum Adapter { Zentrax, I7565 };

struct Rig
{
    std::unique_ptr<PtyAdapterPeer> peer;
    std::unique_ptr<AbstractCanHandler> handler;
};

Rig makeRig(Adapter adapter)
{
    Rig rig;
    if (adapter == Zentrax) {
        rig.peer = std::make_unique<ZentraxAdapterPeer>();
        rig.handler = std::make_unique<ZentraxV1CanHandler>(nullptr);
    } else {
        rig.peer = std::make_unique<I7565AdapterPeer>();
        rig.handler = std::make_unique<I7565CanHandler>(nullptr);
    }
    return rig;
}

// Opens the far end and selects it as the handler's port.
bool connectRig(Rig &rig)
{
    return rig.peer->open()
           && rig.handler->setTransceiver(rig.handler->transceiverIndexForName(rig.peer->portPath()));
}

} // namespace

Q_DECLARE_METATYPE(Adapter)

class tst_SerialHandlers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void adapters_data();
    void selectionByPath_data() { adapters_data(); }
    void selectionByPath();
    void rateThenStart_data();
    void rateThenStart();
    void framesFromAdapter_data();
    void framesFromAdapter();
    void handlerInBusThread();
};

void tst_SerialHandlers::adapters_data()
{
    QTest::addColumn<Adapter>("adapter");
    QTest::newRow("zentrax") << Zentrax;
    QTest::newRow("i7565") << I7565;
}

void tst_SerialHandlers::selectionByPath()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    QVERIFY(rig.peer->open());
    const int index = rig.handler->transceiverIndexForName(rig.peer->portPath());
    QVERIFY(index >= 0);
    QCOMPARE(rig.handler->transceivers().at(index).second, rig.peer->portPath());
    QVERIFY2(rig.handler->setTransceiver(index), qPrintable(rig.handler->lastError()));
    QVERIFY(rig.handler->lastError().isEmpty());
    // The same path again maps to the same entry; paths of no port map to none.
    QCOMPARE(rig.handler->transceiverIndexForName(rig.peer->portPath()), index);
    QCOMPARE(rig.handler->transceiverIndexForName(QStringLiteral("/dev/no-such-adapter")), -1);
    QCOMPARE(rig.handler->transceiverIndexForName(QStringLiteral("not-a-port")), -1);
}

void tst_SerialHandlers::rateThenStart_data()
{
    QTest::addColumn<Adapter>("adapter");
    QTest::addColumn<unsigned>("refused");
    QTest::addColumn<QByteArray>("rateBytes");  // written once the rate is set
    QTest::addColumn<QByteArray>("startBytes"); // written by the start after it
    QTest::newRow("zentrax") << Zentrax << 800000u << hex("f00303faf00283") << QByteArray();
    QTest::newRow("i7565") << I7565 << 83333u << QByteArray("P15\r") << QByteArray("C\r");
}

// Selection opens the port, the rate goes out at once, and start finds the port open.
void tst_SerialHandlers::rateThenStart()
{
    QFETCH(Adapter, adapter);
    QFETCH(unsigned, refused);
    QFETCH(QByteArray, rateBytes);
    QFETCH(QByteArray, startBytes);
    Rig rig = makeRig(adapter);
    QVERIFY(connectRig(rig));
    QVERIFY(!rig.handler->setBaudRate(refused));
    QVERIFY(rig.handler->setBaudRate(250000));
    QCOMPARE(rig.handler->baudRate(), 250000u);
    QTRY_COMPARE(rig.peer->written(), rateBytes);
    QVERIFY(rig.handler->start());
    QVERIFY(rig.handler->isOpen());
    QTRY_COMPARE(rig.peer->written(), rateBytes + startBytes);
    QTest::qWait(20);
    QCOMPARE(rig.peer->written(), rateBytes + startBytes);
}

void tst_SerialHandlers::framesFromAdapter_data()
{
    QTest::addColumn<Adapter>("adapter");
    QTest::addColumn<int>("chunk");
    for (Adapter a : {Zentrax, I7565}) {
        const char *name = a == Zentrax ? "zentrax" : "i7565";
        for (int chunk : {0, 1, 3, 7}) {
            QTest::addRow("%s, chunks of %d", name, chunk) << a << chunk;
        }
    }
}

void tst_SerialHandlers::framesFromAdapter()
{
    QFETCH(Adapter, adapter);
    QFETCH(int, chunk);
    Rig rig = makeRig(adapter);
    QVERIFY(connectRig(rig));
    QVERIFY(rig.handler->start());
    QVector<CanMessage> sent;
    for (int i = 0; i < 300; ++i) {
        sent << (i % 5 == 0
                     ? makeFrame(0x1F0 + quint32(i % 8), {quint8(i)}, false)
                     : makeFrame(0x18F0F000 | quint32(i), {0xF0, quint8(i), 0xF0, quint8(i >> 8)}));
    }
    QVERIFY(rig.peer->deliver(serialAdapterBytes(adapter == Zentrax, sent),
                              chunk == 0 ? 0 : chunk * 97));
    const QVector<CanMessage> got = collectReceived(*rig.handler, sent.size());
    QCOMPARE(got.size(), sent.size());
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(got.at(i).toString(), sent.at(i).toString());
    QVERIFY(rig.handler->isOpen());
}

void tst_SerialHandlers::handlerInBusThread()
{
    ZentraxAdapterPeer peer;
    QVERIFY(peer.open());
    QThread bus;
    QObject inBus;
    inBus.moveToThread(&bus);
    bus.start();
    ZentraxV1CanHandler *handler = nullptr;
    // Created inside the bus thread, as the program does, so its port lives there.
    QVERIFY(runInThreadOf(&inBus, [&] { handler = new ZentraxV1CanHandler(nullptr); }));
    QVERIFY(handler);
    QCOMPARE(handler->thread(), &bus);
    const int index = handler->transceiverIndexForName(peer.portPath());
    QVERIFY(handler->setTransceiver(index));
    QVERIFY(handler->setBaudRate(1000000));
    QVERIFY(handler->start());
    QTRY_COMPARE(peer.lastBitRateCode(), 0xFE);
    peer.deliver(zentraxFramePacket(0x0CF00400, true, QByteArray::fromHex("f0ff7d")));
    const QVector<CanMessage> got = collectReceived(*handler, 1);
    QCOMPARE(got.size(), 1);
    QCOMPARE(got.first().toString(), QStringLiteral("3 f00400 f0 ff 7d"));
    QVERIFY(handler->stop());
    QMetaObject::invokeMethod(handler, "deleteLater", Qt::BlockingQueuedConnection);
    bus.quit();
    QVERIFY(bus.wait(5000));
}

QTEST_MAIN(tst_SerialHandlers)
#include "tst_serialhandlers.moc"
