#include "can/recordingreader.h"
#include "job/rawrecorder.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Frames with distinct identifiers, payloads and lengths, 1 ms apart from an absolute start.
QVector<TimedFrame> frames(int count, int first = 0)
{
    QVector<TimedFrame> list;
    list.reserve(count);
    for (int i = first; i < first + count; ++i) {
        TimedFrame f;
        f.timeUs = 1733580723000000LL + qint64(i) * 1000;
        const quint8 bytes[8] = {quint8(i), quint8(i >> 8), quint8(i >> 16), 1, 2, 3, 4, 5};
        f.message = CanMessage(0x18FECA00u | quint32(i % 0xFF), bytes, 1 + i % 8);
        f.message.extended = true;
        list << f;
    }
    return list;
}

// Every part read back in part order.
QVector<TimedFrame> readBack(const QString &dir)
{
    QVector<TimedFrame> all;
    for (int part : RawRecorder::partNumbers(dir)) {
        RecordingReader reader;
        if (!reader.readFile(QDir(dir).filePath(RawRecorder::partFileName(part))))
            return {};
        all += reader.frames();
    }
    return all;
}

bool sameFrames(const QVector<TimedFrame> &a, const QVector<TimedFrame> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        const CanMessage &x = a[i].message;
        const CanMessage &y = b[i].message;
        if (a[i].timeUs != b[i].timeUs || x.id != y.id || x.length != y.length
            || x.extended != y.extended || memcmp(x.data, y.data, x.length) != 0)
            return false;
    }
    return true;
}

} // namespace

class tst_RawRecorder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnvironment::init(); }
    void partsBoundedAndReadBack_data();
    void partsBoundedAndReadBack();
    void flushReachesTheFile();
    void reopenContinuesNumbering();
    void writeFailureStopsRecording();
};

void tst_RawRecorder::partsBoundedAndReadBack_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("partBytes");
    QTest::addColumn<int>("batch");
    QTest::addColumn<int>("minParts");
    QTest::addColumn<int>("maxParts");
    // A line is 36 to 50 bytes.
    QTest::newRow("200k frames in 1 MiB parts") << 200000 << qint64(1 << 20) << 500 << 8 << 10;
    QTest::newRow("one frame per batch, 4 KiB parts") << 3000 << qint64(4096) << 1 << 26 << 37;
    QTest::newRow("bound smaller than a line: one line a part") << 5 << qint64(10) << 5 << 5 << 5;
    QTest::newRow("everything fits one part")
        << 1000 << RawRecorder::DefaultPartBytes << 100 << 1 << 1;
}

void tst_RawRecorder::partsBoundedAndReadBack()
{
    QFETCH(int, count);
    QFETCH(qint64, partBytes);
    QFETCH(int, batch);
    QFETCH(int, minParts);
    QFETCH(int, maxParts);
    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("raw"));
    const QVector<TimedFrame> all = frames(count);
    {
        RawRecorder recorder(raw, partBytes);
        for (int at = 0; at < count; at += batch)
            QVERIFY(recorder.take(all.mid(at, batch)));
        recorder.close();
        QVERIFY2(!recorder.hasFailed(), qPrintable(recorder.errorString()));
        QCOMPARE(recorder.framesWritten(), qint64(count));
    }
    const QVector<int> parts = RawRecorder::partNumbers(raw);
    QVERIFY2(parts.size() >= minParts && parts.size() <= maxParts,
             qPrintable(QString::number(parts.size())));
    for (int i = 0; i < parts.size(); ++i) {
        QCOMPARE(parts[i], i + 1);
        const qint64 size
            = QFileInfo(QDir(raw).filePath(RawRecorder::partFileName(parts[i]))).size();
        QVERIFY(size > 0);
        // A part passes the bound only when it holds a single line longer than the bound.
        if (partBytes >= 64)
            QVERIFY2(size <= partBytes, qPrintable(QString::number(size)));
    }
    QVERIFY(sameFrames(readBack(raw), all));
}

void tst_RawRecorder::flushReachesTheFile()
{
    QTemporaryDir dir;
    RawRecorder recorder(dir.path());
    QVERIFY(recorder.take(frames(3)));
    QVERIFY(recorder.flush());
    // Read while the recorder still holds the part open, as a crash would leave it.
    QVERIFY(sameFrames(readBack(dir.path()), frames(3)));
    // Past the flush size data reaches the file without a flush.
    QVERIFY(recorder.take(frames(3000, 3)));
    QVERIFY(QFileInfo(QDir(dir.path()).filePath(RawRecorder::partFileName(1))).size()
            >= RawRecorder::FlushBytes);
}

void tst_RawRecorder::reopenContinuesNumbering()
{
    QTemporaryDir dir;
    {
        RawRecorder first(dir.path(), 2048);
        QVERIFY(first.take(frames(100)));
    }
    const QVector<int> before = RawRecorder::partNumbers(dir.path());
    QVERIFY(before.size() > 1);
    RawRecorder second(dir.path(), 2048);
    QCOMPARE(second.partNumber(), before.constLast() + 1);
    QVERIFY(second.take(frames(100, 100)));
    second.close();
    QVERIFY(RawRecorder::partNumbers(dir.path()).constFirst() == 1);
    QVERIFY(sameFrames(readBack(dir.path()), frames(200)));
}

void tst_RawRecorder::writeFailureStopsRecording()
{
    QTemporaryDir dir;
    // A file where the folder should be: nothing can be written.
    const QString blocked = dir.filePath(QStringLiteral("raw"));
    QVERIFY(TestEnvironment::writeFile(blocked, QByteArray()));
    RawRecorder recorder(blocked);
    QVERIFY(!recorder.take(frames(10)));
    QVERIFY(recorder.hasFailed());
    QVERIFY(!recorder.errorString().isEmpty());
    QVERIFY(!recorder.take(frames(10)));
    QVERIFY(!recorder.flush());
    recorder.close();
}

QTEST_GUILESS_MAIN(tst_RawRecorder)
#include "tst_rawrecorder.moc"
