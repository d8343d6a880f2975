#include "demo/demounits.h"
#include "diagnostics/memoryaccessfile.h"
#include "diagnostics/memoryaccessframes.h"
#include "diagnostics/memoryaccesslayout.h"
#include "diagnostics/memoryaccesstable.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const QByteArray Slots = "\nG;(P|Q)_(\\d)\n\nS01;0.1;0;2;0;6553.5;bar\n";

} // namespace

// The memory access file grammar, the raw/engineering conversions and the frame layouts.
class tst_MemoryAccessFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void parse_data();
    void parse();
    void roundTrip_data();
    void roundTrip();
    void toRaw_data();
    void toRaw();
    void decimals_data();
    void decimals();
    void nearlyEqual_data();
    void nearlyEqual();
    void frames_data();
    void frames();
    void parseDm16_data();
    void parseDm16();
    void exampleFile();
};

void tst_MemoryAccessFile::parse_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("groups");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QString>("error");
    // A good file: its SPNs, groups and slots; a bad one: the error it reports.
    auto good = [](const char *name, const QByteArray &data, int items, int groups,
                   int slotCount) {
        QTest::newRow(name) << data << items << groups << slotCount << QString();
    };
    auto bad = [](const char *name, const QByteArray &data, const char *error) {
        QTest::newRow(name) << data << 0 << 0 << 0 << QString::fromLatin1(error);
    };
    good("v0 three sections", "12;P_1;d;S01;1.5;RO\n" + Slots, 1, 1, 1);
    good("v0 spns only", "12;A;d;S", 1, 0, 0);
    good("v0 one blank: groups", "12;A;d;S\n\nG;x\n", 1, 1, 0);
    good("v0 third blank ends the file", "12;A;d;S\n\n\n\njunk", 1, 0, 0);
    good("#version 0 is v0", "#version 0\n12;A;d;S\n" + Slots, 1, 1, 1);
    bad("#version x stops reading", "#version x\n12;A;d;S\n", "Error SPN list empty");
    good("v1 comments and headers",
         "#version 1\n# note\n#spns\n12;A;d;S\n\n#groups\nG;A\n#slots\nS;1;0;1;0;255;x\n", 1, 1, 1);
    good("v1 CRLF headers select sections",
         "#version 1\r\n#spns\r\n12;A;d;S\r\n#slots\r\nS;1;0;1;0;255;x\r\n", 1, 0, 1);
    bad("v1 unknown header: data is an error", "#version 1\n#other\n12;A;d;S\n",
        "File structure error in line 3");
    good("BOM and CRLF", "\xEF\xBB\xBF" "12;A;d;S\r\n\r\nG;A\r\n", 1, 1, 0);
    bad("3 fields", "12;A;d\n", "File structure error in line 1");
    bad("bad hex SPN", "12;A;d;S\nxyz;B;d;S\n", "File structure error in line 2");
    good("empty value is absent", "12;A;d;S;;RO\n", 1, 0, 0);
    bad("value abc", "12;A;d;S;abc\n", "File structure error in line 1");
    bad("value nan", "12;A;d;S;nan\n", "File structure error in line 1");
    bad("access lower case refused", "12;A;d;S;1;ro\n", "File structure error in line 1");
    bad("access R0 typo refused", "12;A;d;S;1;R0\n", "File structure error in line 1");
    bad("group 1 field", "12;A;d;S\n\nG\n", "File structure error in line 3");
    bad("slot 6 fields", "12;A;d;S\n\n\nS;1;0;1;0;255\n", "File structure error in line 4");
    good("slot size 3 loads", "12;A;d;S\n\n\nS;1;0;3;0;255;x\n", 1, 0, 1);
    bad("slot size 300", "12;A;d;S\n\n\nS;1;0;300;0;255;x\n", "SLOT 0 invalid size");
    bad("slot multiplier 0", "12;A;d;S\n\n\nT;1;0;1;0;1;x\nS;0;0;1;0;255;x\n",
        "SLOT 1 invalid multiplier");
    bad("slot adder nan", "12;A;d;S\n\n\nS;1;nan;1;0;255;x\n", "SLOT 0 invalid adder");
    bad("slot minimum text", "12;A;d;S\n\n\nS;1;0;1;a;255;x\n", "SLOT 0 invalid minimum");
    bad("slot min above max", "12;A;d;S\n\n\nS;1;0;1;9;1;x\n", "SLOT 0 invalid maximum");
    good("slot infinite limits", "12;A;d;S\n\n\nS;1;0;1;-inf;inf;x\n", 1, 0, 1);
    bad("duplicate slot", "12;A;d;S\n\n\nS;1;0;1;0;1;x\nS;1;0;1;0;1;x\n",
        "File structure error in line 5");
    bad("no SPN", "\nG;x\n", "Error SPN list empty");
    bad("empty file", QByteArray(), "Error SPN list empty");
    bad("too large", QByteArray(MemoryAccessFile::MaxFileSize + 1, 'a'), "File too large");
}

void tst_MemoryAccessFile::parse()
{
    QFETCH(QByteArray, data);
    QFETCH(int, items);
    QFETCH(int, groups);
    QFETCH(int, slotCount);
    QFETCH(QString, error);
    MemoryAccessTable previous;
    previous.items.append(MemoryAccessTable::SpnItem());
    MemoryAccessTable table = previous;
    QString text;
    const bool ok = MemoryAccessFile::parse(data, &table, &text);
    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(text, error);
    if (!ok) {
        // A failed parse leaves the table as it was.
        QCOMPARE(table.items.size(), 1);
        return;
    }
    QCOMPARE(table.items.size(), items);
    QCOMPARE(table.groups.size(), groups);
    QCOMPARE(table.slotOrder.size(), slotCount);
}

void tst_MemoryAccessFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("v0 full") << "12;P_1;d;S01;1.5;RO\n1a;Q_1;e;S01;0;WO\n" + Slots;
    QTest::newRow("v1 converted") << QByteArray("#version 1\n#spns\nFF;A;d;S;0.000976562;RW\n");
    QTest::newRow("full precision")
        << QByteArray("12;A;d;S;1234.567\n\n\nS;0.0009765625;-40;4;-inf;inf;°C\n");
    QTest::newRow("no groups, one slot") << QByteArray("12;A;d;S\n\n\nS;1;0;1;0;255;x\n");
    QTest::newRow("CR inside a line") << QByteArray("12;A;d;S\n\n\nS;1;0;1;0;255;x\r;more\n");
}

void tst_MemoryAccessFile::roundTrip()
{
    QFETCH(QByteArray, data);
    MemoryAccessTable first;
    QVERIFY(MemoryAccessFile::parse(data, &first, nullptr));
    const QByteArray saved = MemoryAccessFile::write(first);
    MemoryAccessTable second;
    QVERIFY2(MemoryAccessFile::parse(saved, &second, nullptr), saved.constData());
    QCOMPARE(MemoryAccessFile::write(second), saved);
    QCOMPARE(second.items.size(), first.items.size());
    for (int i = 0; i < first.items.size(); ++i) {
        QCOMPARE(second.items.at(i).value, first.items.at(i).value);
        QCOMPARE(second.items.at(i).access, first.items.at(i).access);
    }
    for (const QString &name : first.slotOrder) {
        QCOMPARE(second.slotTable.value(name).multiplier, first.slotTable.value(name).multiplier);
        QCOMPARE(second.slotTable.value(name).adder, first.slotTable.value(name).adder);
    }
}

void tst_MemoryAccessFile::toRaw_data()
{
    QTest::addColumn<QString>("slotLine");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint32>("raw");
    QTest::newRow("12.5 at 0.1 is 0x7d") << "S;0.1;0;2;0;6553.5;x" << 12.5 << true << 125u;
    QTest::newRow("0.3 at 0.1 rounds to 3") << "S;0.1;0;2;0;6553.5;x" << 0.3 << true << 3u;
    QTest::newRow("0.7 at 0.1 rounds to 7") << "S;0.1;0;2;0;6553.5;x" << 0.7 << true << 7u;
    QTest::newRow("100.1 at 0.1 is 1001") << "S;0.1;0;2;0;6553.5;x" << 100.1 << true << 1001u;
    QTest::newRow("1.15 at 0.05 is 23") << "S;0.05;0;2;0;3000;x" << 1.15 << true << 23u;
    QTest::newRow("adder -40") << "S;1;-40;1;-40;215;x" << -40.0 << true << 0u;
    QTest::newRow("negative multiplier") << "S;-0.5;0;1;-100;0;x" << -10.0 << true << 20u;
    QTest::newRow("300 in 1 byte refused") << "S;1;0;1;-inf;inf;x" << 300.0 << false << 0u;
    QTest::newRow("-5 refused") << "S;1;0;1;-inf;inf;x" << -5.0 << false << 0u;
    QTest::newRow("above maximum refused") << "S;1;0;2;0;100;x" << 101.0 << false << 0u;
    QTest::newRow("below minimum refused") << "S;1;0;2;10;100;x" << 9.0 << false << 0u;
    QTest::newRow("nan refused") << "S;1;0;2;-inf;inf;x" << std::nan("") << false << 0u;
    QTest::newRow("inf refused") << "S;1;0;4;-inf;inf;x" << std::numeric_limits<double>::infinity()
                                 << false << 0u;
    QTest::newRow("2^32-1 in 4 bytes") << "S;1;0;4;-inf;inf;x" << 4294967295.0 << true
                                       << 4294967295u;
    QTest::newRow("2^32 refused") << "S;1;0;4;-inf;inf;x" << 4294967296.0 << false << 0u;
    QTest::newRow("size 3 refused") << "S;1;0;3;-inf;inf;x" << 1.0 << false << 0u;
    QTest::newRow("no slot: 1 byte, number as is") << "" << 200.0 << true << 200u;
}

void tst_MemoryAccessFile::toRaw()
{
    QFETCH(QString, slotLine);
    QFETCH(double, value);
    QFETCH(bool, ok);
    QFETCH(quint32, raw);
    MemoryAccessTable table;
    QVERIFY(MemoryAccessFile::parse("1;A;d;S\n\n\n" + slotLine.toUtf8(), &table, nullptr));
    quint32 out = 0;
    quint8 size = 0;
    QCOMPARE(table.toRaw(table.items.first(), value, &out, &size), ok);
    if (ok) {
        QCOMPARE(out, raw);
        // Back to engineering: the value within half a step.
        const double back = table.toEngineering(table.items.first(), out);
        QVERIFY(std::fabs(back - value) < 1e-9 + std::fabs(table.slotFor(table.items.first()).multiplier));
    }
}

void tst_MemoryAccessFile::decimals_data()
{
    QTest::addColumn<QString>("slotLine");
    QTest::addColumn<int>("decimals");
    QTest::newRow("multiplier 1") << "S;1;0;1;0;1;x" << 0;
    QTest::newRow("multiplier 10") << "S;10;0;1;0;1;x" << 0;
    QTest::newRow("multiplier 0.1") << "S;0.1;0;1;0;1;x" << 2;
    QTest::newRow("multiplier 0.05") << "S;0.05;0;1;0;1;x" << 3;
    QTest::newRow("multiplier -0.1") << "S;-0.1;0;1;0;1;x" << 2;
    QTest::newRow("tiny multiplier capped") << "S;1e-30;0;1;0;1;x" << 10;
    QTest::newRow("no slot") << "" << 10;
}

void tst_MemoryAccessFile::decimals()
{
    QFETCH(QString, slotLine);
    QFETCH(int, decimals);
    MemoryAccessTable table;
    QVERIFY(MemoryAccessFile::parse("1;A;d;S\n\n\n" + slotLine.toUtf8(), &table, nullptr));
    QCOMPARE(table.decimals(table.items.first()), decimals);
}

void tst_MemoryAccessFile::nearlyEqual_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<bool>("equal");
    QTest::newRow("0 and 0") << 0.0 << 0.0 << true;
    QTest::newRow("0.3 and 3*0.1") << 0.3 << 3 * 0.1 << true;
    QTest::newRow("1 and 1.0001") << 1.0 << 1.0001 << false;
    QTest::newRow("0 and 1e-300") << 0.0 << 1e-300 << false;
}

void tst_MemoryAccessFile::nearlyEqual()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(bool, equal);
    QCOMPARE(MemoryAccessTable::nearlyEqual(a, b), equal);
    QCOMPARE(MemoryAccessTable::nearlyEqual(b, a), equal);
}

void tst_MemoryAccessFile::frames_data()
{
    using namespace MemoryAccessFrames;
    QTest::addColumn<CanMessage>("frame");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("DM14 read SPN 0x012345 to 0x00")
        << dm14(0x00, 0xF9, Read, 0x012345) << 0x0CD900F9u << QByteArray("01 13 45 23 01 00 ff ff");
    QTest::newRow("DM14 write") << dm14(0xA0, 0xF9, Write, 0x12) << 0x0CD9A0F9u
                                << QByteArray("01 15 12 00 00 00 ff ff");
    QTest::newRow("DM14 operation completed")
        << dm14(0xA0, 0xF9, OperationCompleted, NoPointer) << 0x0CD9A0F9u
        << QByteArray("01 19 ff ff ff ff ff ff");
    QTest::newRow("DM16 12.5 at 0.1 size 2") << dm16(0xA0, 0xF9, 2, 125) << 0x0CD7A0F9u
                                             << QByteArray("02 7d 00 ff ff ff ff ff");
    QTest::newRow("DM16 size 4") << dm16(0x00, 0xF9, 4, 0xDEADBEEF) << 0x0CD700F9u
                                 << QByteArray("04 ef be ad de ff ff ff");
}

void tst_MemoryAccessFile::frames()
{
    QFETCH(CanMessage, frame);
    QFETCH(quint32, id);
    QFETCH(QByteArray, data);
    QCOMPARE(frame.id, id);
    QVERIFY(frame.extended);
    QCOMPARE(payloadOf(frame).toHex(' '), data);
    QCOMPARE(frame.priority(), quint8(3));
}

void tst_MemoryAccessFile::parseDm16_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint32>("raw");
    QTest::newRow("n=1") << hex("0107ffffffffffff") << true << 7u;
    QTest::newRow("n=2") << hex("027d00ffffffffff") << true << 125u;
    QTest::newRow("n=4") << hex("0478563412ffffff") << true << 0x12345678u;
    QTest::newRow("n=0") << hex("0000000000000000") << false << 0u;
    QTest::newRow("n=3") << hex("0301020300000000") << false << 0u;
    QTest::newRow("n=5") << hex("0501020304050000") << false << 0u;
    QTest::newRow("n=8") << hex("0801020304050607") << false << 0u;
    QTest::newRow("n=4 in 3 bytes") << hex("040102") << false << 0u;
    QTest::newRow("empty") << QByteArray() << false << 0u;
}

void tst_MemoryAccessFile::parseDm16()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(quint32, raw);
    quint8 size = 0;
    quint32 out = 0;
    QCOMPARE(MemoryAccessFrames::parseDm16(frameOf(0x0CD7F9A0, bytes), &size, &out), ok);
    if (ok)
        QCOMPARE(out, raw);
}

void tst_MemoryAccessFile::exampleFile()
{
    QFile file(QString::fromLatin1(DemoUnits::MemoryAccessFile));
    QVERIFY(file.open(QIODevice::ReadOnly));
    MemoryAccessTable table;
    QString error;
    QVERIFY2(MemoryAccessFile::parse(file.readAll(), &table, &error), qPrintable(error));
    QCOMPARE(table.items.size(), 11);
    const MemoryAccessLayout layout = MemoryAccessLayout::build(table);
    QCOMPARE(layout.tables.size(), 2);
    QCOMPARE(layout.tables.at(0).rows, (QStringList{"Lift", "Lower", "Slew"}));
    QCOMPARE(layout.tables.at(0).columns, (QStringList{"Start", "End"}));
    QCOMPARE(layout.tables.at(1).rows.size(), 1);
    QCOMPARE(layout.ungrouped.size(), 3);
    // Every value of the file can be written as it stands.
    for (const MemoryAccessTable::SpnItem &item : table.items) {
        quint32 raw = 0;
        quint8 size = 0;
        QVERIFY2(table.toRaw(item, item.value, &raw, &size), qPrintable(item.name));
    }
}

QTEST_GUILESS_MAIN(tst_MemoryAccessFile)
#include "tst_memoryaccessfile.moc"
