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
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// The catalogue row (Devices dock) whose text in any column is `name`.
QModelIndex catalogueRow(QTableView *view, const QString &name)
{
    const QAbstractItemModel *model = view->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->index(r, c).data().toString() == name)
                return model->index(r, c);
        }
    }
    return {};
}

// The row's "Data" column: the item's one-line text.
QString rowText(const QModelIndex &row)
{
    return row.sibling(row.row(), 3).data().toString();
}

// Brings a dock into view as its shortcut (Ctrl+B, Ctrl+D) does: the example scheme's tab hides
// the docks at start.
void showDock(DemoBusWindow &demo, const QString &name)
{
    auto *dock = demo.window()->findChild<QDockWidget *>(name);
    QVERIFY(dock);
    if (!dock->isVisible())
        dock->toggleViewAction()->trigger();
    QTRY_VERIFY(dock->isVisible());
}

QPushButton *button(QWidget *in, const QString &name)
{
    return in ? in->findChild<QPushButton *>(name) : nullptr;
}

// Clicks the button `name` in `in`; a missing one is named with the buttons that are there,
// instead of aborting in the click.
bool click(QWidget *in, const QString &name)
{
    if (QPushButton *b = button(in, name)) {
        QTest::mouseClick(b, Qt::LeftButton);
        return true;
    }
    QStringList there;
    for (const QPushButton *b : in ? in->findChildren<QPushButton *>() : QList<QPushButton *>())
        there << b->objectName();
    QWARN(qPrintable(QStringLiteral("No button \"%1\"; there are: %2")
                         .arg(name, there.join(QStringLiteral(", ")))));
    return false;
}

} // namespace

// The README's service walkthroughs on the demo bus, done in the window as an engineer does them:
// rows selected in the tree, Devices and Details used, buttons clicked, dialogs answered.
class tst_ServiceWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void memoryAccessAsInTheReadme();
    void memoryAccessTimeoutReachesTheRow();
    void detailDockShowsTheSameEditor();
    void tuneVariableReadAndWrite();
    void addFlasherWithStubAtItsAddress_data();
    void addFlasherWithStubAtItsAddress();

private:
    // Devices: the initial state `state` chosen, the catalogue row `name` double-clicked.
    static bool addFromCatalogue(DemoBusWindow &demo, const QString &name,
                                 const char *state = "addModeSendButton");
    // README step 2: Memory access… on the controller's row; the tool unit's function's row.
    static QModelIndex addMemoryAccessTool(DemoBusWindow &demo);
    // The Stub at 0xF9 in Send from Devices, with its Memory Access Tool; the function's row.
    static QModelIndex addStubWithMemoryAccessTool(DemoBusWindow &demo);
    static void typeTarget(QWidget *editor, const QString &target);
};

void tst_ServiceWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikServiceWalkthroughTest"));
}

bool tst_ServiceWalkthrough::addFromCatalogue(DemoBusWindow &demo, const QString &name,
                                              const char *state)
{
    showDock(demo, QStringLiteral("constructorWindow"));
    auto *mode = demo.window()->findChild<QRadioButton *>(QLatin1String(state));
    auto *view = demo.window()->findChild<QTableView *>(QStringLiteral("constructorView"));
    if (!mode || !view)
        return false;
    mode->click();
    const QModelIndex index = catalogueRow(view, name);
    if (!index.isValid()) {
        QWARN(qPrintable(QStringLiteral("No \"%1\" in the catalogue").arg(name)));
        return false;
    }
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    return true;
}

QModelIndex tst_ServiceWalkthrough::addMemoryAccessTool(DemoBusWindow &demo)
{
    // Step 2: Memory access… in the controller's context menu.
    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    if (!controller.isValid())
        return {};
    demo.select(controller);
    QAction *memoryAccess = nullptr;
    for (QAction *a : demo.window()->mainView()->actions()) {
        if (a->objectName() == QLatin1String("actionUnitMemoryAccess"))
            memoryAccess = a;
    }
    if (!memoryAccess || !memoryAccess->isEnabled())
        return {};
    memoryAccess->trigger();
    // The tool unit joined; its function's row is the current one, its Details open.
    QModelIndex function;
    DemoBusWindow::waitFor([&] {
        const QModelIndex tool = demo.row(QStringLiteral("Off-board diagnostic unit"));
        function
            = tool.isValid() ? demo.row(QStringLiteral("Memory Access Tool"), tool) : QModelIndex();
        return function.isValid()
               && demo.window()->mainView()->currentIndex().row() == function.row()
               && demo.window()->mainView()->currentIndex().parent() == tool;
    });
    return function;
}

QModelIndex tst_ServiceWalkthrough::addStubWithMemoryAccessTool(DemoBusWindow &demo)
{
    demo.window()->intAnswer = 0xF9;
    if (!addFromCatalogue(demo, QStringLiteral("Stub")))
        return {};
    QModelIndex stub;
    DemoBusWindow::waitFor([&] {
        stub = demo.row(QStringLiteral("Stub"));
        return stub.isValid();
    });
    if (!stub.isValid())
        return {};
    demo.select(stub);
    if (!addFromCatalogue(demo, QStringLiteral("Memory Access Tool")))
        return {};
    QModelIndex function;
    DemoBusWindow::waitFor([&] {
        function = demo.row(QStringLiteral("Memory Access Tool"), stub);
        return function.isValid();
    });
    return function;
}

void tst_ServiceWalkthrough::typeTarget(QWidget *editor, const QString &target)
{
    auto *field = editor->findChild<TargetEditor *>();
    QVERIFY(field);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, target);
    QTest::keyClick(field, Qt::Key_Return);
}

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

    // Steps 2 and 3.
    const QModelIndex function = addMemoryAccessTool(demo);
    QVERIFY(function.isValid());

    // Step 4: Details of the new function, target a0, "Open…" the file, "Show data".
    demo.select(function);
    showDock(demo, QStringLiteral("detailsWindow"));
    QWidget *details = demo.details();
    QVERIFY(details);
    QTRY_VERIFY(button(details, QStringLiteral("open"))
                && button(details, QStringLiteral("open"))->isVisible());
    typeTarget(details, QStringLiteral("a0"));
    {
        ModalAnswerer answer(ModalAnswerer::chooseFile(path));
        QVERIFY(click(details, QStringLiteral("open")));
        QVERIFY(answer.answered());
    }
    QVERIFY(click(details, QStringLiteral("showData")));
    MemoryAccessDock *data = nullptr;
    QTRY_VERIFY((data = demo.window()->findChild<MemoryAccessDock *>()) && data->isVisible());
    // Docked in the window the button was pressed in.
    QCOMPARE(demo.window()->dockWidgetArea(data), Qt::LeftDockWidgetArea);
    QTRY_VERIFY(data->windowTitle().contains(QLatin1String("0xa0")));
    QVERIFY(data->findChild<QTableView *>(QStringLiteral("group:Valve currents")));
    auto *idle = data->findChild<QDoubleSpinBox *>(QStringLiteral("spn:f020"));
    QVERIFY(idle);

    // Step 5: "Refresh" reads every value and leaves a backup beside the file.
    auto *status = data->findChild<QLabel *>(QStringLiteral("status"));
    QVERIFY(click(data, QStringLiteral("refresh")));
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Read complete"), 10000);
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("controller.ma.a0-*.bak")}).size(), 1);
    QCOMPARE(idle->value(), 850.0);

    // Step 6: edit a value, "Commit changed", answer the question, the write is verified.
    idle->setFocus();
    idle->selectAll();
    QTest::keyClicks(idle, QStringLiteral("900"));
    QTest::keyClick(idle, Qt::Key_Return);
    ModalAnswerer question(ModalAnswerer::press(QStringLiteral("Yes")));
    QVERIFY(click(data, QStringLiteral("commitChanged")));
    QTRY_VERIFY(question.answered());
    QCOMPARE(question.text(), QStringLiteral("Write 1 value(s) to unit 0xa0?"));
    const QString written = QStringLiteral("Write complete, 1 values verified");
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), written, 10000);
    // The result reaches the function's row and its Details without any other frame.
    QTRY_COMPARE(rowText(function), QStringLiteral("Unit 0xa0, controller.ma: ") + written);
    auto *result = details->findChild<QLineEdit *>(QStringLiteral("status"));
    QVERIFY(result);
    QTRY_COMPARE(result->text(), written);
    // Read back: the unit holds the new value.
    QVERIFY(click(data, QStringLiteral("refresh")));
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
    demo.select(function);
    showDock(demo, QStringLiteral("detailsWindow"));
    QWidget *details = demo.details();
    QVERIFY(details);
    // Nobody answers at 0x33: the read ends in a time-out, which no frame accompanies.
    typeTarget(details, QStringLiteral("33"));
    {
        ModalAnswerer answer(ModalAnswerer::chooseFile(path));
        QVERIFY(click(details, QStringLiteral("open")));
        QVERIFY(answer.answered());
    }
    QVERIFY(click(details, QStringLiteral("showData")));
    MemoryAccessDock *data = nullptr;
    QTRY_VERIFY((data = demo.window()->findChild<MemoryAccessDock *>()) && data->isVisible());
    QVERIFY(click(data, QStringLiteral("refresh")));
    const QString timeout = QStringLiteral("Device timeout");
    QTRY_COMPARE_WITH_TIMEOUT(rowText(function),
                              QStringLiteral("Unit 0x33, controller.ma: ") + timeout, 5000);
    QTRY_COMPARE(details->findChild<QLineEdit *>(QStringLiteral("status"))->text(), timeout);
}

void tst_ServiceWalkthrough::detailDockShowsTheSameEditor()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex function = addMemoryAccessTool(demo);
    QVERIFY(function.isValid());
    QDockWidget *dock = demo.openDetails(function);
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    for (const char *name : {"open", "save", "showData"})
        QVERIFY2(button(dock, QLatin1String(name)), name);
}

void tst_ServiceWalkthrough::tuneVariableReadAndWrite()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    JournalRecorder journal;
    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    QVERIFY(controller.isValid());
    const QModelIndex tune = demo.row(QStringLiteral("Tune variables"), controller);
    QVERIFY(tune.isValid());
    // Devices shows the variables of the selected function; L0 is added in Receive.
    demo.select(tune);
    QVERIFY(addFromCatalogue(demo, QStringLiteral("L0"), "addModeReceiveButton"));
    QModelIndex l0;
    QVERIFY(DemoBusWindow::waitFor([&] {
        l0 = demo.row(QStringLiteral("L0"), tune);
        return l0.isValid();
    }));
    demo.select(l0);
    showDock(demo, QStringLiteral("detailsWindow"));
    QWidget *details = demo.details();
    QVERIFY(details);
    QTRY_VERIFY(button(details, QStringLiteral("getValue")));
    typeTarget(details, QStringLiteral("a0"));
    auto *answer = details->findChild<QLabel *>(QStringLiteral("answer"));
    QVERIFY(answer);

    // Read: the controller's value of L0, a float.
    QVERIFY(click(details, QStringLiteral("getValue")));
    const QString read = QStringLiteral("12.5, read from unit 0xa0");
    QTRY_COMPARE(answer->text(), read);
    QTRY_COMPARE(rowText(l0), read);
    auto *value = details->findChild<QLineEdit *>(QStringLiteral("variantValue"));
    QVERIFY(value);
    QCOMPARE(value->text(), QStringLiteral("12.5"));
    QCOMPARE(details->findChild<QComboBox *>(QStringLiteral("variantType"))->currentText(),
             QStringLiteral("Float"));

    // Write 13.5: acknowledged, and read back from the unit.
    value->setFocus();
    value->selectAll();
    QTest::keyClicks(value, QStringLiteral("13.5"));
    QTest::keyClick(value, Qt::Key_Return);
    QVERIFY(click(details, QStringLiteral("setValue")));
    QTRY_COMPARE(answer->text(), QStringLiteral("13.5, written to unit 0xa0"));
    QTRY_COMPARE(rowText(l0), QStringLiteral("13.5, written to unit 0xa0"));
    value->setText(QString());
    QVERIFY(click(details, QStringLiteral("getValue")));
    QTRY_COMPARE(answer->text(), QStringLiteral("13.5, read from unit 0xa0"));
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
    QVERIFY(click(details, QStringLiteral("getValue")));
    QTRY_COMPARE_WITH_TIMEOUT(answer->text(), QStringLiteral("No answer from unit 0x33"), 5000);
    QTRY_COMPARE(rowText(l0), QStringLiteral("No answer from unit 0x33"));
    // Device ▸ Details opens a dock with the same editor and answer.
    QDockWidget *dock = demo.openDetails(l0);
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    QVERIFY(button(dock, QStringLiteral("setValue")));
    QTRY_COMPARE(dock->findChild<QLabel *>(QStringLiteral("answer"))->text(),
                 QStringLiteral("No answer from unit 0x33"));
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
    QVERIFY(addStubWithMemoryAccessTool(demo).isValid());
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
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return demo.row(QStringLiteral("Off-board diagnostic unit")).isValid(); }));
    QVERIFY(!demo.row(QStringLiteral("Stub")).isValid());
    // The tool unit is selected: its Details show the flashing function's row beneath it.
    const QModelIndex tool = demo.row(QStringLiteral("Off-board diagnostic unit"));
    // The Stub's memory access is the tool unit's own now.
    QVERIFY(demo.row(QStringLiteral("Memory Access Tool"), tool).isValid());
    QCOMPARE(demo.window()->mainView()->currentIndex().row(), tool.row());
    // Its catalogue offers the Memory Access Tool again, as the question says.
    auto *catalogue = demo.window()->findChild<QTableView *>(QStringLiteral("constructorView"));
    QTRY_VERIFY(catalogueRow(catalogue, QStringLiteral("Memory Access Tool")).isValid());
    QVERIFY(demo.window()->errors.isEmpty());
}

QTEST_MAIN(tst_ServiceWalkthrough)
#include "tst_servicewalkthrough.moc"
