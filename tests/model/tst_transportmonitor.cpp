#include "can/candumpreader.h"
#include "model/transportmonitor.h"

#include <QtTest>

// Frames as candump lines; the time is in ms.
struct Step
{
    int ms;
    const char *frame;
};
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(TransportMonitor::Ending)

namespace {

QVector<TransportMonitor::Session> monitor(const QVector<Step> &steps, qint64 endMs)
{
    TransportMonitor m;
    for (const Step &s : steps) {
        TimedFrame f;
        const QByteArray line = QByteArray("(0.0) can0 ") + s.frame;
        if (!CandumpReader::parseLine(line.constData(), line.constData() + line.size(), &f))
            qFatal("bad test frame %s", s.frame);
        m.take(f.message, qint64(s.ms) * 1000);
    }
    m.finish(endMs * 1000);
    return m.sessions();
}

} // namespace

// Transport sessions watched from the side of the bus, ended by the rules' time-outs on the
// recording's clock.
class tst_TransportMonitor : public QObject
{
    Q_OBJECT

private slots:
    void outcome_data();
    void outcome();
};

void tst_TransportMonitor::outcome_data()
{
    QTest::addColumn<QVector<Step>>("steps");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<TransportMonitor::Ending>("ending");

    // 9 bytes of PGN 0xFEDA in two packets, from 0x00 to all or to 0xF9.
    const char *bam = "1CECFF00#20090002FFDAFE00";
    const char *bam1 = "1CEBFF00#0101020304050607";
    const char *bam2 = "1CEBFF00#020809FFFFFFFFFF";
    const char *rts = "1CECF900#10090002FFDAFE00";
    const char *cts = "1CEC00F9#110201FFFFDAFE00";
    const char *dt1 = "1CEBF900#0101020304050607";
    const char *dt2 = "1CEBF900#020809FFFFFFFFFF";
    const char *ack = "1CEC00F9#13090002FFDAFE00";
    const char *other = "18FEF100#FFFFFFFFFFFFFFFF"; // moves the clock on
    using S = QVector<Step>;
    const int b = TransportMonitor::Bam;
    const int c = TransportMonitor::Connection;
    QTest::newRow("BAM completed")
        << S{{0, bam}, {50, bam1}, {100, bam2}} << b << "completed" << TransportMonitor::Completed;
    QTest::newRow("BAM packet 750 ms late still in time")
        << S{{0, bam}, {750, bam1}, {1500, bam2}} << b << "completed"
        << TransportMonitor::Completed;
    QTest::newRow("BAM packet missing, T1")
        << S{{0, bam}, {50, bam1}, {900, other}} << b << "time-out between packets (T1)"
        << TransportMonitor::TimedOut;
    QTest::newRow("BAM packet skipped")
        << S{{0, bam}, {50, bam2}} << b << "bad sequence number 2 (expected 1)"
        << TransportMonitor::Broken;
    QTest::newRow("BAM replaced") << S{{0, bam}, {50, bam1}, {100, bam}} << b
                                  << "replaced by a new announcement" << TransportMonitor::Broken;
    QTest::newRow("BAM cut by the end")
        << S{{0, bam}, {50, bam1}} << b << "unfinished at the end of the recording"
        << TransportMonitor::Unfinished;
    QTest::newRow("BAM size and packets disagree")
        << S{{0, "1CECFF00#20200002FFDAFE00"}} << b
        << "invalid announcement (32 bytes in 2 packets)" << TransportMonitor::Broken;
    QTest::newRow("RTS/CTS completed") << S{{0, rts}, {5, cts}, {10, dt1}, {15, dt2}, {20, ack}}
                                       << c << "completed" << TransportMonitor::Completed;
    QTest::newRow("RTS/CTS data without acknowledgement, T3")
        << S{{0, rts}, {5, cts}, {10, dt1}, {15, dt2}, {1300, other}} << c
        << "no acknowledgement (T3)" << TransportMonitor::TimedOut;
    QTest::newRow("RTS without CTS, T3")
        << S{{0, rts}, {1300, other}} << c << "no CTS (T3)" << TransportMonitor::TimedOut;
    QTest::newRow("RTS/CTS no data after CTS, T2")
        << S{{0, rts}, {5, cts}, {1300, other}} << c << "time-out waiting for data (T1/T2)"
        << TransportMonitor::TimedOut;
    QTest::newRow("RTS/CTS aborted by receiver")
        << S{{0, rts}, {5, "1CEC00F9#FF03FFFFFFDAFE00"}} << c << "aborted by F9: time-out"
        << TransportMonitor::Aborted;
    QTest::newRow("RTS/CTS aborted by sender")
        << S{{0, rts}, {5, cts}, {10, "1CECF900#FF02FFFFFFDAFE00"}} << c
        << "aborted by 00: resources needed elsewhere" << TransportMonitor::Aborted;
    QTest::newRow("RTS/CTS data while held open")
        << S{{0, rts}, {5, "1CEC00F9#1100FFFFFFDAFE00"}, {10, dt1}} << c
        << "data while the receiver held the connection" << TransportMonitor::Broken;
    QTest::newRow("RTS/CTS repeated packets after a second CTS")
        << S{{0, rts},  {5, cts},
             {10, dt1}, {15, "1CEC00F9#110101FFFFDAFE00"},
             {20, dt1}, {25, "1CEC00F9#110102FFFFDAFE00"},
             {30, dt2}, {35, ack}}
        << c << "completed" << TransportMonitor::Completed;
}

void tst_TransportMonitor::outcome()
{
    QFETCH(QVector<Step>, steps);
    QFETCH(int, kind);
    QFETCH(QString, outcome);
    QFETCH(TransportMonitor::Ending, ending);
    const QVector<TransportMonitor::Session> sessions = monitor(steps, steps.last().ms + 10);
    QCOMPARE(sessions.size(), outcome == QLatin1String("replaced by a new announcement") ? 2 : 1);
    const TransportMonitor::Session &s = sessions.first();
    QCOMPARE(int(s.kind), kind);
    QCOMPARE(int(s.pgn), 0xFEDA);
    QCOMPARE(s.source, quint8(0x00));
    QCOMPARE(s.destination, quint8(kind == TransportMonitor::Bam ? 0xFF : 0xF9));
    QCOMPARE(s.outcome, outcome);
    QCOMPARE(s.ending, ending);
}

QTEST_GUILESS_MAIN(tst_TransportMonitor)
#include "tst_transportmonitor.moc"
