// The decode command: its event rows and sampled logs of real and made-up recordings.
#include "app/builtins.h"
#include "app/parameterlog.h"
#include "descriptions/candevicefactory.h"
#include "model/candevice.h"
#include "model/devicedispatcher.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include "clirun.h"
#include "csvrecords.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

QString truckLog()
{
    return TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"));
}

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class tst_DecodeCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void decodeEventsOfTruck();
    void decodeEventRows_data();
    void decodeEventRows();
    void csvFieldAppended_data();
    void csvFieldAppended();
    void decodeSampledLog_data();
    void decodeSampledLog();
    void decodeWithSchemeHasWindowColumns();
    void decodeWritesFileAtomically();
    void transferTimeOutOnRecordingClock_data();
    void transferTimeOutOnRecordingClock();

private:
    TestFolder m_dir;
};

void tst_DecodeCommand::initTestCase()
{
    TestEnvironment::init();
    registerBuiltIns();
    QVERIFY(m_dir.isValid());
}

void tst_DecodeCommand::decodeEventsOfTruck()
{
    const CliRun r = CliRun::run({"decode", "--events", truckLog()});
    QCOMPARE(r.code, 0);
    const QStringList rows = lines(r.out);
    // The truck's two buses are told apart: each row names its bus.
    QCOMPARE(rows.first(), QStringLiteral("Time,Bus,Address,PGN,Function,Parameter,Value,Unit"));
    QMultiMap<QString, QStringList> ec1;
    QSet<QString> ec1Times;
    QSet<QString> groups;
    QList<QStringList> speeds;
    QList<QStringList> coolant;
    double previous = -1;
    for (int i = 1; i < rows.size(); ++i) {
        const QStringList f = csvFields(rows.at(i));
        QCOMPARE(f.size(), 8);
        groups.insert(f.at(3));
        // The buses are decoded one after the other, their rows merged in time order.
        QVERIFY2(f.at(0).toDouble() >= previous, qPrintable(rows.at(i)));
        previous = f.at(0).toDouble();
        if (f.at(3) == QLatin1String("F004") && f.at(5) == QLatin1String("SPN190"))
            speeds.append(f);
        if (f.at(3) == QLatin1String("FEEE") && f.at(5) == QLatin1String("SPN110"))
            coolant.append(f);
        if (f.at(3) == QLatin1String("FEE3")) {
            QCOMPARE(f.at(2), QStringLiteral("00"));
            ec1.insert(f.at(5), f);
            ec1Times.insert(f.at(0));
        }
    }
    // Which units each bus holds is tst_BusOutputs::unitsPerBus's.
    // Every one of the 13 EC1 broadcasts decoded, the first one included.
    QCOMPARE(ec1Times.size(), 13);
    const QList<QStringList> idle = ec1.values(QStringLiteral("SI1"));
    QCOMPARE(idle.size(), 13);
    for (const QStringList &f : idle)
        QCOMPARE(f.at(6).toDouble(), 850.0); // 0x1A90 x 0.125 rpm
    // The 28-byte EC1 has no upper speed of the extended range: empty, not a number.
    for (const QStringList &f : ec1.values(QStringLiteral("SERH")))
        QCOMPARE(f.at(6), QString());
    // The first transfer (listed last) carries 0xCB - 125 = 78 % idle torque.
    QCOMPARE(ec1.values(QStringLiteral("T1")).last().at(6).toDouble(), 78.0);
    QCOMPARE(speeds.first().at(7), QStringLiteral("rpm"));
    // ET1 every 5 s: coolant 0x7E - 40 = 86 degrees, the degree sign intact.
    QCOMPARE(coolant.size(), 13);
    QCOMPARE(coolant.first().at(6), QStringLiteral("86"));
    QCOMPARE(coolant.first().at(7), QStringLiteral("\u00B0C"));
    // The library's single-frame groups of the recording are decoded too.
    for (const char *pgn : {"F004", "F003", "FEF1", "FEEE"})
        QVERIFY2(groups.contains(QLatin1String(pgn)), pgn);
    // A database of the same groups (EEC1, CCVS1, EC1) leaves them to the library.
    const CliRun withDbc = CliRun::run({"decode", "--events", "--dbc",
                                        TestEnvironment::dataFile("css_j1939_demo.dbc"), "--dbc",
                                        TestEnvironment::dataFile("css_tp_j1939.dbc"), truckLog()});
    QCOMPARE(withDbc.code, 0);
    QVERIFY(withDbc.out == r.out);
}

void tst_DecodeCommand::csvFieldAppended_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain number") << "1234.5" << QByteArray("1234.5");
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("comma quoted") << "a,b" << QByteArray("\"a,b\"");
    QTest::newRow("quote doubled") << "say \"hi\"" << QByteArray("\"say \"\"hi\"\"\"");
    QTest::newRow("line break quoted") << "a\nb" << QByteArray("\"a\nb\"");
    QTest::newRow("carriage return quoted") << "a\rb" << QByteArray("\"a\rb\"");
    QTest::newRow("latin-1 kept") << QString::fromUtf8("90 \xc2\xb0"
                                                       "C")
                                  << QByteArray("90 \xb0"
                                                "C");
    QTest::newRow("beyond latin-1 a question mark")
        << QString::fromUtf8("5 \xce\xa9") << QByteArray("5 ?");
    QTest::newRow("beyond latin-1 and a comma")
        << QString::fromUtf8("\xce\xa9,1") << QByteArray("\"?,1\"");
}

void tst_DecodeCommand::csvFieldAppended()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    QCOMPARE(ParameterLog::csvField(text), field);
    // Appended to a record: the same field after what the record held.
    QByteArray record("1.000,x,");
    ParameterLog::appendCsvField(&record, text);
    QCOMPARE(record, "1.000,x," + field);
}

void tst_DecodeCommand::decodeSampledLog_data()
{
    QTest::addColumn<int>("periodMs");
    QTest::newRow("1 s") << 1000;
    QTest::newRow("250 ms") << 250;
    QTest::newRow("60 s") << 60000;
}

void tst_DecodeCommand::decodeSampledLog()
{
    QFETCH(int, periodMs);
    const CliRun r = CliRun::run({"decode", "--period", QString::number(periodMs), truckLog()});
    QCOMPARE(r.code, 0);
    const QStringList rows = lines(r.out);
    const QStringList header = csvFields(rows.first());
    QCOMPARE(header.first(), QStringLiteral("Time"));
    // Columns named as the window's log names them: unique key of the item, parameter name,
    // after the bus (the truck's engine is on can0).
    const int idle = header.indexOf(QStringLiteral("can0:0unknown_device_fee3ec1Idle_speed"));
    QVERIFY2(idle > 0, qPrintable(rows.first()));
    // 1815 frames over 186.121 s of recording.
    QCOMPARE(rows.size() - 1, int(186121 / periodMs));
    double previous = 0;
    for (int i = 1; i < rows.size(); ++i) {
        const QStringList f = csvFields(rows.at(i));
        QCOMPARE(f.size(), header.size());
        const double t = f.first().toDouble();
        QCOMPARE(qRound(t * 1000), qRound(previous * 1000) + periodMs);
        previous = t;
        // The first EC1 completes 1.852 s into the recording: no value before, 850 rpm after.
        QCOMPARE(f.at(idle), t < 1.852 ? QString() : QStringLiteral("850"));
    }
}

void tst_DecodeCommand::decodeWithSchemeHasWindowColumns()
{
    const QString scheme = QStringLiteral(":/demo/demo.tvsx");
    const CliRun r = CliRun::run({"decode", "--scheme", scheme, ":/demo/demo-bus.log"});
    QCOMPARE(r.code, 0);
    const QStringList rows = lines(r.out);
    // 31950 frames over 89.995 s: 89 records.
    QCOMPARE(rows.size(), 90);

    // The window's log of the same scheme with every item marked has the same header.
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    SchemeTreeModel model;
    DeviceDispatcher dispatcher;
    dispatcher.setCatalogue(catalogue.get());
    SchemeController controller(&model, nullptr);
    controller.setDispatcher(&dispatcher);
    QVERIFY2(controller.load(TestEnvironment::readFile(scheme), scheme),
             qPrintable(controller.lastError()));
    std::function<void(AbstractDisplayableItem *)> mark = [&mark](AbstractDisplayableItem *item) {
        item->setFiltered(true);
        for (AbstractDisplayableItem *child : item->children())
            mark(child);
    };
    for (CanDevice *device : dispatcher.devices())
        mark(device);
    const QList<ParameterLog::Column> columns = ParameterLog::collectColumns(&model);
    QVERIFY(columns.size() > 100);
    QCOMPARE(rows.first().toLatin1() + '\n', ParameterLog::headerLine(columns));
    const int speed
        = csvFields(rows.first()).indexOf(QStringLiteral("0engine1_f004eec1Engine_Speed"));
    QVERIFY(speed > 0);
    for (int i = 1; i < rows.size(); ++i)
        QVERIFY2(csvFields(rows.at(i)).at(speed).toDouble() > 500, qPrintable(rows.at(i)));
    dispatcher.clearScheme();
}

void tst_DecodeCommand::decodeWritesFileAtomically()
{
    const QString path = m_dir.write(QStringLiteral("kept.csv"), "old content\n");
    CliRun r = CliRun::run({"decode", "-o", path, m_dir.filePath("missing.log")});
    QCOMPARE(r.code, 1);
    QCOMPARE(TestEnvironment::readFile(path), QByteArray("old content\n"));
    r = CliRun::run({"decode", "--events", "-o", path, truckLog()});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.isEmpty());
    const QByteArray written = TestEnvironment::readFile(path);
    QVERIFY(written.startsWith("Time,Bus,Address,PGN"));
    QVERIFY(written.size() > 10000);
}

void tst_DecodeCommand::transferTimeOutOnRecordingClock_data()
{
    QTest::addColumn<QByteArray>("destination"); // FF: by BAM, F9: by RTS/CTS to the tool
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("packets 50 ms apart") << QByteArray("FF") << 50 << true;
    QTest::newRow("packets 740 ms apart") << QByteArray("FF") << 740 << true;
    QTest::newRow("packets 760 ms apart, T1 passed") << QByteArray("FF") << 760 << false;
    QTest::newRow("packets 5 s apart") << QByteArray("FF") << 5000 << false;
    QTest::newRow("connection, packets 1.2 s apart") << QByteArray("F9") << 1200 << true;
    QTest::newRow("connection, packets 1.3 s apart") << QByteArray("F9") << 1300 << false;
}

void tst_DecodeCommand::transferTimeOutOnRecordingClock()
{
    QFETCH(QByteArray, destination);
    QFETCH(int, gapMs);
    QFETCH(bool, decoded);
    // EC1 from the engine, its packets as far apart in the recording as the row says; the
    // decoding itself takes microseconds.
    const QByteArray cm = "1CEC" + destination + "00#" + (destination == "FF" ? "20" : "10");
    const QByteArray dt = "1CEB" + destination + "00#";
    const QList<QByteArray> frames{cm + "1C0004FFE3FE00", dt + "01901ACBA041D4A0",
                                   dt + "020FA74A20DDF430", dt + "03E7A041FFFF7602",
                                   dt + "04F0550001FA9CFA"};
    QByteArray log = "(100.000000) can0 18FEEE00#7E57202EFFFFFFFF\n";
    qint64 us = 100000000;
    for (const QByteArray &frame : frames) {
        us += qint64(gapMs) * 1000;
        log += "(" + QByteArray::number(us / 1000000) + "."
               + QByteArray::number(us % 1000000).rightJustified(6, '0') + ") can0 " + frame + "\n";
    }
    const QString path
        = m_dir.write(QStringLiteral("%1-%2.log").arg(QString(destination)).arg(gapMs), log);
    const CliRun r = CliRun::run({"decode", "--events", path});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.contains(QLatin1String(",00,FEE3,")), decoded);
    QVERIFY(r.out.contains(QLatin1String(",00,FEEE,")));
    const CliRun stats = CliRun::run({"stats", path});
    // The bus statistics judge a connection by the tool's answers, which this one lacks.
    if (destination == "FF")
        QCOMPARE(stats.out.contains(QLatin1String("time-out between packets (T1)")), !decoded);
}

void tst_DecodeCommand::decodeEventRows_data()
{
    QTest::addColumn<QByteArray>("stamp");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("coolant");  // integer parameter
    QTest::addColumn<QString>("oil");      // fractional parameter
    QTest::addColumn<QString>("turboOil"); // not available
    const auto row = [](const char *name, const char *stamp, const char *payload, const char *time,
                        const char *coolant, const char *oil) {
        QTest::newRow(name) << QByteArray(stamp) << QByteArray(payload) << QString(time)
                            << QString(coolant) << QString(oil) << QString();
    };
    row("microseconds after the start", "100.500007", "7F57FF2EFFFFFFFF", "0.000007", "87",
        "102.96875");
    row("stepped back before the start", "100.250001", "28571020FFFFFFFF", "-0.249999", "0",
        "-16.5");
    row("hours later", "7300.000000", "0057202EFFFFFFFF", "7199.500000", "-40", "96");
}

void tst_DecodeCommand::decodeEventRows()
{
    QFETCH(QByteArray, stamp);
    QFETCH(QByteArray, payload);
    QFETCH(QString, time);
    QFETCH(QString, coolant);
    QFETCH(QString, oil);
    QFETCH(QString, turboOil);
    const QString path = m_dir.write(QStringLiteral("rows.log"),
                                     "(100.500000) can0 18FEEE00#7E57202EFFFFFFFF\n(" + stamp
                                         + ") can0 18FEEE00#" + payload + "\n");
    const CliRun r = CliRun::run({"decode", "--events", path});
    QCOMPARE(r.code, 0);
    QMap<QString, QString> values;
    for (const QString &row : lines(r.out)) {
        const QStringList f = csvFields(row);
        if (f.size() == 7 && f.at(0) == time)
            values.insert(f.at(4), f.at(5));
    }
    QCOMPARE(values.value(QStringLiteral("SPN110"), QStringLiteral("?")), coolant);
    QCOMPARE(values.value(QStringLiteral("SPN175"), QStringLiteral("?")), oil);
    QCOMPARE(values.value(QStringLiteral("SPN176"), QStringLiteral("?")), turboOil);
}

QTEST_GUILESS_MAIN(tst_DecodeCommand)
#include "tst_decodecommand.moc"
