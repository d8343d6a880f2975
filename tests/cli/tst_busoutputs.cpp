// The console commands on recordings of several buses: every bus is an address space of its own,
// so a unit is its bus and its address, and each result says which bus it belongs to. A
// recording of one bus gives the output it always gave.
#include "app/builtins.h"
#include "support/candumptext.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include "clirun.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestEnvironment::readFile;

// DM1 of the truck's engine (a code that comes and goes) and of its chassis controller.
const QByteArray Dm1Lines
    = candumpText({"1622547831 18FECA00#00FF00000000FFFF", "1622547850 18FECA00#04FF6E000001FFFF",
                   "1622547852 18FECA00#00FF00000000FFFF", "1622547853 18FECA47#00FF00000000FFFF"});

// The units of each bus as a command reports them: "can0: 00 47; can1: 51 52 A3", "-" standing
// for the bus of output that names none.
QString unitsByBus(const QString &command, const QString &out, const QString &csvPath)
{
    QMap<QString, QSet<QString>> units;
    QString bus = QStringLiteral("-");
    if (command == QLatin1String("decode") && !csvPath.isEmpty()) {
        const QList<QByteArray> rows = readFile(csvPath).split('\n');
        const QList<QByteArray> header = rows.first().split(',');
        if (header.value(1) == "Bus" || header.value(1) == "Address") {
            const bool named = header.value(1) == "Bus";
            for (int i = 1; i < rows.size() - 1; ++i) {
                const QList<QByteArray> f = rows.at(i).split(',');
                units[named ? QString(f.at(1)) : bus].insert(QString(f.at(named ? 2 : 1)));
            }
        } else {
            // Sampled: columns "can1:47unknown_device_...", or without the bus.
            const QRegularExpression column(QStringLiteral("^(?:(\\w+):)?([0-9a-f]+)unknown_"));
            for (const QByteArray &name : header) {
                const QRegularExpressionMatch m = column.match(QString(name));
                if (m.hasMatch())
                    units[m.captured(1).isEmpty() ? bus : m.captured(1)].insert(
                        m.captured(2).rightJustified(2, QLatin1Char('0')).toUpper());
            }
        }
    } else {
        const QRegularExpression heading(QStringLiteral("^Bus (\\w+)(:|$)"));
        const QRegularExpression unit(command == QLatin1String("stats")
                                          ? QStringLiteral("^  ([0-9A-F]{2}) +[0-9A-F]{4,5} +\\d+")
                                      : command == QLatin1String("faults")
                                          ? QStringLiteral("^Source ([0-9A-F]{2}):")
                                          : QStringLiteral("^Unit ([0-9A-F]{2})"));
        for (const QString &line : out.split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch h = heading.match(line);
            if (h.hasMatch())
                bus = h.captured(1);
            const QRegularExpressionMatch u = unit.match(line);
            if (u.hasMatch())
                units[bus].insert(u.captured(1));
        }
    }
    QStringList text;
    for (auto it = units.cbegin(); it != units.cend(); ++it) {
        QStringList list = it.value().values();
        list.sort();
        text << it.key() + QStringLiteral(": ") + list.join(QLatin1Char(' '));
    }
    return text.join(QStringLiteral("; "));
}

// Output of one bus chosen from several, made comparable with that of a recording of only that
// bus: without the bus's heading, its column and its prefixes, from the first line both share.
QByteArray withoutBus(const QByteArray &output, const QByteArray &bus)
{
    QList<QByteArray> kept;
    for (QByteArray line : output.split('\n')) {
        if (line == "Bus " + bus || line.startsWith("Bus " + bus + ": "))
            continue;
        // The events' second column, then the sampled columns' prefix.
        const int first = line.indexOf(',');
        const QByteArray column = ',' + (line.startsWith("Time,") ? QByteArray("Bus") : bus) + ',';
        if (first >= 0 && line.mid(first, column.size()) == column)
            line.remove(first, column.size() - 1);
        kept << line.replace(bus + ':', "");
    }
    return kept.join('\n');
}

} // namespace

class tst_BusOutputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneBusAsBefore_data();
    void oneBusAsBefore();
    void unitsPerBus_data();
    void unitsPerBus();
    void busChosenAsRecordingOfIt_data();
    void busChosenAsRecordingOfIt();

private:
    QString path(const QString &key) const;

    TestFolder m_dir;
};

void tst_BusOutputs::initTestCase()
{
    TestEnvironment::init();
    registerBuiltIns();
    QVERIFY(m_dir.isValid());
    // The truck's can0 (units 0x00 and 0x47) with some DM1, as a recording of that bus alone and
    // twice over: the same frames on can0 and can1 are the same units at the same addresses on
    // two buses.
    QByteArray can0;
    for (const QByteArray &line :
         readFile(TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log")))
             .split('\n')) {
        if (line.contains(" can0 "))
            can0 += line + '\n';
    }
    can0 = sortedByTime(can0 + Dm1Lines);
    QByteArray twin;
    for (const QByteArray &line : can0.split('\n')) {
        if (!line.isEmpty())
            twin += line + '\n' + QByteArray(line).replace(" can0 ", " can1 ") + '\n';
    }
    for (const auto &file : {qMakePair(QStringLiteral("one.log"), can0),
                             qMakePair(QStringLiteral("twin.log"), twin)}) {
        QVERIFY(!m_dir.write(file.first, file.second).isEmpty());
    }
}

QString tst_BusOutputs::path(const QString &key) const
{
    if (key == QLatin1String("truck"))
        return TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"));
    if (key == QLatin1String("demo"))
        return QStringLiteral(":/demo/demo-bus.log");
    return m_dir.filePath(key + QStringLiteral(".log"));
}

// The demo recording (one bus, can0) gives byte for byte what the program gave before it told
// buses apart: the small outputs are kept as files, the large ones as their SHA-256 and line
// count (regenerate with the command in the row's name after a deliberate change).
void tst_BusOutputs::oneBusAsBefore_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("outputFile"); // empty: standard output
    QTest::addColumn<QString>("expectedFile");
    QTest::addColumn<QByteArray>("sha256");
    QTest::addColumn<int>("lines");
    const QString demo = QStringLiteral(":/demo/demo-bus.log");
    const QString scheme = QStringLiteral(":/demo/demo.tvsx");
    const QString csv = m_dir.filePath(QStringLiteral("out.csv"));
    const QString json = m_dir.filePath(QStringLiteral("check.json"));
    const QString junit = m_dir.filePath(QStringLiteral("check.xml"));
    for (const char *command : {"stats", "faults", "inventory"}) {
        QTest::newRow(command) << QStringList{command, demo} << QString()
                               << TestEnvironment::dataFile(
                                      QStringLiteral("demo-bus-outputs/%1.txt").arg(command))
                               << QByteArray() << 0;
    }
    QTest::newRow("check") << QStringList{"check", "--scheme", scheme, demo} << QString()
                           << TestEnvironment::dataFile("demo-bus-outputs/check.txt")
                           << QByteArray() << 0;
    const auto hashed = [](const char *name, const QStringList &arguments, const QString &output,
                           const char *sha256, int lines) {
        QTest::newRow(name) << arguments << output << QString() << QByteArray(sha256) << lines;
    };
    const char *sampled = "0ce57e5360ccb2de81c372223494760f0b94a183754177b6f773def9356e0e15";
    hashed("decode", {"decode", demo, "-o", csv}, csv, sampled, 90);
    hashed("decode --every-frame", {"decode", "--every-frame", demo, "-o", csv}, csv, sampled, 90);
    hashed("decode --events", {"decode", "--events", demo, "-o", csv}, csv,
           "364dd537c89bef6a523c1b285665be87653353b26cc1f5118b7f6910c444db5d", 74971);
    hashed("decode --period 100", {"decode", "--period", "100", demo, "-o", csv}, csv,
           "9350020eef32f736b51bb39269c37fc49e7d06b0d0793c93f69cf055b25b8563", 900);
    hashed("decode --scheme", {"decode", "--scheme", scheme, demo, "-o", csv}, csv,
           "e44ebc13bc71f8771cd5653e294dced7993d09a00709fcdf330ef50e44ceefa1", 90);
    hashed("check --json", {"check", "--scheme", scheme, demo, "--json", json}, json,
           "2456cbef918381e8d7b776520ed43b63cfbee2e5d712455ad9778fb7bb463015", 71);
    hashed("check --junit", {"check", "--scheme", scheme, demo, "--junit", junit}, junit,
           "c471a645520c757c7d136559d880b688c6aa9a9b5a9a31d5099f3de777beb1ab", 68);
}

void tst_BusOutputs::oneBusAsBefore()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, outputFile);
    QFETCH(QString, expectedFile);
    QFETCH(QByteArray, sha256);
    QFETCH(int, lines);
    QFile::remove(outputFile);
    const CliRun r = CliRun::run(arguments);
    QVERIFY2(r.code == 0 || arguments.first() == QLatin1String("check"), qPrintable(r.err));
    if (!expectedFile.isEmpty()) {
        const QByteArray expected = readFile(expectedFile);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(r.out, QString::fromUtf8(expected));
        return;
    }
    const QByteArray written = readFile(outputFile);
    QCOMPARE(int(written.count('\n')), lines);
    QCOMPARE(QCryptographicHash::hash(written, QCryptographicHash::Sha256).toHex(), sha256);
}

void tst_BusOutputs::unitsPerBus_data()
{
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("units");
    // The truck: 0x00 and 0x47 on can0, 0x51, 0x52 and 0xA3 on can1 (counted in its candump
    // text: 1,032 + 371 frames on can0, 187 + 187 + 38 on can1). The twin recording has the
    // truck's can0 units on both buses: four units, two at each address.
    const QString truck = QStringLiteral("can0: 00 47; can1: 51 52 A3");
    const QString twin = QStringLiteral("can0: 00 47; can1: 00 47");
    for (const char *command : {"stats", "inventory", "decode --events", "decode"}) {
        const QStringList options = QString::fromLatin1(command).split(QLatin1Char(' '));
        const QString name = QString::fromLatin1(command);
        QTest::newRow(qPrintable(name + QStringLiteral(": truck"))) << "truck" << options << truck;
        QTest::newRow(qPrintable(name + QStringLiteral(": truck, --bus 1")))
            << "truck" << options + QStringList{"--bus", "1"} << "can1: 51 52 A3";
        QTest::newRow(qPrintable(name + QStringLiteral(": the same units on two buses")))
            << "twin" << options << twin;
        QTest::newRow(qPrintable(name + QStringLiteral(": two buses, --bus can0")))
            << "twin" << options + QStringList{"--bus", "can0"} << "can0: 00 47";
        QTest::newRow(qPrintable(name + QStringLiteral(": one bus names none")))
            << "one" << options << "-: 00 47";
    }
    QTest::newRow("faults: the same units on two buses") << "twin" << QStringList{"faults"} << twin;
    QTest::newRow("faults: two buses, --bus 1")
        << "twin" << QStringList{"faults", "--bus", "1"} << "can1: 00 47";
    QTest::newRow("faults: one bus names none") << "one" << QStringList{"faults"} << "-: 00 47";
}

void tst_BusOutputs::unitsPerBus()
{
    QFETCH(QString, recording);
    QFETCH(QStringList, options);
    QFETCH(QString, units);
    const QString csv = m_dir.filePath(QStringLiteral("units.csv"));
    const bool decode = options.first() == QLatin1String("decode");
    const CliRun r = CliRun::run(options + QStringList{path(recording)}
                                 + (decode ? QStringList{"-o", csv} : QStringList{}));
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(unitsByBus(options.first(), r.out, decode ? csv : QString()), units);
}

// A bus chosen from several gives what a recording of that bus alone gives, but for naming it:
// the twin's can1 is the one-bus recording's can0.
void tst_BusOutputs::busChosenAsRecordingOfIt_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::newRow("stats") << QStringList{"stats"};
    QTest::newRow("inventory") << QStringList{"inventory"};
    QTest::newRow("faults") << QStringList{"faults"};
    QTest::newRow("decode --events") << QStringList{"decode", "--events"};
    QTest::newRow("decode") << QStringList{"decode"};
}

void tst_BusOutputs::busChosenAsRecordingOfIt()
{
    QFETCH(QStringList, command);
    const QString csv = m_dir.filePath(QStringLiteral("chosen.csv"));
    const bool decode = command.first() == QLatin1String("decode");
    auto output = [&](const QStringList &arguments) {
        const CliRun r
            = CliRun::run(command + arguments + (decode ? QStringList{"-o", csv} : QStringList{}));
        return r.code == 0 ? (decode ? readFile(csv) : r.out.toUtf8()) : QByteArray();
    };
    QByteArray chosen = withoutBus(output({"--bus", "1", path("twin")}), "can1");
    QByteArray alone = output({path("one")});
    QVERIFY(!alone.isEmpty());
    // The recording's own line (stats) counts both buses' frames.
    if (command.first() == QLatin1String("stats")) {
        chosen = chosen.mid(chosen.indexOf("Frames per source"));
        alone = alone.mid(alone.indexOf("Frames per source"));
    }
    QCOMPARE(chosen, alone);
}

QTEST_GUILESS_MAIN(tst_BusOutputs)
#include "tst_busoutputs.moc"
