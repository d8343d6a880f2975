// The bus check end to end through the console program: a healthy recording made here is
// learned, then variants of it with one fault each are checked against what was learned.
#include "app/builtins.h"
#include "buscheck/deviation.h"
#include "can/recordingreader.h"
#include "can/recordingwriter.h"
#include "descriptions/candevicefactory.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "model/itemexpectation.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testenvironment.h"
#include "support/testfolder.h"

#include "clirun.h"
#include "expecteddeviation.h"

#include <QDomDocument>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {

enum Fault {
    Healthy,
    TransmissionRemoved, // 0x03 sends nothing from 10 s to 15 s
    EngineSlow,          // EEC1 every 100 ms instead of 50 ms from 10 s to 20 s
    EngineFast,          // EEC1 every 25 ms from 10 s to 20 s
    SpeedTooHigh,        // engine speed 3000 rpm from 10 s to 12 s
    TransmissionMoved,   // 0x03 claims 0x13 at 10 s and goes on there
    UnknownGroup,        // 0x03 sends FF10 from 10 s to 12 s
    AbortedTransfer,     // 0x00 announces a connection to 0x03 at 10 s, 0x03 aborts it
    ErrorIndicator,      // coolant temperature flagged as an error from 10 s to 11 s
    StrangerJoins,       // a unit at 0x42 sends from 20 s on
    CodeAppears,         // the engine's DM1 holds a code from 10 s to 12 s
    Flood,               // the engine floods the bus with requests from 10 s to 12 s
    OtherName,           // the engine claims its address with another NAME at 10 s
    TransmissionLate,    // 0x03 sends from 10 s on only
    TransmissionStops,   // 0x03 sends until 20 s only
};

constexpr double DurationS = 30;
const QByteArray EngineName = "0077665544332211"; // the NAME's bytes as sent
const QByteArray TransmissionName = "0377665544332211";

QByteArray le16(int value)
{
    return QByteArray::number((value & 0xFF) | 0x100, 16).right(2)
           + QByteArray::number(((value >> 8) & 0xFF) | 0x100, 16).right(2);
}

// Two units: the engine at 0x00 (EEC1 every 50 ms, ET1 every second) and the transmission at
// 0x03 (CCVS1 every 100 ms); both claim their address at the start. Written to `path`, which
// is returned (empty when it cannot be written).
QString recording(Fault fault, const QString &path)
{
    QVector<TimedFrame> frames;
    auto add = [&](double t, quint32 id, const QByteArray &hexData) {
        const QByteArray data = QByteArray::fromHex(hexData);
        frames.append(
            {qRound64(t * 1e6),
             CanMessage(id, reinterpret_cast<const quint8 *>(data.constData()), int(data.size()))});
    };
    add(0.0, 0x18EEFF00, EngineName);
    add(fault == TransmissionLate ? 9.999 : 0.001, 0x18EEFF03, TransmissionName);
    for (int k = 1; k * 0.025 < DurationS; ++k) {
        const double t = k * 0.025;
        const bool inFault = t >= 10 && t < 20;
        // EEC1: every other tick normally, every tick when fast, every fourth when slow.
        const int step = fault == EngineFast && inFault   ? 1
                         : fault == EngineSlow && inFault ? 4
                                                          : 2;
        if (k % step == 0) {
            int rpm = 1000 + int(200 * std::sin(t / 3));
            if (fault == SpeedTooHigh && t >= 10 && t < 12)
                rpm = 3000;
            add(t, 0x0CF00400, "F07D7D" + le16(rpm * 8) + "00F07D");
        }
        if (k % 40 == 0) {
            const bool error = fault == ErrorIndicator && t >= 10 && t < 11.5;
            add(t + 0.002, 0x18FEEE00, error ? "FE57202EFFFFFFFF" : "7E57202EFFFFFFFF");
        }
        if (k % 4 == 1) {
            const double tt = t + 0.005;
            const int speed = int((50 + 10 * std::cos(tt / 4)) * 256);
            const bool removed = (fault == TransmissionRemoved && tt >= 10 && tt < 15)
                                 || (fault == TransmissionLate && tt < 10)
                                 || (fault == TransmissionStops && tt >= 20);
            const bool moved = fault == TransmissionMoved && tt >= 10;
            if (!removed)
                add(tt, moved ? 0x18FEF113 : 0x18FEF103, "FF" + le16(speed) + "FFFFFFFFFF");
            if (fault == UnknownGroup && tt >= 10 && tt < 12)
                add(tt + 0.001, 0x18FF1003, "0102030405060708");
            if (fault == StrangerJoins && tt >= 20)
                add(tt + 0.002, 0x18FF2042, "0102030405060708");
        }
    }
    if (fault == TransmissionMoved)
        add(10.0, 0x18EEFF13, TransmissionName);
    if (fault == OtherName)
        add(10.0, 0x18EEFF00, "0177665544332211");
    for (int i = 0; i < 30; ++i) {
        // DM1 every second: no code, or SPN 100 FMI 1 twice seen, lamps on.
        const bool code = fault == CodeAppears && i >= 10 && i < 12;
        add(i + 0.5, 0x18FECA00, code ? "04FF640001020000" : "00FF00000000FFFF");
    }
    for (int i = 0; fault == Flood && i < 4000; ++i)
        add(10.0 + i * 0.0005, 0x18EAFF00, "00EE0000FFFFFFFF");
    if (fault == AbortedTransfer) {
        add(10.0, 0x1CEC0300, "10140003FFEBFE00");
        add(10.02, 0x1CEC0003, "FF03FFFFFFEBFE00");
    }
    std::stable_sort(frames.begin(), frames.end(),
                     [](const TimedFrame &a, const TimedFrame &b) { return a.timeUs < b.timeUs; });
    RecordingWriter writer;
    const bool written
        = writer.open(path, RecordingReader::Candump) && writer.write(frames) && writer.commit();
    return written ? path : QString();
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class tst_BusCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void deviations_data();
    void deviations();
    void expectationsSurviveSaveAndOpen();
    void junitHasACasePerLane();
    void learnsWhetherAUnitMayFallSilent_data();
    void learnsWhetherAUnitMayFallSilent();

private:
    QJsonArray check(Fault fault, int *code);

    TestFolder m_dir;
    QString m_expected;
};

void tst_BusCheck::initTestCase()
{
    TestEnvironment::init();
    registerBuiltIns();
    QVERIFY(m_dir.isValid());
    const QString healthy = recording(Healthy, m_dir.filePath(QStringLiteral("healthy.log")));
    m_expected = m_dir.filePath(QStringLiteral("expected.tvsx"));
    const CliRun r = CliRun::run({"learn", healthy, "-o", m_expected});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.out.contains(QStringLiteral("Learned 2 units")));
}

QJsonArray tst_BusCheck::check(Fault fault, int *code)
{
    const QString log
        = recording(fault, m_dir.filePath(QStringLiteral("fault%1.log").arg(int(fault))));
    const QString json = m_dir.filePath(QStringLiteral("fault%1.json").arg(int(fault)));
    const CliRun r = CliRun::run({"check", "--scheme", m_expected, log, "--json", json});
    *code = r.code;
    const QJsonObject root = QJsonDocument::fromJson(TestEnvironment::readFile(json)).object();
    // The text lists the same deviations, one line each, and a summary.
    if (r.out.count(QLatin1Char('\n')) != root.value("deviations").toArray().size() + 1)
        return {QStringLiteral("text and JSON disagree: ") + r.out};
    return root.value("deviations").toArray();
}

void tst_BusCheck::deviations_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QVector<ExpectedDeviation>>("expected");
    const auto row = [](const char *name, Fault fault, const char *kind, int address, double start,
                        double end) {
        QTest::newRow(name) << fault << QVector<ExpectedDeviation>{{kind, address, start, end}};
    };
    QTest::newRow("learned recording matches") << Healthy << QVector<ExpectedDeviation>{};
    // The unit's silence starts five periods (100 ms + 24 ms each) after its last frame.
    row("unit removed for 5 s", TransmissionRemoved, "silent", 0x03, 9.93 + 0.62, 15.03);
    // The mean over eight gaps leaves the 20 % band after two slow gaps and comes back seven
    // gaps after the period does.
    row("period doubled", EngineSlow, "late", 0x00, 10.2, 20.35);
    row("period halved", EngineFast, "too-fast", 0x00, 10.1, 20.25);
    row("value out of range", SpeedTooHigh, "out-of-range", 0x00, 10.0, 12.0);
    row("error indicator", ErrorIndicator, "error-indicator", 0x00, 10.002, 12.002);
    row("unit at another address", TransmissionMoved, "moved", 0x03, 10.0, 29.93);
    row("unknown group", UnknownGroup, "unexpected-group", 0x03, 10.031, 11.931);
    row("aborted transfer", AbortedTransfer, "transport-aborted", 0x00, 10.0, 10.02);
    row("trouble code", CodeAppears, "trouble-code", 0x00, 10.5, 12.5);
    // 2000 frames a second of 131 bits: above 80 % of 250 kbit/s in the seconds from 10 to 12.
    row("bus load", Flood, "bus-load", -1, 10.0, 12.0);
    row("another NAME at the address", OtherName, "identification", 0x00, 10.0, 10.0);
    row("unexpected unit", StrangerJoins, "unexpected-unit", 0x42, 20.032, 29.932);
}

void tst_BusCheck::deviations()
{
    QFETCH(Fault, fault);
    QFETCH(QVector<ExpectedDeviation>, expected);
    const double slack = 0.001;
    int code = -1;
    const QJsonArray found = check(fault, &code);
    QByteArray list;
    for (const QJsonValue &v : found)
        list += QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact) + '\n';
    QVERIFY2(found.size() == expected.size(), list.constData());
    QCOMPARE(code, expected.isEmpty() ? 0 : 1);
    for (int i = 0; i < expected.size(); ++i) {
        const QJsonObject d = found.at(i).toObject();
        QCOMPARE(d.value("kind").toString(), expected.at(i).kind);
        QCOMPARE(d.value("address").toInt(-1), expected.at(i).address);
        QVERIFY2(std::abs(d.value("start").toDouble() - expected.at(i).start) <= slack, list);
        QVERIFY2(std::abs(d.value("end").toDouble() - expected.at(i).end) <= slack, list);
        QVERIFY(!d.value("rule").toString().isEmpty());
    }
}

void tst_BusCheck::expectationsSurviveSaveAndOpen()
{
    // What learn wrote opens as a scheme whose items carry it, and saves back the same.
    const QByteArray learned = TestEnvironment::readFile(m_expected);
    const std::unique_ptr<CanDeviceFactory> catalogue = CanDeviceFactory::create();
    DeviceDispatcher dispatcher;
    dispatcher.setCatalogue(catalogue.get());
    SchemeTreeModel model;
    SchemeController controller(&model, nullptr);
    controller.setDispatcher(&dispatcher);
    QVERIFY2(controller.load(learned, m_expected), qPrintable(controller.lastError()));
    auto cleanup = qScopeGuard([&controller] { controller.clearScheme(); });
    QDomDocument original;
    QVERIFY(original.setContent(learned));
    const QDomDocument saved = controller.toDocument();
    const QDomNodeList before = original.elementsByTagName(QStringLiteral("expect"));
    const QDomNodeList after = saved.elementsByTagName(QStringLiteral("expect"));
    QVERIFY(before.size() >= 4); // two units, EEC1, ET1, CCVS1 at least
    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        const ItemExpectation a = ItemExpectation::load(before.at(i).parentNode().toElement());
        const ItemExpectation b = ItemExpectation::load(after.at(i).parentNode().toElement());
        QVERIFY(!a.isEmpty());
        QVERIFY(a == b);
    }
    // The engine's EEC1: its period and the range of the engine speed.
    bool found = false;
    for (int i = 0; i < after.size(); ++i) {
        const QDomElement item = after.at(i).parentNode().toElement();
        if (item.attribute(QStringLiteral("address")) != QLatin1String("f004"))
            continue;
        const ItemExpectation x = ItemExpectation::load(item);
        QCOMPARE(x.periodMs, 50);
        const ItemExpectation::Range *speed = x.range(QStringLiteral("SPN190"));
        QVERIFY(speed && speed->hasLimits);
        QVERIFY(speed->minimum < 800 && speed->minimum > 600);
        QVERIFY(speed->maximum > 1200 && speed->maximum < 1400);
        found = true;
    }
    QVERIFY(found);
}

void tst_BusCheck::junitHasACasePerLane()
{
    const QString log = recording(TransmissionRemoved, m_dir.filePath(QStringLiteral("junit.log")));
    const QString junit = m_dir.filePath(QStringLiteral("check.xml"));
    const CliRun r = CliRun::run({"check", "--scheme", m_expected, log, "--junit", junit});
    QCOMPARE(r.code, 1);
    QDomDocument doc;
    QVERIFY(doc.setContent(TestEnvironment::readFile(junit)));
    const QDomElement suite = doc.documentElement().firstChildElement(QStringLiteral("testsuite"));
    const QDomNodeList cases = suite.elementsByTagName(QStringLiteral("testcase"));
    QCOMPARE(suite.attribute(QStringLiteral("tests")).toInt(), cases.size());
    QCOMPARE(suite.attribute(QStringLiteral("failures")).toInt(), 1);
    QStringList failing;
    QSet<QString> classes;
    for (int i = 0; i < cases.size(); ++i) {
        const QDomElement c = cases.at(i).toElement();
        classes.insert(c.attribute(QStringLiteral("classname")));
        if (!c.firstChildElement(QStringLiteral("failure")).isNull())
            failing << c.attribute(QStringLiteral("classname")) + '/' + c.attribute("name");
    }
    // Both units with their functions, and the bus.
    QVERIFY2(cases.size() >= 6, qPrintable(QString::number(cases.size())));
    QVERIFY(classes.size() >= 3);
    QCOMPARE(failing.size(), 1);
    QVERIFY2(failing.first().contains(QStringLiteral("(0x03)")), qPrintable(failing.first()));
    QVERIFY(failing.first().endsWith(QStringLiteral("/unit")));
}

void tst_BusCheck::learnsWhetherAUnitMayFallSilent_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("presence");
    QTest::newRow("there throughout") << Healthy << int(ItemExpectation::Present);
    QTest::newRow("silent in between") << TransmissionRemoved << int(ItemExpectation::Intermittent);
    QTest::newRow("silent at the end") << TransmissionStops << int(ItemExpectation::Intermittent);
    // Switched on (or added as a stand-in) while learning: expected from then on.
    QTest::newRow("came late") << TransmissionLate << int(ItemExpectation::Present);
}

void tst_BusCheck::learnsWhetherAUnitMayFallSilent()
{
    QFETCH(Fault, fault);
    QFETCH(int, presence);
    const QString log
        = recording(fault, m_dir.filePath(QStringLiteral("presence%1.log").arg(int(fault))));
    const QString learned = m_dir.filePath(QStringLiteral("presence%1.tvsx").arg(int(fault)));
    const CliRun r = CliRun::run({"learn", log, "-o", learned});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QDomDocument doc;
    QVERIFY(doc.setContent(TestEnvironment::readFile(learned)));
    bool found = false;
    for (QDomElement device = doc.documentElement().firstChildElement(QStringLiteral("device"));
         !device.isNull(); device = device.nextSiblingElement(QStringLiteral("device"))) {
        if (device.attribute(QStringLiteral("address")) != QLatin1String("3"))
            continue;
        QCOMPARE(int(ItemExpectation::load(device).presence), presence);
        found = true;
    }
    QVERIFY(found);
}

QTEST_GUILESS_MAIN(tst_BusCheck)
#include "tst_buscheck.moc"
