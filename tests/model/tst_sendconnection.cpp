#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"
#include "model/tpsendconnection.h"
#include "support/recordingfunction.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/tpframes.h"

#include <QtTest>

namespace {

constexpr quint8 StandIn = 0x00;
constexpr quint8 Tool = 0xF9;

// A function of the stand-in whose message is `reply` (any length).
class AnsweringFunction : public StaticPgnJ1939DeviceFunction
{
public:
    AnsweringFunction(quint8 pf, quint8 ps, QObject *parent)
        : StaticPgnJ1939DeviceFunction(pf, ps, parent)
    {}
    void transmitState() override
    {
        transmitData(reinterpret_cast<const unsigned char *>(reply.constData()),
                     unsigned(reply.size()));
    }
    QByteArray reply;
};

// The unit the program stands in for, on `handler`'s bus, answering for EC1 (0xFEE3) with a
// message of `replySize` bytes.
class StandInUnit : public J1939Device
{
public:
    StandInUnit(TestCanHandler *handler, int replySize)
        : J1939Device(StandIn)
    {
        handler->adopt(this);
        ec1->reply = tpMessage(replySize);
        setState(AbstractDisplayableItem::Send);
    }
    bool receive(const CanMessage &m) { return dispatchTargetMessage(m, &result); }

    AnsweringFunction *ec1 = new AnsweringFunction(0xFE, 0xE3, this);
    DispatchResult result;
};

// A request for `pgn` from `source` to `destination`.
CanMessage request(quint8 source, quint8 destination, quint32 pgn)
{
    return makeFrame(0x18EA0000u | quint32(destination) << 8 | source,
                     {quint8(pgn), quint8(pgn >> 8), quint8(pgn >> 16)});
}

CanMessage fromTool(std::initializer_list<quint8> control)
{
    return tpControl(Tool, StandIn, control);
}

// The frames the stand-in wrote, in short: "RTS 23/4", "DT 1-4" (runs of consecutive packets,
// each checked against the message), "Abort 3", "BAM 23/4"; anything else as hex.
QString summary(const QVector<CanMessage> &frames, const QByteArray &message)
{
    QStringList out;
    int runStart = -1;
    int runEnd = -1;
    auto flush = [&] {
        if (runStart < 0)
            return;
        out << (runStart == runEnd ? QStringLiteral("DT %1").arg(runStart)
                                   : QStringLiteral("DT %1-%2").arg(runStart).arg(runEnd));
        runStart = -1;
    };
    for (const CanMessage &f : frames) {
        if (f.pduFormat() == J1939Device::PfTransportData) {
            const int s = f.data[0];
            QByteArray expected = message.mid((s - 1) * 7, 7);
            expected.append(QByteArray(7 - expected.size(), '\xff'));
            if (QByteArray(reinterpret_cast<const char *>(f.data + 1), 7) != expected) {
                flush();
                out << QStringLiteral("DT %1 wrong bytes").arg(s);
                continue;
            }
            if (runStart >= 0 && s == runEnd + 1) {
                runEnd = s;
                continue;
            }
            flush();
            runStart = runEnd = s;
            continue;
        }
        flush();
        const int size = f.data[1] | f.data[2] << 8;
        if (f.pduFormat() == J1939Device::PfTransportControl && f.data[0] == 0x10)
            out << QStringLiteral("RTS %1/%2").arg(size).arg(f.data[3]);
        else if (f.pduFormat() == J1939Device::PfTransportControl && f.data[0] == 0x20)
            out << QStringLiteral("BAM %1/%2").arg(size).arg(f.data[3]);
        else if (f.pduFormat() == J1939Device::PfTransportControl && f.data[0] == 0xFF)
            out << QStringLiteral("Abort %1").arg(f.data[1]);
        else
            out << f.toString();
    }
    flush();
    return out.join(QStringLiteral(", "));
}

} // namespace

// A unit the program stands in for answers a request addressed to it with a long message by a
// connection to the requester (RTS/CTS), paced by the requester's CTS frames.
class tst_SendConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init();
    void answer_data();
    void answer();
    void announcement();
    void busyPeerRefused();
    void twoPeersAtOnce();
    void broadcastUnlessAskedByName_data();
    void broadcastUnlessAskedByName();
    void reassembledByReceiverAndBystander();

private:
    TestCanHandler *m_handler = nullptr;
};

void tst_SendConnection::init()
{
    delete m_handler;
    m_handler = new TestCanHandler(nullptr, this);
    QVERIFY(m_handler->start());
    TPSendConnection::Timing t;
    t.timeoutCts = 150;
    t.timeoutHold = 100;
    t.packetInterval = 0;
    t.retransmitLimit = 2;
    m_handler->bus()->setSendTiming(t);
}

void tst_SendConnection::answer_data()
{
    // The tool's side, one step each: "cts N NEXT", "cts! N NEXT" (at once, while a window is
    // still going out), "ack", "abort", "silence" (until the stand-in gives up or longer).
    QTest::addColumn<int>("size");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<bool>("completed");
    QTest::newRow("window 2 with a hold between, as the program's receiver asks")
        << 23 << QStringList{"cts 2 1", "cts 0 255", "cts 2 3", "ack"} << "RTS 23/4, DT 1-4"
        << true;
    QTest::newRow("window 1") << 23
                              << QStringList{"cts 1 1", "cts 1 2", "cts 1 3", "cts 1 4", "ack"}
                              << "RTS 23/4, DT 1-4" << true;
    QTest::newRow("window 255: everything at once")
        << 100 << QStringList{"cts 255 1", "ack"} << "RTS 100/15, DT 1-15" << true;
    QTest::newRow("1785 bytes, window 255")
        << 1785 << QStringList{"cts 255 1", "ack"} << "RTS 1785/255, DT 1-255" << true;
    QTest::newRow("9 bytes") << 9 << QStringList{"cts 2 1", "ack"} << "RTS 9/2, DT 1-2" << true;
    QTest::newRow("a CTS for more than is left sends the rest")
        << 23 << QStringList{"cts 2 1", "cts 9 3", "ack"} << "RTS 23/4, DT 1-4" << true;
    QTest::newRow("a hold first") << 23 << QStringList{"cts 0 255", "cts 4 1", "ack"}
                                  << "RTS 23/4, DT 1-4" << true;
    QTest::newRow("packets asked for again are sent again")
        << 23 << QStringList{"cts 2 1", "cts 2 1", "cts 2 3", "ack"} << "RTS 23/4, DT 1-2, DT 1-4"
        << true;
    QTest::newRow("a third request for packets sent before: abort 5")
        << 23 << QStringList{"cts 2 1", "cts 2 1", "cts 2 1", "cts 2 1"}
        << "RTS 23/4, DT 1-2, DT 1-2, DT 1-2, Abort 5" << false;
    QTest::newRow("the tool's abort ends it quietly")
        << 23 << QStringList{"cts 2 1", "abort", "silence"} << "RTS 23/4, DT 1-2" << false;
    QTest::newRow("no CTS: abort 3 after T3")
        << 23 << QStringList{"silence"} << "RTS 23/4, Abort 3" << false;
    QTest::newRow("no acknowledgement: abort 3")
        << 23 << QStringList{"cts 4 1", "silence"} << "RTS 23/4, DT 1-4, Abort 3" << false;
    QTest::newRow("a hold never released: abort 3 after T4")
        << 23 << QStringList{"cts 0 255", "silence"} << "RTS 23/4, Abort 3" << false;
    QTest::newRow("an acknowledgement before the last packet is ignored")
        << 23 << QStringList{"cts 2 1", "ack", "silence"} << "RTS 23/4, DT 1-2, Abort 3" << false;
    QTest::newRow("a CTS while a window goes out: abort 4")
        << 23 << QStringList{"cts! 4 1", "cts! 2 3"} << "RTS 23/4, DT 1, Abort 4" << false;
    QTest::newRow("a CTS for packet 0: abort")
        << 23 << QStringList{"cts 2 0"} << "RTS 23/4, Abort 250" << false;
    QTest::newRow("a CTS for a packet beyond the message: abort")
        << 23 << QStringList{"cts 1 5"} << "RTS 23/4, Abort 250" << false;
}

void tst_SendConnection::answer()
{
    QFETCH(int, size);
    QFETCH(QStringList, steps);
    QFETCH(QString, sent);
    QFETCH(bool, completed);
    StandInUnit standIn(m_handler, size);
    QVERIFY(standIn.receive(request(Tool, StandIn, 0xFEE3)));
    QPointer<TPSendConnection> connection = standIn.transport()->sendConnectionTo(Tool);
    QVERIFY(connection);
    bool sawCompletion = false;
    for (const QString &step : steps) {
        const QStringList f = step.split(QLatin1Char(' '));
        if (f[0].startsWith(QLatin1String("cts"))) {
            standIn.receive(fromTool(
                {0x11, quint8(f[1].toUInt()), quint8(f[2].toUInt()), 0xFF, 0xFF, 0xE3, 0xFE, 0}));
            if (f[0] == QLatin1String("cts"))
                QTRY_VERIFY(!connection || connection->state() != TPSendConnection::SendingWindow);
        } else if (f[0] == QLatin1String("ack")) {
            standIn.receive(fromTool({0x13, quint8(size), quint8(size >> 8), quint8((size + 6) / 7),
                                      0xFF, 0xE3, 0xFE, 0}));
            // Ended connections are deleted later: the outcome is still there to read.
            sawCompletion = connection && connection->isCompleted();
        } else if (f[0] == QLatin1String("abort")) {
            standIn.receive(fromTool({0xFF, 2, 0xFF, 0xFF, 0xFF, 0xE3, 0xFE, 0}));
        } else if (f[0] == QLatin1String("silence")) {
            // Longer than any time-out of the stand-in: whatever it does on its own is done.
            QTRY_VERIFY_WITH_TIMEOUT(!standIn.transport()->sendConnectionTo(Tool), 3000);
            QTest::qWait(300);
        }
    }
    QCOMPARE(summary(m_handler->writtenFrames(), standIn.ec1->reply), sent);
    QCOMPARE(sawCompletion, completed);
    QCOMPARE(standIn.transport()->sendConnectionTo(Tool), nullptr);
    QTRY_VERIFY(connection.isNull()); // deleted later
}

void tst_SendConnection::announcement()
{
    StandInUnit standIn(m_handler, 28);
    standIn.receive(request(Tool, StandIn, 0xFEE3));
    // RTS to the requester: size, packets, no limit per CTS, the PGN; then the packets.
    QCOMPARE(m_handler->writtenFrames().size(), 1);
    QCOMPARE(m_handler->writtenFrames().at(0).toString(),
             QStringLiteral("6 ecf900 10 1c 00 04 ff e3 fe 00"));
    standIn.receive(fromTool({0x11, 4, 1, 0xFF, 0xFF, 0xE3, 0xFE, 0}));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 5);
    QCOMPARE(m_handler->writtenFrames().at(1).toString(),
             QStringLiteral("6 ebf900 01 10 11 12 13 14 15 16"));
    QCOMPARE(m_handler->writtenFrames().at(4).toString(),
             QStringLiteral("6 ebf900 04 25 26 27 28 29 2a 2b"));
    // A CTS of another PGN is not this connection's.
    QTest::ignoreMessage(QtDebugMsg, "Got unexpected TP.CM message");
    standIn.receive(fromTool({0x11, 2, 1, 0xFF, 0xFF, 0xCA, 0xFE, 0}));
    QTest::qWait(20);
    QCOMPARE(m_handler->writtenFrames().size(), 5);
    // The time-out's abort names the PGN.
    QTRY_COMPARE(m_handler->writtenFrames().size(), 6);
    QCOMPARE(m_handler->writtenFrames().at(5).toString(),
             QStringLiteral("6 ecf900 ff 03 ff ff ff e3 fe 00"));
}

void tst_SendConnection::busyPeerRefused()
{
    StandInUnit standIn(m_handler, 23);
    auto *dm1 = new AnsweringFunction(0xFE, 0xCA, &standIn);
    dm1->reply = tpMessage(10);
    dm1->setState(AbstractDisplayableItem::Send);
    standIn.receive(request(Tool, StandIn, 0xFEE3));
    standIn.receive(request(Tool, StandIn, 0xFECA));
    // One connection per direction between two nodes: the second is refused (reason 1, its
    // own PGN), the first goes on.
    QCOMPARE(m_handler->writtenFrames().size(), 2);
    QCOMPARE(m_handler->writtenFrames().at(1).toString(),
             QStringLiteral("6 ecf900 ff 01 ff ff ff ca fe 00"));
    standIn.receive(fromTool({0x11, 4, 1, 0xFF, 0xFF, 0xE3, 0xFE, 0}));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 6);
    standIn.receive(fromTool({0x13, 23, 0, 4, 0xFF, 0xE3, 0xFE, 0}));
    QCOMPARE(standIn.transport()->sendConnectionCount(), 0);
    // Once done, the next request gets its connection.
    standIn.receive(request(Tool, StandIn, 0xFECA));
    QCOMPARE(m_handler->writtenFrames().last().toString(),
             QStringLiteral("6 ecf900 10 0a 00 02 ff ca fe 00"));
}

void tst_SendConnection::twoPeersAtOnce()
{
    StandInUnit standIn(m_handler, 14);
    standIn.receive(request(Tool, StandIn, 0xFEE3));
    standIn.receive(request(0x21, StandIn, 0xFEE3));
    QCOMPARE(standIn.transport()->sendConnectionCount(), 2);
    standIn.receive(tpControl(0x21, StandIn, {0x11, 2, 1, 0xFF, 0xFF, 0xE3, 0xFE, 0}));
    QTRY_COMPARE(m_handler->writtenFrames(J1939Device::PfTransportData).size(), 2);
    for (const CanMessage &dt : m_handler->writtenFrames(J1939Device::PfTransportData))
        QCOMPARE(dt.pduSpecific(), quint8(0x21));
    QVERIFY(standIn.transport()->sendConnectionTo(Tool));
}

void tst_SendConnection::broadcastUnlessAskedByName_data()
{
    QTest::addColumn<quint8>("requester");
    QTest::addColumn<QString>("asked"); // "by name", "globally" or "not at all" (sent by itself)
    QTest::addColumn<QString>("first");
    QTest::newRow("asked by name: RTS to the requester") << quint8(Tool) << "by name"
                                                         << "6 ecf900 10 17 00 04 ff e3 fe 00";
    QTest::newRow("asked globally: BAM") << quint8(Tool) << "globally"
                                         << "6 ecff00 20 17 00 04 ff e3 fe 00";
    QTest::newRow("asked by a node without an address: BAM") << quint8(0xFE) << "by name"
                                                             << "6 ecff00 20 17 00 04 ff e3 fe 00";
    QTest::newRow("sent by itself (periodic): BAM") << quint8(Tool) << "not at all"
                                                    << "6 ecff00 20 17 00 04 ff e3 fe 00";
}

void tst_SendConnection::broadcastUnlessAskedByName()
{
    QFETCH(quint8, requester);
    QFETCH(QString, asked);
    QFETCH(QString, first);
    StandInUnit standIn(m_handler, 23);
    AnsweringFunction *ec1 = standIn.ec1;
    if (asked == QLatin1String("by name"))
        standIn.receive(request(requester, StandIn, 0xFEE3));
    else if (asked == QLatin1String("globally"))
        standIn.receive(request(requester, 0xFF, 0xFEE3));
    else
        ec1->transmitState();
    QVERIFY(!m_handler->writtenFrames().isEmpty());
    QCOMPARE(m_handler->writtenFrames().at(0).toString(), first);
    // After an answer, the function's own sending is a broadcast again.
    QTRY_COMPARE(standIn.broadcastState(), int(J1939Device::BroadcastIdle));
    const int before = m_handler->writtenFrames().size();
    ec1->transmitState();
    QCOMPARE(m_handler->writtenFrames().at(before).pduSpecific(), quint8(0xFF));
}

void tst_SendConnection::reassembledByReceiverAndBystander()
{
    // The stand-in answers the program's own receiver at 0xF9 (default timings, window 2); a
    // device listening to 0x00 follows the same connection from the stand-in's frames.
    m_handler->bus()->setTransportTiming(quickTiming(5));
    StandInUnit standIn(m_handler, 47);
    J1939Device tool(Tool);
    m_handler->adopt(&tool);
    auto *received = new RecordingFunction(0xFE, 0xE3, &tool);
    tool.setState(AbstractDisplayableItem::Send);
    J1939Device listener(StandIn);
    m_handler->adopt(&listener);
    auto *followed = new RecordingFunction(0xFE, 0xE3, &listener);
    standIn.receive(request(Tool, StandIn, 0xFEE3));
    int seen = 0;
    QElapsedTimer clock;
    clock.start();
    while ((standIn.transport()->sendConnectionCount() > 0 || tool.connectionCount() > 0)
           && clock.elapsed() < 5000) {
        const QVector<CanMessage> frames = m_handler->writtenFrames();
        for (; seen < frames.size(); ++seen) {
            const CanMessage &f = frames.at(seen);
            DispatchResult fr(DispatchResult::Received, clock.elapsed());
            if (f.address() == StandIn) {
                listener.dispatchMessage(f, &fr);
                tool.dispatchTargetMessage(f, &fr);
            } else {
                standIn.dispatchTargetMessage(f, &fr);
            }
        }
        QTest::qWait(1);
    }
    QCOMPARE(received->connections, QList<QByteArray>{standIn.ec1->reply});
    QCOMPARE(followed->broadcasts, QList<QByteArray>{standIn.ec1->reply});
    // No abort from either side.
    for (const CanMessage &f : m_handler->writtenFrames(J1939Device::PfTransportControl))
        QVERIFY2(f.data[0] != 0xFF, qPrintable(f.toString()));
}

QTEST_MAIN(tst_SendConnection)
#include "tst_sendconnection.moc"
