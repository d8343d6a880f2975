#include "cli/paralleldecode.h"
#include "clirun.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// decode's quick way (coalesced frames, no live supervision) against the window's full path
// on real and generated recordings, and several recordings decoded at once.
class tst_DecodePaths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void quickPathDecodesAsTheWindowDoes_data();
    void quickPathDecodesAsTheWindowDoes();
    void severalRecordingsOneCsvEach_data();
    void severalRecordingsOneCsvEach();

private:
    QByteArray decode(const QStringList &arguments);

    QTemporaryDir m_dir;
    QString m_trace;
};

void tst_DecodePaths::initTestCase()
{
    TestEnvironment::init();
    QVERIFY(m_dir.isValid());
    // The comparison script's trace: a million frames of 30 units, BAM and RTS/CTS among them.
    m_trace = m_dir.filePath(QStringLiteral("trace.log"));
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(TARVIK_TRACE_SCRIPT), m_trace,
                  m_dir.filePath(QStringLiteral("trace.pcap")), QStringLiteral("1000000")});
    QVERIFY(python.waitForFinished(120000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
}

QByteArray tst_DecodePaths::decode(const QStringList &arguments)
{
    const QString csv = m_dir.filePath(QStringLiteral("out.csv"));
    const CliRun r = CliRun::run(QStringList{"decode", "-o", csv} + arguments);
    if (r.code != 0)
        qWarning("%s", qPrintable(r.err));
    return r.code == 0 ? TestEnvironment::readFile(csv) : QByteArray();
}

void tst_DecodePaths::quickPathDecodesAsTheWindowDoes_data()
{
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QStringList>("options");
    const QString truck = TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    const QString nmea = TestEnvironment::dataFile("css_94C49784_nmea2000_addrclaim_request.log");
    const QString demo = QStringLiteral(":/demo/demo-bus.log");
    QTest::newRow("demo") << demo << QStringList{};
    QTest::newRow("demo, 100 ms") << demo << QStringList{"--period", "100"};
    QTest::newRow("demo, example scheme") << demo << QStringList{"--scheme", ":/demo/demo.tvsx"};
    QTest::newRow("truck") << truck << QStringList{};
    QTest::newRow("truck, 10 ms") << truck << QStringList{"--period", "10"};
    QTest::newRow("truck, can1 alone") << truck << QStringList{"--bus", "can1"};
    QTest::newRow("NMEA 2000, address claims") << nmea << QStringList{};
    QTest::newRow("million frames") << QString() << QStringList{};
}

void tst_DecodePaths::quickPathDecodesAsTheWindowDoes()
{
    QFETCH(QString, recording);
    QFETCH(QStringList, options);
    if (recording.isEmpty())
        recording = m_trace;
    const QByteArray quick = decode(options + QStringList{recording});
    QVERIFY(quick.count('\n') > 2);
    const QByteArray full = decode(options + QStringList{"--every-frame", recording});
    // Byte for byte: a difference is reported by its first line.
    if (quick != full) {
        const QList<QByteArray> a = quick.split('\n');
        const QList<QByteArray> b = full.split('\n');
        for (int i = 0; i < qMin(a.size(), b.size()); ++i)
            QVERIFY2(a.at(i) == b.at(i), qPrintable(QStringLiteral("line %1:\n%2\n%3")
                                                        .arg(i + 1)
                                                        .arg(QString::fromLatin1(a.at(i)),
                                                             QString::fromLatin1(b.at(i)))));
        QCOMPARE(a.size(), b.size());
    }
}

void tst_DecodePaths::severalRecordingsOneCsvEach_data()
{
    QTest::addColumn<int>("jobs");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("recordings");
    // Per recording, the buses its events name ("-": a recording of one bus names none).
    QTest::addColumn<QStringList>("buses");
    const QString truck = TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    const QString nmea = TestEnvironment::dataFile("css_94C49784_nmea2000_addrclaim_request.log");
    const QString logger = TestEnvironment::dataFile("css_2F6913DB_newer_logger.log");
    const QStringList samples{"--period", "500"};
    const QStringList events{"--events"};
    QTest::newRow("one after another") << 1 << samples << QStringList{truck, nmea} << QStringList();
    QTest::newRow("two threads at once")
        << 2 << samples << QStringList{truck, nmea} << QStringList();
    QTest::newRow("more threads than recordings")
        << 8 << samples << QStringList{truck, nmea} << QStringList();
    QTest::newRow("one after another, events with their bus")
        << 1 << events << QStringList{truck, nmea} << QStringList{"can0 can1", "-"};
    QTest::newRow("two threads, events with their bus")
        << 2 << events << QStringList{truck, nmea} << QStringList{"can0 can1", "-"};
    // The newer logger's units (11-bit identifiers) have no parameters to list.
    QTest::newRow("two threads, events of can1")
        << 2 << QStringList{"--events", "--bus", "can1"} << QStringList{truck, logger}
        << QStringList{"can1", ""};
}

void tst_DecodePaths::severalRecordingsOneCsvEach()
{
    QFETCH(int, jobs);
    QFETCH(QStringList, options);
    QFETCH(QStringList, recordings);
    QFETCH(QStringList, buses);
    const QString directory = m_dir.filePath(QStringLiteral("many%1").arg(QTest::currentDataTag()));
    const CliRun r = CliRun::run(
        QStringList{"decode", "-j", QString::number(jobs), "-o", directory} + options
        + recordings);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.out.contains(QStringLiteral("2 of 2 recordings decoded")));
    for (int i = 0; i < recordings.size(); ++i) {
        QFile file(ParallelDecode::outputFor(directory, recordings.at(i)));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QByteArray csv = file.readAll();
        QCOMPARE(csv, decode(options + QStringList{recordings.at(i)}));
        if (buses.isEmpty())
            continue;
        const QList<QByteArray> rows = csv.split('\n');
        const bool named = buses.at(i) != QLatin1String("-");
        QCOMPARE(rows.first().startsWith("Time,Bus,Address,"), named);
        QSet<QString> found;
        for (int row = 1; named && row < rows.size() - 1; ++row)
            found.insert(QString::fromLatin1(rows.at(row).split(',').value(1)));
        QStringList list = found.values();
        list.sort();
        QCOMPARE(list.join(QLatin1Char(' ')), named ? buses.at(i) : QString());
    }
    // A recording that cannot be read fails its job only; the others are written.
    const QString missing = m_dir.filePath(QStringLiteral("missing.log"));
    const CliRun broken = CliRun::run(QStringList{"decode", "-j", QString::number(jobs), "-o",
                                                  directory, recordings.constFirst(), missing});
    QCOMPARE(broken.code, 1);
    QVERIFY2(broken.err.contains(QStringLiteral("missing.log")), qPrintable(broken.err));
    QVERIFY(broken.out.contains(QStringLiteral("1 of 2 recordings decoded")));
}

QTEST_GUILESS_MAIN(tst_DecodePaths)
#include "tst_decodepaths.moc"
