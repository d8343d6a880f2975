#include "can/replaycanhandler.h"
#include "can/simulatedunit.h"
#include "diagnostics/acknowledgementfunction.h"
#include "diagnostics/codeclearingfunction.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/toolrequest.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <mutex>

namespace {

// A unit that answers DM11 and DM3 as told: with an acknowledgement of `control` (to the tool
// or to everyone), with one for another group, or not at all. A positive DM11 clears its active
// codes but the one whose cause persists; DM1 and DM2 requests are answered in one frame.
class ClearableUnit : public SimulatedUnit
{
public:
    enum Answer { Silent = -1 };

    ClearableUnit(quint8 address, int control, quint8 ackDestination = 0xF9,
                  quint32 ackPgnOverride = 0)
        : m_address(address)
        , m_control(control)
        , m_ackDestination(ackDestination)
        , m_ackPgnOverride(ackPgnOverride)
    {}

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override
    {
        std::lock_guard locker(m_mutex);
        const qint64 pgn = ToolRequest::requestedPgn(frame);
        if (pgn < 0 || (frame.pduSpecific() != m_address && frame.pduSpecific() != 0xFF))
            return;
        m_requests.append(quint32(pgn));
        if (pgn == CodeClearingFunction::Dm11Pgn || pgn == CodeClearingFunction::Dm3Pgn) {
            if (m_control == Silent)
                return;
            const quint32 acked = m_ackPgnOverride ? m_ackPgnOverride : quint32(pgn);
            replies->append({makeFrame(0x18E80000u | quint32(m_ackDestination) << 8 | m_address,
                                       {quint8(m_control), 0xFF, 0xFF, 0xFF, frame.address(),
                                        quint8(acked), quint8(acked >> 8), quint8(acked >> 16)}),
                             5});
            if (m_control == AcknowledgementFunction::Ack && pgn == CodeClearingFunction::Dm11Pgn)
                m_cleared = true;
        } else if (pgn == CodeClearingFunction::Dm1Pgn || pgn == CodeClearingFunction::Dm2Pgn) {
            // After the clearing only the persisting code SPN 110 FMI 3 is there again.
            QByteArray data = pgn == CodeClearingFunction::Dm1Pgn && m_cleared
                                  ? hex("0400 6e00 0301 ffff")
                              : pgn == CodeClearingFunction::Dm1Pgn
                                  ? hex("0400 6400 0102 ffff") // (one of two, for brevity)
                                  : hex("0000 0000 0000 ffff");
            replies->append({frameOf(0x18000000u | quint32(pgn) << 8 | m_address, data), 5});
        }
    }

    QVector<quint32> requests() const
    {
        std::lock_guard locker(m_mutex);
        return m_requests;
    }

private:
    mutable std::mutex m_mutex;
    quint8 m_address;
    int m_control;
    quint8 m_ackDestination;
    quint32 m_ackPgnOverride;
    bool m_cleared = false;
    QVector<quint32> m_requests;
};

// The replay adapter on a quiet recording, a dispatcher, and units that answer.
struct ClearingBus
{
    ClearingBus()
        : handler(&dispatcher)
    {
        const QString quiet
            = TestEnvironment::writeFile(dir, QStringLiteral("quiet.log"),
                                         "(0.000000) can0 18FEF1AA#0102030405060708\n"
                                         "(5.000000) can0 18FEF1AA#0102030405060708\n");
        handler.setTransceiver(handler.addRecording(quiet));
    }
    ~ClearingBus()
    {
        handler.stop();
        dispatcher.clearScheme();
    }
    // A unit in the scheme with its DM1 holding SPN 100 FMI 1 and SPN 110 FMI 3, and its
    // clearing function.
    CodeClearingFunction *addUnit(quint8 address, const QString &name)
    {
        auto *device = new J1939Device(address);
        device->setName(name);
        auto *dm1 = new DM1Function(device);
        dm1->decode(hex("0400 6400 0102 6e00 0301"));
        auto *clearing = new CodeClearingFunction(device);
        dispatcher.registerDisplayable(device);
        return clearing;
    }

    QTemporaryDir dir;
    DeviceDispatcher dispatcher;
    ReplayCanHandler handler;
};

bool finishes(CodeClearingFunction *f)
{
    return QTest::qWaitFor([f] { return !f->isRunning(); }, 10000);
}

} // namespace

class tst_CodeClearing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::init();
        CodeClearingFunction::s_answerTimeMs = 300;
        CodeClearingFunction::s_settleMs = 50;
    }
    void acknowledgementDecodes_data();
    void acknowledgementDecodes();
    void clearingLoop_data();
    void clearingLoop();
    void allUnitsAnswerOneRequest();
    void nothingSentWithoutConnection();
};

void tst_CodeClearing::acknowledgementDecodes_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("requester");
    QTest::addColumn<quint32>("pgn");
    QTest::addColumn<QString>("text");
    QTest::newRow("ACK of DM11 to the tool") << 0x18E8F901u << hex("00ff ffff f9d3 fe00") << true
                                             << 0 << 0xFF << 0xF9 << 0xFED3u << "ACK";
    QTest::newRow("NACK of DM3 to everyone") << 0x18E8FF01u << hex("01ff ffff f9cc fe00") << true
                                             << 1 << 0xFF << 0xF9 << 0xFECCu << "NACK";
    QTest::newRow("access denied with a group function")
        << 0x18E8F903u << hex("0205 ffff f900 d900") << true << 2 << 5 << 0xF9 << 0xD900u
        << "Access Denied";
    QTest::newRow("cannot respond, PGN with data page")
        << 0x18E8F903u << hex("03ff ffff 10ca fe01") << true << 3 << 0xFF << 0x10 << 0x1FECAu
        << "Cannot Respond";
    QTest::newRow("reserved control value") << 0x18E8F903u << hex("07ff ffff f9d3 fe00") << true
                                            << 7 << 0xFF << 0xF9 << 0xFED3u << "Control 7";
    QTest::newRow("seven bytes are no acknowledgement")
        << 0x18E8F903u << hex("00ff ffff f9d3 fe") << false << 0 << 0 << 0 << 0u << "";
    QTest::newRow("another group")
        << 0x18E9F903u << hex("00ff ffff f9d3 fe00") << false << 0 << 0 << 0 << 0u << "";
}

void tst_CodeClearing::acknowledgementDecodes()
{
    QFETCH(quint32, id);
    QFETCH(QByteArray, data);
    QFETCH(bool, valid);
    const CanMessage frame = frameOf(id, data);
    AcknowledgementFunction::Answer a;
    QCOMPARE(AcknowledgementFunction::decodeFrame(frame, &a), valid);
    if (!valid)
        return;
    QFETCH(int, control);
    QFETCH(int, group);
    QFETCH(int, requester);
    QFETCH(quint32, pgn);
    QFETCH(QString, text);
    QCOMPARE(a.source, frame.address());
    QCOMPARE(a.control, control);
    QCOMPARE(a.groupFunction, group);
    QCOMPARE(int(a.requester), requester);
    QCOMPARE(a.pgn, pgn);
    QCOMPARE(AcknowledgementFunction::englishControlText(a.control), text);
    // The function in the tree shows the same, whatever the destination of the frame.
    J1939Device device(frame.address());
    auto *f = new AcknowledgementFunction(&device);
    QVERIFY(f->matchMessage(frame));
    QVERIFY(f->decode(data));
    QCOMPARE(f->listParameter(AcknowledgementFunction::ControlIndex)->value(), control);
    QCOMPARE(f->intParameter(AcknowledgementFunction::GroupFunction)->value(), group);
    QCOMPARE(f->intParameter(AcknowledgementFunction::Requester)->value(), requester);
    QCOMPARE(quint32(f->intParameter(AcknowledgementFunction::AcknowledgedPgn)->value()), pgn);
}

void tst_CodeClearing::clearingLoop_data()
{
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("ackDestination");
    QTest::addColumn<quint32>("ackedPgn");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("askedAgain");
    const QString unit = QStringLiteral("Clear codes of Engine (0x01): ");
    QTest::newRow("positive, a code comes back")
        << 0 << 0xF9 << 0u << unit + "cleared; 1 code(s) came back"
        << QStringList{"Engine (0x01): DM11 ACK",
                       "Active codes cleared; gone: SPN 100 FMI 1; came back: SPN 110 FMI 3"}
        << true;
    QTest::newRow("positive to the global address")
        << 0 << 0xFF << 0u << unit + "cleared; 1 code(s) came back" << QStringList{"DM11 ACK"}
        << true;
    QTest::newRow("negative") << 1 << 0xF9 << 0u << unit + "refused (NACK)"
                              << QStringList{"DM11 NACK", "Active codes not cleared (NACK)"}
                              << false;
    QTest::newRow("access denied")
        << 2 << 0xF9 << 0u << unit + "refused (Access Denied)"
        << QStringList{"Active codes not cleared (Access Denied)"} << false;
    QTest::newRow("cannot respond") << 3 << 0xF9 << 0u << unit + "refused (Cannot Respond)"
                                    << QStringList{"DM11 Cannot Respond"} << false;
    QTest::newRow("silent") << int(ClearableUnit::Silent) << 0xF9 << 0u
                            << unit + "no answer, codes not cleared"
                            << QStringList{"DM11 no answer", "Active codes not cleared (no answer)"}
                            << false;
    QTest::newRow("an ACK of another group is no answer")
        << 0 << 0xF9 << 0xFECCu << unit + "no answer, codes not cleared"
        << QStringList{"DM11 no answer"} << false;
}

void tst_CodeClearing::clearingLoop()
{
    QFETCH(int, control);
    QFETCH(int, ackDestination);
    QFETCH(quint32, ackedPgn);
    QFETCH(QString, summary);
    QFETCH(QStringList, lines);
    QFETCH(bool, askedAgain);
    ClearingBus bus;
    auto engine = std::make_shared<ClearableUnit>(0x01, control, quint8(ackDestination), ackedPgn);
    bus.handler.simulatedBus()->addUnit(engine);
    CodeClearingFunction *f = bus.addUnit(0x01, QStringLiteral("Engine"));
    QVERIFY(bus.handler.start());
    QSignalSpy finished(f, &CodeClearingFunction::finished);
    QVERIFY(f->slotStart(CodeClearingFunction::ClearActive, false));
    QVERIFY(f->isRunning());
    QVERIFY(!f->slotStart(CodeClearingFunction::ClearActive, false)); // one at a time
    QVERIFY(finishes(f));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), summary);
    QCOMPARE(f->summary(), summary);
    for (const QString &line : lines)
        QVERIFY2(f->result().contains(line), qPrintable(f->result()));
    const QVector<quint32> expected
        = askedAgain ? QVector<quint32>{CodeClearingFunction::Dm11Pgn, CodeClearingFunction::Dm1Pgn,
                                        CodeClearingFunction::Dm2Pgn}
                     : QVector<quint32>{CodeClearingFunction::Dm11Pgn};
    // Nothing is asked twice and nothing else is sent, also after the answer time.
    QTest::qWait(CodeClearingFunction::s_answerTimeMs + 100);
    QCOMPARE(engine->requests(), expected);
}

void tst_CodeClearing::allUnitsAnswerOneRequest()
{
    ClearingBus bus;
    auto engine = std::make_shared<ClearableUnit>(0x01, AcknowledgementFunction::Ack, 0xFF);
    auto gearbox = std::make_shared<ClearableUnit>(0x03, AcknowledgementFunction::Nack);
    auto silent = std::make_shared<ClearableUnit>(0x05, ClearableUnit::Silent);
    auto stranger = std::make_shared<ClearableUnit>(0x2A, AcknowledgementFunction::Ack);
    for (const auto &u : {engine, gearbox, silent, stranger})
        bus.handler.simulatedBus()->addUnit(u);
    CodeClearingFunction *f = bus.addUnit(0x01, QStringLiteral("Engine"));
    bus.addUnit(0x03, QStringLiteral("Gearbox"));
    bus.addUnit(0x05, QStringLiteral("Cab"));
    QVERIFY(bus.handler.start());
    QVERIFY(f->slotStart(CodeClearingFunction::ClearActive | CodeClearingFunction::ClearPrevious,
                         true));
    QVERIFY(finishes(f));
    // The unit outside the scheme answered too and counts among the cleared.
    QCOMPARE(f->summary(),
             QStringLiteral("Clear codes of all units: 2 cleared, 1 refused, 1 without answer; "
                            "1 code(s) came back"));
    for (const char *line :
         {"Engine (0x01): DM11 ACK, DM3 ACK", "Gearbox (0x03): DM11 NACK, DM3 NACK",
          "Cab (0x05): DM11 no answer, DM3 no answer", "Unit 0x2A: DM11 ACK, DM3 ACK",
          "Previously active codes cleared; the codes before are not known"})
        QVERIFY2(f->result().contains(QLatin1String(line)), qPrintable(f->result()));
    // One request each, to everyone.
    const QVector<quint32> asked{CodeClearingFunction::Dm11Pgn, CodeClearingFunction::Dm3Pgn,
                                 CodeClearingFunction::Dm1Pgn, CodeClearingFunction::Dm2Pgn};
    QCOMPARE(silent->requests(), asked);
}

void tst_CodeClearing::nothingSentWithoutConnection()
{
    ClearingBus bus;
    auto engine = std::make_shared<ClearableUnit>(0x01, AcknowledgementFunction::Ack);
    bus.handler.simulatedBus()->addUnit(engine);
    CodeClearingFunction *f = bus.addUnit(0x01, QStringLiteral("Engine"));
    QSignalSpy finished(f, &CodeClearingFunction::finished);
    QVERIFY(!f->slotStart(CodeClearingFunction::ClearActive, false));
    QVERIFY(!f->isRunning());
    QCOMPARE(f->summary(), QStringLiteral("No bus connection: nothing was sent"));
    QCOMPARE(finished.count(), 1);
    QVERIFY(!f->slotStart(0, false) && f->summary() == QStringLiteral("Nothing chosen to clear"));
    QVERIFY(engine->requests().isEmpty());
}

QTEST_MAIN(tst_CodeClearing)
#include "tst_codeclearing.moc"
