#include "diagnostics/componentidfunction.h"
#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/identificationcodec.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/vehicleidfunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"
#include "model/tpconnection.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <memory>
#include <vector>

namespace Codec = IdentificationCodec;

// Component, vehicle and DM19 calibration identification: decoded from what units send, encoded
// when the tool stands in for a unit, and taken whichever way the message comes.
class tst_IdentificationMessages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void component_data();
    void component();
    void vin_data();
    void vin();
    void dm19_data();
    void dm19();
    void encode_data();
    void encode();
    void summary_data();
    void summary();
    void registered_data();
    void registered();
    void arrivesEveryWay_data();
    void arrivesEveryWay();
    void severalUnitsAnswerOneGlobalRequest();

private:
    TestCanHandler *m_handler = nullptr;
};

namespace {

// A DM19 record: the CVN least significant byte first, then the CAL ID padded to 16 bytes.
QByteArray record(quint32 cvn, const QByteArray &calId, char pad = '\0')
{
    QByteArray r;
    for (int i = 0; i < 4; ++i)
        r += char(cvn >> (8 * i));
    return r + calId + QByteArray(16 - calId.size(), pad);
}

// "CALID CVN" per calibration, as the Details list would read them.
QStringList calibrationRows(const Codec::Calibrations &list)
{
    QStringList rows;
    for (const Codec::Calibration &c : list)
        rows << c.calId + QLatin1Char(' ') + Codec::cvnText(c.cvn);
    return rows;
}

} // namespace

void tst_IdentificationMessages::initTestCase()
{
    TestEnvironment::init();
    registerDiagnosticsFunctions();
    const int registered = J1939Reg::descriptions().size();
    registerDiagnosticsFunctions(); // twice changes nothing
    QCOMPARE(J1939Reg::descriptions().size(), registered);
}

void tst_IdentificationMessages::init()
{
    delete m_handler;
    m_handler = new TestCanHandler(nullptr, this);
    QVERIFY(m_handler->start());
    m_handler->bus()->setTransportTiming(quickTiming(5, 255));
}

void tst_IdentificationMessages::component_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("fields"); // make, model, serial number, unit number
    QTest::newRow("four fields") << QByteArray("ZTX*MC2*SN0417*A0*")
                                 << QStringList{"ZTX", "MC2", "SN0417", "A0"};
    QTest::newRow("empty fields") << QByteArray("**SN0417**") << QStringList{"", "", "SN0417", ""};
    QTest::newRow("missing trailing fields")
        << QByteArray("ZTX*MC2*") << QStringList{"ZTX", "MC2", "", ""};
    QTest::newRow("no \"*\": the make alone")
        << QByteArray("ZTX") << QStringList{"ZTX", "", "", ""};
    QTest::newRow("last field without its \"*\"")
        << QByteArray("A*B*C*D") << QStringList{"A", "B", "C", "D"};
    QTest::newRow("zero byte ends the text")
        << QByteArray("A*B\0C*D*", 8) << QStringList{"A", "B", "", ""};
    QTest::newRow("0xFF padding of a single frame")
        << QByteArray("A*B*C*\xff\xff", 8) << QStringList{"A", "B", "C", ""};
    QTest::newRow("beyond the fourth field ignored")
        << QByteArray("A*B*C*D*E*") << QStringList{"A", "B", "C", "D"};
    QTest::newRow("empty") << QByteArray() << QStringList{"", "", "", ""};
    QTest::newRow("only zero bytes") << QByteArray(8, '\0') << QStringList{"", "", "", ""};
    QTest::newRow("multi-packet, 60 bytes")
        << QByteArray(QByteArray(20, 'M') + '*' + QByteArray(20, 'O') + '*' + "S123456*U1234567*")
        << QStringList{QString(20, 'M'), QString(20, 'O'), "S123456", "U1234567"};
}

void tst_IdentificationMessages::component()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, fields);
    ComponentIdFunction f;
    QVERIFY(f.dispatchBroadcastData(data));
    QStringList decoded;
    for (int i = ComponentIdFunction::Make; i <= ComponentIdFunction::UnitNumber; ++i) {
        decoded << f.stringParameter(i)->value();
        QVERIFY(f.stringParameter(i)->isValid());
    }
    QCOMPARE(decoded, fields);
    // Standing in, the unit sends the same fields back.
    ComponentIdFunction echo;
    echo.decode(f.encode());
    for (int i = ComponentIdFunction::Make; i <= ComponentIdFunction::UnitNumber; ++i)
        QCOMPARE(echo.stringParameter(i)->value(), fields.at(i));
}

void tst_IdentificationMessages::vin_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("vin");
    QTest::newRow("17 characters and \"*\"")
        << QByteArray("1L06130RELP969468*") << "1L06130RELP969468";
    QTest::newRow("no \"*\"") << QByteArray("WDB9634031L123456") << "WDB9634031L123456";
    QTest::newRow("zero byte ends it") << QByteArray("ABC\0DEF*", 8) << "ABC";
    QTest::newRow("0xFF padding of a single frame")
        << QByteArray("ABC\xff\xff\xff\xff\xff", 8) << "ABC";
    QTest::newRow("only \"*\"") << QByteArray("*") << "";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("text after the \"*\" ignored") << QByteArray("ABC*DEF*") << "ABC";
    QTest::newRow("no \"*\", other bytes after it (a truck's engine)")
        << QByteArray("1L06130RELP969468>,\x05)]\x07\x01'\x01\x01") << "1L06130RELP969468";
    QTest::newRow("at most 200 characters") << QByteArray(250, 'V') << QString(200, 'V');
}

void tst_IdentificationMessages::vin()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, vin);
    VehicleIdFunction f;
    QVERIFY(f.dispatchBroadcastData(data));
    QCOMPARE(f.stringParameter(0)->value(), vin);
    QCOMPARE(f.encode(), vin.toLatin1() + '*');
}

void tst_IdentificationMessages::dm19_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("one calibration")
        << record(0x1234ABCD, "CAL-ENGINE-01") << QStringList{"CAL-ENGINE-01 0x1234ABCD"};
    QTest::newRow("CAL ID padded with 0xFF")
        << record(0x00000001, "BOOT", '\xff') << QStringList{"BOOT 0x00000001"};
    QTest::newRow("CAL ID of 16 characters")
        << record(0xCAFEF00D, "ABCDEFGHIJKLMNOP") << QStringList{"ABCDEFGHIJKLMNOP 0xCAFEF00D"};
    QTest::newRow("CVN not available") << record(0xFFFFFFFF, "NOCVN") << QStringList{"NOCVN n/a"};
    QTest::newRow("CVN zero is a number") << record(0, "ZERO") << QStringList{"ZERO 0x00000000"};
    QTest::newRow("partial record ignored")
        << record(5, "FIRST") + QByteArray(10, 'x') << QStringList{"FIRST 0x00000005"};
    QTest::newRow("less than one record") << QByteArray(19, 'x') << QStringList{};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QByteArray many;
    QStringList manyRows;
    for (int i = 0; i < 12; ++i) {
        const QByteArray id = "CAL" + QByteArray::number(i);
        many += record(quint32(0x01000000 * i + i), id);
        manyRows << QString::fromLatin1(id) + QLatin1Char(' ')
                        + Codec::cvnText(quint32(0x01000000 * i + i));
    }
    QTest::newRow("12 calibrations, 240 bytes") << many << manyRows;
}

void tst_IdentificationMessages::dm19()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, rows);
    DM19Function f;
    QVERIFY(f.dispatchBroadcastData(data));
    QCOMPARE(calibrationRows(f.calibrations()), rows);
    QCOMPARE(f.intParameter(DM19Function::Count)->value(), rows.size());
    // What the unit sent, as the tool sends it standing in: whole records, zero padding.
    const QByteArray whole = data.left(data.size() / 20 * 20);
    if (!whole.contains('\xff') || rows.isEmpty() || rows.first().endsWith(QLatin1String("n/a")))
        QCOMPARE(f.encode().toHex(), whole.toHex());
    if (!rows.isEmpty())
        QVERIFY2(f.textDataImpl().contains(rows.first().section(QLatin1Char(' '), 0, 0)),
                 qPrintable(f.textDataImpl()));
}

void tst_IdentificationMessages::encode_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("values"); // the function's string parameters, in order
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("component: four fields")
        << "ci" << QStringList{"ZTX", "MC2", "SN1", "A0"} << QByteArray("ZTX*MC2*SN1*A0*");
    QTest::newRow("component: empty fields keep their \"*\"")
        << "ci" << QStringList{"", "MC2", "", ""} << QByteArray("*MC2***");
    QTest::newRow("vin") << "vi" << QStringList{"1L06130RELP969468"}
                         << QByteArray("1L06130RELP969468*");
    QTest::newRow("vin empty") << "vi" << QStringList{""} << QByteArray("*");
    QTest::newRow("dm19: two calibrations, one without CVN")
        << "dm19" << QStringList{"", "ENG-A (0x1234ABCD); BOOT (n/a)"}
        << record(0x1234ABCD, "ENG-A") + record(0xFFFFFFFF, "BOOT");
    QTest::newRow("dm19: a CAL ID longer than 16 characters is cut")
        << "dm19" << QStringList{"", "ABCDEFGHIJKLMNOPQRS (0x00000002)"}
        << record(2, "ABCDEFGHIJKLMNOP");
    QTest::newRow("dm19: none sends nothing") << "dm19" << QStringList{"", ""} << QByteArray();
}

void tst_IdentificationMessages::encode()
{
    QFETCH(QString, key);
    QFETCH(QStringList, values);
    QFETCH(QByteArray, bytes);
    J1939PgnDescription d;
    QVERIFY(J1939Reg::findKey(key, &d));
    J1939Device unit(0x21);
    m_handler->adopt(&unit);
    auto *f = qobject_cast<IdentificationFunction *>(d.creator(&unit));
    QVERIFY(f);
    for (int i = 0; i < values.size(); ++i) {
        if (auto *p = dynamic_cast<ZxStringParameter *>(f->parameters().at(i)))
            p->setValue(values.at(i));
    }
    QCOMPARE(f->encode().toHex(), bytes.toHex());
    // Standing in, a request makes the unit send it: one frame, or a broadcast when longer.
    f->transmitState();
    const QVector<CanMessage> sent = m_handler->writtenFrames();
    if (bytes.isEmpty()) {
        QVERIFY(sent.isEmpty());
    } else if (bytes.size() <= 8) {
        QCOMPARE(sent.size(), 1);
        QCOMPARE(payloadOf(sent.first()), bytes);
    } else {
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.first().pduFormat(), quint8(0xEC));
        QCOMPARE(int(sent.first().data[1]), int(bytes.size()));
    }
}

void tst_IdentificationMessages::summary_data()
{
    QTest::addColumn<quint32>("pgn");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("shown");
    const quint32 ecu = Codec::PgnEcu;
    // An identification text may carry any byte; the ECU's keeps its delimiters.
    QTest::newRow("control characters written out")
        << ecu << QByteArray("1L0>,\x05)]\x07\x01'*") << "1L0>,\\x05)]\\x07\\x01'*";
    QTest::newRow("escape of a terminal") << ecu << QByteArray("A\x1b[2JB*") << "A\\x1B[2JB*";
    QTest::newRow("Latin-1 letters kept")
        << ecu << QByteArray("M\xfcller*") << QString::fromLatin1("M\xfcller*");
    QTest::newRow("C1 control") << ecu
                                << QByteArray("A\x9b"
                                              "B*")
                                << "A\\x9BB*";
    // Software: the count byte, then the fields, each closed by "*".
    const quint32 software = Codec::PgnSoftware;
    QTest::newRow("one field") << software << QByteArray("\x01V1 0211*") << "V1 0211";
    QTest::newRow("two fields") << software << QByteArray("\x02MC2 4.1.7*BOOT 1.3*")
                                << "MC2 4.1.7, BOOT 1.3";
    QTest::newRow("last field without its delimiter")
        << software << QByteArray("\x02V1*V2") << "V1, V2";
    QTest::newRow("padded frame") << software << QByteArray("\x01V1*\xff\xff\xff") << "V1";
    QTest::newRow("count byte only") << software << QByteArray("\x00", 1) << "";
}

void tst_IdentificationMessages::summary()
{
    QFETCH(quint32, pgn);
    QFETCH(QByteArray, data);
    QFETCH(QString, shown);
    QCOMPARE(Codec::summary(pgn, data), shown);
}

void tst_IdentificationMessages::registered_data()
{
    QTest::addColumn<quint32>("pgn");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("description");
    QTest::newRow("component") << 0xFEEBu << "ci"
                               << "Component Identification";
    QTest::newRow("vehicle") << 0xFEECu << "vi"
                             << "Vehicle Identification";
    QTest::newRow("dm19") << 0xD300u << "dm19"
                          << "DM19 - Calibration Information";
    QTest::newRow("ecu") << 0xFDC5u << "ecuid"
                         << "ECU Identification";
    QTest::newRow("software") << 0xFEDAu << "soft"
                              << "Soft";
    QTest::newRow("engine configuration") << 0xFEE3u << "ec1"
                                          << "Engine Configuration 1";
    QTest::newRow("address claim") << 0xEE00u << "addrclaim"
                                   << "Address Claimed";
}

void tst_IdentificationMessages::registered()
{
    QFETCH(quint32, pgn);
    QFETCH(QString, key);
    QFETCH(QString, description);
    J1939PgnDescription d;
    QVERIFY(J1939Reg::find(pgn, &d));
    QCOMPARE(d.key, key);
    QCOMPARE(d.name, description);
    J1939Device unit(0x21);
    std::unique_ptr<AbstractDisplayableItem> f(d.creator(&unit));
    auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(f.get());
    QVERIFY(function);
    QCOMPARE(function->pgnValue(), pgn);
    // DM19 and the address claim are addressed (PDU1): any destination is the same group.
    QVERIFY(f->matchMessage(makeFrame(0x18000021u | pgn << 8 | (pgn < 0xF000 ? 0xF900 : 0), {})));
    QVERIFY(!f->matchMessage(makeFrame(0x18000021u | (pgn + 0x100) << 8, {})));
    QVERIFY(!J1939Reg::find(0x1234, &d)); // a group nobody registered
}

void tst_IdentificationMessages::arrivesEveryWay_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<quint32>("pgn");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("summary");
    const QByteArray component("ZTX*MC2*SN0417*A0*");
    const QByteArray dm19 = record(0x1234ABCD, "CAL-ENGINE-01") + record(7, "BOOT");
    QTest::newRow("VIN in one frame")
        << "frame" << 0xFEECu << QByteArray("ABC*\xff\xff\xff\xff") << "ABC";
    QTest::newRow("component by broadcast")
        << "bam" << 0xFEEBu << component
        << "make ZTX, model MC2, serial number SN0417, unit number A0";
    QTest::newRow("DM19 by broadcast")
        << "bam" << 0xD300u << dm19 << "CAL-ENGINE-01 (0x1234ABCD); BOOT (0x00000007)";
    QTest::newRow("component to the tool by connection")
        << "rts" << 0xFEEBu << component
        << "make ZTX, model MC2, serial number SN0417, unit number A0";
    QTest::newRow("DM19 to the tool by connection")
        << "rts" << 0xD300u << dm19 << "CAL-ENGINE-01 (0x1234ABCD); BOOT (0x00000007)";
    QTest::newRow("VIN to the tool by connection")
        << "rts" << 0xFEECu << QByteArray("1L06130RELP969468*") << "1L06130RELP969468";
}

void tst_IdentificationMessages::arrivesEveryWay()
{
    QFETCH(QString, way);
    QFETCH(quint32, pgn);
    QFETCH(QByteArray, data);
    QFETCH(QString, summary);
    constexpr quint8 Unit = 0x21;
    constexpr quint8 Tool = OffBoardDiagnosticDevice::DefaultAddress;
    J1939PgnDescription d;
    QVERIFY(J1939Reg::find(pgn, &d));
    J1939Device unit(Unit);
    auto *own = qobject_cast<IdentificationFunction *>(d.creator(&unit));
    QVERIFY(own);
    OffBoardDiagnosticDevice tool;
    auto *toolFunction = qobject_cast<IdentificationFunction *>(tool.functionForPgn(pgn));
    QVERIFY(toolFunction);
    DispatchResult r;
    IdentificationFunction *taker = own;
    if (way == QLatin1String("frame")) {
        QVERIFY(unit.dispatchMessage(frameOf(0x18000000u | pgn << 8 | Unit, data), &r));
    } else if (way == QLatin1String("bam")) {
        for (const CanMessage &m : tpFrames(Unit, 0xFF, pgn, data)) {
            r = DispatchResult();
            unit.dispatchMessage(m, &r);
        }
        QCOMPARE(r.payload, data);
    } else {
        taker = toolFunction;
        const QVector<CanMessage> frames = tpFrames(Unit, Tool, pgn, data);
        QVERIFY(tool.dispatchTargetMessage(frames.first(), &r));
        for (const CanMessage &m : frames.mid(1))
            tool.dispatchTargetMessage(m, &r);
        const OffBoardDiagnosticDevice::LongMessage last = tool.lastLongMessage();
        QCOMPARE(last.peer, Unit);
        QCOMPARE(last.pgn, pgn);
        QCOMPARE(last.data, data);
        QCOMPARE(last.serial, quint64(1));
    }
    QCOMPARE(taker->totalEvents(), qint64(1));
    // The function shows what the message says, the same text the identification box shows.
    QCOMPARE(Codec::summary(pgn, data), summary);
    QCOMPARE(taker->encode(),
             data.left(data.indexOf('\xff') < 0 ? data.size() : data.indexOf('\xff')));
}

// Every unit answers a request to all by its own broadcast, at the same time: the packets of
// the three broadcasts interleave on the bus, and each unit's function gets its own VIN.
void tst_IdentificationMessages::severalUnitsAnswerOneGlobalRequest()
{
    const quint8 addresses[] = {0x00, 0x21, 0x3D};
    const QByteArray vins[] = {"WDB9634031L000001*", "X89TVK290R0000417*", "ZTXDEMO0000000418*"};
    std::vector<std::unique_ptr<J1939Device>> units;
    QVector<IdentificationFunction *> functions;
    QVector<QVector<CanMessage>> broadcasts; // per unit: announcement and three packets
    J1939PgnDescription d;
    QVERIFY(J1939Reg::find(0xFEEC, &d));
    for (int i = 0; i < 3; ++i) {
        units.push_back(std::make_unique<J1939Device>(addresses[i]));
        functions << qobject_cast<IdentificationFunction *>(d.creator(units.back().get()));
        QVERIFY(functions.last());
        broadcasts << tpFrames(addresses[i], 0xFF, 0xFEEC, vins[i]);
    }
    // Offered as the dispatcher does: to every unit whose address sent the frame.
    auto offer = [&units](const CanMessage &m) {
        for (const auto &unit : units) {
            DispatchResult r;
            if (unit->matchMessage(m))
                unit->dispatchMessage(m, &r);
        }
    };
    for (int i = 0; i < 3; ++i)
        offer(broadcasts[i].first());
    for (int packet = 1; packet <= 3; ++packet) {
        for (int i = 2; i >= 0; --i)
            offer(broadcasts[i].at(packet));
    }
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(functions.at(i)->totalEvents(), qint64(1));
        QCOMPARE(functions.at(i)->stringParameter(0)->value(),
                 QString::fromLatin1(vins[i].left(17)));
    }
}

QTEST_MAIN(tst_IdentificationMessages)
#include "tst_identificationmessages.moc"
