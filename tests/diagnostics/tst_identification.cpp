#include "can/candumpreader.h"
#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "diagnostics/addressclaimfunction.h"
#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/softfunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxparameterlink.h"
#include "model/zxstringparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QSpinBox>
#include <QLabel>
#include <QCheckBox>
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
    void nameFields_data();
    void nameFields();
    void nameFieldLabels_data();
    void nameFieldLabels();
    void claimEncodesTheName();
    void simulatedUnitAnswersClaimRequests_data();
    void simulatedUnitAnswersClaimRequests();
    void recordingShowsEveryNode();
    void firstClaimShowsTheName();
    void editedNameIsClaimed();
    void receivedClaimStaysActive();
    void claimNamesTheUnit_data();
    void claimNamesTheUnit();
};

namespace {

using Fields = QVector<quint32>; // in the order of AddressClaimFunction::Index

Fields fieldsOf(const AddressClaimFunction &f)
{
    Fields out;
    for (int i = 0; i < AddressClaimFunction::FieldCount; ++i) {
        out << (i == AddressClaimFunction::ArbitraryAddressCapable
                    ? quint32(f.boolParameter(i)->value())
                    : quint32(f.intParameter(i)->value()));
    }
    return out;
}

// The dispatcher with auto-detection over the built-in catalogue, as the window runs them.
struct DetectingBus
{
    DetectingBus()
    {
        registerDiagnosticsFunctions();
        DescriptionFiles::setBaseDirectory(QDir::tempPath()
                                           + QStringLiteral("/no-such-tarvik-dir"));
        catalogue = CanDeviceFactory::create();
        dispatcher.setCatalogue(catalogue.get());
        detector.setCatalogue(catalogue.get());
    }
    ~DetectingBus() { dispatcher.clearScheme(); }
    // Offers a received frame; the items detected from it, registered.
    QList<AbstractDisplayableItem *> hear(const CanMessage &frame, qint64 timeMs = 0)
    {
        AbstractCanHandler::MessagePack pack;
        pack.append(qMakePair(frame, DispatchResult(DispatchResult::Received, timeMs)));
        dispatcher.dispatchMessage(pack.first().first, &pack.first().second);
        const QList<AbstractDisplayableItem *> created = detector.process(pack);
        for (AbstractDisplayableItem *item : created)
            dispatcher.registerDisplayable(item);
        return created;
    }

    std::unique_ptr<CanDeviceFactory> catalogue;
    DeviceDispatcher dispatcher;
    AutoDetector detector;
};

} // namespace

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

void tst_Identification::nameFields_data()
{
    QTest::addColumn<QByteArray>("payload");
    // identity, manufacturer, ECU instance, function instance, function, reserved,
    // vehicle system, vehicle system instance, industry group, arbitrary address capable
    QTest::addColumn<Fields>("fields");
    QTest::newRow("all zero") << QByteArray(8, 0) << Fields{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("all ones: every field at its maximum, none n/a")
        << QByteArray(8, char(0xFF)) << Fields{0x1FFFFF, 0x7FF, 7, 31, 255, 1, 127, 15, 7, 1};
    QTest::newRow("identity is bits 0-20")
        << hex("ffff1f0000000000") << Fields{0x1FFFFF, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("manufacturer is bits 21-31")
        << hex("0000e0ff00000000") << Fields{0, 0x7FF, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("ECU instance low 3 bits of byte 4, function instance the high 5")
        << hex("00000000f9000000") << Fields{0, 0, 1, 31, 0, 0, 0, 0, 0, 0};
    QTest::newRow("function is byte 5")
        << hex("0000000000820000") << Fields{0, 0, 0, 0, 130, 0, 0, 0, 0, 0};
    QTest::newRow("reserved bit 48, vehicle system bits 49-55")
        << hex("0000000000003300") << Fields{0, 0, 0, 0, 0, 1, 25, 0, 0, 0};
    QTest::newRow("vehicle system instance, industry group, arbitrary address capable")
        << hex("00000000000000c2") << Fields{0, 0, 0, 0, 0, 0, 0, 2, 4, 1};
    QTest::newRow("engine claim 4D2E2322008232C0")
        << hex("4d2e2322008232c0") << Fields{208461, 273, 0, 0, 130, 0, 25, 0, 4, 1};
}

void tst_Identification::nameFieldLabels_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("label");
    QTest::newRow("identity") << int(AddressClaimFunction::IdentityNumber) << "ID"
                              << "Identity number";
    QTest::newRow("manufacturer") << int(AddressClaimFunction::ManufacturerCode) << "MFR"
                                  << "Manufacturer code";
    QTest::newRow("industry group") << int(AddressClaimFunction::IndustryGroup) << "IG"
                                    << "Industry group";
    QTest::newRow("arbitrary address") << int(AddressClaimFunction::ArbitraryAddressCapable)
                                       << "AAC" << "Arbitrary address capable";
}

// The editors say what a field is; scheme files and the console program keep finding it by key.
void tst_Identification::nameFieldLabels()
{
    QFETCH(int, field);
    QFETCH(QString, key);
    QFETCH(QString, label);
    AddressClaimFunction f;
    const ZxParameter *p = f.parameters().at(field);
    QCOMPARE(p->name(), label);
    QCOMPARE(p->key(), key);
    QCOMPARE(f.parameter(key), p);
    const QWidget *editor = f.treeItem()->getWidget();
    QStringList labels;
    for (const QLabel *l : editor->findChildren<QLabel *>())
        labels << l->text();
    for (const QCheckBox *c : editor->findChildren<QCheckBox *>())
        labels << c->text();
    QVERIFY2(labels.contains(label) || labels.contains(label + QLatin1Char(':')),
             qPrintable(labels.join(QLatin1Char('|'))));
    QVERIFY(!labels.contains(key));
}

void tst_Identification::nameFields()
{
    QFETCH(QByteArray, payload);
    QFETCH(Fields, fields);
    J1939Device device(0x00);
    auto *f = new AddressClaimFunction(&device);
    for (ZxParameter *p : f->parameters())
        p->setValid(false);
    DispatchResult result;
    QVERIFY(device.dispatchMessage(frameOf(0x18EEFF00, payload), &result));
    QCOMPARE(result.item, f);
    QCOMPARE(fieldsOf(*f), fields);
    for (ZxParameter *p : f->parameters())
        QVERIFY(p->isValid());
    // Encoding the decoded fields gives the payload back.
    QCOMPARE(f->name(), AddressClaimFunction::nameFromPayload(
                            reinterpret_cast<const quint8 *>(payload.constData())));
}

void tst_Identification::claimEncodesTheName()
{
    AddressClaimFunction f;
    // Six bytes are not a NAME: nothing is taken from them.
    QVERIFY(!f.decode(hex("4d2e23220082")));
    QCOMPARE(f.intParameter(AddressClaimFunction::ManufacturerCode)->value(), 0);
    f.intParameter(AddressClaimFunction::IdentityNumber)->setValue(0x3FFFFF); // wider than 21 bits
    f.intParameter(AddressClaimFunction::ManufacturerCode)->setValue(137);
    f.intParameter(AddressClaimFunction::Function)->setValue(190);
    f.intParameter(AddressClaimFunction::VehicleSystem)->setValue(80);
    f.intParameter(AddressClaimFunction::IndustryGroup)->setValue(4);
    f.boolParameter(AddressClaimFunction::ArbitraryAddressCapable)->setValue(true);
    // Each field is cut to its width: the identity does not spill into the manufacturer code.
    QCOMPARE(f.name(), quint64(0xC0A0BE00113FFFFFull));
}

void tst_Identification::simulatedUnitAnswersClaimRequests_data()
{
    QTest::addColumn<quint32>("requestId");
    QTest::addColumn<int>("answers");
    QTest::newRow("global request") << 0x18EAFF05u << 1;
    QTest::newRow("request to the unit") << 0x18EA2305u << 1;
    QTest::newRow("request to another unit") << 0x18EA2405u << 0;
}

void tst_Identification::simulatedUnitAnswersClaimRequests()
{
    QFETCH(quint32, requestId);
    QFETCH(int, answers);
    TestCanHandler handler;
    QVERIFY(handler.start());
    DeviceDispatcher dispatcher;
    handler.setDispatcher(&dispatcher);
    auto *device = new J1939Device(0x23);
    auto *claim = new AddressClaimFunction(device);
    QVERIFY(claim->decode(hex("0795e01003b4a0c2")));
    dispatcher.registerDisplayable(device);
    device->setState(AbstractDisplayableItem::Send);
    QTest::qWait(20);
    const int before = int(handler.writtenFrames().size());

    DispatchResult r;
    dispatcher.dispatchMessage(makeFrame(requestId, {0x00, 0xEE, 0x00}), &r);
    // A request for another group to the global address stays unanswered.
    dispatcher.dispatchMessage(makeFrame(0x18EAFF05, {0xCA, 0xFE, 0x00}), &r);
    QTRY_COMPARE(int(handler.writtenFrames().size()) - before, answers);
    if (answers) {
        const CanMessage sent = handler.writtenFrames().last();
        QCOMPARE(sent.id, 0x18EEFF23u); // to the global address, from the unit
        QCOMPARE(payloadOf(sent), hex("0795e01003b4a0c2"));
    }
    QTest::qWait(20);
    QCOMPARE(int(handler.writtenFrames().size()) - before, answers);
    dispatcher.clearScheme();
}

void tst_Identification::editedNameIsClaimed()
{
    AdoptedUnit bus(0x23);
    TestCanHandler &handler = bus.handler;
    auto *claim = new AddressClaimFunction(&bus.unit);
    QVERIFY(claim->decode(hex("0795e01003b4a0c2")));
    bus.unit.setState(AbstractDisplayableItem::Send);
    QTest::qWait(20);
    const int before = int(handler.writtenFrames().size());
    ZxParameterLink link(claim->intParameter(AddressClaimFunction::EcuInstance), nullptr);
    link.setDisplayable(claim);
    std::unique_ptr<QWidget> widget(link.createWidget(nullptr));
    auto *box = qobject_cast<QSpinBox *>(widget.get());
    QVERIFY(box);
    box->setValue(5);
    QCOMPARE(int(handler.writtenFrames().size()), before + 1);
    const CanMessage sent = handler.writtenFrames().last();
    QCOMPARE(sent.id, 0x18EEFF23u);
    QCOMPARE(int(sent.data[4] & 0x07), 5);
    // No periodic claims follow.
    QTest::qWait(50);
    QCOMPARE(int(handler.writtenFrames().size()), before + 1);
}

// A received claim keeps the function's row active for a while: a row whose activity ends at
// once cannot even be selected.
void tst_Identification::receivedClaimStaysActive()
{
    J1939Device unit(0x00);
    auto *claim = new AddressClaimFunction(&unit);
    unit.setState(AbstractDisplayableItem::ReceiveOk);
    DispatchResult r;
    QVERIFY(unit.dispatchMessage(
        makeFrame(0x18EEFF00, {0x4D, 0x2E, 0x23, 0x22, 0x00, 0x82, 0x32, 0xC0}), &r));
    QCOMPARE(r.item, claim);
    QTest::qWait(50);
    QVERIFY(claim->hasFlag(AbstractDisplayableItem::ActivityFlag));
}

// A unit claims at power-up and then only when asked: the one claim that makes the unit must also
// show its NAME.
void tst_Identification::firstClaimShowsTheName()
{
    DetectingBus bus;
    const CanMessage frame
        = makeFrame(0x18EEFF8E, {0x94, 0xF9, 0x36, 0x11, 0x01, 0xBE, 0xA0, 0xC0});
    const QList<AbstractDisplayableItem *> created = bus.hear(frame);
    QCOMPARE(created.size(), 2);
    auto *unit = qobject_cast<J1939Device *>(created.at(0));
    auto *claim = qobject_cast<AddressClaimFunction *>(created.at(1));
    QVERIFY(unit);
    QVERIFY(claim);
    QCOMPARE(claim->parentItem(), unit);
    QCOMPARE(claim->state(), int(AbstractDisplayableItem::ReceiveOk));
    QCOMPARE(fieldsOf(*claim), (Fields{1505684, 137, 1, 0, 190, 0, 80, 0, 4, 1}));
    QTRY_COMPARE(unit->name(), QStringLiteral("Instrumentation (0x8E)"));
    // Once the unit has its function, the next claim needs nothing new.
    DispatchResult again(DispatchResult::Received, 1);
    bus.dispatcher.dispatchMessage(frame, &again);
    QVERIFY(again.status.testFlag(DispatchResult::Dispatched));
}

void tst_Identification::claimNamesTheUnit_data()
{
    QTest::addColumn<quint8>("address");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    // A marine NAME: the address names nothing, the device class in the vehicle system field does.
    const QString claimed = QStringLiteral("Internetwork device (0x%1)");
    QTest::newRow("unknown device") << quint8(0x45) << "Unknown device" << claimed.arg("45");
    QTest::newRow("named after its preferred address")
        << quint8(0x00) << "Engine #1 (0x00)" << claimed.arg("00");
    QTest::newRow("preferred name of another address stays") << quint8(0x01) << "Engine #1 (0x00)"
                                                             << "Engine #1 (0x00)";
    QTest::newRow("a name the user gave stays") << quint8(0x00) << "Main engine" << "Main engine";
}

void tst_Identification::claimNamesTheUnit()
{
    QFETCH(quint8, address);
    QFETCH(QString, before);
    QFETCH(QString, after);
    J1939Device unit(address);
    unit.setName(before);
    auto *claim = new AddressClaimFunction(&unit);
    QVERIFY(claim->decode(hex("4d2e2322008232c0")));
    QCOMPARE(unit.name(), after);
    // A later claim of another class renames a unit it named itself, and only such a unit.
    QVERIFY(claim->decode(hex("4d2e232200823cc0")));
    const QString renamed = after == before ? before : after;
    QCOMPARE(unit.name(), QString(renamed).replace(QStringLiteral("Internetwork device"),
                                                   QStringLiteral("Electrical distribution")));
    // An on-highway NAME at a preferred address takes the table's name.
    QVERIFY(claim->decode(hex("4d2e232200003290")));
    if (renamed != before)
        QCOMPARE(unit.name(), address == 0x45 ? QStringLiteral("Auxiliary heater #2 (0x45)")
                                              : QStringLiteral("Engine #1 (0x00)"));
}

// Golden test: an NMEA 2000 network answering a global request for the address claim, replayed
// through the dispatcher with auto-detection as the window runs it.
void tst_Identification::recordingShowsEveryNode()
{
    DetectingBus bus;
    CandumpReader reader;
    QVERIFY(reader.readFile(
        TestEnvironment::dataFile(QStringLiteral("css_94C49784_nmea2000_addrclaim_request.log"))));
    QCOMPARE(reader.frames().size(), 9600);
    for (const TimedFrame &f : reader.frames())
        bus.hear(f.message, f.timeUs / 1000);
    const QMap<quint32, Fields> expected{
        {0x00, {208461, 273, 0, 0, 130, 0, 25, 0, 4, 1}},
        {0x01, {208464, 273, 0, 0, 130, 0, 25, 0, 4, 1}},
        {0x02, {21222, 1855, 0, 0, 160, 0, 40, 0, 4, 1}},
        {0x03, {9368, 1855, 0, 0, 130, 0, 120, 0, 4, 1}},
        {0x23, {38151, 135, 3, 0, 180, 0, 80, 2, 4, 1}},
        {0x8E, {1505684, 137, 1, 0, 190, 0, 80, 0, 4, 1}},
        {0x8F, {1505665, 137, 0, 0, 190, 0, 80, 0, 4, 1}},
    };
    QMap<quint32, Fields> shown;
    QStringList names;
    for (CanDevice *d : bus.dispatcher.devices()) {
        names << d->name();
        for (AbstractDisplayableItem *child : d->children()) {
            if (auto *claim = qobject_cast<AddressClaimFunction *>(child)) {
                QCOMPARE(claim->key(), QByteArray("addrclaim"));
                shown.insert(d->address().value, fieldsOf(*claim));
            }
        }
    }
    QCOMPARE(shown, expected);
    // Every claimant is named after the device class of its marine NAME, not after the address
    // table; the requester (0x05) claims nothing and keeps the name of its preferred address.
    names.sort();
    const QStringList expectedNames{"Display (0x03)",
                                    "Instrumentation (0x23)",
                                    "Instrumentation (0x8E)",
                                    "Instrumentation (0x8F)",
                                    "Internetwork device (0x00)",
                                    "Internetwork device (0x01)",
                                    "Shift console, primary (0x05)",
                                    "Steering and control surfaces (0x02)"};
    QCOMPARE(names, expectedNames);
}

QTEST_MAIN(tst_Identification)
#include "tst_identification.moc"
