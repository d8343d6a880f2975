#include "can/replaycanhandler.h"
#include "demo/demounits.h"
#include "support/adapterharness.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include <QtTest>

class tst_ReplayCanHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void demoBusIsBuiltIn();
    void recordingsByName();
    void otherFormats();
    void emptyRecordingRefused();
    void longRecordingStreams();
    void cancelledReadingKeepsTheRecording();
    void paceFollowsTimestamps();
    void loops();
    void sentFramesAreEchoedAsSent();

private:
    // Writes `text` as recording.log and selects it in `handler`.
    bool load(ReplayCanHandler &handler, const QByteArray &text)
    {
        return handler.setTransceiver(
            handler.addRecording(m_dir.write(QStringLiteral("recording.log"), text)));
    }

    TestFolder m_dir;
};

void tst_ReplayCanHandler::demoBusIsBuiltIn()
{
    ReplayCanHandler handler(nullptr);
    handler.setDemoUnits(&DemoUnits::addTo);
    QCOMPARE(handler.transceiversCount(), 1u);
    QVERIFY(handler.setTransceiver(0));
    QTRY_COMPARE(handler.readingPercent(), -1);
    CandumpReader reader;
    QVERIFY(reader.readFile(QString::fromLatin1(ReplayCanHandler::DemoRecording)));
    QCOMPARE(handler.loadedFrameCount(), qint64(reader.frames().size()));
    QCOMPARE(handler.skippedLineCount(), 0);
    // The loop joins seamlessly: one EEC1 period (20 ms) after the last frame.
    QCOMPARE(handler.loopPeriodUs(), qint64(90 * 1000 * 1000));
    QSet<quint32> ids;
    for (const TimedFrame &f : reader.frames())
        ids.insert(f.message.id);
    const quint32 expected[]
        = {0x0CF00400, 0x18FF30A0, 0x18FF31A0, 0x10FF329D, 0x10FF329E, 0x10FF329F, 0x10FF339C,
           0x18FED90A, 0x18FED980, 0x18FEEE00, 0x18FEE500, 0x1CECFF00, 0x1CEBFF00};
    for (quint32 id : expected)
        QVERIFY2(ids.contains(id), qPrintable(QString::number(id, 16)));
}

void tst_ReplayCanHandler::recordingsByName()
{
    const QString path = m_dir.write(QStringLiteral("recording.log"), "(0.0) can0 18FEF100#01\n");
    ReplayCanHandler handler(nullptr);
    QCOMPARE(handler.transceiverIndexForName(QStringLiteral("/no/such/file.log")), -1);
    QCOMPARE(handler.transceiverIndexForName(path), 1);
    QCOMPARE(handler.transceiverIndexForName(path), 1); // known paths are not added twice
    QCOMPARE(handler.transceiversCount(), 2u);
    QCOMPARE(handler.transceiverIndexForName(handler.transceivers().first().second), 0);
    QVERIFY(handler.setTransceiver(1));
    QCOMPARE(handler.loadedFrameCount(), 1);
}

void tst_ReplayCanHandler::otherFormats()
{
    // Each format's own rules are tst_recordingreader's; here: the handler plays what the reader
    // makes of a file whatever its name (candump by its name, Vector ASC by its content). Two
    // frames 100 ms apart, and one line to skip.
    ReplayCanHandler handler(nullptr);
    QVERIFY(load(handler, "base hex  timestamps absolute\n"
                          "   1.000000 1  18FEF100x Rx d 2 01 02\n"
                          "   1.050000 1  ErrorFrame\n"
                          "   1.100000 1  1A0       Rx d 1 03\n"));
    QCOMPARE(handler.loadedFrameCount(), 2);
    QCOMPARE(handler.skippedLineCount(), 1);
    QVERIFY(handler.start());
    QVector<CanMessage> got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < 2 && clock.elapsed() < 5000) {
        handler.receiveMessages();
        got += drainReceived(handler);
        QTest::qWait(5);
    }
    // The recording loops, so a third frame may already be the first one again.
    QVERIFY(got.size() >= 2);
    QCOMPARE(got.at(0).id, 0x18FEF100u);
    QVERIFY(got.at(0).extended);
    QCOMPARE(got.at(1).id, 0x1A0u);
    QVERIFY(!got.at(1).extended);
    QVERIFY(clock.elapsed() >= 90);
}

void tst_ReplayCanHandler::emptyRecordingRefused()
{
    ReplayCanHandler handler(nullptr);
    QVERIFY(!load(handler, "nothing to see\n"));
    QVERIFY(handler.lastError().contains(QLatin1String("holds no frames")));
    QVERIFY(!handler.start());
    QCOMPARE(handler.state(), AbstractCanHandler::Closed);
}

void tst_ReplayCanHandler::longRecordingStreams()
{
    // Two million frames, one a millisecond: half an hour of a bus, 90 MB of candump.
    constexpr int Frames = 2000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.log"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray text;
        for (int i = 0; i < Frames; ++i) {
            text += QStringLiteral("(%1.%2) can0 18FEF100#%3\n")
                        .arg(i / 1000)
                        .arg(i % 1000 * 1000, 6, 10, QLatin1Char('0'))
                        .arg(i, 8, 16, QLatin1Char('0'))
                        .toLatin1();
            if (text.size() > (1 << 20) || i == Frames - 1) {
                QCOMPARE(file.write(text), qint64(text.size()));
                text.clear();
            }
        }
    }
    const auto indexOf = [](const CanMessage &m) {
        return int(quint32(m.data[0]) << 24 | quint32(m.data[1]) << 16 | quint32(m.data[2]) << 8
                   | m.data[3]);
    };
    const auto take = [&](ReplayCanHandler &handler, int count) {
        QVector<CanMessage> got;
        for (int round = 0; round < 1000 && got.size() < count; ++round) {
            handler.receiveMessages();
            got += drainReceived(handler);
        }
        return got;
    };
    ReplayCanHandler handler(nullptr);
    QVERIFY(handler.setTransceiver(handler.addRecording(path)));
    QVERIFY(handler.start());
    // It plays from its start while the rest is read.
    QCOMPARE(indexOf(take(handler, 1).value(0)), 0);
    QTRY_COMPARE_WITH_TIMEOUT(handler.readingPercent(), -1, 120000);
    QCOMPARE(handler.loadedFrameCount(), qint64(Frames));
    QCOMPARE(handler.durationUs(), qint64(Frames - 1) * 1000);
    // Held whole, the frames would take some 100 MB; streamed, the index and one block.
    QVERIFY2(handler.memoryBytes() < (1 << 20), qPrintable(QString::number(handler.memoryBytes())));

    // To the end: its last two frames, then the first again.
    handler.setSpeed(ReplayCanHandler::AsFastAsPossible);
    handler.seek(handler.durationUs() - 1500);
    drainReceived(handler); // what played in real time meanwhile
    QVector<int> got;
    for (const CanMessage &m : take(handler, 4).mid(0, 4))
        got << indexOf(m);
    QCOMPARE(got, (QVector<int>{Frames - 2, Frames - 1, 0, 1}));
    QCOMPARE(handler.loopsCompleted(), quint64(1));
    // And back to the middle.
    handler.seek(qint64(Frames / 2) * 1000);
    drainReceived(handler);
    const QVector<CanMessage> middle = take(handler, 1);
    QCOMPARE(indexOf(middle.value(0)), Frames / 2);
    // Paused, nothing plays; played again, it goes on where it stood.
    handler.setPaused(true);
    const QVector<CanMessage> paused = take(handler, 1);
    const int stood = indexOf((paused.isEmpty() ? middle : paused).last());
    QVERIFY(take(handler, 1).isEmpty());
    handler.setPaused(false);
    QCOMPARE(indexOf(take(handler, 1).value(0)), stood + 1);
}

void tst_ReplayCanHandler::cancelledReadingKeepsTheRecording()
{
    const QString second = m_dir.write(QStringLiteral("second.log"), "(0.0) can0 18FEF100#01\n");
    ReplayCanHandler handler(nullptr);
    QVERIFY(load(handler, "(0.0) can0 18FEF100#01\n"));
    QCOMPARE(handler.readingPercent(), -1);
    QVERIFY(handler.start());

    handler.setReadingCancelled(true);
    QVERIFY(!handler.setTransceiver(handler.addRecording(second)));
    QVERIFY(handler.lastError().contains(QLatin1String("cancelled")));
    QCOMPARE(handler.readingPercent(), -1);
    // The recording it had plays again when started; the cancel ended with its reading.
    QVERIFY(handler.start());
    QVERIFY(handler.playingPath().endsWith(QLatin1String("recording.log")));
    QVERIFY(handler.setTransceiver(handler.addRecording(second)));
    QVERIFY(handler.start());
    QVERIFY(handler.playingPath().endsWith(QLatin1String("second.log")));
}

void tst_ReplayCanHandler::paceFollowsTimestamps()
{
    // A recording that starts at an absolute time: pacing is relative to its first frame.
    ReplayCanHandler handler(nullptr);
    QVERIFY(load(handler, "(1622547830.000000) can0 18FEF100#00\n"
                          "(1622547830.150000) can0 18FEF100#01\n"
                          "(1622547830.300000) can0 18FEF100#02\n"
                          "(1622547830.600000) can0 18FEF100#03\n"));
    QVERIFY(handler.start());
    QElapsedTimer clock;
    clock.start();
    QVector<CanMessage> got;
    handler.receiveMessages();
    got += drainReceived(handler);
    QCOMPARE(got.size(), 1);
    // Generous bounds: a frame is never early, and arrives within 250 ms of its time.
    while (got.size() < 4 && clock.elapsed() < 5000) {
        QTest::qWait(5);
        const int before = got.size();
        got += drainReceived(handler);
        const qint64 now = clock.elapsed();
        for (int i = before; i < got.size(); ++i) {
            const int index = got.at(i).data[0];
            const qint64 due = index == 3 ? 600 : index * 150;
            QVERIFY2(now + 50 >= due,
                     qPrintable(QStringLiteral("frame %1 early at %2 ms").arg(index).arg(now)));
            QVERIFY2(now <= due + 250,
                     qPrintable(QStringLiteral("frame %1 late at %2 ms").arg(index).arg(now)));
        }
    }
    QCOMPARE(got.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(int(got.at(i).data[0]), i);
}

void tst_ReplayCanHandler::loops()
{
    ReplayCanHandler handler(nullptr);
    QVERIFY(load(handler, "(0.000) can0 18FEF100#00\n"
                          "(0.010) can0 18FEF101#01\n"
                          "(0.020) can0 18FEF100#02\n"));
    // The next pass starts one period of the first identifier after its last frame.
    QCOMPARE(handler.loopPeriodUs(), qint64(40000));
    QVERIFY(handler.start());
    QVector<CanMessage> got;
    QTRY_VERIFY_WITH_TIMEOUT((got += drainReceived(handler), handler.loopsCompleted() >= 3), 5000);
    got += drainReceived(handler);
    QVERIFY(got.size() >= 9);
    for (int i = 0; i < got.size(); ++i)
        QCOMPARE(int(got.at(i).data[0]), i % 3);
}

void tst_ReplayCanHandler::sentFramesAreEchoedAsSent()
{
    ReplayCanHandler handler(nullptr);
    handler.setDemoUnits(&DemoUnits::addTo);
    QVERIFY(handler.setTransceiver(0));
    CanMessage request;
    request.id = 0x18EA00F9;
    const quint8 pgn[] = {0xE5, 0xFE, 0x00};
    request.setData(pgn, 3);
    handler.sendMessage(request); // not started: refused
    QVERIFY(handler.start());
    handler.sendMessage(request);
    const QList<AbstractCanHandler::MessagePack> packs = drainPacks(handler);
    QCOMPARE(packs.size(), 2);
    QVERIFY(packs.at(0).first().second.status.testFlag(DispatchResult::TransmitError));
    const auto &sent = packs.at(1).first();
    QCOMPARE(sent.first.id, request.id);
    QCOMPARE(sent.second.status, DispatchResult::Status(DispatchResult::Dispatched));
}

QTEST_MAIN(tst_ReplayCanHandler)
#include "tst_replaycanhandler.moc"
