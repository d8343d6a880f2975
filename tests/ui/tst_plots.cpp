#include "app/parameterlog.h"
#include "descriptions/candevicefactory.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testenvironment.h"
#include "support/windowtestcase.h"
#include "ui/editors/parameterplotter.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/plottable.h"
#include "ui/editors/plotwidget.h"
#include "ui/editors/plotzoomer.h"
#include "ui/mainwindow.h"
#include "ui/parameterlogreader.h"

#include <QAction>
#include <QDockWidget>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include <cmath>
#include <memory>

namespace {

using TestEnvironment::writeFile;

constexpr quint32 Eec1Id = 0x0CF00400; // EEC1 from the engine at address 0
constexpr quint32 Et1Id = 0x18FEEE00;  // engine temperature 1

CanMessage frame(quint32 id, std::initializer_list<quint8> bytes)
{
    CanMessage m;
    m.id = id;
    m.extended = true;
    m.length = 8;
    std::fill(m.data, m.data + 8, 0xFF);
    int i = 0;
    for (quint8 b : bytes)
        m.data[i++] = b;
    return m;
}

// EEC1 with an engine speed (SPN 190, 0.125 rpm per bit, bytes 3-4).
CanMessage engineSpeed(double rpm)
{
    const int raw = int(rpm / 0.125);
    return frame(Eec1Id, {0xF0, 0x7D, 0x7D, quint8(raw & 0xFF), quint8(raw >> 8)});
}

AbstractDisplayableItem *childByKey(AbstractDisplayableItem *device, const char *key)
{
    for (AbstractDisplayableItem *child : device->children()) {
        if (child->key() == key)
            return child;
    }
    return nullptr;
}

int parameterIndex(AbstractDisplayableItem *item, const char *key)
{
    return item->parameters().indexOf(item->parameter(QLatin1String(key)));
}

} // namespace

// Live plots of scheme parameters, parameter log files as plots, their exports and their place in
// scheme files.
class tst_Plots : public WindowTestCase
{
    Q_OBJECT

public:
    tst_Plots()
        : WindowTestCase(QStringLiteral("TarvikPlotsTest"))
    {}

private slots:
    void seriesFedFromParameters();
    void tableKeepsItsWindow_data();
    void tableKeepsItsWindow();
    void exportsPngAndCsv();
    void exportNamesGetTheirExtension_data();
    void exportNamesGetTheirExtension();
    void csvValuesAsPreciseAsTheirParameters_data();
    void csvValuesAsPreciseAsTheirParameters();
    void cursorReadsValues();
    void liveViewFollowsUntilZoomed();
    void plotDockSurvivesSchemeFile();
    void openedLogIsPlottedWithUnits();
    void parameterLogReadsBack();
    void plotActionNeedsNumbers();

private:
    AbstractDisplayableItem *addEngine();
    AbstractCanHandler::MessagePack dispatch(const CanMessage &message);
};

AbstractDisplayableItem *tst_Plots::addEngine()
{
    AbstractDisplayableItem *engine
        = m_window->catalogue()->createDeviceFromKey("engine1", {ItemAddress::J1939, 0});
    if (engine)
        m_window->addDisplayable(engine);
    return engine;
}

AbstractCanHandler::MessagePack tst_Plots::dispatch(const CanMessage &message)
{
    DispatchResult r(DispatchResult::Received, 0);
    m_dispatcher->dispatchMessage(message, &r);
    return {{message, r}};
}

void tst_Plots::seriesFedFromParameters()
{
    AbstractDisplayableItem *engine = addEngine();
    QVERIFY(engine);
    AbstractDisplayableItem *eec1 = childByKey(engine, "eec1");
    AbstractDisplayableItem *et1 = childByKey(engine, "et1");
    QVERIFY(eec1 && et1);
    ParameterPlotter plotter(1000);
    plotter.setSources(
        {ParameterPlotter::sourceFor(eec1->existingTreeItem(), parameterIndex(eec1, "SPN190")),
         ParameterPlotter::sourceFor(et1->existingTreeItem(), parameterIndex(et1, "SPN110"))});
    QCOMPARE(plotter.table().columnCount(), 2);
    QCOMPARE(plotter.table().columns().at(0).unit, QStringLiteral("rpm"));

    // A frame of a plotted item adds a row with every plotted value as it is now; the coolant
    // temperature has not been received yet and is a gap.
    QVERIFY(plotter.sample(dispatch(engineSpeed(1500)), 1500));
    QCOMPARE(plotter.table().rowCount(), size_t(1));
    QCOMPARE(plotter.table().time(0), 0.5);
    QCOMPARE(plotter.table().value(0, 0), 1500.0);
    QVERIFY(PlotTable::isGap(plotter.table().value(1, 0)));

    // Frames of items not plotted add nothing.
    QVERIFY(!plotter.sample(dispatch(frame(0x18FEF100, {1, 2, 3})), 1600));
    QVERIFY(!plotter.sample({}, 1700));
    QCOMPARE(plotter.table().rowCount(), size_t(1));

    // Coolant 90 C (offset -40) and then a speed the sender flags as not available.
    QVERIFY(plotter.sample(dispatch(frame(Et1Id, {130})), 2000));
    QCOMPARE(plotter.table().value(1, 1), 90.0);
    QCOMPARE(plotter.table().value(0, 1), 1500.0);
    QVERIFY(plotter.sample(dispatch(frame(Eec1Id, {0xF0, 0x7D, 0x7D, 0xFF, 0xFF})), 2500));
    QVERIFY(PlotTable::isGap(plotter.table().value(0, 2)));
    QCOMPARE(plotter.table().value(1, 2), 90.0);

    // A deleted item leaves gaps, and its frames no longer reach the plot as values.
    m_window->schemeController()->clearScheme();
    plotter.sampleNow(3000);
    QVERIFY(PlotTable::isGap(plotter.table().value(0, 3)));
    QVERIFY(PlotTable::isGap(plotter.table().value(1, 3)));
}

void tst_Plots::tableKeepsItsWindow_data()
{
    QTest::addColumn<double>("window");
    QTest::addColumn<QVector<double>>("times");
    QTest::addColumn<QVector<double>>("kept");

    QTest::newRow("no window keeps all")
        << 0.0 << QVector<double>{0, 100, 5000} << QVector<double>{0, 100, 5000};
    QTest::newRow("older than the window dropped")
        << 10.0 << QVector<double>{0, 5, 9, 12, 20} << QVector<double>{12, 20};
    QTest::newRow("exactly the window kept")
        << 10.0 << QVector<double>{0, 10} << QVector<double>{0, 10};
    QTest::newRow("clock set back stays in order")
        << 10.0 << QVector<double>{5, 8, 2, 9} << QVector<double>{5, 8, 8, 9};
    QTest::newRow("one hour at 10 Hz") << 3600.0 <<
        [] {
            QVector<double> t;
            for (int i = 0; i <= 40000; ++i)
                t.append(i / 10.0);
            return t;
        }()
                                       << [] {
                                              QVector<double> t;
                                              for (int i = 4000; i <= 40000; ++i)
                                                  t.append(i / 10.0);
                                              return t;
                                          }();
}

void tst_Plots::tableKeepsItsWindow()
{
    QFETCH(double, window);
    QFETCH(QVector<double>, times);
    QFETCH(QVector<double>, kept);
    PlotTable table;
    table.setColumns({{QStringLiteral("a"), QStringLiteral("a"), QString()},
                      {QStringLiteral("b"), QStringLiteral("b"), QString()}});
    table.setWindow(window);
    for (double t : times)
        table.append(t, {t * 2, -t});
    QCOMPARE(int(table.rowCount()), kept.size());
    for (int i = 0; i < kept.size(); ++i) {
        QCOMPARE(table.time(size_t(i)), kept.at(i));
        // Values stay beside their times (the second column lags where the clock went back).
        QCOMPARE(table.value(0, size_t(i)) / 2, table.value(1, size_t(i)) * -1);
    }
}

void tst_Plots::exportsPngAndCsv()
{
    PlotWidget plot(false, QDateTime::currentMSecsSinceEpoch());
    PlotTable &table = plot.plotter().table();
    table.setColumns(
        {{QStringLiteral("Engine_speed"), QStringLiteral("Engine speed"), QStringLiteral("rpm")},
         {QStringLiteral("Coolant"), QStringLiteral("Coolant"), QStringLiteral("C")},
         {QStringLiteral("Idle"), QStringLiteral("Idle"), QStringLiteral("rpm")}});
    table.append(0.0, {800, 20, 700});
    table.append(0.5, {PlotTable::Gap, 21.5, 700});
    table.append(1.25, {1500.125, 22, 700});
    plot.rebuild();
    // Units share a panel: rpm and C.
    QCOMPARE(plot.panels().size(), 2);
    QCOMPARE(plot.panels().at(0)->itemList(QwtPlotItem::Rtti_PlotCurve).size(), 2);
    plot.resize(800, 500);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));

    const QString png = m_dir.filePath(QStringLiteral("plot.png"));
    QString error;
    QVERIFY2(plot.exportPng(png, &error), qPrintable(error));
    QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() >= 800);
    QVERIFY(image.height() >= 2 * 300);

    const QString csv = m_dir.filePath(QStringLiteral("plot.csv"));
    QVERIFY2(plot.exportCsv(csv, &error), qPrintable(error));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QCOMPARE(text, QByteArray("Time,Engine_speed,Coolant,Idle\n0.000,800,20,700\n"
                              "0.500,,21.5,700\n1.250,1500.125,22,700\n"));
    // The export reads back as a parameter log with the same values.
    PlotTable again;
    ParameterLogReader reader;
    QVERIFY(reader.read(text, &again));
    QCOMPARE(again.rowCount(), table.rowCount());
    QCOMPARE(again.value(0, 2), 1500.125);
    QVERIFY(PlotTable::isGap(again.value(0, 1)));

    // A file that cannot be written is reported and leaves nothing behind.
    const QString missing = m_dir.filePath(QStringLiteral("no/such/dir/plot.csv"));
    QVERIFY(!plot.exportCsv(missing, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(missing));
}

void tst_Plots::exportNamesGetTheirExtension_data()
{
    QTest::addColumn<bool>("png");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("png typed bare") << true << "plot" << "plot.png";
    QTest::newRow("csv typed bare") << false << "plot" << "plot.csv";
    QTest::newRow("png with its extension") << true << "a.png" << "a.png";
    QTest::newRow("csv with its extension") << false << "b.csv" << "b.csv";
    QTest::newRow("another extension stays") << false << "values.txt" << "values.txt";
}

void tst_Plots::exportNamesGetTheirExtension()
{
    QFETCH(bool, png);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QTemporaryDir dir;
    PlotWidget plot(false, QDateTime::currentMSecsSinceEpoch());
    plot.plotter().table().setColumns({{QStringLiteral("s"), QStringLiteral("Speed"), QString()}});
    plot.plotter().table().append(0.0, {800});
    plot.rebuild();
    plot.resize(600, 400);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    plot.setFilePrompt([&](const QString &, const QString &) { return dir.filePath(typed); });
    plot.findChild<QAction *>(png ? QStringLiteral("plotExportPngAction")
                                  : QStringLiteral("plotExportCsvAction"))
        ->trigger();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
}

void tst_Plots::csvValuesAsPreciseAsTheirParameters_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("singlePrecision");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("float as the parameter prints it") << double(1234.6f) << true << QByteArray("1234.6");
    QTest::newRow("small float") << double(0.1f) << true << QByteArray("0.1");
    QTest::newRow("large float, no exponent") << double(1.0e6f) << true << QByteArray("1000000");
    QTest::newRow("integer") << 4294967295.0 << false << QByteArray("4294967295");
    QTest::newRow("double keeps its digits") << 0.125 << false << QByteArray("0.125");
    QTest::newRow("negative float") << double(-40.25f) << true << QByteArray("-40.25");
}

void tst_Plots::csvValuesAsPreciseAsTheirParameters()
{
    QFETCH(double, value);
    QFETCH(bool, singlePrecision);
    QFETCH(QByteArray, text);
    PlotTable table;
    PlotTable::Column c{QStringLiteral("id"), QStringLiteral("Value"), QString()};
    c.heading = QStringLiteral("Unit / Function / Value");
    c.singlePrecision = singlePrecision;
    table.setColumns({c});
    table.append(0.5, {value});
    QCOMPARE(table.toCsv(), "Time,Unit / Function / Value\n0.500," + text + "\n");
    // What is written reads back as the same value.
    PlotTable again;
    ParameterLogReader reader;
    QVERIFY(reader.read(table.toCsv(), &again));
    QCOMPARE(float(again.value(0, 0)), float(value));
}

void tst_Plots::cursorReadsValues()
{
    PlotWidget plot(false, QDateTime::currentMSecsSinceEpoch());
    PlotTable &table = plot.plotter().table();
    table.setColumns({{QStringLiteral("s"), QStringLiteral("Speed"), QStringLiteral("rpm")},
                      {QStringLiteral("p"), QStringLiteral("Pressure"), QStringLiteral("rpm")}});
    table.append(0.0, {800, 2});
    table.append(1.0, {900, PlotTable::Gap});
    plot.rebuild();
    PlotZoomer *zoomer = plot.zoomers().at(0);
    const QString before = zoomer->readout(QPointF(-1.0, 0));
    QVERIFY2(before.contains(QStringLiteral("Speed: ") + ZxParameter::notAvailableText()),
             qPrintable(before));
    QCOMPARE(zoomer->readout(QPointF(0.5, 0)),
             QStringLiteral("0.500 s\nSpeed: 800 rpm\nPressure: 2 rpm"));
    QCOMPARE(zoomer->readout(QPointF(7.0, 0)), QStringLiteral("7.000 s\nSpeed: 900 rpm\nPressure: ")
                                                   + ZxParameter::notAvailableText());
    // A hidden curve leaves the readout.
    plot.panels().at(0)->itemList(QwtPlotItem::Rtti_PlotCurve).at(1)->setVisible(false);
    QCOMPARE(zoomer->readout(QPointF(0.5, 0)), QStringLiteral("0.500 s\nSpeed: 800 rpm"));
}

void tst_Plots::liveViewFollowsUntilZoomed()
{
    PlotWidget plot(true, QDateTime::currentMSecsSinceEpoch());
    PlotTable &table = plot.plotter().table();
    table.setColumns({{QStringLiteral("s"), QStringLiteral("Speed"), QStringLiteral("rpm")},
                      {QStringLiteral("t"), QStringLiteral("Temperature"), QStringLiteral("C")}});
    table.setWindow(60);
    for (int i = 0; i <= 1000; ++i)
        table.append(i * 0.1, {800.0 + i, 20.0});
    plot.rebuild();
    QCOMPARE(plot.panels().size(), 2);
    const auto xOf
        = [&plot](int panel) { return plot.panels().at(panel)->axisInterval(QwtPlot::xBottom); };
    // Running: the time axis shows the last window.
    QCOMPARE(xOf(0).maxValue(), 100.0);
    QCOMPARE(xOf(0).minValue(), 40.0);
    QVERIFY(!plot.isPaused());

    // Zooming one panel freezes the view and takes the other panel's time axis along.
    plot.zoomers().at(0)->zoom(QRectF(50, 900, 10, 50));
    QVERIFY(plot.isPaused());
    QCOMPARE(xOf(1).minValue(), 50.0);
    QCOMPARE(xOf(1).maxValue(), 60.0);
    table.append(100.5, {1801, 20});
    plot.refresh();
    QCOMPARE(xOf(0).maxValue(), 60.0);

    // The whole window again: running, following the newest values.
    plot.findChild<QAction *>(QStringLiteral("plotResetZoomAction"))->trigger();
    QVERIFY(!plot.isPaused());
    QCOMPARE(xOf(0).maxValue(), 100.5);
    QCOMPARE(xOf(1).maxValue(), 100.5);
    // Pause by hand holds the axis while values arrive.
    plot.findChild<QAction *>(QStringLiteral("plotPauseAction"))->trigger();
    QVERIFY(plot.isPaused());
    table.append(101, {1802, 20});
    plot.refresh();
    QCOMPARE(xOf(0).maxValue(), 100.5);
    plot.setPaused(false);
    QCOMPARE(xOf(0).maxValue(), 101.0);
}

void tst_Plots::plotDockSurvivesSchemeFile()
{
    AbstractDisplayableItem *engine = addEngine();
    QVERIFY(engine);
    AbstractDisplayableItem *eec1 = childByKey(engine, "eec1");
    AbstractDisplayableItem *hours = childByKey(engine, "hours");
    QVERIFY(eec1 && hours);
    PlotDocks *docks = m_window->plotDocks();
    docks->setWindowMinutes(5);
    QDockWidget *dock = docks->plotNodes({eec1->existingTreeItem(), hours->existingTreeItem()});
    QVERIFY(dock);
    const QString name = dock->objectName();
    auto *plot = qobject_cast<PlotWidget *>(dock->widget());
    QVERIFY(plot);
    QVERIFY(plot->table().columnCount() > 3);
    QCOMPARE(plot->table().window(), 300.0);
    // The setting applies to the open plots and is kept.
    docks->setWindowMinutes(7);
    QCOMPARE(plot->table().window(), 420.0);
    QCOMPARE(QSettings().value(QStringLiteral("Misc/PlotWindowMinutes")).toInt(), 7);
    docks->setWindowMinutes(5);
    QVector<QPair<QString, QString>> sources;
    for (const ParameterPlotter::Source &s : plot->plotter().sources())
        sources.append({s.path, s.parameterKey});
    // A second plot with a window of its own and a dock placed elsewhere.
    QDockWidget *second = docks->plotSources(
        {ParameterPlotter::sourceFor(eec1->existingTreeItem(), parameterIndex(eec1, "SPN190"))});
    static_cast<PlotWidget *>(second->widget())->setWindow(90);
    m_window->addDockWidget(Qt::LeftDockWidgetArea, second);
    const QString secondName = second->objectName();
    QVERIFY(secondName != name);

    const QString path = m_dir.filePath(QStringLiteral("plots.tvsx"));
    QVERIFY(m_window->schemeController()->serialize(path));
    m_window->schemeController()->clearScheme();
    QVERIFY(docks->docks().isEmpty());

    QVERIFY(m_window->schemeController()->deserialize(path));
    QCOMPARE(docks->docks().size(), 2);
    auto *restored = m_window->findChild<QDockWidget *>(name);
    QVERIFY(restored);
    auto *restoredPlot = qobject_cast<PlotWidget *>(restored->widget());
    QVERIFY(restoredPlot && restoredPlot->isLive());
    QVector<QPair<QString, QString>> restoredSources;
    for (const ParameterPlotter::Source &s : restoredPlot->plotter().sources()) {
        restoredSources.append({s.path, s.parameterKey});
        // Bound to the new scheme's items.
        QVERIFY(s.item);
        QCOMPARE(s.item->parameters().at(s.parameter)->key(), s.parameterKey);
    }
    QCOMPARE(restoredSources, sources);
    QCOMPARE(restoredPlot->table().window(), 300.0);
    auto *restoredSecond = m_window->findChild<QDockWidget *>(secondName);
    QVERIFY(restoredSecond);
    QCOMPARE(static_cast<PlotWidget *>(restoredSecond->widget())->table().window(), 90.0);
    QCOMPARE(m_window->dockWidgetArea(restoredSecond), Qt::LeftDockWidgetArea);
    QCOMPARE(m_window->dockWidgetArea(restored), Qt::BottomDockWidgetArea);

    // The restored plot is fed by the new items.
    AbstractDisplayableItem *newEngine
        = m_window->schemeModel()->item(m_window->schemeModel()->index(0, 0))->displayable();
    QVERIFY(newEngine != nullptr);
    const size_t rows = restoredPlot->table().rowCount();
    docks->slotNotifyPack(dispatch(engineSpeed(1200)));
    QCOMPARE(restoredPlot->table().rowCount(), rows + 1);

    // Parameters the scheme no longer has are left out; a plot with none is not made.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    QVERIFY(text.contains("key=\"SPN190\""));
    text.replace("key=\"SPN190\"", "key=\"NoSuchParameter\"");
    const QString broken = writeFile(m_dir, QStringLiteral("broken.tvsx"), text);
    QVERIFY(m_window->schemeController()->deserialize(broken));
    QCOMPARE(docks->docks().size(), 1);
    QCOMPARE(
        int(static_cast<PlotWidget *>(docks->docks().at(0)->widget())->plotter().sources().size()),
        sources.size() - 1);

    // A scheme with a tab hides the docks, but not its plots: nothing would bring them back.
    QByteArray withTab = text;
    withTab.replace("</devices>", "<tab name=\"t\" layout=\"hbox\"><dstate path=\"0engine1\"/>"
                                  "</tab></devices>");
    const QString tabbed = writeFile(m_dir, QStringLiteral("tabbed.tvsx"), withTab);
    QVERIFY(m_window->schemeController()->deserialize(tabbed));
    QCOMPARE(m_window->schemeTabs().size(), 1);
    QVERIFY(m_window->findChild<QDockWidget *>(QStringLiteral("rawDataWindow"))->isHidden());
    QCOMPARE(docks->docks().size(), 1);
    QVERIFY(!docks->docks().at(0)->isHidden());
}

void tst_Plots::openedLogIsPlottedWithUnits()
{
    AbstractDisplayableItem *engine = addEngine();
    QVERIFY(engine);
    AbstractDisplayableItem *eec1 = childByKey(engine, "eec1");
    const QString id = AbstractDisplayableItem::sanitizeParameterId(
        eec1->existingTreeItem()->uniqueKey() + eec1->parameter(QStringLiteral("SPN190"))->name());
    const QString log = writeFile(m_dir, QStringLiteral("log.csv"),
                                  "Time," + id.toLatin1()
                                      + ",other\n0.000,800,1\n0.100,,2\n"
                                        "broken line\n0.200,900,3\n");
    QString error;
    QStringList problems;
    QDockWidget *dock = m_window->plotDocks()->openLog(log, &error, &problems);
    QVERIFY2(dock, qPrintable(error));
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems.at(0).contains(QStringLiteral("4")));
    auto *plot = qobject_cast<PlotWidget *>(dock->widget());
    QVERIFY(!plot->isLive());
    // The scheme knows the engine speed's unit and name; the other column stays as it is.
    QCOMPARE(plot->table().columns().at(0).unit, QStringLiteral("rpm"));
    QCOMPARE(plot->table().columns().at(0).label,
             eec1->parameter(QStringLiteral("SPN190"))->name());
    QCOMPARE(plot->table().columns().at(1).label, QStringLiteral("other"));
    QCOMPARE(plot->panels().size(), 2);
    QCOMPARE(plot->table().rowCount(), size_t(3));
    // Log plots are not fed from the bus.
    m_window->plotDocks()->slotNotifyPack(dispatch(engineSpeed(1200)));
    QCOMPARE(plot->table().rowCount(), size_t(3));

    // A log plot is kept in the scheme as its file.
    const QString path = m_dir.filePath(QStringLiteral("withlog.tvsx"));
    QVERIFY(m_window->schemeController()->serialize(path));
    QVERIFY(m_window->schemeController()->deserialize(path));
    QCOMPARE(m_window->plotDocks()->plots().size(), 1);
    QCOMPARE(m_window->plotDocks()->plots().at(0)->table().rowCount(), size_t(3));

    QVERIFY(!m_window->plotDocks()->openLog(m_dir.filePath(QStringLiteral("none.csv")), &error,
                                            &problems));
    QVERIFY(!error.isEmpty());
}

// What the window's parameter log writes opens as a plot with the logged values.
void tst_Plots::parameterLogReadsBack()
{
    AbstractDisplayableItem *engine = addEngine();
    QVERIFY(engine);
    AbstractDisplayableItem *eec1 = childByKey(engine, "eec1");
    eec1->setFiltered(true);
    const QList<ParameterLog::Column> columns
        = ParameterLog::collectColumns(m_window->schemeModel());
    QVERIFY(columns.size() > 3);
    ParameterLog log;
    const QString path = m_dir.filePath(QStringLiteral("written.csv"));
    QVERIFY(log.start(path, columns, 1000));
    QVERIFY(log.writeRecord(1100, false)); // nothing received yet: empty fields
    dispatch(engineSpeed(1234.5));
    QVERIFY(log.writeRecord(1200, false));
    dispatch(frame(Eec1Id, {0xF0, 0x7D, 0x7D, 0xFF, 0xFF})); // speed not available
    QVERIFY(log.writeRecord(1300, true));
    log.stop();

    QString error;
    QStringList problems;
    QDockWidget *dock = m_window->plotDocks()->openLog(path, &error, &problems);
    QVERIFY2(dock, qPrintable(error));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    const PlotTable &table = static_cast<PlotWidget *>(dock->widget())->table();
    QCOMPARE(table.rowCount(), size_t(3));
    QCOMPARE(table.time(1), 0.2);
    int speed = -1;
    for (int c = 0; c < table.columnCount(); ++c) {
        if (table.columns().at(c).id == columns.at(parameterIndex(eec1, "SPN190")).id)
            speed = c;
    }
    QVERIFY(speed >= 0);
    QCOMPARE(table.columns().at(speed).unit, QStringLiteral("rpm"));
    QVERIFY(PlotTable::isGap(table.value(speed, 0)));
    QCOMPARE(table.value(speed, 1), 1234.5);
    QVERIFY(PlotTable::isGap(table.value(speed, 2)));
}

void tst_Plots::plotActionNeedsNumbers()
{
    AbstractDisplayableItem *engine = addEngine();
    QVERIFY(engine);
    AbstractDisplayableItem *eec1 = childByKey(engine, "eec1");
    QTreeView *view = m_window->mainView();
    // The device row itself has no parameters: nothing to plot.
    view->setCurrentIndex(m_window->schemeModel()->index(0, 0));
    view->selectionModel()->select(m_window->schemeModel()->index(0, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QAction *plot = m_window->findChild<QAction *>(QStringLiteral("actionPlot"));
    QVERIFY(plot);
    QVERIFY(view->actions().contains(plot));
    plot->trigger();
    QVERIFY(m_window->plotDocks()->docks().isEmpty());
    // The function's row plots its numeric parameters.
    const QModelIndex engineIndex = m_window->schemeModel()->index(0, 0);
    QModelIndex eec1Index;
    for (int row = 0; row < m_window->schemeModel()->rowCount(engineIndex); ++row) {
        const QModelIndex index = m_window->schemeModel()->index(row, 0, engineIndex);
        if (m_window->schemeModel()->item(index)->displayable() == eec1)
            eec1Index = index;
    }
    QVERIFY(eec1Index.isValid());
    view->selectionModel()->select(eec1Index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    plot->trigger();
    QCOMPARE(m_window->plotDocks()->docks().size(), 1);
    const PlotWidget *plotted = m_window->plotDocks()->plots().at(0);
    for (const ParameterPlotter::Source &s : plotted->plotter().sources())
        QVERIFY(ParameterPlotter::isPlottable(eec1->parameters().at(s.parameter)));
}

QTEST_MAIN(tst_Plots)
#include "tst_plots.moc"
