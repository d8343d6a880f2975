#include "demo/simulatedbroadcastcontrol.h"

#include <QtTest>

// DM13 as one unit on J1939 network #1 takes it, on its own clock.

namespace {

constexpr quint8 Unit = 0x01;

CanMessage dm13(const char *hexPayload, quint8 destination = 0xFF)
{
    const QByteArray payload = QByteArray::fromHex(hexPayload);
    return CanMessage(0x18DF00F9u | quint32(destination) << 8,
                      reinterpret_cast<const quint8 *>(payload.constData()), payload.size());
}

} // namespace

class tst_SimulatedBroadcastControl : public QObject
{
    Q_OBJECT

private slots:
    void suspension_data();
    void suspension();
};

void tst_SimulatedBroadcastControl::suspension_data()
{
    // Messages: "tNNN" moves the clock to NNN ms, anything else is a DM13 payload in hex (to
    // all, or to unit "a0:" when prefixed). The hold time-out is 1000 ms.
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<qint64>("at");
    QTest::addColumn<bool>("suspended");
    const QString stop = QStringLiteral("fcfffff0ffffffff");
    const QString hold = QStringLiteral("ffffff1fffffffff");
    const QString start = QStringLiteral("fdffffffffffffff");
    QTest::newRow("stop: suspended") << QStringList{"t0", stop} << qint64(999) << true;
    QTest::newRow("stop without holds: resumed after the time-out")
        << QStringList{"t0", stop} << qint64(1000) << false;
    QTest::newRow("hold keeps it suspended")
        << QStringList{"t0", stop, "t800", hold, "t1600", hold} << qint64(2500) << true;
    QTest::newRow("hold of all devices keeps it suspended too")
        << QStringList{"t0", stop, "t800", "ffffff0fffffffff"} << qint64(1700) << true;
    QTest::newRow("holds stopped: resumed")
        << QStringList{"t0", stop, "t800", hold} << qint64(1800) << false;
    QTest::newRow("start resumes at once")
        << QStringList{"t0", stop, "t100", start} << qint64(100) << false;
    QTest::newRow("current data link start resumes")
        << QStringList{"t0", stop, "t100", "7fffffffffffffff"} << qint64(100) << false;
    QTest::newRow("the current data link speaks before network #1")
        << QStringList{"t0", "7cfffff0ffffffff"} << qint64(10) << false;
    QTest::newRow("a hold does not suspend a running unit")
        << QStringList{"t0", hold} << qint64(10) << false;
    QTest::newRow("a hold after the time-out does not bring the suspension back")
        << QStringList{"t0", stop, "t1200", hold} << qint64(1300) << false;
    const QString twoSeconds = QStringLiteral("fcfffff20200ffff"); // temporary, all, 2 s
    QTest::newRow("temporary suspension lasts its duration while held")
        << QStringList{"t0", twoSeconds, "t800", hold, "t1600", hold} << qint64(1999) << true;
    QTest::newRow("temporary suspension ends after its duration even while held")
        << QStringList{"t0", twoSeconds, "t800", hold, "t1600", hold} << qint64(2000) << false;
    QTest::newRow("temporary suspension of 0 s: nothing suspended")
        << QStringList{"t0", "fcfffff20000ffff"} << qint64(10) << false;
    QTest::newRow("indefinite suspension ignores the duration")
        << QStringList{"t0", "fcfffff00000ffff"} << qint64(10) << true;
    QTest::newRow("stop to another unit") << QStringList{"t0", "a0:" + stop} << qint64(10) << false;
    QTest::newRow("stop to this unit") << QStringList{"t0", "01:" + stop} << qint64(10) << true;
    QTest::newRow("another network's stop")
        << QStringList{"t0", "ff3ff0f0ffffffff"} << qint64(10) << false;
    QTest::newRow("current data link stop")
        << QStringList{"t0", "3ffffff0ffffffff"} << qint64(10) << true;
    QTest::newRow("reserved value for network #1")
        << QStringList{"t0", "fefffff0ffffffff"} << qint64(10) << false;
    QTest::newRow("too short") << QStringList{"t0", "fcffff"} << qint64(10) << false;
    QTest::newRow("don't care keeps the suspension")
        << QStringList{"t0", stop, "t100", "ffffffffffffffff"} << qint64(200) << true;
}

void tst_SimulatedBroadcastControl::suspension()
{
    QFETCH(QStringList, messages);
    QFETCH(qint64, at);
    QFETCH(bool, suspended);
    SimulatedBroadcastControl control(Unit);
    control.setHoldTimeoutMs(1000);
    QVector<SimulatedReply> replies;
    for (const QString &m : messages) {
        if (m.startsWith(QLatin1Char('t'))) {
            control.tick(m.mid(1).toLongLong(), &replies);
            continue;
        }
        const bool addressed = m.contains(QLatin1Char(':'));
        const quint8 destination = addressed ? quint8(m.left(2).toUInt(nullptr, 16)) : 0xFF;
        control.frameSent(dm13(qPrintable(addressed ? m.mid(3) : m), destination), &replies);
    }
    control.tick(at, &replies);
    QCOMPARE(control.isSuspended(at), suspended);
    QVERIFY(replies.isEmpty()); // DM13 is never answered
}

QTEST_MAIN(tst_SimulatedBroadcastControl)
#include "tst_simulatedbroadcastcontrol.moc"
