#include "app/parameterlog.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "ui/editors/connectiontimeoutsdialog.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxintparameter.h"
#include "scheme/schemecontroller.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"
#include "support/windowtestcase.h"
#include "app/parameterlog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// What another program reading the file sees now: only what has reached the file.
QByteArray onDisk(const QString &path)
{
    QFile reader(path);
    return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray();
}

QWidget *diagramWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("connectionDiagram"))
            return w;
    }
    return nullptr;
}

} // namespace

class tst_ExitAndLog : public WindowTestCase
{
    Q_OBJECT

public:
    tst_ExitAndLog()
        : WindowTestCase(QStringLiteral("TarvikExitAndLogTest"))
    {}

private slots:
    void logReachesTheDisk_data();
    void logReachesTheDisk();
    void logNeedsMarkedItems_data();
    void logNeedsMarkedItems();
    void missingValuesLogEmpty();
    void diagramClosesWithItsDialog();
    // Last: it runs the application's own event loop.
    void exitAfterTheDiagramEndsTheEventLoop();
};

void tst_ExitAndLog::logReachesTheDisk_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<QList<int>>("times");
    QTest::addColumn<bool>("live");
    QTest::addColumn<int>("lines");
    QTest::newRow("the header at once") << 1000 << QList<int>{} << false << 1;
    QTest::newRow("records of the first second wait") << 1000 << QList<int>{100, 500} << false << 1;
    QTest::newRow("a second after the header all go")
        << 1000 << QList<int>{100, 500, 1000} << false << 4;
    QTest::newRow("then the next second waits")
        << 1000 << QList<int>{100, 1000, 1999} << false << 3;
    QTest::newRow("and goes in its turn")
        << 1000 << QList<int>{100, 1000, 1999, 2000} << false << 5;
    QTest::newRow("live: every record") << 1000 << QList<int>{100, 200} << true << 3;
    QTest::newRow("short interval") << 50 << QList<int>{20, 40, 60, 70} << false << 4;
    QTest::newRow("clock set back") << 1000 << QList<int>{1000, 1100, 500} << false << 4;
}

void tst_ExitAndLog::logReachesTheDisk()
{
    QFETCH(int, interval);
    QFETCH(QList<int>, times);
    QFETCH(bool, live);
    QFETCH(int, lines);
    QTemporaryDir dir;
    ParameterLog log;
    QCOMPARE(log.flushInterval(), ParameterLog::DefaultFlushIntervalMs);
    log.setFlushInterval(interval);
    QVERIFY(log.start(dir.filePath(QStringLiteral("log.csv")), {}, 0));
    for (int t : times)
        QVERIFY(log.writeRecord(t, live));
    const QByteArray seen = onDisk(log.path());
    QCOMPARE(seen.count('\n'), lines);
    QVERIFY(seen.startsWith("Time\n"));
    log.stop();
    QCOMPARE(onDisk(log.path()).count('\n'), 1 + times.size());
}

// Nothing received yet, or a value the bus marks not available: an empty field, never a number.
void tst_ExitAndLog::missingValuesLogEmpty()
{
    QTemporaryDir dir;
    BindingFunction f(0xFE, 0xF1);
    f.addField(QStringLiteral("A"), 0, 0, 8);
    f.addField(QStringLiteral("B"), 1, 0, 16, 0.5f);
    f.setState(AbstractDisplayableItem::ReceiveOk);
    ParameterLog log;
    QVERIFY(log.start(dir.filePath(QStringLiteral("log.csv")),
                      {{&f, 0, QStringLiteral("A")}, {&f, 1, QStringLiteral("B")}}, 0));
    QVERIFY(log.writeRecord(100, true));
    DispatchResult r;
    QVERIFY(f.dispatchMessage(makeFrame(f.canMessageId(), {7, 0xFF, 0xFF}), &r));
    QVERIFY(log.writeRecord(200, true));
    QVERIFY(f.dispatchMessage(makeFrame(f.canMessageId(), {8, 0x10, 0x00}), &r));
    QVERIFY(log.writeRecord(300, true));
    log.stop();
    QCOMPARE(onDisk(log.path()), QByteArray("Time,A,B\n0.100,,\n0.200,7,\n0.300,8,8\n"));
}

void tst_ExitAndLog::logNeedsMarkedItems_data()
{
    QTest::addColumn<int>("parameters");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<bool>("starts");
    QTest::newRow("empty scheme") << -1 << false << false;
    QTest::newRow("an item, not marked") << 2 << false << false;
    QTest::newRow("a marked item without parameters") << 0 << true << false;
    QTest::newRow("a marked item") << 2 << true << true;
}

void tst_ExitAndLog::logNeedsMarkedItems()
{
    QFETCH(int, parameters);
    QFETCH(bool, marked);
    QFETCH(bool, starts);
    QTemporaryDir dir;
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"), dir.path());
    if (parameters >= 0) {
        auto *device = new J1939Device(0x41);
        for (int i = 0; i < parameters; ++i)
            device->addIntParameter(QStringLiteral("p%1").arg(i));
        device->setFiltered(marked);
        m_window->addDisplayable(device);
    }
    QAction *start = action("actionStartParameterLog");
    start->trigger();
    QCOMPARE(start->isChecked(), starts);
    QCOMPARE(m_window->parameterLog()->isRunning(), starts);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), starts ? 1 : 0);
    // Without columns the engineer learns what the log needs.
    QCOMPARE(m_window->statusBar()->currentMessage().contains(QStringLiteral("Filter On")), !starts);
    if (starts)
        start->trigger();
}

void tst_ExitAndLog::diagramClosesWithItsDialog()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto dialog = std::make_unique<ConnectionTimeoutsDialog>(m_window.get());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    QTest::mouseClick(buttons->button(QDialogButtonBox::Help), Qt::LeftButton);
    QPointer<QWidget> diagram = diagramWindow();
    QVERIFY(diagram);
    QVERIFY(diagram->isVisible());
    QVERIFY(diagram->isWindow());
    QCOMPARE(diagram->windowTitle(), QStringLiteral("Connection diagram"));
    // The diagram belongs to the dialog, which belongs to the window.
    QCOMPARE(diagram->parentWidget(), dialog.get());
    dialog->reject();
    QVERIFY(!diagram->isVisible());
    dialog.reset();
    QVERIFY(!diagram);
}

void tst_ExitAndLog::exitAfterTheDiagramEndsTheEventLoop()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    bool diagramShown = false;
    bool timedOut = false;
    // Inside the modal timing dialog: show the diagram, then close the dialog with OK.
    auto answerDialog = [&diagramShown] {
        auto *dialog = qobject_cast<ConnectionTimeoutsDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        buttons->button(QDialogButtonBox::Help)->click();
        QWidget *diagram = diagramWindow();
        diagramShown = diagram && diagram->isVisible();
        buttons->button(QDialogButtonBox::Ok)->click();
    };
    QTimer::singleShot(0, m_window.get(), [&] {
        QTimer::singleShot(20, answerDialog);
        action("actionConnectionTimeouts")->trigger();
        action("actionExit")->trigger();
    });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(2);
    });
    guard.start(10000);
    const int code = QApplication::exec();
    guard.stop();
    QVERIFY(diagramShown);
    QVERIFY(!timedOut);
    QCOMPARE(code, 0);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!diagramWindow() || !diagramWindow()->isVisible());
    // The settings are written as the window goes.
    m_window.reset();
    QCOMPARE(QSettings().value(QStringLiteral("WindowState/UiVersion")).toInt(),
             MainWindow::UiVersion);
}

QTEST_MAIN(tst_ExitAndLog)
#include "tst_exitandlog.moc"
