#include "job/snapshotplot.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtTest>

// Without a QGuiApplication (a console program) there are no fonts: the plot is drawn with its
// lines only, and painting no text must not crash.
class tst_SnapshotPlot : public QObject
{
    Q_OBJECT

private slots:
    void linesWithoutFonts();
    void eachValueInItsOwnStripWithItsRange();
};

void tst_SnapshotPlot::linesWithoutFonts()
{
    QVERIFY(!qobject_cast<QGuiApplication *>(QCoreApplication::instance()));
    ParameterSamples samples;
    samples.names = QStringList{"Engine speed"};
    samples.units = QStringList{"rpm"};
    for (int i = 0; i <= 10; ++i) {
        samples.timesUs << i * 100000;
        samples.values << 1000 + 50 * i;
    }
    const QImage plot = SnapshotPlot::render(samples, 500000, 0, 1000000);
    QCOMPARE(plot.size(), SnapshotPlot::defaultSize());
    // The line climbs from the bottom left to the top right of the area: its colour is there.
    const QImage bare = SnapshotPlot::render(ParameterSamples(), 500000, 0, 1000000);
    QVERIFY(plot != bare);
    int coloured = 0;
    for (int y = 0; y < plot.height(); ++y) {
        for (int x = 0; x < plot.width(); ++x) {
            const QColor c = plot.pixelColor(x, y);
            if (c.blue() > c.red() + 60)
                ++coloured;
        }
    }
    QVERIFY2(coloured > 200, qPrintable(QString::number(coloured)));
}

void tst_SnapshotPlot::eachValueInItsOwnStripWithItsRange()
{
    ParameterSamples samples;
    samples.names = QStringList{"Engine speed", "Coolant temperature"};
    samples.units = QStringList{"rpm", "°C"};
    for (int i = 0; i <= 10; ++i) {
        samples.timesUs << i * 100000;
        samples.values << 1000 + 50 * i << 80;
    }
    QCOMPARE(SnapshotPlot::axisLabels(samples, 0), (QStringList{"1500 rpm", "1000 rpm"}));
    QCOMPARE(SnapshotPlot::axisLabels(samples, 1), QStringList{"80 °C"});
    const QImage plot = SnapshotPlot::render(samples, 500000, 0, 1000000);
    // The first value's colour (blue) only in the upper half, the second's (red) only in the
    // lower one: one strip each, not one scale for both.
    int blueTop = 0, blueBottom = 0, redTop = 0, redBottom = 0;
    for (int y = 0; y < plot.height(); ++y) {
        for (int x = 0; x < plot.width(); ++x) {
            const QColor c = plot.pixelColor(x, y);
            const bool top = y < plot.height() / 2;
            if (c.blue() > c.red() + 60 && c.blue() > c.green() + 20)
                ++(top ? blueTop : blueBottom);
            if (c.red() > c.blue() + 60 && c.red() > c.green() + 60)
                ++(top ? redTop : redBottom);
        }
    }
    QVERIFY2(blueTop > 100 && blueBottom == 0, qPrintable(QString::number(blueBottom)));
    QVERIFY2(redBottom > 100 && redTop == 0, qPrintable(QString::number(redTop)));
}

QTEST_GUILESS_MAIN(tst_SnapshotPlot)
#include "tst_snapshotplot.moc"
