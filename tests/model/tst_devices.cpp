#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/siddevice.h"
#include "model/zxparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QtTest>

class tst_Devices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void routing_data();
    void routing();
    void functionMatching_data();
    void functionMatching();
    void aggregateState_data();
    void aggregateState();
    void stateFollowsItsFunctions();
    void targetMatching();
    void requestAnswered();
    void requestForUnknownPgnConsumed();
    void sidTransmitData();
};

void tst_Devices::routing_data()
{
    QTest::addColumn<CanMessage>("frame");
    QTest::addColumn<bool>("j1939At21");
    QTest::addColumn<bool>("j1939At22");
    QTest::addColumn<bool>("sid21");
    QTest::newRow("J1939 from 0x21") << makeFrame(0x18FEF121, {}) << true << false << false;
    QTest::newRow("J1939 from 0x22") << makeFrame(0x0CF00422, {}) << false << true << false;
    QTest::newRow("standard id 0x21") << makeFrame(0x021, {}, false) << false << false << true;
    QTest::newRow("standard id 0x121") << makeFrame(0x121, {}, false) << false << false << false;
}

void tst_Devices::routing()
{
    QFETCH(CanMessage, frame);
    QFETCH(bool, j1939At21);
    QFETCH(bool, j1939At22);
    QFETCH(bool, sid21);
    J1939Device a(0x21);
    J1939Device b(0x22);
    SidDevice s(0x21);
    QCOMPARE(a.matchMessage(frame), j1939At21);
    QCOMPARE(b.matchMessage(frame), j1939At22);
    QCOMPARE(s.matchMessage(frame), sid21);
}

void tst_Devices::functionMatching_data()
{
    QTest::addColumn<int>("pf");
    QTest::addColumn<int>("ps");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("match");
    QTest::newRow("pdu1 to global, function PS 0x21") << 0xEF << 0x21 << 0x18EFFF00u << true;
    QTest::newRow("last pdu1 format 0xEF") << 0xEF << 0x00 << 0x18EF3000u << true;
    QTest::newRow("first pdu2 format 0xF0 needs the PS") << 0xF0 << 0x04 << 0x18F00500u << false;
    QTest::newRow("pdu2 exact") << 0xFE << 0xF1 << 0x18FEF100u << true;
    QTest::newRow("pdu2 other PS") << 0xFE << 0xF1 << 0x18FEF200u << false;
}

void tst_Devices::functionMatching()
{
    QFETCH(int, pf);
    QFETCH(int, ps);
    QFETCH(quint32, id);
    QFETCH(bool, match);
    BindingFunction f{quint8(pf), quint8(ps)};
    QCOMPARE(f.matchMessage(makeFrame(id, {})), match);
}

void tst_Devices::aggregateState_data()
{
    QTest::addColumn<QVector<int>>("states");
    QTest::addColumn<int>("aggregate");
    QTest::newRow("no functions") << QVector<int>{} << 0;
    QTest::newRow("all unknown") << QVector<int>{0, 0} << 0;
    QTest::newRow("ok and warning mixed") << QVector<int>{3, 4} << 7;
    QTest::newRow("all send") << QVector<int>{2, 2, 2} << 2;
    QTest::newRow("unknown first is skipped") << QVector<int>{0, 3, 3} << 3;
    QTest::newRow("a later unknown mixes") << QVector<int>{3, 0} << 7;
}

void tst_Devices::aggregateState()
{
    QFETCH(QVector<int>, states);
    QFETCH(int, aggregate);
    J1939Device device(0x10);
    for (int s : states)
        (new BindingFunction(0xFE, quint8(0x10 + device.children().size()), &device))->setState(s);
    QCOMPARE(device.state(), aggregate);
}

void tst_Devices::stateFollowsItsFunctions()
{
    // Asked between every change, as the dispatch asks for every frame.
    J1939Device device(0x10);
    auto *engine = new BindingFunction(0xF0, 0x04, &device);
    engine->setState(AbstractDisplayableItem::ReceiveOk);
    QCOMPARE(device.state(), int(AbstractDisplayableItem::ReceiveOk));
    engine->setState(AbstractDisplayableItem::ReceiveWarning);
    QCOMPARE(device.state(), int(AbstractDisplayableItem::ReceiveWarning));
    auto *speed = new BindingFunction(0xFE, 0xF1, &device);
    speed->setDeviceType(AbstractDisplayableItem::Continuous, 100);
    QCOMPARE(device.state(), int(AbstractDisplayableItem::Mixed));
    // A frame for the new function sets its state on the way through the unit.
    DispatchResult r;
    device.dispatchMessage(makeFrame(speed->canMessageId(), {1}), &r);
    QCOMPARE(speed->state(), int(AbstractDisplayableItem::ReceiveOk));
    engine->setState(AbstractDisplayableItem::ReceiveOk);
    QCOMPARE(device.state(), int(AbstractDisplayableItem::ReceiveOk));
    delete speed;
    engine->setState(AbstractDisplayableItem::Send);
    QCOMPARE(device.state(), int(AbstractDisplayableItem::Send));
    delete engine;
    QCOMPARE(device.state(), int(AbstractDisplayableItem::Unknown));
}

void tst_Devices::targetMatching()
{
    J1939Device device(0x30);
    auto *f = new BindingFunction(0xFE, 0xF1, &device);
    const CanMessage request = makeFrame(0x18EA30F9, {0xF1, 0xFE, 0x00});
    QVERIFY(!device.matchTargetMessage(request)); // not simulated
    f->setState(AbstractDisplayableItem::Send);
    QVERIFY(device.matchTargetMessage(request));
    QVERIFY(!device.matchTargetMessage(makeFrame(0x18EA31F9, {0xF1, 0xFE, 0x00})));
    // A request to everyone is for every unit the program stands in for.
    QVERIFY(device.matchTargetMessage(makeFrame(0x18EAFFF9, {0xF1, 0xFE, 0x00})));
    QVERIFY(!device.matchTargetMessage(makeFrame(0x18FEF130, {})));
}

void tst_Devices::requestAnswered()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x30);
    handler.adopt(&device);
    auto *other = new BindingFunction(0xFE, 0xF2, &device);
    auto *ccvs = new BindingFunction(0xFE, 0xF1, &device);
    ccvs->addField(QStringLiteral("speed"), 1, 0, 16, 1.0f / 256);
    ccvs->parameters().first()->setVariantValue(50);
    device.setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    QVERIFY(device.dispatchTargetMessage(makeFrame(0x18EA30F9, {0xF1, 0xFE, 0x00}), &r));
    QCOMPARE(ccvs->transmitCount(), 1);
    QCOMPARE(other->transmitCount(), 0);
    QCOMPARE(handler.writtenFrames().size(), 1);
    QCOMPARE(handler.writtenFrames().first().toString(),
             QStringLiteral("6 fef130 ff 00 32 ff ff ff ff ff"));
    // A paused function does not answer.
    ccvs->setPaused(true);
    QVERIFY(device.dispatchTargetMessage(makeFrame(0x18EA30F9, {0xF1, 0xFE, 0x00}), &r));
    QCOMPARE(ccvs->transmitCount(), 1);
}

void tst_Devices::requestForUnknownPgnConsumed()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x30);
    auto *f = new BindingFunction(0xFE, 0xF1, &device);
    device.setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    QVERIFY(device.dispatchTargetMessage(makeFrame(0x18EA30F9, {0xE5, 0xFE, 0x00}), &r));
    QCOMPARE(f->transmitCount(), 0);
    QVERIFY(handler.writtenFrames().isEmpty());
    // A short request carries no PGN.
    QVERIFY(device.dispatchTargetMessage(makeFrame(0x18EA30F9, {0xF1}), &r));
    QCOMPARE(f->transmitCount(), 0);
}

void tst_Devices::sidTransmitData()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    SidDevice device(0x1A0);
    handler.adopt(&device);
    const unsigned char data[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    device.transmitData(data, 9); // too long: nothing
    QVERIFY(handler.writtenFrames().isEmpty());
    device.transmitData(data, 2);
    QCOMPARE(handler.writtenFrames().size(), 1);
    QCOMPARE(handler.writtenFrames().first().toString(), QStringLiteral("SID1a0 01 02"));
    QCOMPARE(handler.writtenFrames().first().sender,
             static_cast<AbstractDisplayableItem *>(&device));
}

QTEST_MAIN(tst_Devices)
#include "tst_devices.moc"
