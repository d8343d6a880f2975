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
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

const char *const FlashingName = "Flashing Function";

QString exampleProgram()
{
    return QStringLiteral(TARVIK_SOURCE_DIR "/resources/demo/example.prg");
}

// The flashing editor's address field.
QLineEdit *targetEditor(QWidget *details)
{
    return DemoBusWindow::find<QLineEdit>(details, "address");
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
    // Requests the identification by its button: whether the label came to read `expected`.
    static bool identified(QWidget *details, const char *button, const char *label,
                           const QString &expected);

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
    *row = demo.waitRow(QLatin1String(FlashingName));
    // The demo's controller loads at once and nothing waits on the result: shorter waits keep
    // the test quick (configuration, not a user's step). The load wait stays longer than the
    // tree's refresh, which is when the editor starts following the transfer closely.
    auto *flasher = qobject_cast<CanFlashingFunctionV1 *>(demo.item(*row));
    if (!flasher)
        return nullptr;
    CanFlashingFunctionV1::Intervals fast;
    fast.bootLoadMs = 1500;
    fast.resultMs = 500;
    QMetaObject::invokeMethod(
        flasher, [flasher, fast] { flasher->setIntervals(fast); },
        flasher->thread() == QThread::currentThread() ? Qt::DirectConnection
                                                      : Qt::BlockingQueuedConnection);
    return demo.openDetails(*row);
}

QString tst_FlashWalkthrough::startRun(QWidget *details, const QString &target)
{
    QLineEdit *address = targetEditor(details);
    if (!address)
        return QStringLiteral("no address editor");
    DemoBusWindow::type(address, target);
    if (!DemoBusWindow::click(details, "choose", ModalAnswerer::chooseFile(exampleProgram())))
        return QStringLiteral("no file dialog");
    QString question;
    if (!DemoBusWindow::click(details, "start", ModalAnswerer::press(QStringLiteral("Yes")),
                              &question))
        return QStringLiteral("no question");
    return question;
}

bool tst_FlashWalkthrough::identified(QWidget *details, const char *button, const char *label,
                                      const QString &expected)
{
    auto *shown = DemoBusWindow::find<QLabel>(details, label);
    if (!shown || !DemoBusWindow::click(details, button))
        return false;
    if (DemoBusWindow::waitFor([&] { return shown->text() == expected; }))
        return true;
    QWARN(qPrintable(shown->text()));
    return false;
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
        QVERIFY2(DemoBusWindow::find<QPushButton>(details, name), name);
    auto *progress = DemoBusWindow::find<QProgressBar>(details, "progress");
    auto *block = DemoBusWindow::find<QLabel>(details, "block");
    auto *result = DemoBusWindow::find<QLabel>(details, "result");
    auto *state = DemoBusWindow::find<QLabel>(details, "state");
    QVERIFY(progress && block && result && state);
    // The Details panel of the current row shows the same editor.
    QVERIFY(DemoBusWindow::find<QPushButton>(demo.details(), "start"));

    const QString question = startRun(details, QStringLiteral("a0"));
    for (const char *part : {"unit 0xa0", "example.prg", "2050 bytes, 513 blocks", "SHA-256"})
        QVERIFY2(question.contains(QLatin1String(part)), qPrintable(question));

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
    QString asked;
    QVERIFY(
        DemoBusWindow::click(details, "stop", ModalAnswerer::press(QStringLiteral("No")), &asked));
    QVERIFY2(asked.contains(QLatin1String("boot loader")), qPrintable(asked));
    const QString finished = QStringLiteral("Reflash finished: 513 blocks to 0xa0");
    QVERIFY(DemoBusWindow::waitFor([&] { return result->text().startsWith(finished); }, 60000));
    QTRY_COMPARE(progress->value(), 100);
    QVERIFY2(DemoBusWindow::rowText(row).contains(finished),
             qPrintable(DemoBusWindow::rowText(row)));
    // The flasher returns to idle by itself; the result stays in Details and in the row.
    QVERIFY(DemoBusWindow::waitFor([&] { return state->text().isEmpty(); }, 5000));
    QVERIFY(result->text().startsWith(finished));
    QVERIFY(block->text().isEmpty());
    QVERIFY2(DemoBusWindow::rowText(row).contains(finished),
             qPrintable(DemoBusWindow::rowText(row)));
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
                    repainted << DemoBusWindow::rowText(row);
            });
    // The tree refreshes once a second; a state change must show at the first refresh after it,
    // though no frame passes through the tool unit then.
    auto *flasher = qobject_cast<CanFlashingFunctionV1 *>(demo.item(row));
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
    // Nothing was read from it: each line says which button would read it.
    const QString question = startRun(dock->widget(), QStringLiteral("55"));
    for (const char *part : {"unit 0x55", "ECU: not read yet (Request ECUID reads it)",
                             "Software: not read yet (Request SOFT"})
        QVERIFY2(question.contains(QLatin1String(part)), qPrintable(question));
    const QString timedOut = QStringLiteral("no answer to the boot-load request");
    QVERIFY(nextPassAfterState(CanFlashingFunctionV1::FlasherError));
    QVERIFY2(!repainted.isEmpty() && repainted.last().contains(timedOut),
             qPrintable(repainted.join(QLatin1Char('|'))));
    const QString result = DemoBusWindow::find<QLabel>(dock->widget(), "result")->text();
    QVERIFY2(result.contains(timedOut), qPrintable(result));
    // Back to idle after the result wait, still without a frame: the row keeps the result and
    // loses the error state.
    states.clear();
    QVERIFY(nextPassAfterState(CanFlashingFunctionV1::FlasherIdle));
    QVERIFY2(repainted.last().contains(timedOut), qPrintable(repainted.last()));
    QVERIFY2(!repainted.last().contains(QLatin1String("Reflash Error")),
             qPrintable(repainted.last()));
    QCOMPARE(DemoBusWindow::find<QLabel>(dock->widget(), "state")->text(), QString());
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
    DemoBusWindow::type(address, target);
    QCOMPARE(address->text(), target);
    QVERIFY(identified(details, "requestEcuid", "ecuId", ecuid));
    QVERIFY(identified(details, "requestSoft", "softId", soft));
    // The tool's identification rows show the answers too.
    const QModelIndex ecuRow = demo.row(QStringLiteral("ECU Identification Information"));
    QVERIFY(ecuRow.isValid());
    QVERIFY(DemoBusWindow::waitFor([&] { return DemoBusWindow::rowText(ecuRow).contains(ecuid); }));
}

void tst_FlashWalkthrough::settingsSurviveSaveAndOpen()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex row;
    QDockWidget *dock = openFlasher(demo, &row);
    QVERIFY(dock);
    DemoBusWindow::type(targetEditor(dock->widget()), QStringLiteral("a0"));
    auto *delay = DemoBusWindow::find<QSpinBox>(dock->widget(), "delay");
    auto *retransmit = DemoBusWindow::find<QCheckBox>(dock->widget(), "retransmit");
    QVERIFY(delay && retransmit);
    DemoBusWindow::type(delay, QStringLiteral("15"));
    QCOMPARE(delay->value(), 15);
    DemoBusWindow::tick(retransmit);
    QVERIFY(retransmit->isChecked());

    const QString path = m_logs.filePath(QStringLiteral("flasher.tvsx"));
    demo.window()->fileAnswer = path;
    demo.action("actionSave")->trigger();
    QVERIFY(QFile::exists(path));
    // Changed after saving: what comes back can only come from the file.
    DemoBusWindow::type(targetEditor(dock->widget()), QStringLiteral("55"));
    DemoBusWindow::tick(retransmit);
    QVERIFY(!retransmit->isChecked());
    demo.action("actionOpen")->trigger();
    dock = demo.openDetails(demo.waitRow(QLatin1String(FlashingName)));
    QVERIFY(dock);
    QCOMPARE(targetEditor(dock->widget())->text(), QStringLiteral("a0"));
    QCOMPARE(DemoBusWindow::find<QSpinBox>(dock->widget(), "delay")->value(), 15);
    QVERIFY(DemoBusWindow::find<QCheckBox>(dock->widget(), "retransmit")->isChecked());
    QVERIFY(!DemoBusWindow::find<QCheckBox>(dock->widget(), "lowLatency")->isChecked());
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
    QVERIFY(DemoBusWindow::waitFor([&] { return (engine = demo.unitAt(1)).isValid(); }));
    for (const char *address : {"0xf004", "0xfee5", "0xfee3"}) {
        QVERIFY2(
            DemoBusWindow::waitFor(
                [&] { return demo.functionAt(engine, QLatin1String(address)).isValid(); }, 12000),
            address);
    }
    const QModelIndex speed = demo.functionAt(engine, QStringLiteral("0xf004"));
    const auto speedReads = [&](const char *text) {
        return DemoBusWindow::waitFor(
            [&] { return DemoBusWindow::rowText(speed).contains(QLatin1String(text)); }, 10000);
    };
    QVERIFY(speedReads("n=1500 rpm"));

    // Its function catalogue in Devices (Ctrl+B): EMR2 added by a double click; "Send" chosen
    // there does not make a function of the observed engine stand in. Device > Send does.
    demo.select(engine);
    const QString emr2 = QStringLiteral("EMR2 - Engine Stop Request");
    QVERIFY(demo.addFromCatalogue(emr2, "addModeSendButton"));
    const QModelIndex stopRow = demo.waitRow(emr2, engine);
    AbstractDisplayableItem *stopFunction = demo.item(stopRow);
    QVERIFY(stopFunction);
    QTRY_COMPARE(stopFunction->state(), int(AbstractDisplayableItem::ReceiveOk));
    // The engine's other groups stay observed.
    QVERIFY(demo.item(speed)->state() != AbstractDisplayableItem::Send);
    demo.select(stopRow);
    demo.action("actionSend")->trigger();
    QTRY_COMPARE(stopFunction->state(), int(AbstractDisplayableItem::Send));

    // Its Details: tick "Stop", the engine runs down to 0 rpm; untick, it starts again.
    QDockWidget *dock = demo.openDetails(stopRow);
    QVERIFY(dock);
    auto *stop = dock->widget()->findChild<QCheckBox *>();
    QVERIFY(stop);
    DemoBusWindow::tick(stop);
    QVERIFY(stop->isChecked());
    QVERIFY2(speedReads("n=0 rpm"), qPrintable(DemoBusWindow::rowText(speed)));
    DemoBusWindow::tick(stop);
    QVERIFY(!stop->isChecked());
    QVERIFY2(speedReads("n=1500 rpm"), qPrintable(DemoBusWindow::rowText(speed)));
}

void tst_FlashWalkthrough::engineTroubleCodesInDetails()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex engine = demo.unitAt(0);
    QVERIFY(engine.isValid());
    QModelIndex dm1;
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return (dm1 = demo.functionAt(engine, QStringLiteral("0xfeca"))).isValid(); }));
    QDockWidget *dock = demo.openDetails(dm1);
    QVERIFY(dock);
    for (QWidget *details : {dock->widget(), demo.details()}) {
        auto *list = DemoBusWindow::find<QListWidget>(details, "dtcList");
        QVERIFY(list);
        // The recording's engine reports two codes by BAM once a second.
        QVERIFY(DemoBusWindow::waitFor([list] { return list->count() == 2; }));
        QVERIFY2(list->item(0)->text().contains(QLatin1String("110")),
                 qPrintable(list->item(0)->text()));
        QStringList labels;
        for (QLabel *label : details->findChildren<QLabel *>())
            labels << label->text();
        QVERIFY(labels.contains(QStringLiteral("Amber Warning Lamp")));
        // The per-slot fields the list already shows are left out.
        QVERIFY2(labels.filter(QRegularExpression(QStringLiteral("^SPN0"))).isEmpty(),
                 qPrintable(labels.join(QLatin1Char('|'))));
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
    auto *flasher = qobject_cast<CanFlashingFunctionV1 *>(demo.item(row));
    QVERIFY(flasher);
    AbstractDisplayableItem *tool = flasher->parentItem();
    const QString question = startRun(details, QStringLiteral("a0"));
    QVERIFY2(question.contains(QLatin1String("unit 0xa0")), qPrintable(question));
    auto *result = DemoBusWindow::find<QLabel>(details, "result");
    const QString finished = QStringLiteral("Reflash finished: 513 blocks to 0xa0");
    QVERIFY(DemoBusWindow::waitFor([&] { return result->text().startsWith(finished); }, 60000));
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return flasher->flasherState() == CanFlashingFunctionV1::FlasherIdle; }, 5000));

    // Then Memory access… on the controller's row: the same tool unit, no Stub.
    demo.select(demo.unitAt(0xA0));
    QAction *memoryAccess = demo.treeAction("actionUnitMemoryAccess");
    QVERIFY(memoryAccess);
    QVERIFY2(memoryAccess->isEnabled(), qPrintable(memoryAccess->statusTip()));
    memoryAccess->trigger();
    auto *function = qobject_cast<MemoryAccessFunction *>(demo.currentItem());
    QVERIFY(function);
    QCOMPARE(function->parentItem(), tool);
    QCOMPARE(function->target(), 0xA0);
    QWidget *maDetails = demo.details();
    QVERIFY(DemoBusWindow::click(maDetails, "open", ModalAnswerer::chooseFile(path)));
    QVERIFY(DemoBusWindow::click(maDetails, "showData"));
    MemoryAccessDock *data = nullptr;
    QTRY_VERIFY((data = demo.window()->findChild<MemoryAccessDock *>()) && data->isVisible());
    QVERIFY(DemoBusWindow::click(data, "refresh"));
    QTRY_COMPARE_WITH_TIMEOUT(DemoBusWindow::find<QLabel>(data, "status")->text(),
                              QStringLiteral("Read complete"), 10000);
    QCOMPARE(DemoBusWindow::find<QDoubleSpinBox>(data, "spn:f020")->value(), 850.0);

    // And the flasher's identification request after it, through the same node.
    QVERIFY(identified(details, "requestEcuid", "ecuId",
                       QStringLiteral("TVK-MC2*A0-0417*Boom*Tarvik*")));

    // One unit at the tool's address did it all.
    QCOMPARE(demo.unitsAtToolAddress(), 1);
    QVERIFY(demo.window()->errors.isEmpty());
}

QTEST_MAIN(tst_FlashWalkthrough)
#include "tst_flashwalkthrough.moc"
