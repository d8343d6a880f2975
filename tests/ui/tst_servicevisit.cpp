#include "model/abstractdisplayableitem.h"
#include "model/staticpgnj1939devicefunction.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/rawdatamodel.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

constexpr quint32 EngineAddress = 0x01;
constexpr quint32 Eec1Pgn = 0xF004;
constexpr quint32 HoursPgn = 0xFEE5;
constexpr quint32 Dm1Pgn = 0xFECA;
constexpr quint32 Dm2Pgn = 0xFECB;
constexpr quint32 Dm5Pgn = 0xFECE;
constexpr quint32 ClearingPgn = 0xFED3; // DM11, the clearing function's row
constexpr int EventColumn = 5;
constexpr int DataColumn = 3;
constexpr int LongWaitMs = 20000;

// The texts a list in Details shows, one per line.
QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; list && i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Every text the Details panel shows, in line edits and labels.
QString shownTexts(const QWidget *panel)
{
    QStringList texts;
    if (!panel)
        return QString();
    for (const QLineEdit *edit : panel->findChildren<QLineEdit *>())
        texts << edit->text();
    for (const QLabel *label : panel->findChildren<QLabel *>())
        texts << label->text();
    for (const QPlainTextEdit *report : panel->findChildren<QPlainTextEdit *>())
        texts << report->toPlainText();
    return texts.join(QLatin1Char('\n'));
}

} // namespace

// A service visit on the demo bus, as the README walks a new user through it: the demo's
// simulated engine at 0x01 is added from its traffic, its active and previously active codes
// read, the freeze frame of one code opened, the codes cleared and the one whose cause persists
// seen coming back, and its broadcasts suspended and resumed. One bus for the whole visit: each
// step starts where the one before left the window.
class tst_ServiceVisit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void autoAddFindsTheEngine();
    void readsActiveAndPreviouslyActiveCodes();
    void readinessFromDevices();
    void freezeFrameOfTheCoolantCode();
    void clearsAndSeesWhatCameBack();
    void suspendsAndResumesBroadcasts();

private:
    // The engine's row (column 1: column 0 of an idle item is disabled).
    QModelIndex engineRow() const;
    // The row of the engine's function for `pgn`; invalid when it has none.
    QModelIndex functionRow(quint32 pgn) const;
    QString cell(const QModelIndex &row, int column) const;
    // The event counter of a row as the tree shows it.
    qint64 events(const QModelIndex &row) const;
    // The list of codes in the Details of the current row.
    QListWidget *detailsCodes() const;
    // The newest raw view row's index: requests counted from it on are the ones asked since.
    quint32 rawMark() const;
    // The requests for `pgn` the raw view shows going from the tool to the engine since `mark`.
    int requestsSince(quint32 mark, quint32 pgn) const;

    std::unique_ptr<DemoBusWindow> m_demo;
};

void tst_ServiceVisit::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikServiceVisitTest"));
    m_demo = std::make_unique<DemoBusWindow>();
    QVERIFY(m_demo->start());
}

void tst_ServiceVisit::cleanupTestCase()
{
    m_demo.reset();
}

QModelIndex tst_ServiceVisit::engineRow() const
{
    SchemeTreeModel *model = m_demo->window()->schemeModel();
    for (AbstractSchemeTreeItem *node : model->topLevelItems()) {
        const AbstractDisplayableItem *item = node->displayable();
        if (item && item->address().kind == ItemAddress::J1939
            && item->address().value == EngineAddress)
            return model->index(node, 1);
    }
    return {};
}

QModelIndex tst_ServiceVisit::functionRow(quint32 pgn) const
{
    const QModelIndex unit = engineRow();
    SchemeTreeModel *model = m_demo->window()->schemeModel();
    const QModelIndex parent = unit.sibling(unit.row(), 0);
    for (int r = 0; unit.isValid() && r < model->rowCount(parent); ++r) {
        const QModelIndex index = model->index(r, 1, parent);
        AbstractSchemeTreeItem *node = model->item(index);
        const auto *function = qobject_cast<const StaticPgnJ1939DeviceFunction *>(
            node ? node->displayable() : nullptr);
        if (function && function->pgnValue() == pgn)
            return index;
    }
    return {};
}

QString tst_ServiceVisit::cell(const QModelIndex &row, int column) const
{
    return row.sibling(row.row(), column).data().toString();
}

qint64 tst_ServiceVisit::events(const QModelIndex &row) const
{
    bool ok = false;
    const qint64 n = cell(row, EventColumn).toLongLong(&ok);
    return ok ? n : -1;
}

QListWidget *tst_ServiceVisit::detailsCodes() const
{
    QWidget *details = m_demo->details();
    return details ? details->findChild<QListWidget *>(QStringLiteral("dtcList")) : nullptr;
}

quint32 tst_ServiceVisit::rawMark() const
{
    const RawDataModel *raw = m_demo->window()->rawDataModel();
    return raw->rowCount() > 0 ? raw->row(0).index : 0;
}

int tst_ServiceVisit::requestsSince(quint32 mark, quint32 pgn) const
{
    const RawDataModel *raw = m_demo->window()->rawDataModel();
    int n = 0;
    for (int i = 0; i < raw->rowCount() && raw->row(i).index > mark; ++i) {
        const RawDataModel::Row &r = raw->row(i);
        if (r.id == 0x18EA01F9u && r.length == 3
            && (r.data[0] | r.data[1] << 8 | r.data[2] << 16) == int(pgn))
            ++n;
    }
    return n;
}

void tst_ServiceVisit::autoAddFindsTheEngine()
{
    QVERIFY(!engineRow().isValid()); // the example scheme knows the recording's engine only
    QAction *autoAdd = m_demo->action("actionAutoAdd");
    QVERIFY(autoAdd);
    if (!autoAdd->isChecked())
        autoAdd->trigger();
    QVERIFY(autoAdd->isChecked());
    QVERIFY(DemoBusWindow::waitFor([this] { return engineRow().isValid(); }, LongWaitMs));
    // Its speed, hours and active codes came with it, counted as they arrive.
    QModelIndex eec1;
    QVERIFY(DemoBusWindow::waitFor(
        [&] {
            eec1 = functionRow(Eec1Pgn);
            return eec1.isValid() && functionRow(HoursPgn).isValid()
                   && functionRow(Dm1Pgn).isValid() && events(eec1) > 10;
        },
        LongWaitMs));
    QCOMPARE(cell(engineRow(), 1), QStringLiteral("0x01"));
}

void tst_ServiceVisit::readsActiveAndPreviouslyActiveCodes()
{
    const QModelIndex engine = engineRow();
    QVERIFY(engine.isValid());
    m_demo->select(engine);
    QAction *codes = m_demo->treeAction("actionUnitTroubleCodes");
    QVERIFY(codes);
    QVERIFY2(codes->isEnabled(), qPrintable(codes->statusTip()));
    quint32 mark = rawMark();
    codes->trigger();

    // The previously active codes come to the tool by a connection and show in Details.
    auto *dock = m_demo->window()->findChild<QDockWidget *>(QStringLiteral("detailsWindow"));
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    const QModelIndex dm2 = functionRow(Dm2Pgn);
    QVERIFY(dm2.isValid());
    QCOMPARE(m_demo->window()->mainView()->currentIndex().row(), dm2.row());
    const QStringList previous
        = {QString::fromUtf8("[168,1] Battery Potential / Power Input 1 · Data valid but below "
                             "normal operational range, most severe level · 4×"),
           QString::fromUtf8("[91,3] Accelerator Pedal Position 1 · Voltage above normal, or "
                             "shorted to high source · 2×")};
    QTRY_COMPARE_WITH_TIMEOUT(listTexts(detailsCodes()), previous, LongWaitMs);
    auto *line = m_demo->details()->findChild<QLabel *>(QStringLiteral("requestLine"));
    QVERIFY(line);
    QTRY_VERIFY2(line->text().contains(QLatin1String("answered at")), qPrintable(line->text()));
    QTRY_VERIFY2(cell(dm2, DataColumn).contains(QLatin1String("[168,1] Battery Potential")),
                 qPrintable(cell(dm2, DataColumn)));
    // A row wraps at the panel's width, so the count at its end needs no scrolling; the whole
    // row is also its tool tip.
    const QListWidget *list = detailsCodes();
    QVERIFY(list->visualItemRect(list->item(0)).right() < list->viewport()->width());
    QCOMPARE(list->item(0)->toolTip(), list->item(0)->text());
    // The tool asked for DM2, then, once it was answered, for DM1: the raw view shows both.
    QTRY_COMPARE(requestsSince(mark, Dm1Pgn), 1);
    QCOMPARE(requestsSince(mark, Dm2Pgn), 1);

    // "Request" in Details asks for DM2 alone; the menu entry again adds no second row.
    mark = rawMark();
    QVERIFY(DemoBusWindow::click(m_demo->details(), "requestButton"));
    QTRY_COMPARE(requestsSince(mark, Dm2Pgn), 1);
    const QModelIndex unit = engineRow();
    const int functions = m_demo->window()->schemeModel()->rowCount(unit.sibling(unit.row(), 0));
    m_demo->select(unit);
    mark = rawMark();
    codes->trigger();
    QTRY_COMPARE(requestsSince(mark, Dm2Pgn), 1);
    QCOMPARE(m_demo->window()->schemeModel()->rowCount(unit.sibling(unit.row(), 0)), functions);
    QCOMPARE(m_demo->window()->mainView()->currentIndex().row(), dm2.row());

    // The active codes beside them, in the DM1 row and its Details.
    const QModelIndex dm1 = functionRow(Dm1Pgn);
    QVERIFY(dm1.isValid());
    QVERIFY(m_demo->openDetails(dm1));
    const QStringList active
        = {QString::fromUtf8("[110,16] Engine Coolant Temperature · Data valid but above normal "
                             "operating range, moderately severe level · 3×"),
           QString::fromUtf8("[100,18] Engine Oil Pressure · Data valid but below normal "
                             "operating range, moderately severe level · 1×"),
           QString::fromUtf8("[102,4] Engine Intake Manifold #1 Pressure · Voltage below normal, "
                             "or shorted to low source · 2×")};
    QTRY_COMPARE_WITH_TIMEOUT(listTexts(detailsCodes()), active, LongWaitMs);
    QVERIFY2(cell(dm1, DataColumn).startsWith(QLatin1String("MIL, AWL on")),
             qPrintable(cell(dm1, DataColumn)));
}

void tst_ServiceVisit::readinessFromDevices()
{
    // Devices (Ctrl+B) lists the engine's functions: DM5 added to be received, then asked.
    m_demo->select(engineRow());
    const QString readiness = QStringLiteral("DM - Diagnostic Readiness 1");
    QVERIFY(m_demo->addFromCatalogue(readiness, "addModeReceiveButton"));
    QModelIndex dm5;
    QVERIFY(DemoBusWindow::waitFor([&] { return (dm5 = functionRow(Dm5Pgn)).isValid(); }));
    QDockWidget *dock = m_demo->openDetails(dm5);
    QVERIFY(dock);
    QVERIFY(DemoBusWindow::click(dock->widget(), "requestButton"));
    QTRY_COMPARE_WITH_TIMEOUT(cell(dm5, DataColumn),
                              QString::fromUtf8("3 active, 2 previously active · Not OBD compliant "
                                                "· not complete: Comprehensive component, Diesel "
                                                "particulate filter"),
                              LongWaitMs);
    auto *line = DemoBusWindow::find<QLabel>(dock->widget(), "requestLine");
    QVERIFY(line);
    QTRY_VERIFY2(line->text().contains(QLatin1String("answered at")), qPrintable(line->text()));
}

void tst_ServiceVisit::freezeFrameOfTheCoolantCode()
{
    m_demo->select(engineRow());
    QAction *freezeFrames = m_demo->treeAction("actionUnitFreezeFrames");
    QVERIFY(freezeFrames);
    QVERIFY2(freezeFrames->isEnabled(), qPrintable(freezeFrames->statusTip()));
    freezeFrames->trigger();
    QTRY_VERIFY(m_demo->details()
                && m_demo->details()->findChild<QComboBox *>(QStringLiteral("codeCombo")));
    QWidget *editor = m_demo->details();
    auto *codes = editor->findChild<QComboBox *>(QStringLiteral("codeCombo"));
    auto *button = editor->findChild<QPushButton *>(QStringLiteral("requestFreezeFrameButton"));
    auto *result = editor->findChild<QLabel *>(QStringLiteral("freezeFrameResult"));
    auto *values = editor->findChild<QTableWidget *>(QStringLiteral("freezeFrameValues"));
    QVERIFY(button && result && values);
    // The engine's codes to choose from: three active, two previously active.
    QTRY_COMPARE(codes->count(), 6);
    const QString wanted = QStringLiteral("Active: SPN 110 FMI 16 OC 3");
    codes->setFocus();
    for (int i = 0; i < codes->count() && !codes->currentText().startsWith(wanted); ++i)
        QTest::keyClick(codes, Qt::Key_Down);
    QVERIFY2(codes->currentText().startsWith(wanted), qPrintable(codes->currentText()));
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(
        result->text(), QStringLiteral("Freeze frame of SPN 110 FMI 16, occurrence 3: 8 values"),
        LongWaitMs);
    // What the engine recorded, in the library's units where it knows the SPN.
    QHash<QString, QString> shown;
    for (int r = 0; r < values->rowCount(); ++r)
        shown.insert(values->item(r, 1)->text(), values->item(r, 2)->text());
    QCOMPARE(shown.value(QStringLiteral("Engine Speed")), QStringLiteral("2150.0 rpm"));
    QCOMPARE(shown.value(QStringLiteral("Engine Coolant Temperature")),
             QString::fromUtf8("108 °C"));
    QCOMPARE(shown.value(QStringLiteral("Engine Oil Pressure")), QStringLiteral("380 kPa"));
    QCOMPARE(shown.value(QStringLiteral("Engine Intake Manifold #1 Pressure")),
             QStringLiteral("182 kPa"));
}

void tst_ServiceVisit::clearsAndSeesWhatCameBack()
{
    const QModelIndex engine = engineRow();
    m_demo->select(engine);
    QAction *clear = m_demo->treeAction("actionUnitClearCodes");
    QVERIFY(clear);
    QVERIFY2(clear->isEnabled(), qPrintable(clear->statusTip()));
    ScriptedMainWindow *window = m_demo->window();
    window->asked.clear();
    window->confirm = true;
    {
        // Active codes of this unit: what the dialog proposes.
        ModalAnswerer dialog([](QWidget *d) {
            auto *active = d->findChild<QAbstractButton *>(QStringLiteral("clearActive"));
            auto *previous = d->findChild<QAbstractButton *>(QStringLiteral("clearPrevious"));
            auto *thisUnit = d->findChild<QAbstractButton *>(QStringLiteral("clearThisUnit"));
            if (active && previous && thisUnit && active->isChecked() && !previous->isChecked()
                && thisUnit->isChecked())
                ModalAnswerer::press(QStringLiteral("OK"))(d);
            else
                ModalAnswerer::press(QStringLiteral("Cancel"))(d);
        });
        clear->trigger();
        QVERIFY(dialog.answered());
    }
    QCOMPARE(window->asked.size(), 1);
    const QString confirmation = window->asked.first();
    const QString name = m_demo->window()->schemeModel()->item(engine)->displayable()->name();
    // Named once with its address (the unit's name carries it already).
    QCOMPARE(name, QStringLiteral("Engine #2 (0x01)"));
    QVERIFY2(confirmation.contains(QStringLiteral("Clear the codes of Engine #2 (0x01)?\n")),
             qPrintable(confirmation));
    for (const char *code : {"SPN 110 FMI 16 (", "SPN 100 FMI 18 (", "SPN 102 FMI 4 ("})
        QVERIFY2(confirmation.contains(QLatin1String(code)), qPrintable(confirmation));

    // DM11 acknowledged; two seconds later the codes asked again: the coolant code is back.
    const QString summary
        = QStringLiteral("Clear codes of Engine #2 (0x01): cleared; 1 code(s) came back");
    QVERIFY2(DemoBusWindow::waitFor(
                 [&] { return window->statusBar()->currentMessage() == summary; }, LongWaitMs),
             qPrintable(window->statusBar()->currentMessage()));
    QTRY_VERIFY2(shownTexts(m_demo->details()).contains(QLatin1String("DM11 ACK")),
                 qPrintable(shownTexts(m_demo->details())));
    const QString shown = shownTexts(m_demo->details());
    QVERIFY2(shown.contains(QLatin1String("Active codes cleared; gone: SPN 100 FMI 18, SPN 102 "
                                          "FMI 4; came back: SPN 110 FMI 16")),
             qPrintable(shown));
    // The clearing's row says it in one line.
    const QModelIndex clearing = functionRow(ClearingPgn);
    QVERIFY(clearing.isValid());
    QCOMPARE(cell(clearing, DataColumn), summary);
    // The engine's active codes now: the one that came back.
    const QModelIndex dm1 = functionRow(Dm1Pgn);
    QTRY_VERIFY2(cell(dm1, DataColumn).contains(QLatin1String("[110,16]"))
                     && !cell(dm1, DataColumn).contains(QLatin1String("[100,18]")),
                 qPrintable(cell(dm1, DataColumn)));
    QVERIFY(!cell(dm1, DataColumn).contains(QLatin1String("[102,4]")));
    // The cleared ones are previously active now, as DM2 was asked again.
    const QModelIndex dm2 = functionRow(Dm2Pgn);
    QTRY_VERIFY2(cell(dm2, DataColumn).contains(QLatin1String("[100,18]"))
                     && cell(dm2, DataColumn).contains(QLatin1String("[102,4]")),
                 qPrintable(cell(dm2, DataColumn)));
    QVERIFY(cell(dm2, DataColumn).contains(QLatin1String("[168,1]")));
    QVERIFY(!cell(dm2, DataColumn).contains(QLatin1String("[110,16]")));
    // The active codes' Details, opened again, list the one that came back, one count higher.
    QVERIFY(m_demo->openDetails(dm1));
    QTRY_COMPARE(listTexts(detailsCodes()),
                 QStringList{QString::fromUtf8("[110,16] Engine Coolant Temperature · Data valid "
                                               "but above normal operating range, moderately "
                                               "severe level · 4×")});
}

void tst_ServiceVisit::suspendsAndResumesBroadcasts()
{
    ScriptedMainWindow *window = m_demo->window();
    auto *label = window->findChild<QLabel *>(QStringLiteral("broadcastSuspendedLabel"));
    QVERIFY(label);
    QVERIFY(!label->isVisible());
    const QModelIndex eec1 = functionRow(Eec1Pgn);
    QVERIFY(eec1.isValid());
    const qint64 running = events(eec1);
    QTRY_VERIFY(events(eec1) > running);

    m_demo->select(engineRow());
    window->asked.clear();
    window->confirm = true;
    QString unitChoice;
    {
        ModalAnswerer dialog([&unitChoice](QWidget *d) {
            auto *thisUnit = d->findChild<QAbstractButton *>(QStringLiteral("suspendThisUnit"));
            auto *network = d->findChild<QAbstractButton *>(QStringLiteral("suspendJ1939Network1"));
            if (!thisUnit || !network) {
                ModalAnswerer::press(QStringLiteral("Cancel"))(d);
                return;
            }
            unitChoice = thisUnit->text();
            thisUnit->click();
            network->click();
            ModalAnswerer::press(QStringLiteral("OK"))(d);
        });
        m_demo->action("actionSuspendBroadcasts")->trigger();
        QVERIFY(dialog.answered());
    }
    QCOMPARE(unitChoice, QStringLiteral("Only Engine #2 (0x01)"));
    QCOMPARE(window->asked.size(), 1);
    QVERIFY2(window->asked.first().contains(QLatin1String("Engine #2 (0x01) on J1939 network #1")),
             qPrintable(window->asked.first()));
    QTRY_VERIFY(label->isVisible());
    // The engine's speed stops: its count stands still (what was on its way arrives first).
    QTest::qWait(500);
    const qint64 suspended = events(eec1);
    QTest::qWait(1000);
    QCOMPARE(events(eec1), suspended);
    QVERIFY(label->isVisible());

    m_demo->action("actionResumeBroadcasts")->trigger();
    QTRY_VERIFY(!label->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(events(eec1) > suspended + 10, LongWaitMs);
}

QTEST_MAIN(tst_ServiceVisit)
#include "tst_servicevisit.moc"
