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
};

void tst_TruckRecording::everyBroadcastReassembles()
{
    CandumpReader reader;
    QVERIFY(reader.readFile(
        TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"))));
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
            announced.append(
                qMakePair(quint32(m.data[5] | m.data[6] << 8), m.data[1] | m.data[2] << 8));
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

QTEST_MAIN(tst_TruckRecording)
#include "tst_truckrecording.moc"
