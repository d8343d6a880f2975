#include "job/parameterring.h"

#include <QtTest>

#include <cmath>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Samples as text: "time:v1/v2" with "-" for a value not available.
QStringList rows(const ParameterSamples &s)
{
    QStringList out;
    for (int r = 0; r < s.rowCount(); ++r) {
        QStringList values;
        for (int c = 0; c < s.columnCount(); ++c)
            values << (std::isnan(s.value(r, c)) ? QStringLiteral("-")
                                                 : QString::number(s.value(r, c)));
        out << QStringLiteral("%1:%2").arg(s.timesUs.at(r)).arg(values.join(QLatin1Char('/')));
    }
    return out;
}

} // namespace

class tst_ParameterRing : public QObject
{
    Q_OBJECT

private slots:
    void bounds_data();
    void bounds();
    void columns();
    void clockStartsAgain();
};

void tst_ParameterRing::bounds_data()
{
    QTest::addColumn<qint64>("spanUs");
    QTest::addColumn<int>("maxSamples");
    QTest::addColumn<QStringList>("kept"); // after samples at 0, 100, ..., 1000 µs
    QTest::newRow("span keeps its edge")
        << qint64(300) << 100 << QStringList{"700:7/70", "800:8/80", "900:9/90", "1000:10/100"};
    QTest::newRow("count bound") << qint64(100000) << 2 << QStringList{"900:9/90", "1000:10/100"};
    QTest::newRow("room for all") << qint64(100000) << 100
                                  << QStringList{"0:0/0",    "100:1/10", "200:2/20",   "300:3/30",
                                                 "400:4/40", "500:5/50", "600:6/60",   "700:7/70",
                                                 "800:8/80", "900:9/90", "1000:10/100"};
}

void tst_ParameterRing::bounds()
{
    QFETCH(qint64, spanUs);
    QFETCH(int, maxSamples);
    QFETCH(QStringList, kept);
    ParameterRing ring(spanUs, maxSamples);
    ring.setColumns(0x00, {"Speed", "Load"}, {"rpm", "%"});
    for (int i = 0; i <= 10; ++i)
        ring.append(0x00, i * 100, {double(i), double(i * 10)});
    QCOMPARE(rows(ring.samples(0x00, -1000, 100000)), kept);
    QCOMPARE(ring.sampleCount(0x00), kept.size());
    // A window picks by time, edges included.
    QCOMPARE(rows(ring.samples(0x00, 900, 1000)), kept.mid(kept.size() - 2));
    // Another unit is untouched.
    QCOMPARE(ring.sampleCount(0x01), 0);
}

void tst_ParameterRing::columns()
{
    ParameterRing ring;
    // Without columns nothing is kept.
    ring.append(0x21, 0, {1.0});
    QCOMPARE(ring.sampleCount(0x21), 0);
    QVERIFY(!ring.hasColumns(0x21));

    ring.setColumns(0x21, {"A", "B"}, {"V"});
    ring.append(0x21, 10, {1.0});            // short: B not available
    ring.append(0x21, 20, {2.0, NaN, 99.0}); // long: the extra value dropped
    ParameterSamples s = ring.samples(0x21, 0, 100);
    QCOMPARE(s.names, (QStringList{"A", "B"}));
    QCOMPARE(s.units, (QStringList{"V", ""}));
    QCOMPARE(rows(s), (QStringList{"10:1/-", "20:2/-"}));

    // The same columns again keep the samples; a column added at the right pads them.
    ring.setColumns(0x21, {"A", "B"}, {"V", ""});
    ring.setColumns(0x21, {"A", "B", "C"}, {"V", "", "s"});
    ring.append(0x21, 30, {3.0, 4.0, 5.0});
    QCOMPARE(rows(ring.samples(0x21, 0, 100)), (QStringList{"10:1/-/-", "20:2/-/-", "30:3/4/5"}));

    // Other columns (a scheme changed) start the unit afresh.
    ring.setColumns(0x21, {"C", "A"}, {"s", "V"});
    QCOMPARE(ring.sampleCount(0x21), 0);
    ring.append(0x21, 40, {6.0, 7.0});
    QCOMPARE(rows(ring.samples(0x21, 0, 100)), QStringList{"40:6/7"});
    ring.setColumns(0x21, {"C", "A"}, {"s", "mV"});
    QCOMPARE(ring.sampleCount(0x21), 0);
}

// Samples stamped well before the latest come from a clock that started again: the old ones go,
// a sample a little out of order stays with them.
void tst_ParameterRing::clockStartsAgain()
{
    ParameterRing ring;
    ring.setColumns(0x00, {"Speed"}, {"rpm"});
    ring.append(0x00, 5000000, {1});
    ring.append(0x00, 6000000, {2});
    ring.append(0x00, 5500000, {3});
    QCOMPARE(ring.sampleCount(0x00), 3);
    ring.append(0x00, 1000000, {4});
    QCOMPARE(rows(ring.samples(0x00, 0, 10000000)), QStringList{"1000000:4"});
}

QTEST_GUILESS_MAIN(tst_ParameterRing)
#include "tst_parameterring.moc"
