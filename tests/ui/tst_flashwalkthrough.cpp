#include "can/tooladdress.h"
#include "demo/demounits.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/editors/memoryaccessdock.h"
#include "diagnostics/memoryaccessfunction.h"
#include "model/abstractdisplayableitem.h"
#include "model/editors/targeteditor.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QtTest>

namespace {

constexpr int DataColumn = 3;
const char *const FlashingName = "Flashing Function";

QString exampleProgram()
{
    return QStringLiteral(TARVIK_SOURCE_DIR "/resources/demo/example.prg");
}

QString rowText(const QModelIndex &index, int column = DataColumn)
{
    return index.sibling(index.row(), column).data().toString();
}

template<typename T>
T *child(QWidget *parent, const QString &name)
{
    return parent ? parent->findChild<T *>(name) : nullptr;
}

// Clicks into a line editor, replaces its text by typing and presses Enter, as the user does.
void typeInto(QLineEdit *edit, const QString &text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Clicks a check box on its box, where the user clicks (a form stretches it wider).
void tick(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

// The top-level row of the unit at this source address.
QModelIndex unitRow(const DemoBusWindow &demo, int address)
{
    const QAbstractItemModel *model = demo.window()->mainView()->model();
    const QString text = QStringLiteral("0x%1").arg(address, 2, 16, QLatin1Char('0'));
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 1).data().toString() == text)
            return model->index(r, 0);
    }
    return {};
}

// The function row below unit whose address column reads address.
QModelIndex functionRow(const DemoBusWindow &demo, const QModelIndex &unit, const QString &address)
{
    const QAbstractItemModel *model = demo.window()->mainView()->model();
    for (int r = 0; r < model->rowCount(unit); ++r) {
        if (model->index(r, 1, unit).data().toString() == address)
            return model->index(r, 0, unit);
    }
    return {};
}

// The flashing editor's address field.
QLineEdit *targetEditor(QWidget *details)
{
    return details->findChild<QLineEdit *>(QStringLiteral("address"));
}

} // namespace

// The README's boot loading and engine walkthroughs on the demo bus, driven through the window:
// Device ▸ Add flasher, the flashing function's Details with its own controls, a run to its end,
// a run that times out, identification requests, and the engine stopped and started by EMR2.
class tst_FlashWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bootLoadTheExampleProgram();
    void timeOutShowsInTheRowWithoutTraffic();
    void identificationFromControllerAndEngine_data();
    void identificationFromControllerAndEngine();
    void settingsSurviveSaveAndOpen();
    void engineStopsAndStarts();
    void engineTroubleCodesInDetails();
    void flashingThenMemoryAccessOnOneToolUnit();

private:
    // The flasher added by Device ▸ Add flasher, its Details open; the run's waits shortened.
    QDockWidget *openFlasher(DemoBusWindow &demo, QModelIndex *row);
    // Chooses the example program, sets the target and starts with Yes: the question asked.
    static QString startRun(QWidget *details, const QString &target);

    QTemporaryDir m_logs;
};

void tst_FlashWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikFlashWalkthroughTest"));
    QVERIFY(m_logs.isValid());
    // Runs are logged beside the parameter logs, not in the working folder.
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"), m_logs.path());
}

QDockWidget *tst_FlashWalkthrough::openFlasher(DemoBusWindow &demo, QModelIndex *row)
{
    QAction *add = demo.action("actionAddFlasher");
    if (!add || add->shortcut() != QKeySequence(QStringLiteral("Ctrl+Shift+T")))
        return nullptr;
    add->trigger();
    if (!DemoBusWindow::waitFor([&] { return demo.row(QLatin1String(FlashingName)).isValid(); }))
        return nullptr;
    *row = demo.row(QLatin1String(FlashingName));
    // The demo's controller loads at once and nothing waits on the result: shorter waits keep
    // the test quick (configuration, not a user's step). The load wait stays longer than the
    // tree's refresh, which is when the editor starts following the transfer closely.
    auto *flasher = qobject_cast<CanFlashingFunctionV1 *>(
        demo.window()->schemeModel()->item(*row)->displayable());
    if (!flasher)
        return nullptr;
    CanFlashingFunctionV1::Intervals fast;
    fast.bootLoadMs = 1500;
    fast.resultMs = 500;
    QMetaObject::invokeMethod(
        flasher, [flasher, fast] { flasher->setIntervals(fast); },
        flasher->thread() == QThread::currentThread() ? Qt::DirectConnection
                                                      : Qt::BlockingQueuedConnection);
    QDockWidget *dock = demo.openDetails(*row);
    if (!dock || !DemoBusWindow::waitFor([dock] { return dock->isVisible(); }))
        return nullptr;
    return dock;
}

QString tst_FlashWalkthrough::startRun(QWidget *details, const QString &target)
{
    QLineEdit *address = targetEditor(details);
    if (!address)
        return QStringLiteral("no address editor");
    typeInto(address, target);
    {
        ModalAnswerer choose(ModalAnswerer::chooseFile(exampleProgram()));
        QTest::mouseClick(child<QPushButton>(details, QStringLiteral("choose")), Qt::LeftButton);
        if (!choose.answered())
            return QStringLiteral("no file dialog");
    }
    ModalAnswerer confirm(ModalAnswerer::press(QStringLiteral("Yes")));
    QTest::mouseClick(child<QPushButton>(details, QStringLiteral("start")), Qt::LeftButton);
    return confirm.answered() ? confirm.text() : QStringLiteral("no question");
}

void tst_FlashWalkthrough::bootLoadTheExampleProgram()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex row;
    QDockWidget *dock = openFlasher(demo, &row);
    QVERIFY(dock);
    QWidget *details = dock->widget();
    // The function's own editor, not a form of its raw fields.
    for (const char *name : {"choose", "start", "stop", "requestEcuid", "requestSoft"})
        QVERIFY2(child<QPushButton>(details, QLatin1String(name)), name);
    auto *progress = child<QProgressBar>(details, QStringLiteral("progress"));
    auto *block = child<QLabel>(details, QStringLiteral("block"));
    auto *result = child<QLabel>(details, QStringLiteral("result"));
    auto *state = child<QLabel>(details, QStringLiteral("state"));
    QVERIFY(progress && block && result && state);
    // The Details panel of the current row shows the same editor.
    QVERIFY(child<QPushButton>(demo.details(), QStringLiteral("start")));

    const QString question = startRun(details, QStringLiteral("a0"));
    QVERIFY2(question.contains(QLatin1String("unit 0xa0")), qPrintable(question));
    QVERIFY2(question.contains(QLatin1String("example.prg")), qPrintable(question));
    QVERIFY2(question.contains(QLatin1String("2050 bytes, 513 blocks")), qPrintable(question));
    QVERIFY(question.contains(QLatin1String("SHA-256")));

    // The progress bar and "Block i of n" follow the transfer.
    int seenProgress = -1;
    QString seenBlock;
    QVERIFY(DemoBusWindow::waitFor(
        [&] {
            if (progress->value() > 0 && progress->value() < 100) {
                seenProgress = progress->value();
                seenBlock = block->text();
            }
            return seenProgress > 0 && seenBlock.startsWith(QLatin1String("Block "));
        },
        20000));
    QVERIFY2(seenBlock.contains(QLatin1String(" of 513")), qPrintable(seenBlock));
    // Stop asks first; No lets the transfer go on.
    {
        ModalAnswerer no(ModalAnswerer::press(QStringLiteral("No")));
        QTest::mouseClick(child<QPushButton>(details, QStringLiteral("stop")), Qt::LeftButton);
        QVERIFY(no.answered());
        QVERIFY2(no.text().contains(QLatin1String("boot loader")), qPrintable(no.text()));
    }
    const QString finished = QStringLiteral("Reflash finished: 513 blocks to 0xa0");
    QVERIFY(DemoBusWindow::waitFor([&] { return result->text().startsWith(finished); }, 60000));
    QTRY_COMPARE(progress->value(), 100);
    QVERIFY2(rowText(row).contains(finished), qPrintable(rowText(row)));
    // The flasher returns to idle by itself; the result stays in Details and in the row.
    QVERIFY(DemoBusWindow::waitFor([&] { return state->text().isEmpty(); }, 5000));
    QVERIFY(result->text().startsWith(finished));
    QVERIFY(block->text().isEmpty());
    QVERIFY2(rowText(row).contains(finished), qPrintable(rowText(row)));
}

void tst_FlashWalkthrough::timeOutShowsInTheRowWithoutTraffic()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex row;
    QDockWidget *dock = openFlasher(demo, &row);
    QVERIFY(dock);
    // What the view repaints: the row's text each time the model reports the row changed.
    QStringList repainted;
    connect(demo.window()->schemeModel(), &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex &from, const QModelIndex &to) {
                if (from.parent() == row.parent() && from.row() <= row.row()
                    && to.row() >= row.row())
                    repainted << rowText(row);
            });
    // The tree refreshes once a second; a state change must show at the first refresh after it,
    // though no frame passes through the tool unit then.
    auto *flasher = qobject_cast<CanFlashingFunctionV1 *>(
        demo.window()->schemeModel()->item(row)->displayable());
    QVERIFY(flasher);
    QList<int> states;
    connect(flasher, &CanFlashingFunctionV1::flasherStateChanged, this,
            [&states](int s) { states << s; });
    QSignalSpy passes(demo.window()->schemeModel(), &SchemeTreeModel::refreshed);
    const auto nextPassAfterState = [&](int s) {
        if (!DemoBusWindow::waitFor([&] { return states.contains(s); }, 3000))
            return false;
        const int before = passes.count();
        return DemoBusWindow::waitFor([&] { return passes.count() > before; }, 3000);
    };
    // Nothing answers at 0x55: the run ends by the response time-out, and no frame follows.
    const QString question = startRun(dock->widget(), QStringLiteral("55"));
    QVERIFY2(question.contains(QLatin1String("unit 0x55")), qPrintable(question));
    // Nothing was read from it: each line says which button would read it.
    QVERIFY2(question.contains(QLatin1String("ECU: not read yet (Request ECUID reads it)"))
                 && question.contains(QLatin1String("Software: not read yet (Request SOFT")),
             qPrintable(question));
    const QString timedOut = QStringLiteral("no answer to the boot-load request");
    QVERIFY(nextPassAfterState(CanFlashingFunctionV1::FlasherError));
    QVERIFY2(!repainted.isEmpty() && repainted.last().contains(timedOut),
             qPrintable(repainted.join(QLatin1Char('|'))));
    auto *result = child<QLabel>(dock->widget(), QStringLiteral("result"));
    QVERIFY2(result->text().contains(timedOut), qPrintable(result->text()));
    // Back to idle after the result wait, still without a frame: the row keeps the result and
    // loses the error state.
    states.clear();
    QVERIFY(nextPassAfterState(CanFlashingFunctionV1::FlasherIdle));
    QVERIFY2(repainted.last().contains(timedOut), qPrintable(repainted.last()));
    QVERIFY2(!repainted.last().contains(QLatin1String("Reflash Error")),
             qPrintable(repainted.last()));
    QCOMPARE(child<QLabel>(dock->widget(), QStringLiteral("state"))->text(), QString());
    disconnect(flasher, nullptr, this, nullptr);
    disconnect(demo.window()->schemeModel(), nullptr, this, nullptr);
}

void tst_FlashWalkthrough::identificationFromControllerAndEngine_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("ecuid");
    QTest::addColumn<QString>("soft");
    QTest::newRow("controller") << QStringLiteral("a0")
                                << QStringLiteral("TVK-MC2*A0-0417*Boom*Tarvik*")
                                << QStringLiteral("MC2 4.1.7*BOOT 1.3*");
    QTest::newRow("engine") << QStringLiteral("1")
                            << QStringLiteral("EMR2-0211*4.2*Engine*Deutz*")
                            << QStringLiteral("EMR2 0211 04 20*");
}

void tst_FlashWalkthrough::identificationFromControllerAndEngine()
{
    QFETCH(QString, target);
    QFETCH(QString, ecuid);
    QFETCH(QString, soft);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex row;
    QDockWidget *dock = openFlasher(demo, &row);
    QVERIFY(dock);
    QWidget *details = dock->widget();
    QLineEdit *address = targetEditor(details);
    QVERIFY(address);
    typeInto(address, target);
    QCOMPARE(address->text(), target);
    auto *ecuLabel = child<QLabel>(details, QStringLiteral("ecuId"));
    auto *softLabel = child<QLabel>(details, QStringLiteral("softId"));
    QVERIFY(ecuLabel && softLabel);
    QTest::mouseClick(child<QPushButton>(details, QStringLiteral("requestEcuid")), Qt::LeftButton);
    QVERIFY2(DemoBusWindow::waitFor([&] { return ecuLabel->text() == ecuid; }),
             qPrintable(ecuLabel->text()));
    QTest::mouseClick(child<QPushButton>(details, QStringLiteral("requestSoft")), Qt::LeftButton);
    QVERIFY2(DemoBusWindow::waitFor([&] { return softLabel->text() == soft; }),
             qPrintable(softLabel->text()));
    // The tool's identification rows show the answers too.
    const QModelIndex ecuRow = demo.row(QStringLiteral("ECU Identification Information"));
    QVERIFY(ecuRow.isValid());
    QVERIFY(DemoBusWindow::waitFor([&] { return rowText(ecuRow).contains(ecuid); }));
}

void tst_FlashWalkthrough::settingsSurviveSaveAndOpen()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex row;
    QDockWidget *dock = openFlasher(demo, &row);
    QVERIFY(dock);
    typeInto(targetEditor(dock->widget()), QStringLiteral("a0"));
    auto *delay = child<QSpinBox>(dock->widget(), QStringLiteral("delay"));
    QVERIFY(delay);
    QTest::mouseClick(delay, Qt::LeftButton);
    QTest::keyClick(delay, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(delay, QStringLiteral("15"));
    QTest::keyClick(delay, Qt::Key_Return);
    QCOMPARE(delay->value(), 15);
    auto *retransmit = child<QCheckBox>(dock->widget(), QStringLiteral("retransmit"));
    QVERIFY(retransmit);
    tick(retransmit);
    QVERIFY(retransmit->isChecked());

    const QString path = m_logs.filePath(QStringLiteral("flasher.tvsx"));
    demo.window()->fileAnswer = path;
    demo.action("actionSave")->trigger();
    QVERIFY(QFile::exists(path));
    // Changed after saving: what comes back can only come from the file.
    typeInto(targetEditor(dock->widget()), QStringLiteral("55"));
    tick(retransmit);
    QVERIFY(!retransmit->isChecked());
    demo.window()->fileAnswer = path;
    demo.action("actionOpen")->trigger();
    QModelIndex reopened;
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return (reopened = demo.row(QLatin1String(FlashingName))).isValid(); }));
    dock = demo.openDetails(reopened);
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    QCOMPARE(targetEditor(dock->widget())->text(), QStringLiteral("a0"));
    QCOMPARE(child<QSpinBox>(dock->widget(), QStringLiteral("delay"))->value(), 15);
    QVERIFY(child<QCheckBox>(dock->widget(), QStringLiteral("retransmit"))->isChecked());
    QVERIFY(!child<QCheckBox>(dock->widget(), QStringLiteral("lowLatency"))->isChecked());
}

void tst_FlashWalkthrough::engineStopsAndStarts()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QAction *autoAdd = demo.action("actionAutoAdd");
    QCOMPARE(autoAdd->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    autoAdd->trigger();
    // The simulated engine at 0x01 with its speed, hours and configuration (EC1 every 5 s).
    QModelIndex engine;
    QVERIFY(DemoBusWindow::waitFor([&] { return (engine = unitRow(demo, 1)).isValid(); }));
    QModelIndex speed;
    for (const QString &address : {QStringLiteral("0xf004"), QStringLiteral("0xfee5"),
                                   QStringLiteral("0xfee3")}) {
        QVERIFY2(DemoBusWindow::waitFor(
                     [&] { return (speed = functionRow(demo, engine, address)).isValid(); },
                     12000),
                 qPrintable(address));
    }
    speed = functionRow(demo, engine, QStringLiteral("0xf004"));
    QVERIFY(DemoBusWindow::waitFor([&] { return rowText(speed).contains(QLatin1String("n=1500 rpm")); }));

    // Its function catalogue in Devices (Ctrl+B): EMR2 added by a double click; "Send" chosen
    // there does not make a function of the observed engine stand in. Device > Send does.
    demo.select(engine);
    const QString emr2 = QStringLiteral("EMR2 - Engine Stop Request");
    QVERIFY(demo.addFromCatalogue(emr2, "addModeSendButton"));
    QModelIndex stopRow;
    QVERIFY(DemoBusWindow::waitFor([&] { return (stopRow = demo.row(emr2, engine)).isValid(); }));
    AbstractDisplayableItem *stopFunction
        = demo.window()->schemeModel()->item(stopRow)->displayable();
    QTRY_COMPARE(stopFunction->state(), int(AbstractDisplayableItem::ReceiveOk));
    // The engine's other groups stay observed.
    QVERIFY(demo.window()->schemeModel()->item(speed)->displayable()->state()
            != AbstractDisplayableItem::Send);
    demo.select(stopRow);
    demo.action("actionSend")->trigger();
    QTRY_COMPARE(stopFunction->state(), int(AbstractDisplayableItem::Send));

    // Its Details: tick "Stop", the engine runs down to 0 rpm; untick, it starts again.
    QDockWidget *dock = demo.openDetails(stopRow);
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    auto *stop = dock->widget()->findChild<QCheckBox *>();
    QVERIFY(stop);
    tick(stop);
    QVERIFY(stop->isChecked());
    QVERIFY2(DemoBusWindow::waitFor(
                 [&] { return rowText(speed).contains(QLatin1String("n=0 rpm")); }, 10000),
             qPrintable(rowText(speed)));
    tick(stop);
    QVERIFY(!stop->isChecked());
    QVERIFY2(DemoBusWindow::waitFor(
                 [&] { return rowText(speed).contains(QLatin1String("n=1500 rpm")); }, 10000),
             qPrintable(rowText(speed)));
}

void tst_FlashWalkthrough::engineTroubleCodesInDetails()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex engine = unitRow(demo, 0);
    QVERIFY(engine.isValid());
    QModelIndex dm1;
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return (dm1 = functionRow(demo, engine, QStringLiteral("0xfeca"))).isValid(); }));
    QDockWidget *dock = demo.openDetails(dm1);
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    for (QWidget *details : {dock->widget(), demo.details()}) {
        auto *list = details->findChild<QListWidget *>(QStringLiteral("dtcList"));
        QVERIFY(list);
        // The recording's engine reports two codes by BAM once a second.
        QVERIFY(DemoBusWindow::waitFor([list] { return list->count() == 2; }));
        QVERIFY2(list->item(0)->text().contains(QLatin1String("110")),
                 qPrintable(list->item(0)->text()));
        bool lampLabelled = false;
        for (QLabel *label : details->findChildren<QLabel *>())
            lampLabelled |= label->text() == QLatin1String("Amber Warning Lamp");
        QVERIFY(lampLabelled);
        // The per-slot fields the list already shows are left out.
        for (QLabel *label : details->findChildren<QLabel *>())
            QVERIFY2(!label->text().startsWith(QLatin1String("SPN0")), qPrintable(label->text()));
    }
}

void tst_FlashWalkthrough::flashingThenMemoryAccessOnOneToolUnit()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("controller.ma"));
    QVERIFY(QFile::copy(QString::fromLatin1(DemoUnits::MemoryAccessFile), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    DemoBusWindow demo;
    QVERIFY(demo.start());

    // Boot loading as the README shows it, to its end.
    QModelIndex row;
    QDockWidget *dock = openFlasher(demo, &row);
    QVERIFY(dock);
    QWidget *details = dock->widget();
    auto *flasher = qobject_cast<CanFlashingFunctionV1 *>(
        demo.window()->schemeModel()->item(row)->displayable());
    QVERIFY(flasher);
    AbstractDisplayableItem *tool = flasher->parentItem();
    const QString question = startRun(details, QStringLiteral("a0"));
    QVERIFY2(question.contains(QLatin1String("unit 0xa0")), qPrintable(question));
    auto *result = child<QLabel>(details, QStringLiteral("result"));
    const QString finished = QStringLiteral("Reflash finished: 513 blocks to 0xa0");
    QVERIFY(DemoBusWindow::waitFor([&] { return result->text().startsWith(finished); }, 60000));
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return flasher->flasherState() == CanFlashingFunctionV1::FlasherIdle; }, 5000));

    // Then Memory access… on the controller's row: the same tool unit, no Stub.
    demo.select(unitRow(demo, 0xA0));
    QAction *memoryAccess = nullptr;
    for (QAction *a : demo.window()->mainView()->actions()) {
        if (a->objectName() == QLatin1String("actionUnitMemoryAccess"))
            memoryAccess = a;
    }
    QVERIFY(memoryAccess);
    QVERIFY2(memoryAccess->isEnabled(), qPrintable(memoryAccess->statusTip()));
    memoryAccess->trigger();
    AbstractSchemeTreeItem *node
        = demo.window()->schemeModel()->item(demo.window()->mainView()->currentIndex());
    auto *function = node ? qobject_cast<MemoryAccessFunction *>(node->displayable()) : nullptr;
    QVERIFY(function);
    QCOMPARE(function->parentItem(), tool);
    QCOMPARE(function->target(), 0xA0);
    QWidget *maDetails = demo.details();
    QVERIFY(maDetails);
    {
        ModalAnswerer answer(ModalAnswerer::chooseFile(path));
        QTest::mouseClick(child<QPushButton>(maDetails, QStringLiteral("open")), Qt::LeftButton);
        QVERIFY(answer.answered());
    }
    QTest::mouseClick(child<QPushButton>(maDetails, QStringLiteral("showData")), Qt::LeftButton);
    MemoryAccessDock *data = nullptr;
    QTRY_VERIFY((data = demo.window()->findChild<MemoryAccessDock *>()) && data->isVisible());
    QTest::mouseClick(child<QPushButton>(data, QStringLiteral("refresh")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(data, QStringLiteral("status"))->text(),
                              QStringLiteral("Read complete"), 10000);
    QCOMPARE(child<QDoubleSpinBox>(data, QStringLiteral("spn:f020"))->value(), 850.0);

    // And the flasher's identification request after it, through the same node.
    auto *ecuLabel = child<QLabel>(details, QStringLiteral("ecuId"));
    QVERIFY(ecuLabel);
    QTest::mouseClick(child<QPushButton>(details, QStringLiteral("requestEcuid")), Qt::LeftButton);
    QVERIFY2(DemoBusWindow::waitFor(
                 [&] { return ecuLabel->text() == QLatin1String("TVK-MC2*A0-0417*Boom*Tarvik*"); }),
             qPrintable(ecuLabel->text()));

    // One unit at the tool's address did it all.
    int atToolAddress = 0;
    for (AbstractSchemeTreeItem *top : demo.window()->schemeModel()->topLevelItems())
        atToolAddress
            += top->displayable()->address().value == demo.window()->toolAddress().current();
    QCOMPARE(atToolAddress, 1);
    QVERIFY(demo.window()->errors.isEmpty());
}

QTEST_MAIN(tst_FlashWalkthrough)
#include "tst_flashwalkthrough.moc"
