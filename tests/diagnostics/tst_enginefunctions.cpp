#include "can/dispatchresult.h"
#include "descriptions/unknownpgnfactory.h"
#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/editors/eccfschemetreeitem.h"
#include "diagnostics/emr2enginestoprequestfunction.h"
#include "diagnostics/engineconfigurationfunction.h"
#include "diagnostics/enginecontrollercalibrationfunction.h"
#include "model/j1939device.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QPushButton>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

QByteArray ec1(int size = EngineConfigurationFunction::MessageLength, quint8 fill = 0)
{
    return QByteArray(size, char(fill));
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
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x00);
    auto *f = new EngineConfigurationFunction(&device);
    f->floatParameter(0)->setValue(800.0f);
    f->transmitState();
    QTRY_VERIFY(!handler.writtenFrames().isEmpty());
    const CanMessage announce = handler.writtenFrames().first();
    QCOMPARE(announce.id & 0x00FFFFFF, 0x00ECFF00u);
    QCOMPARE(announce.data[0], quint8(0x20)); // BAM
    QCOMPARE(announce.data[1], quint8(34));
    QCOMPARE(announce.data[3], quint8(5));
    QCOMPARE(announce.data[5], quint8(0xE3));
    QCOMPARE(announce.data[6], quint8(0xFE));
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
    CanMessage m(0x08FF1600, reinterpret_cast<const quint8 *>(payload.constData()),
                 payload.size());
    DispatchResult r;
    QVERIFY(f.dispatchMessageImpl(m, &r));
    QCOMPARE(f.isStopRequested(), after);
}

void tst_EngineFunctions::emr2Transmit()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x00);
    auto *f = new Emr2EngineStopRequestFunction(&device);
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
}

void tst_EngineFunctions::calibrationStartStop()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x00);
    auto *f = new EngineControllerCalibrationFunction(&device);
    ECCFSChemeTreeItem node(f);
    std::unique_ptr<QWidget> widget(node.createWidget(1));
    QTest::mouseClick(widget->findChild<QPushButton *>(QStringLiteral("start")), Qt::LeftButton);
    QTRY_VERIFY(f->isRunning());
    QVERIFY(f->calibrationTimer()->isActive());
    QCOMPARE(f->calibrationTimer()->interval(), 250);
    QTest::mouseClick(widget->findChild<QPushButton *>(QStringLiteral("stop")), Qt::LeftButton);
    QTRY_VERIFY(!f->isRunning());
    QVERIFY(!f->calibrationTimer()->isActive());
    QVERIFY(handler.writtenFrames().isEmpty()); // a calibration tick sends nothing
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
