// The one decoder of J1939-73 trouble codes that every floor uses: what counts as a code, as
// "no code" and as padding, and the conversion method bit.
#include "model/troublecode.h"

#include "support/hex.h"

#include <QtTest>

namespace {

// "spn/fmi/oc" per code, "c" after one whose conversion method bit is set.
QString text(const QVector<TroubleCode> &codes)
{
    QStringList list;
    for (const TroubleCode &c : codes) {
        list << QStringLiteral("%1/%2/%3%4")
                    .arg(c.spn)
                    .arg(c.fmi)
                    .arg(c.oc)
                    .arg(c.conversionMethod ? QStringLiteral("c") : QString());
    }
    return list.join(QLatin1Char(' '));
}

} // namespace

class tst_TroubleCode : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
};

void tst_TroubleCode::decode_data()
{
    QTest::addColumn<QByteArray>("payload"); // DM1 or DM2: two lamp bytes, then the codes
    QTest::addColumn<QString>("all");        // every whole group as sent
    QTest::addColumn<QString>("faults");     // what counts as an active or previous code

    QTest::newRow("no code: SPN 0 FMI 0 in a padded frame") << hex("0400 00000000 ffff") << "0/0/0"
                                                            << "";
    QTest::newRow("no code with a count is still no code") << hex("0000 00000005") << "0/0/5"
                                                           << "";
    QTest::newRow("padding: all ones") << hex("0000 ffffffff") << "524287/31/127c"
                                       << "";
    QTest::newRow("padding whatever the fourth byte") << hex("0000 ffffff00") << "524287/31/0"
                                                      << "";
    QTest::newRow("SPN all ones with another FMI is a code")
        << hex("0000 fffffe01") << "524287/30/1"
        << "524287/30/1";
    QTest::newRow("SPN 0 FMI 1 is a code") << hex("0000 00000100") << "0/1/0"
                                           << "0/1/0";
    QTest::newRow("SPN 1 FMI 0 is a code") << hex("0000 01000000") << "1/0/0"
                                           << "1/0/0";
    QTest::newRow("conversion method 4: SPN bits 16-18 in the third byte")
        << hex("44ff 41f34702 ffff") << "193345/7/2"
        << "193345/7/2";
    QTest::newRow("conversion method bit is no occurrence") << hex("0000 6e001083") << "110/16/3c"
                                                            << "110/16/3c";
    QTest::newRow("occurrence count not available") << hex("0000 6e00107f") << "110/16/127"
                                                    << "110/16/127";
    QTest::newRow("several codes in order, no code and padding among them")
        << hex("0000 6e001003 00000000 64001201 ffffffff")
        << "110/16/3 0/0/0 100/18/1 524287/31/127c"
        << "110/16/3 100/18/1";
    QTest::newRow("a fault listed twice counts once, its first entry")
        << hex("0000 6e001003 6e001004") << "110/16/3 110/16/4"
        << "110/16/3";
    QTest::newRow("truncated: a trailing part of a code is cut off")
        << hex("0000 6e001003 6400") << "110/16/3"
        << "110/16/3";
    QTest::newRow("truncated: lamps only") << hex("0400") << ""
                                           << "";
    QTest::newRow("truncated: not even the lamps") << hex("04") << ""
                                                   << "";
    QTest::newRow("empty") << QByteArray() << ""
                           << "";
}

void tst_TroubleCode::decode()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, all);
    QFETCH(QString, faults);
    const QVector<TroubleCode> every = TroubleCode::decodeAll(payload);
    QCOMPARE(text(every), all);
    QCOMPARE(text(TroubleCode::decodeFaults(payload)), faults);
    // Encoding what was decoded gives the bytes back.
    QByteArray encoded = payload.left(TroubleCode::LampBytes);
    for (const TroubleCode &c : every)
        c.append(&encoded);
    QCOMPARE(encoded.toHex(), payload.left(encoded.size()).toHex());
}

QTEST_GUILESS_MAIN(tst_TroubleCode)
#include "tst_troublecode.moc"
