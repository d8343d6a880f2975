#include "demo/demounits.h"
#include "demobuspeer.h"
#include "demolayouts.h"
#include "descriptions/spnnames.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <algorithm>

// The demo bus's engine and controller answering a service visit, decoded here by the agreed
// layouts: what each group carries, how it travels, the clear loop, DM13.

using namespace DemoLayouts;

namespace {

static_assert(Engine == DemoUnits::EngineAddress, "the layouts' engine is the demo's");
constexpr quint8 Controller = DemoUnits::ControllerAddress;
constexpr quint32 Dm2 = 0xFECB, Dm3 = 0xFECC, Dm4 = 0xFECD, Dm5 = 0xFECE, Dm11 = 0xFED3,
                  Dm19 = 0xD300, Dm24 = 0xFDB6, Dm25 = 0xFDB7, Component = 0xFEEB, Vin = 0xFEEC,
                  Ecuid = 0xFDC5, Soft = 0xFEDA;

// Heal, return and DM13 hold time-out; the intermittent code heals only where a test waits
// for it.
DemoUnits::Timing fastTiming(int healMs = 60000)
{
    return {healMs, 400, 700};
}

} // namespace

class tst_DemoUnits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void activeAndPreviousCodes();
    void intermittentCodeHeals();
    void freezeFrames();
    void expandedFreezeFrames();
    void readinessMatchesCodes();
    void identification_data();
    void identification();
    void identificationAskedAllAtOnce();
    void acknowledgements_data();
    void acknowledgements();
    void clearLoop();
    void broadcastSuspension_data();
    void broadcastSuspension();
    void holdKeepsSuspendedUntilItStops();

private:
    void startBus(const DemoUnits::Timing &timing);

    std::unique_ptr<SimulatedBus> m_bus;
    std::unique_ptr<DemoBusPeer> m_peer;
};

void tst_DemoUnits::init()
{
    startBus(fastTiming());
}

void tst_DemoUnits::startBus(const DemoUnits::Timing &timing)
{
    m_peer.reset();
    m_bus = std::make_unique<SimulatedBus>();
    DemoUnits::addTimed(m_bus.get(), timing);
    m_peer = std::make_unique<DemoBusPeer>(m_bus.get());
    m_peer->poll(); // the units' clocks start
}

void tst_DemoUnits::cleanup()
{
    m_peer.reset();
    m_bus.reset();
}

void tst_DemoUnits::answers_data()
{
    QTest::addColumn<quint32>("pgn");
    QTest::addColumn<quint8>("destination");
    QTest::addColumn<quint8>("source");
    QTest::addColumn<int>("path");
    const int single = DemoBusPeer::Single, bam = DemoBusPeer::Broadcast,
              connection = DemoBusPeer::Connection;
    QTest::newRow("DM1 of the engine: connection") << Dm1 << Engine << Engine << connection;
    QTest::newRow("DM1 of the controller asked of all: one frame")
        << Dm1 << Global << Controller << single;
    QTest::newRow("DM2 of the engine: connection") << Dm2 << Engine << Engine << connection;
    QTest::newRow("DM2 of the controller: one frame") << Dm2 << Controller << Controller << single;
    QTest::newRow("DM2 asked of all: BAM") << Dm2 << Global << Engine << bam;
    QTest::newRow("DM4 of the engine: connection") << Dm4 << Engine << Engine << connection;
    QTest::newRow("DM4 asked of all: BAM") << Dm4 << Global << Engine << bam;
    QTest::newRow("DM5 of the engine: one frame") << Dm5 << Engine << Engine << single;
    QTest::newRow("DM5 of the controller: one frame") << Dm5 << Controller << Controller << single;
    QTest::newRow("DM24 of the engine: connection") << Dm24 << Engine << Engine << connection;
    QTest::newRow("DM25 of the engine: connection") << Dm25 << Engine << Engine << connection;
    QTest::newRow("DM25 asked of all: BAM") << Dm25 << Global << Engine << bam;
    QTest::newRow("component of the controller asked of all: BAM")
        << Component << Global << Controller << bam;
    QTest::newRow("VIN asked of all: BAM") << Vin << Global << Engine << bam;
    QTest::newRow("DM19 of the controller: connection")
        << Dm19 << Controller << Controller << connection;
    QTest::newRow("software identification of the controller: connection")
        << Soft << Controller << Controller << connection;
}

void tst_DemoUnits::answers()
{
    QFETCH(quint32, pgn);
    QFETCH(quint8, destination);
    QFETCH(quint8, source);
    QFETCH(int, path);
    m_peer->packetsPerCts = 2;
    const DemoBusPeer::Message m = m_peer->ask(pgn, destination, source);
    QCOMPARE(m.source, source);
    QCOMPARE(int(m.path), path);
    QVERIFY(!m.data.isEmpty());
    if (path == DemoBusPeer::Connection) {
        QCOMPARE(m.destination, m_peer->address());
        // The tool's CTS frames pace the packets: two at a time, never more.
        QVERIFY(m.data.size() > 14 ? m_peer->ctsCount >= 2 : m_peer->ctsCount >= 1);
        QCOMPARE(m_peer->outOfWindowPackets, 0);
        QCOMPARE(m_peer->abortsReceived, 0);
    } else if (path == DemoBusPeer::Broadcast) {
        QCOMPARE(m.destination, Global);
        QVERIFY(m.data.size() > 8);
    } else {
        QCOMPARE(m.data.size(), 8);
    }
    // A unit other than the one asked sends nothing for a request addressed to one unit.
    if (destination != Global) {
        m_peer->run(150);
        for (const DemoBusPeer::Message &other : m_peer->messages)
            QVERIFY(other.pgn != pgn || other.source == destination);
    }
}

void tst_DemoUnits::activeAndPreviousCodes()
{
    const QByteArray dm1 = m_peer->ask(Dm1, Engine, Engine).data;
    const QVector<Dtc> active = codesOf(dm1);
    QCOMPARE(active.size(), 3);
    QVERIFY(hasCode(active, 110, 16, 3)); // coolant temperature high
    QVERIFY(hasCode(active, 100, 18, 1)); // oil pressure low
    QVERIFY(hasCode(active, 102, 4, 2));  // boost pressure sensor voltage low
    QCOMPARE(lamp(dm1, Mil), 1);
    QCOMPARE(lamp(dm1, Awl), 1);
    QCOMPARE(lamp(dm1, Rsl), 0);
    QCOMPARE(quint8(dm1.at(1)), quint8(0xFF)); // no lamp flashes

    const QVector<Dtc> previous = codesOf(m_peer->ask(Dm2, Engine, Engine).data);
    QCOMPARE(previous.size(), 2);
    QVERIFY(hasCode(previous, 168, 1, 4));
    QVERIFY(hasCode(previous, 91, 3, 2));

    // DM1 is broadcast every second, by BAM while it holds more than one code.
    m_peer->clear();
    QVERIFY(m_peer->waitFor([&] { return m_peer->from(Engine, Dm1).size() >= 2; }, 3000));
    const auto broadcasts = m_peer->from(Engine, Dm1);
    QCOMPARE(int(broadcasts.at(0).path), int(DemoBusPeer::Broadcast));
    QCOMPARE(codesOf(broadcasts.at(0).data), active);
    const qint64 period = broadcasts.at(1).atMs - broadcasts.at(0).atMs;
    QVERIFY2(period >= 800 && period <= 1500, qPrintable(QString::number(period)));
}

void tst_DemoUnits::intermittentCodeHeals()
{
    // The boost sensor's code leaves DM1 for DM2 after the heal time, and the MIL goes out.
    startBus(fastTiming(400));
    QVERIFY(hasCode(codesOf(m_peer->ask(Dm1, Engine, Engine).data), 102, 4, 2));
    QByteArray dm1;
    QVERIFY(m_peer->waitFor([&] {
        const auto all = m_peer->from(Engine, Dm1);
        if (all.isEmpty())
            return false;
        dm1 = all.last().data;
        return !hasCode(codesOf(dm1), 102, 4);
    }));
    QCOMPARE(codesOf(dm1).size(), 2);
    QCOMPARE(lamp(dm1, Mil), 0);
    QCOMPARE(lamp(dm1, Awl), 1);
    const QVector<Dtc> previous = codesOf(m_peer->ask(Dm2, Engine, Engine).data);
    QVERIFY(hasCode(previous, 102, 4, 2));
    QCOMPARE(previous.size(), 3);
}

void tst_DemoUnits::freezeFrames()
{
    const QVector<Dm4Record> records = dm4Records(m_peer->ask(Dm4, Engine, Engine).data);
    const QVector<Dtc> known = codesOf(m_peer->ask(Dm1, Engine, Engine).data)
                               + codesOf(m_peer->ask(Dm2, Engine, Engine).data);
    // One record per code that has one: the three active ones and the battery's.
    QCOMPARE(records.size(), 4);
    for (const Dm4Record &r : records)
        QVERIFY(known.contains(r.dtc));
    const auto coolant = std::find_if(records.begin(), records.end(),
                                      [](const Dm4Record &r) { return r.dtc.spn == 110; });
    QVERIFY(coolant != records.end());
    QCOMPARE(coolant->raw.value(190) * 0.125, 2150.0); // rpm
    QCOMPARE(int(coolant->raw.value(110)) - 40, 108);  // degC
    QCOMPARE(coolant->raw.value(92), 78u);             // %
    QCOMPARE(coolant->raw.value(102) * 2, 182u);       // kPa
    QCOMPARE(coolant->raw.value(84) / 256.0, 6.5);     // km/h
    // A boost sensor fault records no boost pressure.
    const auto boost = std::find_if(records.begin(), records.end(),
                                    [](const Dm4Record &r) { return r.dtc.spn == 102; });
    QVERIFY(boost != records.end());
    QCOMPARE(boost->raw.value(102), 0xFFu);
    QVERIFY(boost->raw.value(190) != 0xFFFFu);
}

void tst_DemoUnits::expandedFreezeFrames()
{
    const QByteArray dm24 = m_peer->ask(Dm24, Engine, Engine).data;
    QVERIFY(dm24.size() >= 4);
    QCOMPARE(dm24.size() % 4, 0);
    QVector<QPair<quint32, int>> spns; // SPN, length
    for (int at = 0; at < dm24.size(); at += 4) {
        const quint8 b2 = quint8(dm24.at(at + 2));
        const quint32 spn
            = quint8(dm24.at(at)) | quint8(dm24.at(at + 1)) << 8 | quint32(b2 >> 5) << 16;
        QCOMPARE(b2 & 0x01, 0);    // in the expanded freeze frame
        QCOMPARE(b2 & 0x18, 0x18); // reserved bits
        QVERIFY2(!SpnNames::name(spn).isEmpty(), qPrintable(QString::number(spn)));
        spns.append({spn, quint8(dm24.at(at + 3))});
    }
    int valueBytes = 0;
    for (const auto &s : spns)
        valueBytes += s.second;

    const QByteArray dm25 = m_peer->ask(Dm25, Engine, Engine).data;
    QHash<quint32, quint32> coolantRecord;
    int records = 0;
    for (int at = 0; at < dm25.size();) {
        const int length = quint8(dm25.at(at));
        if (length == 0 || at + 1 + length > dm25.size())
            break;
        QCOMPARE(length, 4 + valueBytes);
        ++records;
        const Dtc dtc = dtcAt(dm25, at + 1);
        int offset = at + 5;
        for (const auto &s : spns) {
            quint32 raw = 0;
            for (int i = 0; i < s.second; ++i)
                raw |= quint32(quint8(dm25.at(offset + i))) << (8 * i);
            if (dtc.spn == 110)
                coolantRecord.insert(s.first, raw);
            offset += s.second;
        }
        at += 1 + length;
    }
    QCOMPARE(records, 4);
    QCOMPARE(int(coolantRecord.value(110)) - 40, 108); // coolant, degC
    QCOMPARE(coolantRecord.value(100) * 4, 380u);      // oil pressure, kPa
    QCOMPARE(coolantRecord.value(190) / 8, 2150u);     // engine speed, rpm
}

void tst_DemoUnits::readinessMatchesCodes()
{
    for (quint8 unit : {Engine, Controller}) {
        const QByteArray dm5 = m_peer->ask(Dm5, unit, unit).data;
        QCOMPARE(dm5.size(), 8);
        QCOMPARE(int(quint8(dm5.at(0))), codesOf(m_peer->ask(Dm1, unit, unit).data).size());
        QCOMPARE(int(quint8(dm5.at(1))), codesOf(m_peer->ask(Dm2, unit, unit).data).size());
        QCOMPARE(int(quint8(dm5.at(2))), 5); // not OBD compliant
    }
    const QByteArray engine = m_peer->ask(Dm5, Engine, Engine).data;
    // Every monitor reported not complete is one the engine supports.
    QCOMPARE((quint8(engine.at(3)) >> 4) & ~quint8(engine.at(3)) & 0x07, 0);
    const quint16 support = quint8(engine.at(4)) | quint8(engine.at(5)) << 8;
    const quint16 status = quint8(engine.at(6)) | quint8(engine.at(7)) << 8;
    QVERIFY(support != 0);
    QCOMPARE(status & ~support, 0);
}

void tst_DemoUnits::identification_data()
{
    QTest::addColumn<quint8>("unit");
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("calibrations");
    QTest::addColumn<bool>("hasVin");
    QTest::newRow("engine") << Engine << "Deutz"
                            << "TCD 2.9 L4" << QStringList{"EMR4TCD29L4V0312", "DPF-RGN 2.1"}
                            << true;
    QTest::newRow("controller") << Controller << "Zentrax"
                                << "MC2" << QStringList{"MC2-BOOM-0417", "MC2-SAFETY-0203"}
                                << false;
}

void tst_DemoUnits::identification()
{
    QFETCH(quint8, unit);
    QFETCH(QString, make);
    QFETCH(QString, model);
    QFETCH(QStringList, calibrations);
    QFETCH(bool, hasVin);
    const QStringList component
        = QString::fromLatin1(m_peer->ask(Component, unit, unit).data).split(QLatin1Char('*'));
    QVERIFY(component.size() >= 4);
    QCOMPARE(component.at(0), make);
    QCOMPARE(component.at(1), model);
    QVERIFY(!component.at(2).isEmpty()); // serial number

    const QByteArray dm19 = m_peer->ask(Dm19, unit, unit).data;
    QCOMPARE(dm19.size() % 20, 0);
    QStringList ids;
    for (int at = 0; at + 20 <= dm19.size(); at += 20) {
        const quint32 cvn = quint8(dm19.at(at)) | quint8(dm19.at(at + 1)) << 8
                            | quint8(dm19.at(at + 2)) << 16
                            | quint32(quint8(dm19.at(at + 3))) << 24;
        QVERIFY(cvn != 0xFFFFFFFFu && cvn != 0);
        QByteArray id = dm19.mid(at + 4, 16);
        while (!id.isEmpty() && (id.endsWith('\0') || id.endsWith('\xFF')))
            id.chop(1);
        ids.append(QString::fromLatin1(id));
    }
    QCOMPARE(ids, calibrations);

    if (hasVin) {
        const QByteArray vin = m_peer->ask(Vin, unit, unit).data;
        QVERIFY(vin.endsWith('*'));
        QCOMPARE(vin.indexOf('*'), 17);
    }
}

void tst_DemoUnits::identificationAskedAllAtOnce()
{
    // Five long answers asked together: the engine sends them one connection after the other.
    m_peer->packetsPerCts = 3;
    const quint32 groups[] = {Ecuid, Soft, Component, Vin, Dm19};
    for (quint32 pgn : groups)
        m_peer->request(pgn, Engine);
    QVERIFY(m_peer->waitFor([&] {
        return std::all_of(std::begin(groups), std::end(groups),
                           [&](quint32 pgn) { return !m_peer->from(Engine, pgn).isEmpty(); });
    }));
    QCOMPARE(m_peer->abortsReceived, 0);
    QCOMPARE(m_peer->outOfWindowPackets, 0);
    QVector<quint32> order;
    for (const DemoBusPeer::Message &m : m_peer->messages) {
        if (m.source == Engine && m.path == DemoBusPeer::Connection)
            order.append(m.pgn);
    }
    QCOMPARE(order, QVector<quint32>(std::begin(groups), std::end(groups)));

    // Asked of everyone: each unit's broadcasts follow one another, none cut short.
    m_peer->clear();
    for (quint32 pgn : groups)
        m_peer->request(pgn, Global);
    QVERIFY(m_peer->waitFor([&] {
        return m_peer->from(Engine, Dm19).size() == 1 && m_peer->from(Controller, Dm19).size() == 1;
    }));
    for (quint32 pgn : {Ecuid, Soft, Component}) {
        QCOMPARE(m_peer->from(Engine, pgn).size(), 1);
        QCOMPARE(m_peer->from(Controller, pgn).size(), 1);
    }
}

void tst_DemoUnits::acknowledgements_data()
{
    QTest::addColumn<quint32>("pgn");
    QTest::addColumn<quint8>("destination");
    QTest::addColumn<QStringList>("acks"); // source:control:destination:requester:pgn
    QTest::newRow("DM11 to the engine: ACK") << Dm11 << Engine << QStringList{"01:0:f9:f9:fed3"};
    QTest::newRow("DM3 to the engine: ACK") << Dm3 << Engine << QStringList{"01:0:f9:f9:fecc"};
    QTest::newRow("DM11 to the controller: ACK")
        << Dm11 << Controller << QStringList{"a0:0:f9:f9:fed3"};
    QTest::newRow("DM3 to the controller: NACK")
        << Dm3 << Controller << QStringList{"a0:1:f9:f9:fecc"};
    QTest::newRow("DM11 to all: both ACK to all")
        << Dm11 << Global << QStringList{"01:0:ff:f9:fed3", "a0:0:ff:f9:fed3"};
    QTest::newRow("DM3 to all: the engine ACKs, the controller keeps quiet")
        << Dm3 << Global << QStringList{"01:0:ff:f9:fecc"};
    QTest::newRow("VIN of the controller: NACK")
        << Vin << Controller << QStringList{"a0:1:f9:f9:feec"};
    QTest::newRow("VIN asked of all: the controller keeps quiet") << Vin << Global << QStringList();
    QTest::newRow("DM4 of the controller: NACK")
        << Dm4 << Controller << QStringList{"a0:1:f9:f9:fecd"};
    QTest::newRow("DM25 of the controller: NACK")
        << Dm25 << Controller << QStringList{"a0:1:f9:f9:fdb7"};
    QTest::newRow("DM25 asked of all: the controller keeps quiet")
        << Dm25 << Global << QStringList();
}

void tst_DemoUnits::acknowledgements()
{
    QFETCH(quint32, pgn);
    QFETCH(quint8, destination);
    QFETCH(QStringList, acks);
    m_peer->request(pgn, destination);
    m_peer->run(300);
    QCOMPARE(acksOf(*m_peer), acks);
    for (const DemoBusPeer::Message &m : m_peer->messages)
        QVERIFY(m.source != Controller || m.pgn != pgn); // no answer but the acknowledgement
    // The controller keeps its overload log through any DM3.
    if (pgn == Dm3)
        QVERIFY(hasCode(codesOf(m_peer->ask(Dm2, Controller, Controller).data), 521025, 16, 2));
}

void tst_DemoUnits::clearLoop()
{
    // DM11: acknowledged, the active codes gone from DM1 (lamps out) and kept in DM2.
    m_peer->request(Dm11, Engine);
    QCOMPARE(ackText(m_peer->next(Engine, Ack)), QStringLiteral("01:0:f9:f9:fed3"));
    const QByteArray cleared = m_peer->ask(Dm1, Engine, Engine).data;
    QCOMPARE(cleared.size(), 8);
    QVERIFY(codesOf(cleared).isEmpty());
    QCOMPARE(dtcAt(cleared, 2), (Dtc{0, 0, 0}));
    QCOMPARE(quint8(cleared.at(0)), quint8(0)); // every lamp off
    const QVector<Dtc> previous = codesOf(m_peer->ask(Dm2, Engine, Engine).data);
    QCOMPARE(previous.size(), 5);
    QVERIFY(hasCode(previous, 110, 16, 3));

    // The coolant temperature stays high: its code comes back, one occurrence more.
    QByteArray back;
    QVERIFY(m_peer->waitFor([&] {
        const auto all = m_peer->from(Engine, Dm1);
        back = all.isEmpty() ? QByteArray() : all.last().data;
        return !codesOf(back).isEmpty();
    }));
    QCOMPARE(codesOf(back), (QVector<Dtc>{{110, 16, 4}}));
    QCOMPARE(lamp(back, Awl), 1);
    QVERIFY(!hasCode(codesOf(m_peer->ask(Dm2, Engine, Engine).data), 110, 16));

    // DM3: acknowledged, DM2 empty, only the active code's freeze frame left.
    m_peer->request(Dm3, Engine);
    QCOMPARE(ackText(m_peer->next(Engine, Ack)), QStringLiteral("01:0:f9:f9:fecc"));
    const QByteArray emptyDm2 = m_peer->ask(Dm2, Engine, Engine).data;
    QVERIFY(codesOf(emptyDm2).isEmpty());
    QCOMPARE(dtcAt(emptyDm2, 2), (Dtc{0, 0, 0}));
    const QVector<Dm4Record> records = dm4Records(m_peer->ask(Dm4, Engine, Engine).data);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.at(0).dtc, (Dtc{110, 16, 4}));
    const QByteArray dm5 = m_peer->ask(Dm5, Engine, Engine).data;
    QCOMPARE(int(quint8(dm5.at(0))), 1);
    QCOMPARE(int(quint8(dm5.at(1))), 0);
}

void tst_DemoUnits::broadcastSuspension_data()
{
    QTest::addColumn<quint8>("destination");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("suspends");
    // Byte 3: hold n/a, indefinite suspension of all broadcasts.
    QTest::newRow("J1939 network #1 stop, to all")
        << Global << QByteArray::fromHex("fcfffff0ffffffff") << true;
    QTest::newRow("J1939 network #1 stop, to the engine")
        << Engine << QByteArray::fromHex("fcfffff0ffffffff") << true;
    QTest::newRow("stop to another unit")
        << Controller << QByteArray::fromHex("fcfffff0ffffffff") << false;
}

void tst_DemoUnits::broadcastSuspension()
{
    QFETCH(quint8, destination);
    QFETCH(QByteArray, payload);
    QFETCH(bool, suspends);
    m_peer->run(100);
    m_peer->send(dm13(destination, payload));
    m_peer->run(100); // frames already on their way
    const int from = m_peer->frames.size();
    m_peer->run(400); // shorter than the hold time-out
    QCOMPARE(engineBroadcasts(m_peer->frames, from) == 0, suspends);
    // Requests are answered all the while.
    QCOMPARE(m_peer->ask(Dm5, Engine, Engine).source, Engine);
}

void tst_DemoUnits::holdKeepsSuspendedUntilItStops()
{
    const QByteArray stop = QByteArray::fromHex("fcfffff0ffffffff");
    const QByteArray hold = QByteArray::fromHex("ffffff1fffffffff"); // hold 0001, suspend n/a
    const int timeout = fastTiming().holdTimeoutMs;
    m_peer->send(dm13(Global, stop));
    m_peer->run(100);
    const int from = m_peer->frames.size();
    // Held every 300 ms for well past the time-out: still quiet.
    for (int i = 0; i < 6; ++i) {
        m_peer->run(300);
        m_peer->send(dm13(Global, hold));
    }
    QCOMPARE(engineBroadcasts(m_peer->frames, from), 0);
    // The holds stop: the broadcasts come back after the time-out, not before.
    const qint64 lastHold = m_peer->elapsedMs();
    const int quiet = m_peer->frames.size();
    QVERIFY(m_peer->waitFor([&] { return engineBroadcasts(m_peer->frames, quiet) > 0; },
                            timeout + 1500));
    const qint64 resumedAfter = m_peer->elapsedMs() - lastHold;
    QVERIFY2(resumedAfter >= timeout - 150, qPrintable(QString::number(resumedAfter)));
    // A hold after the suspension ended brings nothing back.
    m_peer->send(dm13(Global, hold));
    const int after = m_peer->frames.size();
    m_peer->run(300);
    QVERIFY(engineBroadcasts(m_peer->frames, after) > 0);
}

QTEST_MAIN(tst_DemoUnits)
#include "tst_demounits.moc"
