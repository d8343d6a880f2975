#include "demo/simulatedbootloader.h"
#include "descriptions/candevicefactory.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/editors/canflashingfunctionv1schemetreeitem.h"
#include "diagnostics/flashlog.h"
#include "diagnostics/memoryaccessfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/softfunction.h"
#include "model/devicedispatcher.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"
#include "support/busfixtures.h"
#include "support/testenvironment.h"

#include <QCryptographicHash>
#include <QDomDocument>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

using F = CanFlashingFunctionV1;
constexpr quint8 Tool = 0xF9;
constexpr quint8 Unit = 0xA0;

QByteArray program(int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(char(0x30 + i * 7));
    return data;
}

// The tool's off-board unit (not simulated: it hears its answers anyway) and a boot loader
// at 0xA0 on the far end of the test adapter; short waits.
struct Rig : SimulatedBusRig
{
    explicit Rig(int size = 10)
    {
        device = new OffBoardDiagnosticDevice;
        flasher = device->flasher();
        dispatcher.registerDisplayable(device);
        unit = std::make_shared<SimulatedBootLoader>(Unit);
        unit->setExpectedSize(size);
        handler.bus()->addUnit(unit);
        // Response, boot load, acknowledgement and result waits in ms.
        flasher->setIntervals({60, 20, 60, 2000});
        flasher->setTarget(Unit);
        file = program(size);
        flasher->setProgram(file, QStringLiteral("test.prg"));
        flasher->setLogDirectory(logDir.path());
        handler.start();
        // The tool unit claims its address on joining the bus; the tests look at what follows.
        if (!QTest::qWaitFor([this] { return !handler.writtenFrames(0xEE).isEmpty(); }, 2000))
            QWARN("The tool unit claimed no address");
        handler.clearWritten();
    }
    // Runs from Start until a result; the state it ended in.
    int run()
    {
        QSignalSpy states(flasher, &F::flasherStateChanged);
        flasher->slotStart();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 8000) {
            const int s = flasher->flasherState();
            if (s == F::FlasherFinished || s == F::FlasherError || s == F::FlasherIdle)
                return s;
            QTest::qWait(5);
        }
        return -1;
    }
    QVector<CanMessage> sent(quint8 pf) const { return handler.writtenFrames(pf); }

    // The records of the flash log, without its header.
    QList<QByteArray> logLines() const
    {
        QFile log(QDir(logDir.path()).filePath(QString::fromLatin1(FlashLog::FileName)));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> lines = log.readAll().split('\n');
        if (lines.isEmpty() || lines.takeFirst() + '\n' != FlashLog::header())
            return {QByteArray("no header")};
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    QTemporaryDir logDir;
    OffBoardDiagnosticDevice *device = nullptr;
    F *flasher = nullptr;
    std::shared_ptr<SimulatedBootLoader> unit;
    QByteArray file;
};

struct RunRow
{
    SimulatedBootLoader::Fault fault;
    int block;
    int count;
    int delayMs;
    bool retransmit;
    bool continuous;
    int expectedState;
    int expectedRequests; // -1: not checked
};

} // namespace

Q_DECLARE_METATYPE(RunRow)

class tst_CanFlashing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programFrames_data();
    void programFrames();
    void fileRefusals_data();
    void fileRefusals();
    void startRefusals_data();
    void startRefusals();
    void startFromTheEditor();
    void runAgainstBootLoader_data();
    void runAgainstBootLoader();
    void delayBetweenFrames();
    void stopInEveryState_data();
    void stopInEveryState();
    void stopMidTransfer();
    void flashLogWriteFailureKeepsTheResult();
    void flashLogStartsEveryRecordOnItsOwnLine();
    void continuousOffOnlyCancelsRequests();
    void wrongSourceChangesNothing();
    void requestsGoToTheTarget();
    void identificationOverConnection();
    void deviceDeletedMidRun();
    void schemeRoundTrip();
    void oneUnitAfterSchemeLoad();
};

void tst_CanFlashing::initTestCase()
{
    TestEnvironment::init();
}

void tst_CanFlashing::programFrames_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QVector<int>>("lengths");
    QTest::newRow("10 bytes: 8 8 6") << 10 << QVector<int>{8, 8, 6};
    QTest::newRow("4 bytes: one full frame") << 4 << QVector<int>{8};
    QTest::newRow("1 byte: length 5") << 1 << QVector<int>{5};
    QTest::newRow("empty: no frame") << 0 << QVector<int>{};
}

void tst_CanFlashing::programFrames()
{
    QFETCH(int, size);
    QFETCH(QVector<int>, lengths);
    const QByteArray data = program(size);
    const QVector<CanMessage> frames = F::programFrames(data, Unit, Tool);
    QCOMPARE(frames.size(), lengths.size());
    QByteArray joined;
    for (int i = 0; i < frames.size(); ++i) {
        const CanMessage &m = frames.at(i);
        QCOMPARE(int(m.length), lengths.at(i));
        QCOMPARE(m.id, 0x0CD6A0F9u);
        const quint32 offset = m.data[0] | m.data[1] << 8 | m.data[2] << 16 | quint32(m.data[3]) << 24;
        QCOMPARE(offset, quint32(4 * i));
        joined.append(reinterpret_cast<const char *>(m.data + 4), m.length - 4);
    }
    QCOMPARE(joined, data); // the pieces put together give the file
}

void tst_CanFlashing::fileRefusals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("empty") << "empty";
    QTest::newRow("directory") << "directory";
    QTest::newRow("over the cap") << "big";
}

void tst_CanFlashing::fileRefusals()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("p.prg"));
    if (kind == QLatin1String("directory")) {
        path = dir.path();
    } else if (kind != QLatin1String("missing")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("big"))
            QVERIFY(f.resize(F::MaxFileSize + 1));
    }
    Rig rig;
    rig.flasher->setProgram(QByteArray(), QString());
    QVERIFY(!rig.flasher->loadFile(path));
    QVERIFY(!rig.flasher->stateText().isEmpty());
    rig.flasher->slotStart();
    QTest::qWait(30);
    QCOMPARE(rig.flasher->flasherState(), int(F::FlasherIdle));
    QVERIFY(rig.handler.writtenFrames().isEmpty()); // nothing reached the bus
}

void tst_CanFlashing::startRefusals_data()
{
    QTest::addColumn<int>("target");
    QTest::newRow("global 0xFF") << 0xFF;
    QTest::newRow("null 0xFE") << 0xFE;
    QTest::newRow("the tool itself") << int(Tool);
    QTest::newRow("over a byte") << 0x1A0;
    QTest::newRow("negative") << -1;
}

void tst_CanFlashing::startRefusals()
{
    QFETCH(int, target);
    Rig rig;
    rig.flasher->setTarget(target);
    rig.flasher->slotStart();
    rig.flasher->slotRequestSoft();
    QTest::qWait(30);
    QCOMPARE(rig.flasher->flasherState(), int(F::FlasherIdle));
    QVERIFY(rig.flasher->stateText().contains(QStringLiteral("Invalid target")));
    QVERIFY(rig.handler.writtenFrames().isEmpty());
}

void tst_CanFlashing::startFromTheEditor()
{
    int asked = 0;
    CanFlashingFunctionV1SchemeTreeItem::setConfirmer([&asked](QWidget *, const QString &) {
        return ++asked > 0;
    });
    // Without a bus connection the editor refuses before it asks anything.
    OffBoardDiagnosticDevice alone;
    alone.flasher()->setTarget(Unit);
    alone.flasher()->setProgram(program(4), QStringLiteral("x.prg"));
    QVERIFY(!CanFlashingFunctionV1SchemeTreeItem(alone.flasher()).requestStart(nullptr));
    QCOMPARE(asked, 0);
    QCOMPARE(alone.flasher()->stateText(), QStringLiteral("No bus connection"));
    // On the bus it asks, and the run is logged beside the parameter logs.
    Rig rig;
    QTemporaryDir logs;
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"), logs.path());
    QVERIFY(CanFlashingFunctionV1SchemeTreeItem(rig.flasher).requestStart(nullptr));
    QSettings().remove(QStringLiteral("ParameterLog/Directory"));
    QCOMPARE(asked, 1);
    QCOMPARE(rig.flasher->logDirectory(), logs.path());
}

void tst_CanFlashing::runAgainstBootLoader_data()
{
    using B = SimulatedBootLoader;
    QTest::addColumn<RunRow>("row");
    const int ok = F::FlasherFinished;
    const int error = F::FlasherError;
    QTest::newRow("clean") << RunRow{B::NoFault, 0, 0, 0, false, false, ok, 1};
    QTest::newRow("busy 3 times then completed")
        << RunRow{B::BusyTimes, 0, 3, 0, false, false, ok, 2};
    QTest::newRow("refused") << RunRow{B::Refuse, 0, 1, 0, false, false, error, 1};
    QTest::newRow("silent") << RunRow{B::Silent, 0, 1, 0, false, false, error, 1};
    QTest::newRow("continuous until the 3rd request")
        << RunRow{B::AnswerOnRequest, 0, 3, 0, false, true, ok, 3};
    QTest::newRow("answer not a DM15") << RunRow{B::AnswerWrongKind, 0, 1, 0, false, false, error, 1};
    QTest::newRow("echo dropped once") << RunRow{B::DropEcho, 1, 1, 0, false, false, ok, -1};
    QTest::newRow("echo dropped 5 times") << RunRow{B::DropEcho, 1, 5, 0, false, false, ok, -1};
    QTest::newRow("echo dropped 6 times") << RunRow{B::DropEcho, 1, 6, 0, false, false, error, -1};
    QTest::newRow("corrupt echo without RE")
        << RunRow{B::CorruptEcho, 1, 1, 0, false, false, error, -1};
    QTest::newRow("corrupt echo 7 times with RE")
        << RunRow{B::CorruptEcho, 1, 7, 0, true, false, ok, -1};
    QTest::newRow("corrupt echo 8 times with RE")
        << RunRow{B::CorruptEcho, 1, 8, 0, true, false, error, -1};
    QTest::newRow("short last block padded") << RunRow{B::PadEcho, 0, 0, 0, false, false, ok, -1};
    QTest::newRow("late echo") << RunRow{B::LateEcho, 1, 1, 100, false, false, ok, -1};
    QTest::newRow("every echo twice") << RunRow{B::DuplicateEcho, 0, 0, 0, false, false, ok, -1};
    QTest::newRow("old echo first") << RunRow{B::OldEcho, 2, 1, 0, false, false, ok, -1};
    QTest::newRow("silent from block 2") << RunRow{B::SilentFrom, 2, 1, 0, false, false, error, -1};
    QTest::newRow("echoes from another unit")
        << RunRow{B::OtherSource, 0, 0, 0, false, false, error, -1};
    QTest::newRow("stray DM15 and echo after the end")
        << RunRow{B::StrayAfterEnd, 0, 0, 0, false, false, ok, -1};
}

void tst_CanFlashing::runAgainstBootLoader()
{
    QFETCH(RunRow, row);
    Rig rig(10);
    rig.unit->setFault(row.fault, row.block, row.count, row.delayMs);
    rig.flasher->boolParameter(F::RetransmitOnError)->setValue(row.retransmit);
    rig.flasher->setContinuousBootload(row.continuous);
    QCOMPARE(rig.run(), row.expectedState);
    if (row.expectedRequests >= 0)
        QCOMPARE(rig.unit->requestCount(), row.expectedRequests);
    if (row.expectedState == F::FlasherFinished) {
        QCOMPARE(rig.unit->image(), rig.file);
        QCOMPARE(rig.flasher->intParameter(F::Progress)->value(), 100);
        QCOMPARE(rig.unit->closingCount(), 1);
    } else {
        QVERIFY(rig.flasher->lastResult().contains(QStringLiteral("error")));
    }
    // One record of the run in the flash log, with what went where and how it ended.
    const QList<QByteArray> records = rig.logLines();
    QCOMPARE(records.size(), 1);
    const QByteArray sha = QCryptographicHash::hash(rig.file, QCryptographicHash::Sha256).toHex();
    QVERIFY2(records.first().contains(",0xa0,\"\",\"\",\"test.prg\",10," + sha + ","
                                      + (row.expectedState == F::FlasherFinished ? "finished"
                                                                                 : "error")),
             records.first().constData());
    const QByteArray retransmissions = "," + QByteArray::number(rig.flasher->retransmitCount());
    QVERIFY(records.first().endsWith(
        (row.expectedState == F::FlasherFinished ? ",3,3" : "") + retransmissions));
    QVERIFY(records.first().contains(rig.flasher->lastResult().left(20).toUtf8()));
    QCOMPARE(rig.flasher->stateText(), row.expectedState == F::FlasherFinished
                                           ? QStringLiteral("Reflash Finished")
                                           : QStringLiteral("Reflash Error"));
    // Nothing went anywhere but the chosen unit, no frame after the end, and what arrives
    // then leaves the result alone.
    const int written = rig.handler.writtenFrames().size();
    QTest::qWait(100);
    QCOMPARE(rig.handler.writtenFrames().size(), written);
    QCOMPARE(rig.flasher->flasherState(), row.expectedState);
    for (const CanMessage &m : rig.handler.writtenFrames())
        QCOMPARE(m.pduSpecific(), Unit);
    QCOMPARE(rig.unit->unexpectedCount(), 0);
    QVERIFY(!rig.flasher->isLowLatencyMode());
}

void tst_CanFlashing::delayBetweenFrames()
{
    Rig rig(12);
    rig.flasher->intParameter(F::AckDelay)->setValue(20);
    QElapsedTimer clock;
    clock.start();
    QVector<qint64> dataSent;
    connect(rig.flasher, &F::frameSent, this, [&](const CanMessage &m) {
        if (m.pduFormat() == F::PfBootLoadData)
            dataSent << clock.elapsed();
    });
    rig.flasher->slotStart();
    QTRY_COMPARE_WITH_TIMEOUT(rig.flasher->flasherState(), int(F::FlasherFinished), 3000);
    QCOMPARE(dataSent.size(), 3);
    // Each frame waits the pause after the echo of the one before.
    QVERIFY(dataSent.at(1) - dataSent.at(0) >= 19);
    QVERIFY(dataSent.at(2) - dataSent.at(1) >= 19);
    QCOMPARE(rig.unit->image(), rig.file);
}

void tst_CanFlashing::stopInEveryState_data()
{
    using B = SimulatedBootLoader;
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("block");
    QTest::addColumn<int>("ackDelay");
    QTest::newRow("waiting response") << int(F::FlasherWaitingResponse) << int(B::Silent) << 0 << 0;
    QTest::newRow("waiting boot load") << int(F::FlasherWaitingBootLoad) << int(B::NoFault) << 0
                                       << 0;
    QTest::newRow("waiting ack") << int(F::FlasherWaitingAck) << int(B::SilentFrom) << 1 << 0;
    QTest::newRow("delay") << int(F::FlasherDelay) << int(B::NoFault) << 0 << 5000;
    QTest::newRow("finished") << int(F::FlasherFinished) << int(B::NoFault) << 0 << 0;
    QTest::newRow("error") << int(F::FlasherError) << int(B::Refuse) << 0 << 0;
}

void tst_CanFlashing::stopInEveryState()
{
    QFETCH(int, state);
    QFETCH(int, fault);
    QFETCH(int, block);
    QFETCH(int, ackDelay);
    Rig rig(40);
    rig.flasher->setIntervals({5000, state == F::FlasherWaitingBootLoad ? 5000 : 20, 5000, 5000});
    rig.unit->setFault(SimulatedBootLoader::Fault(fault), block);
    rig.flasher->intParameter(F::AckDelay)->setValue(ackDelay);
    rig.flasher->slotStart();
    QTRY_COMPARE_WITH_TIMEOUT(rig.flasher->flasherState(), state, 3000);
    rig.flasher->slotStop();
    QCOMPARE(rig.flasher->flasherState(), int(F::FlasherIdle));
    QVERIFY(!rig.flasher->stateTimer()->isActive());
    QCOMPARE(rig.flasher->stateTimer()->interval(), 0);
    QVERIFY(rig.flasher->stateText().isEmpty());
    const int written = rig.handler.writtenFrames().size();
    QTest::qWait(100);
    QCOMPARE(rig.handler.writtenFrames().size(), written); // nothing after Stop
}

void tst_CanFlashing::stopMidTransfer()
{
    Rig rig(40);
    rig.unit->setFault(SimulatedBootLoader::SilentFrom, 3);
    rig.flasher->boolParameter(F::LowLatency)->setValue(true);
    rig.flasher->slotStart();
    QVERIFY(rig.flasher->isLowLatencyMode());
    QTRY_COMPARE_WITH_TIMEOUT(rig.flasher->transmitIndex(), 3, 2000);
    rig.flasher->slotStop();
    QCOMPARE(rig.flasher->flasherState(), int(F::FlasherIdle));
    QVERIFY(!rig.flasher->stateTimer()->isActive());
    QVERIFY(rig.flasher->stateText().isEmpty());
    QVERIFY(rig.flasher->lastResult().contains(QStringLiteral("boot loader")));
    QVERIFY(!rig.flasher->isLowLatencyMode());
    const int written = rig.handler.writtenFrames().size();
    QTest::qWait(150);
    QCOMPARE(rig.handler.writtenFrames().size(), written);
    // A new run starts from the first block.
    rig.unit->setFault(SimulatedBootLoader::NoFault);
    QCOMPARE(rig.run(), int(F::FlasherFinished));
    QCOMPARE(rig.unit->image(), rig.file);
    // Two runs, two records: the stopped one says how far it came.
    const QList<QByteArray> records = rig.logLines();
    QCOMPARE(records.size(), 2);
    QVERIFY2(records.at(0).contains(",stopped,\"Stopped at block 4 of 10."), records.at(0).constData());
    QVERIFY(records.at(0).endsWith(",10,3,0"));
    QVERIFY(records.at(1).contains(",finished,"));
}

void tst_CanFlashing::flashLogWriteFailureKeepsTheResult()
{
    Rig rig(10);
    // A directory where the log file should be: the append fails.
    QVERIFY(QDir(rig.logDir.path()).mkdir(QString::fromLatin1(FlashLog::FileName)));
    QCOMPARE(rig.run(), int(F::FlasherFinished));
    const QString result = rig.flasher->lastResult();
    QVERIFY2(result.startsWith(QStringLiteral("Reflash finished: 3 blocks")), qPrintable(result));
    QVERIFY(result.contains(QStringLiteral("The flash log was not written")));
    QCOMPARE(rig.unit->image(), rig.file);
}

void tst_CanFlashing::flashLogStartsEveryRecordOnItsOwnLine()
{
    QTemporaryDir dir;
    const QString path = TestEnvironment::writeFile(dir, QString::fromLatin1(FlashLog::FileName),
                                                    FlashLog::header() + "2026-01-01T00:00:00,cut");
    QVERIFY(!path.isEmpty());
    FlashLog::Record r;
    r.target = 0x21;
    r.file = QStringLiteral("a \"quoted\"\nname.prg");
    r.outcome = QStringLiteral("finished");
    QString error;
    QVERIFY(FlashLog::append(dir.path(), r, &error));
    const QList<QByteArray> lines = TestEnvironment::readFile(path).split('\n');
    QCOMPARE(lines.size(), 4); // header, the cut line, the record, the final empty piece
    QCOMPARE(lines.at(1), QByteArray("2026-01-01T00:00:00,cut"));
    QVERIFY(lines.at(2).contains(",0x21,\"\",\"\",\"a \"\"quoted\"\" name.prg\",0,,finished,"));
}

void tst_CanFlashing::continuousOffOnlyCancelsRequests()
{
    Rig rig(40);
    rig.unit->setFault(SimulatedBootLoader::Silent);
    rig.flasher->setContinuousBootload(true);
    rig.flasher->slotStart();
    QTRY_VERIFY_WITH_TIMEOUT(rig.unit->requestCount() >= 2, 2000);
    rig.flasher->setContinuousBootload(false);
    QCOMPARE(rig.flasher->flasherState(), int(F::FlasherIdle));

    rig.unit->setFault(SimulatedBootLoader::NoFault);
    rig.flasher->setContinuousBootload(true);
    rig.flasher->slotStart();
    QTRY_COMPARE_WITH_TIMEOUT(rig.flasher->flasherState(), int(F::FlasherWaitingAck), 2000);
    rig.flasher->setContinuousBootload(false);
    QVERIFY(rig.flasher->flasherState() != F::FlasherIdle); // the transfer goes on
    QTRY_COMPARE_WITH_TIMEOUT(rig.flasher->flasherState(), int(F::FlasherFinished), 3000);
    QCOMPARE(rig.unit->image(), rig.file);
}

void tst_CanFlashing::wrongSourceChangesNothing()
{
    Rig rig(10);
    rig.unit->setFault(SimulatedBootLoader::Silent);
    rig.flasher->setContinuousBootload(true);
    rig.flasher->slotStart();
    DispatchResult r;
    CanMessage stranger = makeFrame(0x18D8F955, {0x00, 0x19, 0, 0, 0, 0, 0xFF, 0xFF});
    QVERIFY(rig.device->dispatchTargetMessage(stranger, &r));
    QCOMPARE(r.description, QStringLiteral("Wrong source"));
    QCOMPARE(rig.flasher->flasherState(), int(F::FlasherWaitingResponse));
    rig.flasher->slotStop();
}

void tst_CanFlashing::requestsGoToTheTarget()
{
    Rig rig;
    rig.flasher->slotRequestEcuid();
    rig.flasher->slotRequestSoft();
    rig.flasher->slotRequestHours();
    QCOMPARE(frameTexts(rig.sent(0xEA)),
             (QStringList{"6 eaa0f9 c5 fd 00", "6 eaa0f9 da fe 00", "6 eaa0f9 e5 fe 00"}));
}

void tst_CanFlashing::identificationOverConnection()
{
    Rig rig;
    rig.dispatcher.setTransportTiming(quickTiming(1));
    DispatchResult r;
    // The unit answers with an RTS/CTS connection to the tool, which is not simulated.
    const QVector<CanMessage> frames = tpFrames(Unit, Tool, 0xFEDA, QByteArray("\x02VER1*B*\0", 9));
    rig.device->dispatchTargetMessage(frames.at(0), &r);
    QTRY_VERIFY(!rig.sent(0xEC).isEmpty()); // the CTS
    rig.device->dispatchTargetMessage(frames.at(1), &r);
    rig.device->dispatchTargetMessage(frames.at(2), &r);
    auto *soft = rig.device->findChild<SoftFunction *>();
    QVERIFY(soft);
    QCOMPARE(soft->intParameter(0)->value(), 2);
    QCOMPARE(rig.flasher->stringParameter(F::SoftId)->value(), QStringLiteral("VER1*B*"));
    rig.flasher->takeIdentification(0xFDC5, QByteArray("ECU*1*\0xx", 9));
    QCOMPARE(rig.flasher->stringParameter(F::EcuId)->value(), QStringLiteral("ECU*1*"));
}

void tst_CanFlashing::deviceDeletedMidRun()
{
    auto rig = std::make_unique<Rig>(40);
    rig->unit->setFault(SimulatedBootLoader::SilentFrom, 5);
    rig->flasher->slotStart();
    QTRY_COMPARE_WITH_TIMEOUT(rig->flasher->flasherState(), int(F::FlasherWaitingAck), 2000);
    QPointer<F> flasher = rig->flasher;
    rig->dispatcher.unregisterDisplayable(rig->device);
    delete rig->device;
    QVERIFY(!flasher);
    const int written = rig->handler.writtenFrames().size();
    QTest::qWait(150); // no timer of the deleted function fires
    QCOMPARE(rig->handler.writtenFrames().size(), written);
    const QList<QByteArray> records = rig->logLines();
    QCOMPARE(records.size(), 1);
    QVERIFY(records.first().contains(",removed,\"The flasher was removed"));
}

void tst_CanFlashing::schemeRoundTrip()
{
    OffBoardDiagnosticDevice saved;
    F *f = saved.flasher();
    f->stringParameter(F::FileName)->setValue(QStringLiteral("/x/app.prg"));
    // What a run leaves behind must not come back.
    f->intParameter(F::State)->setValue(F::FlasherWaitingAck);
    f->intParameter(F::Progress)->setValue(42);
    f->intParameter(F::TransmitIndex)->setValue(9);
    f->stringParameter(F::StateText)->setValue(QStringLiteral("Reflashing in progress"));
    // The memory access function shares the flasher's group: each finds its own values again.
    saved.memoryAccess()->setTarget(0xA0);
    f->setTarget(0x21);
    const QDomDocument doc = savedItem(saved);
    QDomElement element = doc.documentElement();
    OffBoardDiagnosticDevice restored;
    QVERIFY(restored.applyXmlData(element));
    // Found again, not doubled.
    QCOMPARE(restored.children().size(), saved.children().size());
    // flasher, ECU, software, component, vehicle, DM19, memory access
    QCOMPARE(saved.children().size(), 7);
    F *r = restored.flasher();
    QCOMPARE(r->target(), 0x21);
    QCOMPARE(restored.memoryAccess()->target(), 0xA0);
    QCOMPARE(r->stringParameter(F::FileName)->value(), QStringLiteral("/x/app.prg"));
    QCOMPARE(r->intParameter(F::State)->value(), int(F::FlasherIdle));
    QCOMPARE(r->intParameter(F::Progress)->value(), 0);
    QCOMPARE(r->intParameter(F::TransmitIndex)->value(), 0);
    QVERIFY(r->stateText().isEmpty());
    QCOMPARE(r->flasherState(), int(F::FlasherIdle));
}

void tst_CanFlashing::oneUnitAfterSchemeLoad()
{
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    CanDeviceFactory *factory = catalogue.get();
    // A scheme brings the unit back by key and its saved address...
    std::unique_ptr<AbstractDisplayableItem> loaded(
        factory->createDeviceFromKey("offboarddiagunit", {ItemAddress::J1939, 0xF9}));
    QVERIFY(qobject_cast<OffBoardDiagnosticDevice *>(loaded.get()));
    // ... and "Add flasher" then finds it instead of making a second unit at 0xF9.
    QCOMPARE(factory->getDevice("offboarddiagunit"), loaded.get());
    QVERIFY(!factory->createDevice(QByteArray("offboarddiagunit")));
}

QTEST_MAIN(tst_CanFlashing)
#include "tst_canflashing.moc"
