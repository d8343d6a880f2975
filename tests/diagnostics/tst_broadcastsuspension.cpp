#include "can/replaycanhandler.h"
#include "can/simulatedunit.h"
#include "diagnostics/broadcastsuspension.h"
#include "model/devicedispatcher.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <mutex>

namespace {

// Keeps the data of every DM13 the program sends.
class Dm13Listener : public SimulatedUnit
{
public:
    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *) override
    {
        if (frame.pduFormat() != BroadcastSuspension::Pf)
            return;
        std::lock_guard locker(m_mutex);
        m_frames.append(frame);
    }
    QVector<CanMessage> frames() const
    {
        std::lock_guard locker(m_mutex);
        return m_frames;
    }
    // How many of the frames carry this data.
    int count(const QByteArray &data) const
    {
        int n = 0;
        for (const CanMessage &f : frames())
            n += payloadOf(f) == data;
        return n;
    }

private:
    mutable std::mutex m_mutex;
    QVector<CanMessage> m_frames;
};

struct SuspensionBus
{
    SuspensionBus()
    {
        handler.setTransceiver(handler.addRecording(TestEnvironment::writeFile(
            dir, QStringLiteral("quiet.log"), "(0.000000) can0 18FEF1AA#0102030405060708\n")));
        handler.simulatedBus()->addUnit(listener);
        QObject::connect(&handler, &AbstractCanHandler::stateChanged, &suspension,
                         &BroadcastSuspension::slotAdapterStateChanged);
    }

    QTemporaryDir dir;
    DeviceDispatcher dispatcher;
    ReplayCanHandler handler{&dispatcher};
    std::shared_ptr<Dm13Listener> listener = std::make_shared<Dm13Listener>();
    BroadcastSuspension suspension{&dispatcher};
};

constexpr int HoldMs = 80;

} // namespace

class tst_BroadcastSuspension : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::init();
        BroadcastSuspension::s_holdIntervalMs = HoldMs;
    }
    void encodes_data();
    void encodes();
    void suspendHoldResume_data();
    void suspendHoldResume();
    void resumesWhenTheAdapterGoes();
    void nothingSentWithoutConnection();
};

void tst_BroadcastSuspension::encodes_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expected");
    const int network1 = 1 << BroadcastSuspension::J1939Network1;
    QTest::newRow("stop J1939 network #1")
        << BroadcastSuspension::stopData(network1) << hex("fcff fff0 ffff ffff");
    QTest::newRow("stop all networks")
        << BroadcastSuspension::stopData(BroadcastSuspension::AllNetworks)
        << hex("0000 00f0 ffff ffff");
    QTest::newRow("start J1939 network #1")
        << BroadcastSuspension::startData(network1) << hex("fdff ffff ffff ffff");
    QTest::newRow("start all networks")
        << BroadcastSuspension::startData(BroadcastSuspension::AllNetworks)
        << hex("5555 55ff ffff ffff");
    QTest::newRow("stop current data link and J1939 network #4") << BroadcastSuspension::stopData(
        1 << BroadcastSuspension::CurrentDataLink | 1 << BroadcastSuspension::J1939Network4)
                                                                 << hex("3fff fcf0 ffff ffff");
    QTest::newRow("hold: no network touched, modified devices")
        << BroadcastSuspension::holdData() << hex("ffff ff1f ffff ffff");
}

void tst_BroadcastSuspension::encodes()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expected);
    QCOMPARE(data.toHex(' '), expected.toHex(' '));
    // Each network's field reads back as written; no field is reserved (binary 10).
    for (int n = 0; n < BroadcastSuspension::NetworkCount; ++n)
        QVERIFY(BroadcastSuspension::networkCommand(data, n) != 2);
    QCOMPARE(BroadcastSuspension::networkCommand(data.left(2), 0), -1);
}

void tst_BroadcastSuspension::suspendHoldResume_data()
{
    QTest::addColumn<int>("destination");
    QTest::addColumn<int>("networks");
    QTest::newRow("one unit, network #1") << 0x01 << (1 << BroadcastSuspension::J1939Network1);
    QTest::newRow("all units, all networks") << 0xFF << int(BroadcastSuspension::AllNetworks);
}

void tst_BroadcastSuspension::suspendHoldResume()
{
    QFETCH(int, destination);
    QFETCH(int, networks);
    SuspensionBus bus;
    QVERIFY(bus.handler.start());
    QSignalSpy changed(&bus.suspension, &BroadcastSuspension::suspendedChanged);
    QVERIFY(bus.suspension.slotSuspend(destination, networks));
    QVERIFY(bus.suspension.isSuspended());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toBool(), true);
    QTRY_COMPARE(bus.listener->count(BroadcastSuspension::stopData(networks)), 1);
    // The hold signal comes again and again while suspended.
    QTRY_VERIFY_WITH_TIMEOUT(bus.listener->count(BroadcastSuspension::holdData()) >= 3, 5000);
    bus.suspension.slotResume();
    QVERIFY(!bus.suspension.isSuspended());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(1).toString(), QStringLiteral("Broadcasts resumed (DM13)"));
    QTRY_COMPARE(bus.listener->count(BroadcastSuspension::startData(networks)), 1);
    const int holds = bus.listener->count(BroadcastSuspension::holdData());
    QTest::qWait(4 * HoldMs);
    QCOMPARE(bus.listener->count(BroadcastSuspension::holdData()), holds);
    for (const CanMessage &f : bus.listener->frames()) {
        QCOMPARE(int(f.pduSpecific()), destination);
        QCOMPARE(f.address(), quint8(0xF9));
        QCOMPARE(int(f.length), BroadcastSuspension::Length);
    }
    // A second resume sends nothing more.
    bus.suspension.slotResume();
    QTest::qWait(50);
    QCOMPARE(bus.listener->count(BroadcastSuspension::startData(networks)), 1);
    bus.handler.stop();
}

void tst_BroadcastSuspension::resumesWhenTheAdapterGoes()
{
    SuspensionBus bus;
    QVERIFY(bus.handler.start());
    QSignalSpy changed(&bus.suspension, &BroadcastSuspension::suspendedChanged);
    QVERIFY(bus.suspension.slotSuspend(0xFF, 1 << BroadcastSuspension::J1939Network1));
    QTRY_VERIFY(bus.listener->count(BroadcastSuspension::holdData()) >= 1);
    QVERIFY(bus.handler.stop());
    QTRY_VERIFY(!bus.suspension.isSuspended());
    QCOMPARE(changed.last().at(0).toBool(), false);
    QVERIFY(changed.last().at(1).toString().contains(QLatin1String("adapter is gone")));
    const int sent = bus.listener->frames().size();
    QTest::qWait(4 * HoldMs);
    QCOMPARE(bus.listener->frames().size(), sent);
}

void tst_BroadcastSuspension::nothingSentWithoutConnection()
{
    SuspensionBus bus;
    QSignalSpy changed(&bus.suspension, &BroadcastSuspension::suspendedChanged);
    QVERIFY(!bus.suspension.slotSuspend(0xFF, 1 << BroadcastSuspension::J1939Network1));
    QVERIFY(!bus.suspension.isSuspended());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toBool(), false);
    QVERIFY(!bus.suspension.slotSuspend(0xFF, 0)); // no network chosen
    QTest::qWait(3 * HoldMs);
    QVERIFY(bus.listener->frames().isEmpty());
}

QTEST_MAIN(tst_BroadcastSuspension)
#include "tst_broadcastsuspension.moc"
