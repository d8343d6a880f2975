#include "descriptions/dbcreader.h"
#include "descriptions/dbcsignalcodec.h"

#include "can/candumpreader.h"
#include "support/dbcfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace DbcFixtures;

class tst_DbcReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void features();
    void demoDatabase();
    void transportAndMultiplexedDatabases();
    void matching_data();
    void matching();
    void hostileLines_data();
    void hostileLines();
    void warningsCapped();
    void notADbc_data();
    void notADbc();
    void agreesWithCanmatrix_data();
    void agreesWithCanmatrix();
};

// Line numbers matter: the last line warns with its own.
const char *const FeaturesDbc = R"(VERSION "1.0"

NS_ :
	CM_
	VAL_TABLE_

BS_:
BU_: Engine Cabin
VAL_TABLE_ OnOff 1 "On" 0 "Off" ;
BO_ 1280 Status: 8 Engine
 SG_ Mode : 0|2@1+ (1,0) [0|3] "" Cabin,Panel
 SG_ Temp : 8|8@1- (0.5,-10) [-50|50] "degC" Cabin
 SG_ Level : 16|32@1+ (1,0) [0|0] "m" Cabin
 SG_ Switch : 48|8@1+ (1,0) [0|1] "" Cabin

BO_ 2365587454 Fd64: 64 Engine
 SG_ Precise : 448|64@1+ (1,0) [0|0] "" Vector__XXX
 SG_ Trip : 7|16@0- (1,0) [0|0] "" Vector__XXX
CM_ "Database comment";
CM_ SG_ 1280 Temp "Coolant
temperature; with \"quotes\"";
BA_DEF_ BO_ "VFrameFormat" ENUM "StandardCAN","ExtendedCAN","reserved","J1939PG";
BA_ "VFrameFormat" BO_ 2365587454 3; VAL_ 1280 Mode 0 "Idle" 1 "Run" 2 "Fault";
VAL_ 1280 Switch OnOff;
SIG_VALTYPE_ 1280 Level : 1;
SIG_VALTYPE_ 2365587454 Precise : 2;
BO_ 2565537790 Request: 3 Engine
BA_ "VFrameFormat" BO_ 2565537790 3;
BO_ x
)";

void tst_DbcReader::features()
{
    QStringList warnings;
    const DbcDatabase database = readText(FeaturesDbc, &warnings);
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.first().startsWith(QLatin1String("t.dbc:29: ")),
             qPrintable(warnings.first()));
    QCOMPARE(database.comment, QStringLiteral("Database comment"));
    QCOMPARE(database.valueTables.value(QStringLiteral("OnOff")).value(1), QStringLiteral("On"));

    const DbcMessage &status = database.messages.at(0);
    QCOMPARE(status.id, 1280u);
    QVERIFY(!status.extended);
    QCOMPARE(status.transmitter, QStringLiteral("Engine"));
    QCOMPARE(status.signalList.at(0).receivers, (QStringList{"Cabin", "Panel"}));
    QCOMPARE(status.signalList.at(0).valueTexts.value(2), QStringLiteral("Fault"));
    const DbcSignal &temp = status.signalList.at(1);
    QVERIFY(temp.isSigned);
    QCOMPARE(temp.offset, -10.0);
    QCOMPARE(temp.minimum, -50.0);
    QCOMPARE(temp.comment, QStringLiteral("Coolant\ntemperature; with \"quotes\""));
    QCOMPARE(status.signalList.at(2).valueType, DbcSignal::ValueType::Float);

    const QByteArray payload = hex("02 EC 0000C03F 01 00");
    const QVector<DbcDecodedSignal> decoded = DbcSignalCodec::decodeMessage(
        status, reinterpret_cast<const quint8 *>(payload.constData()), payload.size());
    QCOMPARE(decoded.size(), 4);
    QCOMPARE(decoded.at(0).text, QStringLiteral("Fault"));
    QCOMPARE(decoded.at(1).value, -20.0);
    QCOMPARE(decoded.at(2).value, 1.5);
    QCOMPARE(decoded.at(3).text, QStringLiteral("On"));

    const DbcMessage &fd = database.messages.at(1);
    QCOMPARE(fd.length, 64);
    QVERIFY(fd.isJ1939Pg());
    QCOMPARE(fd.signalList.at(0).valueType, DbcSignal::ValueType::Double);
    QCOMPARE(fd.signalList.at(1).byteOrder, DbcSignal::ByteOrder::Motorola);
    // J1939PG matches by PGN even where the database names no protocol.
    QVERIFY(!database.isJ1939());
    QCOMPARE(database.messageForFrame(0x18FFFF17, true), &fd);
    QCOMPARE(database.messageForFrame(0x500, false), &status);
    // A PDU1 group matches whatever its destination.
    const DbcMessage &request = database.messages.at(2);
    QCOMPARE(request.pgn(), 0xEA00u);
    QCOMPARE(database.messageForFrame(0x18EA0021, true), &request);
    QCOMPARE(database.messageForFrame(0x18EAFF00, true), &request);
    QCOMPARE(database.messageForPgn(0xEA00), &request);
    QCOMPARE(database.messageForFrame(0x18EB0021, true), nullptr);

    // Text in Latin-1, as Windows tools write it, reads as such; UTF-8 as UTF-8.
    const QByteArray unit = "VERSION \"\"\nBO_ 1 A: 8 N\n SG_ T : 0|8@1+ (1,0) [0|0] \"%1C\" N\n";
    const QString degrees = QString(QChar(0xB0)) + QLatin1Char('C');
    QCOMPARE(readText(QByteArray(unit).replace("%1", "\xB0")).messages.at(0).signalList.at(0).unit,
             degrees);
    QCOMPARE(
        readText(QByteArray(unit).replace("%1", "\xC2\xB0")).messages.at(0).signalList.at(0).unit,
        degrees);
}

void tst_DbcReader::demoDatabase()
{
    const DbcDatabase database = readData(QStringLiteral("css_j1939_demo.dbc"));
    QCOMPARE(database.messages.size(), 2);
    QCOMPARE(database.protocolType, QStringLiteral("J1939"));
    QVERIFY(database.isJ1939());

    const DbcMessage &eec1 = database.messages.at(0);
    QCOMPARE(eec1.name, QStringLiteral("EEC1"));
    QCOMPARE(eec1.id, 0x0CF004FEu);
    QVERIFY(eec1.extended);
    QCOMPARE(eec1.length, 8);
    QCOMPARE(eec1.transmitter, QStringLiteral("Vector__XXX"));
    QCOMPARE(eec1.frameFormat, QStringLiteral("J1939PG"));
    QCOMPARE(eec1.pgn(), 0xF004u);
    QCOMPARE(eec1.comment, QStringLiteral("Electronic Engine Controller 1"));
    QCOMPARE(eec1.signalList.size(), 1);
    const DbcSignal &speed = eec1.signalList.at(0);
    QCOMPARE(speed.name, QStringLiteral("EngineSpeed"));
    QCOMPARE(speed.startBit, 24);
    QCOMPARE(speed.length, 16);
    QCOMPARE(speed.byteOrder, DbcSignal::ByteOrder::Intel);
    QCOMPARE(speed.isSigned, false);
    QCOMPARE(speed.valueType, DbcSignal::ValueType::Integer);
    QCOMPARE(speed.factor, 0.125);
    QCOMPARE(speed.offset, 0.0);
    QCOMPARE(speed.minimum, 0.0);
    QCOMPARE(speed.maximum, 8031.875);
    QCOMPARE(speed.unit, QStringLiteral("rpm"));
    QCOMPARE(speed.receivers, QStringList{QStringLiteral("Vector__XXX")});
    QCOMPARE(speed.spn, 190u);
    QVERIFY(speed.comment.endsWith(QString::fromUtf8("by the number of cylinders.\u2026")));

    const DbcMessage &ccvs = database.messages.at(1);
    QCOMPARE(ccvs.name, QStringLiteral("CCVS1"));
    QCOMPARE(ccvs.pgn(), 0xFEF1u);
    QCOMPARE(ccvs.signalList.at(0).spn, 84u);
    QCOMPARE(ccvs.signalList.at(0).factor, 0.00390625);
    QCOMPARE(ccvs.signalList.at(0).unit, QStringLiteral("km/h"));
}

void tst_DbcReader::transportAndMultiplexedDatabases()
{
    DbcDatabase tp = readData(QStringLiteral("css_tp_j1939.dbc"));
    QCOMPARE(tp.messages.size(), 1);
    const DbcMessage &ec1 = tp.messages.at(0);
    QCOMPARE(ec1.name, QStringLiteral("EC1"));
    QCOMPARE(ec1.length, 40);
    QCOMPARE(ec1.frameFormat, QStringLiteral("ExtendedCAN"));
    QCOMPARE(tp.protocolType, QStringLiteral("J1939PG"));
    QCOMPARE(ec1.signalList.at(0).startBit, 96);

    // The reassembled group of EC1, as the transport protocol hands it over.
    QByteArray group(40, '\xFF');
    group[12] = char(0x40);
    group[13] = char(0x1F);
    const DbcMessage *byPgn = tp.messageForPgn(0xFEE3);
    QVERIFY(byPgn);
    const QVector<DbcDecodedSignal> decoded = DbcSignalCodec::decodeMessage(
        *byPgn, reinterpret_cast<const quint8 *>(group.constData()), group.size());
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded.at(0).value, 1000.0);
    // A single frame of 8 bytes does not carry it.
    QCOMPARE(DbcSignalCodec::decodeMessage(*byPgn,
                                           reinterpret_cast<const quint8 *>(group.constData()), 8)
                 .size(),
             0);

    const DbcDatabase mux = readData(QStringLiteral("css_tp_j1939_multiplexed.dbc"));
    QCOMPARE(mux.messages.size(), 2);
    QCOMPARE(mux.protocolType, QString());
    QVERIFY(!mux.isJ1939());
    const DbcSignal &motorola = mux.messages.at(0).signalList.at(0);
    QCOMPARE(motorola.byteOrder, DbcSignal::ByteOrder::Motorola);
    QCOMPARE(motorola.startBit, 16);
    const DbcMessage &transport = mux.messages.at(1);
    QCOMPARE(transport.id, 0x1DEFFF00u);
    QCOMPARE(transport.frameFormat, QStringLiteral("ExtendedCAN"));
    const DbcSignal &m20 = transport.signalList.at(0);
    QVERIFY(m20.isMultiplexed);
    QCOMPARE(m20.muxValue, 32u);
    QCOMPARE(m20.muxSwitchName, QStringLiteral("requested_ID"));
    QCOMPARE(m20.muxSwitchIndex, 3);
    QCOMPARE(m20.muxRanges.size(), 1);
    QCOMPARE(m20.muxRanges.at(0).low, 32u);
    QCOMPARE(m20.muxRanges.at(0).high, 32u);
    QVERIFY(transport.signalList.at(3).isMultiplexor);
    QCOMPARE(presentNames(transport, hex("20 00 11 2233 000000")),
             (QStringList{"M_20_signal_1", "M_20_signal_2", "requested_ID"}));
    QCOMPARE(presentNames(transport, hex("60 00 11 22 33 000000")),
             (QStringList{"M_60_signal_1", "requested_ID"}));
    QCOMPARE(presentNames(transport, hex("21 00 11 22 33 000000")), QStringList{"requested_ID"});
}

void tst_DbcReader::matching_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("extendedAsJ1939");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("message");

    auto row = [](const char *name, const char *file, bool asJ1939, quint32 id, bool extended,
                  const char *message) {
        QTest::newRow(name) << QString::fromLatin1(file) << asJ1939 << id << extended
                            << QString::fromLatin1(message);
    };
    const char *demo = "css_j1939_demo.dbc";
    const char *tp = "css_tp_j1939.dbc";
    const char *mux = "css_tp_j1939_multiplexed.dbc";
    row("J1939 exact", demo, true, 0x0CF004FE, true, "EEC1");
    row("J1939 other source", demo, true, 0x0CF00400, true, "EEC1");
    row("J1939 other priority", demo, true, 0x18F00417, true, "EEC1");
    row("J1939 other PGN", demo, true, 0x0CF00300, true, "");
    row("J1939 other data page", demo, true, 0x0DF00400, true, "");
    row("J1939 CCVS1 from 0x47", demo, true, 0x18FEF147, true, "CCVS1");
    row("J1939 standard frame", demo, true, 0x4FE, false, "");
    row("ExtendedCAN in J1939 database by PGN", tp, true, 0x18FEE300, true, "EC1");
    row("ExtendedCAN switched to exact: other source", tp, false, 0x18FEE300, true, "");
    row("ExtendedCAN switched to exact: exact", tp, false, 0x18FEE3FE, true, "EC1");
    row("standard database exact", mux, true, 0x09F11200, true, "SingleFrame");
    row("standard database other source", mux, true, 0x09F11201, true, "");
    row("standard database 11-bit of the same value", mux, true, 0x200, false, "");
}

void tst_DbcReader::matching()
{
    QFETCH(QString, file);
    QFETCH(bool, extendedAsJ1939);
    QFETCH(quint32, id);
    QFETCH(bool, extended);
    QFETCH(QString, message);
    DbcDatabase database = readData(file);
    database.extendedAsJ1939 = extendedAsJ1939;
    const DbcMessage *found = database.messageForFrame(id, extended);
    QCOMPARE(found ? found->name : QString(), message);
}

void tst_DbcReader::hostileLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("warns");
    auto row = [](const char *name, const QByteArray &line, bool warns = true) {
        QTest::newRow(name) << line << warns;
    };
    const QByteArray sg = " SG_ X : ";
    row("start bit not a number", sg + "2x|8@1+ (1,0) [0|0] \"\" N");
    row("length 0", sg + "0|0@1+ (1,0) [0|0] \"\" N");
    row("length 65", sg + "0|65@1+ (1,0) [0|0] \"\" N");
    row("length beyond 64 bits of number", sg + "0|99999999999999999999@1+ (1,0) [0|0] \"\" N");
    row("start bit past 8 bytes", sg + "64|8@1+ (1,0) [0|0] \"\" N");
    row("start bit past 64 bytes", sg + "600|8@1+ (1,0) [0|0] \"\" N");
    row("start bit far out", sg + "2147483647|8@0+ (1,0) [0|0] \"\" N");
    row("byte order 2", sg + "0|8@2+ (1,0) [0|0] \"\" N");
    row("factor NaN", sg + "0|8@1+ (nan,0) [0|0] \"\" N");
    row("factor out of range", sg + "0|8@1+ (1e999,0) [0|0] \"\" N");
    row("unit never closed", sg + "0|8@1+ (1,0) [0|0] \"rpm N");
    row("multiplexer mark", " SG_ X mx : 0|8@1+ (1,0) [0|0] \"\" N");
    row("signal repeated", " SG_ EngineSpeed : 0|8@1+ (1,0) [0|0] \"\" N");
    row("message identifier not a number", "BO_ abc X: 8 N");
    row("message identifier beyond 32 bits", "BO_ 99999999999 X: 8 N");
    row("message identifier beyond 29 bits", "BO_ 4294967295 X: 8 N");
    row("message length 9999", "BO_ 300 X: 9999 N");
    row("message repeated", "BO_ 2364540158 EEC1: 8 Vector__XXX");
    row("comment never closed", "CM_ BO_ 2364540158 \"never closed");
    row("comment for an unknown message", "CM_ BO_ 123 \"x\";");
    row("comment for an unknown signal", "CM_ SG_ 2364540158 Nope \"x\";");
    row("value texts not in pairs", "VAL_ 2364540158 EngineSpeed 1 \"a\" x;");
    row("float value type on 16 bits", "SIG_VALTYPE_ 2364540158 EngineSpeed : 1;");
    row("value type 7", "SIG_VALTYPE_ 2364540158 EngineSpeed : 7;");
    row("multiplexer range inverted", "SG_MUL_VAL_ 2364540158 EngineSpeed EngineSpeed 5-3;");
    row("multiplexer switch unknown", "SG_MUL_VAL_ 2364540158 EngineSpeed Nope 1-3;");
    row("SPN beyond 19 bits", "BA_ \"SPN\" SG_ 2364540158 EngineSpeed 999999;");
    row("frame format beyond its enum", "BA_ \"VFrameFormat\" BO_ 2364540158 9;");
    row("signal outside a message", "CM_ \"x\"; SG_ Y : 0|8@1+ (1,0) [0|0] \"\" N");
    row("unknown keyword", "FOO_ bar");
    row("binary garbage", QByteArray("\x00\x01\xff\xfe BO_\x00 \x80\x81 \"", 12));
    row("10 MB line", QByteArray(10 * 1024 * 1024, 'A'));
    row("10 MB comment", "CM_ \"" + QByteArray(10 * 1024 * 1024, 'x') + "\";", false);
    row("statement missing its ';'", "BA_ \"ProtocolType\" \"J1939\"", false);
    row("environment variable texts", "VAL_ EnvVar 0 \"off\" 1 \"on\";", false);
}

// Each hostile line sits in a good database: it warns with its own line, and the rest loads.
void tst_DbcReader::hostileLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, warns);
    const QByteArray text
        = "VERSION \"\"\n"
          "BO_ 2364540158 EEC1: 8 Vector__XXX\n"
          " SG_ EngineSpeed : 24|16@1+ (0.125,0) [0|8031.875] \"rpm\" N\n"
          + line
          + "\n"
            "BO_ 2566844926 CCVS1: 8 Vector__XXX\n"
            " SG_ WheelBasedVehicleSpeed : 8|16@1+ (0.00390625,0) [0|251] \"km/h\" N\n"
            "CM_ BO_ 2566844926 \"Cruise Control/Vehicle Speed 1\";\n"
            "BA_ \"ProtocolType\" \"J1939\";\n";
    QStringList warnings;
    const DbcDatabase database = readText(text, &warnings);
    if (warns) {
        QVERIFY(!warnings.isEmpty());
        for (const QString &warning : warnings)
            QVERIFY2(warning.startsWith(QLatin1String("t.dbc:4: ")), qPrintable(warning));
    } else {
        QCOMPARE(warnings, QStringList());
    }
    const DbcMessage *eec1 = database.messageForFrame(0x0CF00400, true);
    const DbcMessage *ccvs = database.messageForFrame(0x18FEF100, true);
    QVERIFY(eec1 && ccvs);
    QCOMPARE(eec1->signalList.at(0).name, QStringLiteral("EngineSpeed"));
    QCOMPARE(eec1->signalList.at(0).length, 16);
    QCOMPARE(ccvs->signalList.size(), 1);
    QCOMPARE(ccvs->comment, QStringLiteral("Cruise Control/Vehicle Speed 1"));
}

void tst_DbcReader::warningsCapped()
{
    QByteArray text = "VERSION \"\"\n";
    for (int i = 0; i < 3000; ++i)
        text += "garbage\n";
    DbcReader reader;
    QVERIFY(reader.parse(text, QStringLiteral("t.dbc")));
    QCOMPARE(reader.warningCount(), 3000);
    QCOMPARE(reader.warnings().size(), DbcReader::MaxWarnings + 1);
    QVERIFY(reader.warnings().first().startsWith(QLatin1String("t.dbc:2: ")));
    QVERIFY(reader.warnings().last().contains(QLatin1String("2000")));
}

void tst_DbcReader::notADbc_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("candump log") << QByteArray("(1.000000) can0 18FEF100#0102030405060708\n");
    QTest::newRow("XML") << QByteArray("<?xml version=\"1.0\"?><scheme/>\n");
    QTest::newRow("signals only") << QByteArray(" SG_ X : 0|8@1+ (1,0) [0|0] \"\" N\n");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 151 + 7) & 0xFF);
    QTest::newRow("binary") << binary;
}

void tst_DbcReader::notADbc()
{
    QFETCH(QByteArray, text);
    DbcReader reader;
    QVERIFY(!reader.parse(text, QStringLiteral("t.dbc")));
    QVERIFY(reader.errorString().startsWith(QLatin1String("t.dbc: ")));
    QVERIFY(reader.database().messages.isEmpty());
    QVERIFY(!reader.readFile(QStringLiteral("/nonexistent/t.dbc")));
    QVERIFY(reader.errorString().contains(QLatin1String("/nonexistent/t.dbc")));
}

void tst_DbcReader::agreesWithCanmatrix_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("recording"); // empty: random frames for the database's messages
    QTest::newRow("truck recording, demo database")
        << "css_j1939_demo.dbc" << TestEnvironment::dataFile("css_FCBF0606_j1939_truck_bam.log");
    QTest::newRow("random frames, demo database") << "css_j1939_demo.dbc" << QString();
    QTest::newRow("random frames, multiplexed database")
        << "css_tp_j1939_multiplexed.dbc" << QString();
}

// canmatrix decodes the same frames on its own; every value agrees within its signal's resolution.
void tst_DbcReader::agreesWithCanmatrix()
{
    QFETCH(QString, database);
    QFETCH(QString, recording);
    const DbcDatabase db = readData(database);
    QTemporaryDir dir;
    if (recording.isEmpty()) {
        // Random payloads from random sources; the multiplexor often holds one of its values.
        QRandomGenerator random(1939);
        QByteArray log;
        for (int i = 0; i < 400; ++i) {
            const DbcMessage &message = db.messages.at(int(random.bounded(db.messages.size())));
            const quint32 id
                = db.isJ1939() ? (message.id & ~0xFFu) | random.bounded(256u) : message.id;
            QByteArray data(8, '\0');
            for (char &byte : data)
                byte = char(random.bounded(256));
            const quint8 muxValues[] = {32, 96, 33, quint8(data[0])};
            data[0] = char(muxValues[random.bounded(4)]);
            log += QStringLiteral("(%1.000000) can0 %2#%3\n")
                       .arg(i)
                       .arg(id, 8, 16, QLatin1Char('0'))
                       .arg(QString::fromLatin1(data.toHex()))
                       .toLatin1();
        }
        recording = dir.filePath(QStringLiteral("random.log"));
        QVERIFY(TestEnvironment::writeFile(recording, log));
    }

    // The script exits with 3 when its python has no canmatrix; another python may have it.
    QByteArray reference;
    for (const QString &python : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        QProcess process;
        process.start(python, {QStringLiteral(TARVIK_TOOLS_DIR "/dbc_canmatrix.py"),
                               TestEnvironment::dataFile(database), recording});
        if (!process.waitForStarted())
            continue;
        QVERIFY(process.waitForFinished(60000));
        if (process.exitCode() == 3)
            continue;
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 process.readAllStandardError().constData());
        reference = process.readAllStandardOutput();
        break;
    }
    if (reference.isEmpty())
        QSKIP("python3 with canmatrix is not installed");

    CandumpReader frames;
    QVERIFY(frames.readFile(recording));
    QMap<int, QMap<QString, double>> ours;
    for (int i = 0; i < frames.frames().size(); ++i) {
        const CanMessage &frame = frames.frames().at(i).message;
        const DbcMessage *message = db.messageForFrame(frame.id, frame.extended);
        if (!message || frame.length < message->length)
            continue;
        for (const DbcDecodedSignal &one :
             DbcSignalCodec::decodeMessage(*message, frame.data, frame.length))
            ours[i].insert(message->signalList.at(one.signalIndex).name, one.value);
    }

    QMap<int, QMap<QString, double>> theirs;
    const QList<QByteArray> lines = reference.trimmed().split('\n');
    QCOMPARE(lines.first(), "frames " + QByteArray::number(frames.frames().size()));
    QMap<QString, double> resolution;
    for (const DbcMessage &message : db.messages) {
        for (const DbcSignal &signal : message.signalList)
            resolution.insert(signal.name, std::abs(signal.factor));
    }
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        QCOMPARE(fields.size(), 4);
        const QString name = QString::fromLatin1(fields.at(2));
        const double value = fields.at(3).toDouble();
        theirs[fields.at(0).toInt()].insert(name, value);
        QVERIFY2(std::abs(ours.value(fields.at(0).toInt()).value(name, qInf()) - value)
                     <= resolution.value(name) / 2,
                 qPrintable(QString::fromLatin1(lines.at(i))));
    }
    QVERIFY(lines.size() > 100);
    QCOMPARE(ours.keys(), theirs.keys());
    for (auto it = ours.cbegin(); it != ours.cend(); ++it)
        QCOMPARE(it.value().keys(), theirs.value(it.key()).keys());
}

QTEST_MAIN(tst_DbcReader)
#include "tst_dbcreader.moc"
