#include "can/candumpreader.h"
#include "can/replaycanhandler.h"
#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/unknownpgnfactory.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "diagnostics/diagnosticsregistry.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxparameter.h"
#include "support/testenvironment.h"

#include <QDomDocument>
#include <QtTest>

#include <memory>

namespace {

QStringList s_warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        s_warnings << text;
}

} // namespace

// The shipped function library: every group decodes a known frame to the values of the published
// SAE J1939-71 definitions (expected values worked out by hand from resolution and offset).
class tst_Library : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void decode_data();
    void decode();
    void everyDescriptionLoadsCleanly();
    void libraryCoversTheGroups();
    void libraryFollowsSaeRanges();
    void deviceListUsesPreferredAddresses();
    void scriptComputesFromTwoParameters();
    void demoRecordingAutoDetects();

private:
    std::unique_ptr<J1939Device> m_device;
};

void tst_Library::initTestCase()
{
    TestEnvironment::init();
    registerDiagnosticsFunctions();
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    m_device = std::make_unique<J1939Device>(0x00);
}

void tst_Library::decode_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("expected"); // "ID=text"

    auto row = [](const char *key, const char *hex, QStringList values) {
        QTest::newRow(key) << QString::fromLatin1(key) << QByteArray::fromHex(hex) << values;
    };
    row("eec1", "f07d96401f00007d",
        {"SPN899=0", "SPN512=0", "SPN513=25", "SPN190=1000", "SPN1483=0", "SPN2432=0"});
    row("eec2", "00643200 00fffaff", {"SPN558=0", "SPN91=40", "SPN92=50", "SPN3357=100"});
    row("eec3", "7d401f7d80ffffff", {"SPN514=0", "SPN515=1000", "SPN519=125", "SPN2978=3"});
    row("etc1", "05e02e0aff803e03",
        {"SPN560=1", "SPN573=1", "SPN574=0", "SPN191=1500", "SPN522=4", "SPN161=2000",
         "SPN1482=3"});
    row("etc2", "7ed0077effffffff", {"SPN524=1", "SPN526=2", "SPN523=1"});
    row("ebc1", "1032ffff00ff0bff",
        {"SPN561=0", "SPN563=1", "SPN521=20", "SPN973=0", "SPN1243=n/a", "SPN1481=11"});
    row("ccvs1", "040032000050ffff", {"SPN70=1", "SPN69=0", "SPN84=50", "SPN86=80"});
    row("et1", "7855602b202c64fa",
        {"SPN110=80", "SPN174=45", "SPN175=74", "SPN176=80", "SPN52=60", "SPN1134=100"});
    row("eflp1", "640a966400 7d32fa",
        {"SPN94=400", "SPN22=0.5", "SPN98=60", "SPN100=400", "SPN101=0", "SPN109=100",
         "SPN111=100"});
    row("lfe1", "9001000c000a32ff",
        {"SPN183=20", "SPN184=6", "SPN185=5", "SPN51=20", "SPN3673=n/a"});
    row("lfc1", "6400000010270000", {"SPN182=50", "SPN250=5000"});
    row("amb", "c88025202 55affff",
        {"SPN108=100", "SPN170=27", "SPN171=24", "SPN172=50", "SPN79=n/a"});
    row("ic1", "14645a320a603d04",
        {"SPN81=10", "SPN102=200", "SPN105=50", "SPN106=100", "SPN107=0.5", "SPN173=218",
         "SPN112=2"});
    row("vep1", "8728300208021002",
        {"SPN114=10", "SPN115=40", "SPN167=28", "SPN168=26", "SPN158=26.4"});
    row("hours", "10270000e8030000", {"SPN247=500", "SPN249=1000000"});
    row("dd", "64c80a1420257dff",
        {"SPN80=40", "SPN96=80", "SPN95=20", "SPN99=10", "SPN169=24", "SPN38=50"});
    row("vd", "401f000000000100", {"SPN244=1000", "SPN245=8192"});
    row("tco1", "4a00ffffe02e0050",
        {"SPN1611=2", "SPN1612=1", "SPN1613=1", "SPN1623=1500", "SPN1624=80"});
    row("wfi", "01ffffffffffffff", {"SPN97=1"});
    row("shutdn", "01ffff0104ffffff",
        {"SPN593=1", "SPN594=0", "SPN1081=1", "SPN1109=1", "SPN1110=0"});
    row("trf1", "0a64050a602cffff",
        {"SPN123=160", "SPN124=40", "SPN126=10", "SPN127=160", "SPN177=82"});
    row("at1ig1", "6810cafa55ffffff", {"SPN3216=10", "SPN3218=1", "SPN3219=1", "SPN3221=1"});
    row("at1og1", "c409ffff00ffffff", {"SPN3226=-75", "SPN3227=n/a", "SPN3228=0"});
    row("at1t1i", "c864ffffffffffff", {"SPN1761=80", "SPN3031=60"});
    row("at1s", "2d051027 0000ffff", {"SPN3719=45", "SPN3720=5", "SPN3721=10000"});
    row("tsc1", "01401f7dffffffff", {"SPN695=1", "SPN696=0", "SPN898=1000", "SPN518=0"});
    row("erc1", "f164647d7dfffffa",
        {"SPN900=1", "SPN520=-25", "SPN1085=-25", "SPN1480=125", "SPN1717=125"});
    row("eflp2", "00100020 00300040", {"SPN164=16", "SPN157=32", "SPN156=48", "SPN1349=64"});
    row("et2", "602b6026 007d602b", {"SPN1135=74", "SPN1136=34", "SPN411=0", "SPN412=74"});
    row("vh", "e8030000 64000000", {"SPN246=50", "SPN248=5"});
    row("fd1", "fa01401f ffffffff", {"SPN975=100", "SPN977=1", "SPN1639=1000"});
    row("td", "780a0c06 78297d80",
        {"SPN959=30", "SPN960=10", "SPN961=12", "SPN963=6", "SPN962=30", "SPN964=2026", "SPN1601=0",
         "SPN1602=3"});
    row("vw", "01d0078813 e803ff", {"SPN928=1", "SPN582=1000", "SPN180=10000", "SPN181=2000"});
    row("pto", "5a401f40 1f01ffff", {"SPN90=50", "SPN186=1000", "SPN187=1000", "SPN980=1"});
    row("hrw", "0032003200 320032", {"SPN1592=50", "SPN1593=50", "SPN1594=50", "SPN1595=50"});
    row("ebc2", "00327d7d7d7dffff", {"SPN904=50", "SPN905=0", "SPN906=0", "SPN907=0"});
    row("rf", "0a50ffffffffffff", {"SPN119=160", "SPN120=40"});
    row("tire", "0064602cffffffff", {"SPN929=0", "SPN241=400", "SPN242=82", "SPN1699=n/a"});
    row("cvw", "e803d007ffffffff", {"SPN1585=10000", "SPN1760=20000"});
    row("air1", "64646464646401ff", {"SPN46=800", "SPN1086=800", "SPN1087=800", "SPN1351=1"});
    row("oel", "12c1ffffffffffff",
        {"SPN2873=2", "SPN2872=1", "SPN2876=1", "SPN2875=0", "SPN2874=n/a"});
    row("tc1", "004b7effffffffff", {"SPN681=0", "SPN684=30", "SPN525=1"});
    // The library follows SAE J1939-71's ranges: a coolant of 0xFE is no 214 C, an oil
    // temperature of 0xFEFF no 1760 C.
    QTest::newRow("et1 error and not-available ranges")
        << QStringLiteral("et1") << QByteArray::fromHex("feff00fffffe7dfa")
        << QStringList{"SPN110=error", "SPN174=n/a", "SPN175=n/a",
                       "SPN176=error", "SPN52=85",   "SPN1134=100"};
}

void tst_Library::decode()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, expected);
    QCOMPARE(payload.size(), 8);
    auto *factory = qobject_cast<UnknownPgnFactory *>(m_device->subFactory());
    QVERIFY(factory);
    const AbstractDeviceFactory::Entry entry = factory->getEntry(key.toLatin1());
    QVERIFY2(entry, qPrintable(key));
    XmlStaticPgnJ1939DeviceFunction f(entry->xml, nullptr);
    CanMessage m(f.canMessageId(), reinterpret_cast<const quint8 *>(payload.constData()), 8);
    QVERIFY(f.matchMessage(m));
    DispatchResult r;
    QVERIFY(f.dispatchMessageImpl(m, &r));
    for (const QString &check : expected) {
        const QString id = check.section(QLatin1Char('='), 0, 0);
        const QString value = check.section(QLatin1Char('='), 1);
        ZxParameter *p = f.parameter(id);
        QVERIFY2(p, qPrintable(id));
        QVERIFY2(p->description().contains(QStringLiteral("SPN %1").arg(id.mid(3))),
                 qPrintable(id));
        QCOMPARE(QStringLiteral("%1=%2").arg(id, p->toString()), check);
    }
}

void tst_Library::everyDescriptionLoadsCleanly()
{
    s_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    J1939Device device(0x10);
    auto *factory = device.subFactory();
    int xmlEntries = 0;
    for (const DeviceFactoryEntry &e : factory->entries()) {
        if (e.xml.isEmpty())
            continue;
        ++xmlEntries;
        XmlStaticPgnJ1939DeviceFunction f(e.xml, nullptr);
        QVERIFY2(!f.parameters().isEmpty(), e.key.constData());
        QVERIFY(!f.name().isEmpty());
        QCOMPARE(f.pgnValue(), e.address.value);
        if (!f.textFormat().isEmpty()) {
            // Every place marker of the summary has its group, and none is left over.
            const QRegularExpression marker(QStringLiteral("%\\d"));
            QCOMPARE(f.textGroups().size(), int(f.textFormat().count(marker)));
            QVERIFY2(!f.textDataImpl().contains(marker), e.key.constData());
        }
    }
    QVERIFY(xmlEntries >= 40);
    for (const DeviceFactoryEntry &e : catalogue->entries()) {
        if (e.xml.isEmpty())
            continue;
        std::unique_ptr<AbstractDisplayableItem> item(catalogue->createDevice(e.key));
        QVERIFY2(item, e.key.constData());
        if (auto *j = qobject_cast<J1939Device *>(item.get()))
            QVERIFY2(!j->children().isEmpty(), e.key.constData());
    }
    qInstallMessageHandler(previous);
    QVERIFY2(s_warnings.isEmpty(), qPrintable(s_warnings.join(QLatin1Char('\n'))));
}

void tst_Library::libraryCoversTheGroups()
{
    auto *factory = m_device->subFactory();
    const QMap<QByteArray, quint32> required{
        {"eec1", 0xF004},  {"eec2", 0xF003}, {"eec3", 0xFEDF},  {"etc1", 0xF002},
        {"etc2", 0xF005},  {"ebc1", 0xF001}, {"ccvs1", 0xFEF1}, {"et1", 0xFEEE},
        {"eflp1", 0xFEEF}, {"lfe1", 0xFEF2}, {"lfc1", 0xFEE9},  {"amb", 0xFEF5},
        {"ic1", 0xFEF6},   {"vep1", 0xFEF7}, {"hours", 0xFEE5}, {"dd", 0xFEFC},
        {"vd", 0xFEE0},    {"tco1", 0xFE6C}, {"wfi", 0xFEFF},   {"shutdn", 0xFEE4},
        {"trf1", 0xFEF8}};
    for (auto it = required.begin(); it != required.end(); ++it) {
        const AbstractDeviceFactory::Entry e = factory->getEntry(it.key());
        QVERIFY2(e, it.key().constData());
        QCOMPARE(e->address.value, it.value());
        QCOMPARE(e->address.kind, int(ItemAddress::Pgn));
    }
    // EC1 is a built-in class, not a description.
    const AbstractDeviceFactory::Entry ec1 = factory->getEntry("ec1");
    QVERIFY(!ec1 || ec1->xml.isEmpty());
}

// Every group of the built-in library reads the standard's error and not-available ranges.
void tst_Library::libraryFollowsSaeRanges()
{
    QDomDocument document;
    QVERIFY(document.setContent(TestEnvironment::readFile(QStringLiteral(":/funcs.xml"))));
    int groups = 0;
    for (QDomElement e = document.documentElement().firstChildElement(QStringLiteral("func"));
         !e.isNull(); e = e.nextSiblingElement(QStringLiteral("func"))) {
        ++groups;
        QVERIFY2(e.attribute(QStringLiteral("ranges")) == QLatin1String("j1939"),
                 qPrintable(e.attribute(QStringLiteral("key"))));
        XmlStaticPgnJ1939DeviceFunction f(
            m_device->subFactory()->getEntry(e.attribute(QStringLiteral("key")).toLatin1())->xml,
            nullptr);
        for (const ZxParameter *p : f.parameters()) {
            if (const ParameterBinding *b = f.binding(p))
                QVERIFY2(b->saeRanges, qPrintable(p->key()));
        }
    }
    QVERIFY(groups >= 40);
}

void tst_Library::deviceListUsesPreferredAddresses()
{
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    const QList<QPair<QByteArray, quint32>> preferred{
        {"engine1", 0x00}, {"transmission1", 0x03}, {"brakes", 0x0B}, {"instrument_cluster", 0x17}};
    for (const auto &unit : preferred) {
        const AbstractDeviceFactory::Entry entry = catalogue->getEntry(unit.first);
        QVERIFY2(entry, unit.first.constData());
        QCOMPARE(entry->address.value, unit.second);
    }
    std::unique_ptr<AbstractDisplayableItem> item(catalogue->createDevice(QByteArray("engine1")));
    QVERIFY(item);
    QCOMPARE(item->address().value, 0x00u);
    QStringList keys;
    for (AbstractDisplayableItem *f : item->children())
        keys << QString::fromLatin1(f->key());
    for (const char *key : {"eec1", "dm1", "hours"})
        QVERIFY2(keys.contains(QLatin1String(key)), qPrintable(keys.join(',')));
    // The built-in devices directory is read as well.
    QVERIFY(catalogue->getEntry("generic_ecu"));
    QVERIFY(catalogue->getEntry("generic_ecu")->hasDynamicAddress());
}

void tst_Library::scriptComputesFromTwoParameters()
{
    auto *factory = m_device->subFactory();
    XmlStaticPgnJ1939DeviceFunction f(factory->getEntry("et1")->xml, nullptr);
    QVERIFY(f.hasScript());
    const QByteArray payload = QByteArray::fromHex("7855602b202c64fa");
    CanMessage m(f.canMessageId(), reinterpret_cast<const quint8 *>(payload.constData()), 8);
    DispatchResult r;
    f.dispatchMessageImpl(m, &r);
    QCOMPARE(f.parameter(QStringLiteral("OilOverCoolant"))->toString(), QStringLiteral("-6"));
    // The computed value is hidden from the summary, which follows its format.
    QCOMPARE(f.textDataImpl(), QStringLiteral("coolant 80 C, oil 74 C"));
    QCOMPARE(r.description, f.textDataImpl());
}

void tst_Library::demoRecordingAutoDetects()
{
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    CandumpReader reader;
    QVERIFY(reader.readFile(QString::fromLatin1(ReplayCanHandler::DemoRecording)));
    DeviceDispatcher dispatcher;
    dispatcher.setCatalogue(catalogue.get());
    AutoDetector detector;
    detector.setCatalogue(catalogue.get());
    QList<AbstractDisplayableItem *> created;
    // Two seconds of the demo bus, one frame at a time as packs arrive.
    for (const TimedFrame &f : reader.frames()) {
        if (f.timeUs > 2000000)
            break;
        AbstractCanHandler::MessagePack pack;
        pack.append(
            qMakePair(f.message, DispatchResult(DispatchResult::Received, f.timeUs / 1000)));
        dispatcher.dispatchMessage(pack.first().first, &pack.first().second);
        for (AbstractDisplayableItem *item : detector.process(pack)) {
            created << item;
            dispatcher.registerDisplayable(item);
        }
    }
    J1939Device *found = nullptr;
    for (CanDevice *d : dispatcher.devices()) {
        if (d->address().value == 0x00)
            found = qobject_cast<J1939Device *>(d);
    }
    QVERIFY(found);
    QCOMPARE(found->objectName(), QStringLiteral("unknown_device"));
    QMap<QString, AbstractDisplayableItem *> functions;
    for (AbstractDisplayableItem *f : found->children())
        functions.insert(QString::fromLatin1(f->key()), f);
    for (const char *key : {"eec1", "et1", "hours", "dm1"})
        QVERIFY2(functions.contains(QLatin1String(key)),
                 qPrintable(QStringList(functions.keys()).join(',')));
    // Values as the demo generator wrote them.
    const auto value = [&functions](const char *key, const char *spn) {
        return functions.value(QLatin1String(key))->parameter(QLatin1String(spn))->variantValue();
    };
    const double rpm = value("eec1", "SPN190").toDouble();
    QVERIFY2(rpm >= 800 && rpm <= 1900, qPrintable(QString::number(rpm)));
    const double hours = value("hours", "SPN247").toDouble();
    QVERIFY2(hours > 1234 && hours < 1236, qPrintable(QString::number(hours)));
    const int coolant = value("et1", "SPN110").toInt();
    QVERIFY(coolant >= 78 && coolant <= 92);
    QCOMPARE(
        functions.value(QStringLiteral("et1"))->parameter(QStringLiteral("SPN175"))->toString(),
        QStringLiteral("95.5"));
    // Devices for the machine's units appeared as well.
    QVERIFY(dispatcher.devices().size() >= 8);
    dispatcher.clearScheme();
}

QTEST_MAIN(tst_Library)
#include "tst_library.moc"
