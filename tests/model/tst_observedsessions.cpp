#include "model/j1939device.h"
#include "support/recordingfunction.h"
#include "support/testenvironment.h"
#include "support/tpframes.h"

#include <QtTest>

namespace {

constexpr quint8 Unit = 0x00;
// The unit's message for one destination: bytes that tell destinations and positions apart.
QByteArray messageTo(quint8 destination, int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(char(destination + i * 3));
    return data;
}

quint8 packetsOf(int size)
{
    return quint8((size + 6) / 7);
}

// What the unit sends, one step per string: "rts DD SIZE", "dt DD SEQ" (its packet of the
// message of the last RTS to DD), "bad DD SEQ" (that packet with other bytes), "abort DD",
// "refuse DD" (its abort of the destination's own connection, another PGN), "bam SIZE" (a
// broadcast of another group), "+MS" (time passes), "want DD" (the message of the last RTS to
// DD is delivered here).
struct Script
{
    QStringList steps;
};

} // namespace

Q_DECLARE_METATYPE(Script)

// Connections a unit sends by RTS/CTS, reassembled by the unit's own device as a bystander and
// handed to its function for the PGN as a completed broadcast is.
class tst_ObservedSessions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void reassembly_data();
    void reassembly();
    void lastFrameCarriesTheMessage();
    void acceptedOnlyWithAFunction();
    void ownCtsAndAckNotFollowed();

private:
    void play(J1939Device *device, const QStringList &steps, QList<QByteArray> *expected);
};

void tst_ObservedSessions::play(J1939Device *device, const QStringList &steps,
                                QList<QByteArray> *expected)
{
    QMap<quint8, int> sizes;
    qint64 now = 1000;
    for (const QString &step : steps) {
        const QStringList f = step.split(QLatin1Char(' '));
        DispatchResult r(DispatchResult::Received, now);
        if (f[0].startsWith(QLatin1Char('+'))) {
            now += f[0].mid(1).toInt();
            continue;
        }
        const quint8 dest = f.size() > 1 ? quint8(f[1].toUInt(nullptr, 16)) : 0;
        if (f[0] == QLatin1String("rts")) {
            const int size = f[2].toInt();
            sizes[dest] = size;
            device->dispatchMessage(tpControl(Unit, dest,
                                              {0x10, quint8(size), quint8(size >> 8),
                                               packetsOf(size), 0xFF, 0xC5, 0xFD, 0}),
                                    &r);
        } else if (f[0] == QLatin1String("dt") || f[0] == QLatin1String("bad")) {
            const int seq = f[2].toInt();
            QByteArray seven = messageTo(dest, sizes.value(dest)).mid((seq - 1) * 7, 7);
            if (f[0] == QLatin1String("bad"))
                seven.fill('\x55');
            device->dispatchMessage(tpData(Unit, dest, quint8(seq), seven), &r);
        } else if (f[0] == QLatin1String("abort")) {
            device->dispatchMessage(
                tpControl(Unit, dest, {0xFF, 3, 0xFF, 0xFF, 0xFF, 0xC5, 0xFD, 0}), &r);
        } else if (f[0] == QLatin1String("refuse")) {
            // The unit aborts a connection the destination sends to it (another PGN).
            device->dispatchMessage(
                tpControl(Unit, dest, {0xFF, 1, 0xFF, 0xFF, 0xFF, 0xDA, 0xFE, 0}), &r);
        } else if (f[0] == QLatin1String("bam")) {
            const int size = f[1].toInt();
            device->dispatchMessage(
                tpControl(Unit, 0xFF,
                          {0x20, quint8(size), 0, packetsOf(size), 0xFF, 0xDA, 0xFE, 0}),
                &r);
            for (int s = 1; s <= packetsOf(size); ++s) {
                DispatchResult d(DispatchResult::Received, now);
                device->dispatchMessage(
                    tpData(Unit, 0xFF, quint8(s), tpMessage(size).mid((s - 1) * 7, 7)), &d);
            }
        } else if (f[0] == QLatin1String("want")) {
            // The message the script expects to be delivered at this point.
            expected->append(messageTo(dest, sizes.value(dest)));
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
}

void tst_ObservedSessions::reassembly_data()
{
    QTest::addColumn<Script>("script");
    auto whole = [](const QString &dest, int size) {
        QStringList steps{QStringLiteral("rts %1 %2").arg(dest).arg(size)};
        for (int s = 1; s <= packetsOf(size); ++s)
            steps << QStringLiteral("dt %1 %2").arg(dest).arg(s);
        return steps << QStringLiteral("want %1").arg(dest);
    };
    for (int size : {9, 14, 15, 23, 255, 256, 1000, 1785})
        QTest::addRow("complete, %d bytes", size) << Script{whole(QStringLiteral("f9"), size)};
    QTest::newRow("a packet sent again after a CTS that asks again replaces the first copy")
        << Script{{"rts f9 23", "dt f9 1", "bad f9 2", "dt f9 3", "dt f9 2", "dt f9 3", "dt f9 4",
                   "want f9"}};
    QTest::newRow("a whole window sent again, then the end") << Script{
        {"rts f9 23", "dt f9 1", "dt f9 2", "dt f9 1", "dt f9 2", "dt f9 3", "dt f9 4", "want f9"}};
    QTest::newRow("the unit's abort ends the connection")
        << Script{{"rts f9 23", "dt f9 1", "dt f9 2", "abort f9", "dt f9 3", "dt f9 4"}};
    QTest::newRow("an abort to another destination leaves it alone")
        << Script{{"rts f9 14", "dt f9 1", "abort 21", "dt f9 2", "want f9"}};
    QTest::newRow("refusing the destination's own connection leaves this one alone")
        << Script{{"rts f9 14", "dt f9 1", "refuse f9", "dt f9 2", "want f9"}};
    QTest::newRow("a new RTS to the same destination replaces the connection")
        << Script{{"rts f9 23", "dt f9 1", "dt f9 2", "rts f9 9", "dt f9 1", "dt f9 2", "want f9",
                   "dt f9 3", "dt f9 4"}};
    QTest::newRow("connections to two destinations interleaved")
        << Script{{"rts f9 14", "rts 21 20", "dt 21 1", "dt f9 1", "dt 21 2", "dt f9 2", "want f9",
                   "dt 21 3", "want 21"}};
    QTest::newRow("a broadcast between the packets does not disturb")
        << Script{{"rts f9 14", "dt f9 1", "bam 10", "dt f9 2", "want f9"}};
    QTest::newRow("a gap filled later completes")
        << Script{{"rts f9 23", "dt f9 1", "dt f9 3", "dt f9 4", "dt f9 2", "want f9"}};
    QTest::newRow("a gap never filled delivers nothing")
        << Script{{"rts f9 23", "dt f9 1", "dt f9 3", "dt f9 4"}};
    QTest::newRow("sequence 0 and beyond the count are ignored") << Script{
        {"rts f9 14", "dt f9 0", "dt f9 3", "dt f9 255", "dt f9 1", "dt f9 2", "want f9"}};
    QTest::newRow("data before any RTS is not a message")
        << Script{{"dt f9 1", "dt f9 2", "rts f9 14", "dt f9 1", "dt f9 2", "want f9"}};
    QTest::newRow("1.2 s between frames is still in time")
        << Script{{"rts f9 14", "+1200", "dt f9 1", "+1200", "dt f9 2", "want f9"}};
    QTest::newRow("1.3 s of silence ends the connection")
        << Script{{"rts f9 23", "dt f9 1", "dt f9 2", "+1300", "dt f9 3", "dt f9 4"}};
    QTest::newRow("after a time-out a new RTS starts afresh") << Script{
        {"rts f9 14", "dt f9 1", "+2000", "dt f9 2", "rts f9 14", "dt f9 1", "dt f9 2", "want f9"}};
}

void tst_ObservedSessions::reassembly()
{
    QFETCH(Script, script);
    J1939Device device(Unit);
    auto *ecuid = new RecordingFunction(0xFD, 0xC5, &device);
    QList<QByteArray> expected;
    play(&device, script.steps, &expected);
    QCOMPARE(ecuid->broadcasts, expected);
    // Counted once per message, not per frame.
    QCOMPARE(ecuid->totalEvents(), qint64(expected.size()));
    QVERIFY(ecuid->connections.isEmpty());
}

void tst_ObservedSessions::lastFrameCarriesTheMessage()
{
    J1939Device device(Unit);
    auto *ecuid = new RecordingFunction(0xFD, 0xC5, &device);
    const QByteArray data = messageTo(0xF9, 17);
    DispatchResult r(DispatchResult::Received, 10);
    QVERIFY(
        device.dispatchMessage(tpControl(Unit, 0xF9, {0x10, 17, 0, 3, 0xFF, 0xC5, 0xFD, 0}), &r));
    QCOMPARE(device.transport()->observedSessionCount(), 1);
    DispatchResult r1(DispatchResult::Received, 20);
    QVERIFY(device.dispatchMessage(tpData(Unit, 0xF9, 1, data.mid(0, 7)), &r1));
    QVERIFY(r1.payload.isEmpty());
    DispatchResult r2(DispatchResult::Received, 30);
    QVERIFY(device.dispatchMessage(tpData(Unit, 0xF9, 2, data.mid(7, 7)), &r2));
    DispatchResult last(DispatchResult::Received, 40);
    QVERIFY(device.dispatchMessage(tpData(Unit, 0xF9, 3, data.mid(14, 3)), &last));
    QCOMPARE(last.pgn, 0xFDC5u);
    QCOMPARE(last.payload, data);
    QCOMPARE(last.item, static_cast<AbstractDisplayableItem *>(ecuid));
    QCOMPARE(ecuid->totalEvents(), qint64(1));
    QCOMPARE(device.transport()->observedSessionCount(), 0);
}

void tst_ObservedSessions::acceptedOnlyWithAFunction()
{
    // As for a broadcast: the frames are followed, the message is offered to no one, and the
    // last frame is left to auto-detection with the message in the result.
    J1939Device device(Unit);
    DispatchResult r;
    QVERIFY(
        !device.dispatchMessage(tpControl(Unit, 0xF9, {0x10, 9, 0, 2, 0xFF, 0xC5, 0xFD, 0}), &r));
    QVERIFY(device.dispatchMessage(tpData(Unit, 0xF9, 1, tpMessage(7)), &r));
    DispatchResult last;
    QVERIFY(!device.dispatchMessage(tpData(Unit, 0xF9, 2, tpMessage(7)), &last));
    QCOMPARE(last.pgn, 0xFDC5u);
    QCOMPARE(last.payload.size(), 9);
    // An RTS whose size and packet count disagree opens nothing.
    QVERIFY(
        !device.dispatchMessage(tpControl(Unit, 0xF9, {0x10, 30, 0, 2, 0xFF, 0xC5, 0xFD, 0}), &r));
    QCOMPARE(device.transport()->observedSessionCount(), 0);
}

void tst_ObservedSessions::ownCtsAndAckNotFollowed()
{
    // The unit as the receiver of another node's connection: its CTS and acknowledgement open
    // nothing, and the other node's data is not the unit's.
    J1939Device device(Unit);
    auto *ecuid = new RecordingFunction(0xFD, 0xC5, &device);
    DispatchResult r;
    QVERIFY(!device.dispatchMessage(tpControl(Unit, 0xF9, {0x11, 2, 1, 0xFF, 0xFF, 0xC5, 0xFD, 0}),
                                    &r));
    QVERIFY(
        !device.dispatchMessage(tpControl(Unit, 0xF9, {0x13, 9, 0, 2, 0xFF, 0xC5, 0xFD, 0}), &r));
    QCOMPARE(device.transport()->observedSessionCount(), 0);
    QVERIFY(!device.dispatchMessage(tpData(Unit, 0xF9, 1, tpMessage(7)), &r));
    QVERIFY(ecuid->broadcasts.isEmpty());
}

QTEST_MAIN(tst_ObservedSessions)
#include "tst_observedsessions.moc"
