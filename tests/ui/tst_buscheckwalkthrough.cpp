#include "app/deviationlistmodel.h"
#include "app/livebuscheck.h"
#include "buscheck/buschecker.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/bustimelineplot.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <QTreeView>
#include <QtTest>

namespace {

constexpr quint32 StandInAddress = 0x33;
const char *const StandInFunction = "CCVS1 - Cruise Control/Vehicle Speed 1";

QAction *menuAction(DemoBusWindow &demo, const char *name)
{
    auto *menu = demo.window()->menuBar()->findChild<QMenu *>(QStringLiteral("menuBusCheck"));
    if (!menu)
        return nullptr;
    for (QAction *a : menu->actions()) {
        if (a->objectName() == QLatin1String(name))
            return a;
    }
    return nullptr;
}

QString keyOf(DemoBusWindow &demo, const QModelIndex &row)
{
    const AbstractSchemeTreeItem *node = demo.window()->schemeModel()->item(row);
    return node ? node->uniqueKey() : QString();
}

// Every item's expectation in the scheme tree, by the item's key.
void collectExpectations(const QList<AbstractSchemeTreeItem *> &nodes,
                         QHash<QString, ItemExpectation> *out)
{
    for (const AbstractSchemeTreeItem *node : nodes) {
        if (node->displayable())
            out->insert(node->uniqueKey(), node->displayable()->expectation());
        collectExpectations(node->childNodes(), out);
    }
}

QHash<QString, ItemExpectation> expectations(DemoBusWindow &demo)
{
    QHash<QString, ItemExpectation> out;
    collectExpectations(demo.window()->schemeModel()->topLevelItems(), &out);
    return out;
}

} // namespace

// As a new user on the demo bus: a stand-in unit sends, Bus check ▸ Learn learns the bus and
// starts the check, the stand-in falls silent and shows red on its lane and in the list; the
// deviation chosen in the list selects the unit in the tree; the report is saved.
class tst_BusCheckWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void standInFallsSilent_data();
    void standInFallsSilent();
};

void tst_BusCheckWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikBusCheckWalkthroughTest"));
}

void tst_BusCheckWalkthrough::standInFallsSilent_data()
{
    QTest::addColumn<QString>("silence");
    QTest::newRow("Delete the function") << "actionDeleteDevice";
    QTest::newRow("Receive on the unit") << "actionReceive";
}

void tst_BusCheckWalkthrough::standInFallsSilent()
{
    QFETCH(QString, silence);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    ScriptedMainWindow *window = demo.window();
    auto *check = window->findChild<LiveBusCheck *>(QStringLiteral("liveBusCheck"));
    QVERIFY(check);
    // Learning stretches of half a second instead of a minute; the check moves on every 50 ms.
    check->setStretchLength(500);
    check->setAdvanceInterval(50);

    // The stand-in: a stub at 0x33 that sends CCVS1 every 100 ms.
    window->intAnswer = int(StandInAddress);
    QVERIFY(demo.addFromCatalogue(QStringLiteral("Stub")));
    const QModelIndex unit = demo.waitRow(QStringLiteral("Stub"));
    demo.select(unit);
    QVERIFY(demo.addFromCatalogue(QLatin1String(StandInFunction)));
    const QModelIndex function = demo.waitRow(QLatin1String(StandInFunction), unit);
    const QString unitKey = keyOf(demo, unit);
    AbstractDisplayableItem *sender = demo.item(function);
    QVERIFY(sender);
    const int period = sender->transmissionInterval();
    QVERIFY(period > 0);
    // Four stretches of its traffic, so the last two lengths are all stand-in.
    const int stretches = check->stretchCount();
    QVERIFY(DemoBusWindow::waitFor([&] { return check->stretchCount() >= stretches + 4; }, 8000));

    // Bus check ▸ Learn from the last minutes…: two of them, margin 10 %.
    QAction *learn = menuAction(demo, "actionBusCheckLearn");
    QAction *run = menuAction(demo, "actionBusCheckRun");
    QVERIFY(learn && run);
    QVERIFY(!run->isChecked());
    const ModalAnswerer::Answer twoMinutes = [](QWidget *dialog) {
        dialog->findChild<QSpinBox *>(QStringLiteral("learnMinutes"))->setValue(2);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("learnMargin"))->setValue(10);
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("learnButtons"));
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    };
    // The learning runs while the window goes on: the status bar tells it, and Cancel stops it
    // with nothing learned.
    auto *cancel = window->statusBar()->findChild<QPushButton *>(QStringLiteral("learningCancel"));
    QVERIFY(cancel);
    const auto learnTwoMinutes
        = [&] { return ModalAnswerer::run(twoMinutes, [learn] { learn->trigger(); }); };
    QVERIFY(learnTwoMinutes());
    QVERIFY(cancel->isVisible());
    QVERIFY(!learn->isEnabled());
    QCOMPARE(window->statusBar()->currentMessage(),
             QStringLiteral("Learning from the last 2 min…"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!cancel->isVisible());
    QVERIFY(learn->isEnabled());
    QCOMPARE(window->statusBar()->currentMessage(),
             QStringLiteral("Learning cancelled; the expectations are as they were"));
    // Nor does the stopped worker's late result write anything when it comes.
    QTRY_VERIFY(check->findChildren<QThread *>().isEmpty());
    QVERIFY(sender->expectation().isEmpty());
    QVERIFY(!run->isChecked());
    QVERIFY(learnTwoMinutes());
    QVERIFY(cancel->isVisible());
    QTRY_VERIFY(!cancel->isVisible());
    QVERIFY(learn->isEnabled());
    // The period the stand-in showed on the bus: its own, give or take its timer's jitter.
    const int learned = sender->expectation().periodMs;
    QVERIFY2(qAbs(learned - period) <= period / 10, qPrintable(QString::number(learned)));
    QTRY_VERIFY(window->schemeDocument()->isModified());
    // The demo's second engine (0x01) is on the bus but not in the example scheme: the status
    // bar says the check will call it unexpected.
    const QString status = window->statusBar()->currentMessage();
    QVERIFY2(status.contains(QStringLiteral("not in the scheme: 01")),
             qPrintable(status));
    QVERIFY(run->isChecked());
    QVERIFY(check->isRunning());
    auto *dock = DemoBusWindow::find<QDockWidget>(window, "busCheckDock");
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    auto *plot = DemoBusWindow::find<BusTimelinePlot>(dock, "busCheckTimeline");
    auto *list = DemoBusWindow::find<QTableView>(dock, "busCheckDeviations");
    auto *details = DemoBusWindow::find<QTextEdit>(dock, "busCheckDeviationDetails");
    QVERIFY(plot && list && details);
    const QString unitLane = QStringLiteral("unit:") + unitKey;
    QTRY_VERIFY(plot->rowKeys().contains(unitLane));
    // While it sends, the stand-in is as expected.
    QTest::qWait(3 * period);
    auto silentRow = [&]() {
        const QAbstractItemModel *model = list->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const Deviation &d = check->checker()->deviations().at(row);
            if (d.lane == unitLane && d.kind == Deviation::Silent)
                return row;
        }
        return -1;
    };
    QCOMPARE(silentRow(), -1);

    // The user silences it: its function deleted, or the unit set to Receive.
    demo.select(silence == QLatin1String("actionDeleteDevice") ? function : unit);
    QElapsedTimer silenced;
    silenced.start();
    demo.action(qPrintable(silence))->trigger();
    const qint64 limitMs = BusChecker::silentLimitUs(period) / 1000;
    QTRY_VERIFY_WITH_TIMEOUT(silentRow() >= 0, int(limitMs) + 3000);
    // Within its tolerance: the limit, the notifier's lag and a tick of the check, and slack
    // for a loaded machine.
    const qint64 shownMs = silenced.elapsed();
    qInfo("The silence showed %lld ms after the stand-in stopped (limit %lld ms)", shownMs,
          limitMs);
    QVERIFY2(shownMs < limitMs + LiveBusCheck::DefaultLagMs + 1500,
             qPrintable(QString::number(shownMs)));

    // Red on its lane, in the picture.
    QVector<BusTimelinePlot::Painted> red;
    QTRY_VERIFY([&] {
        plot->canvas()->grab();
        red.clear();
        for (const BusTimelinePlot::Painted &p : plot->painted()) {
            if (p.lane == unitLane && p.state == TimelineSpans::Silent)
                red << p;
        }
        return !red.isEmpty();
    }());
    const QImage image = plot->canvas()->grab().toImage();
    QCOMPARE(image.pixelColor((red.last().x0 + red.last().x1) / 2, red.last().y),
             TimelineSpans::colour(TimelineSpans::Silent));

    // The deviation chosen in the list: its details show, the tree selects the stand-in.
    demo.select(demo.row(QStringLiteral("Controller")));
    const int row = silentRow();
    const QModelIndex cell = list->model()->index(row, DeviationListModel::Unit);
    list->scrollTo(cell);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(cell).center());
    QCOMPARE(list->currentIndex().row(), row);
    QVERIFY(details->toPlainText().contains(Deviation::kindText(Deviation::Silent)));
    QTRY_COMPARE(keyOf(demo, window->mainView()->currentIndex()), unitKey);

    // A click on the stand-in's lane selects it too, and shows its function's lane below it.
    demo.select(demo.row(QStringLiteral("Controller")));
    const int lanes = plot->rowKeys().size();
    QTest::mouseClick(plot->canvas(), Qt::LeftButton, {}, plot->rowPoint(plot->rowOf(unitLane)));
    QTRY_COMPARE(keyOf(demo, window->mainView()->currentIndex()), unitKey);
    QCOMPARE(plot->rowKeys().size(), lanes + 1);
    QCOMPARE(plot->rowKeys().at(plot->rowOf(unitLane) + 1).left(5), QStringLiteral("func:"));
    // The legend names every colour.
    auto *legend = dock->findChild<QWidget *>(QStringLiteral("busCheckLegend"));
    QVERIFY(legend);
    for (int state = 0; state < TimelineSpans::StateCount; ++state) {
        auto *text = legend->findChild<QLabel *>(QStringLiteral("busCheckLegend%1").arg(state));
        QVERIFY(text);
        QCOMPARE(text->text(), TimelineSpans::stateText(TimelineSpans::State(state)));
    }

    // Bus check ▸ Save check report… as JSON: the silence is in it.
    QTemporaryDir dir;
    window->fileAnswer = dir.filePath(QStringLiteral("check.json"));
    menuAction(demo, "actionBusCheckSaveReport")->trigger();
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join(QLatin1Char('\n'))));
    QFile saved(window->fileAnswer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QJsonArray deviations = QJsonDocument::fromJson(saved.readAll())
                                      .object()
                                      .value(QStringLiteral("deviations"))
                                      .toArray();
    bool found = false;
    for (const QJsonValue &v : deviations) {
        found = found
                || v.toObject().value(QStringLiteral("kind")).toString()
                       == Deviation::keyword(Deviation::Silent);
        // One bus: the report names none, and the dock offers none to choose.
        QVERIFY(!v.toObject().contains(QStringLiteral("bus")));
    }
    QVERIFY(found);
    auto *chooser = dock->findChild<QComboBox *>(QStringLiteral("busCheckBus"));
    QVERIFY(chooser);
    QVERIFY(!chooser->isVisibleTo(dock));

    // Unchecking stops the check; the list stays.
    run->trigger();
    QVERIFY(!check->isRunning());
    QVERIFY(list->model()->rowCount() > row);

    // What was learned is saved with the scheme and comes back when it opens.
    const QHash<QString, ItemExpectation> learnedAll = expectations(demo);
    QVERIFY(!learnedAll.value(unitKey).isEmpty());
    window->fileAnswer = dir.filePath(QStringLiteral("learned.tvsx"));
    demo.action("actionSaveAs")->trigger();
    QTRY_VERIFY(!window->schemeDocument()->isModified());
    window->fileAnswer = dir.filePath(QStringLiteral("learned.tvsx"));
    demo.action("actionOpen")->trigger();
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join(QLatin1Char('\n'))));
    QTRY_VERIFY(demo.row(QStringLiteral("Stub")).isValid());
    const QHash<QString, ItemExpectation> reopened = expectations(demo);
    for (auto it = learnedAll.cbegin(); it != learnedAll.cend(); ++it)
        QVERIFY2(reopened.value(it.key()) == it.value(), qPrintable(it.key()));
    QVERIFY(!window->schemeDocument()->isModified());
}

QTEST_MAIN(tst_BusCheckWalkthrough)
#include "tst_buscheckwalkthrough.moc"
