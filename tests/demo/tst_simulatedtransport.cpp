#include "demo/simulatedtransport.h"
#include "support/tpframes.h"

#include <QtTest>

// One address's transport on its own clock: transfers one after the other, the silent peer.

namespace {

constexpr quint8 Source = 0x01;
constexpr quint8 Peer = 0xF9;

CanMessage fromPeer(std::initializer_list<quint8> control)
{
    return tpControl(Peer, Source, control);
}

// Connection-management frames among `replies` as "control:pgn", e.g. "10:feeb".
QStringList controls(const QVector<SimulatedReply> &replies)
{
    QStringList list;
    for (const SimulatedReply &r : replies) {
        if (r.frame.pduFormat() != 0xEC)
            continue;
        const quint32 pgn = r.frame.data[5] | r.frame.data[6] << 8 | r.frame.data[7] << 16;
        list.append(
            QStringLiteral("%1:%2").arg(r.frame.data[0], 2, 16, QLatin1Char('0')).arg(pgn, 0, 16));
    }
    return list;
}

int dataPackets(const QVector<SimulatedReply> &replies)
{
    return int(std::count_if(replies.begin(), replies.end(),
                             [](const SimulatedReply &r) { return r.frame.pduFormat() == 0xEB; }));
}

} // namespace

class tst_SimulatedTransport : public QObject
{
    Q_OBJECT

private slots:
    void secondConnectionWaitsForTheFirst_data();
    void secondConnectionWaitsForTheFirst();
    void broadcastsFollowOneAnother();
    void silentPeerIsAbandoned();
    void singleFramesNeverWait();
    void queueIsBounded();
};

void tst_SimulatedTransport::secondConnectionWaitsForTheFirst_data()
{
    QTest::addColumn<quint8>("ending");
    QTest::addColumn<int>("completed");
    QTest::addColumn<int>("aborted");
    QTest::newRow("end of message acknowledged") << quint8(0x13) << 2 << 0;
    QTest::newRow("aborted by the peer") << quint8(0xFF) << 1 << 1;
}

void tst_SimulatedTransport::secondConnectionWaitsForTheFirst()
{
    QFETCH(quint8, ending);
    QFETCH(int, completed);
    QFETCH(int, aborted);
    SimulatedTransport link(Source);
    QVector<SimulatedReply> replies;
    link.tick(0, &replies);
    link.send(0xFEEB, QByteArray(20, 'a'), Peer, &replies);
    link.send(0xFEEC, QByteArray(18, 'b'), Peer, &replies);
    QCOMPARE(controls(replies), QStringList{"10:feeb"});
    QCOMPARE(link.queuedCount(), 1);

    replies.clear();
    link.takeControlFrame(fromPeer({0x11, 3, 1, 0xFF, 0xFF, 0xEB, 0xFE, 0}), &replies);
    QCOMPARE(dataPackets(replies), 3);
    replies.clear();
    link.takeControlFrame(fromPeer({ending, 20, 0, 3, 0xFF, 0xEB, 0xFE, 0}), &replies);
    // The waiting message's connection opens once the first ends.
    QCOMPARE(controls(replies), QStringList{"10:feec"});
    replies.clear();
    link.takeControlFrame(fromPeer({0x11, 3, 1, 0xFF, 0xFF, 0xEC, 0xFE, 0}), &replies);
    link.takeControlFrame(fromPeer({0x13, 18, 0, 3, 0xFF, 0xEC, 0xFE, 0}), &replies);
    QCOMPARE(link.completedCount(), completed);
    QCOMPARE(link.abortedCount(), aborted);
    QVERIFY(!link.isBusy());
}

void tst_SimulatedTransport::broadcastsFollowOneAnother()
{
    SimulatedTransport link(Source);
    QVector<SimulatedReply> replies;
    link.tick(1000, &replies);
    link.send(0xFECA, QByteArray(14, 'a'), 0xFF, &replies); // 2 packets
    link.send(0xFEEB, QByteArray(30, 'b'), 0xFF, &replies);
    QCOMPARE(controls(replies), QStringList{"20:feca"});
    const int lastPacketMs = replies.last().delayMs;
    replies.clear();
    link.tick(1000 + lastPacketMs, &replies);
    QVERIFY(replies.isEmpty()); // the first one's last packet is only now on the bus
    link.tick(1000 + lastPacketMs + SimulatedTransport::BamSpacingMs, &replies);
    QCOMPARE(controls(replies), QStringList{"20:feeb"});
    QCOMPARE(dataPackets(replies), 5);
}

void tst_SimulatedTransport::silentPeerIsAbandoned()
{
    SimulatedTransport link(Source);
    QVector<SimulatedReply> replies;
    link.tick(0, &replies);
    link.send(0xFEEB, QByteArray(20, 'a'), Peer, &replies);
    link.send(0xFECA, QByteArray(20, 'b'), 0xFF, &replies);
    replies.clear();
    link.tick(SimulatedTransport::ResponseTimeoutMs, &replies);
    QVERIFY(replies.isEmpty());
    link.tick(SimulatedTransport::ResponseTimeoutMs + 1, &replies);
    // The connection is aborted (reason 3, time-out) and the broadcast that waited goes out.
    QCOMPARE(controls(replies), (QStringList{"ff:feeb", "20:feca"}));
    QCOMPARE(int(replies.first().frame.data[1]), 3);
    QCOMPARE(link.abortedCount(), 1);
    // A late CTS of the abandoned connection sends nothing.
    replies.clear();
    QVERIFY(!link.takeControlFrame(fromPeer({0x11, 3, 1, 0xFF, 0xFF, 0xEB, 0xFE, 0}), &replies));
    QCOMPARE(dataPackets(replies), 0);
}

void tst_SimulatedTransport::singleFramesNeverWait()
{
    SimulatedTransport link(Source);
    QVector<SimulatedReply> replies;
    link.send(0xFEEB, QByteArray(20, 'a'), Peer, &replies);
    replies.clear();
    link.send(0xFECE, QByteArray(8, 'c'), Peer, &replies);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().frame.pgn(), 0xFECEu);
    QCOMPARE(int(replies.first().frame.length), 8);
}

void tst_SimulatedTransport::queueIsBounded()
{
    SimulatedTransport link(Source);
    QVector<SimulatedReply> replies;
    link.send(0xFEEB, QByteArray(20, 'a'), Peer, &replies);
    for (int i = 0; i < SimulatedTransport::MaxQueued + 3; ++i)
        link.send(0xFEEC, QByteArray(20, 'b'), Peer, &replies);
    QCOMPARE(link.queuedCount(), SimulatedTransport::MaxQueued);
    QCOMPARE(link.droppedCount(), 3);
}

QTEST_MAIN(tst_SimulatedTransport)
#include "tst_simulatedtransport.moc"
