#include "demo/demounits.h"
#include "diagnostics/editors/memoryaccessdock.h"
#include "model/editors/targeteditor.h"
#include "support/demobuswindow.h"
#include "support/journalrecorder.h"
#include "support/testenvironment.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// A target field typed into as the engineer does.
void typeTarget(QWidget *editor, const QString &target)
{
    auto *field = editor->findChild<TargetEditor *>();
    QVERIFY(field);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, target);
    QTest::keyClick(field, Qt::Key_Return);
}

// README step 2: Memory access… on the controller's row; the tool unit's function's row, once
// it is the current one (its Details open).
QModelIndex addMemoryAccessTool(DemoBusWindow &demo)
{
    demo.select(demo.row(QStringLiteral("Controller")));
    QAction *memoryAccess = demo.treeAction("actionUnitMemoryAccess");
    if (!memoryAccess || !memoryAccess->isEnabled())
        return {};
    memoryAccess->trigger();
    QModelIndex function;
    DemoBusWindow::waitFor([&] {
        const QModelIndex tool = demo.row(QStringLiteral("Off-board diagnostic unit"));
        function
            = tool.isValid() ? demo.row(QStringLiteral("Memory Access Tool"), tool) : QModelIndex();
        return function.isValid()
               && demo.window()->mainView()->currentIndex().siblingAtColumn(0) == function;
    });
    return function;
}

// Step 4: the function's Details, target typed, the file chosen by "Open…", "Show data": the
// data dock, once shown.
MemoryAccessDock *showData(DemoBusWindow &demo, const QModelIndex &function, const QString &target,
                           const QString &path, QWidget **details)
{
    *details = demo.showDetails(function);
    if (!*details || !DemoBusWindow::find<QPushButton>(*details, "open"))
        return nullptr;
    typeTarget(*details, target);
    if (!DemoBusWindow::click(*details, "open", ModalAnswerer::chooseFile(path))
        || !DemoBusWindow::click(*details, "showData"))
        return nullptr;
    MemoryAccessDock *data = nullptr;
    DemoBusWindow::waitFor([&] {
        return (data = demo.window()->findChild<MemoryAccessDock *>()) && data->isVisible();
    });
    return data;
}

} // namespace

// The README's service walkthroughs on the demo bus, done in the window as an engineer does them:
// rows selected in the tree, Devices and Details used, buttons clicked, dialogs answered.
class tst_ServiceWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikServiceWalkthroughTest"));
    }
    void memoryAccessAsInTheReadme();
    void memoryAccessTimeoutReachesTheRow();
    void detailDockShowsTheSameEditor();
    void tuneVariableReadAndWrite();
    void calibrationAndBlockErrorsInDetails();
    void addFlasherWithStubAtItsAddress_data();
    void addFlasherWithStubAtItsAddress();
};

void tst_ServiceWalkthrough::memoryAccessAsInTheReadme()
{
    // Step 1: the example file copied somewhere writable.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("controller.ma"));
    QVERIFY(QFile::copy(QString::fromLatin1(DemoUnits::MemoryAccessFile), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    JournalRecorder journal;

    // Steps 2 to 4.
    const QModelIndex function = addMemoryAccessTool(demo);
    QVERIFY(function.isValid());
    QWidget *details = nullptr;
    MemoryAccessDock *data = showData(demo, function, QStringLiteral("a0"), path, &details);
    QVERIFY(data);
    // Docked in the window the button was pressed in.
    QCOMPARE(demo.window()->dockWidgetArea(data), Qt::LeftDockWidgetArea);
    QTRY_VERIFY(data->windowTitle().contains(QLatin1String("0xa0")));
    QVERIFY(DemoBusWindow::find<QTableView>(data, "group:Valve currents"));
    auto *idle = DemoBusWindow::find<QDoubleSpinBox>(data, "spn:f020");
    QVERIFY(idle);

    // Step 5: "Refresh" reads every value and leaves a backup beside the file.
    auto *status = DemoBusWindow::find<QLabel>(data, "status");
    QVERIFY(DemoBusWindow::click(data, "refresh"));
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Read complete"), 10000);
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("controller.ma.a0-*.bak")}).size(), 1);
    QCOMPARE(idle->value(), 850.0);

    // Step 6: edit a value, "Commit changed", answer the question, the write is verified.
    idle->setFocus();
    idle->selectAll();
    QTest::keyClicks(idle, QStringLiteral("900"));
    QTest::keyClick(idle, Qt::Key_Return);
    QString question;
    QVERIFY(DemoBusWindow::click(data, "commitChanged", ModalAnswerer::press(QStringLiteral("Yes")),
                                 &question));
    QCOMPARE(question, QStringLiteral("Write 1 value(s) to unit 0xa0?"));
    const QString written = QStringLiteral("Write complete, 1 values verified");
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), written, 10000);
    // The result reaches the function's row and its Details without any other frame.
    QTRY_COMPARE(DemoBusWindow::rowText(function),
                 QStringLiteral("Unit 0xa0, controller.ma: ") + written);
    auto *result = DemoBusWindow::find<QLineEdit>(details, "status");
    QVERIFY(result);
    QTRY_COMPARE(result->text(), written);
    // Read back: the unit holds the new value.
    QVERIFY(DemoBusWindow::click(data, "refresh"));
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Read complete"), 10000);
    QCOMPARE(idle->value(), 900.0);

    // A service job's record: the reads with their values and backups, the write with the
    // value before and after.
    QTRY_COMPARE(journal.entries(ServiceJournal::MemoryRead).size(), 2);
    const auto writes = journal.entries(ServiceJournal::MemoryWrite);
    QCOMPARE(writes.size(), 1);
    QCOMPARE(writes.first().summary, QStringLiteral("Memory access: ") + written);
    QCOMPARE(writes.first().outcome, ServiceJournal::Outcome::Done);
    QVERIFY2(writes.first().unit.endsWith(QLatin1String("(0xA0)")), qPrintable(writes.first().unit));
    QCOMPARE(writes.first().details.size(), 1);
    QVERIFY2(writes.first().details.first().endsWith(QString::fromUtf8("(SPN 0x00f020): 850 → 900")),
             qPrintable(writes.first().details.first()));
    QCOMPARE(writes.first().files.size(), 1);
    QVERIFY(writes.first().files.first().contains(QLatin1String("controller.ma.a0-")));
    const auto firstRead = journal.entries(ServiceJournal::MemoryRead).first();
    QVERIFY(firstRead.details.filter(QStringLiteral("(SPN 0x00f020) = 850")).size() == 1);
}

void tst_ServiceWalkthrough::memoryAccessTimeoutReachesTheRow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("controller.ma"));
    QVERIFY(QFile::copy(QString::fromLatin1(DemoUnits::MemoryAccessFile), path));
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex function = addMemoryAccessTool(demo);
    QVERIFY(function.isValid());
    // Nobody answers at 0x33: the read ends in a time-out, which no frame accompanies.
    QWidget *details = nullptr;
    MemoryAccessDock *data = showData(demo, function, QStringLiteral("33"), path, &details);
    QVERIFY(data);
    QVERIFY(DemoBusWindow::click(data, "refresh"));
    const QString timeout = QStringLiteral("Device timeout");
    QTRY_COMPARE_WITH_TIMEOUT(DemoBusWindow::rowText(function),
                              QStringLiteral("Unit 0x33, controller.ma: ") + timeout, 5000);
    QTRY_COMPARE(DemoBusWindow::find<QLineEdit>(details, "status")->text(), timeout);
}

void tst_ServiceWalkthrough::detailDockShowsTheSameEditor()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QDockWidget *dock = demo.openDetails(addMemoryAccessTool(demo));
    QVERIFY(dock);
    for (const char *name : {"open", "save", "showData"})
        QVERIFY2(DemoBusWindow::find<QPushButton>(dock, name), name);
}

void tst_ServiceWalkthrough::tuneVariableReadAndWrite()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    JournalRecorder journal;
    const QModelIndex tune
        = demo.row(QStringLiteral("Tune variables"), demo.row(QStringLiteral("Controller")));
    QVERIFY(tune.isValid());
    // Devices shows the variables of the selected function; L0 is added in Receive.
    demo.select(tune);
    QVERIFY(demo.addFromCatalogue(QStringLiteral("L0"), "addModeReceiveButton"));
    const QModelIndex l0 = demo.waitRow(QStringLiteral("L0"), tune);
    QWidget *details = demo.showDetails(l0);
    QVERIFY(DemoBusWindow::find<QPushButton>(details, "getValue"));
    typeTarget(details, QStringLiteral("a0"));
    auto *answer = DemoBusWindow::find<QLabel>(details, "answer");
    QVERIFY(answer);
    // The answer in Details and in the row, after the button.
    const auto answers = [&](const char *button, const QString &text) {
        if (!DemoBusWindow::click(details, button))
            return false;
        return DemoBusWindow::waitFor(
            [&] { return answer->text() == text && DemoBusWindow::rowText(l0) == text; });
    };

    // Read: the controller's value of L0, a float.
    QVERIFY(answers("getValue", QStringLiteral("12.5, read from unit 0xa0")));
    auto *value = DemoBusWindow::find<QLineEdit>(details, "variantValue");
    QVERIFY(value);
    QCOMPARE(value->text(), QStringLiteral("12.5"));
    QCOMPARE(DemoBusWindow::find<QComboBox>(details, "variantType")->currentText(),
             QStringLiteral("Float"));

    // Write 13.5: acknowledged, and read back from the unit.
    value->setFocus();
    value->selectAll();
    QTest::keyClicks(value, QStringLiteral("13.5"));
    QTest::keyClick(value, Qt::Key_Return);
    QVERIFY(answers("setValue", QStringLiteral("13.5, written to unit 0xa0")));
    value->setText(QString());
    QVERIFY(answers("getValue", QStringLiteral("13.5, read from unit 0xa0")));
    QTRY_COMPARE(value->text(), QStringLiteral("13.5"));
    // A service job's record: the write with the value before and after, and the reads.
    QTRY_COMPARE(journal.entries(ServiceJournal::TuneWrite).size(), 1);
    const ServiceJournal::Entry write = journal.entries(ServiceJournal::TuneWrite).first();
    QCOMPARE(write.summary, QStringLiteral("Tune variable L0 written: 13.5"));
    QCOMPARE(write.details, QStringList{QString::fromUtf8("L0: 12.5 → 13.5")});
    QVERIFY2(write.unit.endsWith(QLatin1String("(0xA0)")), qPrintable(write.unit));
    QTRY_COMPARE(journal.entries(ServiceJournal::TuneRead).size(), 2);

    // A unit that does not answer is named as such.
    typeTarget(details, QStringLiteral("33"));
    QVERIFY(answers("getValue", QStringLiteral("No answer from unit 0x33")));
    // Device ▸ Details opens a dock with the same editor and answer.
    QDockWidget *dock = demo.openDetails(l0);
    QVERIFY(dock);
    QVERIFY(DemoBusWindow::find<QPushButton>(dock, "setValue"));
    QTRY_COMPARE(DemoBusWindow::find<QLabel>(dock, "answer")->text(),
                 QStringLiteral("No answer from unit 0x33"));
}

// The engine's calibration, added by hand from Devices, starts and stops from its Details; the
// controller's Blocks show their error codes there, a field each.
void tst_ServiceWalkthrough::calibrationAndBlockErrorsInDetails()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex engine = demo.row(QStringLiteral("Engine #1"));
    demo.select(engine);
    const QString calibration = QStringLiteral("Engine Controller Calibration");
    QVERIFY(demo.addFromCatalogue(calibration, "addModeSendButton"));
    QWidget *details = demo.showDetails(demo.waitRow(calibration, engine));
    auto *state = DemoBusWindow::find<QLabel>(details, "state");
    QVERIFY(state);
    QCOMPARE(state->text(), QStringLiteral("Calibration stopped"));
    QVERIFY(DemoBusWindow::click(details, "start"));
    QTRY_COMPARE(state->text(), QStringLiteral("Calibration running"));
    QVERIFY(DemoBusWindow::click(details, "stop"));
    QTRY_COMPARE(state->text(), QStringLiteral("Calibration stopped"));

    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    details = demo.showDetails(demo.waitRow(QStringLiteral("Blocks"), controller));
    auto *first = DemoBusWindow::find<QLineEdit>(details, "code0");
    QVERIFY(first);
    QTRY_VERIFY2(
        QRegularExpression(QStringLiteral("^[0-9a-f]{2}$")).match(first->text()).hasMatch(),
        qPrintable(first->text()));
}

void tst_ServiceWalkthrough::addFlasherWithStubAtItsAddress_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("replaced after the question") << true;
    QTest::newRow("kept: the reason in the status bar") << false;
}

void tst_ServiceWalkthrough::addFlasherWithStubAtItsAddress()
{
    QFETCH(bool, replace);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    // The Stub at 0xF9 in Send from Devices, with its Memory Access Tool.
    demo.window()->intAnswer = 0xF9;
    QVERIFY(demo.addFromCatalogue(QStringLiteral("Stub")));
    const QModelIndex stub = demo.waitRow(QStringLiteral("Stub"));
    demo.select(stub);
    QVERIFY(demo.addFromCatalogue(QStringLiteral("Memory Access Tool")));
    QVERIFY(demo.waitRow(QStringLiteral("Memory Access Tool"), stub).isValid());
    demo.window()->confirm = replace;
    demo.window()->asked.clear();
    demo.action("actionAddFlasher")->trigger();
    QCOMPARE(demo.window()->asked.size(), 1);
    QVERIFY2(demo.window()->asked.first().contains(QLatin1String("0xf9")),
             qPrintable(demo.window()->asked.first()));
    QVERIFY(demo.window()->asked.first().contains(QLatin1String("Stub")));
    if (!replace) {
        QCOMPARE(demo.window()->statusBar()->currentMessage(),
                 QStringLiteral("Tool unit not added: address 0xf9 is used by Stub"));
        QVERIFY(demo.row(QStringLiteral("Memory Access Tool")).isValid());
        QVERIFY(!demo.row(QStringLiteral("Off-board diagnostic unit")).isValid());
        return;
    }
    // The tool unit is selected: its Details show the flashing function's row beneath it.
    const QModelIndex tool = demo.waitRow(QStringLiteral("Off-board diagnostic unit"));
    QVERIFY(tool.isValid());
    QVERIFY(!demo.row(QStringLiteral("Stub")).isValid());
    // The Stub's memory access is the tool unit's own now.
    QVERIFY(demo.row(QStringLiteral("Memory Access Tool"), tool).isValid());
    QCOMPARE(demo.window()->mainView()->currentIndex().row(), tool.row());
    // Its catalogue offers the Memory Access Tool again, as the question says.
    QTRY_VERIFY(demo.catalogueRow(QStringLiteral("Memory Access Tool")).isValid());
    QVERIFY(demo.window()->errors.isEmpty());
}

QTEST_MAIN(tst_ServiceWalkthrough)
#include "tst_servicewalkthrough.moc"
