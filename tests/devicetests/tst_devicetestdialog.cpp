#include "devicetests/devicetestreport.h"
#include "devicetests/devicetestrig.h"
#include "devicetests/editors/devicetestdialog.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// Answers the cancel question as the test says.
class AnsweringDialog : public DeviceTestDialog
{
public:
    using DeviceTestDialog::DeviceTestDialog;
    bool answer = true;
    int asked = 0;
    // The report path the engineer chooses ("" cancels), and where the dialog proposed one.
    QString reportAnswer;
    QString proposedReport;

    bool showNow()
    {
        show();
        return QTest::qWaitForWindowExposed(this);
    }
    QLabel *label(const char *name) const { return findChild<QLabel *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const
    {
        return findChild<QPushButton *>(QLatin1String(name));
    }
    QProgressBar *progress() const
    {
        return findChild<QProgressBar *>(QStringLiteral("progressBar"));
    }

protected:
    bool confirmCancel() override
    {
        ++asked;
        return answer;
    }
    QString askReportPath(const QString &proposed) override
    {
        proposedReport = proposed;
        return reportAnswer;
    }
};

class tst_DeviceTestDialog : public QObject
{
    Q_OBJECT

private slots:
    void rowsShowEachResult();
    void lastStepSkippedCompletesLikePassed_data();
    void lastStepSkippedCompletesLikePassed();
    void messages();
    void stepNamedOnlyShowsWhereTheTestStands();
    void startsOnFirstShowOnly();
    void zeroStepsSayNoSteps();
    void cancelAsksStopsAndRestores();
    void saveReport_data();
    void saveReport();
};

static DeviceTest *scriptedTest(const QList<QList<int>> &steps)
{
    auto *test = new DeviceTest(nullptr);
    int n = 0;
    for (const QList<int> &codes : steps) {
        auto *step = new ScriptedAction(codes, test);
        step->setName(QStringLiteral("step %1").arg(++n));
        step->setDescription(QStringLiteral("do %1").arg(n));
        step->setMessage(QStringLiteral("trouble %1").arg(n));
        test->addTest(step);
    }
    return test;
}

static int rowResult(DeviceTestDialog *dialog, int row)
{
    auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    return table->item(row, 1)->data(Qt::UserRole).toInt();
}

void tst_DeviceTestDialog::rowsShowEachResult()
{
    DeviceTest *test = scriptedTest({{4}, {0}, {2}, {2}});
    AnsweringDialog dialog(test);
    QVERIFY(dialog.showNow());
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("step 2"));
    QCOMPARE(test->runState(), DeviceTest::Running);
    test->slotRefreshTimeout(); // step 1 passes
    test->slotRefreshTimeout(); // step 2 faults
    auto *skip = dialog.button("skipButton");
    QTest::mouseClick(skip, Qt::LeftButton); // step 2 failed
    QTest::mouseClick(skip, Qt::LeftButton); // step 3 skipped
    const QList<int> results{DeviceTest::Passed, DeviceTest::Failed, DeviceTest::Skipped,
                             DeviceTest::NotRun};
    for (int row = 0; row < results.size(); ++row)
        QCOMPARE(rowResult(&dialog, row), results.at(row));
    // Each result has its own mark; a step not run yet has a neutral one and no text.
    auto mark = [table](int row) { return table->item(row, 1)->icon().pixmap(16).toImage(); };
    for (int passed = 0; passed < 3; ++passed) {
        for (int other = passed + 1; other < 4; ++other)
            QVERIFY2(mark(passed) != mark(other),
                     qPrintable(QStringLiteral("%1 %2").arg(passed).arg(other)));
    }
    QVERIFY(!mark(3).isNull());
    QVERIFY(mark(3)
            != dialog.style()->standardIcon(QStyle::SP_DialogCancelButton).pixmap(16).toImage());
    QVERIFY(table->item(3, 1)->text().isEmpty());
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("Skipped"));
    QCOMPARE(table->currentRow(), 3);
}

void tst_DeviceTestDialog::lastStepSkippedCompletesLikePassed_data()
{
    QTest::addColumn<bool>("skipLast");
    QTest::newRow("passed") << false;
    QTest::newRow("skipped") << true;
}

void tst_DeviceTestDialog::lastStepSkippedCompletesLikePassed()
{
    QFETCH(bool, skipLast);
    DeviceTest *test = scriptedTest({{4}, {skipLast ? 2 : 4}});
    AnsweringDialog dialog(test);
    QVERIFY(dialog.showNow());
    test->slotRefreshTimeout();
    if (skipLast)
        dialog.button("skipButton")->click();
    else
        test->slotRefreshTimeout();
    auto *text = dialog.label("textLabel");
    QVERIFY(text->text().startsWith(QStringLiteral("Test complete")));
    auto *progress = dialog.progress();
    QCOMPARE(progress->value(), 2);
    QCOMPARE(progress->text(), QStringLiteral("2 of 2 steps"));
    QVERIFY(text->text().contains(skipLast ? QStringLiteral("1 passed, 1 skipped")
                                           : QStringLiteral("2 passed, 0 skipped")));
    auto *cancel = dialog.button("cancelButton");
    QCOMPARE(cancel->text(), QStringLiteral("Finish"));
    auto *skip = dialog.button("skipButton");
    QVERIFY(!skip->isEnabled());
    QCOMPARE(rowResult(&dialog, 1), int(skipLast ? DeviceTest::Skipped : DeviceTest::Passed));
    cancel->click();
    QCOMPARE(dialog.asked, 0);
    QVERIFY(!dialog.isVisible());
}

void tst_DeviceTestDialog::messages()
{
    DeviceTest *test = scriptedTest({{1, 0, 2}});
    AnsweringDialog dialog(test);
    QVERIFY(dialog.showNow());
    auto *text = dialog.label("textLabel");
    auto *icon = dialog.label("iconLabel");
    QCOMPARE(text->text(), QStringLiteral("do 1"));
    test->slotRefreshTimeout();
    QCOMPARE(text->text(), QStringLiteral("trouble 1"));
    QCOMPARE(icon->property("iconPath").toString(),
             QStringLiteral(":/icons/devicestate/filter.png"));
    QVERIFY(icon->isVisible());
    test->slotRefreshTimeout();
    QCOMPARE(icon->property("iconPath").toString(),
             QStringLiteral(":/icons/teststate/incomplete.png"));
    QVERIFY(!QIcon(QStringLiteral(":/icons/teststate/incomplete.png")).isNull());
    test->slotRefreshTimeout();
    QVERIFY(!icon->isVisible());
    QCOMPARE(text->text(), QStringLiteral("do 1"));
    QCOMPARE(dialog.progress()->text(), QStringLiteral("0 of 1 steps"));
}

void tst_DeviceTestDialog::stepNamedOnlyShowsWhereTheTestStands()
{
    DeviceTest *test = scriptedTest({{4}, {4}});
    test->tests().at(1)->setDescription(test->tests().at(1)->name());
    AnsweringDialog dialog(test);
    QVERIFY(dialog.showNow());
    test->slotRefreshTimeout();
    QCOMPARE(dialog.label("textLabel")->text(), QStringLiteral("Step 2 of 2: step 2"));
    QCOMPARE(dialog.progress()->value(), 1);
}

void tst_DeviceTestDialog::startsOnFirstShowOnly()
{
    DeviceTest *test = scriptedTest({{4}, {2}});
    AnsweringDialog dialog(test);
    QSignalSpy changed(test, &DeviceTest::currentTestChanged);
    QVERIFY(dialog.showNow());
    test->slotRefreshTimeout();
    QCOMPARE(test->currentIndex(), 1);
    dialog.hide();
    dialog.show();
    QCOMPARE(test->currentIndex(), 1);
    QCOMPARE(changed.count(), 2);
}

void tst_DeviceTestDialog::zeroStepsSayNoSteps()
{
    MiniMachine machine;
    auto *test = new DeviceTest(&machine.controller);
    test->createButtonTest(machine.in1); // not a button: no steps
    AnsweringDialog dialog(test);
    QVERIFY(dialog.showNow());
    QCOMPARE(test->runState(), DeviceTest::NotStarted);
    QCOMPARE(dialog.label("textLabel")->text(), QStringLiteral("This test has no steps"));
    QVERIFY(dialog.label("statusLabel")->text().contains(QStringLiteral("IN1")));
    QVERIFY(!dialog.button("skipButton")->isEnabled());
    QVERIFY(dialog.button("cancelButton")->text() != QStringLiteral("Finish"));
}

void tst_DeviceTestDialog::cancelAsksStopsAndRestores()
{
    MiniMachine machine;
    machine.panelButton->setValue(false);
    auto *test = new DeviceTest(&machine.controller);
    test->addTest(new ParameterInitTestAction(&machine.panel, machine.panelButton, true, test));
    test->addTest(new ScriptedAction({2}, test));
    QPointer<DeviceTest> guard(test);
    {
        AnsweringDialog dialog(test);
        QVERIFY(dialog.showNow());
        test->slotRefreshTimeout();
        QCOMPARE(machine.panelButton->value(), true);
        auto *cancel = dialog.button("cancelButton");
        dialog.answer = false;
        cancel->click();
        QCOMPARE(dialog.asked, 1);
        QVERIFY(dialog.isVisible());
        QVERIFY(test->isRunning());
        dialog.answer = true;
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.asked, 2);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(test->runState(), DeviceTest::Cancelled);
        QCOMPARE(machine.panelButton->value(), false);
    }
    QVERIFY(guard.isNull()); // the dialog owned the test
}

void tst_DeviceTestDialog::saveReport_data()
{
    QTest::addColumn<QString>("answer"); // relative to the chosen folder; "" cancels
    QTest::addColumn<QStringList>("written");
    QTest::newRow("name without suffix")
        << QStringLiteral("controller")
        << QStringList{QStringLiteral("controller.csv"), QStringLiteral("controller.txt")};
    QTest::newRow("cancelled") << QString() << QStringList();
    QTest::newRow("text name for both") << QStringLiteral("controller.txt") << QStringList();
}

void tst_DeviceTestDialog::saveReport()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, written);
    DeviceTest *test = scriptedTest({{4}, {2}});
    AnsweringDialog dialog(test);
    QTemporaryDir logs;
    QTemporaryDir chosen;
    dialog.setReportDirectory(logs.path());
    dialog.reportAnswer = answer.isEmpty() ? QString() : chosen.filePath(answer);
    QVERIFY(dialog.showNow());
    test->slotRefreshTimeout();
    dialog.button("skipButton")->click();
    dialog.button("saveReportButton")->click();
    // Asked where, starting beside the parameter logs; nothing written there unasked.
    QCOMPARE(QFileInfo(dialog.proposedReport).absolutePath(), QDir(logs.path()).absolutePath());
    QVERIFY(QFileInfo(dialog.proposedReport).fileName().startsWith(QStringLiteral("test-")));
    QVERIFY(QDir(logs.path()).entryList(QDir::Files).isEmpty());
    QStringList expected;
    for (const QString &name : written)
        expected << chosen.filePath(name);
    QCOMPARE(dialog.savedReports(), expected);
    QCOMPARE(QDir(chosen.path()).entryList(QDir::Files).size(), written.size());
    auto *status = dialog.label("statusLabel");
    if (written.isEmpty()) {
        QCOMPARE(status->text().isEmpty(), answer.isEmpty());
        return;
    }
    const QString content = QString::fromUtf8(TestEnvironment::readFile(expected.first()));
    QVERIFY(content.contains(QStringLiteral("2,step 2,Skipped,")));
    QVERIFY(content.contains(QStringLiteral("# Run: completed")));
    QVERIFY(status->text().contains(expected.first()));
}

QTEST_MAIN(tst_DeviceTestDialog)
#include "tst_devicetestdialog.moc"
