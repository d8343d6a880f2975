#include "app/deviationlistmodel.h"
#include "app/livebuscheck.h"
#include "buscheck/deviation.h"
#include "can/canhandlerfactory.h"
#include "can/editors/canloadbar.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/bustimelineplot.h"
#include "ui/rawdatamodel.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDockWidget>
#include <QDomDocument>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
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

// "<bus> <attribute>" of every `tag` element of a saved scheme, sorted: "1 a0" for the units'
// addresses, "1 can1.dbc" for the databases' paths.
QStringList saved(const QString &path, const QString &tag, const QString &attribute)
{
    QFile file(path);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        return {QStringLiteral("unreadable")};
    QStringList out;
    const QDomNodeList elements = doc.documentElement().elementsByTagName(tag);
    for (int i = 0; i < elements.size(); ++i) {
        const QDomElement e = elements.at(i).toElement();
        out << e.attribute(QStringLiteral("bus")) + QLatin1Char(' ') + e.attribute(attribute);
    }
    out.sort();
    return out;
}

QStringList savedDatabases(const QString &path)
{
    return saved(path, QStringLiteral("database"), QStringLiteral("path"));
}

QStringList savedUnits(const QString &path)
{
    return saved(path, QStringLiteral("device"), QStringLiteral("address"));
}

constexpr int StubAddress = 0x33;
const char *const StubFunction = "CCVS1 - Cruise Control/Vehicle Speed 1";

// The demo bus twice (File ▸ Add Bus…), under each a Stub at 0x33 that sends CCVS1, and the
// Bus check dock's controls.
struct TwoBusCheck
{
    DemoBusWindow demo;
    ScriptedMainWindow *window = nullptr;
    LiveBusCheck *check = nullptr;
    QDockWidget *dock = nullptr;
    QComboBox *chooser = nullptr;
    QLabel *status = nullptr;
    BusTimelinePlot *plot = nullptr;
    QTableView *list = nullptr;
    QPersistentModelIndex stubs[2];
    QPersistentModelIndex functions[2];

    QAction *action(const char *name) const { return demo.action(name); }
    QString keyOf(const QModelIndex &row) const
    {
        const AbstractSchemeTreeItem *node = window->schemeModel()->item(row);
        return node ? node->uniqueKey() : QString();
    }
    // The timeline's unit lanes, and those of the units below a row of the tree (the top when
    // invalid) as the check would name them.
    QSet<QString> unitLanes() const
    {
        QSet<QString> lanes;
        for (const QString &key : plot->rowKeys()) {
            if (key.startsWith(QLatin1String("unit:")))
                lanes << key;
        }
        return lanes;
    }
    QSet<QString> lanesOfUnitsBelow(const QModelIndex &parent) const
    {
        QSet<QString> lanes;
        const SchemeTreeModel *model = window->schemeModel();
        for (int r = 0; r < model->rowCount(parent); ++r)
            lanes << QStringLiteral("unit:") + keyOf(model->index(r, 0, parent));
        return lanes;
    }
    // Whether the timeline paints the lane of the unit with this key in this state.
    bool paints(const QString &unitKey, TimelineSpans::State state) const
    {
        const QString lane = QStringLiteral("unit:") + unitKey;
        plot->canvas()->grab();
        for (const BusTimelinePlot::Painted &p : plot->painted()) {
            if (p.lane == lane && p.state == state)
                return true;
        }
        return false;
    }
    // The dock's rows about an item (a unit with its functions) and of one kind (any when null).
    QList<int> rowsAbout(const QString &itemKey, const QString &kind = QString()) const
    {
        QList<int> rows;
        const QAbstractItemModel *model = list->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString key = model->index(r, 0).data(DeviationListModel::ItemKeyRole).toString();
            const bool about = key == itemKey || key.startsWith(itemKey + QLatin1Char(':'));
            if (about
                && (kind.isEmpty()
                    || model->index(r, DeviationListModel::Kind).data().toString() == kind))
                rows << r;
        }
        return rows;
    }
};

void addStub(TwoBusCheck &f, int bus)
{
    const SchemeTreeModel *model = f.window->schemeModel();
    const QModelIndex busRow = model->index(bus, 0);
    // Devices make units on the bus of the selected row.
    f.demo.select(model->index(bus, 1));
    f.window->intAnswer = StubAddress;
    QVERIFY(f.demo.addFromCatalogue(QStringLiteral("Stub")));
    QModelIndex stub;
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return (stub = f.demo.row(QStringLiteral("Stub"), busRow)).isValid(); }));
    f.demo.select(stub);
    QVERIFY(f.demo.addFromCatalogue(QLatin1String(StubFunction)));
    QModelIndex function;
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return (function = f.demo.row(QLatin1String(StubFunction), stub)).isValid(); }));
    f.stubs[bus] = stub;
    f.functions[bus] = function;
}

void setUp(TwoBusCheck &f)
{
    QVERIFY(f.demo.start());
    f.window = f.demo.window();
    f.check = f.window->findChild<LiveBusCheck *>(QStringLiteral("liveBusCheck"));
    f.dock = f.window->findChild<QDockWidget *>(QStringLiteral("busCheckDock"));
    QVERIFY(f.check && f.dock);
    f.chooser = f.dock->findChild<QComboBox *>(QStringLiteral("busCheckBus"));
    f.status = f.dock->findChild<QLabel *>(QStringLiteral("busCheckStatus"));
    f.plot = f.dock->findChild<BusTimelinePlot *>(QStringLiteral("busCheckTimeline"));
    f.list = f.dock->findChild<QTableView *>(QStringLiteral("busCheckDeviations"));
    QVERIFY(f.chooser && f.status && f.plot && f.list);
    // Learning stretches of half a second; the check moves on every 50 ms.
    f.check->setStretchLength(500);
    f.check->setAdvanceInterval(50);
    // One bus: nothing to choose.
    QVERIFY(!f.chooser->isVisibleTo(f.dock));

    f.window->adapterAnswer = CanHandlerFactory::Replay;
    f.window->choiceAnswer = 0;
    f.action("actionAddBus")->trigger();
    QVERIFY2(f.window->errors.isEmpty(), qPrintable(f.window->errors.join('\n')));
    QVERIFY(f.chooser->isVisibleTo(f.dock));
    QStringList offered;
    for (int i = 0; i < f.chooser->count(); ++i)
        offered << f.chooser->itemText(i);
    QCOMPARE(offered, (QStringList{"can0", "can1"}));
    QCOMPARE(f.chooser->currentText(), QStringLiteral("can0"));
    addStub(f, 0);
    addStub(f, 1);
    // The same address, a unit on each bus: the second's key names its bus.
    QCOMPARE(f.keyOf(f.stubs[1]), QStringLiteral("bus1/") + f.keyOf(f.stubs[0]));
}

// Bus check ▸ Learn from the last minutes… (two of them) on the chosen bus, then both Stubs
// fall silent: only the chosen bus's Stub shows, in the list, in the tree and in the report.
void learnThenSilence(TwoBusCheck &f, int chosen)
{
    const int other = 1 - chosen;
    const QString bus = f.chooser->itemText(chosen);
    const QString chosenKey = f.keyOf(f.stubs[chosen]);
    const QString otherKey = f.keyOf(f.stubs[other]);
    QVERIFY(DemoBusWindow::waitFor([&] { return f.check->stretchCount() >= 4; }, 8000));
    ModalAnswerer answer([](QWidget *dialog) {
        dialog->findChild<QSpinBox *>(QStringLiteral("learnMinutes"))->setValue(2);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("learnMargin"))->setValue(10);
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("learnButtons"));
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    f.action("actionBusCheckLearn")->trigger();
    QVERIFY(answer.answered());
    QTRY_VERIFY(!f.check->isLearning());
    const QString learned = f.window->statusBar()->currentMessage();
    QVERIFY2(learned.contains(QStringLiteral("learned from the last 2 min")), qPrintable(learned));
    // What the chosen bus's Stub sent was learned; the other bus's Stub was not looked at.
    const SchemeTreeModel *model = f.window->schemeModel();
    QVERIFY(!model->item(f.functions[chosen])->displayable()->expectation().isEmpty());
    QVERIFY(model->item(f.functions[other])->displayable()->expectation().isEmpty());
    QVERIFY(f.action("actionBusCheckRun")->isChecked());
    QTRY_COMPARE(f.unitLanes(), f.lanesOfUnitsBelow(model->index(chosen, 0)));
    QVERIFY2(f.status->text().startsWith(QStringLiteral("Bus %1: Checking for").arg(bus)),
             qPrintable(f.status->text()));

    // The chosen bus's Stub shows green on its lane while it sends.
    QTRY_VERIFY(f.paints(chosenKey, TimelineSpans::AsExpected));

    // The other bus's Stub falls silent first, then the chosen one's.
    f.demo.select(f.stubs[other]);
    f.action("actionReceive")->trigger();
    f.demo.select(f.stubs[chosen]);
    f.action("actionReceive")->trigger();
    const QString silent = Deviation::kindText(Deviation::Silent);
    QTRY_VERIFY_WITH_TIMEOUT(!f.rowsAbout(chosenKey, silent).isEmpty(), 5000);
    QCOMPARE(f.rowsAbout(otherKey), QList<int>());
    QTRY_VERIFY(f.paints(chosenKey, TimelineSpans::Silent));

    // The deviation chosen in the list selects the Stub under the chosen bus's row.
    f.demo.select(model->index(other, 1));
    const int row = f.rowsAbout(chosenKey, silent).first();
    const QModelIndex cell = f.list->model()->index(row, DeviationListModel::Unit);
    f.list->scrollTo(cell);
    QTest::mouseClick(f.list->viewport(), Qt::LeftButton, {}, f.list->visualRect(cell).center());
    QTRY_COMPARE(f.keyOf(f.window->mainView()->currentIndex()), chosenKey);
    const QModelIndex parent = f.window->mainView()->currentIndex().parent();
    QCOMPARE(parent.sibling(parent.row(), 1).data().toString(), bus);

    // The report names the bus on every deviation.
    QTemporaryDir dir;
    f.window->fileAnswer = dir.filePath(QStringLiteral("check.json"));
    f.action("actionBusCheckSaveReport")->trigger();
    QVERIFY2(f.window->errors.isEmpty(), qPrintable(f.window->errors.join('\n')));
    QFile saved(f.window->fileAnswer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QJsonArray deviations = QJsonDocument::fromJson(saved.readAll())
                                      .object()
                                      .value(QStringLiteral("deviations"))
                                      .toArray();
    QVERIFY(!deviations.isEmpty());
    bool stubSilent = false;
    for (const QJsonValue &v : deviations) {
        const QJsonObject o = v.toObject();
        QCOMPARE(o.value(QStringLiteral("bus")).toString(), bus);
        stubSilent = stubSilent
                     || (o.value(QStringLiteral("item")).toString() == chosenKey
                         && o.value(QStringLiteral("kind")).toString()
                                == Deviation::keyword(Deviation::Silent));
    }
    QVERIFY(stubSilent);
}

} // namespace

// Several buses in one window: File ▸ Add Bus…, a recording of two buses, their rows, raw
// frames, loads, scheme files and the bus check of the bus chosen in its dock.
class tst_WindowBuses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameAddressOnTwoBuses();
    void busCheckWatchesTheChosenBus_data();
    void busCheckWatchesTheChosenBus();
    void flasherJoinsTheSelectedBus();
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
    // A function two levels down still shows its state: its icon fits the state column.
    QTreeView *view = window->mainView();
    const QModelIndex controller = unitRow(model, 1, QStringLiteral("0xa0")).siblingAtColumn(0);
    QTRY_VERIFY(model->rowCount(controller) > 0);
    view->expand(controller);
    const QRect function = view->visualRect(model->index(0, 0, controller));
    const int icon = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
    QVERIFY2(function.left() + icon <= view->columnWidth(0),
             qPrintable(QStringLiteral("icon at %1, column %2 wide")
                            .arg(function.left())
                            .arg(view->columnWidth(0))));

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
    // can1 decodes with a database of its own, which the file keeps for bus 1.
    const QString dbc = dir.filePath(QStringLiteral("can1.dbc"));
    QVERIFY(QFile::copy(TestEnvironment::dataFile(QStringLiteral("css_j1939_demo.dbc")), dbc));
    ModalAnswerer databases([&](QWidget *d) {
        d->findChild<QComboBox *>(QStringLiteral("databasesBus"))->setCurrentIndex(1);
        window->fileAnswer = dbc;
        d->findChild<QPushButton *>(QStringLiteral("databasesAdd"))->click();
        ModalAnswerer::accept()(d);
    });
    demo.action("actionDatabases")->trigger();
    QVERIFY(databases.answered());
    const QString path = dir.filePath(QStringLiteral("two-buses.tvsx"));
    window->fileAnswer = path;
    demo.action("actionSaveAs")->trigger();
    QCOMPARE(savedDatabases(path), QStringList{QStringLiteral("1 can1.dbc")});
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
    // The removed bus's database stays in the file, found from another folder too.
    QCOMPARE(savedDatabases(path), QStringList{QStringLiteral("1 can1.dbc")});
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("elsewhere")));
    window->fileAnswer = dir.filePath(QStringLiteral("elsewhere/two-buses.tvsx"));
    demo.action("actionSaveAs")->trigger();
    QCOMPARE(savedDatabases(window->fileAnswer), QStringList{QStringLiteral("1 ../can1.dbc")});
}

void tst_WindowBuses::busCheckWatchesTheChosenBus_data()
{
    QTest::addColumn<QString>("bus");
    QTest::addColumn<QString>("then");
    QTest::newRow("can1 learned and checked") << "can1" << "silence";
    QTest::newRow("can0 learned and checked beside can1") << "can0" << "silence";
    QTest::newRow("choosing can0 stops the check of can1") << "can1" << "choose can0";
    QTest::newRow("can1 removed while checked") << "can1" << "remove";
}

void tst_WindowBuses::busCheckWatchesTheChosenBus()
{
    QFETCH(QString, bus);
    QFETCH(QString, then);
    TwoBusCheck f;
    setUp(f);
    if (QTest::currentTestFailed())
        return;
    const SchemeTreeModel *model = f.window->schemeModel();
    const int chosen = f.chooser->findText(bus);
    QVERIFY(chosen >= 0);
    f.chooser->setCurrentIndex(chosen);
    if (chosen > 0) {
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 QStringLiteral("The bus check watches %1 now; learning starts over").arg(bus));
        QCOMPARE(f.check->stretchCount(), 0);
    }
    if (then == QLatin1String("silence")) {
        learnThenSilence(f, chosen);
        return;
    }

    // Bus check ▸ Check the bus: a lane for each unit of can1, none of can0's.
    QAction *run = f.action("actionBusCheckRun");
    run->trigger();
    QVERIFY(f.check->isRunning());
    QTRY_COMPARE(f.unitLanes(), f.lanesOfUnitsBelow(model->index(chosen, 0)));
    const QString stubKeys[2] = {f.keyOf(f.stubs[0]), f.keyOf(f.stubs[1])};
    QVERIFY(!f.unitLanes().contains(QStringLiteral("unit:") + stubKeys[0]));
    // can1's frames reach the check: its Stub is green.
    QTRY_VERIFY(f.paints(stubKeys[1], TimelineSpans::AsExpected));
    const QString stopped
        = QStringLiteral("The bus check watches can0 now; the running check stopped and learning "
                         "starts over");
    const bool removed = then == QLatin1String("remove");
    if (removed) {
        // File ▸ Remove Bus on can1's row: the check goes back to can0, the only bus.
        f.demo.select(model->index(1, 1));
        f.action("actionRemoveBus")->trigger();
        QCOMPARE(f.window->buses()->count(), 1);
        QVERIFY(!f.chooser->isVisibleTo(f.dock));
    } else {
        f.chooser->setCurrentIndex(0);
        QCOMPARE(f.check->stretchCount(), 0);
        // The list stays, saying whose it is.
        QVERIFY2(f.status->text().startsWith(QStringLiteral("Bus can1: Check ended after")),
                 qPrintable(f.status->text()));
    }
    QCOMPARE(f.window->statusBar()->currentMessage(), stopped);
    QVERIFY(!run->isChecked());
    QVERIFY(!f.check->isRunning());
    run->trigger();
    QTRY_COMPARE(f.unitLanes(), f.lanesOfUnitsBelow(removed ? QModelIndex() : model->index(0, 0)));
    // With one bus left the status names none.
    QVERIFY2(f.status->text().startsWith(removed ? QStringLiteral("Checking for")
                                                 : QStringLiteral("Bus can0: Checking for")),
             qPrintable(f.status->text()));
    // can0's frames reach the check again: its Stub is green.
    QTRY_VERIFY(f.paints(stubKeys[0], TimelineSpans::AsExpected));
}

// Device ▸ Add flasher with a row of can1 selected: the tool unit is can1's, can0 has none.
void tst_WindowBuses::flasherJoinsTheSelectedBus()
{
    TwoBusCheck f;
    setUp(f);
    if (QTest::currentTestFailed())
        return;
    const QString tool = QStringLiteral("Off-board diagnostic unit");
    const SchemeTreeModel *model = f.window->schemeModel();
    f.demo.select(f.stubs[1]);
    f.action("actionAddFlasher")->trigger();
    QVERIFY2(f.window->errors.isEmpty(), qPrintable(f.window->errors.join('\n')));
    QVERIFY(DemoBusWindow::waitFor([&] { return f.demo.row(tool, model->index(1, 0)).isValid(); }));
    QVERIFY(!f.demo.row(tool, model->index(0, 0)).isValid());
    // It is selected, and a second Add flasher on can1 finds it instead of making another.
    const QPersistentModelIndex added = f.demo.row(tool, model->index(1, 0));
    QCOMPARE(f.window->mainView()->currentIndex().internalPointer(), added.internalPointer());
    f.demo.select(f.stubs[1]);
    f.action("actionAddFlasher")->trigger();
    QCOMPARE(f.window->mainView()->currentIndex().internalPointer(), added.internalPointer());
    QCOMPARE(model->rowCount(model->index(1, 0)), 2);
}

QTEST_MAIN(tst_WindowBuses)
#include "tst_windowbuses.moc"
