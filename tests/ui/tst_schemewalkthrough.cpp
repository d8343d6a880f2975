#include "can/canhandlerfactory.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/plottable.h"
#include "ui/editors/plotwidget.h"
#include "ui/editors/plotzoomer.h"
#include "ui/rawdatamodel.h"

#include <QAction>
#include <QDockWidget>
#include <QDomDocument>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <qwt_plot.h>

namespace {

// The engine's EEC1 in the example scheme: received every 20 ms on the demo bus.
const QString Eec1Path = QStringLiteral("0engine1:f004eec1");
const QString EnginePath = QStringLiteral("0engine1");

void drag(QWidget *canvas, const QPoint &from, const QPoint &to)
{
    QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(canvas, &press);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(canvas, &release);
}

} // namespace

// The README's scheme-file, plot and period steps on the demo bus, through the window.
class tst_SchemeWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void exampleSchemeOpensUnchanged();
    void savedSchemeOpensUnchanged();
    void saveNeverWritesTheExample();
    void plotZoomAndExport();
    void periodShownAndKept();
    void zeroPeriodEndsSupervision();
    void schemeOfTwoBusesKeepsTheOtherBus();

private:
    QModelIndex rowOf(const QString &path) const;
    int shownPeriod(const QString &path) const;

    std::unique_ptr<DemoBusWindow> m_demo;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_SchemeWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikSchemeWalkthroughTest"));
}

void tst_SchemeWalkthrough::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_demo = std::make_unique<DemoBusWindow>();
    QVERIFY(m_demo->start());
    m_demo->window()->schemeDocument()->setCheckDelay(10);
}

void tst_SchemeWalkthrough::cleanup()
{
    m_demo.reset();
    QSettings().clear();
}

QModelIndex tst_SchemeWalkthrough::rowOf(const QString &path) const
{
    SchemeTreeModel *model = m_demo->window()->schemeModel();
    return model->index(model->getItemForPath(path), 0);
}

int tst_SchemeWalkthrough::shownPeriod(const QString &path) const
{
    return rowOf(path).siblingAtColumn(4).data().toInt();
}

void tst_SchemeWalkthrough::exampleSchemeOpensUnchanged()
{
    ScriptedMainWindow *window = m_demo->window();
    // Traffic, address claims and the units' answers arrive: none of it is the engineer's change.
    QVERIFY(DemoBusWindow::waitFor([&] { return window->rawDataModel()->rowCount() > 500; }));
    QTest::qWait(1500);
    QVERIFY(!window->schemeDocument()->check());
    QVERIFY(!window->isWindowModified());
    QVERIFY(window->windowTitle().startsWith(QStringLiteral("demo.tvsx[*]")));
    // Exit closes the window and then quits; quitting would end every later event loop of this
    // test program, so the closing, where the question would come, is done alone.
    QVERIFY(window->close());
    QVERIFY(!window->asked.join(QLatin1Char('\n')).contains(QStringLiteral("save changes")));
    QVERIFY(!window->isVisible());
}

void tst_SchemeWalkthrough::savedSchemeOpensUnchanged()
{
    // With Auto add on, units and functions the traffic brings join the scheme as it runs: they
    // come back with the traffic and are not the engineer's change.
    ScriptedMainWindow *window = m_demo->window();
    m_demo->action("actionAutoAdd")->setChecked(true);
    QVERIFY(DemoBusWindow::waitFor([&] { return window->rawDataModel()->rowCount() > 500; }));
    const QString path = m_dir->filePath(QStringLiteral("test1.tvsx"));
    QVERIFY(m_demo->saveAndReopen(path, false));
    QCOMPARE(window->schemeDocument()->filePath(), path);
    const int rows = window->schemeModel()->rowCount();
    QTest::qWait(2000);
    QVERIFY(!window->schemeDocument()->check());
    QVERIFY(!window->isWindowModified());
    QVERIFY(window->close());
    QVERIFY(!window->asked.join(QLatin1Char('\n')).contains(QStringLiteral("save changes")));
    QVERIFY(window->schemeModel()->rowCount() >= rows);
}

void tst_SchemeWalkthrough::saveNeverWritesTheExample()
{
    ScriptedMainWindow *window = m_demo->window();
    const QModelIndex engine = rowOf(EnginePath);
    QVERIFY(engine.isValid());
    m_demo->select(engine);
    window->textAnswer = QStringLiteral("Main engine");
    m_demo->action("actionRename")->trigger();
    QTRY_VERIFY(window->isWindowModified());

    // Save on the example shipped with the program asks where, like Save As.
    const QString mine = m_dir->filePath(QStringLiteral("mine"));
    window->fileAnswer = mine;
    window->asked.clear();
    m_demo->action("actionSave")->trigger();
    QCOMPARE(window->asked, QStringList{QStringLiteral("Save scheme|Tarvik scheme XML (*.tvsx)")});
    const QString mineFile = mine + QStringLiteral(".tvsx");
    QCOMPARE(window->schemeDocument()->filePath(), mineFile);
    QVERIFY(!window->isWindowModified());
    QVERIFY(window->windowTitle().startsWith(QStringLiteral("mine.tvsx[*]")));

    // Save on a file of one's own writes it without a question.
    window->textAnswer = QStringLiteral("Main engine, again");
    m_demo->action("actionRename")->trigger();
    QTRY_VERIFY(window->isWindowModified());
    window->asked.clear();
    m_demo->action("actionSave")->trigger();
    QVERIFY(window->asked.isEmpty());
    QVERIFY(!window->isWindowModified());
    QFile saved(mineFile);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("Main engine, again"));

    // Save As always asks and moves on to the new file.
    const QString copy = m_dir->filePath(QStringLiteral("copy.tvsx"));
    window->fileAnswer = copy;
    QCOMPARE(m_demo->action("actionSaveAs")->shortcut(),
             QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    m_demo->action("actionSaveAs")->trigger();
    QCOMPARE(window->asked.size(), 1);
    QVERIFY(QFile::exists(copy));
    QCOMPARE(window->schemeDocument()->filePath(), copy);
}

void tst_SchemeWalkthrough::plotZoomAndExport()
{
    ScriptedMainWindow *window = m_demo->window();
    const QModelIndex eec1 = rowOf(Eec1Path);
    QVERIFY(eec1.isValid());
    m_demo->select(eec1);
    m_demo->action("actionPlot")->trigger();
    PlotDocks *docks = window->plotDocks();
    QCOMPARE(docks->docks().size(), 1);
    QDockWidget *dock = docks->docks().first();
    QTRY_VERIFY(dock->isVisible());
    // The plot gets the bottom area's width, and the scheme tree keeps room.
    QTRY_VERIFY(dock->width() > window->width() / 2);
    QVERIFY(window->mainView()->height() >= window->height() / 4);
    auto *plot = qobject_cast<PlotWidget *>(dock->widget());
    QVERIFY(plot);
    QTRY_VERIFY(plot->table().rowCount() > 20);

    // A drag zooms the time axis; the value axis keeps every curve in view.
    QwtPlot *panel = plot->panels().first();
    QWidget *canvas = panel->canvas();
    const QRect r = canvas->rect();
    drag(canvas, QPoint(r.width() / 2, r.height() - 5), QPoint(r.width() - 5, r.height() - 2));
    QVERIFY(plot->isPaused());
    double low = 0;
    double high = 0;
    QVERIFY(plot->table().valueRange(0, &low, &high));
    const QwtInterval y = panel->axisInterval(QwtPlot::yLeft);
    QVERIFY2(y.minValue() <= low && y.maxValue() >= high,
             qPrintable(QStringLiteral("%1..%2 outside %3..%4")
                            .arg(low)
                            .arg(high)
                            .arg(y.minValue())
                            .arg(y.maxValue())));

    // Both exports under one name typed without an extension: two files, each with its own.
    const QString name = m_dir->filePath(QStringLiteral("engine"));
    QAction *png = DemoBusWindow::find<QAction>(plot, "plotExportPngAction");
    QVERIFY(ModalAnswerer::run(ModalAnswerer::chooseFile(name), [png] { png->trigger(); }));
    {
        ModalAnswerer answer(ModalAnswerer::chooseFile(name));
        plot->findChild<QAction *>(QStringLiteral("plotExportCsvAction"))->trigger();
        QVERIFY(answer.answered());
        QVERIFY(!answer.title().isEmpty());
    }
    QVERIFY(!QImage(name + QStringLiteral(".png")).isNull());
    const QByteArray header
        = TestEnvironment::readFile(name + QStringLiteral(".csv")).split('\n').first().trimmed();
    const AbstractDisplayableItem *item
        = window->schemeModel()->getItemForPath(Eec1Path)->displayable();
    const QByteArray expected
        = QStringLiteral("Time,%1 / %2 / ").arg(item->parentItem()->name(), item->name()).toUtf8();
    QVERIFY2(header.startsWith(expected), header.constData());
    QVERIFY(!header.contains("f004eec1"));
}

void tst_SchemeWalkthrough::periodShownAndKept()
{
    ScriptedMainWindow *window = m_demo->window();
    const QModelIndex eec1 = rowOf(Eec1Path);
    QVERIFY(eec1.isValid());
    // The unit's dialog starts at its functions' common period.
    m_demo->select(rowOf(EnginePath));
    window->accept = false;
    window->intAnswer = 333;
    m_demo->action("actionSetTransmissionInterval")->trigger();
    const QStringList unitQuestion = window->asked.last().split(QLatin1Char('|'));
    QCOMPARE(unitQuestion.value(0), QStringLiteral("Period"));
    QVERIFY(unitQuestion.value(2).toInt() > 0);
    // Cancelled: no period is set.
    QVERIFY(!window->statusBar()->currentMessage().contains(QStringLiteral("333")));
    window->accept = true;

    m_demo->select(eec1);
    window->intAnswer = 250;
    m_demo->action("actionSetTransmissionInterval")->trigger();
    QTRY_COMPARE(shownPeriod(Eec1Path), 250);
    QVERIFY(window->statusBar()->currentMessage().contains(QStringLiteral("250")));

    const QString path = m_dir->filePath(QStringLiteral("period.tvsx"));
    window->fileAnswer = path;
    m_demo->action("actionSave")->trigger();
    QVERIFY(QFile::exists(path));
    m_demo->action("actionOpen")->trigger();
    QCOMPARE(window->asked.last(), QStringLiteral("Open scheme|Tarvik scheme XML (*.tvsx)"));
    QVERIFY(window->errors.isEmpty());
    QCOMPARE(window->schemeDocument()->filePath(), path);
    QTRY_COMPARE(shownPeriod(Eec1Path), 250);
}

void tst_SchemeWalkthrough::zeroPeriodEndsSupervision()
{
    ScriptedMainWindow *window = m_demo->window();
    const QModelIndex eec1 = rowOf(Eec1Path);
    AbstractDisplayableItem *item = window->schemeModel()->getItemForPath(Eec1Path)->displayable();
    QVERIFY(DemoBusWindow::waitFor([&] { return item->totalEvents() > 10; }));
    m_demo->select(eec1);
    window->intAnswer = 0;
    m_demo->action("actionSetTransmissionInterval")->trigger();
    QVERIFY(window->statusBar()->currentMessage().contains(QStringLiteral("not checked")));
    QTRY_COMPARE(shownPeriod(Eec1Path), 0);
    // Frames keep arriving: the function stays received, never late or missing.
    const qint64 before = item->totalEvents();
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 1000) {
        QTest::qWait(50);
        QCOMPARE(item->state(), int(AbstractDisplayableItem::ReceiveOk));
    }
    QVERIFY(item->totalEvents() > before);
}

void tst_SchemeWalkthrough::schemeOfTwoBusesKeepsTheOtherBus()
{
    // As the console's learn writes a scheme of two buses: an engine at 0x00 on each.
    const QString path = m_dir->filePath(QStringLiteral("two-buses.tvsx"));
    QVERIFY(TestEnvironment::writeFile(path, R"(<devices version="2">
  <device bus="1" internal="true" type="j1939" address="0" key="unknown_device">
    <name>Second engine</name>
  </device>
  <device bus="0" internal="true" type="j1939" address="0" key="unknown_device">
    <name>First engine</name>
  </device>
  <device bus="1" internal="true" type="j1939" address="3" key="unknown_device">
    <name>Second gearbox</name>
  </device>
</devices>
)"));
    ScriptedMainWindow *window = m_demo->window();
    window->fileAnswer = path;
    m_demo->action("actionOpen")->trigger();
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join('\n')));
    // The window shows the first bus and says what it keeps.
    SchemeTreeModel *model = window->schemeModel();
    QStringList shown;
    for (AbstractSchemeTreeItem *node : model->topLevelItems())
        shown << node->displayable()->name();
    QCOMPARE(shown, QStringList{QStringLiteral("First engine")});
    QCOMPARE(window->statusBar()->currentMessage(),
             QStringLiteral("Showing bus can0; units of other buses kept in the file: 2"));

    // Renamed and saved: the shown unit keeps its bus, the others come back as they were.
    m_demo->select(model->index(0, 0));
    window->textAnswer = QStringLiteral("Main engine");
    m_demo->action("actionRename")->trigger();
    m_demo->action("actionSave")->trigger();
    // The saved units as "bus name".
    auto savedUnits = [&path] {
        QDomDocument saved;
        QFile written(path);
        QStringList units;
        if (!written.open(QIODevice::ReadOnly) || !saved.setContent(&written))
            return units;
        const QDomNodeList devices
            = saved.documentElement().elementsByTagName(QStringLiteral("device"));
        for (int i = 0; i < devices.size(); ++i) {
            const QDomElement e = devices.at(i).toElement();
            units << e.attribute(QStringLiteral("bus")) + QLatin1Char(' ')
                         + e.firstChildElement(QStringLiteral("name")).text();
        }
        units.sort();
        return units;
    };
    const QStringList units = savedUnits();
    QCOMPARE(units, (QStringList{QStringLiteral("0 Main engine"), QStringLiteral("1 Second engine"),
                                 QStringLiteral("1 Second gearbox")}));

    // Opened again: the same.
    m_demo->action("actionOpen")->trigger();
    QVERIFY(window->errors.isEmpty());
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->topLevelItems().first()->displayable()->name(), QStringLiteral("Main engine"));

    // A second bus in the window: the units the file kept for bus 1 join its row, and saving
    // keeps every unit's bus.
    window->adapterAnswer = CanHandlerFactory::Replay;
    window->choiceAnswer = 0;
    m_demo->action("actionAddBus")->trigger();
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join('\n')));
    QCOMPARE(model->rowCount(), 2);
    QStringList second;
    for (const AbstractSchemeTreeItem *node : model->topLevelItems().at(1)->childNodes())
        second << node->displayable()->name();
    second.sort();
    QCOMPARE(second, (QStringList{"Second engine", "Second gearbox"}));
    QCOMPARE(model->topLevelItems().at(0)->childNodes().first()->displayable()->name(),
             QStringLiteral("Main engine"));
    m_demo->action("actionSave")->trigger();
    QCOMPARE(savedUnits(), units);
}

QTEST_MAIN(tst_SchemeWalkthrough)
#include "tst_schemewalkthrough.moc"
