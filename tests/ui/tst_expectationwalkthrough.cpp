#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/expectationbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The row of the sensor behind the controller's bus bridge that the example scheme watches.
const char *const SensorRow = "ZSB";
const char *const UnitRow = "Controller";
const char *const FunctionRow = "EEC1 - Electronic Engine Controller 1";

// A cell of the ranges table typed into or clicked, by the parameter shown in its first column.
struct RangeEdit
{
    QString parameter;
    int column; // 1 minimum, 2 maximum (typed); 3 not available, 4 error (clicked)
    QString text;
};

struct Edit
{
    QString row;
    QString presence; // the entry chosen, empty to leave it
    QString period;
    QString tolerance;
    bool clickEventDriven = false;
    QList<RangeEdit> ranges;
    // A unit's identification, typed as the engineer would; null leaves the field.
    QString name;
    QString software;
    QString codes;
    QString groups;
    ItemExpectation expected;
    // The line the row's tool tip gains.
    QString tip;
};

ItemExpectation::Range range(const QString &parameter, double minimum, double maximum,
                             bool notAvailable = false, bool error = false)
{
    ItemExpectation::Range r;
    r.parameter = parameter;
    r.hasLimits = true;
    r.minimum = minimum;
    r.maximum = maximum;
    r.allowNotAvailable = notAvailable;
    r.allowError = error;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Edit)

// What a healthy machine shows of an item, edited in its Details: the "Expected" box under the
// editor, applied to the item, kept by the scheme file, refused when it does not make sense.
class tst_ExpectationWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikExpectationWalkthrough"));
        ExpectationBox::setRefreshInterval(20);
    }
    void editedExpectationSurvivesSaveAndOpen_data();
    void editedExpectationSurvivesSaveAndOpen();
    void badInputLeavesTheItemAsItWas_data();
    void badInputLeavesTheItemAsItWas();
    void clearInThePanelRemovesTheExpectation();
    void boxFollowsTheItemUntilEdited();
    void oldFileOpensWithoutExpectations();

private:
    static QWidget *rangeCell(QGroupBox *box, const QString &parameter, int column);
    static void type(QLineEdit *edit, const QString &text);
    static void fill(QGroupBox *box, const Edit &edit);
    static QString reopen(DemoBusWindow &demo, const QString &path);
};

QWidget *tst_ExpectationWalkthrough::rangeCell(QGroupBox *box, const QString &parameter, int column)
{
    auto *table = box->findChild<QTableWidget *>(QStringLiteral("expectRanges"));
    if (!table)
        return nullptr;
    for (int row = 0; row < table->rowCount(); ++row) {
        // The row shows the parameter's name; its tool tip names the key a file keeps.
        const QTableWidgetItem *name = table->item(row, 0);
        if (name && (name->text() == parameter || name->toolTip() == parameter))
            return table->cellWidget(row, column);
    }
    return nullptr;
}

void tst_ExpectationWalkthrough::type(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void tst_ExpectationWalkthrough::fill(QGroupBox *box, const Edit &edit)
{
    if (!edit.presence.isEmpty()) {
        auto *presence = box->findChild<QComboBox *>(QStringLiteral("expectPresence"));
        QVERIFY(presence);
        const int index = presence->findText(edit.presence);
        QVERIFY2(index >= 0, qPrintable(edit.presence));
        presence->setCurrentIndex(index);
    }
    const struct
    {
        const char *name;
        const QString &text;
    } fields[] = {{"expectPeriod", edit.period}, {"expectTolerance", edit.tolerance},
                  {"expectName", edit.name},     {"expectSoftware", edit.software},
                  {"expectCodes", edit.codes},   {"expectGroups", edit.groups}};
    for (const auto &f : fields) {
        if (f.text.isNull())
            continue;
        auto *line = box->findChild<QLineEdit *>(QLatin1String(f.name));
        QVERIFY2(line, f.name);
        type(line, f.text);
    }
    if (edit.clickEventDriven) {
        auto *check = box->findChild<QCheckBox *>(QStringLiteral("expectEventDriven"));
        QVERIFY(check);
        check->click();
    }
    for (const RangeEdit &r : edit.ranges) {
        QWidget *cell = rangeCell(box, r.parameter, r.column);
        QVERIFY2(cell, qPrintable(r.parameter));
        if (auto *line = qobject_cast<QLineEdit *>(cell))
            type(line, r.text);
        else if (auto *check = qobject_cast<QCheckBox *>(cell))
            check->click();
    }
}

// Save As, Clear Scheme and Open, as the engineer does: the saved file's text.
QString tst_ExpectationWalkthrough::reopen(DemoBusWindow &demo, const QString &path)
{
    return demo.saveAndReopen(path) ? QString::fromUtf8(TestEnvironment::readFile(path))
                                    : QString();
}

void tst_ExpectationWalkthrough::editedExpectationSurvivesSaveAndOpen_data()
{
    QTest::addColumn<Edit>("edit");

    Edit unit;
    unit.row = QLatin1String(UnitRow);
    unit.presence = QStringLiteral("May fall silent");
    unit.name = QStringLiteral("a00f2a0012e0c580");
    unit.software = QStringLiteral("MC2 4.1.7");
    unit.codes = QStringLiteral("523/3, 100/1 523/3");
    unit.groups = QStringLiteral("fef1 ff36");
    unit.expected.presence = ItemExpectation::Intermittent;
    unit.expected.name = QStringLiteral("A00F2A0012E0C580");
    unit.expected.software = QStringLiteral("MC2 4.1.7");
    unit.expected.codes = {{523, 3}, {100, 1}};
    unit.expected.groups = {0xFEF1, 0xFF36};
    unit.tip = QStringLiteral("Expected: may fall silent, NAME A00F2A0012E0C580, software MC2 "
                              "4.1.7, allowed codes: 2, other groups: 2");
    QTest::newRow("a unit: presence and identification") << unit;

    Edit function;
    function.row = QLatin1String(FunctionRow);
    function.presence = QStringLiteral("Present");
    function.period = QStringLiteral("25");
    function.tolerance = QStringLiteral("15");
    function.ranges = {{QStringLiteral("Engine Speed"), 1, QStringLiteral("600")},
                       {QStringLiteral("Engine Speed"), 2, QStringLiteral("2400.5")},
                       {QStringLiteral("Engine Speed"), 4, QString()},
                       {QStringLiteral("Engine Torque Mode"), 3, QString()}};
    function.expected.presence = ItemExpectation::Present;
    function.expected.periodMs = 25;
    function.expected.tolerancePercent = 15;
    ItemExpectation::Range torqueMode;
    // Ranges are kept by the parameter's short name, which the table does not show.
    torqueMode.parameter = QStringLiteral("SPN899");
    torqueMode.allowNotAvailable = true;
    // In the order of the item's parameters.
    function.expected.ranges
        = {torqueMode, range(QStringLiteral("SPN190"), 600, 2400.5, false, true)};
    function.tip = QStringLiteral("Expected: present, every 25 ms ± 15 %, value ranges: 2");
    QTest::newRow("a function: period, tolerance and ranges") << function;

    // The example scheme already limits the sensor's P and FAULT: the box starts from those.
    Edit sensor;
    sensor.row = QLatin1String(SensorRow);
    sensor.clickEventDriven = true;
    sensor.ranges
        = {{QStringLiteral("P"), 1, QStringLiteral("-1.5")}, {QStringLiteral("P"), 3, QString()}};
    sensor.expected.eventDriven = true;
    sensor.expected.ranges
        = {range(QStringLiteral("P"), -1.5, 250, true), range(QStringLiteral("FAULT"), 0, 0)};
    sensor.tip = QStringLiteral("Expected: on request or on a change, value ranges: 2");
    QTest::newRow("a sensor behind the bus bridge: an existing range changed") << sensor;
}

void tst_ExpectationWalkthrough::editedExpectationSurvivesSaveAndOpen()
{
    QFETCH(Edit, edit);
    QTemporaryDir dir;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex index = demo.row(edit.row);
    QVERIFY2(index.isValid(), qPrintable(edit.row));
    auto *box = DemoBusWindow::find<QGroupBox>(demo.openDetails(index), "expectBox");
    QVERIFY(box);
    QCOMPARE(box->title(), QStringLiteral("Expected"));
    fill(box, edit);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!demo.window()->schemeDocument()->isModified());
    QVERIFY(DemoBusWindow::click(box, "expectApply"));
    QCOMPARE(demo.item(index)->expectation(), edit.expected);
    QVERIFY(demo.window()->schemeDocument()->isModified());
    // The tree says so where the row is pointed at.
    const QString tip = index.data(Qt::ToolTipRole).toString();
    QVERIFY2(tip.split(QLatin1Char('\n')).contains(edit.tip), qPrintable(tip));

    const QString saved = reopen(demo, dir.filePath(QStringLiteral("expected.tvsx")));
    QVERIFY(saved.contains(QStringLiteral("<expect")));
    index = demo.row(edit.row);
    QVERIFY(index.isValid());
    QCOMPARE(demo.item(index)->expectation(), edit.expected);
    QVERIFY(!demo.window()->schemeDocument()->isModified());
    // Details of the opened scheme show what was applied.
    box = DemoBusWindow::find<QGroupBox>(demo.openDetails(index), "expectBox");
    QVERIFY(box);
    auto *presence = box->findChild<QComboBox *>(QStringLiteral("expectPresence"));
    QCOMPARE(presence->currentText(),
             edit.presence.isEmpty() ? QStringLiteral("As the scheme says") : edit.presence);
    QCOMPARE(box->findChild<QLineEdit *>(QStringLiteral("expectPeriod"))->text(), edit.period);
    QCOMPARE(box->findChild<QCheckBox *>(QStringLiteral("expectEventDriven"))->isChecked(),
             edit.expected.eventDriven);
    for (const ItemExpectation::Range &r : qAsConst(edit.expected.ranges)) {
        auto *minimum = qobject_cast<QLineEdit *>(rangeCell(box, r.parameter, 1));
        auto *notAvailable = qobject_cast<QCheckBox *>(rangeCell(box, r.parameter, 3));
        QVERIFY2(minimum && notAvailable, qPrintable(r.parameter));
        QCOMPARE(minimum->text(), r.hasLimits ? QLocale().toString(r.minimum) : QString());
        QCOMPARE(notAvailable->isChecked(), r.allowNotAvailable);
    }
    if (auto *codes = box->findChild<QLineEdit *>(QStringLiteral("expectCodes")))
        QCOMPARE(codes->text().isEmpty(), edit.expected.codes.isEmpty());
    // Apply without a change keeps the scheme as the file has it.
    QVERIFY(DemoBusWindow::click(box, "expectApply"));
    QCOMPARE(demo.item(index)->expectation(), edit.expected);
    QVERIFY(!demo.window()->schemeDocument()->isModified());
}

void tst_ExpectationWalkthrough::badInputLeavesTheItemAsItWas_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("said");
    const auto sensor = [](QList<RangeEdit> ranges) {
        Edit e;
        e.row = QLatin1String(SensorRow);
        e.ranges = ranges;
        return e;
    };
    QTest::newRow("minimum above maximum")
        << sensor({{QStringLiteral("P"), 1, QStringLiteral("300")}}) << QStringLiteral("P:");
    QTest::newRow("a minimum without a maximum")
        << sensor({{QStringLiteral("P"), 2, QString()}}) << QStringLiteral("P:");
    QTest::newRow("a limit that is no number")
        << sensor({{QStringLiteral("FAULT"), 2, QStringLiteral("high")}})
        << QStringLiteral("Sensor Fault:");
    const auto unit = [](const QString &codes, const QString &groups) {
        Edit e;
        e.row = QLatin1String(UnitRow);
        e.codes = codes;
        e.groups = groups;
        e.software = QStringLiteral("left as it was");
        return e;
    };
    QTest::newRow("a code without FMI")
        << unit(QStringLiteral("523"), QString()) << QStringLiteral("\"523\"");
    QTest::newRow("an FMI above 31")
        << unit(QStringLiteral("100/1, 523/32"), QString()) << QStringLiteral("\"523/32\"");
    QTest::newRow("an SPN above 19 bits")
        << unit(QStringLiteral("524288/1"), QString()) << QStringLiteral("\"524288/1\"");
    QTest::newRow("a group that is no hex number")
        << unit(QString(), QStringLiteral("FEF1 XYZ")) << QStringLiteral("\"XYZ\"");
    QTest::newRow("a group beyond 18 bits")
        << unit(QString(), QStringLiteral("40000")) << QStringLiteral("\"40000\"");
}

void tst_ExpectationWalkthrough::badInputLeavesTheItemAsItWas()
{
    QFETCH(Edit, edit);
    QFETCH(QString, said);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex index = demo.row(edit.row);
    QVERIFY(index.isValid());
    const ItemExpectation before = demo.item(index)->expectation();
    auto *box = DemoBusWindow::find<QGroupBox>(demo.openDetails(index), "expectBox");
    QVERIFY(box);
    fill(box, edit);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(DemoBusWindow::click(box, "expectApply"));
    const QString status = box->findChild<QLabel *>(QStringLiteral("expectStatus"))->text();
    QVERIFY2(status.contains(said), qPrintable(status));
    QCOMPARE(demo.item(index)->expectation(), before);
    QTest::qWait(2 * SchemeDocument::DefaultCheckDelayMs);
    QVERIFY(!demo.window()->schemeDocument()->isModified());
}

void tst_ExpectationWalkthrough::clearInThePanelRemovesTheExpectation()
{
    QTemporaryDir dir;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex index = demo.row(QLatin1String(SensorRow));
    QVERIFY(index.isValid());
    QVERIFY(!demo.item(index)->expectation().isEmpty());
    QVERIFY(index.data(Qt::ToolTipRole).toString().contains(QStringLiteral("Expected: ")));
    // The example scheme opens its tab with the docks hidden: Windows > Details shows the panel,
    // which shows the box of the current row under its editor.
    auto *box = DemoBusWindow::find<QGroupBox>(demo.showDetails(index), "expectBox");
    QVERIFY(box);
    QTRY_VERIFY(box->isVisible());
    auto *maximum = qobject_cast<QLineEdit *>(rangeCell(box, QStringLiteral("P"), 2));
    QVERIFY(maximum);
    QCOMPARE(maximum->text(), QStringLiteral("250"));
    // Apply on the box as it came changes nothing.
    const ItemExpectation before = demo.item(index)->expectation();
    QVERIFY(DemoBusWindow::click(box, "expectApply"));
    QCOMPARE(demo.item(index)->expectation(), before);
    QVERIFY(!demo.window()->schemeDocument()->isModified());
    QVERIFY(DemoBusWindow::click(box, "expectClear"));
    QVERIFY(demo.item(index)->expectation().isEmpty());
    maximum = qobject_cast<QLineEdit *>(rangeCell(box, QStringLiteral("P"), 2));
    QVERIFY(maximum);
    QVERIFY(maximum->text().isEmpty());
    QVERIFY(demo.window()->schemeDocument()->isModified());
    QVERIFY(!index.data(Qt::ToolTipRole).toString().contains(QStringLiteral("Expected: ")));
    // Another row and back: the panel shows the item as it is now.
    demo.select(demo.row(QLatin1String(UnitRow)));
    demo.select(demo.row(QLatin1String(SensorRow)));
    box = demo.details()->findChild<QGroupBox *>(QStringLiteral("expectBox"));
    QVERIFY(box);
    QVERIFY(qobject_cast<QLineEdit *>(rangeCell(box, QStringLiteral("P"), 2))->text().isEmpty());

    const QString saved = reopen(demo, dir.filePath(QStringLiteral("cleared.tvsx")));
    QVERIFY(!saved.contains(QStringLiteral("param=\"P\"")));
    index = demo.row(QLatin1String(SensorRow));
    QVERIFY(index.isValid());
    QVERIFY(demo.item(index)->expectation().isEmpty());
}

void tst_ExpectationWalkthrough::boxFollowsTheItemUntilEdited()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex index = demo.row(QLatin1String(SensorRow));
    QVERIFY(index.isValid());
    QDockWidget *dock = demo.openDetails(index);
    auto *box = DemoBusWindow::find<QGroupBox>(dock, "expectBox");
    auto *period = DemoBusWindow::find<QLineEdit>(box, "expectPeriod");
    auto *tolerance = DemoBusWindow::find<QLineEdit>(box, "expectTolerance");
    QVERIFY(period && tolerance);
    QVERIFY(period->text().isEmpty());
    // Learning writes the item's expectation while its Details are open.
    AbstractDisplayableItem *item = demo.item(index);
    ItemExpectation learned = item->expectation();
    learned.periodMs = 40;
    item->setExpectation(learned);
    QTRY_COMPARE(period->text(), QStringLiteral("40"));
    // Once the engineer types, the box keeps the edits until Apply.
    type(tolerance, QStringLiteral("5"));
    ItemExpectation relearned = learned;
    relearned.periodMs = 50;
    item->setExpectation(relearned);
    dock->hide();
    dock->show();
    QTest::qWait(100);
    QCOMPARE(period->text(), QStringLiteral("40"));
    QCOMPARE(tolerance->text(), QStringLiteral("5"));
    QVERIFY(DemoBusWindow::click(box, "expectApply"));
    learned.tolerancePercent = 5;
    QCOMPARE(item->expectation(), learned);
}

void tst_ExpectationWalkthrough::oldFileOpensWithoutExpectations()
{
    // A scheme written before expectations existed: no <expect> anywhere.
    const QString old = TestEnvironment::dataFile(QStringLiteral("described-units.tvsx"));
    QFile file(old);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("<expect"));
    QTemporaryDir dir;
    DemoBusWindow demo;
    QVERIFY(demo.start(old));
    QVERIFY(demo.window()->schemeModel()->rowCount() > 0);
    QList<QModelIndex> pending{QModelIndex()};
    int items = 0;
    while (!pending.isEmpty()) {
        const QModelIndex parent = pending.takeFirst();
        const QAbstractItemModel *model = demo.window()->schemeModel();
        for (int r = 0; r < model->rowCount(parent); ++r) {
            const QModelIndex child = model->index(r, 0, parent);
            QVERIFY(demo.item(child)->expectation().isEmpty());
            pending << child;
            ++items;
        }
    }
    QVERIFY(items > 2);
    const QModelIndex index = demo.row(QStringLiteral("Machine controller"));
    QVERIFY(index.isValid());
    demo.select(index);
    auto *box = demo.details()->findChild<QGroupBox *>(QStringLiteral("expectBox"));
    QVERIFY(box);
    QCOMPARE(box->findChild<QComboBox *>(QStringLiteral("expectPresence"))->currentIndex(), 0);
    for (const char *name : {"expectPeriod", "expectTolerance", "expectName", "expectSoftware",
                             "expectCodes", "expectGroups"}) {
        auto *line = box->findChild<QLineEdit *>(QLatin1String(name));
        QVERIFY2(line && line->text().isEmpty(), name);
    }
    // Apply on an untouched box writes nothing: the scheme stays as the file has it.
    QVERIFY(DemoBusWindow::click(box, "expectApply"));
    QVERIFY(demo.item(index)->expectation().isEmpty());
    QVERIFY(!demo.window()->schemeDocument()->isModified());
    const QString saved = reopen(demo, dir.filePath(QStringLiteral("old.tvsx")));
    QVERIFY(saved.contains(QStringLiteral("Machine controller")));
    QVERIFY(!saved.contains(QStringLiteral("<expect")));
}

QTEST_MAIN(tst_ExpectationWalkthrough)
#include "tst_expectationwalkthrough.moc"
