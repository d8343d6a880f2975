#include "model/connectiontimeoutsdialog.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"
#include "support/recordingfunction.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

#include <cstring>

namespace {

CanMessage cm(quint8 source, quint8 destination, std::initializer_list<quint8> payload)
{
    return makeFrame(0x1CEC0000u | quint32(destination) << 8 | source, payload);
}

CanMessage dt(quint8 source, quint8 destination, quint8 sequence, const QByteArray &seven)
{
    CanMessage m = makeFrame(0x1CEB0000u | quint32(destination) << 8 | source, {sequence});
    quint8 data[8] = {sequence, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(data + 1, seven.constData(), size_t(std::min<int>(7, int(seven.size()))));
    m.setData(data, 8);
    return m;
}

QByteArray message(int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(char(0x10 + i));
    return data;
}

QString hex(const CanMessage &m)
{
    return m.toString();
}

} // namespace

class tst_TransportProtocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init();
    void cleanup() { TPConnection::setTiming(TPConnection::defaultTiming()); }
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
    void rtsCtsExchange();
    void ctsNearTheEnd_data();
    void ctsNearTheEnd();
    void repeatedPacketIgnored();
    void skippedPacketDrops();
    void abortDrops();
    void newRtsReplaces();
    void noDataAfterCtsDropsSilently();
    void twoPeersAtOnce();
    void unexpectedControl();
    void dataWithoutConnection();
    void timingSettings_data();
    void timingSettings();
    void timingDialogDefaults();

private:
    TestCanHandler *m_handler = nullptr;
};

void tst_TransportProtocol::init()
{
    delete m_handler;
    m_handler = new TestCanHandler(nullptr, this);
    QVERIFY(m_handler->start());
    // Short receiver timings keep the suite fast; their order is the real one.
    TPConnection::Timing t;
    t.delayRtsToCts = 20;
    t.delayDataToCts0 = 20;
    t.delayCts0ToCts = 40;
    t.delayDataToAck = 20;
    t.timeoutDataToData = 150;
    t.timeoutCtsToData = 300;
    t.windowSize = 2;
    TPConnection::setTiming(t);
}

void tst_TransportProtocol::bamOut()
{
    J1939Device device(0x21);
    const QByteArray data = message(20);
    QElapsedTimer clock;
    clock.start();
    device.transmitBroadcastData(reinterpret_cast<const unsigned char *>(data.constData()), 20,
                                 0xFECA);
    QCOMPARE(m_handler->writtenFrames().size(), 1);
    QCOMPARE(hex(m_handler->writtenFrames().at(0)),
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
    QCOMPARE(hex(frames.at(1)), QStringLiteral("6 ebff21 01 10 11 12 13 14 15 16"));
    QCOMPARE(hex(frames.at(2)), QStringLiteral("6 ebff21 02 17 18 19 1a 1b 1c 1d"));
    QCOMPARE(hex(frames.at(3)), QStringLiteral("6 ebff21 03 1e 1f 20 21 22 23 ff"));
    QCOMPARE(at.size(), 3);
    // 50 ms apart (generous bounds: never early, late only by scheduling).
    QVERIFY2(at.at(0) >= 45, qPrintable(QString::number(at.at(0))));
    QVERIFY(at.at(1) - at.at(0) >= 40);
    QVERIFY(at.at(2) - at.at(1) >= 40);
    QCOMPARE(device.broadcastState(), int(J1939Device::BroadcastIdle));
    QTest::qWait(80);
    QCOMPARE(m_handler->writtenFrames().size(), 4);
}

void tst_TransportProtocol::bamPadding_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("last");
    QTest::newRow("9 bytes: 5 bytes of padding") << 9 << "6 ebff21 02 17 18 ff ff ff ff ff";
    QTest::newRow("14 bytes: none") << 14 << "6 ebff21 02 17 18 19 1a 1b 1c 1d";
    QTest::newRow("15 bytes: 6 bytes of padding") << 15 << "6 ebff21 03 1e ff ff ff ff ff ff";
    QTest::newRow("padding beside data bytes 0xff")
        << -10 << "6 ebff21 02 ff ff ff ff ff ff ff";
}

void tst_TransportProtocol::bamPadding()
{
    QFETCH(int, size);
    QFETCH(QString, last);
    QByteArray data = message(std::abs(size));
    if (size < 0)
        data.fill('\xff'); // the receiver tells data from padding only by the announced size
    J1939Device device(0x21);
    device.transmitBroadcastData(reinterpret_cast<const unsigned char *>(data.constData()),
                                 unsigned(data.size()), 0xFECA);
    QTRY_COMPARE(device.broadcastState(), int(J1939Device::BroadcastIdle));
    const auto frames = m_handler->writtenFrames();
    QCOMPARE(frames.size(), 1 + (int(data.size()) + 6) / 7);
    QCOMPARE(hex(frames.last()), last);
    // What a receiver reassembles is the message again.
    J1939Device receiver(0x21);
    auto *f = new RecordingFunction(0xFE, 0xCA, &receiver);
    DispatchResult r;
    for (const CanMessage &frame : frames)
        receiver.dispatchMessage(frame, &r);
    QCOMPARE(f->broadcasts, QList<QByteArray>{data});
}

void tst_TransportProtocol::secondBamRefused()
{
    J1939Device device(0x21);
    const QByteArray data = message(9);
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

void tst_TransportProtocol::bamIn()
{
    J1939Device device(0x00);
    auto *ec1 = new RecordingFunction(0xFE, 0xE3, &device);
    const QByteArray data = message(17);
    DispatchResult r;
    QVERIFY(device.dispatchMessage(cm(0x00, 0xFF, {0x20, 17, 0, 3, 0xFF, 0xE3, 0xFE, 0x00}), &r));
    QCOMPARE(device.broadcastState(), int(J1939Device::BroadcastInProgress));
    DispatchResult r1;
    QVERIFY(device.dispatchMessage(dt(0x00, 0xFF, 1, data.mid(0, 7)), &r1));
    QVERIFY(r1.payload.isEmpty());
    DispatchResult r2;
    QVERIFY(device.dispatchMessage(dt(0x00, 0xFF, 2, data.mid(7, 7)), &r2));
    DispatchResult last;
    QVERIFY(device.dispatchMessage(dt(0x00, 0xFF, 3, data.mid(14, 3) + QByteArray(4, '\xff')),
                                   &last));
    QCOMPARE(ec1->broadcasts.size(), 1);
    QCOMPARE(ec1->broadcasts.first(), data);
    QCOMPARE(last.pgn, 0xFEE3u);
    QCOMPARE(last.payload, data);
    QCOMPARE(last.item, static_cast<AbstractDisplayableItem *>(ec1));
    QCOMPARE(device.broadcastState(), int(J1939Device::BroadcastIdle));
    QVERIFY(!device.broadcastTimer()->isActive());
    // A BAM for a PGN without a function is reassembled but not accepted.
    QVERIFY(!device.dispatchMessage(cm(0x00, 0xFF, {0x20, 9, 0, 2, 0xFF, 0xEC, 0xFE, 0x00}), &r));
    QVERIFY(device.dispatchMessage(dt(0x00, 0xFF, 1, data), &r));
    QVERIFY(!device.dispatchMessage(dt(0x00, 0xFF, 2, data), &r));
}

void tst_TransportProtocol::bamCountedOnce_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("messages");
    QTest::newRow("9 bytes, 2 packets") << 9 << 5;
    QTest::newRow("EC1 28 bytes, 4 packets") << 28 << 5;
    QTest::newRow("255 bytes, 37 packets") << 255 << 5;
    QTest::newRow("one message") << 10 << 1;
}

void tst_TransportProtocol::bamCountedOnce()
{
    QFETCH(int, size);
    QFETCH(int, messages);
    // A function fed by broadcasts against a single-frame one, on the same schedule.
    J1939Device device(0x00);
    auto *longGroup = new RecordingFunction(0xFE, 0xE3, &device);
    auto *shortGroup = new RecordingFunction(0xFE, 0xEE, &device);
    longGroup->setDeviceType(AbstractDisplayableItem::Continuous, 1000);
    shortGroup->setDeviceType(AbstractDisplayableItem::Continuous, 1000);
    const QByteArray data = message(size);
    const quint8 packets = quint8((size + 6) / 7);
    for (int i = 0; i < messages; ++i) {
        DispatchResult r;
        device.dispatchMessage(
            cm(0x00, 0xFF, {0x20, quint8(size), 0, packets, 0xFF, 0xE3, 0xFE, 0x00}), &r);
        for (int s = 1; s <= packets; ++s)
            device.dispatchMessage(dt(0x00, 0xFF, quint8(s), data.mid((s - 1) * 7, 7)), &r);
        device.dispatchMessage(makeFrame(0x18FEEE00, {1, 2, 3, 4, 5, 6, 7, 8}), &r);
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

void tst_TransportProtocol::bamReceiveTimeout_data()
{
    QTest::addColumn<QVector<int>>("gapsMs"); // before each data packet, at real speed
    QTest::addColumn<bool>("completes");
    QTest::newRow("packets 600 ms apart complete") << QVector<int>{600, 600, 600} << true;
    QTest::newRow("packets 200 ms apart complete") << QVector<int>{200, 200, 200} << true;
    QTest::newRow("a 900 ms gap times out") << QVector<int>{600, 900} << false;
    QTest::newRow("900 ms before the first packet") << QVector<int>{900} << false;
}

void tst_TransportProtocol::bamReceiveTimeout()
{
    QFETCH(QVector<int>, gapsMs);
    QFETCH(bool, completes);
    // Time runs at 0.4 of real speed: the 750 ms time-out becomes 300 ms, the gaps shrink alike.
    constexpr double Speed = 0.4;
    const int timeoutMs = int(J1939Device::BroadcastReceiveTimeoutMs * Speed);
    J1939Device device(0x00);
    device.setBroadcastReceiveTimeout(timeoutMs);
    auto *f = new RecordingFunction(0xFE, 0xE3, &device);
    const QByteArray data = message(21);
    DispatchResult r;
    QVERIFY(device.dispatchMessage(cm(0x00, 0xFF, {0x20, 21, 0, 3, 0xFF, 0xE3, 0xFE, 0x00}), &r));
    QElapsedTimer clock;
    for (int i = 0; i < gapsMs.size(); ++i) {
        const int gap = int(gapsMs.at(i) * Speed);
        clock.start();
        QTest::qWait(gap);
        const bool inTime = gap < timeoutMs;
        if (inTime && clock.elapsed() >= timeoutMs)
            QSKIP("the test thread stalled beyond the time-out");
        const quint8 s = quint8(i + 1);
        const bool accepted
            = device.dispatchMessage(dt(0x00, 0xFF, s, data.mid((s - 1) * 7, 7)), &r);
        QCOMPARE(accepted, inTime);
        QCOMPARE(device.broadcastState(), int(inTime ? (s == 3 ? J1939Device::BroadcastIdle
                                                                : J1939Device::BroadcastInProgress)
                                                     : J1939Device::BroadcastTimedOut));
    }
    QCOMPARE(f->broadcasts.size(), completes ? 1 : 0);
}

void tst_TransportProtocol::bamReceiveTimeoutDefault()
{
    J1939Device device(0x00);
    new RecordingFunction(0xFE, 0xE3, &device);
    QCOMPARE(J1939Device::BroadcastReceiveTimeoutMs, 750);
    QCOMPARE(device.broadcastReceiveTimeout(), 750);
    DispatchResult r;
    device.dispatchMessage(cm(0x00, 0xFF, {0x20, 21, 0, 3, 0xFF, 0xE3, 0xFE, 0x00}), &r);
    QCOMPARE(device.broadcastTimer()->interval(), 750);
    QVERIFY(device.broadcastTimer()->isActive());
    device.dispatchMessage(dt(0x00, 0xFF, 1, message(7)), &r);
    // Restarted by each packet.
    QCOMPARE(device.broadcastTimer()->interval(), 750);
    QVERIFY(device.broadcastTimer()->remainingTime() > 600);
}

void tst_TransportProtocol::bamMissingPacket()
{
    J1939Device device(0x00);
    device.setBroadcastReceiveTimeout(150);
    auto *f = new RecordingFunction(0xFE, 0xE3, &device);
    const QByteArray data = message(21);
    DispatchResult r;
    device.dispatchMessage(cm(0x00, 0xFF, {0x20, 21, 0, 3, 0xFF, 0xE3, 0xFE, 0x00}), &r);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(device.dispatchMessage(dt(0x00, 0xFF, 1, data.mid(0, 7)), &r));
    QTest::ignoreMessage(QtDebugMsg, "Invalid packet sequence: expected 14 instead got 7");
    QVERIFY(!device.dispatchMessage(dt(0x00, 0xFF, 3, data.mid(14, 7)), &r));
    QCOMPARE(device.broadcastState(), int(J1939Device::BroadcastInProgress));
    QTRY_COMPARE_WITH_TIMEOUT(device.broadcastState(), int(J1939Device::BroadcastTimedOut), 5000);
    QVERIFY(clock.elapsed() >= 150); // the time-out after the last accepted frame
    QVERIFY(f->broadcasts.isEmpty());
    // The next announcement starts afresh.
    device.dispatchMessage(cm(0x00, 0xFF, {0x20, 9, 0, 2, 0xFF, 0xE3, 0xFE, 0x00}), &r);
    device.dispatchMessage(dt(0x00, 0xFF, 1, data), &r);
    device.dispatchMessage(dt(0x00, 0xFF, 2, data.mid(7)), &r);
    QCOMPARE(f->broadcasts.size(), 1);
    QCOMPARE(f->broadcasts.first(), data.left(9));
}

void tst_TransportProtocol::bamInvalidSequence_data()
{
    QTest::addColumn<int>("sequence");
    QTest::newRow("zero") << 0;
    QTest::newRow("above the count") << 4;
    QTest::newRow("255") << 255;
}

void tst_TransportProtocol::bamInvalidSequence()
{
    QFETCH(int, sequence);
    J1939Device device(0x00);
    new RecordingFunction(0xFE, 0xE3, &device);
    DispatchResult r;
    device.dispatchMessage(cm(0x00, 0xFF, {0x20, 21, 0, 3, 0xFF, 0xE3, 0xFE, 0x00}), &r);
    QTest::ignoreMessage(QtDebugMsg, "Invalid sequence number");
    QVERIFY(!device.dispatchMessage(dt(0x00, 0xFF, quint8(sequence), message(7)), &r));
    QVERIFY(r.payload.isEmpty());
}

void tst_TransportProtocol::bamBadAnnouncement_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("packets");
    QTest::newRow("size 0") << 0 << 0;
    QTest::newRow("more packets than the size needs") << 9 << 3;
    QTest::newRow("fewer packets than the size needs") << 100 << 2;
}

void tst_TransportProtocol::bamBadAnnouncement()
{
    QFETCH(int, size);
    QFETCH(int, packets);
    J1939Device device(0x00);
    auto *f = new RecordingFunction(0xFE, 0xE3, &device);
    DispatchResult r;
    QVERIFY(!device.dispatchMessage(
        cm(0x00, 0xFF, {0x20, quint8(size), quint8(size >> 8), quint8(packets), 0xFF, 0xE3, 0xFE, 0}),
        &r));
    for (int s = 1; s <= std::max(packets, 1); ++s)
        QVERIFY(!device.dispatchMessage(dt(0x00, 0xFF, quint8(s), message(7)), &r));
    QVERIFY(f->broadcasts.isEmpty());
}

void tst_TransportProtocol::bamOnlyFromGlobalData()
{
    J1939Device device(0x00);
    auto *f = new RecordingFunction(0xFE, 0xE3, &device);
    DispatchResult r;
    device.dispatchMessage(cm(0x00, 0xFF, {0x20, 9, 0, 2, 0xFF, 0xE3, 0xFE, 0x00}), &r);
    // Data this device sends to a peer in another transfer is not part of the broadcast.
    QVERIFY(!device.dispatchMessage(dt(0x00, 0x42, 1, message(7)), &r));
    device.dispatchMessage(dt(0x00, 0xFF, 1, message(7)), &r);
    device.dispatchMessage(dt(0x00, 0xFF, 2, message(7)), &r);
    QCOMPARE(f->broadcasts.size(), 1);
}

void tst_TransportProtocol::rtsCtsExchange()
{
    J1939Device device(0x30);
    auto *f = new RecordingFunction(0xFE, 0xDA, &device);
    f->setState(AbstractDisplayableItem::Send);
    const QByteArray data = message(23);
    DispatchResult r;
    CanMessage rts = cm(0x21, 0x30, {0x10, 23, 0, 4, 0xFF, 0xDA, 0xFE, 0x00});
    QVERIFY(device.dispatchTargetMessage(rts, &r));
    QCOMPARE(rts.text, QStringLiteral("TP.CM.RTS from 21, size 23 bytes 4 packets, PGN feda"));
    QVERIFY(device.getConnection(0x21));
    QCOMPARE(device.getConnection(0x21)->state(), TPConnection::WaitingToRespondRTS);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    QCOMPARE(hex(m_handler->writtenFrames().at(0)),
             QStringLiteral("6 ec2130 11 02 01 ff ff da fe 00"));
    QCOMPARE(m_handler->writtenFrames().at(0).text,
             QStringLiteral("TP.CM CTS windowSize 2 seq 1 PGN feda"));
    device.dispatchTargetMessage(dt(0x21, 0x30, 1, data.mid(0, 7)), &r);
    device.dispatchTargetMessage(dt(0x21, 0x30, 2, data.mid(7, 7)), &r);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 2);
    QCOMPARE(hex(m_handler->writtenFrames().at(1)),
             QStringLiteral("6 ec2130 11 00 ff ff ff da fe 00"));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 3);
    QCOMPARE(hex(m_handler->writtenFrames().at(2)),
             QStringLiteral("6 ec2130 11 02 03 ff ff da fe 00"));
    device.dispatchTargetMessage(dt(0x21, 0x30, 3, data.mid(14, 7)), &r);
    device.dispatchTargetMessage(dt(0x21, 0x30, 4, data.mid(21, 2) + QByteArray(5, '\xff')), &r);
    // The last packet leads straight to the acknowledgement.
    QCOMPARE(f->connections.size(), 1);
    QCOMPARE(f->connections.first(), data);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 4);
    const CanMessage ack = m_handler->writtenFrames().at(3);
    QCOMPARE(hex(ack), QStringLiteral("6 ec2130 13 17 00 04 ff da fe 00"));
    QCOMPARE(ack.text, QStringLiteral("TP.CM EndOfMsgAck 23 bytes, 4 packets, pgn feda"));
    QVERIFY(!device.getConnection(0x21));
    QTest::qWait(60);
    QCOMPARE(m_handler->writtenFrames().size(), 4);
}

void tst_TransportProtocol::ctsNearTheEnd_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("ctsSequence"); // packets/next of each CTS
    QTest::newRow("5 packets, window 2: the last CTS asks 1") << 33 << 2 << "2/1 0/255 2/3 0/255 1/5";
    QTest::newRow("4 packets, window 2: full windows") << 23 << 2 << "2/1 0/255 2/3";
    QTest::newRow("4 packets, window 3") << 25 << 3 << "3/1 0/255 1/4";
    QTest::newRow("7 packets, window 3") << 49 << 3 << "3/1 0/255 3/4 0/255 1/7";
    QTest::newRow("window above the packet count") << 15 << 5 << "3/1";
    QTest::newRow("one packet") << 5 << 2 << "1/1";
}

void tst_TransportProtocol::ctsNearTheEnd()
{
    QFETCH(int, size);
    QFETCH(int, window);
    QFETCH(QString, ctsSequence);
    TPConnection::Timing t = TPConnection::timing();
    t.windowSize = window;
    TPConnection::setTiming(t);
    J1939Device device(0x30);
    auto *f = new RecordingFunction(0xFE, 0xDA, &device);
    f->setState(AbstractDisplayableItem::Send);
    const QByteArray data = message(size);
    const quint8 packets = quint8((size + 6) / 7);
    DispatchResult r;
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, quint8(size), 0, packets, 0xFF, 0xDA, 0xFE, 0}),
                                 &r);
    // Play the originator: send what each CTS asks for, until the acknowledgement.
    QStringList got;
    int seen = 0;
    bool acknowledged = false;
    while (!acknowledged) {
        QTRY_VERIFY(m_handler->writtenFrames().size() > seen);
        const CanMessage frame = m_handler->writtenFrames().at(seen++);
        if (frame.data[0] == TPConnection::EndOfMsgAck) {
            acknowledged = true;
            break;
        }
        QCOMPARE(frame.data[0], quint8(TPConnection::Cts));
        const int count = frame.data[1];
        const int next = frame.data[2];
        got << QStringLiteral("%1/%2").arg(count).arg(next);
        QVERIFY2(count == 0 || next + count - 1 <= packets, qPrintable(got.join(QLatin1Char(' '))));
        for (int s = next; count > 0 && s < next + count; ++s)
            device.dispatchTargetMessage(dt(0x21, 0x30, quint8(s), data.mid((s - 1) * 7, 7)), &r);
    }
    QCOMPARE(got.join(QLatin1Char(' ')), ctsSequence);
    QCOMPARE(f->connections, QList<QByteArray>{data});
}

void tst_TransportProtocol::repeatedPacketIgnored()
{
    J1939Device device(0x30);
    auto *f = new RecordingFunction(0xFE, 0xDA, &device);
    f->setState(AbstractDisplayableItem::Send);
    const QByteArray data = message(10);
    DispatchResult r;
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 10, 0, 2, 0xFF, 0xDA, 0xFE, 0}), &r);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    device.dispatchTargetMessage(dt(0x21, 0x30, 1, data), &r);
    device.dispatchTargetMessage(dt(0x21, 0x30, 1, message(7)), &r); // again: ignored
    QVERIFY(device.getConnection(0x21));
    device.dispatchTargetMessage(dt(0x21, 0x30, 2, data.mid(7)), &r);
    QCOMPARE(f->connections.size(), 1);
    QCOMPARE(f->connections.first(), data);
}

void tst_TransportProtocol::skippedPacketDrops()
{
    J1939Device device(0x30);
    auto *f = new RecordingFunction(0xFE, 0xDA, &device);
    f->setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 21, 0, 3, 0xFF, 0xDA, 0xFE, 0}), &r);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    device.dispatchTargetMessage(dt(0x21, 0x30, 1, message(7)), &r);
    QTest::ignoreMessage(QtDebugMsg, "Unexpected message");
    device.dispatchTargetMessage(dt(0x21, 0x30, 3, message(7)), &r);
    QVERIFY(!device.getConnection(0x21));
    QVERIFY(f->connections.isEmpty());
    QTest::qWait(80);
    QCOMPARE(m_handler->writtenFrames().size(), 1); // no abort is sent
}

void tst_TransportProtocol::abortDrops()
{
    J1939Device device(0x30);
    new RecordingFunction(0xFE, 0xDA, &device);
    device.setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 21, 0, 3, 0xFF, 0xDA, 0xFE, 0}), &r);
    QVERIFY(device.getConnection(0x21));
    CanMessage abort = cm(0x21, 0x30, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDA, 0xFE, 0});
    device.dispatchTargetMessage(abort, &r);
    QCOMPARE(abort.text, QStringLiteral("TP.CM ConnAbort"));
    QVERIFY(!device.getConnection(0x21));
    QTest::qWait(60);
    QVERIFY(m_handler->writtenFrames().isEmpty());
}

void tst_TransportProtocol::newRtsReplaces()
{
    J1939Device device(0x30);
    auto *f = new RecordingFunction(0xFE, 0xDA, &device);
    f->setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 100, 0, 15, 0xFF, 0xDA, 0xFE, 0}), &r);
    QPointer<TPConnection> first = device.getConnection(0x21);
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 9, 0, 2, 0xFF, 0xDA, 0xFE, 0}), &r);
    TPConnection *second = device.getConnection(0x21);
    QVERIFY(second && second != first.data());
    QCOMPARE(second->totalSize(), quint16(9));
    QTRY_VERIFY(first.isNull()); // deleted later
    QCOMPARE(device.connectionCount(), 1);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    device.dispatchTargetMessage(dt(0x21, 0x30, 1, message(7)), &r);
    device.dispatchTargetMessage(dt(0x21, 0x30, 2, message(7)), &r);
    QCOMPARE(f->connections.size(), 1);
    QCOMPARE(f->connections.first().size(), 9);
}

void tst_TransportProtocol::noDataAfterCtsDropsSilently()
{
    J1939Device device(0x30);
    auto *f = new RecordingFunction(0xFE, 0xDA, &device);
    f->setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 21, 0, 3, 0xFF, 0xDA, 0xFE, 0}), &r);
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!device.getConnection(0x21), 5000);
    QVERIFY(clock.elapsed() >= 300); // the CTS-to-data time-out
    QCOMPARE(m_handler->writtenFrames().size(), 1);
}

void tst_TransportProtocol::twoPeersAtOnce()
{
    J1939Device device(0x30);
    auto *f = new RecordingFunction(0xFE, 0xDA, &device);
    f->setState(AbstractDisplayableItem::Send);
    const QByteArray a = message(14);
    const QByteArray b(14, 'b');
    DispatchResult r;
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 14, 0, 2, 0xFF, 0xDA, 0xFE, 0}), &r);
    device.dispatchTargetMessage(cm(0x22, 0x30, {0x10, 14, 0, 2, 0xFF, 0xDA, 0xFE, 0}), &r);
    QCOMPARE(device.connectionCount(), 2);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 2);
    device.dispatchTargetMessage(dt(0x22, 0x30, 1, b.mid(0, 7)), &r);
    device.dispatchTargetMessage(dt(0x21, 0x30, 1, a.mid(0, 7)), &r);
    device.dispatchTargetMessage(dt(0x21, 0x30, 2, a.mid(7, 7)), &r);
    device.dispatchTargetMessage(dt(0x22, 0x30, 2, b.mid(7, 7)), &r);
    QCOMPARE(f->connections, (QList<QByteArray>{a, b}));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 4);
    QSet<quint32> acked;
    for (int i = 2; i < 4; ++i)
        acked.insert(m_handler->writtenFrames().at(i).id);
    QCOMPARE(acked, (QSet<quint32>{0x18EC2130, 0x18EC2230}));
}

void tst_TransportProtocol::unexpectedControl()
{
    J1939Device device(0x30);
    device.setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    for (quint8 control : {quint8(0x11), quint8(0x13), quint8(0x20)}) {
        QTest::ignoreMessage(QtDebugMsg, "Got unexpected TP.CM message");
        QVERIFY(device.dispatchTargetMessage(cm(0x21, 0x30, {control, 9, 0, 2, 0xFF, 0xDA, 0xFE, 0}),
                                             &r));
    }
    QCOMPARE(device.connectionCount(), 0);
}

void tst_TransportProtocol::dataWithoutConnection()
{
    J1939Device device(0x30);
    DispatchResult r;
    QTest::ignoreMessage(QtDebugMsg,
                         "TP error, no connection for data message 7 eb3021 01 10 11 12 13 14 15 16");
    device.dispatchTargetMessage(dt(0x21, 0x30, 1, message(7)), &r);
    // An RTS whose size and packet count disagree opens nothing.
    device.dispatchTargetMessage(cm(0x21, 0x30, {0x10, 30, 0, 2, 0xFF, 0xDA, 0xFE, 0}), &r);
    QCOMPARE(device.connectionCount(), 0);
}

void tst_TransportProtocol::timingSettings_data()
{
    QTest::addColumn<QVariant>("saved"); // TimeoutDataToData in the settings, invalid: absent
    QTest::addColumn<int>("dataToData");
    QTest::newRow("absent: the default T1 of 750 ms") << QVariant() << 750;
    QTest::newRow("a saved 250 stays the user's") << QVariant(250) << 250;
    QTest::newRow("a saved 1000") << QVariant(1000) << 1000;
    QTest::newRow("not a number: the default") << QVariant(QStringLiteral("fast")) << 750;
}

void tst_TransportProtocol::timingSettings()
{
    QFETCH(QVariant, saved);
    QFETCH(int, dataToData);
    QSettings settings;
    settings.clear();
    settings.setValue(QStringLiteral("ConnectionTiming/DelayRtsToCts"), 123);
    settings.setValue(QStringLiteral("ConnectionTiming/WindowSize"), QStringLiteral("abc"));
    if (saved.isValid())
        settings.setValue(QStringLiteral("ConnectionTiming/TimeoutDataToData"), saved);
    TPConnection::setTiming(TPConnection::defaultTiming());
    TPConnection::readTiming(settings);
    QCOMPARE(TPConnection::timing().delayRtsToCts, 123);
    QCOMPARE(TPConnection::timing().windowSize, 2); // not a number: kept
    QCOMPARE(TPConnection::timing().timeoutCtsToData, 1250);
    QCOMPARE(TPConnection::timing().timeoutDataToData, dataToData);
    TPConnection::Timing t = TPConnection::timing();
    t.windowSize = 7;
    TPConnection::writeTiming(settings, t);
    QCOMPARE(settings.value(QStringLiteral("ConnectionTiming/WindowSize")).toInt(), 7);
    QCOMPARE(settings.value(QStringLiteral("ConnectionTiming/TimeoutDataToData")).toInt(),
             dataToData);
    settings.clear();
}

void tst_TransportProtocol::timingDialogDefaults()
{
    TPConnection::Timing t = TPConnection::defaultTiming();
    QCOMPARE(t.timeoutDataToData, 750);
    t.timeoutDataToData = 250;
    TPConnection::setTiming(t);
    ConnectionTimeoutsDialog dialog;
    auto *dataToData = dialog.findChild<QSpinBox *>(QStringLiteral("dataToData"));
    QVERIFY(dataToData);
    QCOMPARE(dataToData->value(), 250); // opens with the current values
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QTest::mouseClick(buttons->button(QDialogButtonBox::RestoreDefaults), Qt::LeftButton);
    QCOMPARE(dataToData->value(), 750);
    QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("ctsToData"))->value(), 1250);
}

QTEST_MAIN(tst_TransportProtocol)
#include "tst_transportprotocol.moc"
