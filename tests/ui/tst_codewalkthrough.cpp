#include "can/replaycanhandler.h"
#include "can/simulatedbus.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/dm2function.h"
#include "diagnostics/dm5function.h"
#include "diagnostics/toolrequest.h"
#include "model/abstractdisplayableitem.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

// The demo engine as a unit that keeps its codes answers for them: a request for DM2 or DM5 to
// its address gets a single frame back; every request to it is counted.
class CodeAnswerer : public SimulatedUnit
{
public:
    static constexpr quint8 Address = 0x00;
    // Amber lamp, SPN 100 FMI 1 with 3 occurrences.
    static constexpr quint8 Dm2[8] = {0x04, 0x00, 0x64, 0x00, 0x01, 0x03, 0xFF, 0xFF};
    // 2 active, 1 previously active, not OBD compliant; misfire supported and not complete.
    static constexpr quint8 Dm5[8] = {0x02, 0x01, 0x05, 0x11, 0x00, 0x00, 0x00, 0x00};

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override
    {
        const qint64 pgn = ToolRequest::requestedPgn(frame);
        if (pgn < 0 || frame.pduSpecific() != Address)
            return;
        lastRequestId = frame.id;
        const quint8 *answer = nullptr;
        if (pgn == 0xFECB) {
            ++dm2Requests;
            answer = Dm2;
        } else if (pgn == 0xFECA) {
            ++dm1Requests;
        } else if (pgn == 0xFECE) {
            ++dm5Requests;
            answer = Dm5;
        }
        if (!answer)
            return;
        SimulatedReply reply;
        reply.frame.id = 0x18000000u | quint32(pgn) << 8 | Address;
        reply.frame.setData(answer, 8);
        reply.delayMs = 5;
        replies->append(reply);
    }

    std::atomic<int> dm1Requests{0};
    std::atomic<int> dm2Requests{0};
    std::atomic<int> dm5Requests{0};
    std::atomic<quint32> lastRequestId{0};
};

int functionsOf(const AbstractDisplayableItem *unit, const QMetaObject &kind)
{
    int n = 0;
    for (const AbstractDisplayableItem *child : unit->children())
        n += child->metaObject() == &kind;
    return n;
}

// The engine as a unit of the demo bus that answers for its codes.
std::shared_ptr<CodeAnswerer> answerer(DemoBusWindow &demo)
{
    auto *replay = dynamic_cast<ReplayCanHandler *>(demo.handler());
    if (!replay)
        return nullptr;
    auto unit = std::make_shared<CodeAnswerer>();
    replay->simulatedBus()->addUnit(unit);
    return unit;
}

// File > Save As, then File > Open of that file: the engine in the opened scheme.
AbstractDisplayableItem *reopenedEngine(DemoBusWindow &demo)
{
    QTemporaryDir dir;
    if (!demo.saveAndReopen(dir.filePath(QStringLiteral("codes.tvsx"))))
        return nullptr;
    return demo.item(demo.row(QStringLiteral("Engine #1")));
}

} // namespace

// The engineer reads a unit's trouble codes on the demo bus: "Trouble codes" in the unit's
// context menu, the previously active codes in Details, "Request" again; and the readiness
// summary added from Devices and asked for. Where the menu entry applies is
// tst_TestWalkthrough::unitMenuAppliesOrSaysWhy's.
class tst_CodeWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikCodeWalkthrough"));
    }
    void troubleCodesFromTheUnit();
    void readinessFromDevices();
};

void tst_CodeWalkthrough::troubleCodesFromTheUnit()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    std::shared_ptr<CodeAnswerer> engineUnit = answerer(demo);
    QVERIFY(engineUnit);
    const QModelIndex engineRow = demo.row(QStringLiteral("Engine #1"));
    AbstractDisplayableItem *engine = demo.item(engineRow);
    QVERIFY(engine);
    QCOMPARE(functionsOf(engine, DM2Function::staticMetaObject), 0);

    // Right-click the engine's row, "Trouble codes".
    demo.select(engineRow);
    QAction *codes = demo.treeAction("actionUnitTroubleCodes");
    QVERIFY(codes && codes->isEnabled());
    codes->trigger();

    // The DM2 row is added under the engine and shown in Details.
    auto *dm2 = qobject_cast<DM2Function *>(demo.currentItem());
    QVERIFY(dm2);
    QCOMPARE(dm2->parentItem(), engine);
    QTRY_VERIFY(DemoBusWindow::find<QDockWidget>(demo.window(), "detailsWindow")->isVisible());
    QWidget *details = demo.details();
    auto *list = DemoBusWindow::find<QListWidget>(details, "dtcList");
    QVERIFY(list);
    QVERIFY(DemoBusWindow::waitFor([list] { return list->count() == 1; }));
    QCOMPARE(list->item(0)->text(),
             QString::fromUtf8("[100,1] Engine Oil Pressure · Data valid but below normal "
                               "operational range, most severe level · 3×"));
    // The row wraps at the panel's width, so the count at its end needs no scrolling; the
    // whole row is also its tool tip.
    QVERIFY(list->visualItemRect(list->item(0)).right() < list->viewport()->width());
    QCOMPARE(list->item(0)->toolTip(), list->item(0)->text());
    QStringList labels;
    for (const QLabel *label : details->findChildren<QLabel *>())
        labels << label->text();
    QVERIFY(labels.contains(QStringLiteral("Previously active trouble codes")));
    auto *line = DemoBusWindow::find<QLabel>(details, "requestLine");
    QVERIFY(line);
    QTRY_VERIFY2(line->text().contains(QLatin1String("answered at")), qPrintable(line->text()));
    // The row reads the codes in words.
    QTRY_COMPARE(DemoBusWindow::rowText(demo.window()->mainView()->currentIndex()),
                 QString::fromUtf8("AWL on · [100,1] Engine Oil Pressure · Data valid but below "
                                   "normal operational range, most severe level · 3×"));

    // The requests left from the tool's address to the engine, DM2 first, then DM1.
    QCOMPARE(engineUnit->dm2Requests.load(), 1);
    QTRY_COMPARE(engineUnit->dm1Requests.load(), 1);
    QCOMPARE(engineUnit->lastRequestId.load(), 0x18EA00F9u);
    // The tool unit at 0xF9 takes long answers; the engine kept its one DM1.
    QVERIFY(demo.row(QStringLiteral("Off-board diagnostic unit")).isValid());
    QCOMPARE(functionsOf(engine, DM1Function::staticMetaObject), 1);

    // "Request" in Details asks again.
    QVERIFY(DemoBusWindow::click(details, "requestButton"));
    QTRY_COMPARE(engineUnit->dm2Requests.load(), 2);
    QCOMPARE(engineUnit->dm1Requests.load(), 1);

    // The action again: nothing added twice.
    demo.select(engineRow);
    codes->trigger();
    QTRY_COMPARE(engineUnit->dm2Requests.load(), 3);
    QCOMPARE(functionsOf(engine, DM2Function::staticMetaObject), 1);
    QCOMPARE(demo.currentItem(), dm2);

    // The scheme keeps the added function, listened to as before.
    engine = reopenedEngine(demo);
    QVERIFY(engine);
    QCOMPARE(functionsOf(engine, DM2Function::staticMetaObject), 1);
    QCOMPARE(functionsOf(engine, DM1Function::staticMetaObject), 1);
    for (const AbstractDisplayableItem *f : engine->children()) {
        if (qobject_cast<const DM2Function *>(f))
            QCOMPARE(f->schemeState(), int(AbstractDisplayableItem::ReceiveOk));
    }
}

void tst_CodeWalkthrough::readinessFromDevices()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    std::shared_ptr<CodeAnswerer> engineUnit = answerer(demo);
    QVERIFY(engineUnit);
    const QModelIndex engineRow = demo.row(QStringLiteral("Engine #1"));
    demo.select(engineRow);
    // Devices (Ctrl+B) lists the engine's functions: DM5 added to be received.
    const QString readiness = QStringLiteral("DM - Diagnostic Readiness 1");
    QVERIFY(demo.addFromCatalogue(readiness, "addModeReceiveButton"));
    const QModelIndex dm5Row = demo.waitRow(readiness, engineRow);
    QCOMPARE(DemoBusWindow::rowText(dm5Row), QStringLiteral("no data yet"));

    // Details of the new row, "Request".
    QDockWidget *dock = demo.openDetails(dm5Row);
    QVERIFY(dock);
    QVERIFY(DemoBusWindow::click(dock->widget(), "requestButton"));
    QTRY_COMPARE(engineUnit->dm5Requests.load(), 1);
    QTRY_COMPARE(DemoBusWindow::rowText(dm5Row),
                 QString::fromUtf8("2 active, 1 previously active · Not OBD compliant · not "
                                   "complete: Misfire"));
    QStringList shown;
    QTRY_VERIFY(([&] {
        shown.clear();
        for (const QComboBox *box : dock->widget()->findChildren<QComboBox *>())
            shown << box->currentText();
        return shown.contains(QStringLiteral("Not complete"));
    }()));
    QVERIFY2(shown.contains(QStringLiteral("Not OBD compliant")), qPrintable(shown.join('|')));
    auto *line = DemoBusWindow::find<QLabel>(dock->widget(), "requestLine");
    QVERIFY(line);
    QTRY_VERIFY2(line->text().contains(QLatin1String("answered at")), qPrintable(line->text()));

    AbstractDisplayableItem *engine = reopenedEngine(demo);
    QVERIFY(engine);
    QCOMPARE(functionsOf(engine, DM5Function::staticMetaObject), 1);
}

QTEST_MAIN(tst_CodeWalkthrough)
#include "tst_codewalkthrough.moc"
