#include "app/builtins.h"
#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "cli/clicommand.h"
#include "job/servicejob.h"
#include "support/candumptext.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include "clirun.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString TruckLog = QStringLiteral("css_FCBF0606_j1939_truck_bam.log");

QString truckLog()
{
    return TestEnvironment::dataFile(TruckLog);
}

// The "stats" rows, source and PGN to frame count.
QMap<QString, int> statsRows(const QString &out)
{
    const QRegularExpression row(QStringLiteral("^  ([0-9A-F]{2}) +([0-9A-F]{4,5}) +(\\d+) "),
                                 QRegularExpression::MultilineOption);
    QMap<QString, int> counted;
    for (auto it = row.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        counted[m.captured(1) + QLatin1Char(' ') + m.captured(2)] = m.captured(3).toInt();
    }
    return counted;
}

} // namespace

class tst_Commands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void arguments_data();
    void arguments();
    void statsOfTruck();
    void statsAgreesWithTshark();
    void reports_data();
    void reports();

private:
    TestFolder m_dir;
};

void tst_Commands::initTestCase()
{
    TestEnvironment::init();
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    registerBuiltIns();
    QVERIFY(m_dir.isValid());
}

void tst_Commands::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString junk = m_dir.write(QStringLiteral("junk.log"), "no frames here\nnor here\n");
    const QString badScheme = m_dir.write(QStringLiteral("bad.tvsx"), "<devices><device");
    const QString missing = m_dir.filePath(QStringLiteral("missing.log"));
    const QString mixed = m_dir.write(QStringLiteral("mixed.log"),
                                      "(1622547830.100000) can0 18FEF100#0102030405060708\n"
                                      "junk\n"
                                      "(1622547830.200000) can0 18FEF100#0102030405060708\n");
    const QString truck = truckLog();
    QString jobError;
    const std::unique_ptr<ServiceJob> job = ServiceJob::create(m_dir.filePath(QStringLiteral("jobs")), {}, &jobError);
    QVERIFY2(job, qPrintable(jobError));
    const QString jobDir = job->dir();
    const QString brokenJob = m_dir.filePath(QStringLiteral("brokenjob"));
    QVERIFY(QDir().mkpath(brokenJob));
    m_dir.write(QStringLiteral("brokenjob/job.json"), "{\"format\":");
    // A run that ends with the exit code and prints only the error; one that succeeds.
    auto fails = [](const char *name, const QStringList &arguments, int code, const QString &err) {
        QTest::newRow(name) << arguments << code << QString() << err;
    };
    auto runs = [](const char *name, const QStringList &arguments, const QString &out,
                   const QString &err) { QTest::newRow(name) << arguments << 0 << out << err; };
    fails("no command", {}, 2, "Usage: tarvik-cli");
    runs("help", {"--help"}, "export-dbc", "");
    runs("version", {"--version"}, "tarvik-cli " TARVIK_VERSION, "");
    fails("unknown command", {"frobnicate"}, 2, "Unknown command \"frobnicate\"");
    runs("decode help", {"decode", "--help"}, "--events", "");
    runs("stats help", {"stats", "-h"}, "--bitrate", "");
    runs("inventory help", {"inventory", "--help"}, "vehicle identification number (VIN)", "");
    runs("inventory listed", {"--help"}, "inventory", "");
    fails("inventory without recording", {"inventory"}, 2, "expected one recording");
    fails("inventory missing", {"inventory", missing}, 1, "Cannot read " + missing);
    fails("inventory no frames", {"inventory", junk}, 1, "holds no CAN frames");
    fails("decode without recording", {"decode"}, 2, "expected one recording");
    // The engineer's database describes a group the library lacks: the boom's pressure at
    // 0x03E8 x 0.1 and its signed angle at -50 x 0.01, from 0x80 though written from 0xFE.
    const QString ownDbc
        = m_dir.write(QStringLiteral("own.dbc"),
                      "VERSION \"\"\nNS_ :\nBS_:\nBU_:\n"
                      "BO_ 2365542142 BoomPressure: 8 Vector__XXX\n"
                      " SG_ Pressure : 0|16@1+ (0.1,0) [0|6553.5] \"bar\" Vector__XXX\n"
                      " SG_ Angle : 16|16@1- (0.01,0) [-327.68|327.67] \"deg\" Vector__XXX\n"
                      "BA_DEF_  \"ProtocolType\" STRING ;\nBA_ \"ProtocolType\" \"J1939\";\n");
    const QString boom
        = m_dir.write(QStringLiteral("boom.log"), "(1.000000) can0 0CFF4E80#E803CEFFFFFFFFFF\n");
    runs("decode with a DBC", {"decode", "--events", "--dbc", ownDbc, boom},
         "0.000000,80,FF4E,BoomPressure,Pressure,100,bar\n"
         "0.000000,80,FF4E,BoomPressure,Angle,-0.5,deg\n",
         "");
    runs("decode without it", {"decode", "--events", boom}, "Time,Address,PGN", "");
    fails("decode with no DBC", {"decode", "--dbc", truck, truck}, 1, "not a DBC database");
    fails("decode with a missing DBC", {"decode", "--dbc", missing, truck}, 1, "cannot be read");
    runs("stats names a group by its DBC message", {"stats", "--dbc", ownDbc, boom},
         "  80  FF4E          1      0.00  BoomPressure\n", "");
    // A database of groups the library describes too (EEC1, and DM1, whose trouble codes the
    // program reads itself): with --dbc-wins the database decodes and names EEC1, never DM1.
    const QString winsDbc
        = m_dir.write(QStringLiteral("wins.dbc"),
                      "VERSION \"\"\nNS_ :\nBS_:\nBU_:\n"
                      "BO_ 2364540158 OwnEEC1: 8 Vector__XXX\n"
                      " SG_ Rpm : 24|16@1+ (0.125,0) [0|8031.875] \"rpm\" Vector__XXX\n"
                      "BO_ 2566834942 OwnDM1: 8 Vector__XXX\n"
                      " SG_ Lamps : 0|8@1+ (1,0) [0|255] \"\" Vector__XXX\n"
                      "BA_DEF_  \"ProtocolType\" STRING ;\nBA_ \"ProtocolType\" \"J1939\";\n");
    const QString engine
        = m_dir.write(QStringLiteral("engine.log"), "(1.000000) can0 0CF00480#FFFFFF901AFFFFFF\n"
                                                    "(1.100000) can0 18FECA80#0400640004010000\n"
                                                    "(2.100000) can0 18FECA80#0000FFFFFFFFFFFF\n");
    runs("decode with a DBC before the library",
         {"decode", "--events", "--dbc", winsDbc, "--dbc-wins", engine},
         "0.000000,80,F004,OwnEEC1,Rpm,850,rpm\n0.100000,80,FECA,DM - Active Diagnostic", "");
    runs("decode with a DBC after the library", {"decode", "--events", "--dbc", winsDbc, engine},
         "0.000000,80,F004,EEC1 - Electronic Engine Controller 1,SPN190,850,rpm", "");
    runs("stats with a DBC before the library", {"stats", "--dbc", winsDbc, "--dbc-wins", engine},
         "  80  F004          1      0.91  OwnEEC1\n"
         "  80  FECA          2      1.82  DM - Active Diagnostic Trouble Codes\n",
         "");
    runs("stats with a DBC after the library", {"stats", "--dbc", winsDbc, engine},
         "  80  F004          1      0.91  EEC1 - Electronic Engine Controller 1\n", "");
    runs("faults with a DBC of DM1 before the library",
         {"faults", "--dbc", winsDbc, "--dbc-wins", engine},
         "SPN 100 FMI 4 (Voltage below normal, or shorted to low source)  OC 1", "");
    // What a command needs besides the recording to get as far as reading it.
    const auto more = [this](const QString &command) {
        return command == QLatin1String("snapshots") ? QStringList{"-o", m_dir.path()}
               : command == QLatin1String("learn")   ? QStringList{"-o", m_dir.filePath("x.tvsx")}
               : command == QLatin1String("check")   ? QStringList{"--scheme", ":/demo/demo.tvsx"}
                                                     : QStringList{};
    };
    // Every command that decodes takes the databases alike.
    for (const char *command : {"decode", "faults", "stats", "learn", "check", "snapshots"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 help names --dbc-wins").arg(command)))
            << QStringList{command, "--help"} << 0 << QString("--dbc-wins") << QString();
        QTest::newRow(qPrintable(QStringLiteral("%1 with a missing DBC").arg(command)))
            << QStringList{command, "--dbc", ownDbc, "--dbc", missing, boom} + more(command) << 1
            << QString() << QString(missing + ": cannot be read");
        QTest::newRow(qPrintable(QStringLiteral("%1 --dbc-wins without --dbc").arg(command)))
            << QStringList{command, "--dbc-wins", boom} + more(command) << 2 << QString()
            << QString("--dbc-wins needs a --dbc FILE");
    }
    runs("snapshots help", {"snapshots", "--help"}, "--before", "");
    runs("snapshots listed", {"--help"}, "snapshots", "");
    fails("snapshots without output", {"snapshots", truck}, 2, "-o DIR is missing");
    fails("snapshots without recording", {"snapshots", "-o", m_dir.path()}, 2,
          "expected one recording");
    fails("snapshots before not a number", {"snapshots", "--before", "x", "-o", m_dir.path(), truck},
          2, "--before and --after must be a number of seconds");
    fails("snapshots after negative", {"snapshots", "--after", "-1", "-o", m_dir.path(), truck}, 2,
          "--before and --after must be a number of seconds");
    fails("snapshots missing", {"snapshots", "-o", m_dir.path(), missing}, 1,
          "Cannot read " + missing);
    fails("snapshots no frames", {"snapshots", "-o", m_dir.path(), junk}, 1, "holds no CAN frames");
    fails("faults two recordings", {"faults", truck, truck}, 2, "expected one recording");
    fails("unknown option", {"decode", "--fast", truck}, 2, "Unknown option 'fast'");
    fails("period not a number", {"decode", "--period", "x", truck}, 2,
          "the period must be a positive number");
    fails("period zero", {"decode", "--period", "0", truck}, 2,
          "the period must be a positive number");
    fails("jobs zero", {"decode", "-j", "0", truck}, 2, "the jobs must be a number from 1");
    fails("several recordings without a directory", {"decode", truck, truck}, 2,
          "several recordings need -o DIRECTORY");
    fails("two recordings, one name", {"decode", "-o", m_dir.path(), truck, truck}, 2,
          "would both be written to");
    fails("period with events", {"decode", "--period", "5", "--events", truck}, 2,
          "exclude each other");
    fails("bit rate too low", {"stats", "--bitrate", "10", truck}, 2,
          "the bit rate must lie between");
    // --bus picks buses by number or name, as convert does; one the recording lacks is no result.
    for (const char *command : {"decode", "faults", "inventory", "stats", "snapshots", "learn"}) {
        const QStringList output = more(command);
        QTest::newRow(qPrintable(QStringLiteral("%1 help names --bus").arg(command)))
            << QStringList{command, "--help"} << 0 << QString("--bus <BUS>") << QString();
        QTest::newRow(qPrintable(QStringLiteral("%1 bus no name").arg(command)))
            << QStringList{command, "--bus", "x y", truck} + output << 2 << QString()
            << QString("--bus: \"x y\" is neither a bus number nor an interface name");
        QTest::newRow(qPrintable(QStringLiteral("%1 bus out of range").arg(command)))
            << QStringList{command, "--bus", "300", truck} + output << 2 << QString()
            << QString("--bus: bus 300 is out of range (0 to 255)");
        QTest::newRow(qPrintable(QStringLiteral("%1 bus without frames").arg(command)))
            << QStringList{command, "--bus", "can7", truck} + output << 1 << QString()
            << QString(truck + " holds no frames on bus can7");
    }
    fails("check bus without frames", {"check", "--scheme", ":/demo/demo.tvsx", "--bus", "2", truck},
          1, truck + " holds no frames on bus 2");
    runs("learn help", {"learn", "--help"}, "--margin", "");
    runs("check help", {"check", "--help"}, "--junit", "");
    fails("learn without output", {"learn", truck}, 2, "-o FILE is missing");
    fails("learn margin not a number", {"learn", "--margin", "x", "-o", "x.tvsx", truck}, 2,
          "the margin must be a percentage");
    fails("learn to before from", {"learn", "--from", "5", "--to", "3", "-o", "x.tvsx", truck},
          2, "--to must lie after --from");
    fails("learn from not a number", {"learn", "--from", "soon", "-o", "x.tvsx", truck}, 2,
          "--from must be a number of seconds");
    fails("learn past the end", {"learn", "--from", "9999", "-o", "x.tvsx", truck}, 1,
          "holds no frames in the chosen stretch");
    fails("check without scheme", {"check", truck}, 2, "--scheme FILE is missing");
    fails("check broken scheme", {"check", "--scheme", badScheme, truck}, 1,
          "is not a scheme file");
    fails("check bit rate", {"check", "--scheme", badScheme, "--bitrate", "fast", truck}, 2,
          "the bit rate must be a number");
    fails("check load limit", {"check", "--scheme", badScheme, "--load-limit", "0", truck}, 2,
          "the load limit must be a percentage");
    fails("check missing recording", {"check", "--scheme", ":/demo/demo.tvsx", missing}, 1,
          "Cannot read");
    fails("export-dbc argument", {"export-dbc", "extra"}, 2, "unexpected argument \"extra\"");
    fails("missing recording", {"decode", missing}, 1, "Cannot read " + missing);
    fails("recording is a directory", {"stats", m_dir.path()}, 1, "is a directory");
    fails("no frames", {"faults", junk}, 1, "holds no CAN frames (2 lines skipped)");
    fails("decode no frames", {"decode", junk}, 1, "holds no CAN frames (2 lines skipped)");
    fails("decode events no frames", {"decode", "--events", junk}, 1, "holds no CAN frames");
    fails("faults directory", {"faults", m_dir.path()}, 1, "is a directory");
    fails("faults missing", {"faults", missing}, 1, "Cannot read " + missing);
    runs("decode names a bad line", {"decode", "--events", mixed}, "Time,Address,PGN",
         mixed + ": line 2: not a candump frame");
    runs("decode counts bad lines", {"decode", mixed}, "Time",
         "1 lines of the recording were not frames");
    fails("bad lines named before a broken scheme", {"decode", "--scheme", badScheme, mixed}, 1,
          mixed + ": line 2: not a candump frame");
    fails("broken scheme", {"decode", "--scheme", badScheme, truck}, 1, "is not a scheme file");
    fails("missing scheme", {"decode", "--scheme", missing, truck}, 1, "Cannot read");
    runs("convert help", {"convert", "--help"}, "--format", "");
    runs("convert listed", {"--help"}, "convert", "");
    fails("convert without output", {"convert", truck}, 2, "-o FILE is missing");
    fails("convert without recording", {"convert", "-o", "x.blf"}, 2, "expected one recording");
    fails("convert unknown extension", {"convert", truck, "-o", "x.foo"}, 2,
          "cannot tell the format from the name x.foo");
    fails("convert unknown format", {"convert", truck, "-o", "x.log", "--format", "mdf"}, 2,
          "unknown format \"mdf\"; use --format with one of: candump, asc, trc, blf, pcapng");
    fails("convert missing", {"convert", missing, "-o", "x.blf"}, 1, "Cannot read " + missing);
    fails("convert to missing folder",
          {"convert", truck, "-o", m_dir.filePath(QStringLiteral("no/such/dir/x.blf"))}, 1,
          "Cannot write");
    runs("report help", {"report", "--help"}, "--page", "");
    runs("report listed", {"--help"}, "report", "");
    fails("report without job folder", {"report"}, 2, "expected one job folder");
    fails("report of a folder without a job", {"report", m_dir.path()}, 1, "is not a service job");
    fails("report of a damaged job", {"report", brokenJob}, 1, "job.json is damaged");
    fails("report page size", {"report", "--page", "a5", jobDir}, 2, "unknown page size \"a5\"");
    fails("report unknown extension", {"report", jobDir, "-o", "x.txt"}, 2, "use .html or .pdf");
    runs("report as HTML", {"report", jobDir, "-o", m_dir.filePath(QStringLiteral("r.html"))},
         "Wrote", "");
    fails("output in missing folder",
          {"decode", "-o", m_dir.filePath(QStringLiteral("no/such/dir/x.csv")), truck}, 1,
          "Cannot write");
}

void tst_Commands::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const CliRun r = CliRun::run(arguments);
    QCOMPARE(r.code, code);
    QVERIFY2(r.out.contains(out), qPrintable(r.out));
    QVERIFY2(r.err.contains(err), qPrintable(r.err));
    // A failure says so on the error stream and prints no result.
    if (code != 0) {
        QVERIFY(!r.err.isEmpty());
        QVERIFY(r.out.isEmpty());
    }
}

void tst_Commands::statsOfTruck()
{
    const CliRun r = CliRun::run({"stats", truckLog()});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith(QLatin1String("1815 frames over 186.")), qPrintable(r.out));
    // A section per bus, as can-utils' log2asc counts them (channels 1 and 2).
    QVERIFY(r.out.contains(QLatin1String("\n\nBus can0: 1403 frames over 186.121 s\n\n")));
    QVERIFY(r.out.contains(QLatin1String("\n\nBus can1: 412 frames over 186.069 s\n\n")));
    QVERIFY(r.out.contains(QLatin1String("Transport sessions: 16 completed, 0 not")));
    // The per source and PGN rows are checked against Wireshark below.
    const QMap<QString, int> counted = statsRows(r.out);
    QVERIFY(!counted.contains(QStringLiteral("00 FEE3"))); // EC1 only comes by BAM
    QCOMPARE(counted.value(QStringLiteral("00 EC00")), 16);
}

void tst_Commands::statsAgreesWithTshark()
{
    const QString tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
    if (tshark.isEmpty())
        QSKIP("tshark is not installed");
    // The recording as a SocketCAN pcap, for Wireshark's J1939 dissector.
    RecordingReader reader;
    QVERIFY(reader.readFile(truckLog()));
    QCOMPARE(reader.frames().size(), 1815);
    const QString pcapPath = m_dir.filePath(QStringLiteral("truck.pcap"));
    RecordingWriter writer;
    QVERIFY(writer.open(pcapPath, RecordingReader::Pcap));
    QVERIFY(writer.write(reader.frames()));
    QVERIFY(writer.commit());
    QProcess process;
    process.start(tshark, {"-r", pcapPath, "-d", "can.subdissector,j1939", "-T", "fields", "-e",
                           "j1939.src_addr", "-e", "j1939.pgn"});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QMap<QString, int> wireshark;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.trimmed().split('\t');
        if (f.size() != 2)
            continue;
        wireshark[QStringLiteral("%1 %2")
                      .arg(f.at(0).toUInt(nullptr, 0), 2, 16, QLatin1Char('0'))
                      .arg(f.at(1).toUInt(nullptr, 0), 4, 16, QLatin1Char('0'))
                      .toUpper()]++;
    }
    const CliRun r = CliRun::run({"stats", truckLog()});
    QCOMPARE(statsRows(r.out), wireshark);
}

namespace {

// Candump lines of a long message from `source` to `destination`: a broadcast (BAM), or a
// connection (RTS, CTS, data, acknowledgement) that `abortAfter` data packets end with an abort.
QByteArray transportLines(double &time, quint8 source, quint8 destination, quint32 pgn,
                          const QByteArray &data, int abortAfter = -1)
{
    QByteArray out;
    const auto line = [&](quint8 pf, quint8 from, quint8 to, const QByteArray &bytes) {
        out += QStringLiteral("(%1) can0 1C%2%3%4#%5\n")
                   .arg(time, 0, 'f', 6)
                   .arg(pf, 2, 16, QLatin1Char('0'))
                   .arg(to, 2, 16, QLatin1Char('0'))
                   .arg(from, 2, 16, QLatin1Char('0'))
                   .arg(QString::fromLatin1(bytes.toHex()))
                   .toUpper()
                   .toLatin1();
        time += 0.01;
    };
    const int packets = (int(data.size()) + 6) / 7;
    const QByteArray tail = QByteArray(1, char(pgn)) + char(pgn >> 8) + char(pgn >> 16);
    const QByteArray size = QByteArray(1, char(data.size())) + char(data.size() >> 8);
    const bool bam = destination == 0xFF;
    line(0xEC, source, destination,
         QByteArray(1, bam ? '\x20' : '\x10') + size + char(packets) + '\xff' + tail);
    if (!bam)
        line(0xEC, destination, source,
             QByteArray("\x11") + char(packets) + '\x01' + "\xff\xff" + tail);
    for (int i = 0; i < packets; ++i) {
        if (i == abortAfter) {
            line(0xEC, destination, source, QByteArray("\xff\x03\xff\xff\xff") + tail);
            return out;
        }
        line(0xEB, source, destination,
             QByteArray(1, char(i + 1)) + data.mid(i * 7, 7).leftJustified(7, '\xff'));
    }
    if (!bam)
        line(0xEC, destination, source, QByteArray("\x13") + size + char(packets) + '\xff' + tail);
    return out;
}

// A DM19 record: the CVN least significant byte first, then the CAL ID padded with zeros.
QByteArray calibration(quint32 cvn, const QByteArray &calId)
{
    QByteArray r;
    for (int i = 0; i < 4; ++i)
        r += char(cvn >> (8 * i));
    return r + calId.leftJustified(16, '\0');
}

} // namespace

// What the faults and inventory commands report of a recording, and what they leave out.
void tst_Commands::reports_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    int logs = 0;
    const auto faults = [&](const QByteArray &log) {
        return QStringList{"faults", m_dir.write(QStringLiteral("faults%1.log").arg(++logs), log)};
    };
    const QString fmi0 = QStringLiteral(
        "FMI 0 (Data valid but above normal operational range, most severe level)");
    const QString fmi2 = QStringLiteral("FMI 2 (Data erratic, intermittent or incorrect)");
    const QString fmi3 = QStringLiteral("FMI 3 (Voltage above normal, or shorted to high source)");
    // Unit 0x03: DM1 in single frames: nothing, then SPN 100 FMI 3 with the amber lamp, then
    // gone. Unit 0x05: DM1 by BAM with two codes and the malfunction lamp.
    // The entries that are no codes (padding, "no code" beside a code) stay out, and the
    // conversion method bit is no occurrence, in DM1 and DM2 alike.
    QTest::newRow("padding, no code and the conversion method bit")
        << faults(candumpText({"10 1CECFF03#200E0002FFCAFE00", "10.05 1CEBFF03#0104FF6400038200",
                               "10.1 1CEBFF03#02000000FFFFFFFF", "11 18FECB03#00FF640003FFFFFF"}))
        << QStringList{"SPN 100 " + fmi3 + "  OC 2  first 0.100 s",
                       "0.100 s  SPN 100 " + fmi3 + " active (OC 2)",
                       "1.000 s  SPN 100 " + fmi3 + " previously active (OC 127)"}
        << QStringList{"SPN 524287", "SPN 0 ", "OC 130"};
    QTest::newRow("DM1 in single frames and by BAM")
        << faults(candumpText({"10 18FECA03#00FF00000000FFFF", "11 18FECA03#04FF64000301FFFF",
                               "11.5 1CECFF05#200A0002FFCAFE00", "11.55 1CEBFF05#0140FF6E0000016F",
                               "11.6 1CEBFF05#02000202FFFFFFFF", "12 18FECA03#04FF64000302FFFF",
                               "13 18FECA03#00FF00000000FFFF"}))
        << QStringList{"Source 03: 4 DM1 messages",
                       "SPN 100 " + fmi3 + "  OC 2  first 1.000 s  last 2.000 s  in 2 messages",
                       "1.000 s  AWL on",
                       "1.000 s  SPN 100 " + fmi3 + " active (OC 1)",
                       "2.000 s  SPN 100 " + fmi3 + " occurrence count 2",
                       "3.000 s  SPN 100 " + fmi3 + " gone",
                       "3.000 s  AWL off",
                       "Source 05: 1 DM1 messages",
                       "SPN 110 " + fmi0 + "  OC 1",
                       "SPN 111 " + fmi2 + "  OC 2",
                       "1.600 s  MIL on",
                       "(active at the end)"}
        << QStringList{"Previously active codes", "Clear requests"};
    // Unit 0x03: DM2 with SPN 100 FMI 3 (conversion method bit set), then none. Unit 0x05: DM2
    // by BAM with two codes.
    QTest::newRow("DM2 in single frames and by BAM")
        << faults(candumpText({"10 18FECB03#00FF64000381FFFF", "11.5 1CECFF05#200A0002FFCBFE00",
                               "11.55 1CEBFF05#0100FF6E0000016F", "11.6 1CEBFF05#02000202FFFFFFFF",
                               "12 18FECB03#00FF00000000FFFF"}))
        << QStringList{"Source 03: 0 DM1 messages",
                       "Previously active codes (2 DM2 messages):",
                       "SPN 100 " + fmi3 + "  OC 1  first 0.000 s  last 0.000 s  in 1 messages\n",
                       "0.000 s  SPN 100 " + fmi3 + " previously active (OC 1)",
                       "2.000 s  SPN 100 " + fmi3 + " no longer previously active",
                       "Previously active codes (1 DM2 messages):",
                       "SPN 110 " + fmi0 + "  OC 1",
                       "SPN 111 " + fmi2
                           + "  OC 2  first 1.600 s  last 1.600 s  in 1 messages  "
                             "(listed at the end)"}
        << QStringList{"No DM1 messages", ") active (OC", "Clear requests"};
    // DM11 to 0x01, answered; DM3 to everyone, refused by 0x01 (to everyone), acknowledged by
    // 0x03 (twice: the first answer counts); DM11 to 0x05, answered too late; a DM1 request.
    QTest::newRow("clear requests and their answers")
        << faults(candumpText({"20 18EA01F9#D3FE00", "20.01 18E8F901#00FFFFFFF9D3FE00",
                               "21 18EAFFF9#CCFE00", "21.005 18E8FF01#01FFFFFFF9CCFE00",
                               "21.01 18E8F903#00FFFFFFF9CCFE00", "21.02 18E8F903#01FFFFFFF9CCFE00",
                               "23 18EA05F9#D3FE00", "25 18E8F905#00FFFFFFF9D3FE00",
                               "26 18EA05F9#CAFE00"}))
        << QStringList{"No DM1 messages in the recording.\nClear requests:\n",
                       "  0.000 s  DM11 (clear active codes) from F9 to 01: 01 ACK\n",
                       "  1.000 s  DM3 (clear previously active codes) from F9 to all: 01 NACK, "
                       "03 ACK\n",
                       "  3.000 s  DM11 (clear active codes) from F9 to 05: no answer\n"}
        << QStringList{"6.000 s", "03 NACK"};
    QTest::newRow("truck: the engine's VIN from its broadcasts, a section per bus")
        << QStringList{"inventory", truckLog()}
        << QStringList{"Bus can0\nUnit 00: Engine #1\n",
                       "  VIN: 1L06130RELP969468\n",
                       "Unit 47: Chassis controller #1\n",
                       "\nBus can1\nUnit 51: Aftertreatment #1 system gas intake\n",
                       "Unit A3: Catalyst fluid sensor\n",
                       "  ECU identification: not in the recording\n"}
        << QStringList{};
    QTest::newRow("demo recording: the engine's active codes in words")
        << QStringList{"inventory", ":/demo/demo-bus.log"}
        << QStringList{"Unit 00: Engine #1\n",
                       "  Active codes (DM1): 2\n",
                       "    SPN 110",
                       "FMI 16 (Data valid but above normal operating range, "
                       "moderately severe level) OC 3\n",
                       "    SPN 100",
                       "FMI 18 (",
                       "Unit A0: Controller\n",
                       "Unit 80: Support controller\n"}
        << QStringList{"Unit F9"};
    double t = 10.0;
    const QByteArray dm19 = calibration(0x1234ABCD, "CAL-ENGINE-01") + calibration(0xFFFFFFFF, "BOOT");
    QByteArray unit = candumpText({"9 18EEFF21#0102030405060708", "9.1 18FECA21#0000000000000000",
                                   "9.2 18FECB21#04006E001003FFFF"});
    unit += transportLines(t, 0x21, 0xFF, 0xFEEB, "ZTX*MC2*SN0417*A0*");
    const QByteArray rts = unit + transportLines(t, 0x21, 0xF9, 0xD300, dm19);
    QTest::newRow("unit: claim, codes, component by BAM, DM19 by RTS/CTS")
        << QStringList{"inventory", m_dir.write(QStringLiteral("inventory.log"), rts)}
        << QStringList{"Unit 21: Body Controller\n",
                       "  NAME: 0x0807060504030201: identity number 197121, manufacturer code 32, ",
                       "power take-off, main or rear (function 6), ",
                       "industry group 0 (global)",
                       "  Component identification: make ZTX, model MC2, serial number SN0417, "
                       "unit number A0\n",
                       "  Calibrations: 2\n    CAL ID CAL-ENGINE-01  CVN 0x1234ABCD\n"
                       "    CAL ID BOOT  CVN n/a\n",
                       "  Active codes (DM1): none\n",
                       "  Previously active codes (DM2): 1\n    SPN 110",
                       "  ECU identification: not in the recording\n",
                       "Unit F9: Off-board diagnostic unit\n"}
        << QStringList{};
    t = 10.0;
    const QByteArray aborted = unit + transportLines(t, 0x21, 0xF9, 0xD300, dm19, 3);
    QTest::newRow("unit: an aborted connection gives no calibrations")
        << QStringList{"inventory", m_dir.write(QStringLiteral("inventory-aborted.log"), aborted)}
        << QStringList{"  Calibrations: not in the recording\n",
                       "  Component identification: make ZTX"}
        << QStringList{"CAL-ENGINE-01"};
}

void tst_Commands::reports()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const CliRun r = CliRun::run(arguments);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    for (const QString &text : present)
        QVERIFY2(r.out.contains(text), qPrintable(text + QStringLiteral("\n---\n") + r.out));
    for (const QString &text : absent)
        QVERIFY2(!r.out.contains(text), qPrintable(text + QStringLiteral("\n---\n") + r.out));
}

QTEST_GUILESS_MAIN(tst_Commands)
#include "tst_commands.moc"
