#include "descriptions/dbcreader.h"
#include "descriptions/dbcsignalcodec.h"

#include "can/candumpreader.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <vector>

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

// Exactly as many bytes as asked, so that AddressSanitizer sees a read past them.
std::vector<quint8> bytesOf(const QByteArray &data)
{
    return std::vector<quint8>(data.begin(), data.end());
}

QByteArray toBytes(const std::vector<quint8> &data)
{
    return QByteArray(reinterpret_cast<const char *>(data.data()), int(data.size()));
}

DbcDatabase readText(const QByteArray &text, QStringList *warnings = nullptr)
{
    DbcReader reader;
    if (!reader.parse(text, QStringLiteral("t.dbc")))
        qWarning() << reader.errorString();
    if (warnings)
        *warnings = reader.warnings();
    return reader.database();
}

DbcDatabase readData(const QString &name)
{
    DbcReader reader;
    if (!reader.readFile(TestEnvironment::dataFile(name)))
        qWarning() << reader.errorString();
    if (!reader.warnings().isEmpty())
        qWarning() << reader.warnings();
    return reader.database();
}

QStringList presentNames(const DbcMessage &message, const QByteArray &payload)
{
    const std::vector<quint8> bytes = bytesOf(payload);
    QStringList names;
    for (const DbcDecodedSignal &one :
         DbcSignalCodec::decodeMessage(message, bytes.data(), int(bytes.size())))
        names.append(message.signalList.at(one.signalIndex).name);
    return names;
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

class tst_DbcReader : public QObject
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
    void demoDatabase();
    void transportAndMultiplexedDatabases();
    void matching_data();
    void matching();
    void hostileLines_data();
    void hostileLines();
    void warningsCapped();
    void notADbc_data();
    void notADbc();
    void agreesWithCanmatrix_data();
    void agreesWithCanmatrix();
};

void tst_DbcReader::signalLayout_data()
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
void tst_DbcReader::signalLayout()
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

void tst_DbcReader::shortPayload_data()
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

void tst_DbcReader::shortPayload()
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

void tst_DbcReader::encodeSaturates_data()
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

void tst_DbcReader::encodeSaturates()
{
    QFETCH(Layout, layout);
    QFETCH(double, value);
    QFETCH(quint64, raw);
    QCOMPARE(DbcSignalCodec::rawForPhysical(makeSignal(layout), value), raw);
}

void tst_DbcReader::multiplexing_data()
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

void tst_DbcReader::multiplexing()
{
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, present);
    QStringList warnings;
    const DbcDatabase database = readText(MuxDbc, &warnings);
    QCOMPARE(warnings, QStringList());
    QCOMPARE(presentNames(*database.messageByName(QStringLiteral("Mux")), payload), present);
}

void tst_DbcReader::demoDatabase()
{
    const DbcDatabase database = readData(QStringLiteral("css_j1939_demo.dbc"));
    QCOMPARE(database.messages.size(), 2);
    QCOMPARE(database.protocolType, QStringLiteral("J1939"));
    QVERIFY(database.isJ1939());

    const DbcMessage &eec1 = database.messages.at(0);
    QCOMPARE(eec1.name, QStringLiteral("EEC1"));
    QCOMPARE(eec1.id, 0x0CF004FEu);
    QVERIFY(eec1.extended);
    QCOMPARE(eec1.length, 8);
    QCOMPARE(eec1.transmitter, QStringLiteral("Vector__XXX"));
    QCOMPARE(eec1.frameFormat, QStringLiteral("J1939PG"));
    QCOMPARE(eec1.pgn(), 0xF004u);
    QCOMPARE(eec1.comment, QStringLiteral("Electronic Engine Controller 1"));
    QCOMPARE(eec1.signalList.size(), 1);
    const DbcSignal &speed = eec1.signalList.at(0);
    QCOMPARE(speed.name, QStringLiteral("EngineSpeed"));
    QCOMPARE(speed.startBit, 24);
    QCOMPARE(speed.length, 16);
    QCOMPARE(speed.byteOrder, Order::Intel);
    QCOMPARE(speed.isSigned, false);
    QCOMPARE(speed.valueType, Type::Integer);
    QCOMPARE(speed.factor, 0.125);
    QCOMPARE(speed.offset, 0.0);
    QCOMPARE(speed.minimum, 0.0);
    QCOMPARE(speed.maximum, 8031.875);
    QCOMPARE(speed.unit, QStringLiteral("rpm"));
    QCOMPARE(speed.receivers, QStringList{QStringLiteral("Vector__XXX")});
    QCOMPARE(speed.spn, 190u);
    QVERIFY(speed.comment.endsWith(QString::fromUtf8("by the number of cylinders.\u2026")));

    const DbcMessage &ccvs = database.messages.at(1);
    QCOMPARE(ccvs.name, QStringLiteral("CCVS1"));
    QCOMPARE(ccvs.pgn(), 0xFEF1u);
    QCOMPARE(ccvs.signalList.at(0).spn, 84u);
    QCOMPARE(ccvs.signalList.at(0).factor, 0.00390625);
    QCOMPARE(ccvs.signalList.at(0).unit, QStringLiteral("km/h"));
}

void tst_DbcReader::transportAndMultiplexedDatabases()
{
    DbcDatabase tp = readData(QStringLiteral("css_tp_j1939.dbc"));
    QCOMPARE(tp.messages.size(), 1);
    const DbcMessage &ec1 = tp.messages.at(0);
    QCOMPARE(ec1.name, QStringLiteral("EC1"));
    QCOMPARE(ec1.length, 40);
    QCOMPARE(ec1.frameFormat, QStringLiteral("ExtendedCAN"));
    QCOMPARE(tp.protocolType, QStringLiteral("J1939PG"));
    QCOMPARE(ec1.signalList.at(0).startBit, 96);

    // The reassembled group of EC1, as the transport protocol hands it over.
    QByteArray group(40, '\xFF');
    group[12] = char(0x40);
    group[13] = char(0x1F);
    const DbcMessage *byPgn = tp.messageForPgn(0xFEE3);
    QVERIFY(byPgn);
    const QVector<DbcDecodedSignal> decoded = DbcSignalCodec::decodeMessage(
        *byPgn, reinterpret_cast<const quint8 *>(group.constData()), group.size());
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded.at(0).value, 1000.0);
    // A single frame of 8 bytes does not carry it.
    QCOMPARE(DbcSignalCodec::decodeMessage(*byPgn,
                                           reinterpret_cast<const quint8 *>(group.constData()), 8)
                 .size(),
             0);

    const DbcDatabase mux = readData(QStringLiteral("css_tp_j1939_multiplexed.dbc"));
    QCOMPARE(mux.messages.size(), 2);
    QCOMPARE(mux.protocolType, QString());
    QVERIFY(!mux.isJ1939());
    const DbcSignal &motorola = mux.messages.at(0).signalList.at(0);
    QCOMPARE(motorola.byteOrder, Order::Motorola);
    QCOMPARE(motorola.startBit, 16);
    const DbcMessage &transport = mux.messages.at(1);
    QCOMPARE(transport.id, 0x1DEFFF00u);
    QCOMPARE(transport.frameFormat, QStringLiteral("ExtendedCAN"));
    const DbcSignal &m20 = transport.signalList.at(0);
    QVERIFY(m20.isMultiplexed);
    QCOMPARE(m20.muxValue, 32u);
    QCOMPARE(m20.muxSwitchName, QStringLiteral("requested_ID"));
    QCOMPARE(m20.muxSwitchIndex, 3);
    QCOMPARE(m20.muxRanges.size(), 1);
    QCOMPARE(m20.muxRanges.at(0).low, 32u);
    QCOMPARE(m20.muxRanges.at(0).high, 32u);
    QVERIFY(transport.signalList.at(3).isMultiplexor);
    QCOMPARE(presentNames(transport, hex("20 00 11 2233 000000")),
             (QStringList{"M_20_signal_1", "M_20_signal_2", "requested_ID"}));
    QCOMPARE(presentNames(transport, hex("60 00 11 22 33 000000")),
             (QStringList{"M_60_signal_1", "requested_ID"}));
    QCOMPARE(presentNames(transport, hex("21 00 11 22 33 000000")), QStringList{"requested_ID"});
}

void tst_DbcReader::matching_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("extendedAsJ1939");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("message");

    auto row = [](const char *name, const char *file, bool asJ1939, quint32 id, bool extended,
                  const char *message) {
        QTest::newRow(name) << QString::fromLatin1(file) << asJ1939 << id << extended
                            << QString::fromLatin1(message);
    };
    const char *demo = "css_j1939_demo.dbc";
    const char *tp = "css_tp_j1939.dbc";
    const char *mux = "css_tp_j1939_multiplexed.dbc";
    row("J1939 exact", demo, true, 0x0CF004FE, true, "EEC1");
    row("J1939 other source", demo, true, 0x0CF00400, true, "EEC1");
    row("J1939 other priority", demo, true, 0x18F00417, true, "EEC1");
    row("J1939 other PGN", demo, true, 0x0CF00300, true, "");
    row("J1939 other data page", demo, true, 0x0DF00400, true, "");
    row("J1939 CCVS1 from 0x47", demo, true, 0x18FEF147, true, "CCVS1");
    row("J1939 standard frame", demo, true, 0x4FE, false, "");
    row("ExtendedCAN in J1939 database by PGN", tp, true, 0x18FEE300, true, "EC1");
    row("ExtendedCAN switched to exact: other source", tp, false, 0x18FEE300, true, "");
    row("ExtendedCAN switched to exact: exact", tp, false, 0x18FEE3FE, true, "EC1");
    row("standard database exact", mux, true, 0x09F11200, true, "SingleFrame");
    row("standard database other source", mux, true, 0x09F11201, true, "");
    row("standard database 11-bit of the same value", mux, true, 0x200, false, "");
}

void tst_DbcReader::matching()
{
    QFETCH(QString, file);
    QFETCH(bool, extendedAsJ1939);
    QFETCH(quint32, id);
    QFETCH(bool, extended);
    QFETCH(QString, message);
    DbcDatabase database = readData(file);
    database.extendedAsJ1939 = extendedAsJ1939;
    const DbcMessage *found = database.messageForFrame(id, extended);
    QCOMPARE(found ? found->name : QString(), message);
}

void tst_DbcReader::hostileLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("warns");
    auto row = [](const char *name, const QByteArray &line, bool warns = true) {
        QTest::newRow(name) << line << warns;
    };
    const QByteArray sg = " SG_ X : ";
    row("start bit not a number", sg + "2x|8@1+ (1,0) [0|0] \"\" N");
    row("length 0", sg + "0|0@1+ (1,0) [0|0] \"\" N");
    row("length 65", sg + "0|65@1+ (1,0) [0|0] \"\" N");
    row("length beyond 64 bits of number", sg + "0|99999999999999999999@1+ (1,0) [0|0] \"\" N");
    row("start bit past 8 bytes", sg + "64|8@1+ (1,0) [0|0] \"\" N");
    row("start bit past 64 bytes", sg + "600|8@1+ (1,0) [0|0] \"\" N");
    row("start bit far out", sg + "2147483647|8@0+ (1,0) [0|0] \"\" N");
    row("byte order 2", sg + "0|8@2+ (1,0) [0|0] \"\" N");
    row("factor NaN", sg + "0|8@1+ (nan,0) [0|0] \"\" N");
    row("factor out of range", sg + "0|8@1+ (1e999,0) [0|0] \"\" N");
    row("unit never closed", sg + "0|8@1+ (1,0) [0|0] \"rpm N");
    row("multiplexer mark", " SG_ X mx : 0|8@1+ (1,0) [0|0] \"\" N");
    row("signal repeated", " SG_ EngineSpeed : 0|8@1+ (1,0) [0|0] \"\" N");
    row("message identifier not a number", "BO_ abc X: 8 N");
    row("message identifier beyond 32 bits", "BO_ 99999999999 X: 8 N");
    row("message identifier beyond 29 bits", "BO_ 4294967295 X: 8 N");
    row("message length 9999", "BO_ 300 X: 9999 N");
    row("message repeated", "BO_ 2364540158 EEC1: 8 Vector__XXX");
    row("comment never closed", "CM_ BO_ 2364540158 \"never closed");
    row("comment for an unknown message", "CM_ BO_ 123 \"x\";");
    row("comment for an unknown signal", "CM_ SG_ 2364540158 Nope \"x\";");
    row("value texts not in pairs", "VAL_ 2364540158 EngineSpeed 1 \"a\" x;");
    row("float value type on 16 bits", "SIG_VALTYPE_ 2364540158 EngineSpeed : 1;");
    row("value type 7", "SIG_VALTYPE_ 2364540158 EngineSpeed : 7;");
    row("multiplexer range inverted", "SG_MUL_VAL_ 2364540158 EngineSpeed EngineSpeed 5-3;");
    row("multiplexer switch unknown", "SG_MUL_VAL_ 2364540158 EngineSpeed Nope 1-3;");
    row("SPN beyond 19 bits", "BA_ \"SPN\" SG_ 2364540158 EngineSpeed 999999;");
    row("frame format beyond its enum", "BA_ \"VFrameFormat\" BO_ 2364540158 9;");
    row("signal outside a message", "CM_ \"x\"; SG_ Y : 0|8@1+ (1,0) [0|0] \"\" N");
    row("unknown keyword", "FOO_ bar");
    row("binary garbage", QByteArray("\x00\x01\xff\xfe BO_\x00 \x80\x81 \"", 12));
    row("10 MB line", QByteArray(10 * 1024 * 1024, 'A'));
    row("10 MB comment", "CM_ \"" + QByteArray(10 * 1024 * 1024, 'x') + "\";", false);
    row("statement missing its ';'", "BA_ \"ProtocolType\" \"J1939\"", false);
    row("environment variable texts", "VAL_ EnvVar 0 \"off\" 1 \"on\";", false);
}

// Each hostile line sits in a good database: it warns with its own line, and the rest loads.
void tst_DbcReader::hostileLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, warns);
    const QByteArray text
        = "VERSION \"\"\n"
          "BO_ 2364540158 EEC1: 8 Vector__XXX\n"
          " SG_ EngineSpeed : 24|16@1+ (0.125,0) [0|8031.875] \"rpm\" N\n"
          + line
          + "\n"
            "BO_ 2566844926 CCVS1: 8 Vector__XXX\n"
            " SG_ WheelBasedVehicleSpeed : 8|16@1+ (0.00390625,0) [0|251] \"km/h\" N\n"
            "CM_ BO_ 2566844926 \"Cruise Control/Vehicle Speed 1\";\n"
            "BA_ \"ProtocolType\" \"J1939\";\n";
    QStringList warnings;
    const DbcDatabase database = readText(text, &warnings);
    if (warns) {
        QVERIFY(!warnings.isEmpty());
        for (const QString &warning : warnings)
            QVERIFY2(warning.startsWith(QLatin1String("t.dbc:4: ")), qPrintable(warning));
    } else {
        QCOMPARE(warnings, QStringList());
    }
    const DbcMessage *eec1 = database.messageForFrame(0x0CF00400, true);
    const DbcMessage *ccvs = database.messageForFrame(0x18FEF100, true);
    QVERIFY(eec1 && ccvs);
    QCOMPARE(eec1->signalList.at(0).name, QStringLiteral("EngineSpeed"));
    QCOMPARE(eec1->signalList.at(0).length, 16);
    QCOMPARE(ccvs->signalList.size(), 1);
    QCOMPARE(ccvs->comment, QStringLiteral("Cruise Control/Vehicle Speed 1"));
}

void tst_DbcReader::warningsCapped()
{
    QByteArray text = "VERSION \"\"\n";
    for (int i = 0; i < 3000; ++i)
        text += "garbage\n";
    DbcReader reader;
    QVERIFY(reader.parse(text, QStringLiteral("t.dbc")));
    QCOMPARE(reader.warningCount(), 3000);
    QCOMPARE(reader.warnings().size(), DbcReader::MaxWarnings + 1);
    QVERIFY(reader.warnings().first().startsWith(QLatin1String("t.dbc:2: ")));
    QVERIFY(reader.warnings().last().contains(QLatin1String("2000")));
}

void tst_DbcReader::notADbc_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("candump log") << QByteArray("(1.000000) can0 18FEF100#0102030405060708\n");
    QTest::newRow("XML") << QByteArray("<?xml version=\"1.0\"?><scheme/>\n");
    QTest::newRow("signals only") << QByteArray(" SG_ X : 0|8@1+ (1,0) [0|0] \"\" N\n");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 151 + 7) & 0xFF);
    QTest::newRow("binary") << binary;
}

void tst_DbcReader::notADbc()
{
    QFETCH(QByteArray, text);
    DbcReader reader;
    QVERIFY(!reader.parse(text, QStringLiteral("t.dbc")));
    QVERIFY(reader.errorString().startsWith(QLatin1String("t.dbc: ")));
    QVERIFY(reader.database().messages.isEmpty());
    QVERIFY(!reader.readFile(QStringLiteral("/nonexistent/t.dbc")));
    QVERIFY(reader.errorString().contains(QLatin1String("/nonexistent/t.dbc")));
}

void tst_DbcReader::agreesWithCanmatrix_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("recording"); // empty: random frames for the database's messages
    QTest::newRow("truck recording, demo database")
        << "css_j1939_demo.dbc" << TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    QTest::newRow("random frames, demo database") << "css_j1939_demo.dbc" << QString();
    QTest::newRow("random frames, multiplexed database")
        << "css_tp_j1939_multiplexed.dbc" << QString();
}

// canmatrix decodes the same frames on its own; every value agrees within its signal's resolution.
void tst_DbcReader::agreesWithCanmatrix()
{
    QFETCH(QString, database);
    QFETCH(QString, recording);
    const DbcDatabase db = readData(database);
    QTemporaryDir dir;
    if (recording.isEmpty()) {
        // Random payloads from random sources; the multiplexor often holds one of its values.
        QRandomGenerator random(1939);
        QByteArray log;
        for (int i = 0; i < 400; ++i) {
            const DbcMessage &message = db.messages.at(int(random.bounded(db.messages.size())));
            const quint32 id
                = db.isJ1939() ? (message.id & ~0xFFu) | random.bounded(256u) : message.id;
            QByteArray data(8, '\0');
            for (char &byte : data)
                byte = char(random.bounded(256));
            const quint8 muxValues[] = {32, 96, 33, quint8(data[0])};
            data[0] = char(muxValues[random.bounded(4)]);
            log += QStringLiteral("(%1.000000) can0 %2#%3\n")
                       .arg(i)
                       .arg(id, 8, 16, QLatin1Char('0'))
                       .arg(QString::fromLatin1(data.toHex()))
                       .toLatin1();
        }
        recording = dir.filePath(QStringLiteral("random.log"));
        QFile file(recording);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(log);
    }

    // The script exits with 3 when its python has no canmatrix; another python may have it.
    QByteArray reference;
    for (const QString &python : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        QProcess process;
        process.start(python, {QStringLiteral(TARVIK_TOOLS_DIR "/dbc_canmatrix.py"),
                               TestEnvironment::dataFile(database), recording});
        if (!process.waitForStarted())
            continue;
        QVERIFY(process.waitForFinished(60000));
        if (process.exitCode() == 3)
            continue;
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 process.readAllStandardError().constData());
        reference = process.readAllStandardOutput();
        break;
    }
    if (reference.isEmpty())
        QSKIP("python3 with canmatrix is not installed");

    CandumpReader frames;
    QVERIFY(frames.readFile(recording));
    QMap<int, QMap<QString, double>> ours;
    for (int i = 0; i < frames.frames().size(); ++i) {
        const CanMessage &frame = frames.frames().at(i).message;
        const DbcMessage *message = db.messageForFrame(frame.id, frame.extended);
        if (!message || frame.length < message->length)
            continue;
        for (const DbcDecodedSignal &one :
             DbcSignalCodec::decodeMessage(*message, frame.data, frame.length))
            ours[i].insert(message->signalList.at(one.signalIndex).name, one.value);
    }

    QMap<int, QMap<QString, double>> theirs;
    const QList<QByteArray> lines = reference.trimmed().split('\n');
    QCOMPARE(lines.first(), "frames " + QByteArray::number(frames.frames().size()));
    QMap<QString, double> resolution;
    for (const DbcMessage &message : db.messages) {
        for (const DbcSignal &signal : message.signalList)
            resolution.insert(signal.name, std::abs(signal.factor));
    }
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        QCOMPARE(fields.size(), 4);
        const QString name = QString::fromLatin1(fields.at(2));
        const double value = fields.at(3).toDouble();
        theirs[fields.at(0).toInt()].insert(name, value);
        QVERIFY2(std::abs(ours.value(fields.at(0).toInt()).value(name, qInf()) - value)
                     <= resolution.value(name) / 2,
                 qPrintable(QString::fromLatin1(lines.at(i))));
    }
    QVERIFY(lines.size() > 100);
    QCOMPARE(ours.keys(), theirs.keys());
    for (auto it = ours.cbegin(); it != ours.cend(); ++it)
        QCOMPARE(it.value().keys(), theirs.value(it.key()).keys());
}

QTEST_MAIN(tst_DbcReader)
#include "tst_dbcreader.moc"
