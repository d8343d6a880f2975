#include "can/canhandlerfactory.h"
#include "can/editors/canloadbar.h"
#include "can/replaycanhandler.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/rawdatamodel.h"
#include "ui/recordingplayer.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QDomDocument>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// The units under each bus's row, by the bus's name: "0xa0 Controller" each.
QMap<QString, QStringList> unitsByBus(const SchemeTreeModel *model)
{
    QMap<QString, QStringList> buses;
    for (int r = 0; r < model->rowCount(); ++r) {
        const QModelIndex bus = model->index(r, 1);
        QStringList &units = buses[bus.data().toString()];
        for (int u = 0; u < model->rowCount(model->index(r, 0)); ++u)
            units << model->index(u, 1, model->index(r, 0)).data().toString();
    }
    return buses;
}

// The row of the unit at `address` ("0xa0") under the row of bus `bus`.
QModelIndex unitRow(const SchemeTreeModel *model, int bus, const QString &address)
{
    const QModelIndex busRow = model->index(bus, 0);
    for (int u = 0; u < model->rowCount(busRow); ++u) {
        if (model->index(u, 1, busRow).data().toString() == address)
            return model->index(u, 1, busRow);
    }
    return {};
}

// The units of a saved scheme by their "bus": "1 0xa0" each.
QStringList savedUnits(const QString &path)
{
    QFile file(path);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        return {QStringLiteral("unreadable")};
    QStringList units;
    const QDomNodeList devices = doc.documentElement().elementsByTagName(QStringLiteral("device"));
    for (int i = 0; i < devices.size(); ++i) {
        const QDomElement e = devices.at(i).toElement();
        units << e.attribute(QStringLiteral("bus")) + QLatin1Char(' ')
                     + e.attribute(QStringLiteral("address"));
    }
    units.sort();
    return units;
}

} // namespace

// Several buses in one window: File ▸ Add Bus…, a recording of two buses, their rows, raw
// frames, loads and scheme files.
class tst_WindowBuses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameAddressOnTwoBuses();
    void recordingOfTwoBusesPlaysAsTwo_data();
    void recordingOfTwoBusesPlaysAsTwo();
};

void tst_WindowBuses::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikWindowBusesTest"));
}

void tst_WindowBuses::sameAddressOnTwoBuses()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    ScriptedMainWindow *window = demo.window();
    SchemeTreeModel *model = window->schemeModel();
    RawDataModel *raw = window->rawDataModel();
    const int demoUnits = model->rowCount();
    QVERIFY(demoUnits > 5);
    QCOMPARE(raw->columnCount(), 3);

    // File ▸ Add Bus…: the replay adapter's demo bus once more, its units found by Auto add.
    demo.action("actionAutoAdd")->setChecked(true);
    window->adapterAnswer = CanHandlerFactory::Replay;
    window->choiceAnswer = 0;
    demo.action("actionAddBus")->trigger();
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join('\n')));
    QCOMPARE(window->buses()->count(), 2);
    // The tree: a row per bus at the top, each with its units; the same address on both.
    QCOMPARE(model->rowCount(), 2);
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return unitsByBus(model).value(QStringLiteral("can1")).contains("0xa0"); }, 10000));
    const QMap<QString, QStringList> buses = unitsByBus(model);
    QCOMPARE(buses.keys(), (QStringList{"can0", "can1"}));
    // The first bus's units, and those Auto add found there.
    QVERIFY(buses.value(QStringLiteral("can0")).size() >= demoUnits);
    QVERIFY(buses.value(QStringLiteral("can0")).contains("0xa0"));
    // Each row says what the bus is, as the status bar does for the first.
    QCOMPARE(model->index(0, 2).data().toString(), window->connectionText());
    QCOMPARE(model->index(1, 2).data().toString(),
             QStringLiteral("Replay (demo) on Demo bus (built in)"));

    // The raw view has a bus column and shows one bus when asked.
    QCOMPARE(raw->columnCount(), 4);
    QCOMPARE(raw->headerData(RawDataModel::BusColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Bus"));
    auto busesShown = [&] {
        QSet<QString> shown;
        for (int r = 0; r < raw->rowCount(); ++r)
            shown << raw->index(r, RawDataModel::BusColumn).data().toString();
        return shown;
    };
    QTRY_COMPARE(busesShown(), (QSet<QString>{"can0", "can1"}));
    QAction *onlyCan1 = window->findChild<QAction *>(QStringLiteral("actionRawBus_can1"));
    QVERIFY(onlyCan1);
    QVERIFY(window->findChild<QAction *>(QStringLiteral("actionRawBusFilter"))->isVisible());
    onlyCan1->trigger();
    demo.action("actionRawClear")->trigger();
    QTRY_VERIFY(raw->rowCount() > 20);
    QCOMPARE(busesShown(), QSet<QString>{"can1"});

    // Each bus has its load in the status bar.
    auto *load = window->findChild<CanLoadBar *>(QStringLiteral("canLoadBar_can1"));
    QVERIFY(load);
    QTRY_VERIFY(load->load() > 0);

    // Saved and opened again: every unit keeps its bus, the Details docks of the two units at
    // one address theirs.
    demo.action("actionAutoAdd")->setChecked(false);
    QVERIFY(demo.openDetails(unitRow(model, 0, QStringLiteral("0xa0"))));
    QVERIFY(demo.openDetails(unitRow(model, 1, QStringLiteral("0xa0"))));
    QStringList docks = window->detailsDockPaths();
    docks.sort();
    QCOMPARE(docks.size(), 2);
    QVERIFY2(docks.at(0).startsWith(QStringLiteral("a0"))
                 && docks.at(1).startsWith(QStringLiteral("bus1/a0")),
             qPrintable(docks.join(' ')));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("two-buses.tvsx"));
    window->fileAnswer = path;
    demo.action("actionSaveAs")->trigger();
    const QStringList saved = savedUnits(path);
    QVERIFY(saved.contains(QStringLiteral("0 a0")));
    QVERIFY(saved.contains(QStringLiteral("1 a0")));
    const QMap<QString, QStringList> before = unitsByBus(model);
    demo.action("actionClearScheme")->trigger();
    QCOMPARE(unitsByBus(model), (QMap<QString, QStringList>{{"can0", {}}, {"can1", {}}}));
    demo.action("actionOpen")->trigger();
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join('\n')));
    QCOMPARE(unitsByBus(model), before);
    // The closed scheme's docks go at the next turn of the event loop.
    auto reopened = [window] {
        QStringList paths = window->detailsDockPaths();
        paths.sort();
        return paths;
    };
    QTRY_COMPARE(reopened(), docks);

    // File ▸ Remove Bus on the second bus's row: one bus again, its units kept in the file.
    demo.select(model->index(1, 1));
    QVERIFY(demo.action("actionRemoveBus")->isEnabled());
    demo.action("actionRemoveBus")->trigger();
    QCOMPARE(window->buses()->count(), 1);
    QCOMPARE(model->rowCount(), before.value(QStringLiteral("can0")).size());
    QVERIFY(!model->topLevelItems().first()->isBus());
    QCOMPARE(raw->columnCount(), 3);
    demo.action("actionSave")->trigger();
    QCOMPARE(savedUnits(path), saved);
}

void tst_WindowBuses::recordingOfTwoBusesPlaysAsTwo_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("candump") << "css_FCBF0606_j1939_truck_bam.log";
    QTest::newRow("MF4") << "css_FCBF0606_j1939_truck_bam.MF4";
}

void tst_WindowBuses::recordingOfTwoBusesPlaysAsTwo()
{
    QFETCH(QString, file);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    ScriptedMainWindow *window = demo.window();
    demo.action("actionClearScheme")->trigger();
    QSignalSpy opened(window->player(), &RecordingPlayer::recordingOpened);
    window->fileAnswer = TestEnvironment::dataFile(file);
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join('\n')));

    // The truck's engine and retarder on can0, three other units on can1.
    SchemeTreeModel *model = window->schemeModel();
    const QMap<QString, QStringList> expected{{"can0", {"0x00", "0x47"}},
                                              {"can1", {"0x51", "0x52", "0xa3"}}};
    auto sorted = [&] {
        QMap<QString, QStringList> buses = unitsByBus(model);
        for (QStringList &units : buses)
            units.sort();
        return buses;
    };
    QVERIFY2(DemoBusWindow::waitFor([&] { return sorted() == expected; }, 15000),
             qPrintable(QStringList(sorted().value(QStringLiteral("can1"))).join(',')));

    // The player's controls act on both buses.
    QCOMPARE(window->buses()->added().size(), 1);
    auto *second = qobject_cast<ReplayCanHandler *>(window->buses()->added().first()->handler());
    QVERIFY(second);
    QCOMPARE(second->channel(), 1);
    demo.action("actionPlayerPause")->trigger();
    QVERIFY(second->isPaused());
    demo.action("actionPlayerPause")->trigger();
    QVERIFY(!second->isPaused());

    // Another recording of one bus: the second bus goes with the first recording.
    window->fileAnswer = TestEnvironment::dataFile("css_94C49784_nmea2000_addrclaim_request.MF4");
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    QTRY_COMPARE(window->buses()->count(), 1);
    QVERIFY(model->rowCount() == 0 || !model->topLevelItems().first()->isBus());
}

QTEST_MAIN(tst_WindowBuses)
#include "tst_windowbuses.moc"
