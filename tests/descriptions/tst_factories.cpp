#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/deviceconstructormodel.h"
#include "descriptions/unknownpgnfactory.h"
#include "descriptions/unknownpgnfunction.h"
#include "descriptions/unknownsiddevice.h"
#include "devicetests/devicetestsregistry.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"
#include "model/rawdataparameter.h"
#include "model/zxparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QAbstractItemModelTester>
#include <QTranslator>
#include <QtTest>

#include <memory>

class tst_Factories : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_catalogue = CanDeviceFactory::create(); }
    void preferredAddressNamesTheUnit_data();
    void preferredAddressNamesTheUnit();
    void fixedAddressKindTakesPrecedence();
    void sidTrafficMakesSidDevice();
    void pdu1MatchesByFormat();
    void transportAnnouncementNamesThePgn();
    void functionOnceOnly();
    void humanReadableAddress_data();
    void humanReadableAddress();
    void paths();
    void unknownPgnFunctionShowsRaw();
    void constructorModelRows();
    void constructorModelFallsBack();
    void constructorModelDerivedRow();
    void constructorModelSorts();
    void builtInKinds();

private:
    std::unique_ptr<CanDeviceFactory> m_catalogue;
};

void tst_Factories::initTestCase()
{
    TestEnvironment::init();
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    J1939Reg::registerClass([](J1939Device *d) { return new BindingFunction(0xEF, 0x00, d); },
                            0xEF00, QStringLiteral("propa"), QStringLiteral("Proprietary A"));
}

void tst_Factories::preferredAddressNamesTheUnit_data()
{
    QTest::addColumn<quint8>("address");
    QTest::addColumn<QString>("name");
    QTest::newRow("0x00 engine #1") << quint8(0x00) << "Engine #1 (0x00)";
    QTest::newRow("0x03 the catalogue's transmission")
        << quint8(0x03) << "Transmission #1 (0x03)";
    QTest::newRow("0x0B the catalogue's name before the table's")
        << quint8(0x0B) << "Brakes - System Controller (0x0B)";
    QTest::newRow("0x0A the machine's cabin controller, not an axle")
        << quint8(0x0A) << "Cabin controller (0x0A)";
    QTest::newRow("0x28 cab display, from the table") << quint8(0x28) << "Cab display #1 (0x28)";
    QTest::newRow("0x47 chassis controller") << quint8(0x47) << "Chassis controller #1 (0x47)";
    QTest::newRow("0x80 the machine's support controller")
        << quint8(0x80) << "Support controller (0x80)";
    QTest::newRow("0xA3 on-highway range without a NAME")
        << quint8(0xA3) << "Catalyst fluid sensor (0xA3)";
    QTest::newRow("0xC9 second unit of trailer #1") << quint8(0xC9) << "Trailer #1 lighting (0xC9)";
    QTest::newRow("0x5C reserved") << quint8(0x5C) << "Unknown device";
    QTest::newRow("0x90 industry range, nothing known") << quint8(0x90) << "Unknown device";
}

void tst_Factories::preferredAddressNamesTheUnit()
{
    QFETCH(quint8, address);
    QFETCH(QString, name);
    CanDeviceFactory *factory = m_catalogue.get();
    const int before = factory->count();
    QSignalSpy changed(factory, &AbstractDeviceFactory::dataChanged);
    std::unique_ptr<AbstractDisplayableItem> device(
        factory->createDevice(makeFrame(0x18FEF100u | address, {})));
    QVERIFY(qobject_cast<J1939Device *>(device.get()));
    QCOMPARE(device->address().value, quint32(address));
    QCOMPARE(device->name(), name);
    QCOMPARE(device->objectName(), QStringLiteral("unknown_device"));
    QCOMPARE(factory->count(), before + 1);
    QVERIFY(factory->entries().last().derived);
    // Another group from the same source makes no second unit.
    QVERIFY(!factory->createDevice(makeFrame(0x0CF00400u | address, {})));
    // The catalogue's unknown entry keeps its name for the next address.
    QCOMPARE(factory->unknownEntry().name, QStringLiteral("Unknown device"));
    // The entry made for the unit goes with it, and the address can be taken again.
    device.reset();
    QCOMPARE(factory->count(), before);
    QVERIFY(changed.count() >= 2);
    device.reset(factory->createDevice(makeFrame(0x18FEF100u | address, {})));
    QVERIFY(device);
}

void tst_Factories::fixedAddressKindTakesPrecedence()
{
    CanDeviceFactory *factory = m_catalogue.get();
    std::unique_ptr<AbstractDisplayableItem> engine(factory->createDevice(QByteArray("engine1")));
    QVERIFY(engine);
    QCOMPARE(factory->getDevice("engine1"), engine.get());
    // A frame from 0x00 the engine did not take makes no second device.
    QVERIFY(!factory->createDevice(makeFrame(0x18FFFF00, {})));
    // And the kind exists once at a time.
    QVERIFY(!factory->createDevice(QByteArray("engine1")));
    engine.reset();
    QVERIFY(!factory->getDevice("engine1"));
    std::unique_ptr<AbstractDisplayableItem> second(factory->createDevice(QByteArray("engine1")));
    QVERIFY(second);
}

void tst_Factories::sidTrafficMakesSidDevice()
{
    std::unique_ptr<AbstractDisplayableItem> device(
        m_catalogue.get()->createDevice(makeFrame(0x1A0, {1, 2}, false)));
    auto *sid = qobject_cast<UnknownSidDevice *>(device.get());
    QVERIFY(sid);
    QCOMPARE(sid->address().kind, int(ItemAddress::Sid));
    QCOMPARE(sid->address().value, 0x1A0u);
    DispatchResult r;
    sid->dispatchMessage(makeFrame(0x1A0, {1, 2}, false), &r);
    QCOMPARE(sid->dataParameter()->toString(), QStringLiteral("01 02"));
}

void tst_Factories::pdu1MatchesByFormat()
{
    J1939Device device(0x10);
    auto *factory = qobject_cast<UnknownPgnFactory *>(device.subFactory());
    QVERIFY(factory);
    std::unique_ptr<AbstractDisplayableItem> f(factory->createDevice(makeFrame(0x18EF2110, {})));
    QVERIFY(f);
    QCOMPARE(f->objectName(), QStringLiteral("propa"));
}

void tst_Factories::transportAnnouncementNamesThePgn()
{
    J1939Device device(0x00);
    auto *factory = device.subFactory();
    const CanMessage bam = makeFrame(0x1CECFF00, {0x20, 9, 0, 2, 0xFF, 0xEE, 0xFE, 0x00});
    std::unique_ptr<AbstractDisplayableItem> f(factory->createDevice(bam));
    QVERIFY(f);
    QCOMPARE(f->key(), QByteArray("et1"));
    f.reset();
    // With the dispatch result: broadcast frames themselves make nothing, a completed transfer
    // makes the function for its PGN.
    DispatchResult plain(DispatchResult::Received, 0);
    QVERIFY(!factory->createDevice(bam, plain));
    QVERIFY(!factory->createDevice(makeFrame(0x1CEBFF00, {1}), plain));
    DispatchResult done(DispatchResult::Received, 0);
    done.pgn = 0xFEEE;
    done.payload = QByteArray(9, 0);
    std::unique_ptr<AbstractDisplayableItem> g(
        factory->createDevice(makeFrame(0x1CEBFF00, {2}), done));
    QVERIFY(g);
    QCOMPARE(g->key(), QByteArray("et1"));
}

void tst_Factories::functionOnceOnly()
{
    DeviceDispatcher dispatcher;
    auto *device = new J1939Device(0x10);
    dispatcher.registerDisplayable(device);
    AbstractDisplayableItem *f = device->subFactory()->createDevice(makeFrame(0x18FEEE10, {}));
    QVERIFY(f);
    dispatcher.registerDisplayable(f);
    // Registration makes it the device's child; a second one for the PGN is refused.
    QCOMPARE(f->parent(), static_cast<QObject *>(device));
    QVERIFY(device->children().contains(f));
    QVERIFY(!device->subFactory()->createDevice(makeFrame(0x18FEEE10, {})));
    dispatcher.clearScheme();
}

void tst_Factories::humanReadableAddress_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<bool>("make");
    QTest::addColumn<quint32>("madeAt"); // Unassigned: made without an address
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("madeText"); // the row an item made at an address of its own adds
    const quint32 none = ItemAddress::Unassigned;
    QTest::newRow("9") << 9u << false << none << "0x09" << "N/A";
    QTest::newRow("0xfeee") << 0xFEEEu << false << none << "0xfeee" << "N/A";
    QTest::newRow("chosen at creation, none made") << none << false << none << "\u2014" << "N/A";
    QTest::newRow("chosen at creation, made without one")
        << none << true << none << "\u2014" << "N/A";
    QTest::newRow("chosen at creation, made at 0x42")
        << none << true << 0x42u << "\u2014" << "0x42";
}

void tst_Factories::humanReadableAddress()
{
    QFETCH(quint32, address);
    QFETCH(bool, make);
    QFETCH(quint32, madeAt);
    QFETCH(QString, text);
    QFETCH(QString, madeText);
    AbstractDeviceFactory factory;
    factory.appendEntry(DeviceFactoryEntry("k", {ItemAddress::J1939, address}, QStringLiteral("n"),
                                           QString(), QString(), [] { return new J1939Device; }));
    std::unique_ptr<AbstractDisplayableItem> made;
    if (make) {
        made.reset(factory.createDeviceAt(0, madeAt == ItemAddress::Unassigned
                                                 ? AbstractDeviceFactory::NoAddress
                                                 : ItemAddress{ItemAddress::J1939, madeAt}));
        QVERIFY(made);
        // The tree shows the same as the catalogue.
        QCOMPARE(made->userReadableAddress(),
                 madeAt == ItemAddress::Unassigned ? text : madeText);
    }
    QCOMPARE(factory.humanReadableAddress(0), text);
    QCOMPARE(factory.humanReadableAddress(-1), QStringLiteral("N/A"));
    QCOMPARE(factory.humanReadableAddress(1), madeText);
}

void tst_Factories::paths()
{
    std::unique_ptr<AbstractDisplayableItem> engine(
        m_catalogue.get()->createDevice(QByteArray("engine1")));
    QVERIFY(engine);
    AbstractDisplayableItem *eec1
        = m_catalogue.get()->getDeviceByPath(QStringLiteral("/engine1//eec1"));
    QVERIFY(eec1);
    QCOMPARE(eec1->key(), QByteArray("eec1"));
    QVERIFY(m_catalogue.get()->getParameter(QStringLiteral("engine1/eec1/SPN190")));
    QVERIFY(!m_catalogue.get()->getParameter(QStringLiteral("engine1/eec1/SPN1")));
    QVERIFY(!m_catalogue.get()->getDeviceByPath(QStringLiteral("nosuch/eec1")));
}

void tst_Factories::unknownPgnFunctionShowsRaw()
{
    UnknownPgnFunction f;
    f.setAddress({ItemAddress::Pgn, 0xFF77});
    QVERIFY(f.matchMessage(makeFrame(0x18FF7710, {})));
    QVERIFY(!f.matchMessage(makeFrame(0x18FF7810, {})));
    // A PDU1 group whatever its destination, the global address included.
    UnknownPgnFunction pdu1;
    pdu1.setAddress({ItemAddress::Pgn, 0xEF00});
    QVERIFY(pdu1.matchMessage(makeFrame(0x18EF2110, {})));
    QVERIFY(pdu1.matchMessage(makeFrame(0x18EFFF10, {})));
    QVERIFY(!pdu1.matchMessage(makeFrame(0x18EEFF10, {})));
    DispatchResult r;
    QVERIFY(f.dispatchMessageImpl(makeFrame(0x18FF7710, {0xDE, 0xAD}), &r));
    QCOMPARE(f.dataParameter()->toString(), QStringLiteral("de ad"));
    QCOMPARE(int(f.deviceType()), int(AbstractDisplayableItem::Spontaneous));
    QTest::ignoreMessage(QtDebugMsg, "Deleting UnknownPgnFunction");
    QTest::ignoreMessage(QtDebugMsg, "Deleting UnknownPgnFunction");
}

void tst_Factories::constructorModelRows()
{
    DeviceConstructorModel model;
    model.setUnitCatalogue(m_catalogue.get());
    QAbstractItemModelTester tester(&model);
    QVERIFY(model.rowCount() > 5);
    QCOMPARE(QStringList({model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                          model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString()}),
             QStringList({"Address", "Name"}));
    QVERIFY(!model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
    int engineRow = -1;
    for (int r = 0; r < model.rowCount(); ++r) {
        if (model.data(model.index(r, 1), Qt::DisplayRole).toString() == QLatin1String("Engine #1"))
            engineRow = r;
    }
    QVERIFY(engineRow >= 0);
    const QModelIndex engine = model.index(engineRow, 0);
    QCOMPARE(model.data(engine, Qt::DisplayRole).toString(), QStringLiteral("0x00"));
    QVERIFY(!model.data(engine, Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(model.isAvailable(engine));
    QVERIFY(!model.data(engine, Qt::BackgroundRole).isValid());
    std::unique_ptr<AbstractDisplayableItem> item(model.getDevice(engine, ItemAddress::Unassigned));
    QVERIFY(item);
    const QModelIndex again = model.index(engineRow, 1);
    QVERIFY(!model.isAvailable(again));
    QCOMPARE(model.data(again, Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::gray));
    item.reset();
    QVERIFY(model.isAvailable(model.index(engineRow, 0)));
    QVERIFY(!model.data(model.index(engineRow, 0), Qt::BackgroundRole).isValid());
}

void tst_Factories::constructorModelFallsBack()
{
    DeviceConstructorModel model;
    model.setUnitCatalogue(m_catalogue.get());
    QAbstractItemModelTester tester(&model);
    auto device = std::make_unique<J1939Device>(0x10);
    model.setFactory(device->subFactory());
    QCOMPARE(model.factory(), device->subFactory());
    QVERIFY(model.rowCount() >= 40);
    device.reset(); // the function factory goes with its device
    QTRY_COMPARE(model.factory(), static_cast<AbstractDeviceFactory *>(m_catalogue.get()));
    model.setFactory(nullptr);
    QCOMPARE(model.factory(), static_cast<AbstractDeviceFactory *>(m_catalogue.get()));
}

void tst_Factories::constructorModelDerivedRow()
{
    DeviceConstructorModel model;
    model.setUnitCatalogue(m_catalogue.get());
    QAbstractItemModelTester tester(&model);
    int stub = -1;
    for (int r = 0; r < model.rowCount(); ++r) {
        if (m_catalogue.get()->entry(r)->key == "empty_device")
            stub = r;
    }
    QVERIFY(stub >= 0);
    QVERIFY(model.isDynamicAddress(model.index(stub, 0)));
    QCOMPARE(model.data(model.index(stub, 0), Qt::DisplayRole).toString(),
             QStringLiteral("\u2014"));
    const int rows = model.rowCount();
    std::unique_ptr<AbstractDisplayableItem> item(model.getDevice(model.index(stub, 0), 0x42));
    QVERIFY(item);
    QCOMPARE(item->address().value, 0x42u);
    QCOMPARE(model.rowCount(), rows + 1);
    QCOMPARE(model.data(model.index(rows, 0), Qt::DisplayRole).toString(), QStringLiteral("0x42"));
    // The picked entry stays available for other addresses.
    QVERIFY(model.isAvailable(model.index(stub, 0)));
    // The unit renamed since (by its address claim) shows its new name at the next refresh,
    // and only a change is signalled.
    model.slotRefreshNames();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    item->setName(QStringLiteral("Cummins engine"));
    model.slotRefreshNames();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), model.index(rows, 1));
    QCOMPARE(model.data(model.index(rows, 1), Qt::DisplayRole).toString(),
             QStringLiteral("Cummins engine"));
    model.slotRefreshNames();
    QCOMPARE(changed.size(), 1);
    item.reset();
    QCOMPARE(model.rowCount(), rows);
}

void tst_Factories::constructorModelSorts()
{
    DeviceConstructorModel model;
    model.setUnitCatalogue(m_catalogue.get());
    QAbstractItemModelTester tester(&model);
    model.sort(1, Qt::DescendingOrder);
    for (int r = 1; r < model.rowCount(); ++r)
        QVERIFY(model.data(model.index(r - 1, 1), Qt::DisplayRole).toString()
                >= model.data(model.index(r, 1), Qt::DisplayRole).toString());
    model.sort(0, Qt::AscendingOrder);
    const auto &entries = m_catalogue.get()->entries();
    for (int r = 1; r < entries.size(); ++r) {
        const ItemAddress a = entries.at(r - 1).address;
        const ItemAddress b = entries.at(r).address;
        QVERIFY(a.kind < b.kind || (a.kind == b.kind && a.value <= b.value));
    }
}

void tst_Factories::builtInKinds()
{
    // The kinds the folders above register keep their order and their translated names;
    // registering them again changes nothing.
    QTranslator russian;
    QVERIFY(russian.load(QStringLiteral(":/tr/tarvik_ru.qm")));
    QCoreApplication::installTranslator(&russian);
    registerDeviceTests();
    m_catalogue = CanDeviceFactory::create();
    const CanDeviceFactory *units = m_catalogue.get();
    QStringList keys;
    for (const DeviceFactoryEntry &e : units->entries())
        keys << QString::fromLatin1(e.key);
    QCOMPARE(keys.mid(0, 9), QStringList({"cabin_controller", "hydro_support_controller",
                                          "support_indication_panel", "control_panel_ext",
                                          "control_panel_low", "control_panel_upper", "controller",
                                          "offboarddiagunit", "empty_device"}));
    QCOMPARE(units->getEntry("cabin_controller")->name, QStringLiteral("Контроллер кабины"));
    QCOMPARE(units->getEntry("offboarddiagunit")->name,
             QStringLiteral("Внешний диагностический блок"));
    QVERIFY(units->getEntry("controller")->createTest);
    QCOMPARE(units->getEntry("controller")->testScheme,
             QStringLiteral(":/tests/schemes/controller_test.tvsc"));
    QVERIFY(!units->getEntry("control_panel_low")->createTest);

    J1939Device device(0x00);
    UnknownPgnFactory functions(&device);
    keys.clear();
    for (const DeviceFactoryEntry &e : functions.entries())
        keys << QString::fromLatin1(e.key);
    QCOMPARE(keys.mid(keys.size() - 5), QStringList({"canflashv1", "emr2stop", "eccalibration",
                                                     "zbus", "prop_machine_state"}));
    QCOMPARE(functions.getEntry("canflashv1")->name, QStringLiteral("Прошивка по CAN"));
    QCoreApplication::removeTranslator(&russian);
}

QTEST_MAIN(tst_Factories)
#include "tst_factories.moc"
