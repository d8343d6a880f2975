#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/softfunction.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"
#include "model/tpconnection.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

class tst_Identification : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void ecuid_data();
    void ecuid();
    void soft_data();
    void soft();
    void softOverConnection();
    void registered();
};

void tst_Identification::ecuid_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("id");
    QTest::newRow("four fields, zero, filler") << QByteArray("PN123*SN77*LOC*TYPE*\0\xff\xff", 23)
                                               << "PN123*SN77*LOC*TYPE*";
    QTest::newRow("no zero byte") << QByteArray("ABC*") << "ABC*";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("Latin-1") << QByteArray("M\xfcller*") << QString::fromLatin1("M\xfcller*");
}

void tst_Identification::ecuid()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, id);
    EcuidFunction f;
    QVERIFY(f.dispatchBroadcastData(data));
    QCOMPARE(f.stringParameter(0)->value(), id);
    QVERIFY(f.stringParameter(0)->isValid());
    QCOMPARE(f.pgnValue(), 0xFDC5u);
}

void tst_Identification::soft_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("one byte 0x02") << QByteArray("\x02", 1) << true << 2 << "";
    QTest::newRow("count 0xC8 reads 200") << QByteArray("\xc8v1*", 4) << true << 200 << "v1*";
    QTest::newRow("zero bytes and delimiters kept") << QByteArray("\x02" "A*\0B*", 6) << true << 2
                                                    << QString::fromLatin1("A*\0B*", 5);
    QTest::newRow("empty fails") << QByteArray() << false << 0 << "";
}

void tst_Identification::soft()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, ok);
    QFETCH(int, count);
    QFETCH(QString, text);
    SoftFunction f;
    QCOMPARE(f.decode(data), ok);
    QCOMPARE(f.intParameter(0)->value(), count);
    QCOMPARE(f.stringParameter(1)->value(), text);
}

void tst_Identification::softOverConnection()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    TPConnection::Timing t;
    t.delayRtsToCts = 1;
    t.delayDataToAck = 1;
    TPConnection::setTiming(t);
    J1939Device device(0xF9);
    auto *soft = new SoftFunction(&device);
    device.setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    device.dispatchTargetMessage(makeFrame(0x1CECF900, {0x10, 9, 0, 2, 0xFF, 0xDA, 0xFE, 0}), &r);
    QTRY_COMPARE(handler.writtenFrames().size(), 1);
    device.dispatchTargetMessage(makeFrame(0x1CEBF900, {1, 0x01, 'V', 'E', 'R', '1', '.', '2'}), &r);
    device.dispatchTargetMessage(makeFrame(0x1CEBF900, {2, '*', 'x', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
                                 &r);
    QCOMPARE(soft->intParameter(0)->value(), 1);
    QCOMPARE(soft->stringParameter(1)->value(), QStringLiteral("VER1.2*x"));
    TPConnection::setTiming(TPConnection::defaultTiming());
}

void tst_Identification::registered()
{
    registerDiagnosticsFunctions();
    registerDiagnosticsFunctions(); // twice changes nothing
    const struct
    {
        quint32 pgn;
        const char *key;
    } expected[] = {{0xFECA, "dm1"}, {0xFDC5, "ecuid"}, {0xFEDA, "soft"}, {0xD900, "matool"},
                    {0xFEE3, "ec1"}};
    for (const auto &e : expected) {
        J1939PgnDescription d;
        QVERIFY(J1939Reg::find(e.pgn, &d));
        QCOMPARE(d.key, QString::fromLatin1(e.key));
        J1939Device device(0x10);
        std::unique_ptr<AbstractDisplayableItem> f(d.creator(&device));
        QVERIFY(f->matchMessage(makeFrame(0x18000010u | e.pgn << 8, {})));
    }
    QCOMPARE(J1939Reg::descriptions().size(), 5);
}

QTEST_MAIN(tst_Identification)
#include "tst_identification.moc"
