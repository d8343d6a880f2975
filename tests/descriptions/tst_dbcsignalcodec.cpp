#include "descriptions/dbcsignalcodec.h"

#include "support/dbcfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <cmath>
#include <vector>

using namespace DbcFixtures;
using Order = DbcSignal::ByteOrder;
using Type = DbcSignal::ValueType;

namespace {

struct Layout
{
    int startBit;
    int length;
    Order order;
    bool isSigned;
    Type type;
    double factor;
    double offset;
};

DbcSignal makeSignal(const Layout &layout)
{
    DbcSignal signal;
    signal.name = QStringLiteral("S");
    signal.startBit = layout.startBit;
    signal.length = layout.length;
    signal.byteOrder = layout.order;
    signal.isSigned = layout.isSigned;
    signal.valueType = layout.type;
    signal.factor = layout.factor;
    signal.offset = layout.offset;
    return signal;
}

QByteArray toBytes(const std::vector<quint8> &data)
{
    return QByteArray(reinterpret_cast<const char *>(data.data()), int(data.size()));
}

const char *const MuxDbc = R"(VERSION ""
BO_ 100 Mux: 8 N
 SG_ Sel M : 0|8@1+ (1,0) [0|0] "" N
 SG_ A m1 : 8|8@1+ (1,0) [0|0] "" N
 SG_ B m2 : 8|16@1+ (1,0) [0|0] "" N
 SG_ Inner m3M : 8|4@1+ (1,0) [0|0] "" N
 SG_ Deep : 16|8@1+ (1,0) [0|0] "" N
 SG_ Loop1 : 24|8@1+ (1,0) [0|0] "" N
 SG_ Loop2 : 32|8@1+ (1,0) [0|0] "" N
 SG_ Tail m1 : 48|16@1+ (1,0) [0|0] "" N
SG_MUL_VAL_ 100 Deep Inner 5-6, 9-9;
SG_MUL_VAL_ 100 Loop1 Loop2 0-255;
SG_MUL_VAL_ 100 Loop2 Loop1 0-255;
)";

} // namespace

Q_DECLARE_METATYPE(Layout)

class tst_DbcSignalCodec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void signalLayout_data();
    void signalLayout();
    void shortPayload_data();
    void shortPayload();
    void encodeSaturates_data();
    void encodeSaturates();
    void multiplexing_data();
    void multiplexing();
};

void tst_DbcSignalCodec::signalLayout_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QByteArray>("clean"); // the signal's bits alone, worked out by hand
    QTest::addColumn<quint64>("raw");
    QTest::addColumn<double>("value");

    auto row = [](const char *name, Layout layout, const char *clean, quint64 raw, double value) {
        QTest::newRow(name) << layout << hex(clean) << raw << value;
    };
    const Order I = Order::Intel;
    const Order M = Order::Motorola;
    const Type N = Type::Integer;
    row("intel 16 at byte edge 24", {24, 16, I, false, N, 0.125, 0}, "000000 3412 000000", 0x1234,
        582.5);
    row("intel 1 bit at 7", {7, 1, I, false, N, 1, 0}, "80 00000000000000", 1, 1);
    row("intel 1 bit at 63", {63, 1, I, false, N, 1, 0}, "00000000000000 80", 1, 1);
    row("intel 1 bit at 0 in 1 byte", {0, 1, I, false, N, 1, 0}, "01", 1, 1);
    row("intel 12 from bit 4", {4, 12, I, false, N, 1, 0}, "C0AB 000000000000", 0xABC, 0xABC);
    row("intel signed -2", {8, 8, I, true, N, 1, 0}, "00 FE 000000000000", 0xFE, -2);
    row("intel signed 3 bits -4", {13, 3, I, true, N, 1, 0}, "00 80 000000000000", 4, -4);
    row("intel signed positive", {8, 8, I, true, N, 1, 0}, "00 7F 000000000000", 0x7F, 127);
    row("intel signed 64 -1", {0, 64, I, true, N, 1, 0}, "FFFFFFFFFFFFFFFF", ~quint64(0), -1);
    row("intel unsigned 64", {0, 64, I, false, N, 1, 0}, "EFCDAB8967452301", 0x0123456789ABCDEFull,
        81985529216486895.0);
    row("intel offset and factor", {8, 16, I, false, N, 0.00390625, -10}, "00 0080 0000000000",
        0x8000, 118);
    row("motorola 8 at 16", {16, 8, M, false, N, 0.25, 0}, "0000 01 4A 00000000", 0xA5, 41.25);
    row("motorola 16 at 7", {7, 16, M, false, N, 1, 0}, "1234 000000000000", 0x1234, 0x1234);
    row("motorola 12 at 3", {3, 12, M, false, N, 1, 0}, "0ABC 000000000000", 0xABC, 0xABC);
    row("motorola 64 at 7", {7, 64, M, false, N, 1, 0}, "0123456789ABCDEF", 0x0123456789ABCDEFull,
        81985529216486895.0);
    row("motorola signed 10 at 55", {55, 10, M, true, N, 0.5, 10}, "000000000000 FF C0", 0x3FF,
        9.5);
    row("motorola 1 bit at 56", {56, 1, M, false, N, 1, 0}, "00000000000000 01", 1, 1);
    row("float intel", {0, 32, I, false, Type::Float, 2, 1}, "0000C03F 00000000", 0x3FC00000, 4);
    row("float motorola at 39", {39, 32, M, false, Type::Float, 1, 0}, "00000000 C0490FDB",
        0xC0490FDB, double(float(-3.14159274101257324)));
    row("double intel", {0, 64, I, false, Type::Double, 1, 0}, "182D4454FB210940",
        0x400921FB54442D18ull, 3.141592653589793);
    row("double motorola", {7, 64, M, false, Type::Double, 1, 0}, "400921FB54442D18",
        0x400921FB54442D18ull, 3.141592653589793);
    row("transport group bit 96 of 40 bytes", {96, 16, I, false, N, 0.125, 0},
        "000000000000000000000000 401F 0000000000000000000000000000000000000000000000000000",
        0x1F40, 1000);
    row("CAN FD last byte", {504, 8, I, false, N, 1, 0},
        "00000000000000000000000000000000000000000000000000000000000000000000000000000000"
        "000000000000000000000000000000000000000000000042",
        0x42, 0x42);
}

// The signal's bits in the hand-worked bytes, and no other: written into zeros they give those
// bytes, read back from bytes whose other bits are all set they give the raw value unchanged.
void tst_DbcSignalCodec::signalLayout()
{
    QFETCH(Layout, layout);
    QFETCH(QByteArray, clean);
    QFETCH(quint64, raw);
    QFETCH(double, value);
    const DbcSignal signal = makeSignal(layout);
    const int size = clean.size();
    QVERIFY(DbcSignalCodec::fits(signal, size));

    std::vector<quint8> written(size_t(size), 0);
    QVERIFY(DbcSignalCodec::writeRaw(signal, raw, written.data(), size));
    QCOMPARE(toBytes(written).toHex(), clean.toHex());

    std::vector<quint8> mask(size_t(size), 0);
    DbcSignalCodec::writeRaw(signal, ~quint64(0), mask.data(), size);
    std::vector<quint8> dirty = bytesOf(clean);
    for (int i = 0; i < size; ++i)
        dirty[size_t(i)] |= quint8(~mask[size_t(i)]);
    quint64 read = 0;
    QVERIFY(DbcSignalCodec::readRaw(signal, dirty.data(), size, &read));
    QCOMPARE(read, raw);
    double physical = 0;
    QVERIFY(DbcSignalCodec::decode(signal, dirty.data(), size, &physical));
    QCOMPARE(physical, value);

    // Encoding the physical value back gives the same bits (where a double holds them all).
    std::vector<quint8> encoded(size_t(size), 0);
    QVERIFY(DbcSignalCodec::encode(signal, value, encoded.data(), size));
    if (layout.type != Type::Integer || raw < (quint64(1) << 53))
        QCOMPARE(toBytes(encoded).toHex(), clean.toHex());

    // The bytes it needs end with its last bit.
    int lastByte = size - 1;
    while (lastByte > 0 && mask[size_t(lastByte)] == 0)
        --lastByte;
    QCOMPARE(signal.bytesNeeded(), lastByte + 1);
    QCOMPARE(DbcSignalCodec::fits(signal, lastByte), false);
}

void tst_DbcSignalCodec::shortPayload_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("fits");
    const Type N = Type::Integer;
    QTest::newRow("intel last bit in") << Layout{56, 8, Order::Intel, false, N, 1, 0} << 8 << true;
    QTest::newRow("intel one byte short")
        << Layout{56, 8, Order::Intel, false, N, 1, 0} << 7 << false;
    QTest::newRow("motorola MSB in, LSB out")
        << Layout{7, 16, Order::Motorola, false, N, 1, 0} << 1 << false;
    QTest::newRow("motorola across to byte 2")
        << Layout{3, 12, Order::Motorola, false, N, 1, 0} << 2 << true;
    QTest::newRow("empty payload") << Layout{0, 1, Order::Intel, false, N, 1, 0} << 0 << false;
    QTest::newRow("length 0") << Layout{0, 0, Order::Intel, false, N, 1, 0} << 8 << false;
    QTest::newRow("length 65") << Layout{0, 65, Order::Intel, false, N, 1, 0} << 16 << false;
    QTest::newRow("negative start") << Layout{-8, 8, Order::Intel, false, N, 1, 0} << 8 << false;
    QTest::newRow("huge start") << Layout{0x7FFFFFF0, 16, Order::Intel, false, N, 1, 0} << 8
                                << false;
    QTest::newRow("float of 16 bits")
        << Layout{0, 16, Order::Intel, false, Type::Float, 1, 0} << 8 << false;
}

void tst_DbcSignalCodec::shortPayload()
{
    QFETCH(Layout, layout);
    QFETCH(int, size);
    QFETCH(bool, fits);
    const DbcSignal signal = makeSignal(layout);
    std::vector<quint8> bytes(size_t(size), 0xFF);
    quint64 raw = 0;
    QCOMPARE(DbcSignalCodec::fits(signal, size), fits);
    QCOMPARE(DbcSignalCodec::readRaw(signal, bytes.data(), size, &raw), fits);
    QCOMPARE(DbcSignalCodec::writeRaw(signal, 0, bytes.data(), size), fits);
    DbcMessage message;
    message.signalList.append(signal);
    QCOMPARE(DbcSignalCodec::decodeMessage(message, bytes.data(), size).size(), fits ? 1 : 0);
}

void tst_DbcSignalCodec::encodeSaturates_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<double>("value");
    QTest::addColumn<quint64>("raw");
    const Type N = Type::Integer;
    const Layout u8{0, 8, Order::Intel, false, N, 1, 0};
    const Layout s8{0, 8, Order::Intel, true, N, 1, 0};
    QTest::newRow("unsigned above") << u8 << 300.0 << quint64(0xFF);
    QTest::newRow("unsigned below") << u8 << -5.0 << quint64(0);
    QTest::newRow("rounds down") << u8 << 12.4 << quint64(12);
    QTest::newRow("rounds up") << u8 << 12.6 << quint64(13);
    QTest::newRow("NaN") << u8 << std::nan("") << quint64(0);
    QTest::newRow("signed below") << s8 << -200.0 << quint64(0x80);
    QTest::newRow("signed above") << s8 << 200.0 << quint64(0x7F);
    QTest::newRow("signed -1 in its bits") << s8 << -1.0 << quint64(0xFF);
    QTest::newRow("unsigned 64 above")
        << Layout{0, 64, Order::Intel, false, N, 1, 0} << 1e30 << quint64(0xFFFFFFFFFFFFF800ull);
    QTest::newRow("signed 64 below")
        << Layout{0, 64, Order::Intel, true, N, 1, 0} << -1e30 << quint64(0x8000000000000000ull);
    QTest::newRow("factor and offset")
        << Layout{0, 16, Order::Intel, false, N, 0.125, -100} << 900.0 << quint64(8000);
    QTest::newRow("float") << Layout{0, 32, Order::Intel, false, Type::Float, 1, 0} << 1.5
                           << quint64(0x3FC00000);
}

void tst_DbcSignalCodec::encodeSaturates()
{
    QFETCH(Layout, layout);
    QFETCH(double, value);
    QFETCH(quint64, raw);
    QCOMPARE(DbcSignalCodec::rawForPhysical(makeSignal(layout), value), raw);
}

void tst_DbcSignalCodec::multiplexing_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("present");
    // Loop1 and Loop2 switch each other: never present, and the decoding ends.
    QTest::newRow("mux 1") << hex("01 AA 00 00 00 00 00 00") << QStringList{"Sel", "A", "Tail"};
    QTest::newRow("mux 2") << hex("02 AA BB 00 00 00 00 00") << QStringList{"Sel", "B"};
    QTest::newRow("mux 3, inner 5: range")
        << hex("03 05 07 00 00 00 00 00") << QStringList{"Sel", "Inner", "Deep"};
    QTest::newRow("mux 3, inner 9: second range")
        << hex("03 09 07 00 00 00 00 00") << QStringList{"Sel", "Inner", "Deep"};
    QTest::newRow("mux 3, inner 7: between ranges")
        << hex("03 07 07 00 00 00 00 00") << QStringList{"Sel", "Inner"};
    QTest::newRow("mux 1, inner bits 5 but inner absent")
        << hex("01 05 07 00 00 00 00 00") << QStringList{"Sel", "A", "Tail"};
    QTest::newRow("no signal value") << hex("07 00 00 00 00 00 00 00") << QStringList{"Sel"};
    QTest::newRow("mux 1, payload cut before Tail")
        << hex("01 AA 00 00 00 00 00") << QStringList{"Sel", "A"};
    QTest::newRow("empty payload") << QByteArray() << QStringList();
}

void tst_DbcSignalCodec::multiplexing()
{
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, present);
    QStringList warnings;
    const DbcDatabase database = readText(MuxDbc, &warnings);
    QCOMPARE(warnings, QStringList());
    QCOMPARE(presentNames(*database.messageByName(QStringLiteral("Mux")), payload), present);
}

QTEST_MAIN(tst_DbcSignalCodec)
#include "tst_dbcsignalcodec.moc"
