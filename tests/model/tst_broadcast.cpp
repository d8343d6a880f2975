#include "model/j1939device.h"
#include "support/recordingfunction.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/tpframes.h"

#include <QtTest>

#include <cstdlib>

namespace {

// A BAM announcement from the unit at 0x00 for PGN 0xFExx.
CanMessage bam(int size, int packets, quint8 ps = 0xE3)
{
    return tpControl(0x00, 0xFF,
                     {0x20, quint8(size), quint8(size >> 8), quint8(packets), 0xFF, ps, 0xFE, 0});
}

CanMessage dt(quint8 sequence, const QByteArray &seven)
{
    return tpData(0x00, 0xFF, sequence, seven);
}

} // namespace

// Broadcast transfers (BAM) of the transport protocol: sending, reassembly, time-out, counting.
class tst_Broadcast : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init();
    void cleanup();
    void bamOut();
    void bamPadding_data();
    void bamPadding();
    void secondBamRefused();
    void bamIn();
    void bamCountedOnce_data();
    void bamCountedOnce();
    void bamReceiveTimeout_data();
    void bamReceiveTimeout();
    void bamReceiveTimeoutDefault();
    void bamMissingPacket();
    void bamInvalidSequence_data();
    void bamInvalidSequence();
    void bamBadAnnouncement_data();
    void bamBadAnnouncement();
    void bamOnlyFromGlobalData();

private:
    bool receive(const CanMessage &m, DispatchResult *r = nullptr)
    {
        DispatchResult scratch;
        return m_device->dispatchMessage(m, r ? r : &scratch);
    }

    TestCanHandler *m_handler = nullptr;
    // The unit at 0x00 on the handler's bus, the one whose broadcasts arrive.
    std::unique_ptr<J1939Device> m_device;
};

void tst_Broadcast::init()
{
    delete m_handler;
    m_handler = new TestCanHandler(nullptr, this);
    QVERIFY(m_handler->start());
    m_device = std::make_unique<J1939Device>(0x00);
    m_handler->adopt(m_device.get());
}

void tst_Broadcast::cleanup()
{
    m_device.reset();
}

void tst_Broadcast::bamOut()
{
    J1939Device device(0x21);
    m_handler->adopt(&device);
    const QByteArray data = tpMessage(20);
    QElapsedTimer clock;
    clock.start();
    device.transmitBroadcastData(reinterpret_cast<const unsigned char *>(data.constData()), 20,
                                 0xFECA);
    QCOMPARE(m_handler->writtenFrames().size(), 1);
    QCOMPARE(m_handler->writtenFrames().at(0).toString(),
             QStringLiteral("6 ecff21 20 14 00 03 ff ca fe 00"));
    QVector<qint64> at;
    while (m_handler->writtenFrames().size() < 4 && clock.elapsed() < 5000) {
        const int before = m_handler->writtenFrames().size();
        QTest::qWait(2);
        if (m_handler->writtenFrames().size() > before)
            at.append(clock.elapsed());
    }
    const auto frames = m_handler->writtenFrames();
    QCOMPARE(frames.size(), 4);
    QCOMPARE(frames.at(1).toString(), QStringLiteral("6 ebff21 01 10 11 12 13 14 15 16"));
    QCOMPARE(frames.at(2).toString(), QStringLiteral("6 ebff21 02 17 18 19 1a 1b 1c 1d"));
    QCOMPARE(frames.at(3).toString(), QStringLiteral("6 ebff21 03 1e 1f 20 21 22 23 ff"));
    QCOMPARE(at.size(), 3);
    // 50 ms apart (generous bounds: never early, late only by scheduling).
    QVERIFY2(at.at(0) >= 45, qPrintable(QString::number(at.at(0))));
    QVERIFY(at.at(1) - at.at(0) >= 40);
    QVERIFY(at.at(2) - at.at(1) >= 40);
    QCOMPARE(device.broadcastState(), int(J1939Device::BroadcastIdle));
    QTest::qWait(80);
    QCOMPARE(m_handler->writtenFrames().size(), 4);
}

void tst_Broadcast::bamPadding_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("last");
    QTest::newRow("9 bytes: 5 bytes of padding") << 9 << "6 ebff21 02 17 18 ff ff ff ff ff";
    QTest::newRow("14 bytes: none") << 14 << "6 ebff21 02 17 18 19 1a 1b 1c 1d";
    QTest::newRow("15 bytes: 6 bytes of padding") << 15 << "6 ebff21 03 1e ff ff ff ff ff ff";
    QTest::newRow("padding beside data bytes 0xff") << -10 << "6 ebff21 02 ff ff ff ff ff ff ff";
}

void tst_Broadcast::bamPadding()
{
    QFETCH(int, size);
    QFETCH(QString, last);
    QByteArray data = tpMessage(std::abs(size));
    if (size < 0)
        data.fill('\xff'); // the receiver tells data from padding only by the announced size
    J1939Device device(0x21);
    m_handler->adopt(&device);
    device.transmitBroadcastData(reinterpret_cast<const unsigned char *>(data.constData()),
                                 unsigned(data.size()), 0xFECA);
    QTRY_COMPARE(device.broadcastState(), int(J1939Device::BroadcastIdle));
    const auto frames = m_handler->writtenFrames();
    QCOMPARE(frames.size(), 1 + (int(data.size()) + 6) / 7);
    QCOMPARE(frames.last().toString(), last);
    // What a receiver reassembles is the message again.
    J1939Device receiver(0x21);
    auto *f = new RecordingFunction(0xFE, 0xCA, &receiver);
    DispatchResult r;
    for (const CanMessage &frame : frames)
        receiver.dispatchMessage(frame, &r);
    QCOMPARE(f->broadcasts, QList<QByteArray>{data});
}

void tst_Broadcast::secondBamRefused()
{
    J1939Device device(0x21);
    m_handler->adopt(&device);
    const QByteArray data = tpMessage(9);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    device.transmitBroadcastData(bytes, 9, 0xFECA);
    QTest::ignoreMessage(QtDebugMsg, "Unable to send BAM 00feda: another broadcast in progress");
    device.transmitBroadcastData(bytes, 9, 0xFEDA);
    QTRY_COMPARE(device.broadcastState(), int(J1939Device::BroadcastIdle));
    QCOMPARE(m_handler->writtenFrames().size(), 3);
    // Once done, the next one goes.
    device.transmitBroadcastData(bytes, 9, 0xFEDA);
    QCOMPARE(m_handler->writtenFrames().size(), 4);
}

void tst_Broadcast::bamIn()
{
    auto *ec1 = new RecordingFunction(0xFE, 0xE3, m_device.get());
    const QByteArray data = tpMessage(17);
    QVERIFY(receive(bam(17, 3)));
    QCOMPARE(m_device->broadcastState(), int(J1939Device::BroadcastInProgress));
    DispatchResult r1;
    QVERIFY(receive(dt(1, data.mid(0, 7)), &r1));
    QVERIFY(r1.payload.isEmpty());
    QVERIFY(receive(dt(2, data.mid(7, 7))));
    DispatchResult last;
    QVERIFY(receive(dt(3, data.mid(14, 3) + QByteArray(4, '\xff')), &last));
    QCOMPARE(ec1->broadcasts.size(), 1);
    QCOMPARE(ec1->broadcasts.first(), data);
    QCOMPARE(last.pgn, 0xFEE3u);
    QCOMPARE(last.payload, data);
    QCOMPARE(last.item, static_cast<AbstractDisplayableItem *>(ec1));
    QCOMPARE(m_device->broadcastState(), int(J1939Device::BroadcastIdle));
    QVERIFY(!m_device->broadcastTimer()->isActive());
    // A BAM for a PGN without a function is reassembled but not accepted.
    QVERIFY(!receive(bam(9, 2, 0xEC)));
    QVERIFY(receive(dt(1, data)));
    QVERIFY(!receive(dt(2, data)));
}

void tst_Broadcast::bamCountedOnce_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("messages");
    QTest::newRow("9 bytes, 2 packets") << 9 << 5;
    QTest::newRow("EC1 28 bytes, 4 packets") << 28 << 5;
    QTest::newRow("255 bytes, 37 packets") << 255 << 5;
    QTest::newRow("one message") << 10 << 1;
}

void tst_Broadcast::bamCountedOnce()
{
    QFETCH(int, size);
    QFETCH(int, messages);
    // A function fed by broadcasts against a single-frame one, on the same schedule.
    auto *longGroup = new RecordingFunction(0xFE, 0xE3, m_device.get());
    auto *shortGroup = new RecordingFunction(0xFE, 0xEE, m_device.get());
    longGroup->setDeviceType(AbstractDisplayableItem::Continuous, 1000);
    shortGroup->setDeviceType(AbstractDisplayableItem::Continuous, 1000);
    const QByteArray data = tpMessage(size);
    const quint8 packets = quint8((size + 6) / 7);
    for (int i = 0; i < messages; ++i) {
        receive(bam(size, packets));
        for (int s = 1; s <= packets; ++s)
            receive(dt(quint8(s), data.mid((s - 1) * 7, 7)));
        receive(makeFrame(0x18FEEE00, {1, 2, 3, 4, 5, 6, 7, 8}));
    }
    QCOMPARE(longGroup->broadcasts.size(), messages);
    QCOMPARE(longGroup->totalEvents(), qint64(messages));
    QCOMPARE(longGroup->totalEvents(), shortGroup->totalEvents());
    // The counters' windows moved on by hand: both show the same period.
    longGroup->counter()->shift();
    shortGroup->counter()->shift();
    const int window = longGroup->counter()->depth() * longGroup->counter()->interval();
    QCOMPARE(shortGroup->period(), window / messages);
    QCOMPARE(longGroup->period(), shortGroup->period());
    QCOMPARE(longGroup->state(), int(AbstractDisplayableItem::ReceiveOk));
}

void tst_Broadcast::bamReceiveTimeout_data()
{
    QTest::addColumn<QVector<int>>("gapsMs"); // before each data packet, at real speed
    QTest::addColumn<bool>("completes");
    QTest::newRow("packets 600 ms apart complete") << QVector<int>{600, 600, 600} << true;
    QTest::newRow("packets 200 ms apart complete") << QVector<int>{200, 200, 200} << true;
    QTest::newRow("a 900 ms gap times out") << QVector<int>{600, 900} << false;
    QTest::newRow("900 ms before the first packet") << QVector<int>{900} << false;
}

void tst_Broadcast::bamReceiveTimeout()
{
    QFETCH(QVector<int>, gapsMs);
    QFETCH(bool, completes);
    // Time runs at 0.4 of real speed: the 750 ms time-out becomes 300 ms, the gaps shrink alike.
    constexpr double Speed = 0.4;
    const int timeoutMs = int(J1939Device::BroadcastReceiveTimeoutMs * Speed);
    m_device->setBroadcastReceiveTimeout(timeoutMs);
    auto *f = new RecordingFunction(0xFE, 0xE3, m_device.get());
    const QByteArray data = tpMessage(21);
    QVERIFY(receive(bam(21, 3)));
    QElapsedTimer clock;
    for (int i = 0; i < gapsMs.size(); ++i) {
        const int gap = int(gapsMs.at(i) * Speed);
        clock.start();
        QTest::qWait(gap);
        const bool inTime = gap < timeoutMs;
        if (inTime && clock.elapsed() >= timeoutMs)
            QSKIP("the test thread stalled beyond the time-out");
        const quint8 s = quint8(i + 1);
        const bool accepted = receive(dt(s, data.mid((s - 1) * 7, 7)));
        QCOMPARE(accepted, inTime);
        QCOMPARE(m_device->broadcastState(),
                 int(inTime
                         ? (s == 3 ? J1939Device::BroadcastIdle : J1939Device::BroadcastInProgress)
                         : J1939Device::BroadcastTimedOut));
    }
    QCOMPARE(f->broadcasts.size(), completes ? 1 : 0);
}

void tst_Broadcast::bamReceiveTimeoutDefault()
{
    new RecordingFunction(0xFE, 0xE3, m_device.get());
    QCOMPARE(J1939Device::BroadcastReceiveTimeoutMs, 750);
    QCOMPARE(m_device->broadcastReceiveTimeout(), 750);
    receive(bam(21, 3));
    QCOMPARE(m_device->broadcastTimer()->interval(), 750);
    QVERIFY(m_device->broadcastTimer()->isActive());
    receive(dt(1, tpMessage(7)));
    // Restarted by each packet.
    QCOMPARE(m_device->broadcastTimer()->interval(), 750);
    QVERIFY(m_device->broadcastTimer()->remainingTime() > 600);
}

void tst_Broadcast::bamMissingPacket()
{
    m_device->setBroadcastReceiveTimeout(150);
    auto *f = new RecordingFunction(0xFE, 0xE3, m_device.get());
    const QByteArray data = tpMessage(21);
    receive(bam(21, 3));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(receive(dt(1, data.mid(0, 7))));
    QTest::ignoreMessage(QtDebugMsg, "Invalid packet sequence: expected 14 instead got 7");
    QVERIFY(!receive(dt(3, data.mid(14, 7))));
    QCOMPARE(m_device->broadcastState(), int(J1939Device::BroadcastInProgress));
    QTRY_COMPARE_WITH_TIMEOUT(m_device->broadcastState(), int(J1939Device::BroadcastTimedOut),
                              5000);
    QVERIFY(clock.elapsed() >= 150); // the time-out after the last accepted frame
    QVERIFY(f->broadcasts.isEmpty());
    // The next announcement starts afresh.
    receive(bam(9, 2));
    receive(dt(1, data));
    receive(dt(2, data.mid(7)));
    QCOMPARE(f->broadcasts.size(), 1);
    QCOMPARE(f->broadcasts.first(), data.left(9));
}

void tst_Broadcast::bamInvalidSequence_data()
{
    QTest::addColumn<int>("sequence");
    QTest::newRow("zero") << 0;
    QTest::newRow("above the count") << 4;
    QTest::newRow("255") << 255;
}

void tst_Broadcast::bamInvalidSequence()
{
    QFETCH(int, sequence);
    new RecordingFunction(0xFE, 0xE3, m_device.get());
    receive(bam(21, 3));
    QTest::ignoreMessage(QtDebugMsg, "Invalid sequence number");
    DispatchResult r;
    QVERIFY(!receive(dt(quint8(sequence), tpMessage(7)), &r));
    QVERIFY(r.payload.isEmpty());
}

void tst_Broadcast::bamBadAnnouncement_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("packets");
    QTest::newRow("size 0") << 0 << 0;
    QTest::newRow("more packets than the size needs") << 9 << 3;
    QTest::newRow("fewer packets than the size needs") << 100 << 2;
}

void tst_Broadcast::bamBadAnnouncement()
{
    QFETCH(int, size);
    QFETCH(int, packets);
    auto *f = new RecordingFunction(0xFE, 0xE3, m_device.get());
    QVERIFY(!receive(bam(size, packets)));
    for (int s = 1; s <= std::max(packets, 1); ++s)
        QVERIFY(!receive(dt(quint8(s), tpMessage(7))));
    QVERIFY(f->broadcasts.isEmpty());
}

void tst_Broadcast::bamOnlyFromGlobalData()
{
    auto *f = new RecordingFunction(0xFE, 0xE3, m_device.get());
    receive(bam(9, 2));
    // Data this device sends to a peer in another transfer is not part of the broadcast.
    QVERIFY(!receive(tpData(0x00, 0x42, 1, tpMessage(7))));
    receive(dt(1, tpMessage(7)));
    receive(dt(2, tpMessage(7)));
    QCOMPARE(f->broadcasts.size(), 1);
}

QTEST_MAIN(tst_Broadcast)
#include "tst_broadcast.moc"
