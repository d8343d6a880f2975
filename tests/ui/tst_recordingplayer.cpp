#include "can/busclock.h"
#include "can/replaycanhandler.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/parameterplotter.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/plottable.h"
#include "ui/editors/plotwidget.h"
#include "ui/recordingplayer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

namespace {

// The first row below `parent` whose name starts with `prefix`.
QModelIndex rowStartingWith(const QAbstractItemModel *model, const QString &prefix,
                            const QModelIndex &parent = QModelIndex())
{
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex index = model->index(r, 0, parent);
        for (int column = 0; column < model->columnCount(parent); ++column) {
            if (model->index(r, column, parent).data().toString().startsWith(prefix))
                return index;
        }
        const QModelIndex below = rowStartingWith(model, prefix, index);
        if (below.isValid())
            return below;
    }
    return {};
}

template<typename T>
T *child(DemoBusWindow &demo, const char *name)
{
    return demo.window()->findChild<T *>(QLatin1String(name));
}

} // namespace

// File ▸ Open recording… and the player bar, driven in the window on the real bus thread.
class tst_RecordingPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playPauseSeekAndPlot_data();
    void playPauseSeekAndPlot();
    void unreadableRecordingIsRefused();
    void emptySchemeGetsTheRecordingsUnitsOnly();
};

void tst_RecordingPlayer::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikRecordingPlayerTest"));
}

void tst_RecordingPlayer::playPauseSeekAndPlot_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("duration");
    QTest::newRow("truck, candump") << "css_FCBF0606_j1939_truck_bam.log"
                                    << "00:03:06";
    QTest::newRow("truck, the logger's MF4") << "css_FCBF0606_j1939_truck_bam.MF4"
                                             << "00:03:06";
}

void tst_RecordingPlayer::playPauseSeekAndPlot()
{
    QFETCH(QString, file);
    QFETCH(QString, duration);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    auto *bar = child<QToolBar>(demo, "playerBar");
    QVERIFY(bar);
    // The demo bus is no recording of the user's: no player.
    QVERIFY(!bar->isVisible());
    demo.window()->player()->setRefreshInterval(20);
    demo.action("actionAutoAdd")->setChecked(true);

    demo.window()->fileAnswer = TestEnvironment::dataFile(file);
    QSignalSpy opened(demo.window()->player(), &RecordingPlayer::recordingOpened);
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    QVERIFY2(demo.window()->errors.isEmpty(), qPrintable(demo.window()->errors.join('\n')));
    QTRY_VERIFY(bar->isVisible());
    auto *replay = qobject_cast<ReplayCanHandler *>(demo.handler());
    QVERIFY(replay);
    QVERIFY(replay->playingPath().endsWith(file));
    auto *time = child<QLabel>(demo, "playerTime");
    QTRY_VERIFY2(time->text().contains(QStringLiteral(" / ") + duration), qPrintable(time->text()));
    QVERIFY(BusClock::followsRecording());

    // 20× as fast: the units come, a function of the engine is plotted.
    auto *speed = child<QComboBox>(demo, "playerSpeed");
    speed->setCurrentIndex(speed->findText(QStringLiteral("20×")));
    QCOMPARE(replay->speed(), 20.0);
    QTreeView *view = demo.window()->mainView();
    QModelIndex eec1;
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return (eec1 = rowStartingWith(view->model(), QStringLiteral("EEC1"))).isValid(); },
        10000));
    demo.select(eec1);
    demo.action("actionPlot")->trigger();
    QCOMPARE(demo.window()->plotDocks()->plots().size(), 1);
    const PlotWidget *plot = demo.window()->plotDocks()->plots().constFirst();
    QElapsedTimer wall;
    wall.start();
    QTRY_VERIFY(plot->plotter().table().rowCount() > 20);
    // The plot runs on the recording's time, twenty times the wall clock's.
    const PlotTable &table = plot->plotter().table();
    const double plotted = table.time(table.rowCount() - 1) - table.time(0);
    QVERIFY2(plotted > 5.0 * double(wall.elapsed()) / 1000.0,
             qPrintable(QStringLiteral("%1 s plotted in %2 ms").arg(plotted).arg(wall.elapsed())));

    // Pause: the position and the bus clock stand still, the units stay received.
    auto *pause = demo.action("actionPlayerPause");
    pause->trigger();
    QVERIFY(replay->isPaused());
    const qint64 pausedAt = replay->positionUs();
    const qint64 busAt = BusClock::nowMs();
    const qint64 stampAt = replay->messageElapsedTimer();
    const int state = demo.window()->schemeModel()->item(eec1)->displayable()->state();
    QTest::qWait(400);
    QCOMPARE(replay->positionUs(), pausedAt);
    QCOMPARE(BusClock::nowMs(), busAt);
    // Frames' stamps, which the bus check and the raw view go by, stand still too.
    QCOMPARE(replay->messageElapsedTimer(), stampAt);
    QCOMPARE(demo.window()->schemeModel()->item(eec1)->displayable()->state(), state);

    // Seek by the slider: the position and the time shown follow.
    auto *slider = child<QSlider>(demo, "playerPosition");
    slider->setValue(100 * 1000);
    QVERIFY(qAbs(replay->positionUs() - 100 * 1000 * 1000) < 1000 * 1000);
    QTRY_VERIFY2(time->text().startsWith(QStringLiteral("00:01:40")), qPrintable(time->text()));
    QVERIFY(qAbs(BusClock::nowMs() - (replay->originUs() / 1000 + 100 * 1000)) < 1000);
    // A click on the bar jumps there.
    slider->resize(400, slider->sizeHint().height());
    QTest::mouseClick(slider, Qt::LeftButton, {},
                      QPoint(slider->width() * 3 / 4, slider->height() / 2));
    QVERIFY2(qAbs(double(replay->positionUs()) / double(replay->durationUs()) - 0.75) < 0.05,
             qPrintable(time->text()));
    slider->setValue(100 * 1000);
    // A seek is no gap on the stamps' clock: the units do not fall silent for it.
    QVERIFY(qAbs(replay->messageElapsedTimer() - stampAt) < 100);

    // Without looping, as fast as possible, the player stops at the end.
    child<QCheckBox>(demo, "playerLoop")->setChecked(false);
    QVERIFY(!replay->isLooping());
    speed->setCurrentIndex(speed->findText(QStringLiteral("As fast as possible")));
    pause->trigger();
    QVERIFY(!replay->isPaused());
    QTRY_VERIFY(pause->isChecked());
    QCOMPARE(replay->positionUs(), replay->durationUs());
    QVERIFY(time->text().startsWith(duration));
    // Play at the end starts again.
    pause->trigger();
    QTRY_VERIFY(replay->positionUs() < replay->durationUs());
}

void tst_RecordingPlayer::unreadableRecordingIsRefused()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("garbage.blf"));
    QFile garbage(path);
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is not a recording\n");
    garbage.close();
    demo.window()->fileAnswer = path;
    demo.action("actionOpenRecording")->trigger();
    QTRY_COMPARE(demo.window()->errors.size(), 1);
    QVERIFY2(demo.window()->errors.first().contains(QStringLiteral("garbage.blf")),
             qPrintable(demo.window()->errors.first()));
    QVERIFY(!child<QToolBar>(demo, "playerBar")->isVisible());
}

void tst_RecordingPlayer::emptySchemeGetsTheRecordingsUnitsOnly()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QTreeView *view = demo.window()->mainView();
    QVERIFY(rowStartingWith(view->model(), QStringLiteral("0xa0")).isValid());
    demo.action("actionClearScheme")->trigger();
    QTRY_COMPARE(view->model()->rowCount(), 0);
    QAction *autoAdd = demo.action("actionAutoAdd");
    autoAdd->setChecked(false);
    QSignalSpy opened(demo.window()->player(), &RecordingPlayer::recordingOpened);
    demo.window()->fileAnswer = TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.MF4");
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    // Auto add comes on for the recording: its units join, none of the demo bus's.
    QVERIFY(autoAdd->isChecked());
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return rowStartingWith(view->model(), QStringLiteral("0x47")).isValid(); }, 10000));
    for (const char *demoUnit : {"0xa0", "0x9d", "0x4a"})
        QVERIFY2(!rowStartingWith(view->model(), QLatin1String(demoUnit)).isValid(), demoUnit);
}

QTEST_MAIN(tst_RecordingPlayer)
#include "tst_recordingplayer.moc"
