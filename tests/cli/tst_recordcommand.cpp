#include "can/recordingreader.h"
#include "cli/recordcommand.h"
#include "support/adapterbytes.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"
#include "support/zentraxadapterpeer.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <csignal>

namespace {

// Runs the sub-command in this process and keeps what it printed.
struct Run
{
    int code = -1;
    QString out;
    QString err;

    explicit Run(const QStringList &arguments)
    {
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        code = runRecordCommand(arguments, outStream, errStream);
    }
};

QByteArray numberedData(quint32 n)
{
    QByteArray data(8, '\0');
    for (int i = 0; i < 4; ++i) {
        data[i] = char(n >> (8 * i));
        data[4 + i] = char(~n >> (8 * i));
    }
    return data;
}

int linesIn(const QString &path)
{
    return int(TestEnvironment::readFile(path).count('\n'));
}

} // namespace

class tst_RecordCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void badArguments_data();
    void badArguments();
    void replayForADuration();
    void ctrlCWritesEveryFrame();
    void unpluggedAdapterEndsCleanly();
    void fullDiskKeepsWhatWasWritten();
    void portThatCannotBeUsedLeavesNoFile();

private:
    TestFolder m_dir;
};

void tst_RecordCommand::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no adapter") << QStringList{} << "--adapter is missing";
    QTest::newRow("unknown adapter") << QStringList{"--adapter", "bogus"} << "Unknown adapter";
    QTest::newRow("bad bit rate") << QStringList{"--adapter", "replay", "--bitrate", "fast"}
                                  << "Bad bit rate";
    QTest::newRow("zero duration")
        << QStringList{"--adapter", "replay", "--duration", "0"} << "Bad duration";
    QTest::newRow("stray argument")
        << QStringList{"--adapter", "replay", "extra"} << "Unexpected argument";
    QTest::newRow("unknown option")
        << QStringList{"--adapter", "replay", "--speed", "3"} << "speed";
}

void tst_RecordCommand::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run(arguments);
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void tst_RecordCommand::replayForADuration()
{
    // 40 frames within 0.2 s: the replay loops them while the recording runs.
    QByteArray text;
    for (int i = 0; i < 40; ++i)
        text += QByteArray("(10.") + QByteArray::number(i * 5000).rightJustified(6, '0')
                + ") can0 18FF00" + QByteArray::number(i, 16).rightJustified(2, '0').toUpper() + "#"
                + QByteArray::number(i, 16).rightJustified(2, '0') + "\n";
    const QString recording = m_dir.write(QStringLiteral("in.log"), text);
    const QString output = m_dir.filePath(QStringLiteral("replayed.log"));
    const Run run({"--adapter", "replay", "--port", recording, "--duration", "1.2", "-o", output});
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains(QLatin1String("lost: adapter n/a, queue 0, writer 0")),
             qPrintable(run.out));
    RecordingReader reader;
    QVERIFY(reader.readFile(output));
    QCOMPARE(reader.skippedLines(), 0);
    QVERIFY(reader.frames().size() >= 40);
    for (int i = 0; i < reader.frames().size(); ++i) {
        const CanMessage &m = reader.frames().at(i).message;
        QCOMPARE(m.id, 0x18FF0000u | quint32(i % 40));
        QCOMPARE(int(m.data[0]), i % 40);
        if (i > 0)
            QVERIFY(reader.frames().at(i).timeUs >= reader.frames().at(i - 1).timeUs);
    }
    QVERIFY(run.out.contains(QStringLiteral("%1 written").arg(reader.frames().size())));
}

void tst_RecordCommand::ctrlCWritesEveryFrame()
{
    ZentraxAdapterPeer peer;
    QVERIFY(peer.open());
    const QString output = m_dir.filePath(QStringLiteral("pty.log"));
    constexpr int Frames = 3000;
    QTimer sender;
    quint32 next = 0;
    connect(&sender, &QTimer::timeout, [&] {
        if (peer.lastBitRateCode() < 0)
            return; // not started yet
        QByteArray bytes;
        for (int i = 0; i < 100 && next < Frames; ++i, ++next)
            bytes += zentraxFramePacket(0x18FF0000 | (next & 0xFF), true, numberedData(next));
        peer.deliver(bytes, 97);
        if (next == Frames && linesIn(output) == Frames)
            std::raise(SIGINT);
    });
    sender.start(5);
    const Run run(
        {"--adapter", "zentrax", "--port", peer.portPath(), "--bitrate", "1000000", "-o", output});
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains(QLatin1String("Interrupted.")), qPrintable(run.out));
    QCOMPARE(peer.lastBitRateCode() >= 0, true);
    RecordingReader reader;
    QVERIFY(reader.readFile(output));
    QCOMPARE(reader.frames().size(), Frames);
    for (int i = 0; i < Frames; ++i) {
        const CanMessage &m = reader.frames().at(i).message;
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(m.data), m.length),
                 numberedData(quint32(i)));
        QCOMPARE(m.id, 0x18FF0000u | quint32(i & 0xFF));
    }
}

void tst_RecordCommand::unpluggedAdapterEndsCleanly()
{
    ZentraxAdapterPeer peer;
    QVERIFY(peer.open());
    const QString output = m_dir.filePath(QStringLiteral("unplugged.log"));
    QTimer sender;
    bool delivered = false;
    connect(&sender, &QTimer::timeout, [&] {
        if (peer.lastBitRateCode() < 0 || !peer.isOpen())
            return;
        if (!delivered) {
            QByteArray bytes;
            for (quint32 n = 0; n < 10; ++n)
                bytes += zentraxFramePacket(0x0CF00400, true, numberedData(n));
            delivered = peer.deliver(bytes);
        } else if (linesIn(output) == 10) {
            peer.unplug();
        }
    });
    sender.start(20);
    const Run run(
        {"--adapter", "zentrax", "--port", peer.portPath(), "-o", output, "--duration", "30"});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("The adapter stopped")), qPrintable(run.err));
    QCOMPARE(linesIn(output), 10);
}

void tst_RecordCommand::fullDiskKeepsWhatWasWritten()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("needs /dev/full");
    const Run run({"--adapter", "replay", "--duration", "5", "-o", "/dev/full"});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("No space left")), qPrintable(run.err));
    QVERIFY2(run.out.contains(QLatin1String("0 written")), qPrintable(run.out));
}

void tst_RecordCommand::portThatCannotBeUsedLeavesNoFile()
{
    const QString output = m_dir.filePath(QStringLiteral("never.log"));
    const Run run({"--adapter", "replay", "--port", m_dir.path(), "-o", output});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("Cannot start the adapter")), qPrintable(run.err));
    QVERIFY(!QFile::exists(output));
}

QTEST_GUILESS_MAIN(tst_RecordCommand)
#include "tst_recordcommand.moc"
