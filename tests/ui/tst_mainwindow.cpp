#include "can/canhandlerfactory.h"
#include "can/editors/adapterchoicedialog.h"
#include "can/editors/canloadbar.h"
#include "can/guimessagenotifier.h"
#include "can/trafficcalculator.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "ui/firststartlayout.h"
#include "ui/mainwindow.h"
#include "ui/rawdatamodel.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // Windows write their settings as they close: every test starts from none.
    void cleanup() { QSettings().clear(); }
    void title();
    void statusBarWidgets();
    void stateIconFollowsHandler_data();
    void stateIconFollowsHandler();
    void trafficReachesStatusBar();
    void choiceDialogOffersSixAdapters();
    void languageMenuStoresChoice();
    void rawViewFollowsTraffic();
    void firstStartWindowSize_data();
    void firstStartWindowSize();
    void firstStartShowsEveryColumn();
};

void tst_MainWindow::initTestCase()
{
    TestEnvironment::init();
    QCoreApplication::setApplicationName(QStringLiteral("TarvikMainWindowTest"));
    QSettings().clear();
}

void tst_MainWindow::title()
{
    const QString title = MainWindow::defaultTitle();
    QVERIFY(
        QRegularExpression(QStringLiteral("^Tarvik - v\\d+\\.\\d+\\.\\d+ [A-Z][a-z]{2} [ \\d]\\d "
                                          "\\d{4} \\d\\d:\\d\\d:\\d\\d$"))
            .match(title)
            .hasMatch());
}

void tst_MainWindow::statusBarWidgets()
{
    MainWindow window;
    auto *connection = window.statusBar()->findChild<QLabel *>(QStringLiteral("connectionLabel"));
    QVERIFY(connection);
    QCOMPARE(connection->text(), QStringLiteral("No adapter"));
    window.showConnection(TranslatableText::plain(QStringLiteral("I7565 (USB-COM)")),
                          QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(connection->text(), QStringLiteral("I7565 (USB-COM) on /dev/ttyUSB0"));
    // A recording given by its path (tarvik --adapter replay --port <file>): by its name.
    window.showConnection(TranslatableText::plain(QStringLiteral("Replay (demo)")),
                          TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.MF4"));
    QCOMPARE(connection->text(),
             QStringLiteral("Replay (demo) on css_FCBF0606_j1939_truck_bam.MF4"));
    QCOMPARE(window.statusBar()->findChild<QLabel *>(QStringLiteral("loadCaption"))->text(),
             QStringLiteral("Bus load:"));
    QCOMPARE(window.statusBar()->findChild<QLabel *>(QStringLiteral("parameterLogCaption"))->text(),
             QStringLiteral("Log records:"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStatusBar *bar = window.statusBar();
    QVERIFY(bar->findChild<QLabel *>(QStringLiteral("parameterLogCounterLabel")));
    auto *load = bar->findChild<CanLoadBar *>(QStringLiteral("canLoadBar"));
    QVERIFY(load);
    QCOMPARE(load->value(), 0);
    auto *traffic = bar->findChild<QLabel *>(QStringLiteral("trafficLabel"));
    QVERIFY(traffic);
    QVERIFY(traffic->toolTip().contains(QLatin1String("1953")));
    auto *state = bar->findChild<QToolButton *>(QStringLiteral("transceiverStateButton"));
    QVERIFY(state);
    QVERIFY(state->maximumHeight() <= 16);
    QVERIFY(!state->icon().isNull());
}

void tst_MainWindow::stateIconFollowsHandler_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("icon");
    QTest::newRow("closed") << 0 << ":/icons/transstate/closed.png";
    QTest::newRow("error") << 1 << ":/icons/transstate/error.png";
    QTest::newRow("open") << 2 << ":/icons/transstate/ok.png";
}

void tst_MainWindow::stateIconFollowsHandler()
{
    QFETCH(int, state);
    QFETCH(QString, icon);
    QVERIFY(QFile::exists(icon));
    TestCanHandler handler;
    MainWindow window;
    window.attachBus(&handler, nullptr);
    auto *button
        = window.statusBar()->findChild<QToolButton *>(QStringLiteral("transceiverStateButton"));
    QVERIFY(handler.start());
    handler.setTransmissionState(AbstractCanHandler::State(state));
    QTRY_COMPARE(button->property("transceiverState").toInt(), state);
    const QImage shown = button->icon().pixmap(16, 16).toImage();
    const QImage expected = QIcon(icon).pixmap(16, 16).toImage();
    QCOMPARE(shown, expected);
}

void tst_MainWindow::trafficReachesStatusBar()
{
    TestCanHandler handler;
    GuiMessageNotifier notifier;
    MainWindow window;
    window.attachBus(&handler, &notifier);
    // Short, yet long enough for a loaded machine to see the frames before they leave the
    // two-interval window.
    window.trafficCalculator()->setInterval(200);
    auto *traffic = window.statusBar()->findChild<QLabel *>(QStringLiteral("trafficLabel"));
    auto *load = window.statusBar()->findChild<CanLoadBar *>(QStringLiteral("canLoadBar"));
    AbstractCanHandler::MessagePack pack;
    for (int i = 0; i < 3000; ++i)
        pack.append(
            qMakePair(makeFrame(0x18FEF100, {}), DispatchResult(DispatchResult::Received, 0)));
    handler.enqueueMessagePack(pack);
    notifier.slotCheckQueue();
    QTRY_COMPARE_WITH_TIMEOUT(load->load(), 3000, 5000);
    QVERIFY(traffic->text().contains(QLatin1String("3000")));
    // The bar's scale is the capacity of the calculator's (here shortened) window.
    const int capacity = window.trafficCalculator()->netMessageCapacityPerInterval();
    QCOMPARE(capacity, 781);
    QCOMPARE(load->value(), 100);
    QCOMPARE(load->text(), QStringLiteral("384.1 %"));
}

void tst_MainWindow::choiceDialogOffersSixAdapters()
{
    AdapterChoiceDialog dialog;
    const QStringList expected{"Slmcp (old)",     "Slcan (new)", "J2534 (OpenPort 2.0)",
                               "I7565 (USB-COM)", "Zentrax",     "Replay (demo)"};
    QStringList texts;
    for (int type = 1; type <= 6; ++type) {
        auto *button = dialog.findChild<QPushButton *>(QStringLiteral("adapterButton%1").arg(type));
        QVERIFY(button);
        texts << button->text();
    }
    QCOMPARE(texts, expected);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Choose the CAN adapter"));
    // Every adapter says what it is on a line of its own beside its button.
    QSet<QString> descriptions;
    for (int type = CanHandlerFactory::FirstType; type <= CanHandlerFactory::LastType; ++type) {
        auto *what = dialog.findChild<QLabel *>(QStringLiteral("adapterDescription%1").arg(type));
        QVERIFY(what);
        QVERIFY(!what->text().isEmpty());
        QCOMPARE(what->buddy(),
                 dialog.findChild<QPushButton *>(QStringLiteral("adapterButton%1").arg(type)));
        descriptions.insert(what->text());
    }
    QCOMPARE(descriptions.size(), CanHandlerFactory::LastType - CanHandlerFactory::FirstType + 1);
    auto description = [&dialog](int type) {
        return dialog.findChild<QLabel *>(QStringLiteral("adapterDescription%1").arg(type))->text();
    };
    QCOMPARE(description(CanHandlerFactory::Zentrax),
             QStringLiteral("Zentrax — the maker's USB-CAN adapter (serial port)"));
    QCOMPARE(description(CanHandlerFactory::Replay),
             QStringLiteral("Demo bus — a recorded machine with simulated units, no hardware "
                            "needed"));
    // Cancel chooses no adapter.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *cancel = dialog.findChild<QDialogButtonBox *>(QStringLiteral("adapterCancel"))
                       ->button(QDialogButtonBox::Cancel);
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(CanHandlerFactory::None));
}

void tst_MainWindow::languageMenuStoresChoice()
{
    {
        MainWindow window;
        auto *system = window.findChild<QAction *>(QStringLiteral("actionLanguageSystem"));
        auto *russian = window.findChild<QAction *>(QStringLiteral("actionLanguageRussian"));
        QVERIFY(system && russian);
        QVERIFY(system->isChecked());
        russian->trigger();
        QCOMPARE(QSettings().value(QStringLiteral("Misc/Language")).toString(),
                 QStringLiteral("ru"));
        // Applied at the next start, and the window says so.
        QCOMPARE(window.statusBar()->currentMessage(),
                 QStringLiteral("The language changes at the next start"));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Language"), QStringLiteral("Language"));
    }
    MainWindow next;
    QVERIFY(next.findChild<QAction *>(QStringLiteral("actionLanguageRussian"))->isChecked());
    auto *english = next.findChild<QAction *>(QStringLiteral("actionLanguageEnglish"));
    english->trigger();
    QCOMPARE(QSettings().value(QStringLiteral("Misc/Language")).toString(), QStringLiteral("en"));
    next.findChild<QAction *>(QStringLiteral("actionLanguageSystem"))->trigger();
    QVERIFY(!QSettings().contains(QStringLiteral("Misc/Language")));
}

void tst_MainWindow::rawViewFollowsTraffic()
{
    TestCanHandler handler;
    GuiMessageNotifier notifier;
    MainWindow window;
    window.attachBus(&handler, &notifier);
    auto *view = window.findChild<QTableView *>(QStringLiteral("rawDataView"));
    QVERIFY(view);
    QCOMPARE(view->model(), static_cast<QAbstractItemModel *>(window.rawDataModel()));
    auto *enable = window.findChild<QAction *>(QStringLiteral("actionRawEnable"));
    QVERIFY(enable && enable->isChecked());
    handler.enqueueMessagePack(
        {qMakePair(makeFrame(0x18FEF100, {1}), DispatchResult(DispatchResult::Received, 0))});
    notifier.slotCheckQueue();
    QCOMPARE(view->model()->rowCount(), 1);
    enable->setChecked(false);
    handler.enqueueMessagePack(
        {qMakePair(makeFrame(0x18FEF100, {2}), DispatchResult(DispatchResult::Received, 0))});
    notifier.slotCheckQueue();
    QCOMPARE(view->model()->rowCount(), 1);
    window.findChild<QAction *>(QStringLiteral("actionRawClear"))->trigger();
    QCOMPARE(view->model()->rowCount(), 0);
    QVERIFY(window.findChild<QDockWidget *>(QStringLiteral("FilterDockWidget")));
}

void tst_MainWindow::firstStartWindowSize_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("size");
    QTest::newRow("large screen: the preferred size")
        << QRect(0, 0, 1920, 1040) << QSize(1400, 860);
    QTest::newRow("laptop 1366x768: both shrink") << QRect(0, 0, 1366, 728) << QSize(1229, 655);
    QTest::newRow("small screen") << QRect(0, 0, 1024, 600) << QSize(921, 540);
    QTest::newRow("unknown screen") << QRect() << QSize(1400, 860);
}

void tst_MainWindow::firstStartWindowSize()
{
    QFETCH(QRect, available);
    QFETCH(QSize, size);
    QCOMPARE(FirstStartLayout::windowSize(available), size);
}

// Without saved settings the window fits the screen and every column of the tree shows, each at
// least as wide as its header text.
void tst_MainWindow::firstStartShowsEveryColumn()
{
    MainWindow window;
    const QRect available = window.screen()->availableGeometry();
    QCOMPARE(window.size(), FirstStartLayout::windowSize(available));
    // The test platform's screen is 800x600, smaller than the docks need: the window is given
    // what a laptop screen would give it.
    const QSize laptop = FirstStartLayout::windowSize(QRect(0, 0, 1366, 728));
    window.resize(laptop);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Every dock open at once still fits: no dock's least size pushes the status bar off screen.
    QVERIFY2(window.minimumSizeHint().height() <= laptop.height()
                 && window.minimumSizeHint().width() <= laptop.width(),
             qPrintable(QStringLiteral("%1x%2")
                            .arg(window.minimumSizeHint().width())
                            .arg(window.minimumSizeHint().height())));
    QCOMPARE(window.size(), laptop);
    QTreeView *tree = window.mainView();
    QHeaderView *header = tree->header();
    QTRY_VERIFY(header->sectionSize(0) >= header->sectionSizeHint(0));
    const int viewport = tree->viewport()->width();
    for (int column = 0; column < header->count(); ++column) {
        const int right = header->sectionViewportPosition(column) + header->sectionSize(column);
        QVERIFY2(
            right <= viewport,
            qPrintable(
                QStringLiteral("column %1 ends at %2 of %3").arg(column).arg(right).arg(viewport)));
        QVERIFY2(header->sectionSize(column) >= header->sectionSizeHint(column),
                 qPrintable(QString::number(column)));
    }
    // A wider view (the docks hidden) goes to the data, not to the last column, once the name
    // has its width back.
    const int name = header->sectionSize(2);
    const int data = header->sectionSize(3);
    const int wider = 600;
    window.resize(window.width() + wider, window.height());
    QTRY_VERIFY(header->sectionSize(3) > data);
    QVERIFY(header->sectionSize(2) >= name);
    QVERIFY2(header->sectionSize(2) + header->sectionSize(3) >= name + data + wider - 50,
             qPrintable(
                 QStringLiteral("%1 %2").arg(header->sectionSize(2)).arg(header->sectionSize(3))));
    // Once the user sizes a column, the widths are theirs.
    header->resizeSection(2, 300);
    window.resize(window.width() - 200, window.height());
    QTest::qWait(50);
    QCOMPARE(header->sectionSize(2), 300);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
