#include "app/deviationlistmodel.h"
#include "app/livebuscheck.h"
#include "app/timelinespans.h"
#include "buscheck/buschecker.h"
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "support/testenvironment.h"
#include "support/testitems.h"
#include "ui/editors/bustimelineplot.h"

#include <QAbstractItemModelTester>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Intervals = QVector<TimelineSpans::Interval>;
Q_DECLARE_METATYPE(Intervals)

namespace {

constexpr quint8 UnitAddress = 0x21;
constexpr quint8 StrangerAddress = 0x55;

CanMessage frame(quint8 source, quint8 ps = 0xF1)
{
    CanMessage m;
    m.id = 0x18FE0000u | quint32(ps) << 8 | source;
    return m;
}

// A unit at 0x21 sending one group every 100 ms, and a check fed by hand on a clock the test
// moves.
struct Bench
{
    Bench()
        : device(std::make_unique<J1939Device>(UnitAddress))
        , function(new BindingFunction(0xFE, 0xF1, device.get()))
    {
        function->setTransmissionInterval(100);
        check.setLag(0);
        check.setAdvanceInterval(5);
        check.setClock([this] { return nowUs; });
    }
    // Frames from `source` every periodMs from fromMs up to toMs (excluded).
    void play(quint8 source, int fromMs, int toMs, int periodMs = 100)
    {
        AbstractCanHandler::MessagePack pack;
        for (int t = fromMs; t < toMs; t += periodMs) {
            DispatchResult result(DispatchResult::Received, t);
            result.item = source == UnitAddress ? function : nullptr;
            pack.append(qMakePair(frame(source), result));
        }
        nowUs = qMax(nowUs, qint64(toMs) * 1000);
        check.slotNotifyPack(pack);
    }
    QList<AbstractDisplayableItem *> devices() const { return {device.get()}; }

    std::unique_ptr<J1939Device> device;
    BindingFunction *function;
    LiveBusCheck check;
    qint64 nowUs = 0;
};

QString spansText(const QVector<TimelineSpans::Span> &spans)
{
    QStringList parts;
    for (const TimelineSpans::Span &s : spans)
        parts << QStringLiteral("%1-%2").arg(s.first).arg(s.second);
    return parts.join(QLatin1Char(','));
}

} // namespace

// The window's bus check below its menu: the learning stretches, the deviation list as a model,
// the timeline's pixel spans and what the timeline paints.
class tst_BusCheckTimeline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::initSchemeTests(QStringLiteral("TarvikTimelineTest")); }
    void spans_data();
    void spans();
    void learnsFromTheLastStretchesOnly();
    void stretchesStayBounded();
    void listFollowsTheCheck();
    void valueOutOfItsRangeOpensAndEnds();
    void timelinePaintsTheSilenceOnItsLane();
    void hoursOfHundredsOfLanesStayBounded();
    void reportFormatFollowsTheExtension_data();
    void reportFormatFollowsTheExtension();
};

void tst_BusCheckTimeline::spans_data()
{
    QTest::addColumn<Intervals>("intervals");
    QTest::addColumn<qint64>("fromUs");
    QTest::addColumn<qint64>("toUs");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QString>("expected");

    // 100 pixels over 1 s: 10 ms a pixel.
    QTest::newRow("one interval covers its pixels")
        << Intervals{{100000, 200000}} << qint64(0) << qint64(1000000) << 100 << "10-19";
    QTest::newRow("a gap under a pixel merges") << Intervals{{100000, 200000}, {205000, 300000}}
                                                << qint64(0) << qint64(1000000) << 100 << "10-29";
    QTest::newRow("a gap of pixels stays") << Intervals{{100000, 200000}, {250000, 300000}}
                                           << qint64(0) << qint64(1000000) << 100 << "10-19,25-29";
    QTest::newRow("a single frame is one pixel")
        << Intervals{{505000, 505000}} << qint64(0) << qint64(1000000) << 100 << "50-50";
    QTest::newRow("clipped at both ends")
        << Intervals{{-500000, 2000000}} << qint64(0) << qint64(1000000) << 100 << "0-99";
    QTest::newRow("before and after the view") << Intervals{{-500000, -100000}, {1100000, 1200000}}
                                               << qint64(0) << qint64(1000000) << 100 << "";
    QTest::newRow("view starts inside the second")
        << Intervals{{0, 100000}, {400000, 600000}, {800000, 900000}} << qint64(500000)
        << qint64(1000000) << 50 << "0-9,30-39";
    QTest::newRow("no width") << Intervals{{0, 100000}} << qint64(0) << qint64(1000000) << 0 << "";
}

void tst_BusCheckTimeline::spans()
{
    QFETCH(Intervals, intervals);
    QFETCH(qint64, fromUs);
    QFETCH(qint64, toUs);
    QFETCH(int, pixels);
    QFETCH(QString, expected);
    QCOMPARE(spansText(TimelineSpans::spans(intervals, fromUs, toUs, pixels)), expected);
    // Deviations come unsorted and overlapping: merged first, they give the same spans.
    Intervals shuffled = intervals;
    std::reverse(shuffled.begin(), shuffled.end());
    shuffled += intervals;
    QCOMPARE(spansText(TimelineSpans::spans(TimelineSpans::merged(shuffled), fromUs, toUs, pixels)),
             expected);
}

void tst_BusCheckTimeline::learnsFromTheLastStretchesOnly()
{
    Bench bench;
    bench.check.setStretchLength(1000);
    // Six seconds every 250 ms, then two every 100 ms: the whole time's median is 250. The
    // last frame opens a stretch of its own.
    bench.play(UnitAddress, 0, 6000, 250);
    bench.play(UnitAddress, 6000, 8100, 100);
    QCOMPARE(bench.check.stretchCount(), 9);
    QVERIFY(bench.check.learn(bench.devices(), 2, 10) > 0);
    QCOMPARE(bench.function->expectation().periodMs, 100);
    // The last second is more than the stretch just begun.
    QVERIFY(bench.check.learn(bench.devices(), 1, 10) > 0);
    QCOMPARE(bench.function->expectation().periodMs, 100);
    QVERIFY(!bench.function->expectation().eventDriven);
    QVERIFY(bench.check.learn(bench.devices(), 60, 10) > 0);
    QCOMPARE(bench.function->expectation().periodMs, 250);
    bench.check.forgetLearned();
    QCOMPARE(bench.check.learn(bench.devices(), 3, 10), -1);
}

void tst_BusCheckTimeline::stretchesStayBounded()
{
    Bench bench;
    bench.check.setStretchLength(100);
    bench.play(UnitAddress, 0, 100 * (LiveBusCheck::StretchLimit + 15), 50);
    QCOMPARE(bench.check.stretchCount(), LiveBusCheck::StretchLimit);
}

void tst_BusCheckTimeline::listFollowsTheCheck()
{
    Bench bench;
    DeviationListModel model(&bench.check);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    bench.check.start(bench.devices());
    QCOMPARE(model.rowCount(), 0);
    bench.play(UnitAddress, 0, 1000);
    QCOMPARE(model.rowCount(), 0);
    // The unit stops: the clock runs on without its frames.
    bench.nowUs = 3000000;
    QTRY_VERIFY(model.rowCount() > 0);
    const QVector<Deviation> &all = bench.check.checker()->deviations();
    int silentRow = -1;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (all.at(row).kind == Deviation::Silent && all.at(row).item.isEmpty())
            silentRow = row;
    }
    QVERIFY(silentRow >= 0);
    const QModelIndex end = model.index(silentRow, DeviationListModel::End);
    QVERIFY(all.at(silentRow).open);
    QVERIFY(end.data().toString().endsWith(QStringLiteral("…")));
    QCOMPARE(model.index(silentRow, DeviationListModel::Kind).data().toString(),
             Deviation::kindText(Deviation::Silent));
    QCOMPARE(model.index(silentRow, DeviationListModel::Unit).data().toString(),
             all.at(silentRow).unit);
    QCOMPARE(model.index(silentRow, 0).data(DeviationListModel::ItemKeyRole).toString(),
             AbstractSchemeTreeItem::uniqueKeyOf(bench.device.get()));
    // It began after the last frame and before the clock's three seconds.
    const double start = model.index(silentRow, DeviationListModel::Start).data().toDouble();
    QVERIFY2(start >= 0.9 && start < 3.0, qPrintable(QString::number(start)));

    // Back, and a stranger appears: the silence ends, a new row comes.
    const int before = model.rowCount();
    bench.play(UnitAddress, 3000, 3500);
    bench.play(StrangerAddress, 3500, 3600);
    QVERIFY(!all.at(silentRow).open);
    QVERIFY(!end.data().toString().endsWith(QStringLiteral("…")));
    QCOMPARE(model.rowCount(), all.size());
    QVERIFY(model.rowCount() > before);
    QCOMPARE(all.last().kind, Deviation::UnexpectedUnit);
    QVERIFY(inserted.count() >= 2);

    // A new check starts an empty list.
    bench.check.start(bench.devices());
    QCOMPARE(model.rowCount(), 0);

    // Silent for longer than a unit's sleep: switched off, kept in the list but no fault.
    bench.play(UnitAddress, 4000, 5000);
    bench.nowUs = 5000000 + BusChecker::SleepLimitUs + 1000000;
    QTRY_COMPARE(model.index(0, DeviationListModel::Kind).data().toString(),
                 QStringLiteral("switched off"));
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(model.index(0, DeviationListModel::End).data().toString().endsWith("…"));
    QCOMPARE(bench.check.checker()->faultCount(), 0);
    bench.play(UnitAddress, int(bench.nowUs / 1000), int(bench.nowUs / 1000) + 500);
    QVERIFY(!model.index(0, DeviationListModel::End).data().toString().endsWith("…"));
}

void tst_BusCheckTimeline::valueOutOfItsRangeOpensAndEnds()
{
    Bench bench;
    ZxParameter *pressure = bench.function->addField(QStringLiteral("P"), 0, 0, 8);
    ItemExpectation expected;
    ItemExpectation::Range range;
    range.parameter = pressure->key();
    range.hasLimits = true;
    range.minimum = 0;
    range.maximum = 100;
    expected.ranges << range;
    bench.function->setExpectation(expected);
    bench.check.start(bench.devices());
    // Each frame decoded into the function as the bus thread does, then shown to the check.
    auto send = [&](int ms, quint8 value) {
        CanMessage m = frame(UnitAddress);
        m.data[0] = value;
        DispatchResult result(DispatchResult::Received, ms);
        bench.function->dispatchMessageImpl(m, &result);
        bench.nowUs = qint64(ms) * 1000;
        bench.check.slotNotifyPack({qMakePair(m, result)});
    };
    const auto ranges = [&] {
        QVector<Deviation> out;
        for (const Deviation &d : bench.check.checker()->deviations()) {
            if (d.kind == Deviation::OutOfRange)
                out << d;
        }
        return out;
    };
    // Past the wake-up grace of a unit's first frames, a value leaves its range and comes back.
    int ms = 0;
    for (; ms < int(BusChecker::WakeUpGraceUs / 1000) + 500; ms += 100)
        send(ms, 50);
    QVERIFY(ranges().isEmpty());
    // One odd frame is no fault; a value that stays out is.
    send(ms, 200);
    ms += 100;
    send(ms, 50);
    ms += 100;
    QVERIFY(ranges().isEmpty());
    const int outAt = ms;
    for (; ms <= outAt + int(BusChecker::ValuePersistenceUs / 1000); ms += 100)
        send(ms, 200);
    QCOMPARE(ranges().size(), 1);
    QVERIFY(ranges().first().open);
    QCOMPARE(ranges().first().startUs, qint64(outAt) * 1000);
    QCOMPARE(ranges().first().parameter, pressure->key());
    send(ms, 50);
    QCOMPARE(ranges().size(), 1);
    QVERIFY(!ranges().first().open);
    QCOMPARE(ranges().first().endUs, qint64(ms) * 1000);
}

void tst_BusCheckTimeline::timelinePaintsTheSilenceOnItsLane()
{
    Bench bench;
    bench.check.start(bench.devices());
    BusTimelinePlot plot(&bench.check);
    plot.resize(800, 300);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    bench.play(UnitAddress, 0, 2000);
    bench.nowUs = 5000000;
    QTRY_VERIFY(!bench.check.checker()->deviations().isEmpty());
    bench.play(UnitAddress, 5000, 10000);
    plot.refresh();
    const QString unitLane
        = QStringLiteral("unit:") + AbstractSchemeTreeItem::uniqueKeyOf(bench.device.get());
    QVERIFY(plot.rowKeys().contains(unitLane));
    QVERIFY(plot.grab().width() > 0); // draws
    QVector<BusTimelinePlot::Painted> silent;
    QVector<BusTimelinePlot::Painted> green;
    for (const BusTimelinePlot::Painted &p : plot.painted()) {
        if (p.lane == unitLane && p.state == TimelineSpans::Silent)
            silent << p;
        if (p.lane == unitLane && p.state == TimelineSpans::AsExpected)
            green << p;
    }
    // One red stretch between two green ones, where the frames stopped and came again.
    QCOMPARE(silent.size(), 1);
    QCOMPARE(green.size(), 2);
    QVERIFY(green.at(0).x1 <= silent.at(0).x0 + 1);
    QVERIFY(silent.at(0).x1 <= green.at(1).x0 + 1);
    const QImage image = plot.canvas()->grab().toImage();
    const int x = (silent.at(0).x0 + silent.at(0).x1) / 2;
    QCOMPARE(image.pixelColor(x, silent.at(0).y), TimelineSpans::colour(TimelineSpans::Silent));

    // A click on the unit's lane shows its function below it, another hides it.
    const int rows = plot.rowKeys().size();
    QTest::mouseClick(plot.canvas(), Qt::LeftButton, {}, plot.rowPoint(plot.rowOf(unitLane)));
    QCOMPARE(plot.rowKeys().size(), rows + 1);
    QVERIFY(plot.isExpanded(unitLane));
    QTest::mouseClick(plot.canvas(), Qt::LeftButton, {}, plot.rowPoint(plot.rowOf(unitLane)));
    QCOMPARE(plot.rowKeys().size(), rows);
}

void tst_BusCheckTimeline::hoursOfHundredsOfLanesStayBounded()
{
    // 200 units with a function each, sending every second for an hour; each stops for eight
    // seconds every minute.
    constexpr int Units = 200;
    constexpr int Seconds = 3600;
    std::vector<std::unique_ptr<J1939Device>> devices;
    QList<AbstractDisplayableItem *> scheme;
    QVector<BindingFunction *> functions;
    for (int u = 0; u < Units; ++u) {
        devices.push_back(std::make_unique<J1939Device>(quint8(u)));
        functions << new BindingFunction(0xFE, 0xF1, devices.back().get());
        functions.last()->setTransmissionInterval(1000);
        scheme << devices.back().get();
    }
    LiveBusCheck check;
    qint64 nowUs = 0;
    check.setClock([&nowUs] { return nowUs; });
    check.setLag(0);
    check.start(scheme);
    QElapsedTimer fed;
    fed.start();
    for (int second = 0; second < Seconds; ++second) {
        if (second % 60 >= 52)
            continue;
        AbstractCanHandler::MessagePack pack;
        for (int u = 0; u < Units; ++u) {
            DispatchResult result(DispatchResult::Received, qint64(second) * 1000 + u);
            result.item = functions.at(u);
            pack.append(qMakePair(frame(quint8(u)), result));
        }
        check.slotNotifyPack(pack);
    }
    nowUs = qint64(Seconds) * 1000000;
    check.stop();
    const qint64 feedMs = fed.elapsed();
    QVERIFY(check.checker()->deviations().size() > Units * 50);

    BusTimelinePlot plot(&check);
    for (const BusChecker::Lane &lane : check.checker()->lanes()) {
        if (lane.parentKey.isEmpty())
            plot.setExpanded(lane.key, true);
    }
    QVERIFY(plot.rowKeys().size() > 2 * Units);
    plot.resize(800, plot.minimumHeight());
    QElapsedTimer drawn;
    drawn.start();
    plot.canvas()->grab();
    const qint64 drawMs = drawn.elapsed();
    qInfo("%d frames checked in %lld ms; %d lanes of an hour drawn in %lld ms",
          Units * Seconds * 52 / 60, feedMs, int(plot.rowKeys().size()), drawMs);
    // Each lane costs at most its width in spans per state, however many intervals it has.
    const int width = plot.canvas()->contentsRect().width();
    QHash<QString, int> perLaneState;
    for (const BusTimelinePlot::Painted &p : plot.painted())
        ++perLaneState[p.lane + QString::number(p.state)];
    QVERIFY(!perLaneState.isEmpty());
    for (auto it = perLaneState.cbegin(); it != perLaneState.cend(); ++it)
        QVERIFY2(it.value() <= width / 2 + 1, qPrintable(it.key()));
    // Zoomed into a minute, a unit's lane shows its stop apart from its frames.
    plot.setAxisScale(QwtPlot::xBottom, 605, 665);
    plot.replot();
    plot.canvas()->grab();
    QVERIFY(!plot.isFollowing());
    const QString lane = plot.rowKeys().first();
    int green = 0;
    int red = 0;
    for (const BusTimelinePlot::Painted &p : plot.painted()) {
        green += p.lane == lane && p.state == TimelineSpans::AsExpected;
        red += p.lane == lane && p.state == TimelineSpans::Silent;
    }
    QCOMPARE(red, 1);
    QCOMPARE(green, 2);
}

void tst_BusCheckTimeline::reportFormatFollowsTheExtension_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("junit");
    QTest::newRow("json") << "report.json" << false;
    QTest::newRow("xml is JUnit") << "report.xml" << true;
    QTest::newRow("upper-case XML") << "REPORT.XML" << true;
}

void tst_BusCheckTimeline::reportFormatFollowsTheExtension()
{
    QFETCH(QString, file);
    QFETCH(bool, junit);
    Bench bench;
    QTemporaryDir dir;
    QString error;
    QVERIFY(!bench.check.saveReport(dir.filePath(file), QString(), &error));
    QVERIFY(!error.isEmpty());
    bench.check.start(bench.devices());
    bench.play(UnitAddress, 0, 1000);
    bench.play(StrangerAddress, 1000, 1200);
    bench.check.stop();
    QVERIFY2(bench.check.saveReport(dir.filePath(file), QStringLiteral("machine.tvsx"), &error),
             qPrintable(error));
    QFile saved(dir.filePath(file));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray content = saved.readAll();
    const int deviations = bench.check.checker()->deviations().size();
    QVERIFY(deviations > 0);
    if (junit) {
        QDomDocument doc;
        QVERIFY(doc.setContent(content));
        QVERIFY(doc.elementsByTagName(QStringLiteral("testcase")).size() > 0);
        QVERIFY(doc.elementsByTagName(QStringLiteral("failure")).size() > 0);
    } else {
        const QJsonObject root = QJsonDocument::fromJson(content).object();
        QCOMPARE(root.value(QStringLiteral("deviations")).toArray().size(), deviations);
    }
}

QTEST_MAIN(tst_BusCheckTimeline)
#include "tst_buschecktimeline.moc"
