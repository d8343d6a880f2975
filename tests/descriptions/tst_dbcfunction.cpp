#include "can/dispatchresult.h"
#include "descriptions/dbcfunction.h"
#include "model/zxparameter.h"
#include "support/dbcfixtures.h"
#include "support/testenvironment.h"

#include <QtTest>

using namespace DbcFixtures;

class tst_DbcFunction : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void decodesWhatTheFrameHolds_data();
    void decodesWhatTheFrameHolds();
};

void tst_DbcFunction::decodesWhatTheFrameHolds_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<quint32>("id"); // the frame's; 0: the data come as a reassembled message
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *name, const char *file, const char *message, quint32 id,
                        const QByteArray &payload, const char *text) {
        QTest::newRow(name) << QString(file) << QString(message) << id << payload << QString(text);
    };
    const char *demo = "css_j1939_demo.dbc";
    const char *mux = "css_tp_j1939_multiplexed.dbc";
    // The database's EEC1 is written from 0xFE; the engine at 0x00 sends it. 0x1F40 x 0.125.
    row("EEC1 from another source", demo, "EEC1", 0x0CF00400u,
        QByteArray::fromHex("FFFFFF401FFFFFFF"), "EngineSpeed=1000 rpm");
    // 0x1900 x 1/256.
    row("CCVS1", demo, "CCVS1", 0x18FEF117u, QByteArray::fromHex("FF0019FFFFFFFFFF"),
        "WheelBasedVehicleSpeed=25 km/h");
    // The range of a J1939 signal ends below the error indicator and "not available"; its
    // written end (250.996 for 0xFAFF / 256) may round the last value off.
    row("EEC1 at the top of its range", demo, "EEC1", 0x0CF00400u,
        QByteArray::fromHex("FFFFFFFFFAFFFFFF"), "EngineSpeed=8031.875 rpm");
    row("CCVS1 at the rounded top of its range", demo, "CCVS1", 0x18FEF117u,
        QByteArray::fromHex("FFFFFAFFFFFFFFFF"), "WheelBasedVehicleSpeed=250.9961 km/h");
    row("EEC1 error indicator", demo, "EEC1", 0x0CF00400u, QByteArray::fromHex("FFFFFF00FEFFFFFF"),
        "");
    row("EEC1 not available", demo, "EEC1", 0x0CF00400u, QByteArray::fromHex("FFFFFFFFFFFFFFFF"),
        "");
    row("a frame too short for the signal", demo, "EEC1", 0x0CF00400u,
        QByteArray::fromHex("FFFFFF40"), "");
    // Multiplexor 0x20: 0x50 x 0.25 + 20 and 0x1234; the 0x60 signal has no value.
    row("multiplexor 32", mux, "TransportMsg", 0u, QByteArray::fromHex("20FF503412000000FF"),
        "M_20_signal_1=40 unit M_20_signal_2=4660 unit requested_ID=32 unit");
    // EC1 is 40 bytes: it comes by transport, its signal at bytes 12 and 13 (0x3E80 x 0.125).
    QByteArray ec1(40, '\xFF');
    ec1[12] = '\x80';
    ec1[13] = '\x3E';
    row("a transport message", "css_tp_j1939.dbc", "EC1", 0u, ec1, "EngineSpeedAtPoint5=2000 rpm");
    row("multiplexor 96", mux, "TransportMsg", 0u, QByteArray::fromHex("60FFFF07FFFFFFFFFF"),
        "M_60_signal_1=7 unit requested_ID=96 unit");
}

void tst_DbcFunction::decodesWhatTheFrameHolds()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(quint32, id);
    QFETCH(QByteArray, payload);
    QFETCH(QString, text);
    const DbcDatabase database = readData(file);
    const DbcMessage *described = database.messageByName(message);
    QVERIFY(described);
    DbcFunction function(*described);
    QCOMPARE(function.name(), message);
    QCOMPARE(function.parameters().size(), described->signalList.size());
    // Each signal's parameter in the message's order, with its unit; nothing before a frame.
    for (int i = 0; i < described->signalList.size(); ++i) {
        QCOMPARE(function.signalParameter(i)->name(), described->signalList.at(i).name);
        QCOMPARE(function.signalParameter(i)->suffix(), described->signalList.at(i).unit);
        QVERIFY(!function.signalParameter(i)->isValid());
    }
    if (id) {
        CanMessage frame;
        frame.id = id;
        frame.extended = true;
        frame.length = quint8(payload.size());
        std::memcpy(frame.data, payload.constData(), size_t(payload.size()));
        DispatchResult result(DispatchResult::Received, 0);
        QVERIFY(function.dispatchMessageImpl(frame, &result));
        QCOMPARE(result.item, &function);
    } else {
        QVERIFY(function.dispatchBroadcastDataImpl(payload));
    }
    QCOMPARE(function.textDataImpl(), text);
}

QTEST_GUILESS_MAIN(tst_DbcFunction)
#include "tst_dbcfunction.moc"
