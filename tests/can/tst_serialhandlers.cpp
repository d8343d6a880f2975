#include "can/i7565canhandler.h"
#include "can/threadhandover.h"
#include "can/zentraxv1canhandler.h"
#include "support/adapterbytes.h"
#include "support/adapterharness.h"
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

// What the adapter sends for a frame.
QByteArray adapterBytes(Adapter adapter, const CanMessage &m)
{
    if (adapter == Zentrax)
        return zentraxFramePacket(m.id, m.extended,
                                  QByteArray(reinterpret_cast<const char *>(m.data), m.length));
    QByteArray line;
    I7565Codec::encodeFrame(m, &line);
    return line;
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
    void unknownPathRefused_data() { adapters_data(); }
    void unknownPathRefused();
    void bitRateCommands();
    void startSequence();
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
    // The same path again maps to the same entry.
    QCOMPARE(rig.handler->transceiverIndexForName(rig.peer->portPath()), index);
}

void tst_SerialHandlers::unknownPathRefused()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    QCOMPARE(rig.handler->transceiverIndexForName(QStringLiteral("/dev/no-such-adapter")), -1);
    QCOMPARE(rig.handler->transceiverIndexForName(QStringLiteral("not-a-port")), -1);
}

void tst_SerialHandlers::bitRateCommands()
{
    {
        Rig rig = makeRig(Zentrax);
        QVERIFY(connectRig(rig));
        QVERIFY(!rig.handler->setBaudRate(800000));
        QVERIFY(rig.handler->setBaudRate(500000));
        QCOMPARE(rig.handler->baudRate(), 500000u);
        QTRY_COMPARE(rig.peer->written().toHex(), QByteArray("f00303fcf00283"));
        auto *peer = static_cast<ZentraxAdapterPeer *>(rig.peer.get());
        QCOMPARE(peer->lastBitRateCode(), 0xFC);
        QCOMPARE(peer->settingsCommits(), 1);
    }
    {
        Rig rig = makeRig(I7565);
        QVERIFY(connectRig(rig));
        QVERIFY(!rig.handler->setBaudRate(83333));
        QVERIFY(rig.handler->setBaudRate(250000));
        QTRY_COMPARE(static_cast<I7565AdapterPeer *>(rig.peer.get())->lines(), QStringList{"P15"});
        QCOMPARE(rig.peer->written(), QByteArray("P15\r"));
    }
}

void tst_SerialHandlers::startSequence()
{
    {
        // Selection opens the port, the rate goes out, start finds the port open.
        Rig rig = makeRig(Zentrax);
        QVERIFY(connectRig(rig));
        QVERIFY(rig.handler->setBaudRate(250000));
        QVERIFY(rig.handler->start());
        QVERIFY(rig.handler->isOpen());
        QTRY_COMPARE(rig.peer->written().toHex(), QByteArray("f00303faf00283"));
        QTest::qWait(20);
        QCOMPARE(rig.peer->written().size(), 7);
    }
    {
        Rig rig = makeRig(I7565);
        QVERIFY(connectRig(rig));
        QVERIFY(rig.handler->setBaudRate(250000));
        QVERIFY(rig.handler->start());
        QTRY_COMPARE(static_cast<I7565AdapterPeer *>(rig.peer.get())->lines(),
                     (QStringList{"P15", "C"}));
    }
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
    QByteArray stream;
    for (int i = 0; i < 300; ++i) {
        const CanMessage m = i % 5 == 0 ? makeFrame(0x1F0 + quint32(i % 8), {quint8(i)}, false)
                                        : makeFrame(0x18F0F000 | quint32(i),
                                                    {0xF0, quint8(i), 0xF0, quint8(i >> 8)});
        sent << m;
        stream += adapterBytes(adapter, m);
    }
    QVERIFY(rig.peer->deliver(stream, chunk == 0 ? 0 : chunk * 97));
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
