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

QTEST_GUILESS_MAIN(tst_SnapshotPlot)
#include "tst_snapshotplot.moc"
