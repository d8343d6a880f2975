#include "model/parameterbinding.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <cstring>

#include <memory>

namespace {

ParameterBinding field(unsigned startByte, int startBit, int bitLength, float multiplier = 1,
                       float adder = 0, bool bigEndian = false)
{
    ParameterBinding b;
    b.startByte = startByte;
    b.startBit = startBit;
    b.bitLength = bitLength;
    b.multiplier = multiplier;
    b.adder = adder;
    b.bigEndian = bigEndian;
    return b;
}

// The same field read with SAE J1939-71's ranges.
ParameterBinding sae(ParameterBinding b)
{
    b.saeRanges = true;
    return b;
}

std::unique_ptr<ZxParameter> makeParameter(const QString &kind)
{
    if (kind == QLatin1String("int"))
        return std::make_unique<ZxIntParameter>(-7);
    if (kind == QLatin1String("bool"))
        return std::make_unique<ZxBoolParameter>();
    return std::make_unique<ZxFloatParameter>(-7.0f);
}

} // namespace

Q_DECLARE_METATYPE(ParameterBinding)

class tst_ParameterBinding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void decodeEncodeRoundTrip_data();
    void decodeEncodeRoundTrip();
    void editedValueReadsBack_data();
    void editedValueReadsBack();
};

void tst_ParameterBinding::decode_data()
{
    QTest::addColumn<ParameterBinding>("binding");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    const QByteArray ff = QByteArray::fromHex("ffffffffffffffff");
    QTest::newRow("engine speed 1000 rpm")
        << field(3, 0, 16, 0.125f) << "float" << QByteArray::fromHex("ffffff401fffffff") << "1000"
        << true;
    QTest::newRow("engine speed not available")
        << field(3, 0, 16, 0.125f) << "float" << ff << "n/a" << false;
    QTest::newRow("torque offset -125: raw 0x7D is 0")
        << field(1, 0, 8, 1, 125) << "float" << QByteArray::fromHex("ff7dffffffffffff") << "0"
        << true;
    QTest::newRow("torque offset, raw 0 is -125")
        << field(1, 0, 8, 1, 125) << "int" << QByteArray::fromHex("ff00ffffffffffff") << "-125"
        << true;
    QTest::newRow("2-bit all ones: bool shows 3")
        << field(0, 2, 2) << "bool" << QByteArray::fromHex("0c00000000000000") << "n/a" << false;
    QTest::newRow("2-bit value 1")
        << field(0, 2, 2) << "bool" << QByteArray::fromHex("0400000000000000") << "1" << true;
    QTest::newRow("32-bit all ones not available")
        << field(4, 0, 32, 0.05f) << "float" << ff << "n/a" << false;
    QTest::newRow("32-bit full mask")
        << field(0, 0, 32) << "int" << QByteArray::fromHex("78563412ffffffff") << "305419896"
        << true;
    QTest::newRow("start byte 7, 16 bits: never decoded")
        << field(7, 0, 16) << "int" << QByteArray::fromHex("0000000000000001") << "-7" << true;
    QTest::newRow("start byte 8: never decoded") << field(8, 0, 8) << "int" << ff << "-7" << true;
    QTest::newRow("big-endian 16 bits")
        << field(2, 0, 16, 1, 0, true) << "int" << QByteArray::fromHex("00001234ffffffff") << "4660"
        << true;
    QTest::newRow("single byte reads the same big-endian")
        << field(2, 0, 8, 1, 0, true) << "int" << QByteArray::fromHex("0000120000000000") << "18"
        << true;
    QTest::newRow("little-endian across a byte boundary")
        << field(0, 4, 8) << "int" << QByteArray::fromHex("abcd000000000000") << "218" << true;
    QTest::newRow("coolant temperature -40 offset")
        << field(0, 0, 8, 1, 40) << "float" << QByteArray::fromHex("7800000000000000") << "80"
        << true;
    QTest::newRow("not available int: scaled mask")
        << field(0, 0, 8, 1, 40) << "int" << ff << "n/a" << false;

    // SAE J1939-71 ranges: error indicator and not available per field size.
    auto hex = [](const char *h) { return QByteArray::fromHex(h); };
    QTest::newRow("sae byte 0xFA is the top value")
        << sae(field(0, 0, 8)) << "int" << hex("faffffffffffffff") << "250" << true;
    QTest::newRow("sae byte 0xFE error")
        << sae(field(0, 0, 8, 0.4f)) << "float" << hex("feffffffffffffff") << "error" << false;
    QTest::newRow("sae byte 0xFF n/a")
        << sae(field(0, 0, 8)) << "int" << hex("ffffffffffffffff") << "n/a" << false;
    QTest::newRow("sae 2 bytes 0xFAFF is a value")
        << sae(field(2, 0, 16)) << "int" << hex("ffffFFFAffffffff") << "64255" << true;
    QTest::newRow("sae 2 bytes 0xFE00 error")
        << sae(field(2, 0, 16)) << "int" << hex("ffff00feffffffff") << "error" << false;
    QTest::newRow("sae 2 bytes 0xFEFF error")
        << sae(field(2, 0, 16, 0.03125f, 273)) << "float" << hex("ffffFFFEffffffff") << "error"
        << false;
    QTest::newRow("sae 2 bytes 0xFF00 n/a")
        << sae(field(2, 0, 16)) << "int" << hex("ffff00ffffffffff") << "n/a" << false;
    QTest::newRow("sae 4 bytes 0xFE123456 error")
        << sae(field(4, 0, 32)) << "float" << hex("ffffffff563412fe") << "error" << false;
    QTest::newRow("sae 4 bytes 0xFF000000 n/a")
        << sae(field(4, 0, 32)) << "float" << hex("ffffffff000000ff") << "n/a" << false;
    QTest::newRow("sae 4 bytes 0x0A000000 is a value")
        << sae(field(4, 0, 32)) << "int" << hex("ffffffff0000000a") << "167772160" << true;
    QTest::newRow("sae 2 bits 01 is a value")
        << sae(field(0, 2, 2)) << "bool" << hex("0400000000000000") << "1" << true;
    QTest::newRow("sae 2 bits 10 error")
        << sae(field(0, 2, 2)) << "bool" << hex("0800000000000000") << "error" << false;
    QTest::newRow("sae 2 bits 11 n/a")
        << sae(field(0, 2, 2)) << "bool" << hex("0c00000000000000") << "n/a" << false;
    QTest::newRow("sae 4 bits 0xD is a value")
        << sae(field(0, 4, 4)) << "int" << hex("d0ffffffffffffff") << "13" << true;
    QTest::newRow("sae 4 bits 0xE error")
        << sae(field(0, 4, 4)) << "int" << hex("e0ffffffffffffff") << "error" << false;
    QTest::newRow("sae 4 bits 0xF n/a")
        << sae(field(0, 4, 4)) << "int" << hex("f0ffffffffffffff") << "n/a" << false;
    QTest::newRow("sae 3 bits: only all ones is n/a")
        << sae(field(0, 0, 3)) << "int" << hex("06ffffffffffffff") << "6" << true;
    // Proprietary groups keep their raw decoding.
    QTest::newRow("proprietary byte 0xFE is a value")
        << field(0, 0, 8) << "int" << hex("feffffffffffffff") << "254" << true;
    QTest::newRow("proprietary 2 bytes 0xFF00 is a value")
        << field(2, 0, 16) << "int" << hex("ffff00ffffffffff") << "65280" << true;
    QTest::newRow("proprietary 2 bits 10 is a value")
        << field(0, 2, 2) << "int" << hex("0800000000000000") << "2" << true;
}

void tst_ParameterBinding::decode()
{
    QFETCH(ParameterBinding, binding);
    QFETCH(QString, kind);
    QFETCH(QByteArray, payload);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    auto p = makeParameter(kind);
    binding.decode(reinterpret_cast<const quint8 *>(payload.constData()), p.get());
    QCOMPARE(p->toString(), text);
    QCOMPARE(p->isValid(), valid);
    QCOMPARE(p->isError(), text == QLatin1String("error"));
    // A valid value afterwards clears the error indicator.
    p->setVariantValue(1);
    QVERIFY(p->isValid());
    QVERIFY(!p->isError());
}

void tst_ParameterBinding::encode_data()
{
    QTest::addColumn<ParameterBinding>("binding");
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("1000 rpm at byte 3")
        << field(3, 0, 16, 0.125f) << 1000.0 << QByteArray::fromHex("ffffff401fffffff");
    QTest::newRow("0 with offset 125 gives raw 125")
        << field(1, 0, 8, 1, 125) << 0.0 << QByteArray::fromHex("ff7dffffffffffff");
    QTest::newRow("2-bit field keeps the other bits")
        << field(0, 2, 2) << 1.0 << QByteArray::fromHex("f7ffffffffffffff");
    QTest::newRow("rounds half up")
        << field(0, 0, 8, 0.5f) << 1.25 << QByteArray::fromHex("03ffffffffffffff");
    QTest::newRow("value cut to the field")
        << field(0, 0, 4) << 18.0 << QByteArray::fromHex("f2ffffffffffffff");
    QTest::newRow("across a byte boundary")
        << field(0, 4, 8) << 218.0 << QByteArray::fromHex("affdffffffffffff");
    QTest::newRow("32 bits") << field(4, 0, 32) << 305419776.0
                             << QByteArray::fromHex("ffffffff00563412");
    QTest::newRow("big-endian 0x1234 goes out as 12 34")
        << field(2, 0, 16, 1, 0, true) << 4660.0 << QByteArray::fromHex("ffff1234ffffffff");
    QTest::newRow("big-endian 32 bits at byte 4")
        << field(4, 0, 32, 1, 0, true) << 305419776.0 << QByteArray::fromHex("ffffffff12345600");
    QTest::newRow("big-endian 24 bits at byte 5")
        << field(5, 0, 24, 1, 0, true) << 1193046.0 << QByteArray::fromHex("ffffffffff123456");
    QTest::newRow("big-endian single byte as little-endian")
        << field(0, 0, 8, 1, 0, true) << 18.0 << QByteArray::fromHex("12ffffffffffffff");
    QTest::newRow("big-endian scaled: 1000 rpm")
        << field(3, 0, 16, 0.125f, 0, true) << 1000.0 << QByteArray::fromHex("ffffff1f40ffffff");
    QTest::newRow("big-endian outside the payload is skipped")
        << field(7, 0, 16, 1, 0, true) << 1.0 << QByteArray::fromHex("ffffffffffffffff");
    QTest::newRow("outside the payload is skipped")
        << field(7, 0, 16) << 1.0 << QByteArray::fromHex("ffffffffffffffff");
    QTest::newRow("not a number gives not available")
        << field(0, 0, 8) << qQNaN() << QByteArray::fromHex("ffffffffffffffff");
}

void tst_ParameterBinding::encode()
{
    QFETCH(ParameterBinding, binding);
    QFETCH(double, value);
    QFETCH(QByteArray, payload);
    ZxFloatParameter p;
    p.setValue(float(value));
    quint8 out[8];
    std::memset(out, 0xFF, sizeof out);
    binding.encode(out, &p);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(out), 8).toHex(), payload.toHex());
}

void tst_ParameterBinding::decodeEncodeRoundTrip_data()
{
    QTest::addColumn<ParameterBinding>("binding");
    QTest::newRow("12 bits at an odd position") << field(2, 3, 12, 0.5f, 100);
    QTest::newRow("big-endian 16 bits") << field(2, 0, 16, 0.125f, 0, true);
    QTest::newRow("big-endian 24 bits") << field(1, 0, 24, 1, 40, true);
    QTest::newRow("big-endian 16 bits at the last byte pair") << field(6, 0, 16, 1, 0, true);
}

void tst_ParameterBinding::decodeEncodeRoundTrip()
{
    // Raw values of the field, placed by hand in the field's byte order, survive decode then
    // encode.
    QFETCH(ParameterBinding, binding);
    const int n = binding.byteCount();
    const quint64 step = binding.mask() / 577 + 1;
    for (quint64 raw = 0; raw < binding.mask(); raw += step) {
        quint8 in[8];
        std::memset(in, 0xFF, sizeof in);
        const quint64 bits = raw << binding.startBit;
        const quint64 mask = quint64(binding.mask()) << binding.startBit;
        for (int k = 0; k < n; ++k) {
            const int shift = binding.bigEndian ? 8 * (n - 1 - k) : 8 * k;
            quint8 &byte = in[binding.startByte + unsigned(k)];
            byte = quint8((byte & ~quint8(mask >> shift)) | quint8(bits >> shift));
        }
        ZxFloatParameter p;
        binding.decode(in, &p);
        quint8 out[8];
        std::memset(out, 0xFF, sizeof out);
        binding.encode(out, &p);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out), 8).toHex(),
                 QByteArray(reinterpret_cast<const char *>(in), 8).toHex());
    }
}

void tst_ParameterBinding::editedValueReadsBack_data()
{
    QTest::addColumn<ParameterBinding>("binding");
    QTest::addColumn<int>("value");
    QTest::newRow("big-endian 0x1234") << field(2, 0, 16, 1, 0, true) << 0x1234;
    QTest::newRow("big-endian 0x00ff") << field(0, 0, 16, 1, 0, true) << 0x00FF;
    QTest::newRow("big-endian with offset") << field(6, 0, 16, 1, 100, true) << -50;
    QTest::newRow("little-endian 0x1234") << field(2, 0, 16) << 0x1234;
}

void tst_ParameterBinding::editedValueReadsBack()
{
    // An edited value goes out and is read back by the same description unchanged.
    QFETCH(ParameterBinding, binding);
    QFETCH(int, value);
    ZxIntParameter edited;
    edited.setValue(value);
    quint8 payload[8];
    std::memset(payload, 0xFF, sizeof payload);
    QVERIFY(binding.encode(payload, &edited));
    ZxIntParameter received(-7);
    QVERIFY(binding.decode(payload, &received));
    QCOMPARE(received.value(), value);
    QVERIFY(received.isValid());
}

QTEST_GUILESS_MAIN(tst_ParameterBinding)
#include "tst_parameterbinding.moc"
