#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

class tst_CanMessage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void defaults();
    void identifier_data();
    void identifier();
    void fieldSetters_data();
    void fieldSetters();
    void dataAccess();
    void resultDefaults();
    void metaTypesRegistered();
};

void tst_CanMessage::defaults()
{
    const CanMessage m;
    QCOMPARE(m.id, 0u);
    QCOMPARE(int(m.length), 8);
    QVERIFY(m.extended);
    QVERIFY(!m.sender);
    for (quint8 b : m.data)
        QCOMPARE(int(b), 0);
}

void tst_CanMessage::identifier_data()
{
    QTest::addColumn<CanMessage>("message");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("unicast");
    QTest::addColumn<int>("pgn"); // -1: a standard frame has none
    QTest::newRow("extended 3 bytes")
        << makeFrame(0x18FEF100, {1, 2, 3}) << "6 fef100 01 02 03" << false << 0xFEF1;
    QTest::newRow("data page gives seven digits")
        << makeFrame(0x19FEF1AB, {0xAB}) << "6 1fef1ab ab" << false << 0x1FEF1;
    QTest::newRow("empty payload keeps the blank")
        << makeFrame(0x18FEF100, {}) << "6 fef100 " << false << 0xFEF1;
    QTest::newRow("standard frame")
        << makeFrame(0x1A, {0xAB, 0x01}, false) << "SID01a ab 01" << false << -1;
    QTest::newRow("standard frame, full id")
        << makeFrame(0x7FF, {0}, false) << "SID7ff 00" << false << -1;
    QTest::newRow("priority 3, eight bytes")
        << makeFrame(0x0CF00400, {0xF0, 0x7D, 0x7D, 0, 0x20, 0, 0xF0, 0x7D})
        << "3 f00400 f0 7d 7d 00 20 00 f0 7d" << false << 0xF004;
    QTest::newRow("small identifier is zero padded")
        << makeFrame(0x00000102, {}) << "0 000102 " << true << 0x0;
    QTest::newRow("pdu1 to 0x00, destination dropped from the PGN")
        << makeFrame(0x18EA0021, {}) << "6 ea0021 " << true << 0xEA00;
    QTest::newRow("pdu1 global") << makeFrame(0x18EFFF21, {}) << "6 efff21 " << false << 0xEF00;
    QTest::newRow("pdu2 first PF 0xF0")
        << makeFrame(0x18F00021, {}) << "6 f00021 " << false << 0xF000;
    QTest::newRow("last pdu1 PF 0xEF")
        << makeFrame(0x18EF1021, {}) << "6 ef1021 " << true << 0xEF00;
    QTest::newRow("standard frame is never unicast")
        << makeFrame(0x0EF, {}, false) << "SID0ef " << false << -1;
}

// The frame's text, whether it goes to one unit, and its PGN.
void tst_CanMessage::identifier()
{
    QFETCH(CanMessage, message);
    QFETCH(QString, text);
    QFETCH(bool, unicast);
    QFETCH(int, pgn);
    QCOMPARE(message.toString(), text);
    QCOMPARE(message.isUnicast(), unicast);
    if (pgn >= 0)
        QCOMPARE(message.pgn(), quint32(pgn));
}

void tst_CanMessage::fieldSetters_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("priority 6") << 0x00FEF100u << "priority" << 6 << 0x18FEF100u;
    QTest::newRow("priority keeps pages") << 0x1BFEF100u << "priority" << 3 << 0x0FFEF100u;
    QTest::newRow("address only low byte") << 0x18FEF100u << "address" << 0x21 << 0x18FEF121u;
    QTest::newRow("pdu specific") << 0x18EA0021u << "ps" << 0xFF << 0x18EAFF21u;
    QTest::newRow("pdu format") << 0x18EA0021u << "pf" << 0xEC << 0x18EC0021u;
    QTest::newRow("priority masked to 3 bits") << 0x00FEF100u << "priority" << 0xF << 0x1CFEF100u;
}

void tst_CanMessage::fieldSetters()
{
    QFETCH(quint32, start);
    QFETCH(QString, field);
    QFETCH(int, value);
    QFETCH(quint32, expected);
    CanMessage m;
    m.id = start;
    if (field == QLatin1String("priority"))
        m.setPriority(quint8(value));
    else if (field == QLatin1String("address"))
        m.setAddress(quint8(value));
    else if (field == QLatin1String("ps"))
        m.setPduSpecific(quint8(value));
    else
        m.setPduFormat(quint8(value));
    QCOMPARE(m.id, expected);
}

void tst_CanMessage::dataAccess()
{
    const CanMessage m = makeFrame(0x18FEF100, {1, 2, 3, 4, 5, 6, 7, 8});
    QCOMPARE(m.dataLow(), 0x04030201u);
    QCOMPARE(m.dataHigh(), 0x08070605u);

    CanMessage shorter;
    const quint8 bytes[] = {0xAA, 0xBB};
    shorter.setData(bytes, 2);
    QCOMPARE(int(shorter.length), 2);
    QCOMPARE(shorter.dataHigh(), 0u);
    quint8 out[8] = {};
    int count = -1;
    shorter.getData(out, &count);
    QCOMPARE(count, 2);
    QCOMPARE(int(out[1]), 0xBB);

    // A caller passing too many bytes never writes beyond the frame.
    const quint8 many[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    CanMessage clipped(0x100, many, 12);
    QCOMPARE(int(clipped.length), 8);
    QCOMPARE(int(clipped.data[7]), 8);
}

void tst_CanMessage::resultDefaults()
{
    const DispatchResult empty;
    QCOMPARE(int(empty.status), 0);
    QCOMPARE(empty.missedPeriods, -1);
    const DispatchResult r(DispatchResult::Received, 1234);
    QVERIFY(r.isReceived());
    QCOMPARE(r.timestamp, qint64(1234));
    QCOMPARE(r.missedPeriods, -1);
    QVERIFY(r.payload.isEmpty());
    QVERIFY(!r.item);
    QVERIFY(!r.targetItem);
    const QVector<int> flags{DispatchResult::Target, DispatchResult::TransmitError,
                             DispatchResult::Described, DispatchResult::Dispatched,
                             DispatchResult::Received};
    QCOMPARE(flags, (QVector<int>{0x08, 0x10, 0x20, 0x40, 0x80}));
}

void tst_CanMessage::metaTypesRegistered()
{
    QVERIFY(QMetaType::type("CanMessage") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("DispatchResult") != QMetaType::UnknownType);
    // Frames survive a queued (copied) delivery with their text.
    CanMessage m = makeFrame(0x18FEF100, {9});
    m.text = QStringLiteral("hello");
    const QVariant v = QVariant::fromValue(m);
    QCOMPARE(v.value<CanMessage>().text, QStringLiteral("hello"));
}

QTEST_GUILESS_MAIN(tst_CanMessage)
#include "tst_canmessage.moc"
