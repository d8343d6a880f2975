#include "can/simulatedbus.h"
#include "demo/simulatedtransport.h"
#include "diagnostics/editors/dm25schemetreeitem.h"
#include "diagnostics/freezeframe.h"
#include "diagnostics/toolrequest.h"
#include "scheme/schemecontroller.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/firststartlayout.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTableWidget>
#include <QTreeView>
#include <QtTest>

#include <mutex>

using namespace FreezeFrame;

namespace {

constexpr quint8 UnitAddress = 0x27;

// A unit of the demo bus with one active code that answers DM24 and DM25 by broadcast: the
// engine speed, coolant temperature and vehicle speed of two codes. It notes what it is asked.
class FreezeFrameUnit : public SimulatedUnit
{
public:
    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override
    {
        const qint64 pgn = ToolRequest::requestedPgn(frame);
        const quint8 to = frame.pduSpecific();
        if (pgn < 0 || (to != UnitAddress && to != CanMessage::GlobalAddress))
            return;
        {
            std::lock_guard locker(m_mutex);
            m_asked.append(quint32(pgn));
        }
        if (pgn == 0xFDB6)
            m_transport.send(quint32(pgn), dm24(), CanMessage::GlobalAddress, replies);
        else if (pgn == 0xFDB7)
            m_transport.send(quint32(pgn), dm25(), CanMessage::GlobalAddress, replies);
        else if (pgn == 0xFECD)
            m_transport.send(quint32(pgn), dm4(), CanMessage::GlobalAddress, replies);
    }

    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override
    {
        // The transport sends what waits once the broadcast before it is out.
        m_transport.tick(nowMs, replies);
        if (!m_dm4Sent) {
            // Once at start, with no freeze frame yet: the window learns the unit has DM4.
            m_dm4Sent = true;
            replies->append({SimulatedTransport::frame(6, 0xFECD, CanMessage::GlobalAddress,
                                                       UnitAddress, encodeDm4({})),
                             0});
        }
        if (nowMs - m_lastDm1 < 500)
            return;
        m_lastDm1 = nowMs;
        QByteArray dm1 = QByteArray::fromHex("0400");
        TroubleCode{110, 0, 3, false}.append(&dm1);
        dm1.append(QByteArray(2, char(0xFF)));
        replies->append({SimulatedTransport::frame(6, 0xFECA, CanMessage::GlobalAddress,
                                                   UnitAddress, dm1),
                         0});
    }

    QVector<quint32> asked() const
    {
        std::lock_guard locker(m_mutex);
        return m_asked;
    }

    static QByteArray dm24()
    {
        return encodeDm24({{190, true, true, false, 2},
                           {91, false, true, false, 1},
                           {110, true, true, false, 1},
                           {84, true, false, false, 2}});
    }
    static QByteArray dm4()
    {
        Dm4Record coolant;
        coolant.dtc = {110, 0, 3, false};
        coolant.torqueMode = 1;
        coolant.boost = 50;
        coolant.engineSpeed = 12000;
        coolant.load = 65;
        coolant.coolant = 130;
        coolant.vehicleSpeed = 0x1400;
        Dm4Record speed; // nothing available but the code and the maker's two bytes
        speed.dtc = {190, 2, 1, false};
        speed.manufacturer = QByteArray::fromHex("abcd");
        return encodeDm4({coolant, speed});
    }
    static QByteArray dm25()
    {
        // 1500 rpm, 90 °C, 20 km/h when 110/0 was set; the speed not available for 190/2.
        return encodeDm25({{{110, 0, 3, false}, QByteArray::fromHex("e02e820014")},
                           {{190, 2, 1, false}, QByteArray::fromHex("ffff5a0000")}});
    }

private:
    mutable std::mutex m_mutex;
    QVector<quint32> m_asked;
    SimulatedTransport m_transport{UnitAddress};
    qint64 m_lastDm1 = -1000;
    bool m_dm4Sent = false;
};

} // namespace

// An engineer opens the freeze frames of a unit from its context menu, picks its active code,
// asks for the freeze frame and reads the values the unit recorded.
class tst_FreezeFrameWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikFreezeFrameTest"));
        DM25SchemeTreeItem::s_answerTimeoutMs = 3000;
    }
    void freezeFrameOfAnActiveCode();
    void freezeFrameParametersOnRequest();
};

namespace {

// Puts the unit on the demo bus and lets the window add what it hears (Auto add, as the
// engineer turns it on): the unit's row once it turned up from its broadcasts.
QModelIndex startWithUnit(DemoBusWindow *demo, const std::shared_ptr<FreezeFrameUnit> &unit)
{
    QAction *autoAdd = demo->action("actionAutoAdd");
    demo->simulatedBus()->addUnit(unit);
    if (!autoAdd->isChecked())
        autoAdd->trigger();
    QModelIndex unitRow;
    DemoBusWindow::waitFor([&] { return (unitRow = demo->unitAt(UnitAddress)).isValid(); });
    return unitRow;
}

} // namespace

void tst_FreezeFrameWalkthrough::freezeFrameOfAnActiveCode()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    demo.window()->resize(FirstStartLayout::windowSize(QRect(0, 0, 1366, 728)));
    auto unit = std::make_shared<FreezeFrameUnit>();
    const QModelIndex unitRow = startWithUnit(&demo, unit);
    QVERIFY(unitRow.isValid());
    demo.select(unitRow);
    // In the row's context menu.
    QAction *freezeFrames = demo.treeAction("actionUnitFreezeFrames");
    QVERIFY(freezeFrames);
    QTRY_VERIFY(freezeFrames->isEnabled());
    freezeFrames->trigger();

    // The unit's DM25 Details open, with its active code to choose.
    QTRY_VERIFY(DemoBusWindow::find<QDockWidget>(demo.window(), "detailsWindow")->isVisible());
    QTRY_VERIFY(DemoBusWindow::find<QComboBox>(demo.details(), "codeCombo"));
    QWidget *editor = demo.details();
    auto *codes = DemoBusWindow::find<QComboBox>(editor, "codeCombo");
    auto *spn = DemoBusWindow::find<QSpinBox>(editor, "spnSpin");
    auto *fmi = DemoBusWindow::find<QSpinBox>(editor, "fmiSpin");
    auto *oc = DemoBusWindow::find<QSpinBox>(editor, "ocSpin");
    auto *button = DemoBusWindow::find<QPushButton>(editor, "requestFreezeFrameButton");
    auto *result = DemoBusWindow::find<QLabel>(editor, "freezeFrameResult");
    auto *values = DemoBusWindow::find<QTableWidget>(editor, "freezeFrameValues");
    QVERIFY(spn && fmi && oc && button && result && values);
    QTRY_COMPARE(codes->count(), 2);
    QVERIFY(codes->itemText(1).startsWith(QStringLiteral("Active: SPN 110 FMI 0 OC 3")));
    // On a laptop's screen the panel holds every field in sight, however long the codes'
    // texts; the list gives each whole, and so does the box's tool tip.
    auto *area = demo.window()->findChild<QScrollArea *>(QStringLiteral("detailsScrollArea"));
    const auto inSight = [area](const QWidget *field) {
        return field->mapTo(area->viewport(), QPoint(field->width(), 0)).x()
               <= area->viewport()->width();
    };
    QTRY_VERIFY(inSight(codes) && inSight(oc) && inSight(button));
    QCOMPARE(codes->itemData(1, Qt::ToolTipRole).toString(), codes->itemText(1));
    codes->setFocus();
    QTest::keyClick(codes, Qt::Key_Down);
    QCOMPARE(spn->value(), 110);
    QCOMPARE(fmi->value(), 0);
    QCOMPARE(oc->value(), 3);

    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(result->text(),
                              QStringLiteral("Freeze frame of SPN 110 FMI 0, occurrence 3: 3 values"),
                              8000);
    // The SPN support came first, then the freeze frames.
    QCOMPARE(unit->asked(), (QVector<quint32>{0xFDB6, 0xFDB7}));
    QCOMPARE(values->rowCount(), 3);
    const auto cell = [values](int row, int column) { return values->item(row, column)->text(); };
    QCOMPARE(cell(0, 0), QStringLiteral("190"));
    QCOMPARE(cell(0, 1), QStringLiteral("Engine Speed"));
    QCOMPARE(cell(0, 2), QStringLiteral("1500.0 rpm"));
    QCOMPARE(cell(1, 1), QStringLiteral("Engine Coolant Temperature"));
    QCOMPARE(cell(1, 2), QStringLiteral("90 °C"));
    QCOMPARE(cell(2, 2), QStringLiteral("20.000 km/h"));
    QCOMPARE(cell(2, 3), QStringLiteral("00 14"));

    // A typed code the unit recorded nothing for: DM24 is not asked again.
    spn->setFocus();
    spn->selectAll();
    QTest::keyClicks(spn, QStringLiteral("100"));
    fmi->selectAll();
    QTest::keyClicks(fmi, QStringLiteral("1"));
    QCOMPARE(spn->value(), 100);
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(result->text(), QStringLiteral("No freeze frame for SPN 100 FMI 1"),
                              8000);
    QCOMPARE(values->rowCount(), 0);
    QCOMPARE(unit->asked(), (QVector<quint32>{0xFDB6, 0xFDB7, 0xFDB7}));

    // The result stays when the row is left and the Details come back to it.
    const QModelIndex dm25Row = demo.window()->mainView()->currentIndex();
    QVERIFY(dm25Row.isValid());
    QCOMPARE(DemoBusWindow::rowText(dm25Row), QStringLiteral("Freeze frames: 2 ([110,0] [190,2])"));
    demo.select(unitRow);
    demo.select(dm25Row);
    QTRY_VERIFY(DemoBusWindow::find<QLabel>(demo.details(), "freezeFrameResult"));
    QCOMPARE(DemoBusWindow::find<QLabel>(demo.details(), "freezeFrameResult")->text(),
             QStringLiteral("No freeze frame for SPN 100 FMI 1"));

    // The functions the action added belong to the scheme: they come back with it.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("freezeframes.tvsx"));
    QVERIFY(demo.window()->schemeController()->serialize(path));
    QVERIFY(demo.window()->openScheme(path));
    QTRY_VERIFY(demo.row(QStringLiteral("DM25 - Expanded Freeze Frame")).isValid());
    QVERIFY(demo.row(QStringLiteral("DM24 - SPN Support")).isValid());
}

// DM4's Details ask the unit and show its records, the not-available values as such.
void tst_FreezeFrameWalkthrough::freezeFrameParametersOnRequest()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    auto unit = std::make_shared<FreezeFrameUnit>();
    QVERIFY(startWithUnit(&demo, unit).isValid());
    const QModelIndex dm4Row = demo.waitRow(QStringLiteral("DM4 - Freeze Frame Parameters"));
    QVERIFY(dm4Row.isValid());
    const QModelIndex summary = dm4Row.siblingAtColumn(3);
    QTRY_COMPARE(summary.data().toString(), QStringLiteral("no freeze frame"));
    QVERIFY(demo.openDetails(dm4Row));
    QTRY_VERIFY(DemoBusWindow::find<QPushButton>(demo.details(), "requestButton"));
    QWidget *editor = demo.details();
    auto *table = DemoBusWindow::find<QTableWidget>(editor, "freezeFrameTable");
    auto *result = DemoBusWindow::find<QLabel>(editor, "result");
    QVERIFY(table && result);
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(DemoBusWindow::click(editor, "requestButton"));
    QTRY_COMPARE(table->rowCount(), 2);
    QVERIFY(unit->asked().contains(0xFECD));
    QTRY_VERIFY(result->text().contains(QStringLiteral("answered")));
    const auto cell = [table](int row, int column) { return table->item(row, column)->text(); };
    QCOMPARE(cell(0, 0), QStringLiteral("SPN 110 FMI 0 OC 3"));
    QCOMPARE(cell(0, 2), QStringLiteral("100 kPa"));
    QCOMPARE(cell(0, 3), QStringLiteral("1500.0 rpm"));
    QCOMPARE(cell(0, 5), QStringLiteral("90 °C"));
    QCOMPARE(cell(0, 6), QStringLiteral("20.00 km/h"));
    QCOMPARE(cell(1, 3), QStringLiteral("n/a"));
    QCOMPARE(cell(1, 7), QStringLiteral("AB CD"));
    // The table is wider than the panel: a cell cut at its edge is whole in its tool tip.
    QCOMPARE(table->item(0, 3)->toolTip(), cell(0, 3));
    QTRY_VERIFY(summary.data().toString().startsWith(QStringLiteral("Freeze frames: 2")));
}

QTEST_MAIN(tst_FreezeFrameWalkthrough)
#include "tst_freezeframewalkthrough.moc"
