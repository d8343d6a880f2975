#include "can/replaycanhandler.h"
#include "can/simulatedunit.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/toolrequest.h"
#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/unitactions.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTreeView>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

constexpr quint8 Controller = 0xA0;

// The controller's component, vehicle and calibration identification on the demo bus: a request
// for one of them is answered at once by a broadcast (BAM) of the controller.
class IdentifyingUnit : public SimulatedUnit
{
public:
    static QByteArray component() { return QByteArrayLiteral("ZTX*MC2*SN0417*A0*"); }
    static QByteArray vin() { return QByteArrayLiteral("ZTXDEMO0000000417*"); }
    static QByteArray calibrations()
    {
        return QByteArray::fromHex("cdab3412") + QByteArray("CAL-BOOM-0417").leftJustified(16, '\0')
               + QByteArray::fromHex("ffffffff") + QByteArray("BOOT-A0").leftJustified(16, '\0');
    }

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override
    {
        const qint64 pgn = ToolRequest::requestedPgn(frame);
        if (frame.pduSpecific() != Controller)
            return;
        const QByteArray data = pgn == 0xFEEB   ? component()
                                : pgn == 0xFEEC ? vin()
                                : pgn == 0xD300 ? calibrations()
                                                : QByteArray();
        if (data.isEmpty())
            return;
        ++requests;
        const int packets = (int(data.size()) + 6) / 7;
        const quint8 announce[8] = {0x20,
                                    quint8(data.size()),
                                    0,
                                    quint8(packets),
                                    0xFF,
                                    quint8(pgn),
                                    quint8(pgn >> 8),
                                    quint8(pgn >> 16)};
        replies->append({CanMessage(0x1CECFF00u | Controller, announce, 8), 0});
        for (int i = 0; i < packets; ++i) {
            quint8 packet[8] = {quint8(i + 1), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
            const QByteArray part = data.mid(i * 7, 7);
            std::copy(part.begin(), part.end(), packet + 1);
            replies->append({CanMessage(0x1CEBFF00u | Controller, packet, 8), 2 + i});
        }
    }

    std::atomic<int> requests{0};
};

QAction *treeAction(DemoBusWindow &demo, const char *name)
{
    for (QAction *a : demo.window()->mainView()->actions()) {
        if (a->objectName() == QLatin1String(name))
            return a;
    }
    return nullptr;
}

} // namespace

// The unit's Identification on the demo bus: all five answers in one box, "no answer" where a
// unit is silent, and a function's own Request from its Details.
class tst_IdentificationWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void allFiveInOneBox_data();
    void allFiveInOneBox();
    void requestFromDetails();

private:
    std::shared_ptr<IdentifyingUnit> addUnit(DemoBusWindow &demo);
    QMessageBox *identify(DemoBusWindow &demo, const QString &row);
};

void tst_IdentificationWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikIdentificationWalkthrough"));
}

void tst_IdentificationWalkthrough::init()
{
    // The answers to the tool come by transport protocol: its pauses shortened, as Connection
    // Options can.
    QSettings settings;
    for (const char *key : {"DelayRtsToCts", "DelayDataToCts0", "DelayCts0ToCts", "DelayDataToAck"})
        settings.setValue(QStringLiteral("ConnectionTiming/") + QLatin1String(key), 10);
}

std::shared_ptr<IdentifyingUnit> tst_IdentificationWalkthrough::addUnit(DemoBusWindow &demo)
{
    auto unit = std::make_shared<IdentifyingUnit>();
    if (auto *replay = qobject_cast<ReplayCanHandler *>(demo.handler()))
        replay->simulatedBus()->addUnit(unit);
    return unit;
}

QMessageBox *tst_IdentificationWalkthrough::identify(DemoBusWindow &demo, const QString &row)
{
    demo.window()->refreshConnectionTimeouts();
    demo.select(demo.row(row));
    QAction *identification = treeAction(demo, "actionUnitIdentification");
    if (!identification || !identification->isEnabled())
        return nullptr;
    identification->trigger();
    QMessageBox *box = nullptr;
    DemoBusWindow::waitFor(
        [&] {
            box = demo.window()->findChild<QMessageBox *>(QStringLiteral("identificationBox"));
            return box && box->isVisible();
        },
        20000);
    return box;
}

void tst_IdentificationWalkthrough::allFiveInOneBox_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("waitMs");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("controller: ECU and software by connection, the rest by broadcast")
        << "Controller" << 3000
        << QStringList{"ECU identification: TVK-MC2*A0-0417*Boom*Tarvik*",
                       "Software identification: MC2 4.1.7",
                       "Component identification: make ZTX, model MC2, serial number SN0417, "
                       "unit number A0",
                       "Vehicle identification number: ZTXDEMO0000000417",
                       "Calibrations: CAL-BOOM-0417 (0x1234ABCD); BOOT-A0 (n/a)"};
    QTest::newRow("recorded engine answers nothing")
        << "Engine #1" << 200
        << QStringList{"ECU identification: no answer", "Software identification: no answer",
                       "Component identification: no answer",
                       "Vehicle identification number: no answer", "Calibrations: no answer"};
}

void tst_IdentificationWalkthrough::allFiveInOneBox()
{
    QFETCH(QString, row);
    QFETCH(int, waitMs);
    QFETCH(QStringList, lines);
    UnitActions::s_identificationTimeoutMs = waitMs;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    std::shared_ptr<IdentifyingUnit> unit = addUnit(demo);
    QMessageBox *box = identify(demo, row);
    QVERIFY(box);
    QVERIFY(box->text().contains(row));
    const QStringList shown = box->informativeText().split(QLatin1Char('\n'));
    // One line each, in this order.
    QCOMPARE(shown.size(), lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).endsWith(QLatin1String("no answer")))
            QCOMPARE(shown.at(i), lines.at(i));
        else
            QVERIFY2(shown.at(i).startsWith(lines.at(i)), qPrintable(shown.at(i)));
    }
    // One request each, one at a time.
    QCOMPARE(unit->requests.load(), row == QLatin1String("Controller") ? 3 : 0);
    QVERIFY(treeAction(demo, "actionUnitIdentification")->isEnabled());
}

void tst_IdentificationWalkthrough::requestFromDetails()
{
    UnitActions::s_identificationTimeoutMs = 3000;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    std::shared_ptr<IdentifyingUnit> unit = addUnit(demo);
    // With Auto add on, the controller's broadcast answers bring their functions into the tree.
    demo.action("actionAutoAdd")->setChecked(true);
    QVERIFY(identify(demo, QStringLiteral("Controller")));
    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    QModelIndex dm19;
    QVERIFY(DemoBusWindow::waitFor([&] {
        dm19 = demo.row(QStringLiteral("DM19 - Calibration Information"), controller);
        return dm19.isValid();
    }));
    AbstractDisplayableItem *function = demo.window()->schemeModel()->item(dm19)->displayable();
    QVERIFY(qobject_cast<DM19Function *>(function));
    const qint64 before = function->totalEvents();
    const int requests = unit->requests.load();
    QVERIFY(demo.openDetails(dm19));
    QWidget *details = demo.details();
    QVERIFY(details);
    auto *request = details->findChild<QPushButton *>(QStringLiteral("requestButton"));
    QVERIFY(request);
    QTest::mouseClick(request, Qt::LeftButton);
    auto *result = details->findChild<QLabel *>(QStringLiteral("requestResult"));
    QVERIFY(result);
    QVERIFY2(result->text().contains(QLatin1String("0xa0")), qPrintable(result->text()));
    QTRY_COMPARE(unit->requests.load(), requests + 1);
    QTRY_VERIFY(function->totalEvents() > before);
    auto *list = details->findChild<QListWidget *>(QStringLiteral("calibrationList"));
    QVERIFY(list);
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("CAL-BOOM-0417  CVN 0x1234ABCD"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("BOOT-A0  CVN n/a"));
}

QTEST_MAIN(tst_IdentificationWalkthrough)
#include "tst_identificationwalkthrough.moc"
