#include "descriptions/descriptionfiles.h"
#include "descriptions/spnscaling.h"
#include "diagnostics/dm24function.h"
#include "diagnostics/dm25function.h"
#include "diagnostics/dm4function.h"
#include "diagnostics/freezeframe.h"
#include "model/j1939device.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QtTest>

#include <thread>

using namespace FreezeFrame;

// DM4, DM24 and DM25 decoded and encoded byte for byte, the SPN scaling the function library
// gives, and the functions' tables and tree texts.
class tst_FreezeFrames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dm4Decode_data();
    void dm4Decode();
    void dm24Decode_data();
    void dm24Decode();
    void dm25Values_data();
    void dm25Values();
    void encodeAsReceived_data();
    void encodeAsReceived();
    void spnScaling_data();
    void spnScaling();
    void spnScalingFromManyThreads();
    void functionsShowWhatTheyDecoded();
};

namespace {

// A DTC's four bytes.
QByteArray dtc(quint32 spn, quint8 fmi, quint8 oc)
{
    QByteArray out;
    TroubleCode{spn, fmi, oc, false}.append(&out);
    return out;
}

// A DM4 record: length, DTC, standard values, manufacturer's bytes.
QByteArray dm4Record(quint32 spn, quint8 fmi, quint8 oc, const char *values,
                     const char *extra = "")
{
    const QByteArray body = dtc(spn, fmi, oc) + hex(values) + hex(extra);
    return char(body.size()) + body;
}

QByteArray padded(QByteArray bytes)
{
    while (bytes.size() < 8)
        bytes.append(char(0xFF));
    return bytes;
}

// torque 1, boost 100 kPa, 1500 rpm, 65 %, 90 °C, 20 km/h
const char *const Standard = "f1 32 e02e 41 82 0014";
const char *const AllNotAvailable = "ff ff ffff ff ff ffff";

QString dm4Text(const Dm4Record &r)
{
    QStringList fields{dtcText(r.dtc)};
    for (int f = 0; f < Dm4FieldCount; ++f)
        fields << dm4FieldText(r, Dm4Field(f));
    fields << hexText(r.manufacturer);
    return fields.join(QStringLiteral(" | "));
}

QString supportText(const QVector<SpnSupport> &list)
{
    QStringList out;
    for (const SpnSupport &s : list) {
        out << QStringLiteral("%1/%2%3%4/%5")
                   .arg(s.spn)
                   .arg(s.inExpandedFreezeFrame ? QLatin1Char('f') : QLatin1Char('-'))
                   .arg(s.inDataStream ? QLatin1Char('d') : QLatin1Char('-'))
                   .arg(s.scaledTestResults ? QLatin1Char('t') : QLatin1Char('-'))
                   .arg(s.length);
    }
    return out.join(QLatin1Char(' '));
}

// A DM24 record: SPN, support bits (0 = supported: bit0 freeze frame, bit1 data stream,
// bit2 test results), length.
QByteArray support(quint32 spn, quint8 notSupported, quint8 length)
{
    QByteArray out;
    out.append(char(spn & 0xFF));
    out.append(char((spn >> 8) & 0xFF));
    out.append(char(((spn >> 16) & 0x07) << 5 | 0x18 | (notSupported & 0x07)));
    out.append(char(length));
    return out;
}

constexpr quint8 FreezeFrameOnly = 0x06;
constexpr quint8 DataStreamOnly = 0x05;

QByteArray dm25Record(quint32 spn, quint8 fmi, quint8 oc, const char *values)
{
    const QByteArray body = dtc(spn, fmi, oc) + hex(values);
    return char(body.size()) + body;
}

// The engine's list: speed (2), coolant (1), vehicle speed (2) in the freeze frame.
QByteArray engineDm24()
{
    return support(190, FreezeFrameOnly, 2) + support(110, FreezeFrameOnly, 1)
           + support(84, FreezeFrameOnly, 2);
}

} // namespace

void tst_FreezeFrames::initTestCase()
{
    TestEnvironment::init();
    // The built-in function library, whatever lies beside the test.
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    SpnScaling::reset();
}

void tst_FreezeFrames::dm4Decode_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("records");
    const QString standard = QStringLiteral(
        "1 | 100 kPa | 1500.0 rpm | 65 % | 90 °C | 20.00 km/h");
    const QString none = QStringLiteral("n/a | n/a | n/a | n/a | n/a | n/a");
    QTest::newRow("no freeze frame: length 0, padded") << padded(hex("00")) << QStringList();
    QTest::newRow("empty message") << QByteArray() << QStringList();
    QTest::newRow("all ones: a record past the end")
        << hex("ffffffffffffffff") << QStringList();
    QTest::newRow("one record, 13 bytes") << dm4Record(110, 0, 3, Standard)
        << QStringList{"SPN 110 FMI 0 OC 3 | " + standard + " | "};
    QTest::newRow("not-available values") << dm4Record(190, 2, 1, AllNotAvailable)
        << QStringList{"SPN 190 FMI 2 OC 1 | " + none + " | "};
    QTest::newRow("error ranges") << dm4Record(102, 18, 7, "f0 fe 12fe fe fe 00fe")
        << QStringList{"SPN 102 FMI 18 OC 7 | 0 | error | error | error | error | error | "};
    QTest::newRow("coolant below zero, highest speeds")
        << dm4Record(84, 31, 126, "f2 fa a0ff fa 00 faff")
        << QStringList{"SPN 84 FMI 31 OC 126 | 2 | 500 kPa | n/a | 250 % | -40 °C | n/a | "};
    QTest::newRow("manufacturer bytes") << dm4Record(110, 0, 3, Standard, "abcd01")
        << QStringList{"SPN 110 FMI 0 OC 3 | " + standard + " | AB CD 01"};
    QTest::newRow("three records (multi-packet)")
        << dm4Record(110, 0, 3, Standard) + dm4Record(190, 2, 1, AllNotAvailable)
               + dm4Record(100, 1, 9, Standard, "77")
        << QStringList{"SPN 110 FMI 0 OC 3 | " + standard + " | ",
                       "SPN 190 FMI 2 OC 1 | " + none + " | ",
                       "SPN 100 FMI 1 OC 9 | " + standard + " | 77"};
    QTest::newRow("truncated second record ends the list")
        << dm4Record(110, 0, 3, Standard) + dm4Record(190, 2, 1, Standard).left(6)
        << QStringList{"SPN 110 FMI 0 OC 3 | " + standard + " | "};
    QTest::newRow("length 0 after a record ends the list")
        << dm4Record(110, 0, 3, Standard) + hex("00") + dm4Record(190, 2, 1, Standard)
        << QStringList{"SPN 110 FMI 0 OC 3 | " + standard + " | "};
    QTest::newRow("short record: missing values not available")
        << padded(dm4Record(110, 0, 3, "f4 19"))
        << QStringList{"SPN 110 FMI 0 OC 3 | 4 | 50 kPa | n/a | n/a | n/a | n/a | "};
    QTest::newRow("record without a whole code is skipped")
        << hex("02 0102") + dm4Record(110, 0, 3, Standard)
        << QStringList{"SPN 110 FMI 0 OC 3 | " + standard + " | "};
}

void tst_FreezeFrames::dm4Decode()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, records);
    QStringList texts;
    for (const Dm4Record &r : decodeDm4(data))
        texts << dm4Text(r);
    QCOMPARE(texts, records);
}

void tst_FreezeFrames::dm24Decode_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("canonical");
    QTest::newRow("empty") << QByteArray() << QString() << false;
    QTest::newRow("one SPN, padded") << padded(support(110, 0, 1)) << "110/fdt/1" << true;
    QTest::newRow("freeze frame only") << padded(support(190, FreezeFrameOnly, 2))
                                       << "190/f--/2" << true;
    QTest::newRow("data stream only") << padded(support(91, DataStreamOnly, 1)) << "91/-d-/1"
                                      << true;
    QTest::newRow("test results only") << padded(support(3226, 0x03, 0)) << "3226/--t/0"
                                       << true;
    QTest::newRow("19-bit SPN") << padded(support(0x7FEE0, FreezeFrameOnly, 4))
                                << "524000/f--/4" << true;
    QTest::newRow("two SPNs fill one frame")
        << support(190, FreezeFrameOnly, 2) + support(110, FreezeFrameOnly, 1)
        << "190/f--/2 110/f--/1" << true;
    QTest::newRow("all ones: padding, no SPN") << hex("ffffffffffffffff") << QString() << true;
    QTest::newRow("trailing partial record ignored")
        << support(110, FreezeFrameOnly, 1) + hex("be00") << "110/f--/1" << false;
    QTest::newRow("many SPNs (multi-packet)")
        << engineDm24() + support(91, DataStreamOnly, 1) + support(100, FreezeFrameOnly, 1)
        << "190/f--/2 110/f--/1 84/f--/2 91/-d-/1 100/f--/1" << true;
}

void tst_FreezeFrames::dm24Decode()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, list);
    QFETCH(bool, canonical);
    const QVector<SpnSupport> decoded = decodeDm24(data);
    QCOMPARE(supportText(decoded), list);
    if (canonical && !decoded.isEmpty())
        QCOMPARE(encodeDm24(decoded), data);
    QCOMPARE(decodeDm24(encodeDm24(decoded)), decoded);
}

void tst_FreezeFrames::dm25Values_data()
{
    QTest::addColumn<QByteArray>("dm25");
    QTest::addColumn<QByteArray>("dm24"); // empty: the unit sent none
    QTest::addColumn<quint32>("spn");
    QTest::addColumn<int>("fmi");
    QTest::addColumn<int>("oc");
    QTest::addColumn<QString>("values"); // SPN=value;…, "none": no record of the code
    QTest::addColumn<bool>("consistent");

    const QByteArray one = dm25Record(110, 0, 3, "e02e 82 0014");
    QTest::newRow("no freeze frame") << padded(hex("00")) << engineDm24() << 110u << 0 << -1
                                     << "none" << true;
    QTest::newRow("one record, lengths as DM24 says")
        << one << engineDm24() << 110u << 0 << -1
        << "190=1500.0 rpm;110=90 °C;84=20.000 km/h" << true;
    QTest::newRow("occurrence count given") << one << engineDm24() << 110u << 0 << 3
                                            << "190=1500.0 rpm;110=90 °C;84=20.000 km/h" << true;
    QTest::newRow("another code not recorded") << one << engineDm24() << 110u << 1 << -1
                                               << "none" << true;
    QTest::newRow("not-available and error values")
        << dm25Record(110, 0, 3, "ffff fe 00fe") << engineDm24() << 110u << 0 << -1
        << "190=n/a;110=error;84=error" << true;
    QTest::newRow("SPN the library does not know: raw")
        << dm25Record(100, 1, 1, "0102 03 0405 aabbcc")
        << engineDm24() + support(520000, FreezeFrameOnly, 3) << 100u << 1 << -1
        << "190=64.1 rpm;110=-37 °C;84=5.016 km/h;520000=AA BB CC" << true;
    QTest::newRow("data stream SPNs take no bytes")
        << dm25Record(110, 0, 3, "e02e 82")
        << support(190, FreezeFrameOnly, 2) + support(91, DataStreamOnly, 1)
               + support(110, FreezeFrameOnly, 1)
        << 110u << 0 << -1 << "190=1500.0 rpm;110=90 °C" << true;
    QTest::newRow("record longer than DM24 says")
        << dm25Record(110, 0, 3, "e02e 82 0014 99") << engineDm24() << 110u << 0 << -1
        << "190=1500.0 rpm;110=90 °C;84=20.000 km/h;=99" << false;
    QTest::newRow("record shorter than DM24 says")
        << dm25Record(110, 0, 3, "e02e 82 00") << engineDm24() << 110u << 0 << -1
        << "190=1500.0 rpm;110=90 °C;84=cut short: 00" << false;
    QTest::newRow("without DM24 the values are raw") << one << QByteArray() << 110u << 0 << -1
                                                     << "=E0 2E 82 00 14" << true;
    QTest::newRow("many records: the occurrence picks")
        << dm25Record(190, 2, 1, "0000 00 0000") + dm25Record(110, 0, 1, "0000 28 0000")
               + dm25Record(110, 0, 3, "e02e 82 0014")
        << engineDm24() << 110u << 0 << 3 << "190=1500.0 rpm;110=90 °C;84=20.000 km/h" << true;
    QTest::newRow("many records: any occurrence, the first")
        << dm25Record(190, 2, 1, "0000 00 0000") + dm25Record(110, 0, 1, "0000 28 0000")
               + dm25Record(110, 0, 3, "e02e 82 0014")
        << engineDm24() << 110u << 0 << -1 << "190=0.0 rpm;110=0 °C;84=0.000 km/h" << true;
    QTest::newRow("occurrence not recorded: the code's other record")
        << dm25Record(110, 0, 1, "0000 28 0000") << engineDm24() << 110u << 0 << 5
        << "190=0.0 rpm;110=0 °C;84=0.000 km/h" << true;
    QTest::newRow("truncated record ends the list")
        << one + dm25Record(190, 2, 1, "0000 00 0000").left(5) << engineDm24() << 190u << 2
        << -1 << "none" << true;
    QTest::newRow("all ones") << hex("ffffffffffffffff") << engineDm24() << 524287u << 31 << -1
                              << "none" << true;
}

void tst_FreezeFrames::dm25Values()
{
    QFETCH(QByteArray, dm25);
    QFETCH(QByteArray, dm24);
    QFETCH(quint32, spn);
    QFETCH(int, fmi);
    QFETCH(int, oc);
    QFETCH(QString, values);
    QFETCH(bool, consistent);
    const QVector<Dm25Record> records = decodeDm25(dm25);
    const int index = findRecord(records, spn, quint8(fmi), oc);
    if (values == QLatin1String("none")) {
        QCOMPARE(index, -1);
        return;
    }
    QVERIFY(index >= 0);
    std::optional<QVector<SpnSupport>> list;
    if (!dm24.isEmpty())
        list = decodeDm24(dm24);
    bool isConsistent = !consistent;
    QStringList texts;
    for (const QStringList &row : DM25Function::valueRows(records.at(index), list, &isConsistent))
        texts << row.at(DM25Function::SpnColumn) + QLatin1Char('=')
                     + row.at(DM25Function::ValueColumn);
    QCOMPARE(texts.join(QLatin1Char(';')), values);
    QCOMPARE(isConsistent, consistent);
}

void tst_FreezeFrames::encodeAsReceived_data()
{
    QTest::addColumn<bool>("dm25"); // else DM4
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("DM4: no freeze frame") << false << padded(hex("00"));
    QTest::newRow("DM4: one record") << false << dm4Record(110, 0, 3, Standard);
    QTest::newRow("DM4: not available") << false << dm4Record(190, 2, 1, AllNotAvailable);
    QTest::newRow("DM4: manufacturer bytes")
        << false << dm4Record(110, 0, 3, Standard, "abcdef0123");
    QTest::newRow("DM4: many records, 19-bit SPN")
        << false
        << dm4Record(110, 0, 3, Standard) + dm4Record(0x7FEE0, 31, 126, AllNotAvailable)
               + dm4Record(84, 9, 1, Standard, "00");
    QTest::newRow("DM4: record of 255 bytes")
        << false << dm4Record(110, 0, 3, Standard, QByteArray(243, 'a').toHex().constData());
    QTest::newRow("DM25: no freeze frame") << true << padded(hex("00"));
    QTest::newRow("DM25: one short record, padded") << true << padded(dm25Record(110, 0, 3, "82"));
    QTest::newRow("DM25: one record") << true << dm25Record(110, 0, 3, "e02e 82 0014");
    QTest::newRow("DM25: code without values") << true << padded(dm25Record(110, 0, 3, ""));
    QTest::newRow("DM25: many records")
        << true
        << dm25Record(190, 2, 1, "0000 00 0000") + dm25Record(0x7FEE0, 31, 126, "ffff ff ffff");
}

// What a unit sends decodes and encodes back to the same bytes.
void tst_FreezeFrames::encodeAsReceived()
{
    QFETCH(bool, dm25);
    QFETCH(QByteArray, data);
    QCOMPARE(dm25 ? encodeDm25(decodeDm25(data)) : encodeDm4(decodeDm4(data)), data);
}

void tst_FreezeFrames::spnScaling_data()
{
    QTest::addColumn<quint32>("spn");
    QTest::addColumn<QString>("name"); // empty: the library does not know the SPN
    QTest::addColumn<int>("bytes");
    QTest::addColumn<quint64>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("engine speed, 0.125 rpm") << 190u << "Engine Speed" << 2 << quint64(12001)
                                             << "1500.1 rpm";
    QTest::newRow("coolant, offset -40") << 110u << "Engine Coolant Temperature" << 1
                                         << quint64(0) << "-40 °C";
    QTest::newRow("coolant not available") << 110u << "Engine Coolant Temperature" << 1
                                           << quint64(0xFF) << "n/a";
    QTest::newRow("coolant error") << 110u << "Engine Coolant Temperature" << 1 << quint64(0xFE)
                                   << "error";
    QTest::newRow("vehicle speed, 1/256 km/h") << 84u << "Wheel-Based Vehicle Speed" << 2
                                               << quint64(0x1480) << "20.500 km/h";
    QTest::newRow("boost, 2 kPa") << 102u << "Engine Intake Manifold #1 Pressure" << 1
                                  << quint64(50) << "100 kPa";
    QTest::newRow("torque mode, 4 bits, no unit") << 899u << "Engine Torque Mode" << 1
                                                  << quint64(3) << "3";
    QTest::newRow("unknown SPN") << 520000u << QString() << 0 << quint64(0) << QString();
}

void tst_FreezeFrames::spnScaling()
{
    QFETCH(quint32, spn);
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(quint64, raw);
    QFETCH(QString, text);
    const std::optional<SpnScaling> scaling = SpnScaling::find(spn);
    QCOMPARE(scaling.has_value(), !name.isEmpty());
    if (!scaling)
        return;
    QCOMPARE(scaling->spn, spn);
    QCOMPARE(scaling->name, name);
    QCOMPARE(scaling->byteLength(), bytes);
    QCOMPARE(scaling->text(raw, bytes), text);
}

// The bus thread and the window look SPNs up at once, the first look-up reading the library.
void tst_FreezeFrames::spnScalingFromManyThreads()
{
    SpnScaling::reset();
    std::atomic<int> found{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&found] {
            for (quint32 spn : {190u, 110u, 84u}) {
                const std::optional<SpnScaling> s = SpnScaling::find(spn);
                if (s && s->spn == spn)
                    found.fetch_add(1);
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    QCOMPARE(found.load(), 12);
}

void tst_FreezeFrames::functionsShowWhatTheyDecoded()
{
    J1939Device unit(0x01);
    auto *dm4 = new DM4Function(&unit);
    auto *dm24 = new DM24Function(&unit);
    auto *dm25 = new DM25Function(&unit);
    unit.registerChild(dm4);
    unit.registerChild(dm24);
    unit.registerChild(dm25);

    QVERIFY(dm4->decode(dm4Record(110, 0, 3, Standard) + dm4Record(190, 2, 1, AllNotAvailable)));
    QCOMPARE(dm4->tableRows().size(), 2);
    QCOMPARE(dm4->tableRows().at(0).at(3), QStringLiteral("1500.0 rpm"));
    QCOMPARE(dm4->tableHeaders().size(), dm4->tableRows().at(0).size());
    QCOMPARE(dm4->textDataImpl(),
             QStringLiteral("Freeze frames: 2 (SPN 110 FMI 0: 1500.0 rpm, 90 °C; "
                            "SPN 190 FMI 2: n/a, n/a)"));
    QVERIFY(dm4->decode(padded(hex("00"))));
    QCOMPARE(dm4->textDataImpl(), QStringLiteral("no freeze frame"));
    QCOMPARE(dm4->encode(), padded(hex("00")));

    // DM25 reads its records by the unit's DM24 once that has come.
    QVERIFY(dm25->decode(dm25Record(110, 0, 3, "e02e 82 0014")));
    QVERIFY(!dm25->supportList());
    QCOMPARE(dm25->tableRows().value(0).value(1), QStringLiteral("E0 2E 82 00 14"));
    const int before = dm25->displayGeneration();
    QVERIFY(dm24->decode(engineDm24()));
    QVERIFY(dm25->displayGeneration() != before);
    QCOMPARE(dm24->textDataImpl(), QStringLiteral("3 SPNs, 3 in the freeze frame"));
    QCOMPARE(dm25->tableRows().value(0),
             (QStringList{"SPN 110 FMI 0 OC 3",
                          "SPN 190 = 1500.0 rpm; SPN 110 = 90 °C; SPN 84 = 20.000 km/h"}));
    QCOMPARE(dm25->textDataImpl(), QStringLiteral("Freeze frames: 1 ([110,0])"));
}

QTEST_MAIN(tst_FreezeFrames)
#include "tst_freezeframes.moc"
