#include "can/abstractcanhandler.h"
#include "can/simulatedbus.h"
#include "demo/simulatedtransport.h"
#include "descriptions/candevicefactory.h"
#include "diagnostics/componentidfunction.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/toolrequest.h"
#include "diagnostics/vehicleidfunction.h"
#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/mainwindow.h"
#include "ui/unitactions.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

constexpr quint8 Controller = 0xA0;

// The controller's whole identification on the demo bus, in place of the demo's own units so
// that nobody else answers: ECU and software by a connection to the requester (RTS/CTS),
// component, vehicle and calibration information at once by a broadcast (BAM).
class IdentifyingUnit : public SimulatedUnit
{
public:
    static QByteArray ecu() { return QByteArrayLiteral("ZTX-MC2*A0-0417*Boom*Works*"); }
    static QByteArray software() { return QByteArrayLiteral("\x02MC2 4.1.7*BOOT 1.3*"); }
    static QByteArray component() { return QByteArrayLiteral("ZTX*MC2*SN0417*A0*"); }
    static QByteArray vin() { return QByteArrayLiteral("ZTXDEMO0000000417*"); }
    static QByteArray laterVin() { return QByteArrayLiteral("ZTXDEMO0000000418*"); }
    static QByteArray calibrations()
    {
        return QByteArray::fromHex("cdab3412") + QByteArray("CAL-BOOM-0417").leftJustified(16, '\0')
               + QByteArray::fromHex("ffffffff") + QByteArray("BOOT-A0").leftJustified(16, '\0');
    }

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override
    {
        if (m_transport.takeControlFrame(frame, replies))
            return;
        const qint64 pgn = ToolRequest::requestedPgn(frame);
        if (pgn < 0 || frame.pduSpecific() != Controller)
            return;
        if (pgn == 0xFDC5 || pgn == 0xFEDA) {
            m_transport.send(quint32(pgn), pgn == 0xFDC5 ? ecu() : software(), frame.address(),
                             replies);
            return;
        }
        if (pgn == 0xFEEC && secondVin) {
            // A later VIN, to the requester alone by a connection.
            ++requests;
            m_transport.send(quint32(pgn), laterVin(), frame.address(), replies);
            return;
        }
        const QByteArray data = pgn == 0xFEEB   ? component()
                                : pgn == 0xFEEC ? vin()
                                : pgn == 0xD300 ? calibrations()
                                                : QByteArray();
        if (data.isEmpty())
            return;
        ++requests;
        if (pgn == 0xD300 && refuseCalibrations) {
            // Negative acknowledgement to the requester, naming it and the group.
            replies->append({SimulatedTransport::acknowledgement(
                                 Controller, SimulatedTransport::Acknowledgement::Negative,
                                 frame.address(), quint32(pgn), CanMessage::GlobalAddress),
                             0});
            return;
        }
        m_transport.send(quint32(pgn), data, CanMessage::GlobalAddress, replies);
    }
    // The transport sends what waits once the broadcast before it is out.
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override
    {
        m_transport.tick(nowMs, replies);
    }

    // Broadcast answers given (component, vehicle, calibrations); bus thread writes, test reads.
    std::atomic<int> requests{0};
    std::atomic<bool> refuseCalibrations{false};
    std::atomic<bool> secondVin{false};

private:
    SimulatedTransport m_transport{Controller};
};

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
    void identificationSurvivesSaveAndOpen();
    void nothingAskedWithoutConnection();
    void answerToTheToolFillsTheUnitsFunction();
    void detailsNameTheFieldsInWords_data();
    void detailsNameTheFieldsInWords();

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
    demo.simulatedBus()->clearUnits();
    demo.simulatedBus()->addUnit(unit);
    return unit;
}

QMessageBox *tst_IdentificationWalkthrough::identify(DemoBusWindow &demo, const QString &row)
{
    demo.window()->refreshConnectionTimeouts();
    demo.select(demo.row(row));
    QAction *identification = demo.treeAction("actionUnitIdentification");
    if (!identification || !identification->isEnabled())
        return nullptr;
    identification->trigger();
    // While the answer is awaited a second request waits too.
    if (identification->isEnabled())
        return nullptr;
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
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("controller: ECU and software by connection, the rest by broadcast")
        << "Controller" << 3000 << false
        << QStringList{"ECU identification: ZTX-MC2*A0-0417*Boom*Works*",
                       "Software identification: MC2 4.1.7",
                       "Component identification: make ZTX, model MC2, serial number SN0417, "
                       "unit number A0",
                       "Vehicle identification number: ZTXDEMO0000000417",
                       "Calibrations: CAL-BOOM-0417 (0x1234ABCD); BOOT-A0 (n/a)"};
    // The wait for an answer is far longer than the test: the refusal ends it.
    QTest::newRow("controller refuses its calibrations: no wait")
        << "Controller" << 60000 << true
        << QStringList{"ECU identification: ZTX-MC2*A0-0417*Boom*Works*",
                       "Software identification: MC2 4.1.7", "Component identification: make ZTX",
                       "Vehicle identification number: ZTXDEMO0000000417",
                       "Calibrations: not supported (negative acknowledgement)"};
    QTest::newRow("recorded engine answers nothing")
        << "Engine #1" << 200 << false
        << QStringList{"ECU identification: no answer", "Software identification: no answer",
                       "Component identification: no answer",
                       "Vehicle identification number: no answer", "Calibrations: no answer"};
}

void tst_IdentificationWalkthrough::allFiveInOneBox()
{
    QFETCH(QString, row);
    QFETCH(int, waitMs);
    QFETCH(bool, refuse);
    QFETCH(QStringList, lines);
    UnitActions::s_identificationTimeoutMs = waitMs;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    std::shared_ptr<IdentifyingUnit> unit = addUnit(demo);
    unit->refuseCalibrations = refuse;
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
    QVERIFY(demo.treeAction("actionUnitIdentification")->isEnabled());
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
    const QModelIndex dm19 = demo.waitRow(QStringLiteral("DM19 - Calibration Information"),
                                          demo.row(QStringLiteral("Controller")));
    auto *function = qobject_cast<DM19Function *>(demo.item(dm19));
    QVERIFY(function);
    const qint64 before = function->totalEvents();
    const int requests = unit->requests.load();
    QVERIFY(demo.openDetails(dm19));
    QWidget *details = demo.details();
    QVERIFY(DemoBusWindow::click(details, "requestButton"));
    auto *result = DemoBusWindow::find<QLabel>(details, "requestResult");
    QVERIFY(result);
    QVERIFY2(result->text().contains(QLatin1String("0xa0")), qPrintable(result->text()));
    QTRY_COMPARE(unit->requests.load(), requests + 1);
    QTRY_VERIFY(function->totalEvents() > before);
    auto *list = DemoBusWindow::find<QListWidget>(details, "calibrationList");
    QVERIFY(list);
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("CAL-BOOM-0417  CVN 0x1234ABCD"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("BOOT-A0  CVN n/a"));
}

void tst_IdentificationWalkthrough::identificationSurvivesSaveAndOpen()
{
    UnitActions::s_identificationTimeoutMs = 3000;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    addUnit(demo);
    demo.action("actionAutoAdd")->setChecked(true);
    QVERIFY(identify(demo, QStringLiteral("Controller")));
    QVERIFY(demo.waitRow(QStringLiteral("DM19 - Calibration Information"),
                         demo.row(QStringLiteral("Controller")))
                .isValid());
    QTemporaryDir dir;
    QVERIFY(demo.saveAndReopen(dir.filePath(QStringLiteral("identified.tvsx")), false));
    // The tool unit comes back with one function of each kind, the controller with the
    // functions its answers brought.
    OffBoardDiagnosticDevice *tool = demo.toolUnit();
    QVERIFY(tool);
    QCOMPARE(tool->findChildren<ComponentIdFunction *>().size(), 1);
    QCOMPARE(tool->findChildren<VehicleIdFunction *>().size(), 1);
    QCOMPARE(tool->findChildren<DM19Function *>().size(), 1);
    const QModelIndex reopened = demo.row(QStringLiteral("Controller"));
    for (const char *name :
         {"Component Identification", "Vehicle Identification", "DM19 - Calibration Information"})
        QVERIFY2(demo.row(QLatin1String(name), reopened).isValid(), name);
}

void tst_IdentificationWalkthrough::nothingAskedWithoutConnection()
{
    UnitActions::s_identificationTimeoutMs = 200;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    std::shared_ptr<IdentifyingUnit> unit = addUnit(demo);
    AbstractCanHandler *handler = demo.handler();
    QMetaObject::invokeMethod(
        handler, [handler] { handler->stop(); }, Qt::BlockingQueuedConnection);
    QVERIFY(!handler->isOpen());
    demo.select(demo.row(QStringLiteral("Controller")));
    demo.treeAction("actionUnitIdentification")->trigger();
    QVERIFY(
        demo.window()->statusBar()->currentMessage().contains(QLatin1String("No bus connection")));
    QTest::qWait(500);
    QVERIFY(!demo.window()->findChild<QMessageBox *>(QStringLiteral("identificationBox")));
    QCOMPARE(unit->requests.load(), 0);
    // No tool unit was added for nothing.
    QVERIFY(!demo.toolUnit());
}

void tst_IdentificationWalkthrough::answerToTheToolFillsTheUnitsFunction()
{
    UnitActions::s_identificationTimeoutMs = 3000;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    std::shared_ptr<IdentifyingUnit> unit = addUnit(demo);
    // The first answers are broadcasts: with Auto add on they bring the controller's functions.
    demo.action("actionAutoAdd")->setChecked(true);
    QVERIFY(identify(demo, QStringLiteral("Controller")));
    auto *function = qobject_cast<VehicleIdFunction *>(demo.item(demo.waitRow(
        QStringLiteral("Vehicle Identification"), demo.row(QStringLiteral("Controller")))));
    QVERIFY(function);
    QTRY_COMPARE(function->parameters().at(0)->toString(), QStringLiteral("ZTXDEMO0000000417"));
    demo.window()->findChild<QMessageBox *>(QStringLiteral("identificationBox"))->close();
    QTRY_VERIFY(!demo.window()->findChild<QMessageBox *>(QStringLiteral("identificationBox")));
    // Now the VIN comes to the tool alone, and still reaches the controller's own function.
    unit->secondVin = true;
    QMessageBox *box = identify(demo, QStringLiteral("Controller"));
    QVERIFY(box);
    QVERIFY2(box->informativeText().contains(QLatin1String("ZTXDEMO0000000418")),
             qPrintable(box->informativeText()));
    QTRY_COMPARE(function->parameters().at(0)->toString(), QStringLiteral("ZTXDEMO0000000418"));
}

void tst_IdentificationWalkthrough::detailsNameTheFieldsInWords_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("ECU identification")
        << "ECU Identification" << QStringList{"ECU identification"} << QStringList{"ID"};
    QTest::newRow("software identification")
        << "Soft" << QStringList{"Number of fields", "Software identification"}
        << QStringList{"IDC", "VER"};
    QTest::newRow("active trouble codes")
        << "DM - Active Diagnostic Trouble Codes"
        << QStringList{"Malfunction Indicator Lamp", "Amber Warning Lamp", "DTC Count"}
        << QStringList{"MIL", "AWL", "COUNT"};
}

// The engine's functions known by short keys in Details (Ctrl+D): their fields and the
// expectation's rows read as words; the short names stay the keys of files and scripts.
void tst_IdentificationWalkthrough::detailsNameTheFieldsInWords()
{
    QFETCH(QString, row);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, keys);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex function = demo.row(row, demo.row(QStringLiteral("Engine #1")));
    QWidget *details = demo.showDetails(function);
    QVERIFY(details);
    QStringList shown;
    for (const QLabel *label : details->findChildren<QLabel *>())
        shown << label->text();
    for (const QTableWidget *table : details->findChildren<QTableWidget *>()) {
        for (int r = 0; r < table->rowCount(); ++r)
            shown << (table->item(r, 0) ? table->item(r, 0)->text() : QString());
    }
    // Each field once in the form and once among the expectation's rows.
    for (const QString &label : labels)
        QVERIFY2(shown.count(label) == 2, qPrintable(shown.join(QLatin1Char('|'))));
    for (const QString &key : keys)
        QVERIFY2(!shown.contains(key), qPrintable(shown.join(QLatin1Char('|'))));
    QStringList names;
    for (const ZxParameter *p : demo.item(function)->parameters())
        names << p->name();
    for (const QString &key : keys)
        QVERIFY2(names.contains(key), qPrintable(names.join(QLatin1Char('|'))));
}

QTEST_MAIN(tst_IdentificationWalkthrough)
#include "tst_identificationwalkthrough.moc"
