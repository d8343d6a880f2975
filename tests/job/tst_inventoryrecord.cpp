#include "job/inventoryrecord.h"
#include "support/candumptext.h"
#include "support/testenvironment.h"

#include "jobfixtures.h"

#include <QFile>
#include <QJsonDocument>
#include <QtTest>

using namespace JobFixtures;

class tst_InventoryRecord : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fromRecordingRoundTrip_data();
    void fromRecordingRoundTrip();
    void handMadeRecordRoundTrip();
    void unreadable_data();
    void unreadable();
};

void tst_InventoryRecord::initTestCase()
{
    TestEnvironment::init();
}

void tst_InventoryRecord::fromRecordingRoundTrip_data()
{
    QTest::addColumn<QByteArray>("candump");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("vin");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("activeCodes"); // "spn/fmi/oc ...", "-" when no DM1 came

    const QByteArray truck = TestEnvironment::readFile(
        TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log")));
    QTest::newRow("truck: engine VIN by broadcast")
        << truck << 0x00 << QString("1L06130RELP969468") << QString() << QString("-");
    QTest::newRow("claim, one DM1 code, DM2 holding no code")
        << candumpText({"9 18EEFF21#0102030405060708", "9.1 18FECA21#00006E000001FFFF",
                        "9.2 18FECB21#0000000000000000"})
        << 0x21 << QString() << QString("0807060504030201") << QString("110/0/1");
    QTest::newRow("DM1 without codes is known and empty")
        << candumpText({"9.1 18FECA22#0000000000000000"}) << 0x22 << QString() << QString()
        << QString();
}

void tst_InventoryRecord::fromRecordingRoundTrip()
{
    QFETCH(QByteArray, candump);
    QFETCH(int, address);
    QFETCH(QString, vin);
    QFETCH(QString, name);
    QFETCH(QString, activeCodes);
    const QMap<quint8, QString> labels{{quint8(address), QStringLiteral("Двигатель #1")}};
    const InventoryRecord record = InventoryRecord::fromInventory(
        inventoryOf(candump), labels, utc("2026-12-07T14:12:03Z"), true);
    const InventoryRecord::Unit *unit = record.unit(address);
    QVERIFY(unit);
    QCOMPARE(unit->label, QStringLiteral("Двигатель #1"));
    QCOMPARE(unit->vin, vin);
    QCOMPARE(unit->name, name);
    QStringList codes;
    for (const InventoryRecord::Code &c : unit->active)
        codes << QStringLiteral("%1/%2/%3").arg(c.spn).arg(c.fmi).arg(c.oc);
    QCOMPARE(unit->activeKnown ? codes.join(QLatin1Char(' ')) : QStringLiteral("-"), activeCodes);
    // Units without a label of their own still get one.
    for (const InventoryRecord::Unit &u : record.units)
        QVERIFY(!u.label.isEmpty());

    InventoryRecord back;
    QString error;
    QVERIFY2(InventoryRecord::fromBytes(record.toBytes(), QStringLiteral("as-found.json"), &back,
                                        &error),
             qPrintable(error));
    QCOMPARE(back.units.size(), record.units.size());
    for (int i = 0; i < record.units.size(); ++i)
        QVERIFY2(back.units.at(i) == record.units.at(i), qPrintable(record.units.at(i).label));
    QVERIFY(back == record);
}

void tst_InventoryRecord::handMadeRecordRoundTrip()
{
    InventoryRecord::Unit odd = controller();
    odd.values = {{QStringLiteral("Tune \"max\" <pressure>"), QStringLiteral("210 бар")}};
    odd.previousKnown = false;
    const InventoryRecord record = JobFixtures::record({engine(), odd});
    InventoryRecord back;
    QString error;
    QVERIFY2(
        InventoryRecord::fromBytes(record.toBytes(), QStringLiteral("as-left.json"), &back, &error),
        qPrintable(error));
    QVERIFY(back == record);
    QCOMPARE(back.unit(0xA0)->values.constFirst().value, QStringLiteral("210 бар"));
}

void tst_InventoryRecord::unreadable_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("not JSON") << QByteArray("{\"version\":1,") << "as-found.json is damaged";
    QTest::newRow("empty file") << QByteArray() << "as-found.json is damaged";
    QTest::newRow("a list, not an object") << QByteArray("[1,2]") << "not a JSON object";
    QTest::newRow("no version") << QByteArray("{\"units\":[]}") << "no format version";
    QTest::newRow("newer format") << QByteArray("{\"version\":2,\"units\":[]}")
                                  << "This job was written by a newer Tarvik (format 2)";
    QTest::newRow("units not a list")
        << QByteArray("{\"version\":1,\"units\":{}}") << "the units are not a list";
    QTest::newRow("address out of range")
        << QByteArray("{\"version\":1,\"units\":[{\"address\":256}]}")
        << "a unit without a valid address";
    QTest::newRow("unit not an object")
        << QByteArray("{\"version\":1,\"units\":[7]}") << "a unit without a valid address";
}

void tst_InventoryRecord::unreadable()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    InventoryRecord record = JobFixtures::record({engine()});
    const InventoryRecord before = record;
    QString error;
    QVERIFY(!InventoryRecord::fromBytes(text, QStringLiteral("as-found.json"), &record, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(record == before);
}

QTEST_GUILESS_MAIN(tst_InventoryRecord)
#include "tst_inventoryrecord.moc"
