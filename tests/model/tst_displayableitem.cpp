#include "model/abstractdisplayableitem.h"
#include "model/liveitems.h"
#include "model/siddevice.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QBuffer>
#include <QDomDocument>
#include <QtTest>

namespace {

constexpr int Period = 40; // ms; a period counts as missed 24 ms after it ends

CanMessage frameFor(const StaticPgnJ1939DeviceFunction &f, std::initializer_list<quint8> bytes)
{
    return makeFrame(f.canMessageId(), bytes);
}

} // namespace

class tst_DisplayableItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void supervisionTimeline();
    void steadyTrafficStaysOk();
    void recoveryAfterSilence();
    void autoTakesOverAfterSixSilentPeriods();
    void frameWhileAutoIsReceiveOk_data();
    void frameWhileAutoIsReceiveOk();
    void sendIgnoresFrames();
    void bridgeNeverChangesByItself();
    void changedFlag();
    void setStateRules();
    void crossThreadSetState();
    void continuousWithZeroIntervalDoesNotStart();
    void spontaneousActivityTimeout();
    void continuousSendTransmitsEveryPeriod();
    void addressText_data();
    void addressText();
    void sidAddressText();
    void applyXmlAttributes_data();
    void applyXmlAttributes();
    void parametersByName();
    void textData();
    void dumps();
    void liveRegistry();
    void scriptDispatchReachesListeners();
    void filteredMarksTarget();
    void firstMatchingChildTakesFrame();
};

void tst_DisplayableItem::supervisionTimeline()
{
    BindingFunction f(0xFE, 0xF1);
    f.setDeviceType(AbstractDisplayableItem::Continuous, Period);
    f.setState(AbstractDisplayableItem::ReceiveOk);
    DispatchResult r;
    f.dispatchMessage(frameFor(f, {1}), &r);
    QCOMPARE(r.missedPeriods, 0);
    QCOMPARE(f.state(), int(AbstractDisplayableItem::ReceiveOk));
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(f.state(), int(AbstractDisplayableItem::ReceiveWarning), 5000);
    // Two periods of 64 ms must have passed: never earlier.
    QVERIFY2(clock.elapsed() >= 2 * (Period + 24) - 10,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(f.missedPeriods(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(f.state(), int(AbstractDisplayableItem::ReceiveError), 5000);
    QVERIFY(clock.elapsed() >= 5 * (Period + 24) - 10);
    QVERIFY(f.missedPeriods() >= 5);
}

void tst_DisplayableItem::steadyTrafficStaysOk()
{
    BindingFunction f(0xFE, 0xF1);
    f.setDeviceType(AbstractDisplayableItem::Continuous, Period);
    f.setState(AbstractDisplayableItem::ReceiveOk);
    // Frames every 20 ms: the period restarts with each frame, so at most one can ever be missed.
    for (int i = 0; i < 15; ++i) {
        DispatchResult r;
        f.dispatchMessage(frameFor(f, {quint8(i)}), &r);
        QVERIFY(r.missedPeriods <= 1);
        QTest::qWait(20);
    }
    QCOMPARE(f.state(), int(AbstractDisplayableItem::ReceiveOk));
}

void tst_DisplayableItem::recoveryAfterSilence()
{
    BindingFunction f(0xFE, 0xF1);
    f.setDeviceType(AbstractDisplayableItem::Continuous, 10);
    f.setState(AbstractDisplayableItem::ReceiveOk);
    QTRY_VERIFY_WITH_TIMEOUT(f.missedPeriods() > 6, 5000);
    f.setDeviceType(AbstractDisplayableItem::Continuous, 60000); // no more misses during the test
    QCOMPARE(f.state(), int(AbstractDisplayableItem::ReceiveError));
    const int expected[][2] = {
        {4, AbstractDisplayableItem::ReceiveWarning}, // above 5 drops to 4
        {3, AbstractDisplayableItem::ReceiveWarning}, {2, AbstractDisplayableItem::ReceiveWarning},
        {1, AbstractDisplayableItem::ReceiveOk},      {0, AbstractDisplayableItem::ReceiveOk},
        {0, AbstractDisplayableItem::ReceiveOk},
    };
    for (const auto &step : expected) {
        DispatchResult r;
        f.dispatchMessage(frameFor(f, {}), &r);
        QCOMPARE(f.missedPeriods(), step[0]);
        QCOMPARE(f.state(), step[1]);
    }
}

void tst_DisplayableItem::autoTakesOverAfterSixSilentPeriods()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x21);
    handler.adopt(&device);
    auto *f = new BindingFunction(0xFE, 0xF1, &device);
    f->addField(QStringLiteral("a"), 0, 0, 8);
    f->setDeviceType(AbstractDisplayableItem::Continuous, 10);
    QSignalSpy states(f, &AbstractDisplayableItem::stateChanged);
    f->setState(AbstractDisplayableItem::Auto);
    QVERIFY(f->hasFlag(AbstractDisplayableItem::AutoFlag));
    QTRY_COMPARE_WITH_TIMEOUT(f->state(), int(AbstractDisplayableItem::Send), 5000);
    QVERIFY(!f->hasFlag(AbstractDisplayableItem::AutoFlag));
    // It keeps transmitting on its period until told otherwise.
    QTRY_VERIFY_WITH_TIMEOUT(f->transmitCount() >= 3, 5000);
    QCOMPARE(states.count(), 2);
    QVERIFY(!handler.writtenFrames().isEmpty());
    QCOMPARE(handler.writtenFrames().first().id, 0x18FEF121u);
}

void tst_DisplayableItem::frameWhileAutoIsReceiveOk_data()
{
    // The window stamps frames; the recording decoder turns it off and must see the same result.
    QTest::addColumn<bool>("stamped");
    QTest::newRow("stamped") << true;
    QTest::newRow("unstamped") << false;
}

void tst_DisplayableItem::frameWhileAutoIsReceiveOk()
{
    QFETCH(bool, stamped);
    const DispatchResult::Mode mode = stamped ? DispatchResult().mode : DispatchResult::Live;
    BindingFunction f(0xFE, 0xF1);
    f.setDeviceType(AbstractDisplayableItem::Continuous, 1000);
    f.setState(AbstractDisplayableItem::Auto);
    DispatchResult first;
    first.mode = mode;
    QVERIFY(f.dispatchMessage(frameFor(f, {1}), &first));
    QCOMPARE(first.missedPeriods, 0);
    QCOMPARE(f.state(), int(AbstractDisplayableItem::ReceiveOk));
    QVERIFY(!f.hasFlag(AbstractDisplayableItem::AutoFlag));
    QVERIFY(f.hasFlag(AbstractDisplayableItem::ActivityFlag));
    QVERIFY(!f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    DispatchResult second;
    second.mode = mode;
    QVERIFY(f.dispatchMessage(frameFor(f, {2}), &second));
    QVERIFY(f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    QCOMPARE(f.state(), int(AbstractDisplayableItem::ReceiveOk));
}

void tst_DisplayableItem::sendIgnoresFrames()
{
    BindingFunction f(0xFE, 0xF1);
    f.addField(QStringLiteral("a"), 0, 0, 8);
    f.setState(AbstractDisplayableItem::Send);
    f.parameters().first()->setVariantValue(5);
    DispatchResult r;
    QVERIFY(f.dispatchMessage(frameFor(f, {9}), &r));
    QCOMPARE(f.parameters().first()->toString(), QStringLiteral("5"));
    QCOMPARE(f.totalEvents(), qint64(0));
    QCOMPARE(f.lastMessage().id, 0u);
    QCOMPARE(f.state(), int(AbstractDisplayableItem::Send));
    QVERIFY(!r.item);
}

void tst_DisplayableItem::bridgeNeverChangesByItself()
{
    BindingFunction f(0xFE, 0xF1);
    QVERIFY(f.isBridge());
    f.setState(AbstractDisplayableItem::ReceiveForced);
    DispatchResult r;
    f.dispatchMessage(frameFor(f, {1}), &r);
    QVERIFY(!f.timer()->isActive());
    QCOMPARE(r.missedPeriods, -1);
    QTest::qWait(50);
    QCOMPARE(f.state(), int(AbstractDisplayableItem::ReceiveForced));
}

void tst_DisplayableItem::changedFlag()
{
    const qint64 holdMs = 80;
    BindingFunction f(0xFE, 0xF1);
    DispatchResult r;
    f.dispatchMessage(frameFor(f, {1, 2}), &r);
    QVERIFY(!f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    f.dispatchMessage(frameFor(f, {1, 2}), &r);
    QVERIFY(!f.hasFlag(AbstractDisplayableItem::ChangedFlag)); // equal frames keep it
    f.dispatchMessage(frameFor(f, {1, 3}), &r);
    QVERIFY(f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    f.dispatchMessage(frameFor(f, {1, 3}), &r);
    QVERIFY(f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    f.checkDropNewData(holdMs);
    QVERIFY(f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    QTest::qWait(100);
    f.checkDropNewData(holdMs);
    QVERIFY(!f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    // A different length is a change too; a different identifier clears the mark.
    f.dispatchMessage(frameFor(f, {1, 3, 0}), &r);
    QVERIFY(f.hasFlag(AbstractDisplayableItem::ChangedFlag));
    f.dispatchMessage(makeFrame(0x18FEF200, {1, 3, 0}), &r);
    QVERIFY(!f.hasFlag(AbstractDisplayableItem::ChangedFlag));
}

void tst_DisplayableItem::setStateRules()
{
    BindingFunction f(0xFE, 0xF1);
    f.setDeviceType(AbstractDisplayableItem::Continuous, 100);
    QSignalSpy spy(&f, &AbstractDisplayableItem::stateChanged);
    QVERIFY(f.setState(AbstractDisplayableItem::ReceiveOk));
    QCOMPARE(f.timer()->interval(), 124);
    QVERIFY(!f.setState(AbstractDisplayableItem::ReceiveOk));
    QCOMPARE(spy.count(), 1);
    QVERIFY(f.setState(AbstractDisplayableItem::Send));
    QCOMPARE(f.timer()->interval(), 100);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last().first().toInt(), int(AbstractDisplayableItem::Send));
}

void tst_DisplayableItem::crossThreadSetState()
{
    QThread bus;
    auto *f = new BindingFunction(0xFE, 0xF1);
    f->moveToThread(&bus);
    bus.start();
    QVERIFY(!f->setState(AbstractDisplayableItem::Send)); // re-posted to the item's thread
    QTRY_COMPARE(f->state(), int(AbstractDisplayableItem::Send));
    QMetaObject::invokeMethod(f, "deleteLater", Qt::BlockingQueuedConnection);
    bus.quit();
    QVERIFY(bus.wait(5000));
}

void tst_DisplayableItem::continuousWithZeroIntervalDoesNotStart()
{
    BindingFunction f(0xFE, 0xF1);
    f.setState(AbstractDisplayableItem::Send);
    f.setDeviceType(AbstractDisplayableItem::Continuous, 0);
    QVERIFY(!f.timer()->isActive());
    // The timeout is connected: starting the timer by hand transmits.
    f.timer()->start(5);
    QTRY_VERIFY(f.transmitCount() > 0);
    // A bridge connects nothing.
    f.setDeviceType(AbstractDisplayableItem::Bridge, 5);
    const int count = f.transmitCount();
    f.timer()->start(5);
    QTest::qWait(40);
    QCOMPARE(f.transmitCount(), count);
}

void tst_DisplayableItem::spontaneousActivityTimeout()
{
    BindingFunction f(0xFE, 0xF1);
    f.setDeviceType(AbstractDisplayableItem::Spontaneous, 30);
    DispatchResult r;
    f.dispatchMessage(frameFor(f, {1}), &r);
    QVERIFY(f.hasFlag(AbstractDisplayableItem::ActivityFlag));
    QTRY_VERIFY_WITH_TIMEOUT(!f.hasFlag(AbstractDisplayableItem::ActivityFlag), 5000);
    QCOMPARE(f.transmitCount(), 0);
}

void tst_DisplayableItem::continuousSendTransmitsEveryPeriod()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x42);
    handler.adopt(&device);
    auto *f = new BindingFunction(0xF0, 0x04, &device);
    f->addField(QStringLiteral("speed"), 3, 0, 16, 0.125f);
    f->parameters().first()->setVariantValue(1000);
    f->setDeviceType(AbstractDisplayableItem::Continuous, 10);
    f->setDefaultPriority(3);
    device.setState(AbstractDisplayableItem::Send);
    QCOMPARE(f->state(), int(AbstractDisplayableItem::Send));
    QTRY_VERIFY_WITH_TIMEOUT(handler.writtenFrames().size() >= 3, 5000);
    const CanMessage sent = handler.writtenFrames().first();
    QCOMPARE(sent.toString(), QStringLiteral("3 f00442 ff ff ff 40 1f ff ff ff"));
    f->setPaused(true);
    const int count = handler.writtenFrames().size();
    QTest::qWait(50);
    QCOMPARE(handler.writtenFrames().size(), count);
}

void tst_DisplayableItem::addressText_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0x05") << 0x5u << "0x05";
    QTest::newRow("0xff") << 0xFFu << "0xff";
    QTest::newRow("0x01f0") << 0x1F0u << "0x01f0";
    QTest::newRow("0x012345") << 0x12345u << "0x012345";
    QTest::newRow("0xffffff") << 0xFFFFFFu << "0xffffff";
    QTest::newRow("0x01234567") << 0x1234567u << "0x01234567";
}

void tst_DisplayableItem::addressText()
{
    QFETCH(quint32, value);
    QFETCH(QString, text);
    J1939Device device;
    device.setAddress({ItemAddress::J1939, value});
    QCOMPARE(device.userReadableAddress(), text);
}

void tst_DisplayableItem::sidAddressText()
{
    SidDevice device(0x21);
    QCOMPARE(device.userReadableAddress(), QStringLiteral("SID:021"));
    device.setAddress({ItemAddress::Sid, 0x7A0});
    QCOMPARE(device.userReadableAddress(), QStringLiteral("SID:7a0"));
}

void tst_DisplayableItem::applyXmlAttributes_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("filtered");
    QTest::newRow("period 100") << "period=\"100\"" << 2 << 100 << false;
    QTest::newRow("period 0 commits") << "period=\"0\"" << 0x1004 << 0 << false;
    QTest::newRow("period above int range") << "period=\"3000000000\"" << 4 << 0 << false;
    QTest::newRow("period not a number keeps the type") << "period=\"fast\"" << 1 << -1 << false;
    QTest::newRow("negative period keeps the type") << "period=\"-5\"" << 1 << -1 << false;
    QTest::newRow("filtered") << "filtered=\"true\"" << 1 << -1 << true;
    QTest::newRow("filtered only when exactly true") << "filtered=\"yes\"" << 1 << -1 << false;
}

void tst_DisplayableItem::applyXmlAttributes()
{
    QFETCH(QString, attributes);
    QFETCH(int, type);
    QFETCH(int, interval);
    QFETCH(bool, filtered);
    QDomDocument doc;
    QVERIFY(doc.setContent(QStringLiteral("<func %1/>").arg(attributes)));
    QDomElement e = doc.documentElement();
    BindingFunction f(0xFE, 0xF1);
    f.setFiltered(true);
    f.applyXmlAttributes(e);
    QCOMPARE(int(f.deviceType()), type);
    QCOMPARE(f.transmissionInterval(), interval);
    QCOMPARE(f.isFiltered(), filtered);
}

void tst_DisplayableItem::parametersByName()
{
    BindingFunction f(0xFE, 0xF1);
    auto *speed = f.addIntParameter(QStringLiteral("Speed"), QStringLiteral("SPD"));
    f.addBoolParameter(QStringLiteral("Brake"));
    f.setParameterValue(QStringLiteral("SPD"), 42);
    QCOMPARE(speed->value(), 42);
    QCOMPARE(f.parameterValue(QStringLiteral("Brake")).toBool(), false);
    QVERIFY(f.boolParameter(1));
    QVERIFY(!f.boolParameter(0)); // wrong type at that position
    QVERIFY(!f.intParameter(7));
    QTest::ignoreMessage(QtDebugMsg, "Unable to find Speed parameter");
    QVERIFY(!f.parameterValue(QStringLiteral("Speed")).isValid()); // the id is the key
    QTest::ignoreMessage(QtDebugMsg, "Unable to find nope parameter");
    f.setParameterValue(QStringLiteral("nope"), 1);
    QCOMPARE(AbstractDisplayableItem::sanitizeParameterId(QStringLiteral("a:b,c;d\\e/f+g-h.i*j k")),
             QStringLiteral("a_b_c_d_e_f_g_h_i_j_k"));
}

void tst_DisplayableItem::textData()
{
    BindingFunction f(0xFE, 0xF1);
    f.addIntParameter(QStringLiteral("Speed"), QStringLiteral("SPD"))->setValue(7);
    f.addBoolParameter(QStringLiteral("Hidden"))->setHidden(true);
    f.addIntParameter(QString())->setValue(3);
    f.addBoolParameter(QStringLiteral("Brake"))->setValue(true);
    QCOMPARE(f.textDataImpl(), QStringLiteral("SPD=7 3 Brake=1"));
    // Until a frame arrives the views show no believable zeros.
    QVERIFY(f.awaitsData());
    QCOMPARE(f.summaryText(), QStringLiteral("no data yet"));
    DispatchResult r;
    QVERIFY(f.dispatchMessage(frameFor(f, {}), &r));
    QVERIFY(!f.awaitsData());
    QCOMPARE(f.summaryText(), QStringLiteral("SPD=7 3 Brake=1"));
    // An item the program sends shows its values from the start.
    BindingFunction sent(0xFE, 0xF2);
    sent.addIntParameter(QStringLiteral("Speed"), QStringLiteral("SPD"))->setValue(7);
    sent.setState(AbstractDisplayableItem::Send);
    QCOMPARE(sent.summaryText(), QStringLiteral("SPD=7"));
}

void tst_DisplayableItem::dumps()
{
    J1939Device device(0x10);
    device.setName(QStringLiteral("Engine #1"));
    auto *f = new BindingFunction(0xF0, 0x04, &device);
    f->setName(QStringLiteral("EEC1"));
    f->addIntParameter(QStringLiteral("Speed"))->setValue(800);
    f->addFloatParameter(QStringLiteral("Torque"))->setValid(false);
    QBuffer ids;
    ids.open(QIODevice::WriteOnly);
    device.dumpParameterIds(&ids);
    QCOMPARE(ids.data(), QByteArray(",EEC1Speed,EEC1Torque"));
    QBuffer values;
    values.open(QIODevice::WriteOnly);
    // Nothing received yet, and then a value not available: empty fields, not numbers.
    device.dumpParameters(&values);
    QCOMPARE(values.data(), QByteArray(",,"));
    f->counterInc();
    values.buffer().clear();
    values.seek(0);
    device.dumpParameters(&values);
    QCOMPARE(values.data(), QByteArray(",800,"));
}

void tst_DisplayableItem::liveRegistry()
{
    auto *f = new BindingFunction(0xFE, 0xF1);
    QVERIFY(AbstractDisplayableItem::isValid(f));
    quint64 removals = 0;
    QVERIFY(LiveItems::contains(f, &removals));
    QCOMPARE(LiveItems::removals(), removals);
    const AbstractDisplayableItem *stale = f;
    const quint64 serial = f->serial();
    delete f;
    QVERIFY(!AbstractDisplayableItem::isValid(stale));
    QVERIFY(!AbstractDisplayableItem::isValid(nullptr));
    // What was known of the items before the removal no longer holds.
    QVERIFY(LiveItems::removals() != removals);
    // The next item is another one, wherever it lies in memory.
    BindingFunction next(0xFE, 0xF1);
    QVERIFY(next.serial() != serial);
}

void tst_DisplayableItem::scriptDispatchReachesListeners()
{
    // A frame decoded from a description tells whoever listens, however and whenever connected.
    BindingFunction f(0xFE, 0xF1);
    DispatchResult r;
    int heard = 0;
    const auto connection
        = connect(&f, &AbstractDisplayableItem::scriptDispatch, this, [&heard] { ++heard; });
    f.dispatchMessage(frameFor(f, {1}), &r);
    QCOMPARE(heard, 1);
    disconnect(connection);
    f.dispatchMessage(frameFor(f, {2}), &r);
    QCOMPARE(heard, 1);
    QSignalSpy spy(&f, SIGNAL(scriptDispatch()));
    f.dispatchMessage(frameFor(f, {3}), &r);
    QCOMPARE(spy.count(), 1);
}

void tst_DisplayableItem::filteredMarksTarget()
{
    BindingFunction f(0xFE, 0xF1);
    DispatchResult r;
    f.dispatchMessage(frameFor(f, {}), &r);
    QVERIFY(!r.status.testFlag(DispatchResult::Target));
    f.setFiltered(true);
    f.dispatchMessage(frameFor(f, {}), &r);
    QVERIFY(r.status.testFlag(DispatchResult::Target));
}

void tst_DisplayableItem::firstMatchingChildTakesFrame()
{
    TestContainerItem parent;
    parent.matchId = 0x100;
    auto *a = new TestContainerItem(&parent);
    auto *b = new TestContainerItem(&parent);
    a->matchId = 0x200;
    b->matchId = 0x100;
    auto *c = new TestContainerItem(&parent);
    c->matchId = 0x100;
    QCOMPARE(parent.children().size(), 3);
    DispatchResult r;
    QVERIFY(!parent.dispatchMessage(makeFrame(0x100, {}), &r)); // b has no children to take it
    QCOMPARE(r.item, static_cast<AbstractDisplayableItem *>(b));
    QCOMPARE(b->totalEvents(), qint64(1));
    QCOMPARE(c->totalEvents(), qint64(0));
    // Items with children never carry the changed mark.
    QVERIFY(!parent.hasFlag(AbstractDisplayableItem::ChangedFlag));
    delete b;
    QCOMPARE(parent.children().size(), 2);
}

QTEST_MAIN(tst_DisplayableItem)
#include "tst_displayableitem.moc"
