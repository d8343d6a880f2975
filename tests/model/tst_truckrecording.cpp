#include "can/candumpreader.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "support/recordingfunction.h"
#include "support/testenvironment.h"

#include <QtTest>

namespace {

QStringList s_problems;

void recordProblems(QtMsgType, const QMessageLogContext &, const QString &text)
{
    if (text.contains(QLatin1String("sequence"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("timeout"), Qt::CaseInsensitive))
        s_problems << text;
}

} // namespace

// Golden test: a real truck recording with BAM transfers from the engine (EC1 0xFEE3, VI 0xFEEC)
// replayed through the dispatcher. The data frames of each transfer are paced as recorded
// (41 to 60 ms apart) so the 750 ms receive time-out runs for real.
class tst_TruckRecording : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void everyBroadcastReassembles();
    void broadcastFunctionsAtRealPeriods();
};

void tst_TruckRecording::everyBroadcastReassembles()
{
    CandumpReader reader;
    QVERIFY(reader.readFile(TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"))));
    QCOMPARE(reader.frames().size(), 1815);

    DeviceDispatcher dispatcher;
    auto *engine = new J1939Device(0x00);
    auto *ec1 = new RecordingFunction(0xFE, 0xE3, engine);
    auto *vi = new RecordingFunction(0xFE, 0xEC, engine);
    dispatcher.registerDisplayable(engine);

    QList<QPair<quint32, int>> announced;
    QList<QPair<quint32, QByteArray>> completed;
    s_problems.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordProblems);
    qint64 lastTpTime = -1;
    for (const TimedFrame &f : reader.frames()) {
        const CanMessage &m = f.message;
        const bool fromEngine = m.address() == 0x00;
        const bool tp = fromEngine && (m.pduFormat() == 0xEB || m.pduFormat() == 0xEC);
        if (tp && m.pduFormat() == 0xEC && m.data[0] == 0x20) {
            announced.append(qMakePair(quint32(m.data[5] | m.data[6] << 8), m.data[1] | m.data[2] << 8));
            lastTpTime = f.timeUs;
        } else if (tp && lastTpTime >= 0) {
            // Wait as the bus did between the frames of a transfer.
            const qint64 gapMs = (f.timeUs - lastTpTime) / 1000;
            if (gapMs > 0 && gapMs < 1000)
                QTest::qWait(int(gapMs));
            lastTpTime = f.timeUs;
        }
        DispatchResult r(DispatchResult::Received, f.timeUs / 1000);
        dispatcher.dispatchMessage(m, &r);
        if (!r.payload.isEmpty())
            completed.append(qMakePair(r.pgn, r.payload));
    }
    qInstallMessageHandler(previous);

    QVERIFY2(s_problems.isEmpty(), qPrintable(s_problems.join(QLatin1Char('\n'))));
    QCOMPARE(announced.size(), 16);
    QCOMPARE(completed.size(), 16);
    for (int i = 0; i < announced.size(); ++i) {
        QCOMPARE(completed.at(i).first, announced.at(i).first);
        QCOMPARE(completed.at(i).second.size(), announced.at(i).second);
    }
    QCOMPARE(ec1->broadcasts.size(), 13);
    QCOMPARE(vi->broadcasts.size(), 3);
    for (const QByteArray &data : qAsConst(ec1->broadcasts))
        QCOMPARE(data.size(), 28);
    dispatcher.clearScheme();
}

void tst_TruckRecording::broadcastFunctionsAtRealPeriods()
{
    CandumpReader reader;
    QVERIFY(reader.readFile(
        TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"))));
    DeviceDispatcher dispatcher;
    auto *engine = new J1939Device(0x00);
    auto *ec1 = new RecordingFunction(0xFE, 0xE3, engine); // BAM, every 5.1 s
    auto *vi = new RecordingFunction(0xFE, 0xEC, engine);  // BAM, three times
    auto *et1 = new RecordingFunction(0xFE, 0xEE, engine); // single frame, every 5.0 s
    dispatcher.registerDisplayable(engine);
    const QList<AbstractDisplayableItem *> functions{ec1, vi, et1};

    // The recording's clock drives the counters: frames go in at once, without an event loop, and
    // each counter window moves on every 500 ms of recorded time.
    const int stepMs = ec1->counter()->interval();
    QCOMPARE(stepMs, 500);
    QVector<qint64> ec1Starts;
    for (const TimedFrame &f : reader.frames()) {
        const CanMessage &m = f.message;
        if (m.address() == 0x00 && m.pduFormat() == 0xEC && m.data[0] == 0x20 && m.data[5] == 0xE3)
            ec1Starts.append(f.timeUs / 1000);
    }
    QCOMPARE(ec1Starts.size(), 13);
    // The first eight transfers come every 5.1 s; the period shown while they do is checked.
    const qint64 regularFrom = ec1Starts.at(0) + 5000;
    const qint64 regularTo = ec1Starts.at(7);
    const qint64 realEc1 = (ec1Starts.at(7) - ec1Starts.at(0)) / 7;
    QVERIFY2(qAbs(realEc1 - 5100) < 10, qPrintable(QString::number(realEc1)));

    QVector<int> ec1Periods;
    QVector<int> et1Periods;
    qint64 nextShift = reader.frames().first().timeUs / 1000 + stepMs;
    for (const TimedFrame &f : reader.frames()) {
        const qint64 nowMs = f.timeUs / 1000;
        for (; nextShift <= nowMs; nextShift += stepMs) {
            for (AbstractDisplayableItem *function : functions)
                function->counter()->shift();
            if (nextShift >= regularFrom && nextShift <= regularTo) {
                ec1Periods.append(ec1->period());
                et1Periods.append(et1->period());
            }
        }
        DispatchResult r(DispatchResult::Received, nowMs);
        dispatcher.dispatchMessage(f.message, &r);
    }

    // One event per message: 13 EC1, 3 VI, 13 ET1 messages in the recording.
    QCOMPARE(ec1->broadcasts.size(), 13);
    QCOMPARE(ec1->totalEvents(), qint64(13));
    QCOMPARE(vi->totalEvents(), qint64(3));
    QCOMPARE(et1->totalEvents(), qint64(13));
    // While EC1 comes every 5.1 s its period shows 5 s, as ET1's does every 5.0 s; a message
    // counted twice would show half.
    QVERIFY(ec1Periods.size() >= 50);
    int shown = 0;
    for (int i = 0; i < ec1Periods.size(); ++i) {
        const int p = ec1Periods.at(i);
        if (p == 0)
            continue; // no transfer inside the 5 s window at this instant
        ++shown;
        QVERIFY2(qAbs(p - realEc1) <= realEc1 / 10,
                 qPrintable(QStringLiteral("EC1 shows %1 ms at sample %2").arg(p).arg(i)));
        if (et1Periods.at(i) != 0)
            QCOMPARE(p, et1Periods.at(i));
    }
    QVERIFY2(shown >= ec1Periods.size() * 3 / 4, qPrintable(QString::number(shown)));
    dispatcher.clearScheme();
}

QTEST_MAIN(tst_TruckRecording)
#include "tst_truckrecording.moc"
