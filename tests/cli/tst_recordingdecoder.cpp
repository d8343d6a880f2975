#include "app/builtins.h"
#include "support/testenvironment.h"

#include "clirun.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// EC1 of the engine (0x00), 28 bytes in 4 packets, as the recordings of the other tests carry it.
const char *const Packet[]
    = {"901ACBA041D4A0", "0FA74A20DDF430", "E7A041FFFF7602", "F0550001FA9CFA"};

} // namespace

// The console decoder on RTS/CTS connections a unit sends to the tool: the unit's own function
// decodes the message, judged on the recording's clock.
class tst_RecordingDecoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void connectionDecoded_data();
    void connectionDecoded();

private:
    QTemporaryDir m_dir;
};

void tst_RecordingDecoder::initTestCase()
{
    TestEnvironment::init();
    registerBuiltIns();
    QVERIFY(m_dir.isValid());
}

void tst_RecordingDecoder::connectionDecoded_data()
{
    // The engine's side ("rts", "dt N", "bad N": packet N with other bytes, "abort") and the
    // tool's ("cts N NEXT", "ack"), "+MS": time passes; frames 10 ms apart otherwise.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("decoded"); // EC1 messages decoded
    QTest::newRow("window 2 with a hold, as the program's receiver asks")
        << QStringList{"rts",     "cts 2 1", "dt 1", "dt 2", "cts 0 255",
                       "cts 2 3", "dt 3",    "dt 4", "ack"}
        << 1;
    QTest::newRow("all at once") << QStringList{"rts", "cts 4 1", "dt 1", "dt 2", "dt 3", "dt 4"}
                                 << 1;
    QTest::newRow("a window sent again after a CTS that asks again")
        << QStringList{"rts",  "cts 2 1", "bad 1",   "dt 2", "cts 2 1",
                       "dt 1", "dt 2",    "cts 2 3", "dt 3", "dt 4"}
        << 1;
    QTest::newRow("aborted by the engine")
        << QStringList{"rts", "cts 2 1", "dt 1", "dt 2", "abort", "dt 3", "dt 4"} << 0;
    QTest::newRow("1.2 s waiting for the tool")
        << QStringList{"rts", "+1200", "cts 4 1", "dt 1", "dt 2", "+1200", "dt 3", "dt 4"} << 1;
    QTest::newRow("1.3 s of silence from the engine")
        << QStringList{"rts", "cts 4 1", "dt 1", "dt 2", "+1300", "dt 3", "dt 4"} << 0;
    QTest::newRow("two connections, two messages")
        << QStringList{"rts", "cts 4 1", "dt 1", "dt 2", "dt 3", "dt 4", "+3000",
                       "rts", "cts 4 1", "dt 1", "dt 2", "dt 3", "dt 4"}
        << 2;
}

void tst_RecordingDecoder::connectionDecoded()
{
    QFETCH(QStringList, steps);
    QFETCH(int, decoded);
    // The engine's own single frame first: the unit exists before its connection.
    QByteArray log = "(100.000000) can0 18FEEE00#7E57202EFFFFFFFF\n";
    qint64 us = 100000000;
    for (const QString &step : steps) {
        const QStringList f = step.split(QLatin1Char(' '));
        QByteArray frame;
        if (f[0].startsWith(QLatin1Char('+'))) {
            us += f[0].mid(1).toLongLong() * 1000;
            continue;
        }
        if (f[0] == QLatin1String("rts"))
            frame = "1CECF900#101C0004FFE3FE00";
        else if (f[0] == QLatin1String("dt"))
            frame = "1CEBF900#0" + f[1].toLatin1() + Packet[f[1].toInt() - 1];
        else if (f[0] == QLatin1String("bad"))
            frame = "1CEBF900#0" + f[1].toLatin1() + "55555555555555";
        else if (f[0] == QLatin1String("abort"))
            frame = "1CECF900#FF03FFFFFFE3FE00";
        else if (f[0] == QLatin1String("cts"))
            frame = "18EC00F9#11"
                    + QByteArray::number(f[1].toInt(), 16).rightJustified(2, '0').toUpper()
                    + QByteArray::number(f[2].toInt(), 16).rightJustified(2, '0').toUpper()
                    + "FFFFE3FE00";
        else if (f[0] == QLatin1String("ack"))
            frame = "18EC00F9#131C0004FFE3FE00";
        us += 10000;
        log += "(" + QByteArray::number(us / 1000000) + "."
               + QByteArray::number(us % 1000000).rightJustified(6, '0') + ") can0 " + frame + "\n";
    }
    const QString path = m_dir.filePath(QStringLiteral("%1.log").arg(QTest::currentDataTag()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(log);
    file.close();
    const CliRun r = CliRun::run({"decode", "--events", path});
    QCOMPARE(r.code, 0);
    // One row per parameter of each decoded message, all at the time of its last packet; the
    // idle speed (bytes 1-2: 0x1A90 x 0.125 rpm) reads 850 each time, so the bytes sent again
    // replaced the others.
    QSet<QString> times;
    int speeds = 0;
    for (const QString &line : r.out.split(QLatin1Char('\n'))) {
        if (!line.contains(QLatin1String(",00,FEE3,")))
            continue;
        times.insert(line.section(QLatin1Char(','), 0, 0));
        speeds += line.contains(QLatin1String(",SI1,850,"));
    }
    QCOMPARE(times.size(), decoded);
    QCOMPARE(speeds, decoded);
}

QTEST_MAIN(tst_RecordingDecoder)
#include "tst_recordingdecoder.moc"
