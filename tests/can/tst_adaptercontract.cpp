#include "can/i7565canhandler.h"
#include "can/i7565codec.h"
#include "can/j2534canhandler.h"
#include "can/rp1210canhandler.h"
#include "can/slcancanhandler.h"
#include "can/slmcpcanhandler.h"
#include "can/threadhandover.h"
#include "can/zentraxv1canhandler.h"
#include "can/zentraxv1codec.h"
#include "support/adapterbytes.h"
#include "support/adapterharness.h"
#include "support/fakelibrary.h"
#include "support/hex.h"
#include "support/i7565adapterpeer.h"
#include "support/rp1210folder.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/zentraxadapterpeer.h"
#ifdef TARVIK_HAVE_SERIALBUS
#include "can/qtcanbushandler.h"
#include "support/virtualcanpeer.h"
#endif

#include <QtTest>

#include <memory>

// One contract, every adapter: each production handler runs against its stand-in far end (a
// pseudo-terminal peer, a fake vendor library, a virtual CAN bus peer); and what only the serial
// adapters do with their port.
namespace {

enum Adapter { OnZentrax, OnI7565, OnJ2534, OnSlcan, OnSlmcp, OnCanBus, OnRp1210, OnRp1210Can };

// A frame as the far end saw it: direction-independent text, exact in every field.
QString exact(const CanMessage &m)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(m.extended ? 'X' : 'S')
        .arg(m.id, 8, 16, QLatin1Char('0'))
        .arg(m.length)
        .arg(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(m.data), qMin<int>(m.length, 8)).toHex()));
}

class FarEnd
{
public:
    virtual ~FarEnd() = default;
    virtual QString portName() = 0;
    virtual void deliver(const QVector<CanMessage> &frames) = 0;
    // Everything that arrived at the far end so far, and what should have for `sent`.
    virtual QStringList written() = 0;
    virtual QStringList expected(const QVector<CanMessage> &sent)
    {
        QStringList out;
        for (const CanMessage &m : sent)
            out << exact(m);
        return out;
    }
    virtual void breakReads() = 0;
    // A J1939 client carries extended frames only.
    virtual bool carriesStandardFrames() const { return true; }
};

class PtyEnd : public FarEnd
{
public:
    explicit PtyEnd(Adapter adapter)
        : m_adapter(adapter)
    {
        if (adapter == OnZentrax)
            m_peer = std::make_unique<ZentraxAdapterPeer>();
        else
            m_peer = std::make_unique<I7565AdapterPeer>();
        m_peer->open();
    }
    QString portName() override { return m_peer->portPath(); }
    void deliver(const QVector<CanMessage> &frames) override
    {
        m_peer->deliver(serialAdapterBytes(m_adapter == OnZentrax, frames));
    }
    // The serial adapters' wire bytes, compared whole.
    QStringList written() override { return {QString::fromLatin1(m_peer->written().toHex())}; }
    QStringList expected(const QVector<CanMessage> &sent) override
    {
        QByteArray bytes;
        for (const CanMessage &m : sent) {
            if (m_adapter == OnZentrax)
                ZentraxV1Codec::encodeFrame(m, &bytes);
            else
                I7565Codec::encodeFrame(m, &bytes);
        }
        return {QString::fromLatin1(bytes.toHex())};
    }
    void clearWritten() { m_peer->clearWritten(); }
    PtyAdapterPeer &peer() { return *m_peer; }
    void breakReads() override { m_peer->unplug(); }

private:
    Adapter m_adapter;
    std::unique_ptr<PtyAdapterPeer> m_peer;
};

class LibraryEnd : public FarEnd
{
public:
    explicit LibraryEnd(FakeLibrary::Kind kind)
        : m_fake(kind)
        , m_kind(kind)
    {}
    QString portName() override
    {
        return m_kind == FakeLibrary::J2534    ? QStringLiteral("J2534")
               : m_kind == FakeLibrary::Slcan  ? QStringLiteral("FAKE-0")
               : m_kind == FakeLibrary::Rp1210 ? Rp1210Folder::portName()
                                               : QStringLiteral("SN0005");
    }
    void deliver(const QVector<CanMessage> &frames) override { m_fake.queue(frames); }
    QStringList written() override
    {
        for (const CanMessage &m : m_fake.takeWritten())
            m_written << exact(m);
        return m_written;
    }
    void breakReads() override
    {
        m_fake.failNext(m_kind == FakeLibrary::J2534    ? "PassThruReadMsgs"
                        : m_kind == FakeLibrary::Slcan  ? "SlCan_DeviceReadMessages"
                        : m_kind == FakeLibrary::Rp1210 ? "RP1210_ReadMessage"
                                                        : "CnRecievePackets",
                        m_kind == FakeLibrary::Rp1210 ? 142 : 8);
    }
    FakeLibrary &fake() { return m_fake; }
    FakeLibrary::Kind kind() const { return m_kind; }

private:
    FakeLibrary m_fake;
    FakeLibrary::Kind m_kind;
    QStringList m_written;
};

// The heavy-duty adapter's fake library behind a folder of INI files naming it.
class Rp1210End : public LibraryEnd
{
public:
    explicit Rp1210End(Rp1210Records::Protocol protocol)
        : LibraryEnd(FakeLibrary::Rp1210)
        , m_protocol(protocol)
    {}
    Rp1210CanHandler::Options options() const { return m_folder.options(m_protocol); }
    bool carriesStandardFrames() const override
    {
        return m_protocol == Rp1210Records::Protocol::Can;
    }

private:
    Rp1210Folder m_folder;
    Rp1210Records::Protocol m_protocol;
};

#ifdef TARVIK_HAVE_SERIALBUS
class VirtualBusEnd : public FarEnd
{
public:
    VirtualBusEnd() { m_peer.listen(); }
    QString portName() override { return m_peer.portName(); }
    void deliver(const QVector<CanMessage> &frames) override
    {
        for (const CanMessage &m : frames)
            m_peer.send(m);
    }
    QStringList written() override
    {
        QStringList out;
        for (const CanMessage &m : m_peer.received())
            out << exact(m);
        return out;
    }
    void breakReads() override { m_peer.vanish(); }

private:
    VirtualCanPeer m_peer;
};
#endif

struct Rig
{
    std::unique_ptr<FarEnd> end;
    std::unique_ptr<AbstractCanHandler> handler;
    QTimer *errorTimer = nullptr;
};

template<typename Handler, typename... Args>
void makeHandler(Rig &rig, Args... args)
{
    auto *h = new Exposed<Handler>(nullptr, args...);
    rig.errorTimer = h->errorTimer();
    rig.handler.reset(h);
}

Rig makeRig(Adapter adapter)
{
    Rig rig;
    switch (adapter) {
    case OnZentrax:
        rig.end = std::make_unique<PtyEnd>(OnZentrax);
        makeHandler<ZentraxV1CanHandler>(rig);
        break;
    case OnI7565:
        rig.end = std::make_unique<PtyEnd>(OnI7565);
        makeHandler<I7565CanHandler>(rig);
        break;
    case OnJ2534:
        rig.end = std::make_unique<LibraryEnd>(FakeLibrary::J2534);
        makeHandler<J2534CanHandler>(rig, FakeLibrary::pathOf(FakeLibrary::J2534));
        break;
    case OnSlcan:
        rig.end = std::make_unique<LibraryEnd>(FakeLibrary::Slcan);
        makeHandler<SlcanCanHandler>(rig, FakeLibrary::pathOf(FakeLibrary::Slcan));
        break;
    case OnSlmcp:
        rig.end = std::make_unique<LibraryEnd>(FakeLibrary::Slmcp);
        makeHandler<SlmcpCanHandler>(rig, FakeLibrary::pathOf(FakeLibrary::Slmcp));
        break;
    case OnRp1210:
    case OnRp1210Can: {
        auto end = std::make_unique<Rp1210End>(
            adapter == OnRp1210Can ? Rp1210Records::Protocol::Can : Rp1210Records::Protocol::J1939);
        makeHandler<Rp1210CanHandler>(rig, end->options());
        rig.end = std::move(end);
        break;
    }
    case OnCanBus:
#ifdef TARVIK_HAVE_SERIALBUS
        rig.end = std::make_unique<VirtualBusEnd>();
        makeHandler<QtCanBusHandler>(rig);
#endif
        break;
    }
    return rig;
}

bool startRig(Rig &rig)
{
    const int index = rig.handler->transceiverIndexForName(rig.end->portName());
    if (index < 0 || !rig.handler->setTransceiver(index) || !rig.handler->start())
        return false;
    if (auto *pty = dynamic_cast<PtyEnd *>(rig.end.get())) {
        // The serial adapters' start-up commands are not frames.
        QTest::qWait(50);
        pty->clearWritten();
    }
    return true;
}

QVector<CanMessage> everyShape(const FarEnd &end)
{
    const bool standard = end.carriesStandardFrames();
    QVector<CanMessage> frames;
    for (int length = 0; length <= 8; ++length) {
        CanMessage ext(0x18FEF100u + quint32(length), nullptr, 0);
        CanMessage std(0x100u + quint32(length), nullptr, 0);
        std.extended = false;
        for (int i = 0; i < length; ++i)
            ext.data[i] = std.data[i] = quint8(0xA0 + i * 7 + length);
        ext.length = std.length = quint8(length);
        frames << ext;
        if (standard)
            frames << std;
    }
    frames << makeFrame(0x1FFFFFFF, {0xFF});
    if (standard)
        frames << makeFrame(0x7FF, {0x00}, false);
    return frames;
}

} // namespace

Q_DECLARE_METATYPE(Adapter)

class tst_AdapterContract : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void adapters_data();
    void framesInOrderWithOneStampPerRead_data() { adapters_data(); }
    void framesInOrderWithOneStampPerRead();
    void sentFramesArriveExact_data() { adapters_data(); }
    void sentFramesArriveExact();
    void batchesOfAtMost64_data() { adapters_data(); }
    void batchesOfAtMost64();
    void readsOfAtMost128_data();
    void readsOfAtMost128();
    void readErrorEndsInClosed_data() { adapters_data(); }
    void readErrorEndsInClosed();
    void stopTwiceIsHarmless_data() { adapters_data(); }
    void stopTwiceIsHarmless();

    // The serial adapters (pseudo-terminal ends) only.
    void serialAdapters_data();
    void selectionByPath_data() { serialAdapters_data(); }
    void selectionByPath();
    void rateThenStart_data();
    void rateThenStart();
    void framesFromAdapter_data();
    void framesFromAdapter();
    void serialHandlerInBusThread();
};

void tst_AdapterContract::adapters_data()
{
    QTest::addColumn<Adapter>("adapter");
    QTest::newRow("zentrax") << OnZentrax;
    QTest::newRow("i7565") << OnI7565;
    QTest::newRow("j2534") << OnJ2534;
    QTest::newRow("slcan") << OnSlcan;
    QTest::newRow("slmcp") << OnSlmcp;
    QTest::newRow("rp1210 j1939") << OnRp1210;
    QTest::newRow("rp1210 can") << OnRp1210Can;
#ifdef TARVIK_HAVE_SERIALBUS
    QTest::newRow("canbus") << OnCanBus;
#endif
}

void tst_AdapterContract::framesInOrderWithOneStampPerRead()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    QVERIFY2(startRig(rig), qPrintable(rig.handler->lastError()));
    const QVector<CanMessage> sent = everyShape(*rig.end);
    rig.end->deliver(sent);
    AbstractCanHandler::MessagePack got;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            while (!rig.handler->isMessageQueueEmpty()) {
                const AbstractCanHandler::MessagePack pack = rig.handler->dequeuePack();
                // One read, one time stamp for all of its frames.
                for (const auto &pair : pack) {
                    if (pair.second.timestamp != pack.first().second.timestamp)
                        return false;
                    if (pair.second.isReceived())
                        got << pair;
                }
            }
            return got.size() >= sent.size();
        }(),
        5000);
    QCOMPARE(got.size(), sent.size());
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(exact(got.at(i).first), exact(sent.at(i)));
        if (i > 0)
            QVERIFY(got.at(i).second.timestamp >= got.at(i - 1).second.timestamp);
    }
    QVERIFY(rig.handler->isOpen());
}

void tst_AdapterContract::sentFramesArriveExact()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    QVERIFY2(startRig(rig), qPrintable(rig.handler->lastError()));
    const QVector<CanMessage> sent = everyShape(*rig.end);
    for (const CanMessage &m : sent)
        rig.handler->sendMessage(m);
    const QStringList expected = rig.end->expected(sent);
    QStringList got;
    QTRY_VERIFY_WITH_TIMEOUT((got = rig.end->written(), got.join(QString()).size()
                                                            >= expected.join(QString()).size()),
                             5000);
    QCOMPARE(got, expected);
    int sentResults = 0;
    for (const auto &pair : drainAll(*rig.handler)) {
        if (!pair.second.isReceived()) {
            QCOMPARE(pair.second.status, DispatchResult::Status(DispatchResult::Dispatched));
            ++sentResults;
        }
    }
    QCOMPARE(sentResults, sent.size());
    // Nothing the handler sent comes back as received.
    QTest::qWait(30);
    for (const auto &pair : drainAll(*rig.handler))
        QVERIFY(!pair.second.isReceived());
}

void tst_AdapterContract::batchesOfAtMost64()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    QVERIFY2(startRig(rig), qPrintable(rig.handler->lastError()));
    FakeLibrary::clearLog();
    QVector<CanMessage> sent;
    for (int i = 0; i < 130; ++i)
        sent << makeFrame(0x18EF0000u | quint32(i), {quint8(i), quint8(i >> 8)});
    rig.handler->sendMessages(sent.constData(), sent.size());
    const QStringList expected = rig.end->expected(sent);
    QStringList got;
    QTRY_VERIFY_WITH_TIMEOUT((got = rig.end->written(), got.join(QString()).size()
                                                            >= expected.join(QString()).size()),
                             5000);
    QCOMPARE(got, expected);
    auto *library = dynamic_cast<LibraryEnd *>(rig.end.get());
    // The heavy-duty API takes one message per call: its batches are not visible at the library.
    if (library && library->kind() == FakeLibrary::Rp1210) {
        QCOMPARE(FakeLibrary::calls("RP1210_SendMessage").size(), sent.size());
    } else if (library) {
        QStringList writes = FakeLibrary::calls("PassThruWriteMsgs")
                             + FakeLibrary::calls("SlCan_DeviceWriteMessages")
                             + FakeLibrary::calls("CnSendPackets");
        QCOMPARE(writes.size(), 3);
        QVERIFY(writes.at(0).contains(QLatin1String("n=64")));
        QVERIFY(writes.at(1).contains(QLatin1String("n=64")));
        QVERIFY(writes.at(2).contains(QLatin1String("n=2")));
    }
    if (library)
        QCOMPARE(library->fake().maxInFlight(), 1);
}

void tst_AdapterContract::readsOfAtMost128_data()
{
    // The adapters whose far end hands over everything it holds at once.
    QTest::addColumn<Adapter>("adapter");
    QTest::newRow("j2534") << OnJ2534;
    QTest::newRow("slcan") << OnSlcan;
    QTest::newRow("slmcp") << OnSlmcp;
    QTest::newRow("rp1210 j1939") << OnRp1210;
}

void tst_AdapterContract::readsOfAtMost128()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    QVERIFY2(startRig(rig), qPrintable(rig.handler->lastError()));
    drainAll(*rig.handler);
    QVector<CanMessage> sent;
    for (int i = 0; i < 200; ++i)
        sent << makeFrame(0x18FF0000u | quint32(i), {quint8(i)});
    rig.end->deliver(sent);
    // A full read of 128 is followed at once by another in the same poll cycle.
    QVector<int> reads;
    int total = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            while (!rig.handler->isMessageQueueEmpty()) {
                const auto pack = rig.handler->dequeuePack();
                if (!pack.isEmpty() && pack.first().second.isReceived()) {
                    reads << pack.size();
                    total += pack.size();
                }
            }
            return total >= sent.size();
        }(),
        5000);
    QCOMPARE(reads, (QVector<int>{128, 72}));
}

void tst_AdapterContract::readErrorEndsInClosed()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    rig.errorTimer->setInterval(100);
    QVERIFY2(startRig(rig), qPrintable(rig.handler->lastError()));
    QSignalSpy states(rig.handler.get(), &AbstractCanHandler::stateChanged);
    rig.end->breakReads();
    QTRY_COMPARE_WITH_TIMEOUT(rig.handler->state(), AbstractCanHandler::Error, 5000);
    QVERIFY(!rig.handler->lastError().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(rig.handler->state(), AbstractCanHandler::Closed, 5000);
    QCOMPARE(states.count(), 2);
    QCOMPARE(states.at(0).first().toInt(), int(AbstractCanHandler::Error));
    QCOMPARE(states.at(1).first().toInt(), int(AbstractCanHandler::Closed));
    // No busy loop on a dead adapter: nothing runs the poll cycle any more.
    const quint32 polls = rig.handler->pollCount();
    QTest::qWait(50);
    QCOMPARE(rig.handler->pollCount(), polls);
}

void tst_AdapterContract::stopTwiceIsHarmless()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    QVERIFY2(startRig(rig), qPrintable(rig.handler->lastError()));
    QSignalSpy states(rig.handler.get(), &AbstractCanHandler::stateChanged);
    QVERIFY(rig.handler->stop());
    QVERIFY(rig.handler->stop());
    QCOMPARE(rig.handler->state(), AbstractCanHandler::Closed);
    QCOMPARE(states.count(), 1);
    // A closed adapter refuses frames instead of writing them.
    const CanMessage m = makeFrame(0x18FEF100, {1});
    rig.handler->sendMessages(&m, 1);
    const auto pack = drainAll(*rig.handler);
    QVERIFY(!pack.isEmpty());
    QVERIFY(pack.last().second.status.testFlag(DispatchResult::TransmitError));
    // And it starts again.
    QVERIFY2(rig.handler->start(), qPrintable(rig.handler->lastError()));
    QVERIFY(rig.handler->isOpen());
}

void tst_AdapterContract::serialAdapters_data()
{
    QTest::addColumn<Adapter>("adapter");
    QTest::newRow("zentrax") << OnZentrax;
    QTest::newRow("i7565") << OnI7565;
}

void tst_AdapterContract::selectionByPath()
{
    QFETCH(Adapter, adapter);
    Rig rig = makeRig(adapter);
    const QString path = rig.end->portName();
    const int index = rig.handler->transceiverIndexForName(path);
    QVERIFY(index >= 0);
    QCOMPARE(rig.handler->transceivers().at(index).second, path);
    QVERIFY2(rig.handler->setTransceiver(index), qPrintable(rig.handler->lastError()));
    QVERIFY(rig.handler->lastError().isEmpty());
    // The same path again maps to the same entry; paths of no port map to none.
    QCOMPARE(rig.handler->transceiverIndexForName(path), index);
    QCOMPARE(rig.handler->transceiverIndexForName(QStringLiteral("/dev/no-such-adapter")), -1);
    QCOMPARE(rig.handler->transceiverIndexForName(QStringLiteral("not-a-port")), -1);
}

void tst_AdapterContract::rateThenStart_data()
{
    QTest::addColumn<Adapter>("adapter");
    QTest::addColumn<unsigned>("refused");
    QTest::addColumn<QByteArray>("rateBytes");  // written once the rate is set
    QTest::addColumn<QByteArray>("startBytes"); // written by the start after it
    QTest::newRow("zentrax") << OnZentrax << 800000u << hex("f00303faf00283") << QByteArray();
    QTest::newRow("i7565") << OnI7565 << 83333u << QByteArray("P15\r") << QByteArray("C\r");
}

// Selection opens the port, the rate goes out at once, and start finds the port open.
void tst_AdapterContract::rateThenStart()
{
    QFETCH(Adapter, adapter);
    QFETCH(unsigned, refused);
    QFETCH(QByteArray, rateBytes);
    QFETCH(QByteArray, startBytes);
    Rig rig = makeRig(adapter);
    PtyAdapterPeer &peer = static_cast<PtyEnd *>(rig.end.get())->peer();
    QVERIFY(rig.handler->setTransceiver(rig.handler->transceiverIndexForName(peer.portPath())));
    QVERIFY(!rig.handler->setBaudRate(refused));
    QVERIFY(rig.handler->setBaudRate(250000));
    QCOMPARE(rig.handler->baudRate(), 250000u);
    QTRY_COMPARE(peer.written(), rateBytes);
    QVERIFY(rig.handler->start());
    QVERIFY(rig.handler->isOpen());
    QTRY_COMPARE(peer.written(), rateBytes + startBytes);
    QTest::qWait(20);
    QCOMPARE(peer.written(), rateBytes + startBytes);
}

void tst_AdapterContract::framesFromAdapter_data()
{
    QTest::addColumn<Adapter>("adapter");
    QTest::addColumn<int>("chunk");
    for (Adapter a : {OnZentrax, OnI7565}) {
        const char *name = a == OnZentrax ? "zentrax" : "i7565";
        for (int chunk : {0, 1, 3, 7}) {
            QTest::addRow("%s, chunks of %d", name, chunk) << a << chunk;
        }
    }
}

// The adapter's bytes arrive in pieces cut anywhere: a partial packet waits for its rest.
void tst_AdapterContract::framesFromAdapter()
{
    QFETCH(Adapter, adapter);
    QFETCH(int, chunk);
    Rig rig = makeRig(adapter);
    QVERIFY2(startRig(rig), qPrintable(rig.handler->lastError()));
    QVector<CanMessage> sent;
    for (int i = 0; i < 300; ++i) {
        sent << (i % 5 == 0
                     ? makeFrame(0x1F0 + quint32(i % 8), {quint8(i)}, false)
                     : makeFrame(0x18F0F000 | quint32(i), {0xF0, quint8(i), 0xF0, quint8(i >> 8)}));
    }
    PtyAdapterPeer &peer = static_cast<PtyEnd *>(rig.end.get())->peer();
    QVERIFY(peer.deliver(serialAdapterBytes(adapter == OnZentrax, sent), chunk * 97));
    const QVector<CanMessage> got = collectReceived(*rig.handler, sent.size());
    QCOMPARE(got.size(), sent.size());
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(got.at(i).toString(), sent.at(i).toString());
    QVERIFY(rig.handler->isOpen());
}

void tst_AdapterContract::serialHandlerInBusThread()
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

QTEST_MAIN(tst_AdapterContract)
#include "tst_adaptercontract.moc"
