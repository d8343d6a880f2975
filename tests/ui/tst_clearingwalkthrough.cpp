#include "can/simulatedbus.h"
#include "demo/simulatedtransport.h"
#include "diagnostics/broadcastsuspension.h"
#include "diagnostics/codeclearingfunction.h"
#include "diagnostics/toolrequest.h"
#include "model/j1939device.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"

#include <QAbstractButton>
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <mutex>

namespace {

// Stands beside the demo bus's units: acknowledges DM11 and DM3 positively for the engine and
// keeps every request and DM13 the program sends.
class ServiceListener : public SimulatedUnit
{
public:
    explicit ServiceListener(quint8 address, int ackDelayMs = 5)
        : m_address(address)
        , m_ackDelayMs(ackDelayMs)
    {}
    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override
    {
        std::lock_guard locker(m_mutex);
        if (frame.pduFormat() == BroadcastSuspension::Pf)
            m_dm13.append(QByteArray(reinterpret_cast<const char *>(frame.data), frame.length));
        const qint64 pgn = ToolRequest::requestedPgn(frame);
        if (pgn < 0 || frame.pduSpecific() != m_address)
            return;
        m_requests.append(quint32(pgn));
        if (pgn != CodeClearingFunction::Dm11Pgn && pgn != CodeClearingFunction::Dm3Pgn)
            return;
        replies->append({SimulatedTransport::acknowledgement(
                             m_address, SimulatedTransport::Acknowledgement::Positive,
                             frame.address(), quint32(pgn), 0xF9),
                         m_ackDelayMs});
    }
    // Copies of their own: a shared copy would let the bus thread's next append test the
    // count this thread drops, a relaxed read ThreadSanitizer reports.
    QVector<quint32> requests() const
    {
        std::lock_guard locker(m_mutex);
        return QVector<quint32>(m_requests.cbegin(), m_requests.cend());
    }
    QVector<QByteArray> dm13() const
    {
        std::lock_guard locker(m_mutex);
        return QVector<QByteArray>(m_dm13.cbegin(), m_dm13.cend());
    }

private:
    mutable std::mutex m_mutex;
    quint8 m_address;
    int m_ackDelayMs;
    QVector<quint32> m_requests;
    QVector<QByteArray> m_dm13;
};

const QString Engine = QStringLiteral("Engine #1");
constexpr quint8 EngineAddress = 0x00;

std::shared_ptr<ServiceListener> listenOn(DemoBusWindow &demo, int ackDelayMs = 5)
{
    auto listener = std::make_shared<ServiceListener>(EngineAddress, ackDelayMs);
    demo.simulatedBus()->addUnit(listener);
    return listener;
}

// Every text the Details panel shows, in line edits and labels.
QString shownTexts(QWidget *panel)
{
    QStringList texts;
    if (!panel)
        return QString();
    for (QLineEdit *edit : panel->findChildren<QLineEdit *>())
        texts << edit->text();
    for (QLabel *label : panel->findChildren<QLabel *>())
        texts << label->text();
    for (QPlainTextEdit *report : panel->findChildren<QPlainTextEdit *>())
        texts << report->toPlainText();
    return texts.join(QLatin1Char('\n'));
}

} // namespace

// The engineer clears an engine's trouble codes from its row and suspends the broadcasts of
// the bus for a procedure, as the window offers them.
class tst_ClearingWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikClearingWalkthroughTest"));
        CodeClearingFunction::s_answerTimeMs = 1500;
        CodeClearingFunction::s_settleMs = 50;
        BroadcastSuspension::s_holdIntervalMs = 100;
    }
    void clearCodesOfTheEngine();
    void cancelledClearingSendsNothing();
    void suspendAndResumeBroadcasts();
};

void tst_ClearingWalkthrough::clearCodesOfTheEngine()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    // The engine takes its time to acknowledge: the engineer looks at the clearing meanwhile.
    auto listener = listenOn(demo, 300);
    const QModelIndex engine = demo.row(Engine);
    QVERIFY(engine.isValid());
    // The engine's active codes have been read (its DM1 broadcasts two).
    AbstractDisplayableItem *unit = demo.item(engine);
    QVector<DtcArrayParameter::DtcItem> codes;
    QVERIFY(DemoBusWindow::waitFor([&] {
        return CodeClearingFunction::knownCodes(unit, CodeClearingFunction::Dm1Pgn, &codes)
               && codes.size() == 2;
    }));
    demo.select(engine);
    // In the row's context menu.
    QAction *clear = demo.treeAction("actionUnitClearCodes");
    QVERIFY(clear && clear->isEnabled());
    ScriptedMainWindow *window = demo.window();
    window->asked.clear();
    window->confirm = true;
    ModalAnswerer dialog([](QWidget *d) {
        // Active and previously active codes, this unit only.
        d->findChild<QAbstractButton *>(QStringLiteral("clearPrevious"))->click();
        ModalAnswerer::press(QStringLiteral("OK"))(d);
    });
    clear->trigger();
    QVERIFY(dialog.answered());
    QCOMPARE(dialog.title(), QStringLiteral("Clear codes"));
    QCOMPARE(window->asked.size(), 1);
    const QString confirmation = window->asked.first();
    QVERIFY2(
        confirmation.startsWith(QLatin1String("Clear codes|Clear the codes of Engine #1 (0x00)?")),
        qPrintable(confirmation));
    for (const DtcArrayParameter::DtcItem &c : codes)
        QVERIFY2(confirmation.contains(QStringLiteral("SPN %1 FMI %2 (").arg(c.spn).arg(c.fmi)),
                 qPrintable(confirmation));
    QVERIFY2(confirmation.contains(QLatin1String("Previously active codes (DM2): ")),
             qPrintable(confirmation));
    // The clearing function's row under the engine shows the clearing as it goes, in the
    // Details panel and in a Details dock of its own.
    const QString rowName = QStringLiteral("DM11/DM3 - Clear Diagnostic Trouble Codes");
    QDockWidget *dock = demo.openDetails(demo.waitRow(rowName, engine));
    QVERIFY(dock);
    QTRY_VERIFY(demo.details());
    // The result stays in the status bar.
    const QString prefix = QStringLiteral("Clear codes of Engine #1 (0x00): cleared");
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return window->statusBar()->currentMessage().startsWith(prefix); }, 15000));
    QCOMPARE(listener->requests().mid(0, 2),
             (QVector<quint32>{CodeClearingFunction::Dm11Pgn, CodeClearingFunction::Dm3Pgn}));
    QVERIFY(listener->requests().contains(CodeClearingFunction::Dm1Pgn));
    // ... and in the clearing row's Details, the panel and the dock alike.
    for (QWidget *shownIn : {demo.details(), dock->widget()})
        QTRY_VERIFY2(shownTexts(shownIn).contains(QLatin1String("DM11 ACK, DM3 ACK")),
                     qPrintable(shownTexts(shownIn)));
    // Which codes went and which came back, after DM1 was asked again.
    const QString shown = shownTexts(demo.details());
    QVERIFY2(shown.contains(QLatin1String("Active codes cleared; gone: ")), qPrintable(shown));
    QVERIFY(shown.contains(QLatin1String("; came back: ")));
    QVERIFY(shown.contains(window->statusBar()->currentMessage()));

    // The clearing row is part of the scheme: it comes back from the file.
    QTemporaryDir dir;
    QVERIFY(demo.saveAndReopen(dir.filePath(QStringLiteral("cleared.tvsx")), false));
    const QModelIndex reopened = demo.row(rowName, demo.row(Engine));
    QVERIFY(reopened.isValid());
    demo.openDetails(reopened);
    QTRY_VERIFY2(shownTexts(demo.details()).contains(QLatin1String("DM11 ACK, DM3 ACK")),
                 qPrintable(shownTexts(demo.details())));
}

void tst_ClearingWalkthrough::cancelledClearingSendsNothing()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    auto listener = listenOn(demo);
    demo.select(demo.row(Engine));
    ScriptedMainWindow *window = demo.window();
    window->confirm = false;
    QVERIFY(demo.trigger("actionUnitClearCodes", ModalAnswerer::press(QStringLiteral("OK"))));
    QCOMPARE(window->statusBar()->currentMessage(),
             QStringLiteral("Clearing cancelled: nothing was sent"));
    window->confirm = true;
    window->asked.clear();
    QVERIFY(demo.trigger("actionUnitClearCodes", ModalAnswerer::press(QStringLiteral("Cancel"))));
    QVERIFY(window->asked.isEmpty()); // no confirmation after Cancel
    QTest::qWait(200);
    QVERIFY(listener->requests().isEmpty());
    QVERIFY(!demo.row(QStringLiteral("DM11/DM3 - Clear Diagnostic Trouble Codes")).isValid());
}

void tst_ClearingWalkthrough::suspendAndResumeBroadcasts()
{
    std::shared_ptr<ServiceListener> listener;
    const int network1 = 1 << BroadcastSuspension::J1939Network1;
    {
        DemoBusWindow demo;
        QVERIFY(demo.start());
        listener = listenOn(demo);
        ScriptedMainWindow *window = demo.window();
        auto *label = DemoBusWindow::find<QLabel>(window, "broadcastSuspendedLabel");
        QVERIFY(label);
        QVERIFY(!label->isVisible());
        QAction *resume = demo.action("actionResumeBroadcasts");
        QVERIFY(!resume->isEnabled());
        const auto suspend = [&] {
            return demo.trigger("actionSuspendBroadcasts",
                                ModalAnswerer::press(QStringLiteral("OK")));
        };
        window->confirm = false;
        QVERIFY(suspend());
        QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Nothing suspended"));
        QTest::qWait(150);
        QVERIFY(listener->dm13().isEmpty());
        QVERIFY(!label->isVisible());
        // All units on J1939 network #1, as the dialog proposes.
        window->confirm = true;
        QVERIFY(suspend());
        QTRY_VERIFY(label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("Broadcasts suspended (DM13)"));
        QVERIFY(window->asked.last().contains(QLatin1String("all units on J1939 network #1")));
        QTRY_VERIFY(listener->dm13().count(BroadcastSuspension::holdData()) >= 2);
        QCOMPARE(listener->dm13().first(), BroadcastSuspension::stopData(network1));
        QVERIFY(resume->isEnabled());
        resume->trigger();
        QTRY_VERIFY(!label->isVisible());
        QCOMPARE(listener->dm13().last(), BroadcastSuspension::startData(network1));
        QVERIFY(!resume->isEnabled());

        // Suspended again, then the window goes: the broadcasts start again first.
        QVERIFY(suspend());
        QTRY_VERIFY(label->isVisible());
        QCOMPARE(listener->dm13().count(BroadcastSuspension::stopData(network1)), 2);
    }
    QCOMPARE(listener->dm13().count(BroadcastSuspension::startData(network1)), 2);
    QCOMPARE(listener->dm13().last(), BroadcastSuspension::startData(network1));
}

QTEST_MAIN(tst_ClearingWalkthrough)
#include "tst_clearingwalkthrough.moc"
