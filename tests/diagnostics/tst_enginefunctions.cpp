#include "can/dispatchresult.h"
#include "demo/simulatedengine.h"
#include "descriptions/unknownpgnfactory.h"
#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/editors/eccfschemetreeitem.h"
#include "diagnostics/emr2enginestoprequestfunction.h"
#include "diagnostics/engineconfigurationfunction.h"
#include "diagnostics/enginecontrollercalibrationfunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "support/busfixtures.h"
#include "support/testenvironment.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

QByteArray ec1(int size = EngineConfigurationFunction::MessageLength, quint8 fill = 0)
{
    return QByteArray(size, char(fill));
}

// The long message a BAM announcement and its packets among `frames` carry.
QByteArray bamPayload(const QVector<SimulatedReply> &frames)
{
    QByteArray data;
    int size = -1;
    for (const SimulatedReply &r : frames) {
        if (r.frame.pduFormat() == 0xEC && r.frame.data[0] == 0x20)
            size = r.frame.data[1] | r.frame.data[2] << 8;
        else if (r.frame.pduFormat() == 0xEB && r.frame.pduSpecific() == 0xFF)
            data.append(reinterpret_cast<const char *>(r.frame.data + 1), 7);
    }
    return size < 0 ? QByteArray() : data.left(size);
}

// The engine speed of the last EEC1 among `frames`, -1 without one.
int speedIn(const QVector<SimulatedReply> &frames)
{
    int rpm = -1;
    for (const SimulatedReply &r : frames) {
        if ((r.frame.id & 0x00FFFF00) == 0x00F00400)
            rpm = (r.frame.data[3] | r.frame.data[4] << 8) / 8;
    }
    return rpm;
}

} // namespace

class tst_EngineFunctions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void ec1Decode_data();
    void ec1Decode();
    void ec1ShortMessageChangesNothing();
    void ec1FirstEditionOf28Bytes();
    void ec1EveryRawValueRoundTrips_data();
    void ec1EveryRawValueRoundTrips();
    void ec1Encode_data();
    void ec1Encode();
    void ec1TransmitsAsBroadcast();
    void emr2Decode_data();
    void emr2Decode();
    void emr2Transmit();
    void calibrationStartStop();
    void simulatedEngineAnswers_data();
    void simulatedEngineAnswers();
    void simulatedEngineConfigurationDecodes();
    void simulatedEngineStopRequest_data();
    void simulatedEngineStopRequest();
    void manualOnlyKinds();
};

void tst_EngineFunctions::initTestCase()
{
    TestEnvironment::init();
    registerDiagnosticsFunctions();
}

void tst_EngineFunctions::ec1Decode_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("valid");
    QTest::newRow("idle speed 0x1900 = 800 rpm") << 0 << QByteArray("\x00\x19", 2) << 0 << 800.0
                                                 << true;
    QTest::newRow("torque 0 = -125 %") << 2 << QByteArray("\x00", 1) << 10 << -125.0 << true;
    QTest::newRow("torque 250 = 125 %") << 5 << QByteArray("\xFA", 1) << 11 << 125.0 << true;
    QTest::newRow("range byte 0xC8 = 2000 rpm") << 24 << QByteArray("\xC8", 1) << 8 << 2000.0
                                                << true;
    QTest::newRow("gain 1280 = 1 %/rpm") << 17 << QByteArray("\x00\x05", 2) << 17 << 1.0 << true;
    QTest::newRow("reference torque 0x0400") << 19 << QByteArray("\x00\x04", 2) << 18 << 1024.0
                                             << true;
    QTest::newRow("override time 25 = 2.5 s") << 23 << QByteArray("\x19", 1) << 19 << 2.5 << true;
    QTest::newRow("all-ones speed not available")
        << 28 << QByteArray("\xFF\xFF", 2) << 7 << 8191.875 << false;
    QTest::newRow("all-ones torque not available")
        << 26 << QByteArray("\xFF", 1) << 15 << 130.0 << false;
}

void tst_EngineFunctions::ec1Decode()
{
    QFETCH(int, byte);
    QFETCH(QByteArray, raw);
    QFETCH(int, index);
    QFETCH(double, value);
    QFETCH(bool, valid);
    EngineConfigurationFunction f;
    QByteArray data = ec1(39); // longer messages decode too
    data.replace(byte, raw.size(), raw);
    QVERIFY(f.decode(data));
    const ZxParameter *p = f.parameters().at(index);
    const double got = p->type() == ZxParameter::Float ? double(f.floatParameter(index)->value())
                                                        : double(f.intParameter(index)->value());
    QCOMPARE(got, value);
    QCOMPARE(p->isValid(), valid);
}

void tst_EngineFunctions::ec1ShortMessageChangesNothing()
{
    EngineConfigurationFunction f;
    f.floatParameter(0)->setValue(123.0f);
    QVERIFY(!f.decode(ec1(27, 0x10)));
    QCOMPARE(f.floatParameter(0)->value(), 123.0f);
    QVERIFY(!f.dispatchBroadcastDataImpl(ec1(27, 0x10)));
}

void tst_EngineFunctions::ec1FirstEditionOf28Bytes()
{
    // A real engine's EC1 of 28 bytes: idle speed 850 rpm; the upper speed of the extended
    // range (bytes 28 and 29) is not in it.
    EngineConfigurationFunction f;
    const QByteArray data = QByteArray::fromHex(
        "901ACBA041D4A00FA74A20DDF430E7A041FFFF7602F0550001FA9CFA");
    QCOMPARE(data.size(), int(EngineConfigurationFunction::FirstEditionLength));
    QVERIFY(f.decode(data));
    QCOMPARE(f.floatParameter(0)->value(), 850.0f);
    QVERIFY(f.parameters().at(0)->isValid());
    QVERIFY(!f.parameters().at(7)->isValid());
    QVERIFY(f.parameters().at(19)->isValid());
}

void tst_EngineFunctions::ec1EveryRawValueRoundTrips_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("size");
    QTest::newRow("idle speed") << 0 << 2;
    QTest::newRow("torque 1") << 2 << 1;
    QTest::newRow("speed range lower") << 24 << 1;
    QTest::newRow("gain") << 17 << 2;
    QTest::newRow("reference torque") << 19 << 2;
    QTest::newRow("override time") << 23 << 1;
}

void tst_EngineFunctions::ec1EveryRawValueRoundTrips()
{
    QFETCH(int, byte);
    QFETCH(int, size);
    EngineConfigurationFunction f;
    const quint32 maximum = size == 1 ? 0xFF : 0xFFFF;
    for (quint32 raw = 0; raw <= maximum; ++raw) {
        QByteArray data = ec1(EngineConfigurationFunction::MessageLength, 0xFF);
        data[byte] = char(raw & 0xFF);
        if (size == 2)
            data[byte + 1] = char(raw >> 8);
        QVERIFY(f.decode(data));
        const QByteArray back = f.encode();
        // Valid values come back exactly; reserved ones are clamped to the valid maximum.
        const quint32 expected = raw == maximum ? maximum : std::min(raw, size == 1 ? 0xFAu : 0xFAFFu);
        const quint32 got = quint8(back.at(byte)) | (size == 2 ? quint8(back.at(byte + 1)) << 8 : 0);
        if (got != expected)
            QFAIL(qPrintable(QStringLiteral("raw %1 came back as %2").arg(raw).arg(got)));
    }
}

void tst_EngineFunctions::ec1Encode_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("raw");
    QTest::newRow("800 rpm = 0x1900") << 0 << 800.0 << 0 << 0x1900;
    QTest::newRow("torque 200 % clamps to 125") << 10 << 200.0 << 2 << 0xFA;
    QTest::newRow("torque -300 % clamps to -125") << 10 << -300.0 << 2 << 0;
    QTest::newRow("range 3000 rpm clamps to 2500") << 8 << 3000.0 << 24 << 0xFA;
    QTest::newRow("speed 9000 rpm clamps") << 1 << 9000.0 << 3 << 0xFAFF;
    QTest::newRow("speed NaN is not available")
        << 2 << double(std::numeric_limits<float>::quiet_NaN()) << 6 << 0xFFFF;
    QTest::newRow("speed infinite is not available")
        << 3 << double(std::numeric_limits<float>::infinity()) << 9 << 0xFFFF;
    QTest::newRow("override 2.56 s rounds to 26, not down") << 19 << 2.56 << 23 << 26;
}

void tst_EngineFunctions::ec1Encode()
{
    QFETCH(int, index);
    QFETCH(double, value);
    QFETCH(int, byte);
    QFETCH(int, raw);
    EngineConfigurationFunction f;
    if (f.parameters().at(index)->type() == ZxParameter::Float)
        f.floatParameter(index)->setValue(float(value));
    else
        f.intParameter(index)->setValue(int(value));
    const QByteArray data = f.encode();
    QCOMPARE(data.size(), EngineConfigurationFunction::MessageLength);
    const bool wide = raw > 0xFF || (byte != 2 && byte != 24 && byte != 23);
    const int got = quint8(data.at(byte)) | (wide ? quint8(data.at(byte + 1)) << 8 : 0);
    QCOMPARE(got, raw);
    QCOMPARE(data.mid(30, 4), QByteArray(4, char(0xFF))); // not carried: not available
}

void tst_EngineFunctions::ec1TransmitsAsBroadcast()
{
    AdoptedUnit bus(0x00);
    TestCanHandler &handler = bus.handler;
    auto *f = new EngineConfigurationFunction(&bus.unit);
    f->floatParameter(0)->setValue(800.0f);
    f->transmitState();
    QTRY_VERIFY(!handler.writtenFrames().isEmpty());
    // A BAM of 34 bytes in five packets, for PGN 0xFEE3.
    QCOMPARE(handler.writtenFrames().first().toString(),
             QStringLiteral("6 ecff00 20 22 00 05 ff e3 fe 00"));
    QTRY_COMPARE_WITH_TIMEOUT(handler.writtenFrames().size(), 6, 2000);
}

void tst_EngineFunctions::emr2Decode_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");
    QTest::newRow("1 stops") << QByteArray("\x01", 1) << false << true;
    QTest::newRow("2 clears") << QByteArray("\x02", 1) << true << false;
    QTest::newRow("0 clears") << QByteArray("\x00", 1) << true << false;
    QTest::newRow("no data changes nothing") << QByteArray() << true << true;
}

void tst_EngineFunctions::emr2Decode()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, before);
    QFETCH(bool, after);
    Emr2EngineStopRequestFunction f;
    f.boolParameter(0)->setValue(before);
    DispatchResult r;
    QVERIFY(f.dispatchMessageImpl(frameOf(0x08FF1600, payload), &r));
    QCOMPARE(f.isStopRequested(), after);
}

void tst_EngineFunctions::emr2Transmit()
{
    AdoptedUnit bus(0x00);
    TestCanHandler &handler = bus.handler;
    auto *f = new Emr2EngineStopRequestFunction(&bus.unit);
    QVector<quint8> draws{1, 1, 7};
    Emr2EngineStopRequestFunction::setRandomSource([&draws] { return draws.takeFirst(); });
    f->transmitState(); // 1 is drawn again until it differs
    f->boolParameter(0)->setValue(true);
    f->transmitState();
    QTRY_COMPARE(handler.writtenFrames().size(), 2);
    const CanMessage run = handler.writtenFrames().at(0);
    QCOMPARE(run.id, 0x08FF1600u);
    QCOMPARE(int(run.length), 1);
    QCOMPARE(run.data[0], quint8(7));
    QCOMPARE(handler.writtenFrames().at(1).data[0], quint8(1));
    QVERIFY(draws.isEmpty());
    // The scripted source must not outlive the list it reads.
    Emr2EngineStopRequestFunction::setRandomSource(
        [] { return quint8(QRandomGenerator::global()->bounded(256)); });
}

void tst_EngineFunctions::calibrationStartStop()
{
    AdoptedUnit bus(0x00);
    auto *f = new EngineControllerCalibrationFunction(&bus.unit);
    ECCFSChemeTreeItem node(f);
    std::unique_ptr<QWidget> widget(node.createWidget(1));
    QTest::mouseClick(widget->findChild<QPushButton *>(QStringLiteral("start")), Qt::LeftButton);
    QTRY_VERIFY(f->isRunning());
    QVERIFY(f->calibrationTimer()->isActive());
    QCOMPARE(f->calibrationTimer()->interval(), 250);
    QTest::mouseClick(widget->findChild<QPushButton *>(QStringLiteral("stop")), Qt::LeftButton);
    QTRY_VERIFY(!f->isRunning());
    QVERIFY(!f->calibrationTimer()->isActive());
    QVERIFY(bus.handler.writtenFrames().isEmpty()); // a calibration tick sends nothing
}

void tst_EngineFunctions::simulatedEngineAnswers_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("bam");
    QTest::addColumn<int>("hoursFrames");
    const QByteArray ec1Pgn("\xE3\xFE\x00", 3);
    QTest::newRow("EC1 asked of the engine: BAM")
        << 0x18EA01F9u << ec1Pgn << SimulatedEngine::configuration() << 0;
    QTest::newRow("EC1 asked of everyone: BAM")
        << 0x18EAFFF9u << ec1Pgn << SimulatedEngine::configuration() << 0;
    QTest::newRow("EC1 asked of another unit: nothing")
        << 0x18EA00F9u << ec1Pgn << QByteArray() << 0;
    QTest::newRow("request of two bytes: nothing")
        << 0x18EA01F9u << QByteArray("\xE3\xFE", 2) << QByteArray() << 0;
    QTest::newRow("HOURS: one frame") << 0x18EA01F9u << QByteArray("\xE5\xFE\x00", 3)
                                      << QByteArray() << 1;
}

void tst_EngineFunctions::simulatedEngineAnswers()
{
    QFETCH(quint32, id);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, bam);
    QFETCH(int, hoursFrames);
    SimulatedEngine engine(0x01);
    QVector<SimulatedReply> replies;
    engine.frameSent(frameOf(id, payload), &replies);
    QCOMPARE(bamPayload(replies), bam);
    int hours = 0;
    for (const SimulatedReply &r : replies) {
        QCOMPARE(r.frame.address(), quint8(0x01));
        if ((r.frame.id & 0x00FFFF00) == 0x00FEE500) {
            ++hours;
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.frame.data), 8),
                     SimulatedEngine::hoursPayload(1234.5, 98765000.0));
        }
    }
    QCOMPARE(hours, hoursFrames);
    if (!bam.isEmpty()) {
        // A second request while the broadcast is under way is answered by that broadcast.
        QVector<SimulatedReply> again;
        engine.frameSent(frameOf(id, payload), &again);
        QVERIFY(again.isEmpty());
    }
}

void tst_EngineFunctions::simulatedEngineConfigurationDecodes()
{
    // What the demo engine broadcasts reaches the tool's EC1 through its transport protocol.
    SimulatedBusRig bus;
    bus.handler.bus()->addUnit(std::make_shared<SimulatedEngine>(0x01));
    auto *device = new J1939Device(0x01);
    auto *f = new EngineConfigurationFunction(device);
    bus.dispatcher.registerDisplayable(device);
    QVERIFY(bus.handler.start());
    QTRY_COMPARE_WITH_TIMEOUT(f->floatParameter(0)->value(), 800.0f, 3000);
    QVERIFY(f->floatParameter(0)->isValid());
    QCOMPARE(f->floatParameter(5)->value(), 2400.0f);
    QCOMPARE(f->intParameter(11)->value(), 85);
    QCOMPARE(f->encode(), SimulatedEngine::configuration());
}

void tst_EngineFunctions::simulatedEngineStopRequest_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("stops");
    QTest::newRow("1 stops the engine") << QByteArray("\x01", 1) << QByteArray() << false << 0 << 1;
    QTest::newRow("repeated stop counts once")
        << QByteArray("\x01", 1) << QByteArray("\x01", 1) << false << 0 << 1;
    QTest::newRow("run value after a stop starts again")
        << QByteArray("\x01", 1) << QByteArray("\x9A", 1) << true
        << int(SimulatedEngine::RunningRpm) << 1;
    QTest::newRow("run value keeps it running")
        << QByteArray("\x00", 1) << QByteArray() << true << int(SimulatedEngine::RunningRpm) << 0;
    QTest::newRow("frame without data ignored")
        << QByteArray() << QByteArray() << true << int(SimulatedEngine::RunningRpm) << 0;
}

void tst_EngineFunctions::simulatedEngineStopRequest()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, running);
    QFETCH(int, speed);
    QFETCH(int, stops);
    SimulatedEngine engine(0x01);
    QVector<SimulatedReply> replies;
    qint64 now = 0;
    engine.tick(now, &replies);
    QCOMPARE(speedIn(replies), int(SimulatedEngine::RunningRpm));
    auto runFor = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) {
            now += SimulatedEngine::TickMs;
            replies.clear();
            engine.tick(now, &replies);
        }
    };
    engine.frameSent(frameOf(0x08FF16F9, first), &replies);
    runFor(10);
    if (!second.isEmpty()) {
        engine.frameSent(frameOf(0x08FF16F9, second), &replies);
        runFor(10);
    }
    QCOMPARE(engine.isRunning(), running);
    QCOMPARE(speedIn(replies), speed);
    QCOMPARE(engine.stopRequestCount(), stops);
}

void tst_EngineFunctions::manualOnlyKinds()
{
    J1939Device device(0x00);
    UnknownPgnFactory factory(&device);
    // Traffic of 0xFF16 creates nothing; EC1 is created from its announcement.
    QVERIFY(!factory.createDevice(makeFrame(0x18FF1600, {1})));
    QVERIFY(factory.getEntry("emr2stop"));
    QVERIFY(factory.getEntry("eccalibration"));
    QVERIFY(!factory.createDeviceFromPgn(UnknownPgnFactory::NoGroupAddress));
    std::unique_ptr<AbstractDisplayableItem> ec(
        factory.createDevice(makeFrame(0x1CECFF00, {0x20, 34, 0, 5, 0xFF, 0xE3, 0xFE, 0})));
    QVERIFY(qobject_cast<EngineConfigurationFunction *>(ec.get()));
    std::unique_ptr<AbstractDisplayableItem> stop(factory.createDevice(QByteArray("emr2stop")));
    QVERIFY(qobject_cast<Emr2EngineStopRequestFunction *>(stop.get()));
}

QTEST_MAIN(tst_EngineFunctions)
#include "tst_enginefunctions.moc"
