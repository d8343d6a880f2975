#include "model/parameterbinding.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

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
    void editedValueReadsBack_data();
    void editedValueReadsBack();
    void validSpan_data();
    void validSpan();
};

void tst_ParameterBinding::decode_data()
{
    QTest::addColumn<ParameterBinding>("binding");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    // A field read as a parameter of the kind given shows the text; "n/a" and "error" are the
    // invalid ones.
    auto row = [](const char *name, ParameterBinding b, const char *kind, const char *payload,
                  const char *text) {
        const bool valid = qstrcmp(text, "n/a") != 0 && qstrcmp(text, "error") != 0;
        QTest::newRow(name) << b << kind << hex(payload) << text << valid;
    };
    row("engine speed 1000 rpm", field(3, 0, 16, 0.125f), "float", "ffffff401fffffff", "1000");
    row("engine speed not available", field(3, 0, 16, 0.125f), "float", "ffffffffffffffff", "n/a");
    row("torque offset -125: raw 0x7D is 0",
        field(1, 0, 8, 1, 125), "float", "ff7dffffffffffff", "0");
    row("torque offset, raw 0 is -125", field(1, 0, 8, 1, 125), "int", "ff00ffffffffffff", "-125");
    row("2-bit all ones: bool shows 3", field(0, 2, 2), "bool", "0c00000000000000", "n/a");
    row("2-bit value 1", field(0, 2, 2), "bool", "0400000000000000", "1");
    row("32-bit all ones not available",
        field(4, 0, 32, 0.05f), "float", "ffffffffffffffff", "n/a");
    row("32-bit full mask", field(0, 0, 32), "int", "78563412ffffffff", "305419896");
    row("start byte 7, 16 bits: never decoded", field(7, 0, 16), "int", "0000000000000001", "-7");
    row("start byte 8: never decoded", field(8, 0, 8), "int", "ffffffffffffffff", "-7");
    row("big-endian 16 bits", field(2, 0, 16, 1, 0, true), "int", "00001234ffffffff", "4660");
    row("single byte reads the same big-endian",
        field(2, 0, 8, 1, 0, true), "int", "0000120000000000", "18");
    row("little-endian across a byte boundary", field(0, 4, 8), "int", "abcd000000000000", "218");
    row("12 bits at an odd position, scaled",
        field(2, 3, 12, 0.5f, 100), "float", "ffffe7d5ffffffff", "1274");
    row("coolant temperature -40 offset", field(0, 0, 8, 1, 40), "float", "7800000000000000", "80");
    row("not available int: scaled mask", field(0, 0, 8, 1, 40), "int", "ffffffffffffffff", "n/a");
    // SAE J1939-71 ranges: error indicator and not available per field size.
    row("sae byte 0xFA is the top value", sae(field(0, 0, 8)), "int", "faffffffffffffff", "250");
    row("sae byte 0xFE error", sae(field(0, 0, 8, 0.4f)), "float", "feffffffffffffff", "error");
    row("sae byte 0xFF n/a", sae(field(0, 0, 8)), "int", "ffffffffffffffff", "n/a");
    row("sae 2 bytes 0xFAFF is a value", sae(field(2, 0, 16)), "int", "ffffFFFAffffffff", "64255");
    row("sae 2 bytes 0xFE00 error", sae(field(2, 0, 16)), "int", "ffff00feffffffff", "error");
    row("sae 2 bytes 0xFEFF error",
        sae(field(2, 0, 16, 0.03125f, 273)), "float", "ffffFFFEffffffff", "error");
    row("sae 2 bytes 0xFF00 n/a", sae(field(2, 0, 16)), "int", "ffff00ffffffffff", "n/a");
    row("sae 4 bytes 0xFE123456 error", sae(field(4, 0, 32)), "float", "ffffffff563412fe", "error");
    row("sae 4 bytes 0xFF000000 n/a", sae(field(4, 0, 32)), "float", "ffffffff000000ff", "n/a");
    row("sae 4 bytes 0x0A000000 is a value",
        sae(field(4, 0, 32)), "int", "ffffffff0000000a", "167772160");
    row("sae 2 bits 01 is a value", sae(field(0, 2, 2)), "bool", "0400000000000000", "1");
    row("sae 2 bits 10 error", sae(field(0, 2, 2)), "bool", "0800000000000000", "error");
    row("sae 2 bits 11 n/a", sae(field(0, 2, 2)), "bool", "0c00000000000000", "n/a");
    row("sae 4 bits 0xD is a value", sae(field(0, 4, 4)), "int", "d0ffffffffffffff", "13");
    row("sae 4 bits 0xE error", sae(field(0, 4, 4)), "int", "e0ffffffffffffff", "error");
    row("sae 4 bits 0xF n/a", sae(field(0, 4, 4)), "int", "f0ffffffffffffff", "n/a");
    row("sae 3 bits: only all ones is n/a", sae(field(0, 0, 3)), "int", "06ffffffffffffff", "6");
    // Proprietary groups keep their raw decoding.
    row("proprietary byte 0xFE is a value", field(0, 0, 8), "int", "feffffffffffffff", "254");
    row("proprietary 2 bytes 0xFF00 is a value",
        field(2, 0, 16), "int", "ffff00ffffffffff", "65280");
    row("proprietary 2 bits 10 is a value", field(0, 2, 2), "int", "0800000000000000", "2");
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
    auto row = [](const char *name, ParameterBinding b, double value, const char *payload) {
        QTest::newRow(name) << b << value << hex(payload);
    };
    row("1000 rpm at byte 3", field(3, 0, 16, 0.125f), 1000.0, "ffffff401fffffff");
    row("0 with offset 125 gives raw 125", field(1, 0, 8, 1, 125), 0.0, "ff7dffffffffffff");
    row("2-bit field keeps the other bits", field(0, 2, 2), 1.0, "f7ffffffffffffff");
    row("rounds half up", field(0, 0, 8, 0.5f), 1.25, "03ffffffffffffff");
    row("value cut to the field", field(0, 0, 4), 18.0, "f2ffffffffffffff");
    row("across a byte boundary", field(0, 4, 8), 218.0, "affdffffffffffff");
    row("12 bits at an odd position, scaled", field(2, 3, 12, 0.5f, 100), 1274.0, "ffffe7d5ffffffff");
    row("32 bits", field(4, 0, 32), 305419776.0, "ffffffff00563412");
    row("big-endian 0x1234 goes out as 12 34",
        field(2, 0, 16, 1, 0, true), 4660.0, "ffff1234ffffffff");
    row("big-endian 32 bits at byte 4",
        field(4, 0, 32, 1, 0, true), 305419776.0, "ffffffff12345600");
    row("big-endian 24 bits at byte 5", field(5, 0, 24, 1, 0, true), 1193046.0, "ffffffffff123456");
    row("big-endian single byte as little-endian",
        field(0, 0, 8, 1, 0, true), 18.0, "12ffffffffffffff");
    row("big-endian scaled: 1000 rpm",
        field(3, 0, 16, 0.125f, 0, true), 1000.0, "ffffff1f40ffffff");
    row("big-endian outside the payload is skipped",
        field(7, 0, 16, 1, 0, true), 1.0, "ffffffffffffffff");
    row("outside the payload is skipped", field(7, 0, 16), 1.0, "ffffffffffffffff");
    row("not a number gives not available", field(0, 0, 8), qQNaN(), "ffffffffffffffff");
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

void tst_ParameterBinding::validSpan_data()
{
    QTest::addColumn<ParameterBinding>("binding");
    QTest::addColumn<bool>("spanned"); // a scaling a description writes: a span must come of it
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("engine speed 0.125 rpm") << sae(field(3, 0, 16, 0.125f)) << true;
    QTest::newRow("torque offset -125") << sae(field(1, 0, 8, 1, 125)) << true;
    QTest::newRow("coolant 0.03125 offset -273") << sae(field(2, 0, 16, 0.03125f, 273)) << true;
    QTest::newRow("32 bits 0.05") << sae(field(4, 0, 32, 0.05f)) << true;
    QTest::newRow("4 bits") << sae(field(0, 4, 4)) << true;
    QTest::newRow("negative multiplier") << sae(field(0, 0, 8, -0.5f, 10)) << true;
    QTest::newRow("proprietary byte") << field(0, 0, 8, 0.4f) << true;
    QTest::newRow("2 bits: one value, no span") << sae(field(0, 2, 2)) << false;
    QTest::newRow("multiplier 0") << sae(field(0, 0, 8, 0)) << false;
    QTest::newRow("infinite multiplier") << sae(field(0, 0, 16, inf)) << false;
    QTest::newRow("infinite adder") << sae(field(0, 0, 16, 1, inf)) << false;
    QTest::newRow("adder far beyond the step") << sae(field(0, 0, 32, 1e-6f, 1e12f)) << false;
    QTest::newRow("tiny multiplier") << sae(field(0, 0, 32, 1e-30f)) << false;
}

void tst_ParameterBinding::validSpan()
{
    // Inside the span every value's raw field is valid, so rawFor() may be skipped there.
    QFETCH(ParameterBinding, binding);
    QFETCH(bool, spanned);
    double low = 0;
    double high = 0;
    const bool found = binding.validSpan(&low, &high);
    if (spanned)
        QVERIFY(found);
    if (!found)
        return;
    QVERIFY(low <= high);
    const quint32 top = binding.maxValidRaw();
    QVector<double> values{low, high, std::nextafter(low, high), std::nextafter(high, low)};
    for (int i = 1; i < 1000; ++i)
        values << low + (high - low) * i / 1000;
    // The values the raw fields decode to, at and near the ends of the valid range.
    for (const quint32 raw : {0u, 1u, 2u, top / 2, top - 2, top - 1, top})
        values << double(raw) * binding.scale() - binding.offset();
    for (const double value : qAsConst(values)) {
        if (value < low || value > high)
            continue;
        QVERIFY2(binding.rawFor(value) <= top, qPrintable(QString::number(value, 'g', 17)));
    }
    const double middle = double(top / 2) * binding.scale() - binding.offset();
    QVERIFY(low <= middle && middle <= high);
}

QTEST_GUILESS_MAIN(tst_ParameterBinding)
#include "tst_parameterbinding.moc"
