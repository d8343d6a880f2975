#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "machine/controllerdevice.h"
#include "machine/controllerzbusbridgedevicefunction.h"
#include "machine/unknownzbusdevice.h"
#include "machine/zbusdevicefactory.h"
#include "machine/zbussensors.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "support/hex.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

ZBusDevice *makeSensor(const QString &model)
{
    const QHash<QString, std::function<ZBusDevice *()>> makers{
        {"A", [] { return new ZBusSensorA; }}, {"B", [] { return new ZBusSensorB; }},
        {"C", [] { return new ZBusSensorC; }}, {"D", [] { return new ZBusSensorD; }},
        {"E", [] { return new ZBusSensorE; }}, {"F", [] { return new ZBusSensorF; }},
        {"G", [] { return new ZBusSensorG; }}, {"H", [] { return new ZBusSensorH; }},
        {"J", [] { return new ZBusSensorJ; }}, {"K", [] { return new ZBusSensorK; }},
        {"L", [] { return new ZBusSensorL; }}, {"unknown", [] { return new UnknownZBusDevice; }},
    };
    return makers.value(model)();
}

// A bridge frame from the controller at 0xA0.
CanMessage bridged(const QByteArray &payload)
{
    return CanMessage(0x18FF34A0, reinterpret_cast<const unsigned char *>(payload.constData()),
                      payload.size());
}

QString values(const AbstractDisplayableItem *item)
{
    QStringList parts;
    for (const ZxParameter *p : item->parameters())
        parts << p->key() + QLatin1Char('=') + p->toString();
    return parts.join(QLatin1Char(' '));
}

// What the sensor would send for its current values (address byte first).
QByteArray sentBytes(ZBusDevice *sensor)
{
    TestCanHandler handler;
    if (!handler.start())
        return QByteArray();
    J1939Device device{0xA0};
    handler.adopt(&device);
    auto *bridge = new ControllerZBusBridgeDeviceFunction(&device);
    sensor->setParent(nullptr);
    bridge->registerChild(sensor);
    sensor->transmitState();
    QByteArray bytes;
    if (QTest::qWaitFor([&] { return !handler.writtenFrames().isEmpty(); }, 2000)) {
        const CanMessage m = handler.writtenFrames().at(0);
        bytes = QByteArray(reinterpret_cast<const char *>(m.data), m.length);
    }
    sensor->setParent(nullptr); // the caller keeps the sensor
    return bytes;
}

} // namespace

class tst_ZBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void randomRoundTrip_data();
    void randomRoundTrip();
    void routing();
    void creation_data();
    void creation();
    void catalogue();
    void simulation();
    void stateReachesSensors();
};

void tst_ZBus::initTestCase()
{
    TestEnvironment::init();
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
}

void tst_ZBus::decode_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ZSA 34 12: F 0x1234, IN 0")
        << "A" << hex("3412ffffffffff") << "FAULT=0 F=4660 IN=0";
    QTest::newRow("ZSA input 3 is kept") << "A" << hex("ffff0000000000") << "FAULT=0 F=16383 IN=3";
    QTest::newRow("ZSB all FF: fault, and still decoded")
        << "B" << hex("ffffffffffffff") << "FAULT=1 P=1599.9756";
    QTest::newRow("ZSB one byte off FF clears the fault")
        << "B" << hex("feffffffffffff") << "FAULT=0 P=1599.9512";
    QTest::newRow("ZSC fields") << "C" << hex("ff9a00c0ffffff")
                                << "FAULT=0 E=2815 ANG=64 IN1=1 IN2=2 IN3=1";
    QTest::newRow("ZSD angle in hundredths")
        << "D" << hex("1d00e893ffffff") << "FAULT=0 ANG=0.29 LEN=1000 IN1=2 IN2=1";
    QTest::newRow("ZSE angle in 1/256")
        << "E" << hex("0080e803ffffff") << "FAULT=0 ANG=128 LEN=1000 IN1=0 IN2=0";
    QTest::newRow("ZSF length and input") << "F" << hex("10c0ffffffffff") << "FAULT=0 L=16 IN=3";
    QTest::newRow("ZSG mark") << "G" << hex("0180ffffffffff") << "FAULT=0 L=1 IN=1";
    QTest::newRow("ZSH angle and input")
        << "H" << hex("80ffffffffffff") << "FAULT=0 ANG=127.5 IN=1";
    QTest::newRow("ZSJ angle and input") << "J" << hex("e803c0ffffffff") << "FAULT=0 ANG=10 IN1=3";
    QTest::newRow("ZSK d1 0x3C: T 0") << "K" << hex("003cffffffffff") << "FAULT=0 ANG=0 T=0 IN=0";
    QTest::newRow("ZSK angle, T -60, input")
        << "K" << hex("0042ffffffffff") << "FAULT=0 ANG=180 T=-60 IN=1";
    QTest::newRow("ZSL wind") << "L" << hex("2c41ffffffffff") << "FAULT=0 WIND=30 IN=1";
    QTest::newRow("unknown sensor keeps the bytes")
        << "unknown" << hex("01020304050607") << "FAULT=0 DATA=01 02 03 04 05 06 07";
}

void tst_ZBus::decode()
{
    QFETCH(QString, model);
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    std::unique_ptr<ZBusDevice> sensor(makeSensor(model));
    sensor->setAddress({ItemAddress::ZBus, 0x20});
    DispatchResult result(DispatchResult::Received, 0);
    QVERIFY(sensor->dispatchMessage(bridged(QByteArray(1, char(0x20)) + data), &result));
    QCOMPARE(values(sensor.get()), expected);
    for (const ZxParameter *p : sensor->parameters())
        QVERIFY(p->isValid());
}

void tst_ZBus::encode_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("sent"); // address and the seven data bytes

    QTest::newRow("ZSK T 0 gives 0x3C") << "K" << "T" << "0" << hex("0e003cffffffffff");
    QTest::newRow("ZSK T -3 gives 56") << "K" << "T" << "-3" << hex("0e0038ffffffffff");
    QTest::newRow("ZSK T +5 clamps to 0") << "K" << "T" << "5" << hex("0e003cffffffffff");
    QTest::newRow("ZSK T -100 clamps to -60") << "K" << "T" << "-100" << hex("0e0000ffffffffff");
    QTest::newRow("ZSK angle -1 stays periodic") << "K" << "ANG" << "-1" << hex("0efd3fffffffffff");
    QTest::newRow("ZSK angle NaN is 0") << "K" << "ANG" << "nan" << hex("0e003cffffffffff");
    QTest::newRow("ZSD 0.29 goes back to 29") << "D" << "ANG" << "0.29" << hex("1d1d000000ffffff");
    QTest::newRow("ZSD 1e12 clamps") << "D" << "ANG" << "1e12" << hex("1dffff0000ffffff");
    QTest::newRow("ZSH -1 clamps to 0") << "H" << "ANG" << "-1" << hex("030000ffffffffff");
    QTest::newRow("ZSH rounds to the nearest step")
        << "H" << "ANG" << "0.002" << hex("030100ffffffffff");
    QTest::newRow("ZSB NaN is 0") << "B" << "P" << "nan" << hex("070000ffffffffff");
    QTest::newRow("ZSB 1599.9756 is FFFF") << "B" << "P" << "1599.9756" << hex("07ffffffffffffff");
    QTest::newRow("ZSL wind 1e12 clamps") << "L" << "WIND" << "1e12" << hex("0fff3fffffffffff");
    QTest::newRow("ZSA IN 5 keeps off F") << "A" << "IN" << "5" << hex("200040ffffffffff");
    QTest::newRow("ZSE IN2 5 keeps off IN1") << "E" << "IN2" << "5" << hex("1d00000010ffffff");
    QTest::newRow("ZSC IN1 2 sets bit 7 of d3") << "C" << "IN1" << "2" << hex("2800000080ffffff");
    QTest::newRow("ZSJ sends three bytes") << "J" << "IN1" << "2" << hex("31000080ffffffff");
    QTest::newRow("ZSG IN 3 keeps to one bit") << "G" << "IN" << "3" << hex("190080ffffffffff");
    QTest::newRow("fault sends all FF") << "A" << "FAULT" << "1" << hex("20ffffffffffffff");
}

void tst_ZBus::encode()
{
    QFETCH(QString, model);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, sent);
    std::unique_ptr<ZBusDevice> sensor(makeSensor(model));
    sensor->setAddress({ItemAddress::ZBus, quint8(sent.at(0))});
    QVERIFY(sensor->parameter(key));
    QVERIFY(sensor->parameter(key)->setVariantValue(value));
    QCOMPARE(sentBytes(sensor.get()).toHex(), sent.toHex());
}

void tst_ZBus::randomRoundTrip_data()
{
    // Decode then encode gives the same leading bytes (bits no field carries are 0); the rest
    // of the seven is 0xFF.
    QTest::addColumn<QString>("model");
    QTest::addColumn<QByteArray>("mask");
    for (const char *model : {"A", "B", "F", "G", "H", "K", "L"})
        QTest::newRow(model) << model << hex("ffff");
    for (const char *model : {"C", "D", "E"})
        QTest::newRow(model) << model << hex("ffffffff");
    QTest::newRow("J") << "J" << hex("ffffc0");
}

void tst_ZBus::randomRoundTrip()
{
    QFETCH(QString, model);
    QFETCH(QByteArray, mask);
    QRandomGenerator random(0x2b05);
    std::unique_ptr<ZBusDevice> sensor(makeSensor(model));
    sensor->setAddress({ItemAddress::ZBus, 0x11});
    for (int round = 0; round < 200; ++round) {
        QByteArray data(7, '\0');
        for (char &c : data)
            c = char(random.bounded(256));
        data[6] = 0; // never all FF: the fault pattern sends FF whatever the values
        DispatchResult result(DispatchResult::Received, 0);
        QVERIFY(sensor->dispatchMessage(bridged(QByteArray(1, char(0x11)) + data), &result));
        QByteArray expected(1, char(0x11));
        for (int i = 0; i < 7; ++i)
            expected.append(i < mask.size() ? char(data[i] & mask[i]) : char(0xFF));
        QCOMPARE(sentBytes(sensor.get()).toHex(), expected.toHex());
    }
}

void tst_ZBus::routing()
{
    ControllerDevice controller;
    auto *bridge = controller.findChild<ControllerZBusBridgeDeviceFunction *>();
    QVERIFY(bridge);
    AbstractDisplayableItem *zsa = bridge->subFactory()->createDevice(QByteArray("zsa-01"));
    QVERIFY(zsa);
    bridge->registerChild(zsa);
    DispatchResult taken(DispatchResult::Received, 0);
    QVERIFY(controller.dispatchMessage(bridged(hex("203412ffffffffff")), &taken));
    QCOMPARE(taken.item, zsa);
    QCOMPARE(zsa->parameter(QStringLiteral("F"))->toString(), QStringLiteral("4660"));
    // An address no sensor has stays undispatched, with the bridge as the item to ask.
    DispatchResult other(DispatchResult::Received, 0);
    QVERIFY(!controller.dispatchMessage(bridged(hex("3f00000000000000")), &other));
    QCOMPARE(other.item, bridge);
    // A short frame is taken by the bridge and reaches no sensor.
    DispatchResult shortFrame(DispatchResult::Received, 0);
    QVERIFY(controller.dispatchMessage(bridged(hex("2000000000")), &shortFrame));
    QCOMPARE(shortFrame.item, bridge);
    QCOMPARE(zsa->parameter(QStringLiteral("F"))->toString(), QStringLiteral("4660"));
    QCOMPARE(zsa->totalEvents(), 1);
}

void tst_ZBus::creation_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("key");
    QTest::newRow("0x1D is ZSE, the earlier row")
        << hex("1d00000000000000") << "ZBusSensorE" << "zse";
    QTest::newRow("0x06 is ZSA-T, before zsb-06")
        << hex("0600000000000000") << "ZBusSensorA" << "zsa-01";
    QTest::newRow("0x19 is ZSG, before ZSF")
        << hex("1900000000000000") << "ZBusSensorG" << "zsg.01";
    QTest::newRow("0x1A is zsg.04") << hex("1a00000000000000") << "ZBusSensorG" << "zsg.04";
    QTest::newRow("0x31 is ZSJ") << hex("3100000000000000") << "ZBusSensorJ" << "zsj";
    QTest::newRow("unknown address 0x3F creates nothing") << hex("3f00000000000000") << "" << "";
    QTest::newRow("short frame creates nothing") << hex("1d000000") << "" << "";
    QTest::newRow("empty frame creates nothing") << QByteArray() << "" << "";
}

void tst_ZBus::creation()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, className);
    QFETCH(QString, key);
    ControllerDevice controller;
    auto *bridge = controller.findChild<ControllerZBusBridgeDeviceFunction *>();
    AbstractDeviceFactory *factory = bridge->subFactory();
    const int entries = factory->count();
    AbstractDisplayableItem *sensor = factory->createDevice(bridged(payload));
    QCOMPARE(sensor ? QString::fromLatin1(sensor->metaObject()->className()) : QString(),
             className);
    QCOMPARE(factory->count(), entries);
    if (!sensor)
        return;
    bridge->registerChild(sensor);
    QCOMPARE(sensor->key(), key.toLatin1());
    QCOMPARE(sensor->address(), (ItemAddress{ItemAddress::ZBus, quint8(payload.at(0))}));
    // A second frame creates no second sensor, nor another model at the same address.
    QVERIFY(!factory->createDevice(bridged(payload)));
    const std::unique_ptr<AbstractDisplayableItem> zsd(factory->createDevice(QByteArray("zsd")));
    QVERIFY(!zsd || payload.at(0) != 0x1D);
}

void tst_ZBus::catalogue()
{
    ControllerZBusBridgeDeviceFunction bridge;
    AbstractDeviceFactory *f = bridge.subFactory();
    QCOMPARE(f->count(), 29);
    QCOMPARE(f->entry(0)->key, QByteArray("zsa-01"));
    QCOMPARE(f->entry(5)->address.value, 0x09u);
    QCOMPARE(f->entry(10)->key, QByteArray("zsb-06"));
    QCOMPARE(f->entry(16)->name, QStringLiteral("ZSG.01"));
    QCOMPARE(f->entry(17)->key, QByteArray("zsg.04"));
    QCOMPARE(f->entry(17)->address.value, 0x1Au);
    QCOMPARE(f->entry(28)->key, QByteArray("zsj"));
    QCOMPARE(f->unknownEntry().key, QByteArray("unknown_zbus_device"));
    QCOMPARE(f->unknownEntry().address, (ItemAddress{ItemAddress::ZBus, 0xFF}));
    for (const DeviceFactoryEntry &e : f->entries())
        QCOMPARE(int(e.address.kind), int(ItemAddress::ZBus));
}

void tst_ZBus::simulation()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    ControllerDevice controller;
    controller.setAddress({ItemAddress::J1939, 0xA0});
    handler.adopt(&controller);
    auto *bridge = controller.findChild<ControllerZBusBridgeDeviceFunction *>();
    AbstractDisplayableItem *zsb = bridge->subFactory()->createDevice(QByteArray("zsb-07"));
    bridge->registerChild(zsb);
    zsb->parameter(QStringLiteral("P"))->setVariantValue(250);
    zsb->setState(AbstractDisplayableItem::Send);
    QTRY_VERIFY_WITH_TIMEOUT(handler.writtenFrames().size() >= 3, 5000);
    const CanMessage m = handler.writtenFrames().at(0);
    QCOMPARE(m.id, 0x18FF34A0u);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(m.data), 8).toHex(),
             hex("070028ffffffffff").toHex());
    // A sensor in Send ignores frames with its address.
    DispatchResult result(DispatchResult::Received, 0);
    controller.dispatchMessage(bridged(hex("0700000000000000")), &result);
    QCOMPARE(zsb->parameter(QStringLiteral("P"))->toString(), QStringLiteral("250"));
}

void tst_ZBus::stateReachesSensors()
{
    ControllerDevice controller;
    auto *bridge = controller.findChild<ControllerZBusBridgeDeviceFunction *>();
    AbstractDisplayableItem *zsk = bridge->subFactory()->createDevice(QByteArray("zsk"));
    bridge->registerChild(zsk);
    controller.setState(AbstractDisplayableItem::ReceiveOk);
    QCOMPARE(zsk->state(), int(AbstractDisplayableItem::ReceiveOk));
    controller.setState(AbstractDisplayableItem::Send);
    QCOMPARE(zsk->state(), int(AbstractDisplayableItem::Send));
    QCOMPARE(bridge->state(), int(AbstractDisplayableItem::Send));
}

QTEST_MAIN(tst_ZBus)
#include "tst_zbus.moc"
