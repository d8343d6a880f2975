#include "app/builtins.h"
#include "cli/dbcwriter.h"
#include "descriptions/dbcreader.h"
#include "support/testenvironment.h"

#include "clirun.h"
#include "csvrecords.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The function library as DBC: identifiers, signal placement and scaling, a read-back by
// canmatrix (python3-canmatrix) where it is installed, and by our own DBC decoding.
class tst_DbcWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::init();
        registerBuiltIns();
    }
    void identifiers_data();
    void identifiers();
    void signalLines_data();
    void signalLines();
    void everyGroupOnce();
    void writesFileAtomically();
    void readBackByCanmatrix();
    void decodesTheTruckAsTheLibrary();

private:
    static QString python();
};

void tst_DbcWriter::identifiers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("identifier");
    QTest::newRow("words") << "Engine Speed" << QByteArray("EngineSpeed");
    QTest::newRow("punctuation") << "Driver's Demand Engine - Percent Torque"
                                 << QByteArray("DriverSDemandEnginePercentTorque");
    QTest::newRow("leading digit") << "1st gear" << QByteArray("_1stGear");
    QTest::newRow("nothing usable") << "--" << QByteArray("_");
}

void tst_DbcWriter::identifiers()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, identifier);
    QCOMPARE(DbcWriter::identifier(text), identifier);
}

void tst_DbcWriter::signalLines_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("signal");
    // EEC1: priority 3, PGN 0xF004, source 0xFE, extended flag.
    QTest::newRow("EEC1 message") << QByteArray("BO_ 2364540158 EEC1: 8 Vector__XXX")
                                  << QByteArray();
    QTest::newRow("engine speed 16 bit little endian")
        << QByteArray("BO_ 2364540158 EEC1:")
        << QByteArray(" SG_ EngineSpeed : 24|16@1+ (0.125,0) [0|8031.875] \"rpm\" Vector__XXX");
    QTest::newRow("torque with offset")
        << QByteArray("BO_ 2364540158 EEC1:")
        << QByteArray(" SG_ ActualEnginePercentTorque : 16|8@1+ (1,-125) [-125|125] \"%\" "
                      "Vector__XXX");
    QTest::newRow("4 bit field in the low nibble")
        << QByteArray("BO_ 2364540158 EEC1:")
        << QByteArray(" SG_ EngineTorqueMode : 0|4@1+ (1,0) [0|13] \"\" Vector__XXX");
    QTest::newRow("2 bit status at bit 2")
        << QByteArray("BO_ 2364539902 EEC2:")
        << QByteArray(" SG_ AcceleratorPedalKickdownSwitch : 2|2@1+ (1,0) [0|1] \"\" Vector__XXX");
    QTest::newRow("PDU1 group to global")
        << QByteArray("BO_ 2348875774 TSC1: 8 Vector__XXX") << QByteArray();
}

void tst_DbcWriter::signalLines()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, signal);
    const QByteArray dbc = DbcWriter::write(DbcWriter::libraryFunctions());
    const int at = dbc.indexOf(message);
    QVERIFY2(at >= 0, message.constData());
    if (signal.isEmpty())
        return;
    // The signal belongs to this message: it comes before the blank line that ends it.
    const int end = dbc.indexOf("\n\n", at);
    const int s = dbc.indexOf(signal + '\n', at);
    QVERIFY2(s > at && s < end, signal.constData());
}

void tst_DbcWriter::everyGroupOnce()
{
    const QList<QDomElement> functions = DbcWriter::libraryFunctions();
    QVERIFY(functions.size() >= 40);
    const QByteArray dbc = DbcWriter::write(functions);
    const QRegularExpression message(QStringLiteral("^BO_ (\\d+) (\\w+): 8 "),
                                     QRegularExpression::MultilineOption);
    QSet<quint32> ids;
    QSet<QString> names;
    int count = 0;
    for (auto it = message.globalMatch(QString::fromLatin1(dbc)); it.hasNext(); ++count) {
        const QRegularExpressionMatch m = it.next();
        const quint32 id = m.captured(1).toUInt();
        QVERIFY(id & 0x80000000u);
        QCOMPARE(id & 0xFF, 0xFEu);
        ids.insert(id);
        names.insert(m.captured(2));
    }
    QCOMPARE(count, functions.size());
    QCOMPARE(ids.size(), count);
    QCOMPARE(names.size(), count);
    QCOMPARE(dbc.count("BA_ \"VFrameFormat\" BO_ "), count);
    QVERIFY(dbc.contains("BA_ \"ProtocolType\" \"J1939\";"));
    QVERIFY(dbc.contains(" 3 \"11 - Not available\""));
}

void tst_DbcWriter::writesFileAtomically()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("library.dbc"));
    CliRun r = CliRun::run({"export-dbc", "-o", path});
    QCOMPARE(r.code, 0);
    QCOMPARE(TestEnvironment::readFile(path), DbcWriter::write(DbcWriter::libraryFunctions()));
    r = CliRun::run({"export-dbc"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith(QLatin1String("VERSION \"\"")));
    r = CliRun::run({"export-dbc", "-o", dir.filePath("no/such/dir/library.dbc")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QLatin1String("Cannot write")));
}

QString tst_DbcWriter::python()
{
    // The system's interpreter first: Debian's python3-canmatrix is installed for it.
    for (const QString &candidate :
         {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        const QString path = QDir::isAbsolutePath(candidate)
                                 ? (QFile::exists(candidate) ? candidate : QString())
                                 : QStandardPaths::findExecutable(candidate);
        if (path.isEmpty())
            continue;
        QProcess probe;
        probe.start(path, {QStringLiteral("-c"), QStringLiteral("import canmatrix.formats")});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit
            && probe.exitCode() == 0)
            return path;
    }
    return QString();
}

void tst_DbcWriter::readBackByCanmatrix()
{
    const QString interpreter = python();
    if (interpreter.isEmpty())
        QSKIP("python3-canmatrix is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("library.dbc"));
    QVERIFY(CliRun::run({"export-dbc", "-o", path}).code == 0);
    // canmatrix decodes an EEC1 and an ET1 frame of the truck recording as the library does.
    const QString script = QStringLiteral(
        "import sys, canmatrix.formats\n"
        "db = canmatrix.formats.loadp_flat(sys.argv[1])\n"
        "print(len(db.frames))\n"
        "f = db.frame_by_pgn(0xF004)\n"
        "print(f.name, hex(f.arbitration_id.id), f.is_j1939)\n"
        "d = f.decode(bytes.fromhex('F0FF7D401F00FFFF'))\n"
        "print(d['EngineSpeed'].phys_value, d['ActualEnginePercentTorque'].phys_value)\n"
        "e = db.frame_by_pgn(0xFEEE).decode(bytes.fromhex('7E57202EFFFFFFFF'))\n"
        "t = e['EngineCoolantTemperature']\n"
        "print(t.phys_value, t.signal.unit.encode('utf-8').hex())\n");
    QProcess process;
    process.start(interpreter, {QStringLiteral("-c"), script, path});
    QVERIFY(process.waitForFinished(60000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(process.exitCode() == 0,
             qPrintable(output + QString::fromUtf8(process.readAllStandardError())));
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0).toInt(), DbcWriter::libraryFunctions().size());
    QCOMPARE(lines.at(1), QStringLiteral("EEC1 0xcf004fe True"));
    // 0x1F40 x 0.125 = 1000 rpm; 0x7D - 125 = 0 %.
    QCOMPARE(lines.at(2).split(QLatin1Char(' ')).at(0).toDouble(), 1000.0);
    QCOMPARE(lines.at(2).split(QLatin1Char(' ')).at(1).toDouble(), 0.0);
    // 0x7E - 40 = 86 degrees, the unit's degree sign intact.
    QCOMPARE(lines.at(3).split(QLatin1Char(' ')).at(0).toDouble(), 86.0);
    QCOMPARE(QString::fromUtf8(
                 QByteArray::fromHex(lines.at(3).split(QLatin1Char(' ')).at(1).toLatin1())),
             QStringLiteral("\u00B0C"));
}

// The exported library, put before the library itself, decodes the truck recording to the same
// values: every group the library decodes there comes out of the DBC message of its name, each
// parameter (its SPN) within one step of its signal's resolution, the values not available
// included.
void tst_DbcWriter::decodesTheTruckAsTheLibrary()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("library.dbc"));
    QCOMPARE(CliRun::run({"export-dbc", "-o", path}).code, 0);
    DbcReader reader;
    QVERIFY2(reader.readFile(path), qPrintable(reader.errorString()));
    QVERIFY2(reader.warnings().isEmpty(), qPrintable(reader.warnings().join('\n')));
    const DbcDatabase exported = reader.database();
    const QString truck = TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    const CliRun library = CliRun::run({"decode", "--events", truck});
    const CliRun dbc = CliRun::run({"decode", "--events", "--dbc", path, "--dbc-wins", truck});
    QCOMPARE(library.code, 0);
    QCOMPARE(dbc.code, 0);
    // Time, bus, address and group make a frame's key; the rest is function, parameter, value.
    using Values = QMap<QString, QString>;
    const auto frames = [](const QString &out, QMap<QString, QString> *functions) {
        QMap<QString, Values> byFrame;
        const QList<QStringList> records = csvRecords(out);
        for (int i = 1; i < records.size(); ++i) {
            const QStringList &f = records.at(i);
            const QString key = QStringList(f.mid(0, 4)).join(QLatin1Char(','));
            functions->insert(key, f.at(4));
            byFrame[key].insert(f.at(5), f.at(6));
        }
        return byFrame;
    };
    QMap<QString, QString> libraryFunctions;
    QMap<QString, QString> dbcFunctions;
    const QMap<QString, Values> expected = frames(library.out, &libraryFunctions);
    const QMap<QString, Values> decoded = frames(dbc.out, &dbcFunctions);
    QCOMPARE(decoded.keys(), expected.keys());
    QSet<QString> groups;
    int compared = 0;
    for (auto it = decoded.cbegin(); it != decoded.cend(); ++it) {
        const DbcMessage *message = exported.messageByName(dbcFunctions.value(it.key()));
        // Groups of the program's own classes are not in the library's export.
        if (!message) {
            QCOMPARE(it.value(), expected.value(it.key()));
            continue;
        }
        groups.insert(message->name);
        const Values &want = expected.value(it.key());
        QCOMPARE(it.value().size(), message->signalList.size());
        for (const DbcSignal &s : message->signalList) {
            QVERIFY2(s.spn > 0, qPrintable(s.name));
            const QString spn = QStringLiteral("SPN%1").arg(s.spn);
            const QString where = it.key() + QLatin1Char(' ') + s.name;
            QVERIFY2(want.contains(spn), qPrintable(where));
            const QString got = it.value().value(s.name);
            QVERIFY2(got.isEmpty() == want.value(spn).isEmpty(),
                     qPrintable(where + ": " + got + " against " + want.value(spn)));
            if (!got.isEmpty())
                QVERIFY2(qAbs(got.toDouble() - want.value(spn).toDouble())
                             <= qAbs(s.factor) * (1 + 1e-9),
                         qPrintable(where + ": " + got + " against " + want.value(spn)));
            ++compared;
        }
    }
    // EEC1, EEC2, EEC3, ET1, CCVS1, LFE1, HOURS and the aftertreatment groups, counted in the
    // library's decoding of the recording.
    QCOMPARE(groups.size(), 11);
    QVERIFY(compared > 8000);
}

QTEST_GUILESS_MAIN(tst_DbcWriter)
#include "tst_dbcwriter.moc"
