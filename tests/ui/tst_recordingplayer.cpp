#include "can/busclock.h"
#include "can/replaycanhandler.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/parameterplotter.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/plottable.h"
#include "ui/editors/plotwidget.h"
#include "ui/recordingplayer.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStatusBar>
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

// The addresses of the units under each bus row, sorted, by the bus's name.
QMap<QString, QStringList> unitsByBus(const QAbstractItemModel *model)
{
    QMap<QString, QStringList> buses;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList &units = buses[model->index(r, 1).data().toString()];
        for (int u = 0; u < model->rowCount(model->index(r, 0)); ++u)
            units << model->index(u, 1, model->index(r, 0)).data().toString();
        units.sort();
    }
    return buses;
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
    void readingShowsProgressAndCancels_data();
    void readingShowsProgressAndCancels();
    void emptySchemeGetsTheRecordingsUnitsOnly();
    void healthyUnitsNormalStoppedUnitSilent_data();
    void healthyUnitsNormalStoppedUnitSilent();
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
    // Both buses of the truck's recording are on its time, each on its own clock.
    const BusClock &clock = demo.window()->dispatcher()->clock();
    QTRY_COMPARE(demo.window()->buses()->added().size(), 1);
    const BusClock &secondClock = demo.window()->buses()->added().constFirst()->clock();
    QVERIFY(clock.followsRecording());
    QTRY_VERIFY(secondClock.followsRecording());

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
    const qint64 busAt = clock.nowMs();
    const qint64 secondBusAt = secondClock.nowMs();
    const qint64 stampAt = replay->messageElapsedTimer();
    const int state = demo.window()->schemeModel()->item(eec1)->displayable()->state();
    QTest::qWait(400);
    QCOMPARE(replay->positionUs(), pausedAt);
    QCOMPARE(clock.nowMs(), busAt);
    QCOMPARE(secondClock.nowMs(), secondBusAt);
    // Frames' stamps, which the bus check and the raw view go by, stand still too.
    QCOMPARE(replay->messageElapsedTimer(), stampAt);
    QCOMPARE(demo.window()->schemeModel()->item(eec1)->displayable()->state(), state);

    // Seek by the slider: the position and the time shown follow.
    auto *slider = child<QSlider>(demo, "playerPosition");
    slider->setValue(100 * 1000);
    QVERIFY(qAbs(replay->positionUs() - 100 * 1000 * 1000) < 1000 * 1000);
    QTRY_VERIFY2(time->text().startsWith(QStringLiteral("00:01:40")), qPrintable(time->text()));
    QVERIFY(qAbs(clock.nowMs() - (replay->originUs() / 1000 + 100 * 1000)) < 1000);
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
    QVERIFY(replay->positionUs() < replay->durationUs());
    pause->trigger();
    // As fast as possible it may reach the end before this thread looks again: what counts is
    // that it played from the seek to the end and paused there.
    QTRY_VERIFY(replay->positionUs() == replay->durationUs() && pause->isChecked());
    QVERIFY(time->text().startsWith(duration));
    // Play at the end starts again (at 1×, so it is not at the end again at once).
    speed->setCurrentIndex(speed->findText(QStringLiteral("1×")));
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

void tst_RecordingPlayer::readingShowsProgressAndCancels_data()
{
    QTest::addColumn<QString>("cancel"); // how the engineer stops the reading; empty: not at all
    QTest::newRow("read to the end") << QString();
    QTest::newRow("Cancel button") << "button";
    QTest::newRow("Esc") << "Esc";
}

void tst_RecordingPlayer::readingShowsProgressAndCancels()
{
    QFETCH(QString, cancel);
    // A recording of some megabytes, all of it within a second: it is read whole before it
    // plays, and its reading takes many progress intervals. Written before the window starts:
    // the window's thread, held up meanwhile, would be catching up while it is read.
    constexpr int Lines = 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.log"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray text;
        for (int i = 0; i < Lines; ++i) {
            text += QByteArrayLiteral("(1600000000.") + QByteArray::number(i).rightJustified(6, '0')
                    + QByteArrayLiteral(") can0 18FEF100#00112233445566")
                    + QByteArray::number(10 + i % 90) + '\n';
            if (text.size() > (1 << 20)) {
                QVERIFY(file.write(text) == text.size());
                text.clear();
            }
        }
        QVERIFY(file.write(text) == text.size());
    }

    DemoBusWindow demo;
    QVERIFY(demo.start());
    RecordingPlayer *player = demo.window()->player();
    player->setProgressInterval(5);
    auto *replay = qobject_cast<ReplayCanHandler *>(demo.handler());
    QVERIFY(replay);

    auto *cancelButton = child<QPushButton>(demo, "readingCancel");
    QVERIFY(cancelButton);
    QVERIFY(!cancelButton->isVisible());
    const QRegularExpression progress(QStringLiteral("^Reading big\\.log… (\\d+) %$"));
    QList<int> percents;
    QStatusBar *status = demo.window()->statusBar();
    QEventLoop shown;
    QObject listening; // ends the connection below before what it captures
    connect(status, &QStatusBar::messageChanged, &listening, [&](const QString &message) {
        const QRegularExpressionMatch match = progress.match(message);
        if (!match.hasMatch())
            return;
        percents << match.captured(1).toInt();
        if (percents.size() == 1)
            shown.quit();
    });
    QSignalSpy opened(player, &RecordingPlayer::recordingOpened);
    demo.window()->fileAnswer = path;
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(player->isReading());
    if (!cancel.isEmpty()) {
        // The engineer stops the reading as soon as it shows how far it is.
        QTimer::singleShot(20000, &shown, &QEventLoop::quit);
        shown.exec();
        QVERIFY(!percents.isEmpty());
        QVERIFY(cancelButton->isVisible());
        if (cancel == QLatin1String("button")) {
            QTest::mouseClick(cancelButton, Qt::LeftButton);
        } else {
            QApplication::setActiveWindow(demo.window());
            QTest::keyClick(demo.window(), Qt::Key_Escape);
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(!player->isReading(), 60000);

    QVERIFY(!percents.isEmpty());
    QVERIFY(std::is_sorted(percents.cbegin(), percents.cend()));
    QVERIFY2(percents.first() >= 0 && percents.last() <= 100,
             qPrintable(QString::number(percents.last())));
    QVERIFY2(demo.window()->errors.isEmpty(), qPrintable(demo.window()->errors.join('\n')));
    QVERIFY(!cancelButton->isVisible());
    QVERIFY(demo.action("actionOpenRecording")->isEnabled());
    QCOMPARE(replay->readingPercent(), -1);
    if (cancel.isEmpty()) {
        QCOMPARE(opened.count(), 1);
        QVERIFY(replay->playingPath().endsWith(QStringLiteral("big.log")));
        QCOMPARE(replay->loadedFrameCount(), Lines);
        QTRY_VERIFY(child<QToolBar>(demo, "playerBar")->isVisible());
        return;
    }
    // Cancelled: no message, and the demo bus plays on as before.
    QCOMPARE(opened.count(), 0);
    QVERIFY(status->currentMessage().isEmpty());
    QVERIFY(replay->isOpen());
    QVERIFY(replay->playingPath().isEmpty());
    QVERIFY(replay->loadedFrameCount() < Lines);
    QVERIFY(!child<QToolBar>(demo, "playerBar")->isVisible());
    // The cancel does not outlive its reading: the next recording opens.
    demo.window()->fileAnswer = TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    QVERIFY(replay->playingPath().endsWith(QStringLiteral("css_FCBF0606_j1939_truck_bam.log")));
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
    // The truck's engine and retarder on can0, three other units on can1; both bus rows name the
    // recording by its file, as the player does.
    const QMap<QString, QStringList> truck{{"can0", {"0x00", "0x47"}},
                                           {"can1", {"0x51", "0x52", "0xa3"}}};
    QVERIFY(DemoBusWindow::waitFor([&] { return unitsByBus(view->model()) == truck; }, 15000));
    for (int bus = 0; bus < 2; ++bus)
        QCOMPARE(view->model()->index(bus, 2).data().toString(),
                 QStringLiteral("Recording on css_FCBF0606_j1939_truck_bam.MF4"));

    // Space pauses with the focus in the tree; the button then offers to play.
    auto *replay = qobject_cast<ReplayCanHandler *>(demo.handler());
    QAction *pause = demo.action("actionPlayerPause");
    QCOMPARE(pause->text(), QStringLiteral("Pause"));
    demo.window()->activateWindow();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Space);
    QVERIFY(replay->isPaused());
    // Both buses.
    auto *second
        = qobject_cast<ReplayCanHandler *>(demo.window()->buses()->added().first()->handler());
    QVERIFY(second && second->isPaused());
    QCOMPARE(second->channel(), 1);
    QCOMPARE(pause->text(), QStringLiteral("Play"));

    // The next recording is another machine: its units only, and it plays.
    demo.window()->fileAnswer
        = TestEnvironment::dataFile("css_94C49784_nmea2000_addrclaim_request.MF4");
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    QVERIFY(!replay->isPaused());
    QCOMPARE(pause->text(), QStringLiteral("Pause"));
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return rowStartingWith(view->model(), QStringLiteral("0x23")).isValid(); }, 10000));
    QVERIFY(!rowStartingWith(view->model(), QStringLiteral("0x47")).isValid());
    // The truck's second bus went with it.
    QCOMPARE(demo.window()->buses()->count(), 1);

    // Auto add came on for the recordings, not by the engineer: the next start has it off.
    demo.window()->saveUiState();
    QVERIFY(autoAdd->isChecked());
    QCOMPARE(QSettings().value(QStringLiteral("Misc/AutoAdd")).toBool(), false);
    autoAdd->trigger(); // the engineer's own choice is kept
    autoAdd->trigger();
    demo.window()->saveUiState();
    QCOMPARE(QSettings().value(QStringLiteral("Misc/AutoAdd")).toBool(), true);
}

void tst_RecordingPlayer::healthyUnitsNormalStoppedUnitSilent_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<double>("sliceS");   // the copy's length
    QTest::addColumn<quint32>("stopped"); // the unit whose frames end
    QTest::addColumn<double>("stopS");
    QTest::addColumn<int>("groupsOfStopped"); // groups it lists at least
    // Before the truck's engine falls silent at 40 s; can0 and can1 play as two buses.
    QTest::newRow("truck, 1x") << "css_FCBF0606_j1939_truck_bam.log"
                               << "1×" << 14.0 << 0x47u << 2.2 << 2;
    QTest::newRow("truck, 20x") << "css_FCBF0606_j1939_truck_bam.log"
                                << "20×" << 40.0 << 0x47u << 10.0 << 2;
    // The NMEA 2000 units send groups no library describes: each one listed, raw.
    QTest::newRow("NMEA 2000, 1x") << "css_94C49784_nmea2000_addrclaim_request.log"
                                   << "1×" << 9.0 << 0x23u << 3.0 << 10;
    QTest::newRow("NMEA 2000, 20x") << "css_94C49784_nmea2000_addrclaim_request.log"
                                    << "20×" << 45.0 << 0x23u << 20.0 << 12;
}

void tst_RecordingPlayer::healthyUnitsNormalStoppedUnitSilent()
{
    QFETCH(QString, file);
    QFETCH(QString, speed);
    QFETCH(double, sliceS);
    QFETCH(quint32, stopped);
    QFETCH(double, stopS);
    QFETCH(int, groupsOfStopped);
    // A copy of the recording's first seconds in which one unit stops sending.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("slice.log"));
    {
        QFile in(TestEnvironment::dataFile(file));
        QVERIFY(in.open(QIODevice::ReadOnly | QIODevice::Text));
        QFile out(copy);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Text));
        const QRegularExpression line(QStringLiteral("^\\(([0-9.]+)\\) \\S+ ([0-9A-F]+)#"));
        double first = -1;
        while (!in.atEnd()) {
            const QByteArray text = in.readLine();
            const QRegularExpressionMatch m = line.match(QString::fromLatin1(text));
            QVERIFY(m.hasMatch());
            const double t = m.captured(1).toDouble();
            if (first < 0)
                first = t;
            if (t - first > sliceS)
                break;
            const quint32 source = m.captured(2).toUInt(nullptr, 16) & 0xFF;
            if (source == stopped && t - first > stopS)
                continue;
            out.write(text);
        }
    }
    DemoBusWindow demo;
    QVERIFY(demo.start());
    demo.action("actionClearScheme")->trigger();
    demo.window()->fileAnswer = copy;
    QSignalSpy opened(demo.window()->player(), &RecordingPlayer::recordingOpened);
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    auto *speeds = child<QComboBox>(demo, "playerSpeed");
    speeds->setCurrentIndex(speeds->findText(speed));
    const SchemeTreeModel *model = demo.window()->schemeModel();
    auto units = [&] {
        QHash<quint32, const AbstractDisplayableItem *> found;
        for (const AbstractSchemeTreeItem *node : model->unitNodes())
            found.insert(node->displayable()->address().value, node->displayable());
        return found;
    };
    auto shown = [](const AbstractDisplayableItem *unit) {
        return AbstractSchemeTreeItem::shownState(unit);
    };
    QElapsedTimer wall;
    wall.start();
    const int sliceWallMs = int(sliceS * 1000 / (speed == QLatin1String("20×") ? 20 : 1));
    // The stopped unit falls silent while every other unit stays in its normal state.
    const AbstractDisplayableItem *quiet = nullptr;
    QStringList late;
    QVERIFY(DemoBusWindow::waitFor(
        [&] {
            quiet = units().value(stopped);
            return quiet && shown(quiet) == AbstractDisplayableItem::ReceiveError;
        },
        sliceWallMs + 5000));
    const auto all = units();
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (it.key() != stopped && shown(it.value()) != AbstractDisplayableItem::ReceiveOk
            && shown(it.value()) != AbstractDisplayableItem::Unknown)
            late << QStringLiteral("0x%1: %2").arg(it.key(), 2, 16).arg(shown(it.value()));
    }
    QVERIFY2(late.isEmpty(), qPrintable(late.join(QStringLiteral(", "))));
    QVERIFY(all.size() >= 4);
    // Every group the stopped unit sent is listed, described or not.
    QVERIFY2(quiet->children().size() >= groupsOfStopped,
             qPrintable(QString::number(quiet->children().size())));
}

QTEST_MAIN(tst_RecordingPlayer)
#include "tst_recordingplayer.moc"
